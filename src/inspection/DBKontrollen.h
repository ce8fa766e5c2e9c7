#pragma once
#include <QCheckBox>
#include <QLineEdit>

class Table;
class TUserControl;

// A check box on a boolean field of a cursor: checked for true, empty for false, greyed for
// an empty field. A click writes the opposite of what the field reads (a greyed box gets
// checked), putting the cursor into edit state first (modify right).
class TDBTriCheckBox : public QCheckBox {
    Q_OBJECT
public:
    TDBTriCheckBox(Table* table, const QString& fieldName, TUserControl* rights, QWidget* parent = nullptr);
    QString fieldName() const { return m_field; }
    void anzeigen();

signals:
    void fehler(const QString& message);

protected:
    void nextCheckState() override;

private:
    Table* m_table;
    QString m_field;
    TUserControl* m_rights;
};

// A line edit on a text field of a cursor; typing puts the cursor into edit state.
class TDBTextFeld : public QLineEdit {
    Q_OBJECT
public:
    TDBTextFeld(Table* table, const QString& fieldName, TUserControl* rights, QWidget* parent = nullptr);
    void anzeigen();

signals:
    void fehler(const QString& message);

private:
    void geschrieben(const QString& text);
    Table* m_table;
    QString m_field;
    TUserControl* m_rights;
};

// Puts a cursor into edit state as a bound control does: modify right, then edit.
void bearbeitenBeginnen(Table& table, TUserControl* rights);

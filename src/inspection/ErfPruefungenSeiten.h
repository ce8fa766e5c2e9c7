#pragma once
#include <QHash>
#include <QWidget>

class Table;
class TDataModule1;
class TUserControl;
class TDBTriCheckBox;
class TDBTextFeld;
class QPushButton;

// Page "erforderl. Prüfungen" of the simple display: the eight simple criteria of the
// current ladder as tri-state check boxes.
class TErfPruefEinfachSeite : public QWidget {
    Q_OBJECT
public:
    TErfPruefEinfachSeite(Table* leiter, TUserControl& rights, QWidget* parent = nullptr);
    TDBTriCheckBox* box(const QString& name) const { return m_boxes.value(name); }

private:
    void sonstTextZeigen();
    Table* m_leiter;
    QHash<QString, TDBTriCheckBox*> m_boxes;
    TDBTextFeld* m_sonstText = nullptr;
};

// Page "erforderl. Prüfungen" of the extended display: the 23 extended criteria of the
// current ladder in their group panels, "Detail-Liste" and the "Sonstiges" row.
class TErfPruefErweitertSeite : public QWidget {
    Q_OBJECT
public:
    TErfPruefErweitertSeite(Table* leiter, TUserControl& rights, QWidget* parent = nullptr);
    TDBTriCheckBox* box(const QString& name) const { return m_boxes.value(name); }

    // BErfPruefungenClick: the checklist on the ladder's required criteria.
    void BErfPruefungenClick();

private:
    Table* m_leiter;
    TUserControl& m_rights;
    QHash<QString, TDBTriCheckBox*> m_boxes;
};

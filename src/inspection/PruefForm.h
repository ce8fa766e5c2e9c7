#pragma once
#include <QDialog>
#include <QHash>

class DataSet;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

// "Prüfkriterien": one check box per extended criterion plus "Sonstiges", filled from a
// record (ladder or inspection, fields looked up by name), shown or not, read back and
// discarded. Holds no data of its own.
class TPruefForm : public QDialog {
    Q_OBJECT
public:
    explicit TPruefForm(QWidget* parent = nullptr);

    void TitelSetzen(const QString& text);
    void ErfLaden(const DataSet& record);
    void ErfSpeichern(DataSet& record) const;
    void ErfFreigeben(const DataSet& record);
    void ErlLaden(const DataSet& record);
    void ErlSpeichern(DataSet& record) const;
    void SonstTextLaden(const DataSet& ladder);
    void SonstTextSpeichern(DataSet& ladder) const;
    void SonstTextAnzeigen(const DataSet& ladder);

    // Button handlers.
    void SpButtonGruppeClick(const QString& prefix);
    void BAlleSetzenClick();
    void BAlleLoeschenClick();

    QCheckBox* box(const QString& name) const { return m_boxes.value(name); }
    QCheckBox* sonstBox() const { return m_sonst; }
    QLineEdit* sonstEdit() const { return m_sonstEdit; }

private:
    QLabel* m_labLeiter = nullptr;
    QHash<QString, QCheckBox*> m_boxes;           // "DBCbHo1" ...
    QHash<QString, QStringList> m_groupBoxes;      // prefix -> box names
    QCheckBox* m_sonst = nullptr;
    QLineEdit* m_sonstEdit = nullptr;
};

#pragma once
#include "FaelligeLeitern.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableView;
class QToolButton;
class TDataModule1;
class TDbTreeLookupComboBox;
class TLtFirmAbt;
class FaelligModel;

// "Fällige Prüfungen": the ladders due up to a date (today + the weeks of the settings file),
// overdue first, those without a date at the end under "ohne Termin". Non-modal: Enter or a
// double click on a line puts the main window on that ladder while the list stays open.
class TFaelligePruefungen : public QDialog {
    Q_OBJECT
public:
    TFaelligePruefungen(TDataModule1& dm, const TLtFirmAbt& departments, const QString& iniFile,
                        QWidget* parent = nullptr);
    ~TFaelligePruefungen() override;

    // Reads the list again with the current choices (also after saves in the main window).
    void reload();
    const FaelligeListe& liste() const;
    FaelligAuswahl auswahl() const;
    // Text of the choices for headers: date, department, scrap.
    QString auswahlText() const;
    // The ladder of the current line; 0 on the "ohne Termin" heading or without lines.
    int currentLeiterId() const;
    // Grid row of a ladder (the heading counts as a row); -1 when not listed.
    int rowOfLeiter(int id) const;

    // Set by the main window's feature.
    std::function<void(int ladderId)> gehZuLeiter;
    std::function<void()> exportieren;
    std::function<void()> drucken;

    QDateEdit* EditBis;
    QSpinBox* SpinWochen;
    TDbTreeLookupComboBox* DbTreeLookupAbt;
    QToolButton* SpbAbtLoe;
    QCheckBox* CbMitSchrott;
    QTableView* GridFaellig;
    QLabel* LabAnzahl;
    QPushButton* BExport;
    QPushButton* BDruck;
    QPushButton* BSchliessen;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void springen();
    void updateCount();

    const TLtFirmAbt& m_departments;
    QString m_iniFile;
    FaelligModel* m_model;
    bool m_loading = false;
};

#pragma once
#include "EtikettenEinstellungen.h"

#include <QDialog>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QRadioButton;
class QSpinBox;
class RenderedReport;
class TLtFirmAbt;
class TUserControl;

// What the main window offers the label window to print.
struct EtikettenQuellen {
    int aktuelleId = 0;                     // 0: no current ladder
    QString aktuelleNr;
    QList<int> markierte;                   // IDs of the marked ladders
    // IDs of the ladders the grid shows under its current filter, in its order.
    std::function<QList<int>()> gefiltert;
    bool filterAktiv = false;
    const TLtFirmAbt* abteilungen = nullptr;
    QString iniDatei;                       // tarvino.ini: layout, sizes and content are kept there
    TUserControl* rechte = nullptr;         // printing asks crPrint
    QString alias = QStringLiteral("TARVINO");
};

// "Etiketten drucken": which ladders, which layout with its label size and margins, the start
// place on a partly used sheet, the code type and what the label shows; preview, print or PDF.
class TEtikettenForm : public QDialog {
    Q_OBJECT
public:
    explicit TEtikettenForm(EtikettenQuellen quellen, QWidget* parent = nullptr);
    ~TEtikettenForm() override;

    // The choices as they stand in the window.
    EtikettenEinstellungen einstellungen() const;
    int startPlatz() const;
    // The ladders chosen, read from the register (throws HwError when there are none).
    QList<EtikettDaten> gewaehlteLeitern() const;
    // The sheets as chosen (throws HwError with the German reason).
    std::shared_ptr<RenderedReport> erstellen() const;

    void Vorschau();
    void Drucken();
    void AlsPdf();

    // The printer for "Drucken" (the application's printer unless set).
    void setPrinter(std::shared_ptr<QPrinter> printer) { m_printer = std::move(printer); }

protected:
    void done(int result) override;

private:
    void formatGewaehlt();
    void masseGeaendert();
    void bereichAnpassen();
    void merken();
    void eingabenUebernehmen();

    EtikettenQuellen m_q;
    EtikettenEinstellungen m_e;
    std::shared_ptr<QPrinter> m_printer;
    bool m_fuellen = false;

    QRadioButton *m_rbAktuell, *m_rbMarkiert, *m_rbBereich, *m_rbFilter;
    QLineEdit *m_nrVon, *m_nrBis;
    QComboBox* m_format;
    QDoubleSpinBox *m_breite, *m_hoehe, *m_randLinks, *m_randOben, *m_abstandX, *m_abstandY;
    QLabel* m_formatFehler;
    QSpinBox* m_start;
    QRadioButton *m_rbQr, *m_rbCode128;
    QCheckBox *m_cbNr, *m_cbKurzBez, *m_cbAbteilung, *m_cbTermin, *m_cbFreieZeile;
    QLineEdit* m_freieZeile;
};

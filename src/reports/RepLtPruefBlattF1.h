#pragma once
#include "RepForm.h"

// Control sheet: one A4 page per selected inspection with the ladder, the checklist of the
// criteria the inspection requires, the result block and a signature block or, with the
// machine evaluation, the note that the sheet is valid without signature.
class TRepLtPruefBlattF1 : public TRepForm {
public:
    explicit TRepLtPruefBlattF1(TDataModule1& dm);

    void SetEinzelPruefung(int pruefId) override;
    void SetErweitert(int index) override;
    void SetErledigtKennzeichnen(bool on) override { m_erledigt = on; }
    void SetMaschBewertung(bool on) override;

    // Outcome of the machine evaluation over the seven groups (required, done): OK when at
    // least one group is required and every required group is done; otherwise the ladder's
    // scrap flag chooses between scrapping and repair.
    enum class Ergebnis { Reparatur, Verschrotten, InOrdnung };
    static Ergebnis bewerte(const QList<std::pair<bool, bool>>& gruppen, bool schrott);

private:
    void buildBands();
    double addPruefZeile(ReportBand* band, double x, double y, double labelWidth, const QString& label,
                         const QString& criterion);

    ReportBand* m_einfach = nullptr;
    ReportBand* m_erweitert = nullptr;
    ReportBand* m_hinweise = nullptr;
    ReportBand* m_unterschrift = nullptr;
    bool m_erledigt = false;
    bool m_masch = false;
    Ergebnis m_ergebnis = Ergebnis::Reparatur;
    bool m_ergebnisGilt = false;
};

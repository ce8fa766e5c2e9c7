#pragma once
#include "RepForm.h"

// "Fällige Prüfungen": the selected ladders whose next inspection falls on or before a date,
// and those without a date, one line each (A4 landscape): overdue first, then by date, the
// ladders without a date last; totals of overdue, due soon and without date at the end.
class TRepFaellig : public TRepForm {
public:
    explicit TRepFaellig(TDataModule1& dm);

    // The list counts ladders due up to bis; overdue is before heute.
    void SetFaelligBis(const QDate& bis, const QDate& heute = QDate::currentDate());
    QDate faelligBis() const { return m_bis; }
    QDate heute() const { return m_heute; }

protected:
    void openQueries() override;

private:
    void buildBands();
    QDate m_bis;
    QDate m_heute;
    int m_ueber = 0, m_bald = 0, m_ohne = 0;
};

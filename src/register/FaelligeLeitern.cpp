#include "FaelligeLeitern.h"

#include "Backend.h"
#include "Engine.h"
#include "IniFile.h"
#include "LtFirmAbt.h"
#include "RowStore.h"

#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QTextStream>
#include <algorithm>

namespace {
const char* const kSection = "Faelligkeit";
const char* const kKey = "Wochen";

QDate julian(ResultCursor& c, int col)
{
    if (c.isNull(col))
        return QDate();
    const qint32 jd = c.dateJulianDay(col);
    return jd == RowStore::NullDate ? QDate() : QDate::fromJulianDay(jd);
}
} // namespace

Faelligkeit faelligkeit(const QDate& termin, const QDate& heute, const QDate& bis)
{
    if (!termin.isValid())
        return Faelligkeit::OhneTermin;
    if (termin < heute)
        return Faelligkeit::Ueberfaellig;
    if (termin <= bis)
        return Faelligkeit::BaldFaellig;
    return Faelligkeit::Keine;
}

FaelligeListe faelligeLeitern(const FaelligAuswahl& a, const TLtFirmAbt& departments, const QString& alias)
{
    const QDate bis = a.bis.isValid() ? a.bis : a.heute.addDays(7 * kFaelligWochenStandard);
    Backend& db = Engine::instance().backend(alias);
    // Two selects rather than one with OR: each runs on the PruefTermin index. The last
    // inspection is asked only for the ladders the date already picked. The dated ladders are
    // picked by ID from the index first: their rows and last inspections are then read in ID
    // order, neighbouring pages one after the other instead of a random page per ladder.
    const QString schrott = db.boolOrFalse(QStringLiteral("L.Schrott"));
    QString base = QStringLiteral(
        "SELECT L.ID, L.Nr, L.ExNrBez, L.KurzBez, L.FirmenAbtID, L.PruefTermin, %1, A.KurzBez, "
        "(SELECT MAX(P.Datum) FROM LT_PRUEF P WHERE P.LT_ID = L.ID) "
        "FROM LT_LEIT L LEFT JOIN LARTEN A ON A.ID = L.Art_ID WHERE ")
                       .arg(schrott);
    const QString ohneSchrott = a.mitSchrott ? QString() : QStringLiteral(" AND %1 = %2").arg(schrott, db.falseLiteral());

    FaelligeListe liste;
    QList<FaelligeLeiter> ohne;
    QHash<int, QString> pfade;      // many ladders share a department
    auto lesen = [&](const QString& where, const QVariantList& params, QList<FaelligeLeiter>& into) {
        std::unique_ptr<ResultCursor> c = db.select(base + where + ohneSchrott, params);
        while (c->next()) {
            FaelligeLeiter z;
            z.firmenAbtId = c->isNull(4) ? -1 : int(c->intValue(4));
            if (!a.abtKey.isEmpty()
                && (z.firmenAbtId < 0 || !departments.IsAtOrBelow(QString::number(z.firmenAbtId), a.abtKey)))
                continue;
            z.id = int(c->intValue(0));
            z.nr = int(c->intValue(1));
            z.exNr = c->textValue(2);
            z.kurzBez = c->textValue(3);
            z.termin = julian(*c, 5);
            z.schrott = c->boolValue(6);
            z.art = c->isNull(7) ? QString() : c->textValue(7);
            z.letztePruefung = julian(*c, 8);
            if (z.firmenAbtId >= 0) {
                auto it = pfade.find(z.firmenAbtId);
                if (it == pfade.end())
                    it = pfade.insert(z.firmenAbtId, departments.PathText(QString::number(z.firmenAbtId)));
                z.abteilung = *it;
            }
            z.status = faelligkeit(z.termin, a.heute, bis);
            if (z.status == Faelligkeit::Ueberfaellig)
                ++liste.ueberfaellig;
            else if (z.status == Faelligkeit::BaldFaellig)
                ++liste.baldFaellig;
            else if (z.status == Faelligkeit::OhneTermin)
                ++liste.ohneTermin;
            if (z.termin.isValid())
                z.tageUeberfaellig = int(z.termin.daysTo(a.heute));
            into << z;
        }
    };
    lesen(QStringLiteral("L.ID IN (SELECT ID FROM LT_LEIT WHERE PruefTermin <= ?)"), {bis}, liste.zeilen);
    lesen(QStringLiteral("L.PruefTermin IS NULL"), {}, ohne);
    std::sort(liste.zeilen.begin(), liste.zeilen.end(), [](const FaelligeLeiter& x, const FaelligeLeiter& y) {
        return x.termin != y.termin ? x.termin < y.termin : x.nr < y.nr;
    });
    std::sort(ohne.begin(), ohne.end(), [](const FaelligeLeiter& x, const FaelligeLeiter& y) { return x.nr < y.nr; });
    liste.zeilen << ohne;
    return liste;
}

int anzahlUeberfaellig(const QDate& heute, const QString& alias)
{
    Backend& db = Engine::instance().backend(alias);
    std::unique_ptr<ResultCursor> c =
        db.select(QStringLiteral("SELECT COUNT(*) FROM LT_LEIT WHERE PruefTermin < ? AND %1 = %2")
                      .arg(db.boolOrFalse(QStringLiteral("Schrott")), db.falseLiteral()),
                  {heute});
    return c->next() ? int(c->intValue(0)) : 0;
}

int& faelligStandardWochen()
{
    static int wochen = kFaelligWochenStandard;
    return wochen;
}

int faelligWochen(const QString& iniFile)
{
    bool ok = false;
    const int n = readIniValue(iniFile, QLatin1String(kSection), QLatin1String(kKey)).toInt(&ok);
    return ok && n >= 1 && n <= 104 ? n : kFaelligWochenStandard;
}

bool setFaelligWochen(const QString& iniFile, int wochen)
{
    return writeIniValues(iniFile, QLatin1String(kSection), {{QLatin1String(kKey), QString::number(wochen)}});
}

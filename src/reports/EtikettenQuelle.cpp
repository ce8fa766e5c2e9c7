#include "EtikettenQuelle.h"

#include "Backend.h"
#include "Engine.h"
#include "LtFirmAbt.h"
#include "RowStore.h"

#include <QHash>

namespace {

const QString kSpalten = QStringLiteral("SELECT ID, Nr, KurzBez, FirmenAbtID, PruefTermin FROM LT_LEIT WHERE ");

struct Leser {
    const TLtFirmAbt* departments;
    QHash<int, QString> pfade;      // many ladders share a department

    EtikettDaten zeile(ResultCursor& c)
    {
        EtikettDaten d;
        d.id = int(c.intValue(0));
        d.nr = c.isNull(1) ? QVariant() : QVariant(c.intValue(1));
        d.kurzBez = c.isNull(2) ? QString() : c.textValue(2);
        if (departments && !c.isNull(3)) {
            const int abt = int(c.intValue(3));
            auto it = pfade.find(abt);
            if (it == pfade.end())
                it = pfade.insert(abt, departments->PathText(QString::number(abt)));
            d.abteilung = *it;
        }
        if (!c.isNull(4)) {
            const qint32 jd = c.dateJulianDay(4);
            if (jd != RowStore::NullDate)
                d.termin = QDate::fromJulianDay(jd);
        }
        return d;
    }
};

} // namespace

namespace EtikettenQuelle {

QList<EtikettDaten> leitern(const QList<int>& ids, const TLtFirmAbt* departments, const QString& alias)
{
    Backend& db = Engine::instance().backend(alias);
    Leser leser{departments, {}};
    QHash<int, EtikettDaten> gelesen;
    // In pieces, so the statement stays within every database's limit of parameters.
    constexpr int kStueck = 500;
    for (int from = 0; from < ids.size(); from += kStueck) {
        const QList<int> teil = ids.mid(from, kStueck);
        QStringList marken;
        QVariantList params;
        for (int id : teil) {
            marken << QStringLiteral("?");
            params << id;
        }
        std::unique_ptr<ResultCursor> c =
            db.select(kSpalten + QStringLiteral("ID IN (%1)").arg(marken.join(u',')), params);
        while (c->next()) {
            EtikettDaten d = leser.zeile(*c);
            gelesen.insert(d.id, d);
        }
    }
    QList<EtikettDaten> out;
    out.reserve(ids.size());
    for (int id : ids) {
        auto it = gelesen.constFind(id);
        if (it != gelesen.constEnd())
            out << *it;
    }
    return out;
}

QList<EtikettDaten> nummernBereich(int von, int bis, const TLtFirmAbt* departments, const QString& alias)
{
    Backend& db = Engine::instance().backend(alias);
    Leser leser{departments, {}};
    std::unique_ptr<ResultCursor> c =
        db.select(kSpalten + QStringLiteral("Nr >= ? AND Nr <= ? ORDER BY Nr"), {von, bis});
    QList<EtikettDaten> out;
    while (c->next())
        out << leser.zeile(*c);
    return out;
}

} // namespace EtikettenQuelle

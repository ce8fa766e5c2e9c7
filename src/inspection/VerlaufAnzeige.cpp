#include "VerlaufAnzeige.h"

#include "Backend.h"
#include "Kriterien.h"
#include "Schema.h"

#include <QLocale>
#include <QRegularExpression>

namespace {

const QLocale& german()
{
    static const QLocale l(QLocale::German, QLocale::Germany);
    return l;
}

// Fields whose stored label is missing or says nothing out of its grid.
QString eigenesLabel(const QString& table, const QString& field)
{
    static const QHash<QString, QString> labels = {
        {"LT_LEIT/Art_ID", "Leiter-Art"},
        {"LT_LEIT/Mat_ID", "Material"},
        {"LT_LEIT/Firma", "Firma"},
        {"LT_LEIT/Lieferant", "Lieferant / Hersteller"},
        {"LT_LEIT/Schrott", "verschrottet"},
        {"LT_LEIT/SchrottDatum", "Schrott-Datum"},
        {"LT_LEIT/PruefungArt_ID", "Prüfungs-Art"},
        {"LT_LEIT/FirmenAbtID", "Standort / Abteilung"},
        {"LT_LEIT/PrSonstigesText", "Sonstiges (Text)"},
        {"LT_LEIT/Beschreibung", "Beschreibung"},
        {"LT_PRUEF/LT_ID", "Leiter"},
        {"LT_PRUEF/Datum", "Prüf.-Datum"},
        {"LT_PRUEF/PruefungArt_ID", "Prüfungs-Art"},
        {"LT_PRUEF/Pruefer_ID", "Prüfer"},
        {"LT_PRUEF/Bemerkung", "Bemerkung"},
        {"PR_TAB/Nr", "Nr"},
        {"PR_TAB/KurzBez", "Prüfung"},
    };
    return labels.value(table + QLatin1Char('/') + field);
}

// Caption of a criterion ("Material", "Holme: Verformung").
QString kriteriumText(const QString& criterion)
{
    for (const Kriterien::Einfach& e : Kriterien::einfache())
        if (e.criterion == criterion)
            return e.caption.trimmed().remove(QRegularExpression(QStringLiteral("[.: ]+$")));
    for (const Kriterien::Box& b : Kriterien::boxen()) {
        if (b.criterion != criterion)
            continue;
        for (const Kriterien::Gruppe& g : Kriterien::gruppen())
            if (g.items.contains(criterion))
                return g.headingSeite.trimmed() + QStringLiteral(": ") + b.captionSeite;
        return b.captionSeite;
    }
    return criterion;
}

} // namespace

VerlaufAnzeige::VerlaufAnzeige(Backend& db) : m_db(db) {}

QStringList VerlaufAnzeige::titel()
{
    return {QStringLiteral("Zeit"),    QStringLiteral("Benutzer"), QStringLiteral("Arbeitsplatz"), QStringLiteral("Bereich"),
            QStringLiteral("Aktion"),  QStringLiteral("Feld"),     QStringLiteral("alter Wert"),   QStringLiteral("neuer Wert")};
}

QString VerlaufAnzeige::feldLabel(const QString& table, const QString& field) const
{
    const QString own = eigenesLabel(table, field);
    if (!own.isEmpty())
        return own;
    const bool ladder = table == QLatin1String("LT_LEIT"), inspection = table == QLatin1String("LT_PRUEF");
    if (ladder || inspection) {
        for (const QString& c : Schema::simpleCriteria() + Schema::extendedCriteria()) {
            if (field == Schema::requiredColumn(c))
                return QStringLiteral("erf. ") + kriteriumText(c);
            if (inspection && field == Schema::doneColumn(c))
                return QStringLiteral("erl. ") + kriteriumText(c);
        }
    }
    if (const TableDef* def = Schema::known(table))
        if (const FieldDef* f = def->field(field))
            if (!f->displayLabel.trimmed().isEmpty())
                return f->displayLabel;
    return field;
}

QString VerlaufAnzeige::name(const QString& table, const QString& keyField, const QString& key)
{
    const QString k = table + QLatin1Char('/') + key;
    auto it = m_names.find(k);
    if (it == m_names.end()) {
        QString n;
        auto c = m_db.select(QStringLiteral("SELECT KurzBez FROM %1 WHERE %2 = ?").arg(table, keyField), {key.toLongLong()});
        if (c->next())
            n = c->textValue(0);
        it = m_names.insert(k, n);
    }
    return it->isEmpty() ? key : QStringLiteral("%1 (%2)").arg(*it, key);
}

QString VerlaufAnzeige::wert(const QString& table, const QString& field, const QString& stored)
{
    if (stored.isEmpty())
        return QString();
    static const QHash<QString, std::pair<QString, QString>> keys = {
        {"Art_ID", {"LARTEN", "ID"}},     {"Mat_ID", {"MATERIAL", "ID"}},    {"PruefungArt_ID", {"PR_TAB", "Nr"}},
        {"Pruefer_ID", {"PRUEFER", "ID"}}, {"FirmenAbtID", {"FIRMEN", "ID"}}, {"ParentID", {"FIRMEN", "ID"}},
    };
    if (table == QLatin1String("LT_LEIT") || table == QLatin1String("LT_PRUEF") || field == QLatin1String("ParentID")) {
        const auto k = keys.find(field);
        if (k != keys.end())
            return name(k->first, k->second, stored);
    }
    const TableDef* def = Schema::known(table);
    const FieldDef* f = def ? def->field(field) : nullptr;
    if (!f)
        return stored;
    switch (f->type) {
    case FieldType::Boolean: return stored == QLatin1String("1") ? QStringLiteral("Ja") : QString();
    case FieldType::Date: {
        const QDate d = QDate::fromString(stored, Qt::ISODate);
        return d.isValid() ? german().toString(d, QStringLiteral("dd.MM.yyyy")) : stored;
    }
    case FieldType::DateTime: {
        const QDateTime d = QDateTime::fromString(stored, QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
        return d.isValid() ? german().toString(d, QStringLiteral("dd.MM.yyyy  hh:mm")) : stored;
    }
    case FieldType::Float: return german().toString(stored.toDouble(), 'f', 2);
    default: return stored;
    }
}

QString VerlaufAnzeige::pruefungDatum(qint64 id, const QList<Verlauf::Eintrag>& eintraege)
{
    auto c = m_db.select(QStringLiteral("SELECT Datum FROM LT_PRUEF WHERE ID = ?"), {id});
    if (c->next() && !c->isNull(0))
        return wert(QStringLiteral("LT_PRUEF"), QStringLiteral("Datum"), QDate::fromJulianDay(c->dateJulianDay(0)).toString(Qt::ISODate));
    // A deleted inspection: the date it had last.
    for (const Verlauf::Eintrag& e : eintraege)
        if (e.tabelle == QLatin1String("LT_PRUEF") && e.dsId == id && e.feld == QLatin1String("Datum"))
            return wert(e.tabelle, e.feld, e.neu.isEmpty() ? e.alt : e.neu);
    return QString();
}

QList<VerlaufZeile> VerlaufAnzeige::zeilen(const QList<Verlauf::Eintrag>& eintraege)
{
    QList<VerlaufZeile> out;
    QHash<qint64, QString> pruefungen;
    for (const Verlauf::Eintrag& e : eintraege) {
        VerlaufZeile z;
        z.zeit = e.zeitUtc.isValid() ? german().toString(e.zeitUtc.toLocalTime(), QStringLiteral("dd.MM.yyyy hh:mm:ss")) : QString();
        z.zeitLokal = e.zeitUtc.toLocalTime();
        z.benutzer = e.benutzer;
        z.arbeitsplatz = e.arbeitsplatz;
        if (e.tabelle == QLatin1String("LT_PRUEF")) {
            auto it = pruefungen.find(e.dsId);
            if (it == pruefungen.end())
                it = pruefungen.insert(e.dsId, pruefungDatum(e.dsId, eintraege));
            z.bereich = it->isEmpty() ? QStringLiteral("Prüfung") : QStringLiteral("Prüfung vom %1").arg(*it);
            if (e.ltId && m_nummern.contains(*e.ltId))
                z.bereich += QStringLiteral(" (Leiter %1)").arg(m_nummern.value(*e.ltId));
        } else if (e.tabelle == QLatin1String("LT_LEIT")) {
            z.bereich = m_nummern.contains(e.dsId) ? QStringLiteral("Leiter %1").arg(m_nummern.value(e.dsId)) : QStringLiteral("Leiter");
        } else {
            z.bereich = e.tabelle;
        }
        z.aktion = e.aktion == Verlauf::aktionText(Verlauf::Aktion::Neu)           ? QStringLiteral("neu")
            : e.aktion == Verlauf::aktionText(Verlauf::Aktion::Geloescht)           ? QStringLiteral("gelöscht")
                                                                                     : QStringLiteral("geändert");
        z.feld = e.feld.isEmpty() ? QString() : feldLabel(e.tabelle, e.feld);
        z.alt = wert(e.tabelle, e.feld, e.alt);
        z.neu = wert(e.tabelle, e.feld, e.neu);
        out << z;
    }
    return out;
}

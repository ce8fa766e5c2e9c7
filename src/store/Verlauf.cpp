#include "Verlauf.h"

#include "Backend.h"
#include "Engine.h"
#include "Errors.h"

#include <QCryptographicHash>
#include <algorithm>
#include <QSet>
#include <QSysInfo>

namespace Verlauf {

namespace {

const QString kTable = QStringLiteral("LT_VERLAUF");
// The hash before the first row.
const QString kStart = QString(64, QLatin1Char('0'));
const QString kColumns = QStringLiteral("ID, Zeit, Benutzer, Arbeitsplatz, Tabelle, Aktion, DS_ID, LT_ID, Feld, Alt, Neu, Vorher, Hash");

FieldDef col(const QString& name, FieldType type, int size = 0)
{
    FieldDef d;
    d.name = name;
    d.type = type;
    d.size = size;
    return d;
}

QString zeitText(const QDateTime& utc) { return utc.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")); }

// A QDateTime whose clock shows UTC, as both databases store it without a zone.
QVariant zeitParam(const QDateTime& utc) { return QDateTime(utc.date(), utc.time()); }

QDateTime zeitAusMs(qint64 ms)
{
    return QDateTime(QDate::fromJulianDay(ms / 86400000), QTime::fromMSecsSinceStartOfDay(int(ms % 86400000)), Qt::UTC);
}

struct Zeile {
    qint64 id = 0;
    QDateTime zeit;
    QString benutzer, arbeitsplatz, tabelle, aktion;
    qint64 dsId = 0;
    std::optional<qint64> ltId;
    QString feld, alt, neu, vorher, hash;
};

// Length-prefixed parts: no text can pass for two others.
QString hashOf(const Zeile& z)
{
    QCryptographicHash h(QCryptographicHash::Sha256);
    const auto add = [&h](const QString& s) {
        if (s.isEmpty()) {
            h.addData("-;");
            return;
        }
        const QByteArray b = s.toUtf8();
        h.addData(QByteArray::number(b.size()));
        h.addData(":");
        h.addData(b);
        h.addData(";");
    };
    add(z.vorher);
    add(QString::number(z.id));
    add(zeitText(z.zeit));
    add(z.benutzer);
    add(z.arbeitsplatz);
    add(z.tabelle);
    add(z.aktion);
    add(QString::number(z.dsId));
    add(z.ltId ? QString::number(*z.ltId) : QString());
    add(z.feld);
    add(z.alt);
    add(z.neu);
    return QString::fromLatin1(h.result().toHex());
}

Zeile readZeile(ResultCursor& c)
{
    Zeile z;
    z.id = c.intValue(0);
    z.zeit = c.isNull(1) ? QDateTime() : zeitAusMs(c.dateTimeMs(1));
    z.benutzer = c.textValue(2);
    z.arbeitsplatz = c.textValue(3);
    z.tabelle = c.textValue(4);
    z.aktion = c.textValue(5);
    z.dsId = c.intValue(6);
    if (!c.isNull(7))
        z.ltId = c.intValue(7);
    z.feld = c.textValue(8);
    z.alt = c.textValue(9);
    z.neu = c.textValue(10);
    z.vorher = c.textValue(11);
    z.hash = c.textValue(12);
    return z;
}

Eintrag toEintrag(const Zeile& z)
{
    return Eintrag{z.id, z.zeit, z.benutzer, z.arbeitsplatz, z.tabelle, z.aktion, z.dsId, z.ltId, z.feld, z.alt, z.neu};
}

QString zeitLokal(const QDateTime& utc)
{
    return utc.isValid() ? utc.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) : QStringLiteral("?");
}

} // namespace

TableDef tableDef()
{
    TableDef t;
    t.name = kTable;
    t.fields << col(QStringLiteral("ID"), FieldType::Integer) << col(QStringLiteral("Zeit"), FieldType::DateTime)
             << col(QStringLiteral("Benutzer"), FieldType::Text, 64) << col(QStringLiteral("Arbeitsplatz"), FieldType::Text, 64)
             << col(QStringLiteral("Tabelle"), FieldType::Text, 20) << col(QStringLiteral("Aktion"), FieldType::Text, 10)
             << col(QStringLiteral("DS_ID"), FieldType::Integer) << col(QStringLiteral("LT_ID"), FieldType::Integer)
             << col(QStringLiteral("Feld"), FieldType::Text, 64) << col(QStringLiteral("Alt"), FieldType::Memo)
             << col(QStringLiteral("Neu"), FieldType::Memo) << col(QStringLiteral("Vorher"), FieldType::Text, 64)
             << col(QStringLiteral("Hash"), FieldType::Text, 64);
    // The writer numbers the rows itself, one after the other: a gap is a removed row.
    t.indexes << IndexDef{QString(), QStringLiteral("ID"), true, true, false}
              << IndexDef{QStringLiteral("LtId"), QStringLiteral("LT_ID"), false, false, true}
              << IndexDef{QStringLiteral("TabDs"), QStringLiteral("Tabelle;DS_ID"), false, false, true};
    return t;
}

bool recorded(const QString& table)
{
    static const QSet<QString> tables = {QStringLiteral("LT_LEIT"),  QStringLiteral("LT_PRUEF"), QStringLiteral("PR_TAB"),
                                         QStringLiteral("LARTEN"),   QStringLiteral("MATERIAL"), QStringLiteral("PRUEFER"),
                                         QStringLiteral("FIRMEN"),   QStringLiteral("LFNAME")};
    return tables.contains(normalTableName(table));
}

QString benutzer()
{
    const QString user = Engine::instance().userName();
    if (!user.isEmpty() && user != QLatin1String("<leer>"))
        return user;
    for (const char* var : {"USER", "USERNAME", "LOGNAME"}) {
        const QString os = qEnvironmentVariable(var);
        if (!os.isEmpty())
            return os;
    }
    return QStringLiteral("<unbekannt>");
}

QString arbeitsplatz() { return QSysInfo::machineHostName(); }

bool isHistoryTable(const QString& table) { return normalTableName(table) == kTable; }

QString aktionText(Aktion a)
{
    switch (a) {
    case Aktion::Neu: return QStringLiteral("Neu");
    case Aktion::Geaendert: return QStringLiteral("Geändert");
    case Aktion::Geloescht: return QStringLiteral("Gelöscht");
    }
    return QString();
}

QString storedText(FieldType type, const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return QString();
    switch (type) {
    case FieldType::Boolean: return v.toBool() ? QStringLiteral("1") : QString();
    case FieldType::Integer:
    case FieldType::AutoInc: return QString::number(v.toLongLong());
    case FieldType::Float: return QString::number(v.toDouble(), 'g', 15);
    case FieldType::Date: return v.toDate().toString(Qt::ISODate);
    case FieldType::DateTime: return v.toDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
    case FieldType::Text:
    case FieldType::Memo: return v.toString();
    }
    return v.toString();
}

QList<FeldAenderung> aenderungen(const QString& table, const QList<FieldDef>& defs, const QList<QVariant>& old,
                                 const QList<QVariant>& now)
{
    const bool ladder = normalTableName(table) == QLatin1String("LT_LEIT");
    QList<FeldAenderung> out;
    for (int i = 0; i < defs.size(); ++i) {
        const FieldDef& d = defs[i];
        if (d.type == FieldType::AutoInc)
            continue;
        // The time and name of the last change are the history row's own time and user.
        if (ladder && (d.name.compare(QLatin1String("LAend"), Qt::CaseInsensitive) == 0
                       || d.name.compare(QLatin1String("LAendName"), Qt::CaseInsensitive) == 0))
            continue;
        const QString a = storedText(d.type, old.value(i));
        const QString n = storedText(d.type, now.value(i));
        if (a != n)
            out << FeldAenderung{d.name, a, n};
    }
    return out;
}

void serialize(Backend& db) { db.serializeWrites(kTable); }

void write(Backend& db, const QString& table, Aktion aktion, qint64 rowId, std::optional<qint64> ladderId,
           const QList<FeldAenderung>& felder)
{
    serialize(db);
    qint64 lastId = 0;
    QString lastHash = kStart;
    {
        auto c = db.select(QStringLiteral("SELECT ID, Hash FROM %1 ORDER BY ID DESC LIMIT 1").arg(kTable));
        if (c->next()) {
            lastId = c->intValue(0);
            lastHash = c->textValue(1);
        }
    }
    Zeile z;
    // Milliseconds, as both databases keep them.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    z.zeit = QDateTime(now.date(), QTime::fromMSecsSinceStartOfDay(now.time().msecsSinceStartOfDay()), Qt::UTC);
    z.benutzer = benutzer();
    z.arbeitsplatz = arbeitsplatz();
    z.tabelle = normalTableName(table);
    z.aktion = aktionText(aktion);
    z.dsId = rowId;
    z.ltId = ladderId;
    QList<FeldAenderung> rows = felder;
    if (rows.isEmpty())
        rows << FeldAenderung{};
    // Several rows in one statement: a ladder's insert or delete carries many fields.
    constexpr int kPerStatement = 50;
    for (int start = 0; start < rows.size(); start += kPerStatement) {
        const int n = std::min<int>(kPerStatement, int(rows.size()) - start);
        QStringList marks;
        QVariantList params;
        for (int i = start; i < start + n; ++i) {
            z.id = ++lastId;
            z.vorher = lastHash;
            z.feld = rows[i].feld;
            z.alt = rows[i].alt;
            z.neu = rows[i].neu;
            z.hash = hashOf(z);
            lastHash = z.hash;
            marks << QStringLiteral("(?,?,?,?,?,?,?,?,?,?,?,?,?)");
            params << z.id << zeitParam(z.zeit) << z.benutzer << z.arbeitsplatz << z.tabelle << z.aktion << z.dsId
                   << (z.ltId ? QVariant(*z.ltId) : QVariant()) << (z.feld.isEmpty() ? QVariant() : QVariant(z.feld))
                   << (z.alt.isEmpty() ? QVariant() : QVariant(z.alt)) << (z.neu.isEmpty() ? QVariant() : QVariant(z.neu))
                   << z.vorher << z.hash;
        }
        db.exec(QStringLiteral("INSERT INTO %1 (%2) VALUES %3").arg(kTable, kColumns, marks.join(QLatin1Char(','))), params);
    }
}

QList<Eintrag> fuerLeitern(Backend& db, const QList<qint64>& ladderIds, const QDate& von, const QDate& bis)
{
    QList<Eintrag> out;
    if (ladderIds.isEmpty())
        return out;
    QStringList marks;
    QVariantList params;
    for (qint64 id : ladderIds) {
        marks << QStringLiteral("?");
        params << id;
    }
    QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE LT_ID IN (%3) AND Tabelle IN ('LT_LEIT', 'LT_PRUEF')")
                      .arg(kColumns, kTable, marks.join(QLatin1Char(',')));
    // The period is chosen in local days; the rows carry UTC.
    if (von.isValid()) {
        sql += QStringLiteral(" AND Zeit >= ?");
        params << zeitParam(von.startOfDay().toUTC());
    }
    if (bis.isValid()) {
        sql += QStringLiteral(" AND Zeit < ?");
        params << zeitParam(bis.addDays(1).startOfDay().toUTC());
    }
    sql += QStringLiteral(" ORDER BY ID DESC");
    auto c = db.select(sql, params);
    while (c->next())
        out << toEintrag(readZeile(*c));
    // Newest change first, the fields of one change in the order it wrote them.
    const auto sameChange = [](const Eintrag& a, const Eintrag& b) {
        return a.zeitUtc == b.zeitUtc && a.tabelle == b.tabelle && a.dsId == b.dsId && a.aktion == b.aktion
            && a.benutzer == b.benutzer && a.arbeitsplatz == b.arbeitsplatz;
    };
    for (qsizetype start = 0; start < out.size();) {
        qsizetype end = start + 1;
        while (end < out.size() && sameChange(out[start], out[end]) && out[end - 1].id == out[end].id + 1)
            ++end;
        std::reverse(out.begin() + start, out.begin() + end);
        start = end;
    }
    return out;
}

QList<qint64> leiterMitNr(Backend& db, int nr)
{
    QList<qint64> ids;
    auto now = db.select(QStringLiteral("SELECT ID FROM LT_LEIT WHERE Nr = ?"), {nr});
    while (now->next())
        ids << now->intValue(0);
    now.reset();
    const QString text = QString::number(nr);
    auto c = db.select(QStringLiteral("SELECT DS_ID FROM %1 WHERE Tabelle = 'LT_LEIT' AND Feld = 'Nr' AND (Alt = ? OR Neu = ?) "
                                      "ORDER BY ID DESC")
                           .arg(kTable),
                       {text, text});
    while (c->next())
        if (!ids.contains(c->intValue(0)))
            ids << c->intValue(0);
    return ids;
}

QList<GeloeschteLeiter> geloeschteLeitern(Backend& db)
{
    QList<GeloeschteLeiter> out;
    auto c = db.select(QStringLiteral("SELECT DS_ID, Feld, Alt, Zeit FROM %1 WHERE Tabelle = 'LT_LEIT' AND Aktion = ? "
                                      "AND Feld IN ('Nr', 'KurzBez') AND NOT EXISTS (SELECT 1 FROM LT_LEIT L WHERE L.ID = DS_ID) "
                                      "ORDER BY ID DESC")
                           .arg(kTable),
                       {aktionText(Aktion::Geloescht)});
    QHash<qint64, int> pos;
    while (c->next()) {
        const qint64 id = c->intValue(0);
        auto it = pos.find(id);
        if (it == pos.end()) {
            it = pos.insert(id, int(out.size()));
            out << GeloeschteLeiter{id, QString(), QString(), zeitAusMs(c->dateTimeMs(3))};
        }
        GeloeschteLeiter& g = out[*it];
        // The latest delete of the ID names it (an ID is deleted once).
        if (c->textValue(1) == QLatin1String("Nr") && g.nr.isEmpty())
            g.nr = c->textValue(2);
        else if (g.kurzBez.isEmpty())
            g.kurzBez = c->textValue(2);
    }
    return out;
}

Pruefung pruefen(Backend& db)
{
    Pruefung p;
    auto c = db.select(QStringLiteral("SELECT %1 FROM %2 ORDER BY ID").arg(kColumns, kTable));
    qint64 prevId = 0;
    QString prevHash = kStart;
    const auto fehler = [&p](const Zeile& z, const QString& was) {
        p.intakt = false;
        p.fehlerId = z.id;
        p.text = QStringLiteral("Der Änderungsverlauf ist nicht intakt: %1\nDie Einträge davor (%2) sind unverändert.")
                     .arg(was)
                     .arg(p.anzahl);
    };
    while (c->next()) {
        const Zeile z = readZeile(*c);
        const bool selbst = hashOf(z) == z.hash;
        const bool kette = z.vorher == prevHash && z.id == prevId + 1;
        if (selbst && kette) {
            ++p.anzahl;
            prevId = z.id;
            prevHash = z.hash;
            continue;
        }
        const QString wer = QStringLiteral("(%1, %2, %3 %4)").arg(zeitLokal(z.zeit), z.benutzer, z.tabelle, z.feld).simplified();
        if (!selbst && z.vorher == prevHash && z.id == prevId + 1)
            fehler(z, QStringLiteral("Eintrag Nr. %1 %2 wurde außerhalb des Programms verändert.").arg(z.id).arg(wer));
        else if (selbst && z.id > prevId + 1 && z.id - prevId - 1 == 1)
            fehler(z, QStringLiteral("Eintrag Nr. %1 wurde außerhalb des Programms entfernt.").arg(prevId + 1));
        else if (selbst && z.id > prevId + 1)
            fehler(z, QStringLiteral("Einträge Nr. %1 bis %2 wurden außerhalb des Programms entfernt.").arg(prevId + 1).arg(z.id - 1));
        else if (selbst)
            fehler(z, QStringLiteral("Vor Eintrag Nr. %1 %2 wurden Einträge außerhalb des Programms entfernt oder ersetzt.").arg(z.id).arg(wer));
        else
            fehler(z, QStringLiteral("Eintrag Nr. %1 %2 wurde außerhalb des Programms eingefügt.").arg(z.id).arg(wer));
        return p;
    }
    p.text = QStringLiteral("Alle %1 Einträge des Änderungsverlaufs sind intakt.").arg(p.anzahl);
    return p;
}

} // namespace Verlauf

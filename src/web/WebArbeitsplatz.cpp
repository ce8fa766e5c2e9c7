#include "WebArbeitsplatz.h"

#include "Backend.h"
#include "BarcodeWert.h"
#include "DataModule.h"
#include "Engine.h"
#include "Kriterien.h"
#include "LeiterCursor.h"
#include "LeiterRegeln.h"
#include "LtFirmAbt.h"
#include "PruefAktionen.h"
#include "PruefCursor.h"
#include "Query.h"
#include "RowStore.h"
#include "Schema.h"
#include "Table.h"
#include "TextMatch.h"
#include "WebZeiten.h"

#include <algorithm>

#include <QCryptographicHash>

// One row, the ladder number a request asks for. The ladder cursor is its detail, so the
// ladder is read by its number alone.
class LeiterWahl : public DataSet {
public:
    LeiterWahl()
    {
        FieldDef nr;
        nr.name = QStringLiteral("Nr");
        nr.type = FieldType::Integer;
        setStoredFields({nr});
        DataSet::open();
    }
    // false for the number chosen already: the detail then stays as it is.
    bool waehlen(qint32 nr)
    {
        RowStore& rs = store();
        if (rs.rowCount() == 1 && field(QStringLiteral("Nr")).asInteger() == nr)
            return false;
        rs.clear();
        rs.setInt(rs.appendRow(), 0, nr);
        invalidateCalcCache();
        bumpGeneration();
        rebuildView();
        setCurrentPos(0);
        emit rowsReset();
        return true;
    }
};

WebArbeitsplatz::WebArbeitsplatz(const QString& alias, QObject* parent) : QObject(parent)
{
    m_dm = std::make_unique<TDataModule1>(alias, nullptr, TDataModule1::LeiterListen::Geschlossen);
    m_dm->DataUserControl->setRights(TUserRights());
    m_dm->DataUserControl->setActive(true);
    m_abteilungen = std::make_unique<TLtFirmAbt>(*m_dm->StFirmAbtList);
    m_wahl = std::make_unique<LeiterWahl>();
    m_leiter = createLeiterCursor(*m_dm, *m_abteilungen, this);
    m_leiter->setMasterSource(m_wahl.get(), QStringLiteral("Nr"));
    m_leiter->open();
    m_regeln = new TLeiterRegeln(*m_leiter, *m_dm, this);
    m_pruef = createLtPruefCursor(*m_dm, m_leiter, *m_dm->DataUserControl, this);
    m_aktionen = std::make_unique<PruefAktionen>(*m_leiter, *m_pruef, *m_dm, *m_dm->DataUserControl);
}

WebArbeitsplatz::~WebArbeitsplatz()
{
    m_aktionen.reset();
    delete m_regeln;
    delete m_pruef;
    delete m_leiter;
    m_wahl.reset();
}

void WebArbeitsplatz::benutzerSetzen(const QString& name, TUserRights rechte)
{
    TUserControl& uc = *m_dm->DataUserControl;
    uc.UserName = name;
    uc.setRights(rechte);
    m_benutzer = name;
}

QString WebArbeitsplatz::codeWert(int nr) { return BarcodeWert::leiterWert(nr); }

void WebArbeitsplatz::frisch()
{
    // Other workstations and the desktop program write meanwhile.
    if (m_dm->StFirmAbtList->refreshIfChanged())
        m_abteilungen->Reload(*m_dm->StFirmAbtList);
    for (Table* t : {m_dm->SPruef, m_dm->StPruefer, m_dm->SLeiterArten, m_dm->SMaterial})
        t->refreshIfChanged();
}

bool WebArbeitsplatz::aufLeiter(const QString& code)
{
    if (m_pruef->isEditing())
        m_pruef->cancel();
    if (m_leiter->isEditing())
        m_leiter->cancel();
    frisch();
    // The value a label holds, read as the desktop's barcode search reads it.
    const std::optional<qint32> nr = BarcodeWert::leiterNr(code);
    if (!nr)
        return false;
    // Another number reads its ladder and that ladder's inspections; the same one reads them
    // again. Only that row and those few: always read, so that a page never shows what a
    // change notice of the server has not reported yet.
    if (!m_wahl->waehlen(*nr))
        frischeLeiter();
    return !m_leiter->isEmpty();
}

void WebArbeitsplatz::frischeLeiter()
{
    m_leiter->refresh();
    m_pruef->refresh();
}

QString WebArbeitsplatz::stand()
{
    QCryptographicHash h(QCryptographicHash::Sha256);
    h.addData(m_leiter->field(QStringLiteral("LAend")).asDateTime().toString(Qt::ISODateWithMs).toUtf8());
    h.addData(m_leiter->field(QStringLiteral("PruefTermin")).asDate().toString(Qt::ISODate).toUtf8());
    h.addData(m_leiter->field(QStringLiteral("PruefungArt_ID")).asString().toUtf8());
    for (m_pruef->first(); !m_pruef->eof(); m_pruef->next())
        h.addData(QByteArray::number(m_pruef->field(QStringLiteral("ID")).asInteger()) + ',');
    return QString::fromLatin1(h.result().toHex().left(24));
}

std::optional<LeiterSicht> WebArbeitsplatz::leiter(const QString& code, const QDate& heute)
{
    WebZeiten::Teil teil("lesen");
    if (!aufLeiter(code))
        return std::nullopt;
    const Table& l = *m_leiter;
    LeiterSicht s;
    s.id = l.field(QStringLiteral("ID")).asInteger();
    s.nr = l.field(QStringLiteral("Nr")).asInteger();
    s.exNr = l.field(QStringLiteral("ExNrBez")).asString();
    s.kurzBez = l.field(QStringLiteral("KurzBez")).asString();
    s.abteilung = l.field(QStringLiteral("FirmaAbtText")).asString();
    s.art = l.field(QStringLiteral("Art")).asString();
    s.pruefArt = l.field(QStringLiteral("PruefungArtText")).asString();
    s.termin = l.field(QStringLiteral("PruefTermin")).asDate();
    s.schrott = l.field(QStringLiteral("Schrott")).asBoolean();
    s.sonstText = l.field(QStringLiteral("PrSonstigesText")).asString();
    s.status = faelligkeit(s.termin, heute, heute.addDays(7 * faelligStandardWochen()));
    if (s.termin.isValid())
        s.tageUeberfaellig = int(s.termin.daysTo(heute));

    for (const Kriterien::Einfach& e : Kriterien::einfache()) {
        if (!l.field(Schema::requiredColumn(e.criterion)).asBoolean())
            continue;
        if (e.criterion == QLatin1String("Sonstiges"))
            continue;   // shown with its text below
        s.kriterien << KriteriumSicht{e.criterion, QStringLiteral("Prüfungen"), e.caption};
    }
    for (const Kriterien::Gruppe& g : Kriterien::gruppen())
        for (const Kriterien::Box& b : Kriterien::boxen())
            if (g.items.contains(b.criterion) && l.field(Schema::requiredColumn(b.criterion)).asBoolean())
                s.kriterien << KriteriumSicht{b.criterion, g.headingDialog.trimmed(), b.captionDialog.trimmed()};
    if (l.field(QStringLiteral("PrSonstiges")).asBoolean())
        s.kriterien << KriteriumSicht{QStringLiteral("Sonstiges"), QStringLiteral("Sonstiges"),
                                      s.sonstText.isEmpty() ? QStringLiteral("<leer>") : s.sonstText};

    s.pruefer = prueferId().isValid();
    s.stand = stand();
    QStringList alle = Schema::simpleCriteria() + Schema::extendedCriteria();
    for (m_pruef->last(); !m_pruef->bof() && s.pruefungen.size() < 5; m_pruef->prior()) {
        PruefZeile z;
        z.id = m_pruef->field(QStringLiteral("ID")).asInteger();
        z.datum = m_pruef->field(QStringLiteral("Datum")).asDate();
        z.art = m_pruef->field(QStringLiteral("PruefungArtText")).asString();
        z.pruefer = m_pruef->field(QStringLiteral("PrueferKurzBez")).asString();
        z.bemerkung = m_pruef->field(QStringLiteral("Bemerkung")).asString();
        for (const QString& c : alle)
            if (m_pruef->field(Schema::requiredColumn(c)).asBoolean()) {
                ++z.erforderlich;
                if (m_pruef->field(Schema::doneColumn(c)).asBoolean())
                    ++z.erledigt;
            }
        s.pruefungen << z;
        if (m_pruef->recNo() <= 1)
            break;
    }
    return s;
}

Suchergebnis WebArbeitsplatz::suche(const QString& text, int max)
{
    Suchergebnis r;
    const QString t = text.trimmed();
    if (t.isEmpty())
        return r;
    // The database applies the register's text search itself, so that it can count the hits
    // and hand over only the first ones: letters a-z folded to capitals and nothing else
    // (SQLite's UPPER folds only those; on the server TRANSLATE does it, as its UPPER would
    // fold umlauts too), "?" any one character, "%" and "_" plain characters.
    QString muster;
    for (const QChar c : foldAsciiLetters(t)) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('!'))
            muster += QLatin1Char('!');
        muster += c == QLatin1Char('?') ? QLatin1Char('_') : c;
    }
    const bool server =
        Engine::instance().aliasDriver(m_dm->alias()).compare(QLatin1String("POSTGRESQL"), Qt::CaseInsensitive) == 0;
    const QString gross = server ? QStringLiteral("TRANSLATE(KurzBez, 'abcdefghijklmnopqrstuvwxyz', "
                                                  "'ABCDEFGHIJKLMNOPQRSTUVWXYZ')")
                                 : QStringLiteral("UPPER(KurzBez)");
    // Straight to the database: the query dialect of the reports knows neither ESCAPE nor LIMIT.
    const std::optional<qint32> nr = BarcodeWert::leiterNr(t);
    const QVariant nummer = nr ? *nr : -1;
    const QString wo = QStringLiteral("FROM LT_LEIT WHERE Nr = ? OR %1 LIKE ? ESCAPE '!'").arg(gross);
    const QVariant like = QStringLiteral("%") + muster + QStringLiteral("%");
    Backend& db = Engine::instance().backend(m_dm->alias());
    {
        auto c = db.select(QStringLiteral("SELECT COUNT(*) ") + wo, {nummer, like});
        r.anzahl = c->next() ? int(c->intValue(0)) : 0;
    }
    if (r.anzahl == 0)
        return r;
    // The ladder of the number first, then those whose short description matches.
    auto c = db.select(QStringLiteral("SELECT Nr, KurzBez, PruefTermin %1 ORDER BY CASE WHEN Nr = ? THEN 0 ELSE 1 END, Nr "
                                      "LIMIT %2")
                           .arg(wo)
                           .arg(std::max(0, max)),
                       {nummer, like, nummer});
    while (c->next()) {
        Treffer z;
        z.nr = int(c->intValue(0));
        z.kurzBez = c->textValue(1);
        if (!c->isNull(2))
            z.termin = QDate::fromJulianDay(c->dateJulianDay(2));
        r.treffer << z;
    }
    return r;
}

WebArbeitsplatz::Gespeichert WebArbeitsplatz::speichern(const QString& code, const QString& standText,
                                                        const QDate& datum, const QSet<QString>& erledigt,
                                                        const QString& bemerkung)
{
    TUserControl& uc = *m_dm->DataUserControl;
    // Rights first, before anything is written: the inspection, then the ladder's due date.
    uc.CheckRight(crInsert);
    uc.CheckRight(crModify);
    if (!aufLeiter(code))
        throw HwError(QStringLiteral("Zu diesem Etikett gibt es keine Leiter (mehr) im Register."));
    // Saves of one ladder one after the other, each against the state it finds: the form's
    // state is checked in the save's transaction, after the ladder's row is locked (on a
    // data directory the transaction holds the file's write lock already).
    Backend& db = Engine::instance().backend(m_dm->alias());
    std::optional<Transaction> t;
    {
        WebZeiten::Teil teil("begin");
        t.emplace(db);
    }
    try {
        if (Engine::instance().aliasDriver(m_dm->alias()).compare(QLatin1String("POSTGRESQL"), Qt::CaseInsensitive) == 0) {
            WebZeiten::Teil sperre("sperre");
            try {
                db.select(QStringLiteral("SELECT ID FROM LT_LEIT WHERE ID = ? FOR UPDATE"),
                          {m_leiter->field(QStringLiteral("ID")).value()})
                    ->next();
            } catch (const EngineError& e) {
                // The lock is the first step of changing the ladder's due date.
                if (e.code() == EngineCode::InsufficientRights)
                    throw EngineError(TUserControl::RightErrorText(crModify), EngineCode::InsufficientRights);
                throw;
            }
        }
        {
            WebZeiten::Teil teil("frisch");
            frischeLeiter();
        }
        if (m_leiter->isEmpty())
            throw WebKonflikt(QStringLiteral("Die Leiter wurde gerade an einem anderen Arbeitsplatz gelöscht oder "
                                             "umnummeriert. Ihre Prüfung ist nicht gespeichert worden."));
        if (stand() != standText)
            throw WebKonflikt(QStringLiteral("Die Leiter %1 wurde inzwischen geändert – eine andere Prüfung oder ein neuer "
                                             "Termin wurde gespeichert, z. B. von einem anderen Gerät. Ihre Prüfung ist "
                                             "nicht gespeichert worden. Bitte sehen Sie sich die Leiter an; soll Ihre "
                                             "Prüfung trotzdem gespeichert werden, speichern Sie das Formular erneut.")
                                  .arg(m_leiter->field(QStringLiteral("Nr")).asInteger()));
        Gespeichert g;
        {
            WebZeiten::Teil teil("eintragen");
            g = eintragen(datum, erledigt, bemerkung);
        }
        WebZeiten::Teil teil("commit");
        t->commit();
        return g;
    } catch (...) {
        // Whatever was written goes with the transaction; the cursors then show what is stored.
        t.reset();
        try {
            frischeLeiter();
        } catch (...) {
        }
        throw;
    }
}

QString WebArbeitsplatz::ohnePrueferText(const QString& benutzer)
{
    return QStringLiteral("Für den Benutzer „%1“ gibt es keinen Prüfer in den Stammdaten, und eine Prüfung ohne Prüfer "
                          "ist kein Nachweis. Ein Administrator legt ihn am Arbeitsplatz unter Stammdaten → „Interne / "
                          "externe Prüfer ..“ an, mit „%1“ als „Kurzbez.“; danach kann die Prüfung gespeichert werden.")
        .arg(benutzer);
}

QVariant WebArbeitsplatz::prueferId()
{
    Table& pr = *m_dm->StPruefer;
    if (m_benutzer.trimmed().isEmpty() || !pr.locate(QStringLiteral("KurzBez"), {m_benutzer}, true))
        return QVariant();
    return pr.field(QStringLiteral("ID")).value();
}

WebArbeitsplatz::Gespeichert WebArbeitsplatz::eintragen(const QDate& datum, const QSet<QString>& erledigt,
                                                        const QString& bemerkung)
{
    // The history and the ladder's change stamp name the person, not the server (for this
    // thread: other sessions write at the same time).
    struct NameFuerThread {
        QString vorher;
        explicit NameFuerThread(const QString& name) : vorher(Engine::instance().threadUserName())
        {
            Engine::instance().setThreadUserName(name);
        }
        ~NameFuerThread() { Engine::instance().setThreadUserName(vorher); }
    } name(m_benutzer);

    Gespeichert g;
    PruefEingabe e;
    e.datum = datum;
    e.erledigt = erledigt;
    e.bemerkung = bemerkung;
    // A record that does not say who inspected proves nothing: refused before anything is written.
    e.prueferId = prueferId();
    if (!e.prueferId.isValid())
        throw HwError(ohnePrueferText(m_benutzer));
    try {
        g.erfasst = pruefungErfassen(*m_aktionen, *m_leiter, *m_pruef, e);
    } catch (const EngineError& err) {
        if (err.code() == EngineCode::RecordChanged || err.code() == EngineCode::RecordDeleted)
            throw WebKonflikt(QStringLiteral("Die Leiter wurde gerade an einem anderen Arbeitsplatz geändert. Ihre "
                                             "Prüfung ist nicht gespeichert worden. Soll sie trotzdem gespeichert "
                                             "werden, speichern Sie das Formular erneut."));
        throw;
    }
    return g;
}

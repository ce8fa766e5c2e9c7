#pragma once
#include "FieldDefs.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

class Backend;

// The change history LT_VERLAUF: one row per changed field of a ladder, an inspection or a
// master-data row, written by the store in the transaction of the change. Rows are only ever
// added; each carries a SHA-256 over the previous row's hash and its own contents, so a row
// changed, added or removed behind the program's back breaks the chain.
namespace Verlauf {

inline constexpr const char* TableName = "LT_VERLAUF";

TableDef tableDef();

// Tables whose changes are recorded (register and master data; not users or working tables).
bool recorded(const QString& table);
bool isHistoryTable(const QString& table);

// Who a change is recorded for: the engine's user (set at login), else the operating-system
// user when nobody logs in; and the workstation, the machine's name.
QString benutzer();
QString arbeitsplatz();

enum class Aktion { Neu, Geaendert, Geloescht };
QString aktionText(Aktion a);           // "Neu", "Geändert", "Gelöscht" as stored

// A value as the history stores it: one text per type, empty for an empty value (an empty
// boolean and false alike).
QString storedText(FieldType type, const QVariant& value);

struct FeldAenderung {
    QString feld;
    QString alt;
    QString neu;
};

// The changed fields of a row, with the bookkeeping fields (time and name of the last
// change) left out. old/now hold the data fields in defs' order.
QList<FeldAenderung> aenderungen(const QString& table, const QList<FieldDef>& defs, const QList<QVariant>& old,
                                 const QList<QVariant>& now);

// Called at the start of a writing transaction of a recorded table: writers of the history
// run one after the other until their transactions end.
void serialize(Backend& db);
// Writes the rows of one change inside the caller's transaction. An insert or delete without
// any non-empty field still leaves one row.
void write(Backend& db, const QString& table, Aktion aktion, qint64 rowId, std::optional<qint64> ladderId,
           const QList<FeldAenderung>& felder);

struct Eintrag {
    qint64 id = 0;
    QDateTime zeitUtc;
    QString benutzer;
    QString arbeitsplatz;
    QString tabelle;
    QString aktion;
    qint64 dsId = 0;
    std::optional<qint64> ltId;
    QString feld;
    QString alt;
    QString neu;
};

// Changes of the ladders (LT_LEIT rows) and of their inspections, newest first; von/bis are
// local dates, both included (an invalid date leaves that side open).
QList<Eintrag> fuerLeitern(Backend& db, const QList<qint64>& ladderIds, const QDate& von = QDate(),
                           const QDate& bis = QDate());
// The ladder IDs that ever carried the number, deleted ones included, newest first.
QList<qint64> leiterMitNr(Backend& db, int nr);

struct GeloeschteLeiter {
    qint64 id = 0;
    QString nr;
    QString kurzBez;
    QDateTime geloeschtUtc;
};
// Ladders deleted and not there any more, most recently deleted first.
QList<GeloeschteLeiter> geloeschteLeitern(Backend& db);

struct Pruefung {
    bool intakt = true;
    qint64 anzahl = 0;          // rows walked
    qint64 fehlerId = 0;        // first row found wrong (intakt false)
    QString text;               // German result for the user
};
// Walks the whole chain and names the first row changed, inserted or removed.
Pruefung pruefen(Backend& db);

}

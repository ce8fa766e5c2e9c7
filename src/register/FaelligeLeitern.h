#pragma once
#include <QDate>
#include <QList>
#include <QString>

class TLtFirmAbt;

// Where a ladder stands against its next inspection date.
enum class Faelligkeit {
    Keine,          // due after the horizon
    BaldFaellig,    // due from today up to the horizon
    Ueberfaellig,   // due date passed
    OhneTermin      // never inspected or no interval: no date at all
};

// heute: the day the list is made; bis: the last day that still counts as due soon.
Faelligkeit faelligkeit(const QDate& termin, const QDate& heute, const QDate& bis);

// One line of the due list.
struct FaelligeLeiter {
    int id = 0;
    int nr = 0;
    QString exNr;
    QString kurzBez;
    int firmenAbtId = -1;           // -1: no department
    QString abteilung;              // "Firma - Standort - Abteilung"
    QString art;                    // ladder type
    QDate letztePruefung;
    QDate termin;
    int tageUeberfaellig = 0;       // days past the due date; negative: days left
    bool schrott = false;
    Faelligkeit status = Faelligkeit::Keine;
};

struct FaelligAuswahl {
    QDate heute = QDate::currentDate();
    QDate bis;                      // empty: heute + the default weeks
    bool mitSchrott = false;
    QString abtKey;                 // department ID text; its whole subtree counts
};

struct FaelligeListe {
    // Due lines sorted by date (then number), the "ohne Termin" lines after them by number.
    QList<FaelligeLeiter> zeilen;
    int ueberfaellig = 0;
    int baldFaellig = 0;
    int ohneTermin = 0;
};

// Reads the due ladders of the register. departments gives the path texts and the subtree
// test; the ladder types come from LARTEN, the last inspection from LT_PRUEF.
FaelligeListe faelligeLeitern(const FaelligAuswahl& auswahl, const TLtFirmAbt& departments,
                              const QString& alias = QStringLiteral("TARVINO"));

// Overdue ladders of the register, scrap left out (the main window's status text).
int anzahlUeberfaellig(const QDate& heute = QDate::currentDate(), const QString& alias = QStringLiteral("TARVINO"));

// Weeks ahead that count as due soon, kept in the settings file ([Faelligkeit] Wochen).
constexpr int kFaelligWochenStandard = 4;
int faelligWochen(const QString& iniFile);
// The weeks of this run, read from the settings file at start; the windows that have no
// settings file at hand (the report selection) start from it.
int& faelligStandardWochen();
// Writes the weeks into the settings file, the other lines untouched; false when it cannot.
bool setFaelligWochen(const QString& iniFile, int wochen);

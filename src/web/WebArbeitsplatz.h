#pragma once
#include "Errors.h"
#include "FaelligeLeitern.h"
#include "PruefungErfassen.h"
#include "UserRights.h"

#include <QDate>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <memory>
#include <optional>

class LeiterWahl;
class PruefAktionen;
class TDataModule1;
class TLeiterRegeln;
class TLtFirmAbt;
class Table;

// A criterion the ladder requires, as the phone's checklist shows it.
struct KriteriumSicht {
    QString name;        // as in Schema: "Material", "Ho_Verform"
    QString gruppe;      // heading of its group
    QString text;        // caption of its check box
};

struct PruefZeile {
    int id = 0;
    QDate datum;
    QString art;
    QString pruefer;
    int erforderlich = 0;    // criteria required at the inspection
    int erledigt = 0;        // of those found in order
    QString bemerkung;
};

struct LeiterSicht {
    int id = 0;
    int nr = 0;
    QString exNr;
    QString kurzBez;
    QString abteilung;       // "Firma - Standort - Abteilung"
    QString art;             // ladder type
    QString pruefArt;        // inspection kind
    QDate termin;
    Faelligkeit status = Faelligkeit::OhneTermin;
    int tageUeberfaellig = 0;
    bool schrott = false;
    QString sonstText;
    QList<PruefZeile> pruefungen;    // latest first, at most five
    QList<KriteriumSicht> kriterien; // what a new inspection requires
    // The user has an inspector row (PRUEFER.KurzBez = user name): only then may they record.
    bool pruefer = false;
    // Changes with every write of the ladder and every inspection added or removed: a form
    // made from an older state is refused.
    QString stand;
};

struct Treffer {
    int nr = 0;
    QString kurzBez;
    QDate termin;
};

struct Suchergebnis {
    QList<Treffer> treffer;  // the first ones, at most the maximum asked for
    int anzahl = 0;          // all ladders found
};

// A save refused because the ladder changed since the form was made.
class WebKonflikt : public HwError {
public:
    using HwError::HwError;
};

// The web server's access to the register: the data module, the ladder cursor with the
// desktop's ladder rules and the inspection cursor with its rules, and the inspection actions
// of the desktop. Every operation acts for the user set last, with that user's rights.
//
// A request reads only what it shows: the ladder cursor holds the one ladder of the label
// (a range on its number), the inspection cursor that ladder's inspections; no page reads or
// re-reads the whole ladder or inspection table.
//
// Each phone's session has one of its own, on an alias of its own (SitzungsArbeit), used by
// the session's thread only.
class WebArbeitsplatz : public QObject {
    Q_OBJECT
public:
    explicit WebArbeitsplatz(const QString& alias = QStringLiteral("TARVINO"), QObject* parent = nullptr);
    ~WebArbeitsplatz() override;

    void benutzerSetzen(const QString& name, TUserRights rechte);

    // The ladder whose label holds this value; none when no ladder has it.
    std::optional<LeiterSicht> leiter(const QString& codeWert, const QDate& heute = QDate::currentDate());
    // The ladder whose number is the text, then those whose short description contains it
    // (the register's text search), at most max; and how many there are in all.
    Suchergebnis suche(const QString& text, int max = 50);

    struct Gespeichert {
        PruefErfasst erfasst;
    };
    // A new inspection of the ladder dated datum, the criteria in erledigt found in order,
    // the inspector the current user (by the inspector's short name); then the due date.
    // WebKonflikt when the ladder's state is no longer stand; refused with nothing written
    // when the user has no inspector row (ohnePrueferText).
    Gespeichert speichern(const QString& codeWert, const QString& stand, const QDate& datum,
                          const QSet<QString>& erledigt, const QString& bemerkung = QString());
    // What a user without an inspector row is told, and what to do about it.
    static QString ohnePrueferText(const QString& benutzer);

    // The label value of a ladder number (what /l/<value> takes); empty for a number no label
    // can hold.
    static QString codeWert(int nr);

private:
    bool aufLeiter(const QString& codeWert);
    void frisch();
    void frischeLeiter();
    // The inspection written, in the transaction of speichern.
    Gespeichert eintragen(const QDate& datum, const QSet<QString>& erledigt, const QString& bemerkung);
    QString stand();
    // The PRUEFER row of the current user, or an empty value.
    QVariant prueferId();

    std::unique_ptr<TDataModule1> m_dm;
    std::unique_ptr<TLtFirmAbt> m_abteilungen;
    std::unique_ptr<LeiterWahl> m_wahl;     // master of m_leiter: the number asked for
    Table* m_leiter = nullptr;
    Table* m_pruef = nullptr;
    TLeiterRegeln* m_regeln = nullptr;
    std::unique_ptr<PruefAktionen> m_aktionen;
    QString m_benutzer;
};

#pragma once
#include "Verlauf.h"

#include <QHash>
#include <QList>
#include <QString>

class Backend;

// One line of the change history as the window shows, prints and exports it.
struct VerlaufZeile {
    QString zeit;            // local time, "dd.MM.yyyy hh:mm:ss"
    QDateTime zeitLokal;
    QString benutzer;
    QString arbeitsplatz;
    QString bereich;         // "Leiter 5", "Prüfung vom 23.06.2004"
    QString aktion;          // "neu", "geändert", "gelöscht"
    QString feld;            // the field's label
    QString alt;             // values as the program shows them
    QString neu;
};

// Turns history rows into readable lines: field labels, German dates and numbers, "Ja" or
// nothing for flags, names for the keys of master data.
class VerlaufAnzeige {
public:
    explicit VerlaufAnzeige(Backend& db);

    QList<VerlaufZeile> zeilen(const QList<Verlauf::Eintrag>& eintraege);
    // Ladder numbers by ID: the lines then name the ladder ("Leiter 5", "Prüfung vom ... (Leiter 5)").
    void setLeiterNummern(const QHash<qint64, QString>& nummern) { m_nummern = nummern; }
    QString feldLabel(const QString& table, const QString& field) const;
    QString wert(const QString& table, const QString& field, const QString& stored);

    // The columns' titles.
    static QStringList titel();

private:
    QString name(const QString& table, const QString& keyField, const QString& key);
    QString pruefungDatum(qint64 id, const QList<Verlauf::Eintrag>& eintraege);

    Backend& m_db;
    QHash<QString, QString> m_names;     // "TABLE/key" -> KurzBez
    QHash<qint64, QString> m_nummern;
};

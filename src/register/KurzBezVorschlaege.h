#pragma once
#include <QStringList>

// The suggestions for a ladder's short description: one text per line in "kurzbez.vor" in the
// program's directory.
namespace KurzBezVorschlaege {

QString dateiName();                        // "kurzbez.vor"
// <program directory>/kurzbez.vor, or the directory set for tests.
QString dateiPfad();
void setVerzeichnis(const QString& dir);    // empty: the program's directory

// The list when the file is missing.
QStringList standardListe();
// Reads the file; without it the standard list.
QStringList laden();
// Replaces the file by the list; throws HwError when it cannot be written.
void speichern(const QStringList& liste);

}

#pragma once
#include "Etiketten.h"

#include <QList>
#include <QString>

// The label window's choices kept in the settings file (section [Etiketten]): the layout last
// used, each layout's label size, margins and gaps, the code type and the content.
struct EtikettenEinstellungen {
    QList<EtikettenFormat> formate = EtikettenFormat::standard();
    QString formatId = formate.first().id;
    EtikettInhalt inhalt;

    // The chosen layout; the first when the id is unknown.
    const EtikettenFormat& format() const;
    EtikettenFormat& format();

    // Values that cannot be read keep their standard.
    static EtikettenEinstellungen lesen(const QString& iniFile);
    // False when the file cannot be written.
    bool schreiben(const QString& iniFile) const;
};

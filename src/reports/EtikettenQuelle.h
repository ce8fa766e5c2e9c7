#pragma once
#include "Etiketten.h"

#include <QList>
#include <QString>

class TLtFirmAbt;

// The data of the ladders a label sheet is printed for, read from the register.
namespace EtikettenQuelle {

// The ladders with these IDs in this order; IDs no longer stored are left out. departments
// gives the path texts (none: no department line).
QList<EtikettDaten> leitern(const QList<int>& ids, const TLtFirmAbt* departments,
                            const QString& alias = QStringLiteral("TARVINO"));

// The ladders numbered from von to bis, by number.
QList<EtikettDaten> nummernBereich(int von, int bis, const TLtFirmAbt* departments,
                                   const QString& alias = QStringLiteral("TARVINO"));

} // namespace EtikettenQuelle

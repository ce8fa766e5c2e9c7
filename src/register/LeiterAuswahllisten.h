#pragma once
#include <QStringList>

class DataSet;

// The company list of the ladder page: KurzBez of every top-level row (ParentID 0 or empty) of
// an open FIRMEN cursor, in ID order. The cursor does not move.
QStringList firmenListe(DataSet& firmen);
// The supplier list: KurzBez of every LFNAME row in ID order.
QStringList lieferantenListe();

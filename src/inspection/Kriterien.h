#pragma once
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class DataSet;
class Field;

// The criteria catalogue as the inspection windows need it: groups of the extended set with
// their calculated pair, and the labels of the check boxes.
namespace Kriterien {

struct Gruppe {
    QString prefix;          // "Ho"
    QString berName;         // "Holme": fields PrBerHolme / PrBerErlHolme
    QString erlLabel;        // "Holme.."
    QStringList items;       // "Ho_Verform", ... (criterion names as in Schema)
    QString panelName;       // "PanHo"
    QString boxPrefix;       // "DBCbHo"
    QString headingSeite;    // heading on the ladder page
    QString headingDialog;   // heading in the checklist dialog
    QString tooltip;         // of the panel heading
};

const QList<Gruppe>& gruppen();

QString berFeld(const Gruppe& g);      // "PrBerHolme"
QString berErlFeld(const Gruppe& g);   // "PrBerErlHolme"

struct Box {
    QString name;            // "DBCbHo1"
    QString criterion;       // "Ho_Verform"
    QString captionSeite;
    QString captionDialog;
    QString tooltip;
};
// The 23 check boxes of the extended criteria in catalogue order.
const QList<Box>& boxen();

// Group results of the row in context: required = any item required, done = required and all
// required items done. Empty flags read as false.
struct GruppenErgebnis {
    bool erforderlich = false;
    bool erledigt = false;
};
GruppenErgebnis ergebnis(const DataSet& ds, const Gruppe& g);
// The same rule over flags read by column name ("PrHo_Verform", "PrHo_ErlVerform").
GruppenErgebnis ergebnis(const Gruppe& g, const std::function<bool(const QString& column)>& flag);

// The calculated group fields PrBer{name} and PrBerErl{name}: added before a cursor or query
// opens (withDone off for the ladder, which has no done flags), filled for the row in context
// from its onCalcFields. The inspection cursor and the printed reports share both.
void addGruppenFelder(DataSet& ds, bool withDone);
void setzeGruppenFelder(DataSet& ds);

// setzeGruppenFelder for one data set that is read row after row: it keeps the positions of
// the fields it reads (checked by name), instead of searching every field by name per row.
class GruppenRechner {
public:
    void operator()(DataSet& ds);
private:
    Field* feld(DataSet& ds, const QString& name);
    QHash<QString, int> m_positions;
    int m_fieldCount = -1;
};

// Captions of the simple criteria on the ladder page ("EditPrMaterial" ...), and the short
// titles of their done columns in the inspection grid.
struct Einfach {
    QString criterion;       // "Material"
    QString caption;
    QString gridTitle;
};
const QList<Einfach>& einfache();

}

#include "LeiterCursor.h"

#include "DataModule.h"
#include "LtFirmAbt.h"
#include "Table.h"

Table* createLeiterCursor(TDataModule1& dm, const TLtFirmAbt& departments, QObject* parent)
{
    auto* t = new Table(QStringLiteral("LT_LEIT.DB"), parent);
    t->setAlias(dm.alias());
    t->setObjectName(QStringLiteral("Leiter"));
    t->setIndexFieldNames(QStringLiteral("Nr"));
    t->addLookupField(QStringLiteral("PruefungArtText"), 30, QStringLiteral("Prüfung"), QStringLiteral("PruefungArt_ID"),
                      dm.SPruef, QStringLiteral("Nr"), QStringLiteral("KurzBez"));
    t->addLookupField(QStringLiteral("Art"), 30, QStringLiteral("Leiter-Art"), QStringLiteral("Art_ID"), dm.SLeiterArten,
                      QStringLiteral("ID"), QStringLiteral("KurzBez"));
    t->addLookupField(QStringLiteral("Mat"), 30, QStringLiteral("Material"), QStringLiteral("Mat_ID"), dm.SMaterial,
                      QStringLiteral("ID"), QStringLiteral("KurzBez"));
    Field& abt = t->addLookupField(QStringLiteral("FirmaAbteilung"), 30, QString(), QStringLiteral("FirmenAbtID"),
                                   dm.StFirmAbtList, QStringLiteral("ID"), QStringLiteral("KurzBez"));
    abt.setVisible(false);
    FieldDef path;
    path.name = QStringLiteral("FirmaAbtText");
    path.type = FieldType::Text;
    path.size = 50;
    path.displayLabel = QStringLiteral("Firma - Abteilung");
    t->addCalculatedField(path);
    t->onCalcFields = [&departments](DataSet& d) {
        const Field& id = d.field(QStringLiteral("FirmenAbtID"));
        d.setValue(QStringLiteral("FirmaAbtText"), id.isNull() ? QString() : departments.PathText(id.asString()));
    };
    return t;
}

void setLeiterGridWidths(Table& leiter)
{
    static const QList<std::pair<const char*, int>> widths = {
        {"Schrott", 2}, {"Nr", 11},          {"ExNrBez", 15}, {"KurzBez", 27},      {"PruefTermin", 11}, {"Firma", 18},
        {"PruefungArtText", 18}, {"Art", 18}, {"Mat", 18},    {"FirmaAbtText", 40}, {"LAend", 21}};
    for (const auto& [name, chars] : widths)
        if (Field* f = leiter.findField(QLatin1String(name)))
            f->setDisplayWidth(chars);
}

QStringList leiterGridColumns(bool showExternalNr, bool firmaAbtFirst)
{
    QStringList cols = {QStringLiteral("Schrott"), QStringLiteral("Nr")};
    if (showExternalNr)
        cols << QStringLiteral("ExNrBez");
    cols << QStringLiteral("KurzBez") << QStringLiteral("PruefTermin")
         << (firmaAbtFirst ? QStringLiteral("FirmaAbtText") : QStringLiteral("Firma")) << QStringLiteral("PruefungArtText")
         << QStringLiteral("Art") << QStringLiteral("Mat")
         << (firmaAbtFirst ? QStringLiteral("Firma") : QStringLiteral("FirmaAbtText")) << QStringLiteral("LAend");
    return cols;
}

#include "PruefCursor.h"

#include "DataModule.h"
#include "Kriterien.h"
#include "Schema.h"
#include "Table.h"
#include "UserControl.h"

Table* createLtPruefCursor(TDataModule1& dm, Table* leiter, TUserControl& rights, QObject* parent)
{
    auto* t = new Table(QStringLiteral("LT_PRUEF.DB"), parent);
    t->setAlias(dm.alias());
    t->setObjectName(QStringLiteral("LtPruef"));
    t->setIndexFieldNames(QStringLiteral("LT_ID;Datum"));
    t->addLookupField(QStringLiteral("PruefungArtText"), 30, QStringLiteral("Prüfung"), QStringLiteral("PruefungArt_ID"),
                      dm.SPruef, QStringLiteral("Nr"), QStringLiteral("KurzBez"));
    t->addLookupField(QStringLiteral("PrueferKurzBez"), 30, QStringLiteral("int. Prüfer"), QStringLiteral("Pruefer_ID"),
                      dm.StPruefer, QStringLiteral("ID"), QStringLiteral("KurzBez"));
    Kriterien::addGruppenFelder(*t, true);
    // LtPruefCalcFields
    t->onCalcFields = Kriterien::GruppenRechner();
    TUserControl* rc = &rights;
    t->beforeInsert = [rc](DataSet&) { rc->CheckRight(crInsert); };   // LtPruefBeforeInsert
    t->beforeEdit = [rc](DataSet&) { rc->CheckRight(crModify); };     // LtPruefBeforeEdit
    // LtPruefErledigtValidate: a simple criterion that is not required cannot stay done.
    // Installed on every open, as opening makes the stored fields anew.
    t->afterOpen = [](DataSet& d) {
        for (const QString& c : Schema::simpleCriteria()) {
            const QString done = Schema::doneColumn(c);
            d.field(Schema::requiredColumn(c)).onChange = [done](Field& f) {
                if (!f.asBoolean() && f.dataSet()->field(done).asBoolean())
                    f.dataSet()->setValue(done, false);
            };
        }
    };
    if (leiter)
        t->setMasterSource(leiter, QStringLiteral("ID"));
    t->open();
    return t;
}

QStringList ltPruefGridColumns()
{
    QStringList cols = {QStringLiteral("ID"), QStringLiteral("LT_ID"), QStringLiteral("Datum"), QStringLiteral("PruefungArt_ID"),
                        QStringLiteral("PruefungArtText")};
    for (const QString& c : Schema::simpleCriteria())
        cols << Schema::requiredColumn(c) << Schema::doneColumn(c);
    cols << QStringLiteral("Pruefer_ID") << QStringLiteral("PrueferKurzBez");
    for (const Kriterien::Gruppe& g : Kriterien::gruppen())
        cols << Kriterien::berErlFeld(g);
    cols << QStringLiteral("PrErlSonstiges");
    return cols;
}

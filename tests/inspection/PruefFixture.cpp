#include "PruefFixture.h"

#include "UserControl.h"

PruefFixture::PruefFixture()
{
    dm = std::make_unique<TDataModule1>();
    leiter = std::make_unique<Table>(QStringLiteral("LT_LEIT"));
    leiter->setIndexFieldNames(QStringLiteral("Nr"));
}

PruefFixture::~PruefFixture()
{
    leiter.reset();
    dm.reset();
}

static int addRow(const QString& table, const QVariantMap& values, const QString& keyField)
{
    return addTestRow(table, values, keyField);
}

int PruefFixture::addKind(int nr, const QString& name, const QVariant& j, const QVariant& m, const QVariant& d)
{
    return addRow(QStringLiteral("PR_TAB"), {{"Nr", nr}, {"KurzBez", name}, {"Jahre", j}, {"Monate", m}, {"Tage", d}},
                  QStringLiteral("Nr"));
}

int PruefFixture::addPruefer(const QString& name) { return addRow(QStringLiteral("PRUEFER"), {{"KurzBez", name}}, "ID"); }

int PruefFixture::addLadder(int nr, const QVariantMap& values)
{
    QVariantMap v = values;
    v.insert(QStringLiteral("Nr"), nr);
    if (!v.contains(QStringLiteral("KurzBez")))
        v.insert(QStringLiteral("KurzBez"), QStringLiteral("Leiter %1").arg(nr));
    return addRow(QStringLiteral("LT_LEIT"), v, QStringLiteral("ID"));
}

int PruefFixture::addInspection(int ladderId, const QVariantMap& values)
{
    QVariantMap v = values;
    v.insert(QStringLiteral("LT_ID"), ladderId);
    return addRow(QStringLiteral("LT_PRUEF"), v, QStringLiteral("ID"));
}

QVariantMap PruefFixture::stored(const QString& table, int id)
{
    Table t(table);
    t.open();
    QVariantMap out;
    if (!t.locate(QStringLiteral("ID"), {id}))
        return out;
    for (const auto& f : t.fields())
        out.insert(f->name(), f->value());
    return out;
}

int PruefFixture::count(const QString& table)
{
    Table t(table);
    t.open();
    return t.recordCount();
}

void PruefFixture::open(int nr)
{
    for (Table* t : {dm->SPruef, dm->StPruefer})
        t->refresh();
    leiter->open();
    if (nr)
        leiter->findKey({nr});
}

void PruefFixture::limitRights(std::initializer_list<TUserRight> rights)
{
    dm->DataUserControl->setRights(TUserRights(rights));
    dm->DataUserControl->setActive(true);
}

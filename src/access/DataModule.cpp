#include "DataModule.h"

#include "UserState.h"

namespace {
TDataModule1* g_instance = nullptr;
}

TDataModule1::TDataModule1(QObject* parent) : TDataModule1(QStringLiteral("TARVINO"), parent)
{
    g_instance = this;
}

TDataModule1::TDataModule1(const QString& alias, QObject* parent, LeiterListen leiterListen)
    : QObject(parent), m_alias(alias)
{
    DataUserControl = new TUserControl(this);
    if (UserState::UserAdministration) {
        DataUserControl->UserName = UserState::AktBenutzer;
        DataUserControl->setRights(UserState::AktRechte);
        DataUserControl->setActive(true);
    }
    SLeiterArten = makeCursor(QStringLiteral("larten.db"), QStringLiteral("ID"));
    SMaterial = makeCursor(QStringLiteral("material.db"), QStringLiteral("ID"));
    SPruef = makeCursor(QStringLiteral("pr_tab.db"), QStringLiteral("Nr"));
    StPruefer = makeCursor(QStringLiteral("pruefer.db"), QStringLiteral("ID"));
    SLeiter = makeCursor(QStringLiteral("LT_LEIT.DB"), QStringLiteral("Nr"));
    // A large register shows its first ladders at once; the rest is read while the user looks.
    SLeiter->setReadRestLater(true);
    LeiterOrg = makeCursor(QStringLiteral("LT_LEIT.DB"), QStringLiteral("ID"));
    StFirmAbtList = makeCursor(QStringLiteral("firmen.db"), QString());
    LtFirmAbtSort = new Table(QStringLiteral("ZwFirmSort.DB"), this);
    LtFirmAbtSort->setAlias(m_alias);
    LtFirmAbtSort->setIndexFieldNames(QStringLiteral("Nr"));
    LtFirmAbtSort->setExclusive(true);
    for (Table* t : {SLeiterArten, SMaterial, SPruef, StPruefer, StFirmAbtList})
        t->open();
    if (leiterListen == LeiterListen::Oeffnen) {
        SLeiter->open();
        LeiterOrg->open();
    }
}

TDataModule1::~TDataModule1()
{
    if (g_instance == this)
        g_instance = nullptr;
}

TDataModule1* TDataModule1::instance() { return g_instance; }

Table* TDataModule1::makeCursor(const QString& table, const QString& index)
{
    auto* t = new Table(table, this);
    t->setAlias(m_alias);
    t->setIndexFieldNames(index);
    return t;
}

void TDataModule1::syncLadders()
{
    if (!SLeiter->active())
        SLeiter->open();
    SLeiter->refreshIfChanged();
}

bool TDataModule1::LeiterNrVorhanden(int nr)
{
    syncLadders();
    return SLeiter->findKey({nr});
}

int TDataModule1::MaxLeiterNr()
{
    syncLadders();
    if (SLeiter->isEmpty())
        return 0;
    SLeiter->last();
    return SLeiter->field(QStringLiteral("Nr")).asInteger();
}

int TDataModule1::FreieLeiterNrAb(int start)
{
    syncLadders();
    int n = start;
    while (SLeiter->findKey({n}))
        ++n;
    return n;
}

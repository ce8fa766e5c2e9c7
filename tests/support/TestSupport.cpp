#include "TestSupport.h"

#include "Dialogs.h"

void resetDialogsForTest()
{
    Dialogs::setTestMode(true);
    Dialogs::reset();
}

#include "Engine.h"

TestDataDir::TestDataDir()
{
    Engine& engine = Engine::instance();
    engine.reset();
    engine.setPrivateDir(m_dir.path() + QStringLiteral("/private"));
    engine.setNetFileDir(m_dir.path());
    engine.addSessionAlias(QStringLiteral("TARVINO"), m_dir.path());
}

TestDataDir::~TestDataDir()
{
    Engine::instance().reset();
}

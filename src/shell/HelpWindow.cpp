#include "HelpWindow.h"

#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

// The page lives in this static library; its resource must be registered by name.
static void initHelpResource() { Q_INIT_RESOURCE(help); }

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    initHelpResource();
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Holmwacht - Hilfe"));
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(true);
    auto* back = new QPushButton(QStringLiteral("Zurück"), this);
    back->setObjectName(QStringLiteral("HelpBack"));
    auto* contents = new QPushButton(QStringLiteral("Inhalt"), this);
    contents->setObjectName(QStringLiteral("HelpContents"));
    auto* close = new QPushButton(QStringLiteral("Schließen"), this);
    close->setObjectName(QStringLiteral("HelpClose"));
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(contents, &QPushButton::clicked, this, &THelpWindow::showContents);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    back->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser, 1);
    resize(640, 560);
}

QUrl THelpWindow::contentsUrl() { return QUrl(QStringLiteral("qrc:/help/holmwacht.html")); }

void THelpWindow::showContents()
{
    m_browser->setSource(contentsUrl());
    show();
    raise();
    activateWindow();
}

void THelpWindow::showContext(int helpContext)
{
    QUrl url = contentsUrl();
    url.setFragment(QStringLiteral("hc%1").arg(helpContext));
    m_browser->setSource(url);
    show();
    raise();
    activateWindow();
}

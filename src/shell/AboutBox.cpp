#include "AboutBox.h"

#include "AppConfig.h"
#include "Dialogs.h"
#include "ServerAnmeldung.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TAboutBox"));
    setWindowTitle(QStringLiteral("Über Holmwacht"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(298, 317);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setGeometry(8, 8, 282, 261);

    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    const QIcon programIcon = qApp->windowIcon().isNull() ? style()->standardIcon(QStyle::SP_ComputerIcon)
                                                          : qApp->windowIcon();
    icon->setPixmap(programIcon.pixmap(48, 48));
    icon->setGeometry(16, 16, 48, 48);

    ProductName = new QLabel(QStringLiteral("Produktname : Holmwacht"), panel);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    ProductName->setGeometry(80, 24, 190, 20);
    Version = new QLabel(panel);
    Version->setObjectName(QStringLiteral("Version"));
    // Below the icon the whole width of the panel: the version date stays whole.
    Version->setGeometry(16, 76, 250, 20);

    // Which settings file this run uses: the first question when a workstation starts on the wrong register.
    Settings = new QLabel(panel);
    Settings->setObjectName(QStringLiteral("Settings"));
    Settings->setGeometry(16, 100, 250, 20);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    OKButton->setGeometry((298 - 75) / 2, 280, 75, 27);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    if (QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TAboutBox::zeigen(QWidget* parent)
{
    const AppConfig& config = AppConfig::instance();
    TAboutBox box(parent);
    box.setWindowTitle(box.windowTitle() + QStringLiteral(" Vers.: ") + config.version);
    box.Version->setText(QStringLiteral("int. Version : %1 - %2").arg(config.internalVersion, config.versionDate));
    const QString settings = settingsInUseText();
    box.Settings->setText(box.Settings->fontMetrics().elidedText(settings, Qt::ElideMiddle, box.Settings->width()));
    box.Settings->setToolTip(settings);
    // Who guards the data: on a server with one shared role, only the program.
    auto* rechte = new QLabel(RechteSchutzText(), box.findChild<QFrame*>(QStringLiteral("Panel1")));
    rechte->setObjectName(QStringLiteral("LabRechte"));
    rechte->setWordWrap(true);
    rechte->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    rechte->setGeometry(16, 124, 250, 128);
    Dialogs::exec(&box);
}

// F9 / F8: the barcode searches in the main window.
#include "BarcodeFeature.h"
#include "Features.h"

#include "AppConfig.h"
#include "BarcodePortConfig.h"
#include "BarcodeSuche.h"
#include "BarcodeWert.h"
#include "LeiterGrid.h"
#include "LeiterVerw.h"
#include "MainMenus.h"
#include "PruefungsSeite.h"
#include "TbcSuchCom.h"

#include <QTabBar>

void plugBarcode(TLeiterVerw& w)
{
    auto* bc = new BarcodeSuche(w.leiter(), &w, &w);
    bc->setObjectName(QStringLiteral("BarcodeSuche"));
    // The inspection list comes with plugInspections; without it there is nothing to save.
    if (auto* seite = qobject_cast<TPruefungsSeite*>(w.page(TLeiterVerw::PagePruefUebersicht)))
        bc->setPruefungen(seite->LtPruef());
    TLeiterVerw* win = &w;
    bc->focusGrid = [win] { win->grid()->setFocus(); };
    bc->tabCaptions = [win] {
        QStringList captions;
        for (int i = 0; i < win->tabSet()->count(); ++i)
            captions << win->tabSet()->tabText(i);
        return captions;
    };
    bc->selectTab = [win](int tab) { win->selectTab(tab); };
    // Number order changes the record counter's meaning.
    bc->numberOrderSet = [win] { win->updateStatusTexts(); };
    w.menus()->plug(QStringLiteral("ActBcSuchLeiter"), [bc] { bc->ActBcSuchLeiterExecute(); });
    w.menus()->plug(QStringLiteral("ActBcSuchComLeiter"), [bc] { bc->ActBcSuchComLeiterExecute(); });
}

void createSerialBarcodeWindow(TLeiterVerw& w)
{
    BarcodePortConfig::instance() = readBarcodePortConfig(settingsFilePath());
    BarcodeWert::setWebBasis(BarcodeWert::readWebBasis(settingsFilePath()));
    auto* com = new TbcSuchCom(&w);
    com->hide();
}

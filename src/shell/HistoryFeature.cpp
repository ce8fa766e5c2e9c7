// The change history: "Änderungsverlauf" of the current ladder (grid pop-up and the ladder
// page), of a ladder number that may be deleted, and "Verlauf prüfen" in Extras.
#include "Features.h"

#include "Dialogs.h"
#include "Engine.h"
#include "LadderPages.h"
#include "LeiterVerw.h"
#include "MainMenus.h"
#include "Table.h"
#include "Verlauf.h"
#include "VerlaufForm.h"

#include <QAction>
#include <QApplication>
#include <QGridLayout>
#include <QMenu>
#include <QPushButton>

namespace {

void zeigen(TLeiterVerw& w, const QHash<qint64, QString>& nummern, const QString& ueberschrift)
{
    TVerlaufForm form(Engine::instance().backend(), nummern, ueberschrift, &w);
    Dialogs::exec(&form);
}

void aktuelleLeiter(TLeiterVerw& w)
{
    Table* t = w.leiter();
    if (!t || !t->active() || t->isEmpty() || t->state() == DataSetState::Insert)
        throw HwError(QStringLiteral("Keine gespeicherte Leiter ausgewählt"));
    const qint64 id = t->field(QStringLiteral("ID")).value().toLongLong();
    const QString nr = t->field(QStringLiteral("Nr")).asString();
    zeigen(w, {{id, nr}}, QStringLiteral("Leiter %1 - %2").arg(nr, t->field(QStringLiteral("KurzBez")).asString()));
}

// Every ladder that ever carried the number, also the deleted ones.
void leiterNummer(TLeiterVerw& w)
{
    const std::optional<QString> text =
        Dialogs::input(&w, QStringLiteral("Änderungsverlauf einer Leiter-Nr"), QStringLiteral("Leiter-Nr (auch gelöschte) :"),
                       w.leiter()->isEmpty() ? QString() : w.leiter()->field(QStringLiteral("Nr")).asString());
    if (!text)
        return;
    bool ok = false;
    const int nr = text->trimmed().toInt(&ok);
    if (!ok)
        throw HwError(QStringLiteral("'%1' ist kein gültiger Integerwert").arg(*text));
    const QList<qint64> ids = Verlauf::leiterMitNr(Engine::instance().backend(), nr);
    if (ids.isEmpty()) {
        Dialogs::information(&w, QStringLiteral("Zur Leiter-Nr %1 ist keine Änderung aufgezeichnet.").arg(nr));
        return;
    }
    QHash<qint64, QString> nummern;
    for (qint64 id : ids)
        nummern.insert(id, QString::number(nr));
    zeigen(w, nummern, QStringLiteral("Leiter-Nr %1").arg(nr));
}

void geloeschteLeitern(TLeiterVerw& w)
{
    const QList<Verlauf::GeloeschteLeiter> list = Verlauf::geloeschteLeitern(Engine::instance().backend());
    if (list.isEmpty()) {
        Dialogs::information(&w, QStringLiteral("Es sind keine gelöschten Leitern aufgezeichnet."));
        return;
    }
    QHash<qint64, QString> nummern;
    for (const auto& g : list)
        nummern.insert(g.id, g.nr);
    zeigen(w, nummern, QStringLiteral("Gelöschte Leitern (%1)").arg(list.size()));
}

void pruefen(TLeiterVerw& w)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Verlauf::Pruefung p;
    try {
        p = Verlauf::pruefen(Engine::instance().backend());
    } catch (...) {
        QApplication::restoreOverrideCursor();
        throw;
    }
    QApplication::restoreOverrideCursor();
    if (p.intakt)
        Dialogs::information(&w, p.text, QStringLiteral("Verlauf prüfen"));
    else
        Dialogs::warning(&w, p.text, QStringLiteral("Verlauf prüfen"));
}

QAction* eintrag(TLeiterVerw& w, const char* name, const QString& text)
{
    auto* a = new QAction(text, &w);
    a->setObjectName(QLatin1String(name));
    return a;
}

} // namespace

void plugHistory(TLeiterVerw& w)
{
    TMainMenus& m = *w.menus();
    QAction* pop = eintrag(w, "LtPopVerlauf", QStringLiteral("Änderungsverlauf ..."));
    m.LtPopupMenu->addSeparator();
    m.LtPopupMenu->addAction(pop);
    m.plug(pop, [&w] { aktuelleLeiter(w); });

    QAction* nr = eintrag(w, "MExVerlaufNr", QStringLiteral("Änderungsverlauf einer Leiter-Nr ..."));
    QAction* del = eintrag(w, "MExVerlaufGeloescht", QStringLiteral("Änderungsverlauf gelöschter Leitern ..."));
    QAction* check = eintrag(w, "MExVerlaufPruefen", QStringLiteral("Verlauf prüfen"));
    m.MExtras->addSeparator();
    for (QAction* a : {nr, del, check})
        m.MExtras->addAction(a);
    m.plug(nr, [&w] { leiterNummer(w); });
    m.plug(del, [&w] { geloeschteLeitern(w); });
    m.plug(check, [&w] { pruefen(w); });
    // Reading the history needs no right beyond looking at the register.
    for (QAction* a : {pop, nr, del, check})
        m.setWanted(a, true);

    // On the ladder page, beside "letzte Änderung".
    TLeiterAllgemeinPage* page = w.allgemeinPage();
    if (auto* grid = page ? qobject_cast<QGridLayout*>(page->layout()) : nullptr) {
        auto* b = new QPushButton(QStringLiteral("Änderungsverlauf ..."), page);
        b->setObjectName(QStringLiteral("BVerlauf"));
        b->setToolTip(QStringLiteral("Wer hat diese Leiter und ihre Prüfungen wann geändert"));
        grid->addWidget(b, 8, 0, 1, 2, Qt::AlignLeft);
        QObject::connect(b, &QPushButton::clicked, &w, [&w, pop] { pop->trigger(); });
        // Not while the ladder is being edited: the history shows saved changes only.
        QObject::connect(pop, &QAction::changed, b, [b, pop] { b->setEnabled(pop->isEnabled()); });
    }
}

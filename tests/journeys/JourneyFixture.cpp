#include "JourneyFixture.h"

#include "BarcodeFeature.h"
#include "CursorModel.h"
#include "Dialogs.h"
#include "Features.h"
#include "KurzBezVorschlaege.h"
#include "LeiterGrid.h"
#include "LeiterRegeln.h"
#include "Query.h"
#include "Table.h"
#include "UserState.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QMenu>
#include <QtTest>
#include <sqlite3.h>

int Journey::addRow(const QString& table, const QVariantMap& values)
{
    return addTestRow(table, values, QString());
}

namespace {

QVariant columnValue(sqlite3_stmt* st, int col)
{
    switch (sqlite3_column_type(st, col)) {
    case SQLITE_INTEGER: return QVariant(qint64(sqlite3_column_int64(st, col)));
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(st, col));
    case SQLITE_NULL: return QVariant();
    default:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, col)), sqlite3_column_bytes(st, col));
    }
}

} // namespace

Journey::Journey()
{
    resetDialogsForTest();
    UserState::reset();
    LeiterNrPolitik::reset();
    KurzBezVorschlaege::setVerzeichnis(programDir.path());
    Journey::addRow("PR_TAB", {{"Nr", 1}, {"KurzBez", "Jährliche"}, {"Jahre", 1}, {"Monate", 0}, {"Tage", 0}});
    Journey::addRow("PR_TAB", {{"Nr", 2}, {"KurzBez", "Halbjährliche"}, {"Jahre", 0}, {"Monate", 6}, {"Tage", 0}});
    Journey::addRow("PRUEFER", {{"KurzBez", "Meier"}});
    Journey::addRow("PRUEFER", {{"KurzBez", "Schulz"}});
    Journey::addRow("LARTEN", {{"KurzBez", "Stehleiter"}, {"Typ", "ST"}});
    Journey::addRow("LARTEN", {{"KurzBez", "Anlegeleiter"}, {"Typ", "AL"}});
    Journey::addRow("MATERIAL", {{"KurzBez", "Alu"}});
    Journey::addRow("MATERIAL", {{"KurzBez", "Holz"}});
    const int muster = Journey::addRow("FIRMEN", {{"KurzBez", "Muster GmbH"}});
    Journey::addRow("FIRMEN", {{"KurzBez", "Halle Nord"}, {"ParentID", muster}});
    Journey::addRow("FIRMEN", {{"KurzBez", "Halle Süd"}, {"ParentID", muster}});
    const int bau = Journey::addRow("FIRMEN", {{"KurzBez", "Bau AG"}});
    Journey::addRow("FIRMEN", {{"KurzBez", "Lager"}, {"ParentID", bau}});
    Journey::addRow("LFNAME", {{"KurzBez", "Leiterbau Krause"}});
    Journey::addRow("LFNAME", {{"KurzBez", "Steigtechnik Ost"}});

    const QStringList names = {"Stehleiter Alu", "Anlegeleiter Holz", "Podestleiter", "Schiebeleiter", "Stehleiter Holz"};
    for (int nr = 1; nr <= names.size(); ++nr) {
        QVariantMap v{{"Nr", nr}, {"KurzBez", names[nr - 1]}};
        if (nr == 1)
            v.insert({{"PruefungArt_ID", 1}, {"Firma", "Muster GmbH"}, {"FirmenAbtID", 2}, {"Lieferant", "Leiterbau Krause"},
                      {"StufenAnzahl", 6}, {"PruefTermin", QDate(2026, 6, 1)}});
        if (nr <= 2)
            v.insert({{"PrMaterial", true}, {"PrVerbindungen", true}});
        addRow("LT_LEIT", v);
    }
    for (const QDate& d : {QDate(2024, 5, 10), QDate(2025, 5, 12)})
        addRow("LT_PRUEF", {{"LT_ID", 1}, {"Datum", d}, {"PruefungArt_ID", 1}, {"Pruefer_ID", 1}, {"PrMaterial", true},
                            {"PrErlMaterial", true}, {"PrVerbindungen", true}, {"PrErlVerbindungen", true}});
}

Journey::~Journey()
{
    w.reset();
    dm.reset();
    KurzBezVorschlaege::setVerzeichnis(QString());
}

TLeiterVerw& Journey::open()
{
    dm = std::make_unique<TDataModule1>();
    w = std::make_unique<TLeiterVerw>(*dm);
    plugFeatures(*w);
    createSerialBarcodeWindow(*w);
    w->show();
    w->activateWindow();
    [this] { QVERIFY(QTest::qWaitForWindowActive(w.get())); }();
    w->grid()->setFocus();
    return *w;
}

void Journey::click(QWidget* widget)
{
    QVERIFY(widget);
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
}

void Journey::click(QWidget* widget, const QPoint& pos)
{
    QVERIFY(widget);
    // As the window system does: the click goes to the child under the mouse.
    QWidget* target = widget;
    QPoint at = pos;
    if (QWidget* c = widget->childAt(pos)) {
        at = c->mapFrom(widget, pos);
        target = c;
    }
    QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, at);
}

void Journey::clickCell(int row, const QString& field) const
{
    TLeiterGrid* g = w->grid();
    const int col = g->cursorModel()->columnOf(field);
    QVERIFY2(row >= 0 && col >= 0, qPrintable(QStringLiteral("no cell %1/%2").arg(row).arg(field)));
    const QModelIndex index = g->model()->index(row, col);
    g->scrollTo(index);
    QTest::mouseClick(g->viewport(), Qt::LeftButton, Qt::NoModifier, g->visualRect(index).center());
}

void Journey::clickMenuEntry(QMenu* menu, QAction* entry)
{
    QVERIFY(menu && entry);
    QTRY_VERIFY(menu->isVisible());
    QVERIFY2(entry->isEnabled(), qPrintable(entry->text()));
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(entry).center());
    QTRY_VERIFY(!menu->isVisible());
}

void Journey::clickLadder(int nr) const
{
    [&] { QTRY_VERIFY_WITH_TIMEOUT(rowOfNr(nr) >= 0, 10000); }();
    clickCell(rowOfNr(nr), QStringLiteral("Nr"));
}

int Journey::rowOfNr(int nr) const
{
    TLeiterGrid* g = w->grid();
    const int col = g->cursorModel()->columnOf(QStringLiteral("Nr"));
    for (int row = 0; row < g->model()->rowCount(); ++row)
        if (g->model()->index(row, col).data().toInt() == nr)
            return row;
    return -1;
}

void Journey::type(const QString& text)
{
    for (const QChar c : text) {
        QWidget* f = QApplication::focusWidget();
        QVERIFY2(f, "no widget has the focus");
        QTest::keyClicks(f, QString(c));
    }
}

void Journey::key(int key, Qt::KeyboardModifiers modifiers)
{
    QWidget* f = QApplication::focusWidget();
    QVERIFY2(f, "no widget has the focus");
    QTest::keyClick(f, Qt::Key(key), modifiers);
}

void Journey::onNextForm(std::function<void(QDialog*)> drive)
{
    Dialogs::setFormHook([drive](QDialog* dialog) {
        // One form only; clearing the hook ends this closure, so its drive is copied first.
        const std::function<void(QDialog*)> run = drive;
        Dialogs::setFormHook(nullptr);
        dialog->setResult(QDialog::Rejected);
        dialog->show();
        dialog->activateWindow();
        if (!QTest::qWaitFor([dialog] { return dialog->isAncestorOf(QApplication::focusWidget()); }, 2000))
            qWarning("form %s has not got the focus", qPrintable(dialog->objectName()));
        run(dialog);
        if (!QTest::qWaitFor([dialog] { return !dialog->isVisible(); }, 2000)) {
            qWarning("form %s still open", qPrintable(dialog->objectName()));
            dialog->reject();
        }
        // As after a modal dialog: the window below is active again.
        if (QWidget* below = dialog->parentWidget()) {
            below->window()->activateWindow();
            if (!QTest::qWaitForWindowActive(below->window()))
                qWarning("window below form %s not active again", qPrintable(dialog->objectName()));
        }
        return dialog->result();
    });
}

QWidget* Journey::child(const char* objectName) const
{
    QWidget* c = w->findChild<QWidget*>(QLatin1String(objectName));
    [&] { QVERIFY2(c, objectName); }();
    return c;
}

QList<QVariantMap> Journey::rows(const QString& sql) const
{
    QList<QVariantMap> out;
    if (TestDataDir::onServer()) {
        // Server runs: a fresh query of its own, outside the window's cursors.
        Query q;
        q.setSql(sql);
        q.open();
        for (q.first(); !q.eof(); q.next()) {
            QVariantMap row;
            for (const auto& f : q.fields())
                row.insert(f->name(), f->value());
            out << row;
        }
        return out;
    }
    sqlite3* db = nullptr;
    const QByteArray file = QDir(dir.path()).filePath(QStringLiteral("tarvino.sqlite")).toUtf8();
    if (sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        qWarning("cannot open %s", file.constData());
        sqlite3_close(db);
        return out;
    }
    sqlite3_busy_timeout(db, 5000);
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK) {
        qWarning("%s: %s", qPrintable(sql), sqlite3_errmsg(db));
    } else {
        while (sqlite3_step(st) == SQLITE_ROW) {
            QVariantMap row;
            for (int c = 0; c < sqlite3_column_count(st); ++c)
                row.insert(QString::fromUtf8(sqlite3_column_name(st, c)), columnValue(st, c));
            out << row;
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

QVariant Journey::scalar(const QString& sql) const
{
    const QList<QVariantMap> r = rows(sql);
    return r.isEmpty() || r.first().isEmpty() ? QVariant() : r.first().first();
}

QVariantMap Journey::ladder(int nr) const
{
    const QList<QVariantMap> r = rows(QStringLiteral("SELECT * FROM LT_LEIT WHERE Nr = %1").arg(nr));
    return r.isEmpty() ? QVariantMap() : r.first();
}

int Journey::count(const QString& table) const
{
    return scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table)).toInt();
}

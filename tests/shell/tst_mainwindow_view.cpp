#include "AboutBox.h"
#include "AppConfig.h"
#include "CursorModel.h"
#include "DbTreeLookupComboBox.h"
#include "DataModule.h"
#include "Dialogs.h"
#include "Features.h"
#include "KurzBezVorschlaege.h"
#include "LeiterGrid.h"
#include "LeiterRegeln.h"
#include "LeiterVerw.h"
#include "MainMenus.h"
#include "PruefungsSeite.h"
#include "Table.h"
#include "TestSupport.h"
#include "UserState.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QStyleOptionComboBox>
#include <QTableView>
#include <QtTest>

namespace {

QString plain(QString text)
{
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return text;
}

QString where(const QWidget* w)
{
    return QStringLiteral("%1 (%2)").arg(w->objectName(), QLatin1String(w->metaObject()->className()));
}

// Texts a widget shows that do not fit into the room it gives them: measured with the
// widget's own font against the part of the widget the style draws the text into.
QStringList clippedTexts(const QWidget* w)
{
    QStringList out;
    const QFontMetrics fm(w->font());
    auto check = [&](const QString& text, int room) {
        const int need = fm.horizontalAdvance(text);
        if (!text.isEmpty() && need > room)
            out << QStringLiteral("%1: \"%2\" needs %3 px, has %4").arg(where(w), text).arg(need).arg(room);
    };
    if (auto* b = qobject_cast<const QPushButton*>(w)) {
        const int margin = w->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, w);
        int room = b->contentsRect().width() - margin;
        if (!b->icon().isNull())
            room -= b->iconSize().width() + 4;
        if (b->menu())
            room -= w->style()->pixelMetric(QStyle::PM_MenuButtonIndicator, nullptr, w);
        check(plain(b->text()), room);
    } else if (auto* b = qobject_cast<const QAbstractButton*>(w);
               b && (qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w))) {
        if (b->sizeHint().width() > b->width())
            check(plain(b->text()), b->width() - (b->sizeHint().width() - fm.horizontalAdvance(plain(b->text()))));
    } else if (auto* l = qobject_cast<const QLabel*>(w)) {
        if (!l->wordWrap() && l->pixmap().isNull() && l->textFormat() != Qt::RichText
            && !Qt::mightBeRichText(l->text()))
            for (const QString& line : plain(l->text()).split(QLatin1Char('\n')))
                check(line, l->contentsRect().width() - 2 * l->margin() - qMax(0, l->indent()));
    } else if (auto* c = qobject_cast<const QComboBox*>(w)) {
        QStyleOptionComboBox opt;
        opt.initFrom(c);
        opt.editable = c->isEditable();
        opt.frame = c->hasFrame();
        const QRect field = c->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, c);
        // Whatever can be chosen must be readable once chosen.
        check(c->currentText(), field.width() - 2);
        for (int i = 0; i < c->count() && !c->isEditable(); ++i)
            if (i != c->currentIndex())
                check(c->itemText(i), field.width() - 2);
    } else if (auto* g = qobject_cast<const QGroupBox*>(w)) {
        check(plain(g->title()), g->width() - 16);
    } else if (auto* v = qobject_cast<const QTableView*>(w)) {
        const QAbstractItemModel* m = v->model();
        const int pad = 2 * (v->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, v) + 1);
        const QFontMetrics vfm(v->font());
        for (int c = 0; m && c < m->columnCount(); ++c) {
            if (v->isColumnHidden(c) || v->columnWidth(c) <= 0)
                continue;
            const QString title = m->headerData(c, Qt::Horizontal).toString();
            // Dates and numbers; a long text may end in the cell's dots.
            static const QRegularExpression dateOrNumber(QStringLiteral("^[-+\\d.,:/ ]+$"));
            for (int r = 0; r < qMin(m->rowCount(), 20); ++r) {
                const QString text = m->index(r, c).data().toString();
                if (!dateOrNumber.match(text).hasMatch())
                    continue;
                const int need = vfm.horizontalAdvance(text);
                if (need > v->columnWidth(c) - pad)
                    out << QStringLiteral("%1 column %2: \"%3\" needs %4 px, has %5")
                               .arg(where(w), title, text)
                               .arg(need)
                               .arg(v->columnWidth(c) - pad);
            }
        }
    }
    return out;
}

QStringList clippedBelow(const QWidget* root)
{
    QStringList out;
    for (const QWidget* w : root->findChildren<QWidget*>()) {
        if (!w->isVisible() || w->width() <= 0 || w->isWindow())
            continue;
        out << clippedTexts(w);
        // A widget squeezed out of its parent or under its neighbour in the same layout.
        const QWidget* p = w->parentWidget();
        QLayout* l = p ? p->layout() : nullptr;
        if (!l || l->indexOf(const_cast<QWidget*>(w)) < 0)
            continue;
        if (!p->rect().contains(w->geometry()))
            out << QStringLiteral("%1 reaches out of %2 (%3 in %4)").arg(where(w), where(p)).arg(QDebug::toString(w->geometry()), QDebug::toString(p->rect()));
        for (const QWidget* s : p->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (s != w && s->isVisible() && l->indexOf(const_cast<QWidget*>(s)) >= 0
                && s->geometry().intersects(w->geometry()) && where(s) < where(w))
                out << QStringLiteral("%1 overlaps %2").arg(where(w), where(s));
    }
    return out;
}

// Contrast ratio of two colours (1 to 21) from their relative luminance.
double contrast(const QColor& a, const QColor& b)
{
    auto lum = [](const QColor& c) {
        auto ch = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * ch(c.redF()) + 0.7152 * ch(c.greenF()) + 0.0722 * ch(c.blueF());
    };
    const double la = lum(a), lb = lum(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

} // namespace

// What the user sees of the main window: every caption and date readable at the window's
// minimum size, the record counter and the colours of marked rows.
class TestMainWindowView : public QObject {
    Q_OBJECT

    struct Register {
        TestDataDir dir;
        QTemporaryDir programDir;
        std::unique_ptr<TDataModule1> dm;
        std::unique_ptr<TLeiterVerw> w;

        Register()
        {
            KurzBezVorschlaege::setVerzeichnis(programDir.path());
            add("PR_TAB", {{"Nr", 1}, {"KurzBez", "Vierteljährliche Prüfung"}, {"Monate", 3}}, "Nr");
            add("FIRMEN", {{"KurzBez", "Muster GmbH"}});
            const QStringList names = {"Mitte", "Zuletzt", "Anfang", "Bockleiter", "Stehleiter"};
            for (int i = 0; i < names.size(); ++i) {
                const int id = add("LT_LEIT", {{"Nr", i + 1}, {"KurzBez", names[i]}, {"PruefungArt_ID", 1},
                                               {"PruefTermin", QDate(2025, 12, 31)}, {"Firma", "Muster GmbH"}});
                add("LT_PRUEF", {{"LT_ID", id}, {"Datum", QDate(2025, 3, 28)}, {"PruefungArt_ID", 1}});
            }
        }
        ~Register()
        {
            w.reset();
            dm.reset();
            KurzBezVorschlaege::setVerzeichnis(QString());
        }
        static int add(const QString& table, const QVariantMap& values, const QString& key = QStringLiteral("ID"))
        {
            return addTestRow(table, values, key);
        }
        TLeiterVerw& open()
        {
            dm = std::make_unique<TDataModule1>();
            w = std::make_unique<TLeiterVerw>(*dm);
            plugFeatures(*w);
            w->show();
            w->activateWindow();
            [this] { QVERIFY(QTest::qWaitForWindowActive(w.get())); }();
            return *w;
        }
    };

private slots:
    void init()
    {
        resetDialogsForTest();
        LeiterNrPolitik::reset();
        UserState::reset();
    }

    void everyTextReadableAtTheMinimumSize_data()
    {
        QTest::addColumn<bool>("maximised");
        QTest::newRow("minimum size") << false;
        QTest::newRow("maximised") << true;
    }

    void everyTextReadableAtTheMinimumSize()
    {
        QFETCH(bool, maximised);
        Register r;
        TLeiterVerw& w = r.open();
        if (maximised)
            w.showMaximized();
        else
            w.resize(w.minimumSize());
        QTRY_COMPARE(w.size(), maximised ? w.size() : QSize(604, 522));
        QCOMPARE(w.minimumSize(), QSize(604, 522));
        // What the window fills in once it is up (the overdue count) and the layout after it.
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QStringList clipped;
        for (int page = 0; page < w.notebook()->count(); ++page) {
            w.notebook()->setCurrentIndex(page);
            QCoreApplication::processEvents();
            clipped << clippedBelow(&w);
        }
        // The department filter shows a company name in full.
        const QFontMetrics fm(w.DbFilterAbt->font());
        if (w.DbFilterAbt->width() < fm.horizontalAdvance("Muster GmbH") + 30)
            clipped << QStringLiteral("DbFilterAbt: %1 px wide").arg(w.DbFilterAbt->width());
        clipped.removeDuplicates();
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join('\n')));
    }

    void aboutBoxShowsTheWholeDate()
    {
        AppConfig::instance().internalVersion = QStringLiteral("1.0.12");
        AppConfig::instance().versionDate = QStringLiteral("23.06.2025");
        QStringList clipped;
        QString version;
        Dialogs::setFormHook([&](QDialog* d) {
            d->show();
            QCoreApplication::processEvents();
            clipped = clippedBelow(d);
            version = d->findChild<QLabel*>("Version")->text();
            return int(QDialog::Accepted);
        });
        TAboutBox::zeigen(nullptr);
        QCOMPARE(version, QString("int. Version : 1.0.12 - 23.06.2025"));
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join('\n')));
    }

    // The counter shows the position of the same ladder in the new order.
    void counterFollowsTheSortOrder()
    {
        Register r;
        TLeiterVerw& w = r.open();
        QCOMPARE(w.Sort->currentText(), QString("Leiter-Nr"));
        TLeiterGrid* grid = w.grid();
        const int nrCol = grid->cursorModel()->columnOf("Nr");
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(2, nrCol)).center());
        QCOMPARE(w.leiter()->field("KurzBez").asString(), QString("Anfang"));
        QCOMPARE(w.statusPanel(2)->text(), QString(" 3 von 5 "));
        w.Sort->setFocus();
        const int target = w.Sort->findText("Kurzbezeichnung");
        QVERIFY(target >= 0);
        while (w.Sort->currentIndex() != target) {
            const int before = w.Sort->currentIndex();
            QTest::keyClick(w.Sort, target > before ? Qt::Key_Down : Qt::Key_Up);
            QVERIFY(w.Sort->currentIndex() != before);
            w.Sort->setFocus();
        }
        QCOMPARE(w.leiter()->indexFieldNames(), QString("KurzBez"));
        QCOMPARE(w.leiter()->field("KurzBez").asString(), QString("Anfang"));
        QCOMPARE(w.statusPanel(2)->text(), QString(" 1 von 5 "));
    }

    // Marked rows: readable text on the mark colour, selected or not.
    void markedRowsKeepTheirTextReadable_data()
    {
        QTest::addColumn<bool>("selected");
        QTest::newRow("marked") << false;
        QTest::newRow("marked and selected") << true;
    }

    void markedRowsKeepTheirTextReadable()
    {
        QFETCH(bool, selected);
        Register r;
        TLeiterVerw& w = r.open();
        TLeiterGrid* grid = w.grid();
        const int col = grid->cursorModel()->columnOf("KurzBez");
        // Mark rows 1 and 2 (double click toggles the mark), then stand on the one to look at.
        for (int row : {0, 1}) {
            const QPoint at = grid->visualRect(grid->model()->index(row, col)).center();
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
        }
        QCOMPARE(w.statusPanel(3)->text(), QString("M : 2"));
        const int row = selected ? 1 : 0;
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(3, col)).center());
        if (selected)
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                              grid->visualRect(grid->model()->index(row, col)).center());
        grid->viewport()->repaint();
        const QImage shot = grid->viewport()->grab(grid->visualRect(grid->model()->index(row, col))).toImage();
        // The background is the most frequent colour; the text is the colour farthest from it.
        QHash<QRgb, int> counts;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                ++counts[shot.pixel(x, y)];
        QRgb background = 0;
        for (auto it = counts.begin(); it != counts.end(); ++it)
            if (it.value() > counts.value(background))
                background = it.key();
        double best = 1;
        for (auto it = counts.begin(); it != counts.end(); ++it)
            best = qMax(best, contrast(QColor(background), QColor(it.key())));
        QVERIFY2(QColor(background) != grid->palette().color(QPalette::Base),
                 "the marked row shows its mark colour");
        QVERIFY2(best >= 4.5, qPrintable(QString("contrast %1 on %2").arg(best).arg(QColor(background).name())));
    }
};

QTEST_MAIN(TestMainWindowView)
#include "tst_mainwindow_view.moc"

#include "FensterLage.h"

#include "Engine.h"
#include "IniFile.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>
#include <QScreen>
#include <QWidget>

namespace FensterLage {

namespace {
const char* const kSection = "Hauptfenster";
}

QString datei()
{
    const QString dir = Engine::instance().privateDir();
    return dir.isEmpty() ? QString() : QDir(dir).filePath(QStringLiteral("holmwacht-fenster.ini"));
}

std::optional<Lage> lesen(const QString& file)
{
    if (file.isEmpty())
        return std::nullopt;
    const QString section = QLatin1String(kSection);
    int v[4];
    const char* keys[] = {"X", "Y", "Breite", "Hoehe"};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = readIniValue(file, section, QLatin1String(keys[i])).trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    if (v[2] <= 0 || v[3] <= 0)
        return std::nullopt;
    Lage lage;
    lage.normal = QRect(v[0], v[1], v[2], v[3]);
    lage.maximiert = readIniValue(file, section, QStringLiteral("Maximiert")).trimmed() == QLatin1String("1");
    return lage;
}

bool schreiben(const QString& file, const Lage& lage)
{
    if (file.isEmpty() || !lage.normal.isValid())
        return false;
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    const QString text = QStringLiteral("[%1]\nX=%2\nY=%3\nBreite=%4\nHoehe=%5\nMaximiert=%6\n")
                             .arg(QLatin1String(kSection))
                             .arg(lage.normal.x())
                             .arg(lage.normal.y())
                             .arg(lage.normal.width())
                             .arg(lage.normal.height())
                             .arg(lage.maximiert ? 1 : 0);
    out.write(text.toUtf8());
    return out.commit();
}

std::optional<QRect> aufBildschirm(const QRect& r, const QList<QRect>& screens, const QSize& minimum)
{
    const QRect* best = nullptr;
    qint64 bestArea = 0;
    for (const QRect& s : screens) {
        const QRect common = s.intersected(r);
        const qint64 area = common.isEmpty() ? 0 : qint64(common.width()) * common.height();
        if (area > bestArea) {
            bestArea = area;
            best = &s;
        }
    }
    if (!best)
        return std::nullopt;
    const QRect& s = *best;
    QSize size = r.size().boundedTo(s.size()).expandedTo(minimum.boundedTo(s.size()));
    QPoint pos = r.topLeft();
    pos.setX(qBound(s.left(), pos.x(), s.right() + 1 - size.width()));
    pos.setY(qBound(s.top(), pos.y(), s.bottom() + 1 - size.height()));
    return QRect(pos, size);
}

QRect anfang(const QSize& gewuenscht, const QSize& minimum, const QRect& screen)
{
    const QSize size = gewuenscht.expandedTo(minimum).boundedTo(screen.size());
    QRect r(QPoint(0, 0), size);
    r.moveCenter(screen.center());
    return r;
}

namespace {
// The frame the window system draws around the client area (title bar and borders), as far as
// it is known before the window is shown; a guess of a usual title bar otherwise.
QMargins rahmen(const QWidget& w)
{
    const QRect frame = w.frameGeometry();
    const QRect client = w.geometry();
    if (frame != client)
        return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                        frame.bottom() - client.bottom());
    return QMargins(0, 30, 0, 0);
}

QList<QRect> bildschirme()
{
    QList<QRect> out;
    for (QScreen* s : QGuiApplication::screens())
        out << s->availableGeometry();
    return out;
}

// Once the window is shown its frame is known (where the window system tells it): a frame that
// reaches beyond the screen, as the guessed title bar may make it, is brought back onto it.
class RahmenPruefen : public QObject {
public:
    explicit RahmenPruefen(QWidget& window) : QObject(&window) { window.installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched == parent()) {
            halten(*static_cast<QWidget*>(watched));
            deleteLater();
        }
        return false;
    }

private:
    static void halten(QWidget& w)
    {
        const QRect frame = w.frameGeometry();
        const QRect client = w.geometry();
        if (w.isMaximized() || w.isFullScreen() || frame == client)
            return;
        const QMargins m(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                         frame.bottom() - client.bottom());
        const std::optional<QRect> r = aufBildschirm(frame, bildschirme(), w.minimumSize().grownBy(m));
        if (r && *r != frame)
            w.setGeometry(r->marginsRemoved(m));
    }
};
} // namespace

void wiederherstellen(QWidget& window, const QSize& gewuenscht)
{
    new RahmenPruefen(window);
    const QList<QRect> screens = bildschirme();
    if (screens.isEmpty())
        return;
    const QMargins m = rahmen(window);
    const QSize minimum = window.minimumSize().grownBy(m);
    if (const std::optional<Lage> lage = lesen(datei())) {
        // Kept as the client area; placed with its frame so the title bar stays on the screen.
        if (const std::optional<QRect> r = aufBildschirm(lage->normal.marginsAdded(m), screens, minimum)) {
            window.setGeometry(r->marginsRemoved(m));
            if (lage->maximiert)
                window.setWindowState(window.windowState() | Qt::WindowMaximized);
            return;
        }
    }
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    // A remembered size on a screen no longer there is kept, centred on the screen at hand.
    const std::optional<Lage> lage = lesen(datei());
    const QSize size = lage ? lage->normal.size() : gewuenscht;
    const QRect r = anfang(size.grownBy(m), minimum, screen->availableGeometry());
    window.setGeometry(r.marginsRemoved(m));
    if (lage && lage->maximiert)
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
}

void sichern(const QWidget& window)
{
    Lage lage;
    lage.maximiert = window.isMaximized();
    lage.normal = lage.maximiert || window.isMinimized() ? window.normalGeometry() : window.geometry();
    if (!lage.normal.isValid())
        lage.normal = window.geometry();
    schreiben(datei(), lage);
}

} // namespace FensterLage

#pragma once
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>

class QWidget;

// Size, position and maximised state of the main window, kept per workstation in its private
// directory, so that the window opens as it was left; without a remembered one it opens at a
// size that shows the whole ladder page on the screen at hand.
namespace FensterLage {

struct Lage {
    QRect normal;               // the window's geometry when not maximised
    bool maximiert = false;
};

// <private directory>/holmwacht-fenster.ini; empty when the workstation has no private directory.
QString datei();
// nullopt when the file holds no usable geometry.
std::optional<Lage> lesen(const QString& file);
// Written beside and renamed, so that a failure leaves the old file.
bool schreiben(const QString& file, const Lage& lage);

// A remembered rectangle on the screens at hand: on the screen it overlaps most, shrunk to that
// screen's available area and moved inside it (a screen since removed or made smaller); nullopt
// when it overlaps none.
std::optional<QRect> aufBildschirm(const QRect& r, const QList<QRect>& screens, const QSize& minimum);
// Without a remembered rectangle: the wanted size, at least the minimum and at most the screen,
// centred on the screen.
QRect anfang(const QSize& gewuenscht, const QSize& minimum, const QRect& screen);

// Applies the remembered placement (or the first one) before the window is shown.
void wiederherstellen(QWidget& window, const QSize& gewuenscht);
// Remembers the placement of a window that closes.
void sichern(const QWidget& window);

} // namespace FensterLage

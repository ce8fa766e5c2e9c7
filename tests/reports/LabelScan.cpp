#include "LabelScan.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <cmath>

namespace LabelScan {

QStringList pageImages(const QString& pdf, const QString& dir, int dpi)
{
    const QString prefix = dir + QStringLiteral("/seite");
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"), pdf, prefix});
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        return {};
    QStringList out;
    // pdftoppm pads the page number to the width of the page count.
    QStringList names = QDir(dir).entryList({QStringLiteral("seite-*.png")}, QDir::Files);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    for (const QString& n : names)
        out << dir + u'/' + n;
    return out;
}

QList<QStringList> scanPlaces(const QString& pdf, const EtikettenFormat& format, int dpi)
{
    QTemporaryDir dir;
    const QStringList pages = pageImages(pdf, dir.path(), dpi);
    const double pxPerMm = dpi / 25.4;
    QStringList files;
    for (int s = 0; s < pages.size(); ++s) {
        const QImage page(pages[s]);
        for (int i = 0; i < format.proSeite(); ++i) {
            const QRectF mm = format.platz(i);
            const QRect px(int(std::lround(mm.x() * pxPerMm)), int(std::lround(mm.y() * pxPerMm)),
                           int(std::lround(mm.width() * pxPerMm)), int(std::lround(mm.height() * pxPerMm)));
            const QString file = dir.path() + QStringLiteral("/platz-%1-%2.png").arg(s).arg(i);
            page.copy(px).save(file);
            files << file;
        }
    }
    QList<QStringList> out(files.size());
    if (files.isEmpty())
        return out;
    QProcess p;
    p.start(QStringLiteral("zbarimg"), QStringList{QStringLiteral("-q"), QStringLiteral("--xml")} + files);
    p.waitForFinished(300000);
    QXmlStreamReader xml(p.readAllStandardOutput());
    int current = -1;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("source"))
            current = int(files.indexOf(xml.attributes().value(QLatin1String("href")).toString()));
        else if (xml.name() == QLatin1String("data") && current >= 0)
            out[current] << xml.readElementText();
    }
    return out;
}

} // namespace LabelScan

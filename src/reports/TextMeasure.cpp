#include "TextMeasure.h"

#include <QFontMetricsF>
#include <QImage>
#include <QTextLayout>

namespace {

// 2540 dpi: one pixel is a hundredth of a millimetre.
constexpr double pixelsPerUnit = 10.0;

const QImage& referenceDevice()
{
    static const QImage device = [] {
        QImage img(1, 1, QImage::Format_ARGB32);
        img.setDotsPerMeterX(100000);
        img.setDotsPerMeterY(100000);
        return img;
    }();
    return device;
}

} // namespace

namespace TextMeasure {

double lineHeight(const QFont& font)
{
    QFontMetricsF fm(font, &referenceDevice());
    return fm.lineSpacing() / pixelsPerUnit;
}

double width(const QString& text, const QFont& font)
{
    QFontMetricsF fm(font, &referenceDevice());
    return fm.horizontalAdvance(text) / pixelsPerUnit;
}

QString elided(const QString& text, const QFont& font, double widthUnits)
{
    if (width(text, font) <= widthUnits)
        return text;
    QFontMetricsF fm(font, &referenceDevice());
    return fm.elidedText(text, Qt::ElideRight, widthUnits * pixelsPerUnit);
}

QStringList wrap(const QString& text, const QFont& font, double widthUnits)
{
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalized.replace(u'\r', u'\n');
    QStringList lines;
    const QStringList paragraphs = normalized.split(u'\n');
    for (const QString& paragraph : paragraphs) {
        if (paragraph.isEmpty()) {
            lines << QString();
            continue;
        }
        QTextLayout layout(paragraph, font, const_cast<QImage*>(&referenceDevice()));
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(widthUnits * pixelsPerUnit);
            QString part = paragraph.mid(line.textStart(), line.textLength());
            while (part.endsWith(u' '))
                part.chop(1);
            lines << part;
        }
        layout.endLayout();
    }
    return lines;
}

} // namespace TextMeasure

#include "DisplayMask.h"

#include <QDateTime>
#include <QLocale>
#include <cmath>

namespace {

const QLocale& german()
{
    static const QLocale locale(QLocale::German, QLocale::Germany);
    return locale;
}

bool isNumberChar(QChar c) { return c == u'#' || c == u'0' || c == u'.' || c == u','; }

// Text outside the digit pattern; quotes mark literal text and are dropped.
QString literal(const QString& text)
{
    QString out;
    for (QChar c : text)
        if (c != u'"' && c != u'\'')
            out += c;
    return out;
}

QString quoted(const QString& text)
{
    QString t = text;
    t.replace(u'\'', QStringLiteral("''"));
    return u'\'' + t + u'\'';
}

} // namespace

namespace DisplayMask {

QString formatNumber(double value, const QString& mask)
{
    if (mask.isEmpty()) {
        QLocale locale = german();
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        return locale.toString(value, 'g', 15);
    }
    // The digit pattern is the first run of # 0 . , outside quotes.
    int start = -1, end = -1;
    QChar quote;
    for (int i = 0; i < mask.size(); ++i) {
        const QChar c = mask[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == u'"' || c == u'\'') {
            if (start >= 0)
                break;
            quote = c;
            continue;
        }
        if (isNumberChar(c) && (c == u'#' || c == u'0' || start >= 0)) {
            if (start < 0)
                start = i;
            end = i + 1;
        } else if (start >= 0) {
            break;
        }
    }
    if (start < 0)
        return literal(mask);
    const QString pattern = mask.mid(start, end - start);
    const int dot = int(pattern.indexOf(u'.'));
    const QString intPart = dot < 0 ? pattern : pattern.left(dot);
    const QString fracPart = dot < 0 ? QString() : pattern.mid(dot + 1);
    const int maxDecimals = int(fracPart.count(u'0') + fracPart.count(u'#'));
    const int minDecimals = int(fracPart.count(u'0'));
    const int minIntDigits = int(intPart.count(u'0'));
    const bool grouping = intPart.contains(u',');

    const double rounded = std::round(value * std::pow(10.0, maxDecimals)) / std::pow(10.0, maxDecimals);
    QLocale locale = german();
    locale.setNumberOptions(grouping ? QLocale::DefaultNumberOptions : QLocale::OmitGroupSeparator);
    QString digits = locale.toString(std::fabs(rounded), 'f', maxDecimals);
    const QChar decimalPoint = locale.decimalPoint().at(0);
    if (maxDecimals > minDecimals) {
        int keep = int(digits.size());
        int dropped = 0;
        while (dropped < maxDecimals - minDecimals && digits[keep - 1] == u'0') {
            --keep;
            ++dropped;
        }
        digits.truncate(keep);
        if (digits.endsWith(decimalPoint))
            digits.chop(1);
    }
    int intDigits = int(digits.indexOf(decimalPoint));
    if (intDigits < 0)
        intDigits = int(digits.size());
    if (minIntDigits == 0 && digits.startsWith(u'0') && intDigits == 1 && digits.size() > 1)
        digits.remove(0, 1);   // "#.##" prints ",5"
    else if (minIntDigits == 0 && digits == QStringLiteral("0"))
        digits.clear();
    for (int n = intDigits; n < minIntDigits; ++n)
        digits.prepend(u'0');
    const bool negative = rounded < 0 && !digits.isEmpty();
    return literal(mask.left(start)) + (negative ? QStringLiteral("-") : QString()) + digits
           + literal(mask.mid(end));
}

QString formatDateTime(const QDateTime& value, const QString& mask)
{
    // Translate the mask into a Qt format; separators stay as quoted literals.
    QString qtFormat;
    QString pendingLiteral;
    bool afterHour = false;
    auto flushLiteral = [&] {
        if (!pendingLiteral.isEmpty())
            qtFormat += quoted(pendingLiteral);
        pendingLiteral.clear();
    };
    const QString m = mask.isEmpty() ? QStringLiteral("dd.mm.yy") : mask;
    for (int i = 0; i < m.size();) {
        const QChar c = m[i].toLower();
        int n = 1;
        while (i + n < m.size() && m[i + n].toLower() == c)
            ++n;
        QString token;
        switch (c.unicode()) {
        case 'd': token = QString(qMin(n, 4), u'd'); afterHour = false; break;
        case 'm':
            if (afterHour && n <= 2)
                token = QString(n, u'm');
            else
                token = QString(qMin(n, 4), u'M');
            afterHour = false;
            break;
        case 'y': token = n <= 2 ? QStringLiteral("yy") : QStringLiteral("yyyy"); afterHour = false; break;
        case 'h': token = QString(qMin(n, 2), u'H'); afterHour = true; break;
        case 'n': token = QString(qMin(n, 2), u'm'); break;
        case 's': token = QString(qMin(n, 2), u's'); break;
        default:
            pendingLiteral += QString(m.mid(i, n)).remove(u'"');
            i += n;
            continue;
        }
        flushLiteral();
        qtFormat += token;
        i += n;
    }
    flushLiteral();
    return german().toString(value, qtFormat);
}

QString format(const QVariant& value, const QString& mask)
{
    if (!value.isValid() || value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::QDate:
        return formatDateTime(QDateTime(value.toDate(), QTime(0, 0)), mask);
    case QMetaType::QDateTime:
        return formatDateTime(value.toDateTime(), mask);
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        if (mask.isEmpty() && value.typeId() != QMetaType::Double && value.typeId() != QMetaType::Float)
            return QString::number(value.toLongLong());
        return formatNumber(value.toDouble(), mask);
    default:
        return value.toString();
    }
}

} // namespace DisplayMask

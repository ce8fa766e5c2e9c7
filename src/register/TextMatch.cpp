#include "TextMatch.h"

#include "DataSet.h"

QString foldAsciiLetters(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 32);
    return out;
}

TextMatcher::TextMatcher(const QString& searchText)
    : m_text(foldAsciiLetters(searchText)), m_wildcard(searchText.contains(QLatin1Char('?')))
{
}

bool TextMatcher::matches(const QString& fieldText) const
{
    if (m_text.isEmpty() || fieldText.size() < m_text.size())
        return false;
    const QString field = foldAsciiLetters(fieldText);
    if (!m_wildcard)
        return field.contains(m_text);
    const qsizetype n = m_text.size();
    for (qsizetype start = 0; start + n <= field.size(); ++start) {
        qsizetype i = 0;
        while (i < n && (m_text[i] == QLatin1Char('?') || m_text[i] == field[start + i]))
            ++i;
        if (i == n)
            return true;
    }
    return false;
}

LadderTextMatch::LadderTextMatch(const DataSet& ladders)
    : m_kurzBez(ladders.field(QStringLiteral("KurzBez")).index()), m_firma(ladders.field(QStringLiteral("Firma")).index()),
      m_nr(ladders.field(QStringLiteral("Nr")).index()), m_exNr(ladders.field(QStringLiteral("ExNrBez")).index())
{
}

bool LadderTextMatch::matches(const DataSet& d, const TextMatcher& m) const
{
    if (m.isEmpty())
        return false;
    for (int idx : {m_kurzBez, m_firma, m_nr, m_exNr}) {
        const QVariant v = d.fieldAt(idx).value();
        if (v.isValid() && m.matches(v.toString()))
            return true;
    }
    return false;
}

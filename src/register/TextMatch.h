#pragma once
#include <QString>

class DataSet;

// The register's text search: the search text occurs in a field, letters a-z compared
// without regard to case (umlauts and all other characters exactly). A "?" stands for any
// one character and the whole match must lie inside the field. An empty text matches nothing.
class TextMatcher {
public:
    explicit TextMatcher(const QString& searchText = QString());
    const QString& text() const { return m_text; }
    bool isEmpty() const { return m_text.isEmpty(); }
    bool matches(const QString& fieldText) const;

private:
    QString m_text;        // folded
    bool m_wildcard = false;
};

// a-z upper-cased, everything else as it is.
QString foldAsciiLetters(const QString& text);

// A ladder row matches when the text occurs in KurzBez, Firma, Nr (decimal) or ExNrBez.
class LadderTextMatch {
public:
    explicit LadderTextMatch(const DataSet& ladders);
    bool matches(const DataSet& ladders, const TextMatcher& matcher) const;

private:
    int m_kurzBez, m_firma, m_nr, m_exNr;
};

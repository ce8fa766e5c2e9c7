#include "Query.h"

#include "Backend.h"
#include "Catalog.h"
#include "Engine.h"
#include "RowStore.h"

#include <QRegularExpression>
#include <QSet>

Query::Query(QObject* parent) : DataSet(parent) {}

void Query::setSql(const QString& text)
{
    close();
    m_lines = text.split(QLatin1Char('\n'));
}

void Query::addSql(const QString& line)
{
    close();
    m_lines << line;
}

void Query::clearSql()
{
    close();
    m_lines.clear();
}

void Query::setParam(const QString& name, const QVariant& value)
{
    QString n = name;
    if (n.startsWith(QLatin1Char(':')))
        n.remove(0, 1);
    m_params.insert(n.toUpper(), value);
}

QVariant Query::param(const QString& name) const { return m_params.value(name.toUpper()); }

QStringList Query::paramNames() const
{
    Backend* none = nullptr;
    Q_UNUSED(none);
    QStringList names;
    static const QRegularExpression re(QStringLiteral("'(?:[^']|'')*'|:([A-Za-z_][A-Za-z0-9_]*)"));
    auto it = re.globalMatch(sqlText());
    while (it.hasNext()) {
        const auto m = it.next();
        if (!m.captured(1).isEmpty() && !names.contains(m.captured(1), Qt::CaseInsensitive))
            names << m.captured(1);
    }
    return names;
}

QString Query::quoted(const QString& text)
{
    QString s = text;
    s.replace(QLatin1Char('\''), QStringLiteral("''"));
    // A text that reads like a date of the dialect ('01/02/2003') must stay a text: two
    // joined literals, which the translation does not take for a date.
    static const QRegularExpression dateLike(QStringLiteral("^\\d{1,2}/\\d{1,2}/\\d{4}$"));
    if (dateLike.match(text).hasMatch())
        return QStringLiteral("('%1' || '%2')").arg(s.chopped(1), s.right(1));
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}

QString Query::dateLiteral(const QDate& date)
{
    return QLatin1Char('\'') + date.toString(QStringLiteral("MM/dd/yyyy")) + QLatin1Char('\'');
}

namespace {

enum class Tok { Space, String, Ident, QuotedIdent, Number, Param, Symbol };

struct Token {
    Tok kind;
    QString text;
};

QList<Token> tokenize(const QString& sql)
{
    QList<Token> out;
    int i = 0;
    const int n = int(sql.size());
    auto isIdentStart = [](QChar c) { return c.isLetter() || c == QLatin1Char('_'); };
    auto isIdentChar = [](QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('.'); };
    while (i < n) {
        const QChar c = sql[i];
        int j = i + 1;
        if (c.isSpace()) {
            while (j < n && sql[j].isSpace()) ++j;
            out.append({Tok::Space, sql.mid(i, j - i)});
        } else if (c == QLatin1Char('\'')) {
            QString value;
            while (j < n) {
                if (sql[j] == QLatin1Char('\'')) {
                    if (j + 1 < n && sql[j + 1] == QLatin1Char('\'')) {
                        value += QLatin1Char('\'');
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                value += sql[j++];
            }
            out.append({Tok::String, value});
        } else if (c == QLatin1Char('"')) {
            while (j < n && sql[j] != QLatin1Char('"')) ++j;
            out.append({Tok::QuotedIdent, sql.mid(i + 1, j - i - 1)});
            ++j;
        } else if (c == QLatin1Char(':') && j < n && isIdentStart(sql[j])) {
            while (j < n && (sql[j].isLetterOrNumber() || sql[j] == QLatin1Char('_'))) ++j;
            out.append({Tok::Param, sql.mid(i + 1, j - i - 1)});
        } else if (isIdentStart(c)) {
            while (j < n && isIdentChar(sql[j])) ++j;
            out.append({Tok::Ident, sql.mid(i, j - i)});
        } else if (c.isDigit()) {
            while (j < n && (sql[j].isDigit() || sql[j] == QLatin1Char('.'))) ++j;
            out.append({Tok::Number, sql.mid(i, j - i)});
        } else {
            if ((c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('!')) && j < n
                && (sql[j] == QLatin1Char('=') || sql[j] == QLatin1Char('>')))
                ++j;
            out.append({Tok::Symbol, sql.mid(i, j - i)});
        }
        i = j;
    }
    return out;
}

QString stripDb(const QString& name)
{
    if (name.endsWith(QLatin1String(".db"), Qt::CaseInsensitive))
        return name.left(name.size() - 3);
    return name;
}

QString quoteLiteral(const QString& value)
{
    QString s = value;
    s.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}

// Empty values sort first in ascending order: tell databases that do it otherwise.
void addNullsOrder(Backend& db, const QList<Token>& toks, std::vector<QString>& out)
{
    if (db.nullsOrder(false).isEmpty())
        return;
    auto isWord = [&](int k, const char* w) {
        return toks[k].kind == Tok::Ident && toks[k].text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
    };
    auto nextSignificant = [&](int from) {
        for (int k = from; k < toks.size(); ++k)
            if (toks[k].kind != Tok::Space)
                return k;
        return -1;
    };
    QList<int> orderDepths;        // paren depths at which an ORDER BY list is open
    int depth = 0, last = -1;
    bool sawNulls = false;
    auto endItem = [&] {
        if (last >= 0 && !sawNulls)
            out[size_t(last)] += db.nullsOrder(isWord(last, "DESC"));
        last = -1;
        sawNulls = false;
    };
    for (int i = 0; i < toks.size(); ++i) {
        const Token& t = toks[i];
        const bool inOrder = !orderDepths.isEmpty() && orderDepths.last() == depth;
        if (t.kind == Tok::Symbol && t.text == QLatin1String("(")) {
            ++depth;
        } else if (t.kind == Tok::Symbol && t.text == QLatin1String(")")) {
            if (inOrder) {
                endItem();
                orderDepths.removeLast();
            }
            --depth;
            if (!orderDepths.isEmpty() && orderDepths.last() == depth)
                last = i;
            continue;
        } else if (isWord(i, "ORDER") && nextSignificant(i + 1) >= 0 && isWord(nextSignificant(i + 1), "BY")) {
            orderDepths << depth;
            i = nextSignificant(i + 1);
            continue;
        }
        if (!inOrder || t.kind == Tok::Space)
            continue;
        if (t.kind == Tok::Symbol && t.text == QLatin1String(",")) {
            endItem();
        } else if (isWord(i, "LIMIT") || isWord(i, "OFFSET") || isWord(i, "UNION") || isWord(i, "FOR")) {
            endItem();
            orderDepths.removeLast();
        } else {
            if (isWord(i, "NULLS"))
                sawNulls = true;
            if (t.kind != Tok::Symbol || t.text != QLatin1String("("))
                last = i;
        }
    }
    if (!orderDepths.isEmpty() && orderDepths.last() == depth)
        endItem();
}

// A query only reads: one statement, beginning with SELECT, WITH or VALUES, and no word of a
// writing statement anywhere (a CTE may hold a DELETE, SELECT ... INTO makes a table, FOR
// UPDATE locks rows). The database checks once more when it runs the statement.
void refuseWrites(const QList<Token>& toks, const QString& sql)
{
    static const QSet<QString> writing{
        QStringLiteral("INSERT"), QStringLiteral("UPDATE"), QStringLiteral("DELETE"), QStringLiteral("MERGE"),
        QStringLiteral("UPSERT"), QStringLiteral("DROP"), QStringLiteral("CREATE"), QStringLiteral("ALTER"),
        QStringLiteral("TRUNCATE"), QStringLiteral("ATTACH"), QStringLiteral("DETACH"), QStringLiteral("PRAGMA"),
        QStringLiteral("VACUUM"), QStringLiteral("REINDEX"), QStringLiteral("ANALYZE"), QStringLiteral("GRANT"),
        QStringLiteral("REVOKE"), QStringLiteral("COPY"), QStringLiteral("CALL"), QStringLiteral("EXECUTE"),
        QStringLiteral("INTO"), QStringLiteral("LOCK"), QStringLiteral("BEGIN"), QStringLiteral("COMMIT"),
        QStringLiteral("ROLLBACK"), QStringLiteral("SAVEPOINT"), QStringLiteral("RELEASE"), QStringLiteral("SET"),
        QStringLiteral("NOTIFY"), QStringLiteral("LISTEN"), QStringLiteral("REFRESH"), QStringLiteral("COMMENT"),
        QStringLiteral("SECURITY"), QStringLiteral("REPLACE")};
    auto refuse = [&](const QString& why) {
        throw EngineError(QStringLiteral("Eine Abfrage darf nur lesen (%1): %2").arg(why, sql.simplified().left(200)),
                          EngineCode::SqlError);
    };
    int first = -1;
    bool afterEnd = false;
    for (int i = 0; i < toks.size(); ++i) {
        const Token& t = toks[i];
        if (t.kind == Tok::Space)
            continue;
        if (afterEnd)
            refuse(QStringLiteral("nur eine Anweisung"));
        if (first < 0)
            first = i;
        if (t.kind == Tok::Symbol && t.text == QLatin1String(";")) {
            afterEnd = true;
            continue;
        }
        if (t.kind != Tok::Ident)
            continue;
        const QString word = t.text.toUpper();
        // REPLACE is also the text function: only REPLACE( reads.
        if (word == QLatin1String("REPLACE")) {
            int k = i + 1;
            while (k < toks.size() && toks[k].kind == Tok::Space)
                ++k;
            if (k < toks.size() && toks[k].kind == Tok::Symbol && toks[k].text == QLatin1String("("))
                continue;
        }
        if (writing.contains(word))
            refuse(t.text.toUpper());
    }
    if (first < 0)
        refuse(QStringLiteral("keine Anweisung"));
    const Token& head = toks[first];
    const QString word = head.text.toUpper();
    const bool reads = (head.kind == Tok::Ident
                        && (word == QLatin1String("SELECT") || word == QLatin1String("WITH") || word == QLatin1String("VALUES")))
        || (head.kind == Tok::Symbol && head.text == QLatin1String("("));
    if (!reads)
        refuse(head.text);
}

} // namespace

Query::Translation Query::translate(Backend& db) const
{
    static const QRegularExpression dateRe(QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{4})$"));
    QList<Token> toks = tokenize(sqlText());
    refuseWrites(toks, sqlText());
    Translation tr;
    QStringList parts;
    auto prevSignificant = [&](int from) {
        for (int k = from; k >= 0; --k)
            if (toks[k].kind != Tok::Space)
                return k;
        return -1;
    };
    std::vector<QString> out(size_t(toks.size()));
    for (int i = 0; i < toks.size(); ++i) {
        const Token& t = toks[i];
        switch (t.kind) {
        case Tok::String: {
            const auto m = dateRe.match(t.text);
            if (m.hasMatch()) {
                const QDate d(m.captured(3).toInt(), m.captured(1).toInt(), m.captured(2).toInt());
                if (!d.isValid())
                    throw EngineError(QStringLiteral("Ungültiges Datum in der Abfrage: %1").arg(t.text), EngineCode::SqlError);
                out[size_t(i)] = db.dateLiteral(d);
            } else {
                out[size_t(i)] = quoteLiteral(t.text);
            }
            break;
        }
        case Tok::QuotedIdent:
            out[size_t(i)] = stripDb(t.text);
            break;
        case Tok::Param:
            out[size_t(i)] = QStringLiteral("?");
            tr.paramOrder << t.text.toUpper();
            break;
        case Tok::Ident: {
            const QString low = t.text.toLower();
            if (low == QLatin1String("true") || low == QLatin1String("false")) {
                const bool isFalse = low == QLatin1String("false");
                out[size_t(i)] = isFalse ? db.falseLiteral() : db.trueLiteral();
                // "X = false" must also take an empty X, which reads as false.
                const int op = prevSignificant(i - 1);
                if (op >= 0 && toks[op].kind == Tok::Symbol) {
                    const QString o = toks[op].text;
                    const bool eqFalse = isFalse && o == QLatin1String("=");
                    const bool neTrue = !isFalse && (o == QLatin1String("<>") || o == QLatin1String("!="));
                    const int col = prevSignificant(op - 1);
                    if ((eqFalse || neTrue) && col >= 0 && (toks[col].kind == Tok::Ident || toks[col].kind == Tok::QuotedIdent))
                        out[size_t(col)] = db.boolOrFalse(out[size_t(col)]);
                }
            } else {
                out[size_t(i)] = stripDb(t.text);
            }
            break;
        }
        default:
            out[size_t(i)] = t.text;
        }
    }
    addNullsOrder(db, toks, out);
    for (const QString& s : out)
        tr.sql += s;
    return tr;
}

QString Query::translatedSql() const { return translate(Engine::instance().backend(m_alias)).sql; }

void Query::prepare() { translatedSql(); }

void Query::open()
{
    if (active())
        return;
    load();
    DataSet::open();
}

void Query::refresh()
{
    if (!active())
        return;
    load();
    rebuildView(-2);
}

void Query::load()
{
    Backend& db = Engine::instance().backend(m_alias);
    const Translation tr = translate(db);
    QVariantList params;
    for (const QString& p : tr.paramOrder) {
        if (!m_params.contains(p))
            throw EngineError(QStringLiteral("Parameter '%1' hat keinen Wert").arg(p), EngineCode::SqlError);
        params << m_params.value(p);
    }
    auto cursor = db.selectReadOnly(tr.sql, params);
    const bool hasRow = cursor->next();
    QList<FieldDef> defs;
    QStringList seen;
    std::vector<int> columns;   // result columns shown as fields; the row version stays inside the store
    for (int c = 0; c < cursor->columnCount(); ++c) {
        FieldDef d;
        QString name = cursor->columnName(c);
        if (name.compare(QLatin1String(Catalog::RowVersionColumn), Qt::CaseInsensitive) == 0)
            continue;
        columns.push_back(c);
        if (name.contains(QLatin1Char('.')))
            name = name.section(QLatin1Char('.'), -1);
        QString unique = name;
        for (int k = 1; seen.contains(unique, Qt::CaseInsensitive); ++k)
            unique = name + QLatin1Char('_') + QString::number(k);
        seen << unique;
        d.name = unique;
        d.type = cursor->columnType(c);
        defs << d;
    }
    setStoredFields(defs);
    RowStore& rs = store();
    rs.clear();
    if (!hasRow)
        return;
    do {
        const int phys = rs.appendRow();
        for (int f = 0; f < defs.size(); ++f) {
            const int c = columns[size_t(f)];
            if (cursor->isNull(c))
                continue;
            switch (defs[f].type) {
            case FieldType::Integer: case FieldType::AutoInc: rs.setInt(phys, f, cursor->intValue(c)); break;
            case FieldType::Float: rs.setDouble(phys, f, cursor->doubleValue(c)); break;
            case FieldType::Text: case FieldType::Memo: rs.setText(phys, f, cursor->textValue(c)); break;
            case FieldType::Date: rs.setDateJd(phys, f, cursor->dateJulianDay(c)); break;
            case FieldType::DateTime: rs.setDateTimeMs(phys, f, cursor->dateTimeMs(c)); break;
            case FieldType::Boolean: rs.setBool(phys, f, cursor->boolValue(c)); break;
            }
        }
    } while (cursor->next());
}

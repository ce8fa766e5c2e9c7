#pragma once
#include "DataSet.h"

#include <QMap>
#include <QStringList>

class Backend;

// A read-only SQL query on an alias. It accepts the register's report dialect (dates as
// 'mm/dd/yyyy', the literals true and false, "LT_LEIT.DB" table names, named parameters
// such as :SID) and translates it for the database in use. Values go in as parameters or
// through quoted(), never spliced raw.
class Query : public DataSet {
    Q_OBJECT
public:
    explicit Query(QObject* parent = nullptr);

    void setAlias(const QString& alias) { m_alias = alias; }
    QString alias() const { return m_alias; }

    void setSql(const QString& text);
    void addSql(const QString& line);
    void clearSql();
    QString sqlText() const { return m_lines.join(QLatin1Char('\n')); }
    const QStringList& sqlLines() const { return m_lines; }

    void setParam(const QString& name, const QVariant& value);
    QVariant param(const QString& name) const;
    QStringList paramNames() const;

    void prepare();                     // translates; reports dialect errors early
    void open() override;
    void refresh() override;

    // The statement as the database receives it (for checks and tests).
    QString translatedSql() const;

    // 'O''Brien': a text value as an SQL literal.
    static QString quoted(const QString& text);
    // '06/23/2004': a date in the report dialect.
    static QString dateLiteral(const QDate& date);

private:
    struct Translation {
        QString sql;
        QStringList paramOrder;
    };
    Translation translate(Backend& db) const;
    void load();

    QString m_alias = QStringLiteral("TARVINO");
    QStringList m_lines;
    QMap<QString, QVariant> m_params;   // upper-case name -> value
};

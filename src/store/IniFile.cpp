#include "IniFile.h"

#include <QFile>
#include <QTextStream>

QString readIniValue(const QString& fileName, const QString& section, const QString& key)
{
    if (fileName.isEmpty())
        return QString();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QTextStream in(&file);
    QString current;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            current = line.mid(1, line.size() - 2).trimmed();
            continue;
        }
        const int eq = int(line.indexOf(QLatin1Char('=')));
        if (eq < 0 || current.compare(section, Qt::CaseInsensitive) != 0)
            continue;
        if (line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1).trimmed();
    }
    return QString();
}

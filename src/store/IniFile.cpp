#include "IniFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>
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

bool writeIniValues(const QString& fileName, const QString& section, const QList<QPair<QString, QString>>& values)
{
    QStringList lines;
    {
        QFile in(fileName);
        if (in.exists()) {
            if (!in.open(QIODevice::ReadOnly | QIODevice::Text))
                return false;
            QTextStream s(&in);
            while (!s.atEnd())
                lines << s.readLine();
        }
    }
    for (const auto& [key, value] : values) {
        const QString entry = key + QLatin1Char('=') + value;
        int sectionLine = -1;
        int insertAt = -1;
        bool done = false;
        for (int i = 0; i < lines.size() && !done; ++i) {
            const QString t = lines[i].trimmed();
            if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']'))) {
                if (sectionLine >= 0)
                    break;      // the section ended without the key
                if (t.mid(1, t.size() - 2).trimmed().compare(section, Qt::CaseInsensitive) == 0) {
                    sectionLine = i;
                    insertAt = i + 1;
                }
                continue;
            }
            if (sectionLine < 0)
                continue;
            const int eq = int(t.indexOf(QLatin1Char('=')));
            if (eq > 0 && t.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0) {
                lines[i] = entry;
                done = true;
            } else if (!t.isEmpty()) {
                insertAt = i + 1;
            }
        }
        if (done)
            continue;
        if (sectionLine < 0) {
            if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
                lines << QString();
            lines << QStringLiteral("[%1]").arg(section) << entry;
        } else {
            lines.insert(insertAt, entry);
        }
    }
    QSaveFile out(fileName);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream s(&out);
    for (const QString& l : lines)
        s << l << '\n';
    s.flush();
    return out.commit();
}

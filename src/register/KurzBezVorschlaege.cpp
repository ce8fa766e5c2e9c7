#include "KurzBezVorschlaege.h"

#include "Errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QSaveFile>
#include <QStringDecoder>

namespace KurzBezVorschlaege {

namespace {
QString& verzeichnis()
{
    static QString dir;
    return dir;
}
}

QString dateiName() { return QStringLiteral("kurzbez.vor"); }

void setVerzeichnis(const QString& dir) { verzeichnis() = dir; }

QString dateiPfad()
{
    const QString dir = verzeichnis().isEmpty() ? QCoreApplication::applicationDirPath() : verzeichnis();
    return QDir(dir).filePath(dateiName());
}

QStringList standardListe()
{
    return {QStringLiteral("Leiter, ortsveränderlich"), QStringLiteral("Steigleiter, ortsfest")};
}

QStringList laden()
{
    QFile file(dateiPfad());
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return standardListe();
    const QByteArray bytes = file.readAll();
    // Older lists were written in the Windows code page.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    text.remove(QLatin1Char('\r'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void speichern(const QStringList& liste)
{
    QSaveFile file(dateiPfad());
    QByteArray bytes;
    for (const QString& line : liste)
        bytes += line.toUtf8() + "\r\n";
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw HwError(QStringLiteral("Die Datei %1 konnte nicht geschrieben werden").arg(QDir::toNativeSeparators(dateiPfad())));
}

}

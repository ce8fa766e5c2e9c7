#include "WebAnfrage.h"

#include <QUrl>

QByteArray WebAnfrage::cookie(const QByteArray& name) const
{
    const QByteArray all = kopf.value("cookie");
    for (const QByteArray& part : all.split(';')) {
        const QByteArray p = part.trimmed();
        const int eq = p.indexOf('=');
        if (eq > 0 && p.left(eq) == name)
            return p.mid(eq + 1);
    }
    return {};
}

QHash<QString, QString> WebAnfrage::formular() const
{
    QHash<QString, QString> r;
    for (const QByteArray& part : body.split('&')) {
        if (part.isEmpty())
            continue;
        const int eq = part.indexOf('=');
        QByteArray k = eq < 0 ? part : part.left(eq);
        QByteArray v = eq < 0 ? QByteArray() : part.mid(eq + 1);
        k.replace('+', ' ');
        v.replace('+', ' ');
        r.insert(QUrl::fromPercentEncoding(k), QUrl::fromPercentEncoding(v));
    }
    return r;
}

WebAntwort WebAntwort::weiter(const QString& ziel, int status)
{
    WebAntwort a;
    a.status = status;
    a.typ = "text/plain; charset=utf-8";
    a.setzeKopf("Location", ziel.toUtf8());
    return a;
}

QByteArray WebAntwort::kopfWert(const QByteArray& name) const
{
    for (const auto& [k, v] : kopf)
        if (k.compare(name, Qt::CaseInsensitive) == 0)
            return v;
    return {};
}

#include "WebZeiten.h"

#include <chrono>
#include <cstring>
#include <vector>

namespace {

struct Sammlung {
    bool aktiv = false;
    std::vector<std::pair<const char*, qint64>> teile;
};
thread_local Sammlung t_sammlung;

} // namespace

namespace WebZeiten {

bool an()
{
    static const bool gesetzt = !qEnvironmentVariableIsEmpty("HW_WEB_ZEITEN");
    return gesetzt;
}

qint64 jetzt()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void beginnen()
{
    t_sammlung.aktiv = true;
    t_sammlung.teile.clear();
}

QByteArray abschliessen()
{
    QByteArray r;
    for (const auto& [name, ns] : t_sammlung.teile) {
        if (!r.isEmpty())
            r += ", ";
        r += name + QByteArray(";dur=") + QByteArray::number(double(ns) / 1e6, 'f', 3);
    }
    t_sammlung.aktiv = false;
    t_sammlung.teile.clear();
    return r;
}

Teil::Teil(const char* name) : m_name(name)
{
    if (t_sammlung.aktiv)
        m_start = jetzt();
}

Teil::~Teil()
{
    if (!t_sammlung.aktiv || m_start == 0)
        return;
    const qint64 ns = jetzt() - m_start;
    for (auto& [name, summe] : t_sammlung.teile)
        if (std::strcmp(name, m_name) == 0) {
            summe += ns;
            return;
        }
    t_sammlung.teile.emplace_back(m_name, ns);
}

} // namespace WebZeiten

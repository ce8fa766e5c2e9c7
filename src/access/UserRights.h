#pragma once
#include <QString>
#include <QtGlobal>

// The seven rights, numbered as stored: bit n of the rights byte is member n.
enum TUserRight : quint8 { crView = 0, crInsert, crModify, crDelete, crPrint, crCalcReport, crAdmin };
constexpr int UserRightCount = 7;

// A set of rights held in one byte.
class TUserRights {
public:
    constexpr TUserRights() = default;
    constexpr TUserRights(std::initializer_list<TUserRight> rights)
    {
        for (TUserRight r : rights)
            include(r);
    }
    static constexpr TUserRights fromByte(quint8 bits) { TUserRights s; s.m_bits = bits & 0x7F; return s; }
    static constexpr TUserRights all() { return fromByte(0x7F); }

    constexpr quint8 toByte() const { return m_bits; }
    // False for values outside the seven members.
    constexpr bool contains(TUserRight r) const { return r < UserRightCount && (m_bits >> r) & 1; }
    constexpr void include(TUserRight r) { if (r < UserRightCount) m_bits |= quint8(1u << r); }
    constexpr void exclude(TUserRight r) { if (r < UserRightCount) m_bits &= quint8(~(1u << r)); }
    constexpr bool isEmpty() const { return m_bits == 0; }
    friend constexpr bool operator==(TUserRights a, TUserRights b) { return a.m_bits == b.m_bits; }

private:
    quint8 m_bits = 0;
};

// The rights text: seven groups of two characters in member order, "01" granted, "00" not.
QString RechteText(TUserRights rights);
// A right counts only when its group exists and is exactly "01"; a short text grants
// nothing for the missing groups.
bool RechtImText(const QString& text, TUserRight right);
TUserRights RechteAusText(const QString& text);

// Key of the rights text (and the prefix of the old password key) in the user table.
inline const QString RechteSchluessel = QStringLiteral("KX");

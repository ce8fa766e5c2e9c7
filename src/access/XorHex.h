#pragma once
#include <QString>

// The program's text encoding for the rights text and the read password: every character
// code (one byte; characters beyond Latin-1 count as '?') exclusive-or'ed with the key
// character at the same position modulo the key length, written as two lowercase hex
// digits. An empty key gives plain hexadecimal.
QString XorHexEncode(const QString& key, const QString& text);
// Reverse of XorHexEncode. Pairs from the start; an odd last character is ignored, a pair
// that is not hexadecimal counts as 32 (a space) before the key is applied.
QString XorHexDecode(const QString& key, const QString& hex);

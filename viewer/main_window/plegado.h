#pragma once

// Text folded for finding: letter case and accents are ignored by mapping every UTF-16 unit to one unit
// (lower case, without its accent or diaeresis: "Á" and "á" to "a", "Ñ" to "n", "Ü" to "u"). Because each
// unit maps to exactly one, an offset in the folded text is the same offset in the original, so a match
// found in folded text can be highlighted in the original.

#include <QString>

#include <array>

namespace plegado {

QChar plegar(QChar c);
QString plegar(const QString& texto);
// The folded character of each Windows-1252 byte, for text kept as the store's bytes.
const std::array<char16_t, 256>& tabla1252();

} // namespace plegado

#pragma once

// Spanish stems of a word ("PLANETAS" gives "planeta", "cometas" gives "cometa" and "cometer"), from
// Hunspell's Spanish dictionary found at run time. Without that dictionary there are no stems, and the
// look-ups that use them behave as if this did not exist.

#include <QStringList>

#include <string>

namespace lexico {

// The Spanish dictionary's path without ".aff"/".dic": $LUMBRE_HUNSPELL_ES when set (for trying the
// viewer without it, or with another), else the first of the system's es_ES / es dictionaries that has
// both files; empty when there is none.
std::string rutaDiccionario();
// True when `base` + ".aff" and `base` + ".dic" are both files: a Hunspell dictionary to read.
bool esDiccionario(const std::string& base);

// The stems of `palabra` in Hunspell's order, the word itself and repeats left out; empty without the
// dictionary, or for a word in characters the dictionary's encoding cannot hold. The dictionary is
// read once, on first use.
QStringList de(const QString& palabra);

} // namespace lexico

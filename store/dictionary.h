#pragma once

// DICT.DAT: one entry per line, headword then spaces then definition. A word (already in capitals) is
// looked up by prefix: the first line whose upper-cased text begins with the word wins, and the rest of
// that line, without its leading spaces, is the definition (in capitals). A definition that begins with
// "/" is a reference to the article file named by the characters after it.

#include "result.h"
#include "text_file.h"

#include <optional>
#include <string>
#include <string_view>

namespace store {

// The definition for `palabra` in the given lines, or nothing when no line matches.
std::optional<std::string> buscarEnLineas(const Lineas& lineas, std::string_view palabra);
// The same over directorio + "\DICT.DAT"; fails when the file cannot be read.
Resultado<std::optional<std::string>> buscarDefinicion(std::string_view directorio, std::string_view palabra);

// The article named by a reference definition ("/SOL.TXT" gives "SOL.TXT"), or nothing.
std::optional<std::string> referenciaDe(std::string_view definicion);

// The word of a double-click: the selection upper-cased, spaces removed at both ends, then, until a pass
// removes nothing, one trailing "," ";" ":" "." ")" "!" and then one leading "(" or "¡" per pass.
std::string limpiarPalabra(std::string_view seleccion);

} // namespace store

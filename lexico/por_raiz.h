#pragma once

// A word without an entry of its own in an encyclopaedia's dictionary may have one under its Spanish
// stem ("PLANETAS" under "PLANETA"). The viewer's dictionary window, its double-click look-up and the
// classroom server all find it this way.

#include <functional>
#include <optional>
#include <string>

namespace lexico {

// An entry found under a stem of the word looked up: the stem (Windows-1252, capitals) and its definition.
struct PorRaiz {
    std::string raiz;
    std::string definicion;
};

// For a word (Windows-1252, capitals) that has no entry: the first of its Spanish stems that is the
// headword of an entry, matched as a whole headword. Nothing without the Spanish stemming dictionary,
// or when no stem has an entry (or the dictionary cannot be read).
std::optional<PorRaiz> buscarPorRaiz(const std::string& directorio, const std::string& palabra);
// The same with a look-up of one's own (the dictionary's first-match rule over a word in capitals; nothing for
// no entry), such as the classroom server's index of the dictionary.
using BuscarEntrada = std::function<std::optional<std::string>(const std::string& palabra)>;
std::optional<PorRaiz> buscarPorRaiz(const std::string& palabra, const BuscarEntrada& buscar);

} // namespace lexico

#pragma once

// What the reader typed, read as a search: words (all of which must be found, each in any form that
// shares a stem with it), "phrases in double quotes" (the words in that order, side by side) and
// prefixes written with a final "*". Letters are folded as the index folds them.

#include <string>
#include <string_view>
#include <vector>

namespace search {

struct Elemento {
    enum class Tipo { Palabra, Frase, Prefijo };
    Tipo tipo = Tipo::Palabra;
    std::vector<std::string> palabras; // folded; one for a word or a prefix
};

// The query in UTF-8; characters Windows-1252 cannot hold separate words. An unclosed quote runs to the
// end; a quoted single word is a plain word; a lone "*" is nothing.
std::vector<Elemento> analizarConsulta(std::string_view utf8);

} // namespace search

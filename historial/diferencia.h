#pragma once

// The word-level difference between two texts (UTF-8), for showing two versions of an article: git's own
// diff (libgit2) run over the texts cut into words, spaces and punctuation, one piece a line. Letters outside
// ASCII (accents, ñ) stay inside their words.

#include <string>
#include <string_view>
#include <vector>

namespace historial {

struct Trozo {
    enum class Tipo { Igual, Quitado, Agregado };
    Tipo tipo;
    std::string texto; // UTF-8
};

// The pieces of `despues` and what `antes` had instead, in reading order; consecutive pieces of one kind are
// joined. Empty for two empty texts.
std::vector<Trozo> diferenciaPorPalabras(std::string_view antes, std::string_view despues);

} // namespace historial

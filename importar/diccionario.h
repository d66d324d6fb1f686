#pragma once

// Reference entries for the dictionary (DICT.DAT): "WORD  /NAME.TXT", so that double-clicking the word in an
// article opens that article. The dictionary is looked up by prefix, the first line whose upper-cased text
// begins with the word winning, so a new line is placed where it changes no existing headword's look-up: after
// the first match of every headword that is a prefix of the new line, and in alphabetical order when it can.
// A word whose own look-up would still find an older line gets no entry.

#include "store/lineas.h"

#include <string>
#include <vector>

namespace importar {

struct Referencia {
    std::string palabra;  // Windows-1252, one word
    std::string articulo; // the article's file name, Windows-1252
};

struct Colocacion {
    store::Lineas lineas;            // the dictionary with the entries placed
    std::vector<Referencia> puestas; // in the order given
    std::vector<Referencia> omitidas;
};

Colocacion colocarReferencias(const store::Lineas& diccionario, const std::vector<Referencia>& referencias);

} // namespace importar

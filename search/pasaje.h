#pragma once

// The passage shown under a result: a few lines of the body around the words found, as HTML, with
// every word found in bold and the text escaped.

#include "search/consulta.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace search {

class Formas;

// About `palabras` words of a Windows-1252 body, as UTF-8 HTML: the stretch that holds the most of the
// query's elements, starting a little before the first of them, with "…" where text is left out. A body
// where nothing is found gives its beginning.
std::string pasaje(std::string_view cuerpo, const std::vector<Elemento>& consulta, Formas& formas,
                   std::size_t palabras = 30);

} // namespace search

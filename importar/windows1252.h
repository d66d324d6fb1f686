#pragma once

// UTF-8 text made into the store's Windows-1252: a character the code page lacks is replaced by the nearest
// text it has (a letter without its mark, "->" for an arrow, "?" when there is none), and each replacement is
// remembered so that the author can be told about it before anything is written.

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace importar {

class Conversor {
public:
    // The text in Windows-1252. Tabs become spaces; other control characters are dropped.
    std::string operator()(std::string_view utf8);

    // One sentence per replaced character, in Spanish (UTF-8): «→» se cambia por «->» (2 veces).
    std::vector<std::string> reemplazos() const;
    bool huboReemplazos() const { return !reemplazos_.empty(); }

private:
    struct Reemplazo {
        std::string por; // Windows-1252
        int veces = 0;
    };
    std::map<std::string, Reemplazo> reemplazos_; // by the character replaced, UTF-8
};

// The replacement used for a character Windows-1252 lacks (Windows-1252 bytes), without remembering it.
std::string reemplazoDe(char32_t u);

} // namespace importar

#include "search/consulta.h"

#include "search/plegado.h"
#include "store/codificacion.h"

namespace search {

namespace {

// UTF-8 to Windows-1252, one byte per character; what it cannot hold, and invalid bytes, become spaces.
std::string aCp1252(std::string_view utf8) {
    std::string r;
    r.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        const int largo = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
        char32_t u = 0;
        bool valido = largo > 0 && i + static_cast<std::size_t>(largo) <= utf8.size();
        if (valido) {
            u = largo == 1 ? b : b & (0x7F >> largo);
            for (int k = 1; k < largo; ++k) {
                const auto c = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
                valido = valido && (c & 0xC0) == 0x80;
                u = (u << 6) | (c & 0x3F);
            }
        }
        const auto byte = valido ? store::desdeUnicode(u) : std::nullopt;
        r += byte ? static_cast<char>(*byte) : ' ';
        i += valido ? static_cast<std::size_t>(largo) : 1;
    }
    return r;
}

} // namespace

std::vector<Elemento> analizarConsulta(std::string_view utf8) {
    const std::string texto = aCp1252(utf8);
    std::vector<Elemento> elementos;
    std::size_t i = 0;
    while (i < texto.size()) {
        if (texto[i] == '"') {
            const std::size_t fin = std::min(texto.find('"', i + 1), texto.size());
            Elemento frase{Elemento::Tipo::Frase, {}};
            recorrerPalabras(std::string_view(texto).substr(i + 1, fin - i - 1),
                             [&](std::string_view p, std::size_t, std::size_t) { frase.palabras.emplace_back(p); });
            if (frase.palabras.size() == 1) {
                frase.tipo = Elemento::Tipo::Palabra;
            }
            if (!frase.palabras.empty()) {
                elementos.push_back(std::move(frase));
            }
            i = fin + 1;
            continue;
        }
        // Up to the next quote: plain words and prefixes.
        const std::size_t fin = std::min(texto.find('"', i), texto.size());
        const std::string_view tramo = std::string_view(texto).substr(i, fin - i);
        recorrerPalabras(tramo, [&](std::string_view p, std::size_t, std::size_t hasta) {
            const bool prefijo = hasta < tramo.size() && tramo[hasta] == '*';
            elementos.push_back({prefijo ? Elemento::Tipo::Prefijo : Elemento::Tipo::Palabra, {std::string(p)}});
        });
        i = fin;
    }
    return elementos;
}

} // namespace search

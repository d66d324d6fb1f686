#pragma once

// Spanish words as the search index keeps them: letters folded to lower-case ASCII, so that "Montaña",
// "MONTANA" and "montaña" are one word, as are "pingüino" and "pinguino". The index and every query go
// through this same folding; a word folded on one side only would never meet its twin on the other.

#include <cstddef>
#include <string>
#include <string_view>

namespace search {

// The folded form of one Windows-1252 byte: "" for a byte that separates words, one or two ASCII
// letters or a digit otherwise (á->a, Ñ->n, ü->u, ß->ss, Æ->ae, œ->oe).
std::string_view plegarLetra(unsigned char c);

// The whole text folded, separators kept as they are (one byte each).
std::string plegar(std::string_view cp1252);

// Words longer than this are cut: no real word is, and the index refuses overlong terms.
inline constexpr std::size_t kLargoMaximo = 64;

// Calls `f(plegada, inicio, fin)` for each word of a Windows-1252 text in order: `plegada` is the word
// folded, [inicio, fin) its bytes in the text. A word is a run of letters and digits.
template <class F> void recorrerPalabras(std::string_view cp1252, F&& f) {
    std::string plegada;
    std::size_t inicio = 0;
    bool dentro = false;
    for (std::size_t i = 0; i <= cp1252.size(); ++i) {
        const std::string_view p = i < cp1252.size() ? plegarLetra(static_cast<unsigned char>(cp1252[i])) : "";
        if (!p.empty()) {
            if (!dentro) {
                dentro = true;
                inicio = i;
                plegada.clear();
            }
            if (plegada.size() < kLargoMaximo) {
                plegada += p;
            }
        } else if (dentro) {
            dentro = false;
            f(std::string_view(plegada), inicio, i);
        }
    }
}

} // namespace search

#pragma once

// Searching one encyclopaedia's index (see indice.h) while it may still be growing: each search sees
// what has been committed so far.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace search {

struct Acierto {
    std::string nombre; // the article's file name as the complete list gives it (Windows-1252)
    std::string titulo; // UTF-8
    std::string pasaje; // UTF-8 HTML, the words found in bold (see pasaje.h)
};

struct Resultados {
    std::vector<Acierto> aciertos; // best first
    std::size_t encontrados = 0;   // every article found, beyond those listed too
    bool exacto = true;            // false when `encontrados` is Xapian's estimate (many articles found)
    bool danado = false;           // the index could not be read: it is rebuilt at its next update
    bool recortada = false;        // the query held more than the bounds allow: only its first part was searched
};

// What one search may cost. The defaults are the viewer's (one reader on their own machine); a server gives
// tighter ones, since anybody on the network may send a search.
struct Cotas {
    std::size_t terminos = static_cast<std::size_t>(-1); // words, each word of a phrase, prefixes
    std::size_t prefijos = static_cast<std::size_t>(-1); // of them, prefixes ("guadal*")
    unsigned expansion = 500;                            // words of the index one prefix stands for at most
    double segundos = 0;                                 // time for the matching; 0: no limit
};

class Buscador {
public:
    // `directorio`: the encyclopaedia as the store names it (Windows-1252).
    explicit Buscador(std::string directorio);
    ~Buscador();
    Buscador(const Buscador&) = delete;
    Buscador& operator=(const Buscador&) = delete;

    // Articles holding every word of `consulta` (UTF-8; see consulta.h), ranked with those whose title
    // holds the words first; at most `maximo` of them listed, each with its passage. Nothing while there
    // is no index yet. One search at a time per object.
    Resultados buscar(std::string_view consulta, std::size_t maximo = 100);
    // The same, listing those from the `desde`-th on, at most `cuantos`: a passage is made only for those.
    Resultados buscar(std::string_view consulta, std::size_t desde, std::size_t cuantos, const Cotas& cotas);

private:
    struct Datos;
    std::unique_ptr<Datos> d_;
};

} // namespace search

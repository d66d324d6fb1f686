#pragma once

// The pages of the classroom server as HTML 5 in UTF-8, Spanish, lang="es", readable without scripts, in the
// frame and with the links of the site's server case (render/sitio.h): each function takes what a page shows and
// makes the page. Every text given is UTF-8 and is escaped here, but for a search result's passage, which is
// markup already.

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace render {

class Enlaces;

struct FichaEnciclopedia {
    std::string id;
    std::string titulo;
    std::string comentario;
    std::size_t articulos = 0;
};
std::string paginaPortada(const std::vector<FichaEnciclopedia>& fichas);

struct Filtro {
    std::string nombre; // Windows-1252, as LISTAS.DAT holds it
    std::string texto;  // UTF-8
    bool marcado = false;
};
struct EntradaTitulo {
    std::string nombre; // the article's file name, Windows-1252
    std::string titulo; // UTF-8; the file name when the article could not be read
    bool enlazable = true;
};
struct PaginaLista {
    std::string id;
    std::string titulo;
    std::string comentario;
    std::vector<Filtro> filtros;
    bool filtrada = false;
    std::size_t total = 0;
    std::size_t desde = 0;
    std::size_t porPagina = 200;
    std::vector<EntradaTitulo> entradas;
};
std::string paginaLista(const PaginaLista& p);

struct AciertoDeBusqueda {
    std::string nombre; // the article's file name, Windows-1252
    std::string titulo; // UTF-8
    std::string pasaje; // UTF-8 markup, the words found in bold
};
struct PaginaBusqueda {
    std::string id;
    std::string titulo;
    std::string consulta; // UTF-8 as typed
    bool buscada = false;
    std::size_t desde = 0;
    std::size_t porPagina = 20;
    // What was found, best first, and how many articles in all (an estimate unless `exacto`); `recortada` when
    // only the first words of a too long query were searched.
    std::vector<AciertoDeBusqueda> aciertos;
    std::size_t encontrados = 0;
    bool exacto = true;
    bool recortada = false;
    // The search index: built at least once, or how far its building got; and why it cannot be used.
    bool indiceListo = false;
    std::size_t indiceHechos = 0;
    std::size_t indiceTotal = 0;
    std::string errorDeIndice;
};
std::string paginaBusqueda(const PaginaBusqueda& p);
// Only the results, for the page's script to put in place while the reader types.
std::string fragmentoBusqueda(const PaginaBusqueda& p);

struct PaginaDiccionario {
    std::string id;
    std::string titulo;
    std::string escrita; // UTF-8 as typed
    bool buscada = false;
    std::string palabra; // what was looked up, UTF-8, capitals
    bool encontrada = false;
    std::string definicion;       // UTF-8, capitals, as the dictionary line gives it
    std::string raiz;             // the stem it was found under, when not under the word itself
    std::string referencia;       // a reference entry's article name
    std::string enlace;           // its address, when the encyclopaedia lists it
    std::string tituloReferencia; // its title
    bool sinDiccionario = false;
    bool faltaArchivo = false;
    std::string error;
};
std::string paginaDiccionario(const PaginaDiccionario& p);

std::string paginaDeError(int estado);

// The type-ahead's answer: a JSON array of {"titulo", "url"} for each article named (Windows-1252) with its
// title (UTF-8), in the order given.
std::string sugerenciasJson(const std::string& id, const std::vector<std::pair<std::string, std::string>>& titulos);

// The two forms every encyclopaedia page of the server offers: search the text (with `consulta` in its field),
// look a word up (with `palabra`).
std::string formularios(const Enlaces& enlaces, std::string_view consulta, std::string_view palabra);

// The server's style sheet and script (see hojaDelSitio() and guionDelSitio()).
std::string_view hojaDelServidor();
std::string_view guionDelServidor();

} // namespace render

#pragma once

// The pages of the classroom site as HTML 5 in UTF-8, Spanish, lang="es", readable without scripts: each
// function takes what a page shows and makes the page. Every text given is UTF-8 and is escaped here.

#include "search/buscador.h"
#include "server/enciclopedia_servida.h"

#include <QByteArray>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace server {

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
    QByteArray consultaFiltros;
};
std::string paginaLista(const PaginaLista& p);

struct PaginaBusqueda {
    std::string id;
    std::string titulo;
    std::string consulta; // UTF-8 as typed
    bool buscada = false;
    std::size_t desde = 0;
    std::size_t porPagina = 20;
    search::Resultados resultados;
    EstadoIndice indice;
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

// What the article page adds around the renderer's page: in <head>, before and after the article.
std::string cabezaDeArticulo();
std::string antesDeArticulo(const std::string& id, const std::string& titulo);
std::string despuesDeArticulo();

std::string_view hojaDeEstilo();
std::string_view guion();

} // namespace server

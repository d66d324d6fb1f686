#pragma once

// The site around the article pages, for every container that shows an encyclopaedia outside the viewer: the
// static web site (a folder of files, and the same files as a ZIM file's entries), the e-book and the classroom
// server. What each page links to, which pictures pass as they are and which become PNG, and the pages
// themselves are built here; a container only stores or sends what it is given.
//
// The link scheme is one setting with three cases (Enlaces::Caso):
//
//   Archivos   files beside each other: index.html, diccionario.html, estilo.css at the top, articulos/*.html,
//              listas/*.html, img/*; every link relative, so the folder opens from the disk and a ZIM reader
//              finds its entries under the same paths
//   Libro      an e-book's files below its package folder: portada.xhtml, indice.xhtml, estilo.css,
//              articulos/*.xhtml, img/*; every link relative
//   Servidor   the server's addresses: /e/<id>/ for the titles (/e/<id>/?lista=<name> filtered by a list),
//              /e/<id>/a/<article>, /e/<id>/img/<picture>, /e/<id>/diccionario, /recursos/estilo.css; every
//              link absolute
//
// File names of the first two cases are made from store names by NombresDeSalida; the server's are the store
// names themselves, percent-encoded.

#include "render/render.h"

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace render {

// ---- Pictures

// A picture format a container may meet, and what becomes of it.
struct FormatoDeImagen {
    std::string_view nombre;    // the decoder's name, lower case: "png", "jpeg", "gif", "webp", "bmp", "ico", "tiff"
    std::string_view tipo;      // its media type
    std::string_view extension; // what a file of it is named with (".jpg")
    bool pasa;                  // every browser and reader shows it as it is; otherwise it is sent as PNG
};

// The format of that decoder name ("jpg" and "tif" too, any case), or nothing for one not listed here (which a
// container that can decode it turns into PNG).
const FormatoDeImagen* formatoDeImagen(std::string_view nombre);
// The format a file name's extension says (".PNG", ".Jpeg", ".tif"... in any case, after a name of at least one
// character), or nothing: a name without one of these extensions is not a picture of the encyclopaedia.
const FormatoDeImagen* formatoPorExtension(std::string_view archivo);
// The PNG format, what every picture that does not pass becomes.
const FormatoDeImagen& formatoPng();

// ---- Names of files

// The ASCII form of a store name (Windows-1252): ASCII letters, digits, "-", "_" and "." are kept, accented
// letters lose their accent, anything else becomes "_"; a leading "." becomes "_" and an empty name "_".
std::string nombreAscii(std::string_view cp1252);

// Output names from store names, by nombreAscii and unique without regard to letter case ("-2", "-3" before the
// extension when two names meet), so that they are valid in a URL, a zip, a ZIM and on a FAT stick alike. The
// same store name, in any letter case, always gets the same output name.
class NombresDeSalida {
public:
    // `extension` replaces nothing: it is added ("SOL.TXT" + ".html" gives "SOL.TXT.html").
    std::string nombre(std::string_view nombreStore, std::string_view extension);
    // The same for a file that is told apart by `clave` (any letter case) but named from `base`: two pictures
    // "MAPA.BMP" (written as PNG) and "MAPA.PNG" both have the base "MAPA" and get "MAPA.png" and "MAPA-2.png".
    std::string nombre(std::string_view clave, std::string_view base, std::string_view extension);

private:
    std::unordered_map<std::string, std::string> dados_; // upper-cased store name + extension -> output name
    std::unordered_set<std::string> usados_;             // upper-cased output names
};

// ---- Links

// Where the page that holds a link lies in its site: at the top, or one folder down (an article, a list).
enum class Lugar { Raiz, Carpeta };

class Enlaces {
public:
    enum class Caso { Archivos, Libro, Servidor };

    static Enlaces archivos();
    static Enlaces libro();
    // `id`: the encyclopaedia's address name on the server ("solar").
    static Enlaces servidor(std::string id);

    Caso caso() const { return caso_; }

    // Where an article's page, a list's page and a picture are within the site, already fit for a URL
    // ("articulos/SOL.TXT.html"; the server's "a/SOL.TXT"). The first call for a name gives it its file; later
    // calls, in any letter case, give the same. A picture of the first two cases keeps its base name with
    // `extension` (what it holds once written: ".png" for a converted one); the server's keeps its name. Each of
    // the three kinds of name is given apart, so two threads may ask for two different kinds at once.
    std::string articulo(std::string_view nombre);
    std::string lista(std::string_view nombre);
    std::string imagen(std::string_view nombre, std::string_view extension);

    // The URL, from a page at `desde`, of a file of the site given as articulo(), lista() or imagen() give it.
    std::string url(Lugar desde, std::string_view archivo) const;
    // The URLs of the site's own files from a page at `desde` (from Lugar::Raiz, the files' and the e-book's
    // URLs are also the files' paths within the site): the style sheet, the title index (the e-book's table of
    // contents), the dictionary (empty in an e-book, which has none), the script (empty in an e-book), the
    // titles the files' script filters (only the files have them), and the page a reader opens first (the
    // e-book's title page; the title index elsewhere).
    std::string hojaDeEstilo(Lugar desde) const;
    std::string listaDeTitulos(Lugar desde) const;
    std::string diccionario(Lugar desde) const;
    std::string guion(Lugar desde) const;
    std::string titulosDelGuion(Lugar desde) const;
    std::string portada(Lugar desde) const;

private:
    Enlaces(Caso caso, std::string base) : caso_(caso), base_(std::move(base)) {}
    // url() of one of the site's own files, nothing when the case has no such file.
    std::string fijo(Lugar desde, std::string_view archivo) const;

    Caso caso_;
    std::string base_; // the server's "/e/<id>/"
    NombresDeSalida articulos_;
    NombresDeSalida listas_;
    NombresDeSalida imagenes_;
};

// ---- The frame of every page

// What the frame of a site page says besides its title.
struct Marco {
    std::string titulo;              // the page's <title>, UTF-8 (escaped here)
    Lugar lugar = Lugar::Raiz;       // where the page lies (files and e-book: the links are relative to it)
    bool enlaceAlDiccionario = true; // the site's navigation offers the dictionary (not the dictionary itself)
    bool tablaDeContenido = false;   // the e-book's table of contents (it declares the epub: attributes)
    // The server: the encyclopaedia's title (UTF-8), for the trail back to its titles; nothing for a page of
    // the whole server (the encyclopaedias, an error) and for its title index itself.
    std::optional<std::string> rastro;
};

// The page up to where its own content begins: the document's head with the style sheet, then the site's
// navigation (the files: index and dictionary; the server: the way to skip to the content and the trail, and
// <main>). An e-book's pages have no navigation: a reader offers its own.
std::string abrirPagina(const Enlaces& enlaces, const Marco& marco);
// The end of a page opened with abrirPagina(); `antesDelFin` (already markup: scripts) goes just before </body>.
std::string cerrarPagina(const Enlaces& enlaces, std::string_view antesDelFin = {});

// The frame of an article page (see render::Opciones): its style sheet, what goes in its head and around it,
// for the encyclopaedia titled `enciclopedia` (UTF-8). Leaves the pictures and the rest of `opciones` alone.
void enmarcarArticulo(const Enlaces& enlaces, std::string_view enciclopedia, Opciones& opciones);

// The site's style sheet for the encyclopaedia's colours (the server's one serves every encyclopaedia alike and
// has the colours inline in each article), and its script (the files: the title filter of the index, which runs
// under node.js too; the server: type-ahead, search as one types, a double click to look a word up; an e-book
// has none).
std::string hojaDelSitio(const Enlaces& enlaces, const store::Esquema& colores);
std::string_view guionDelSitio(const Enlaces& enlaces);

// ---- The pages of the exported site and the e-book, written a piece at a time (an index of 100,000 titles
// is never held whole)

// One line of a title list: a link to `archivo` (as Enlaces gives it) from a page at `desde`, or the text alone
// when `archivo` is empty. `texto` is already escaped.
std::string lineaDeTitulo(const Enlaces& enlaces, Lugar desde, std::string_view archivo, std::string_view texto);

// The title index (index.html): the encyclopaedia's title and comment (UTF-8), its lists (their names, UTF-8,
// and files), then the titles in list order (lineaDeTitulo() each), which the site's script filters.
std::string abrirListaDeTitulos(const Enlaces& enlaces, std::string_view titulo, std::string_view comentario,
                                const std::vector<std::pair<std::string, std::string>>& listas);
std::string cerrarListaDeTitulos(const Enlaces& enlaces);
// The titles as the script reads them (titulos.js): one entry per linked article, title (UTF-8) and page.
std::string abrirTitulosDelGuion();
std::string tituloDelGuion(const Enlaces& enlaces, std::string_view titulo, std::string_view archivo);
std::string cerrarTitulosDelGuion();

// A named list's page (Windows-1252 name) of the encyclopaedia titled `enciclopedia`, its items by
// lineaDeTitulo() from Lugar::Carpeta.
std::string abrirLista(const Enlaces& enlaces, std::string_view nombre, std::string_view enciclopedia);
std::string cerrarLista(const Enlaces& enlaces);

// The dictionary's page, every entry in file order. An entry's word and definition are Windows-1252 as the
// store reads them (in capitals). A reference entry whose article has a page (`archivo`) links to it under its
// title (UTF-8), or under the name it refers to (Windows-1252) when the article has no title.
std::string abrirDiccionario(const Enlaces& enlaces, std::string_view enciclopedia);
std::string entradaDelDiccionario(std::string_view palabra, std::string_view definicion);
std::string entradaDelDiccionario(const Enlaces& enlaces, std::string_view palabra, std::string_view archivo,
                                  std::string_view titulo, std::string_view referencia);
std::string sinDiccionario();
std::string cerrarDiccionario(const Enlaces& enlaces);

// The e-book's title page (the encyclopaedia's title and comment, UTF-8) and its table of contents, whose lines
// are lineaDeTitulo() from Lugar::Raiz (none: the title page stands for the book).
std::string portadaDelLibro(const Enlaces& enlaces, std::string_view titulo, std::string_view comentario);
std::string tablaDeContenido(const Enlaces& enlaces, std::string_view titulo, std::string_view lineas);

} // namespace render

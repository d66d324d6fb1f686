#pragma once

// A text to import as read from its file, before it becomes an article: its title, its paragraphs and pictures
// in order, and what its format had that an article cannot hold. Everything here is UTF-8; the conversion to the
// store's Windows-1252 comes later, when the article is planned (importacion.h).

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace importar {

struct Imagen {
    std::string fuente;      // as written in the text: a relative or absolute path, or an address
    std::string alternativo; // the alt text, or empty
    std::string epigrafe;    // the figure caption or the picture's title, or empty
};

struct Bloque {
    enum class Tipo { Parrafo, Imagen };
    Tipo tipo = Tipo::Parrafo;
    std::string texto; // a paragraph: one line, spaces collapsed, never empty
    Imagen imagen;
};

// A link of the text to another page: its text as read (spaces collapsed) and its address as written.
struct Enlace {
    std::string texto;
    std::string destino;
};

struct Documento {
    std::string titulo; // the first heading (or the HTML title), or empty
    std::vector<Bloque> bloques;
    std::vector<Enlace> enlaces; // in reading order; links within the page ("#...") are not among them
    // What the text had that is not kept, by kind ("tablas", "enlaces"...), with how many times.
    std::map<std::string, int> perdidas;
};

enum class Formato { Texto, Markdown, Html };

// The format of a file by its extension (".txt", ".md", ".markdown", ".htm", ".html", in any letter case);
// false for any other file.
bool formatoDeNombre(std::string_view nombre, Formato& formato);

// The file's bytes as UTF-8: UTF-8 when they are valid UTF-8 (a leading byte order mark dropped), otherwise
// Windows-1252. `eraUtf8` tells which.
std::string comoUtf8(std::string_view bytes, bool* eraUtf8 = nullptr);

// Plain text: paragraphs are separated by empty lines; the lines of one paragraph are joined by a space.
Documento leerTextoPlano(std::string_view utf8);
// CommonMark.
Documento leerMarkdown(std::string_view utf8);
struct OpcionesHtml {
    // Pages as the large wikis publish them: only figures and thumbnails are pictures (not the icons, flags and
    // formulas of the text, which are kept by their alternative text or dropped).
    bool soloFiguras = false;
};

// HTML, parsed as a browser does (HTML5): headings, paragraphs, line breaks, lists, quotations, preformatted
// text, pictures and figures with their captions; tables row by row, " | " between cells; references become
// "[n]" in the text and numbered notes at the end, under "Notas". Scripts, styles, comments, navigation,
// edit links and hidden text are dropped.
Documento leerHtml(std::string_view utf8, const OpcionesHtml& opciones = {});

// Where the links of an article of a ZIM file lead, as written, read as the import reads the article (the page of
// a wiki, in UTF-8 or Windows-1252): what a topic follows.
std::vector<std::string> enlacesDeArticuloZim(const std::string& html);

Documento leer(Formato formato, std::string_view utf8);

} // namespace importar

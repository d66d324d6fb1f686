#pragma once

// Importing texts into an encyclopaedia: each file of plain text, Markdown or HTML becomes one article, its
// pictures illustrations copied into the encyclopaedia's IMG directory with their caption files, and its name
// is appended to COMPLETA.DAT.
//
// It happens in two steps so that the author sees everything before anything is written: planear() reads the
// texts and the encyclopaedia and decides every name, writing nothing; ejecutar() writes what the plan says.
// No existing file is ever replaced: names are chosen free, and a file that appeared in between stops the
// import. Every file is written whole (the store writes through a temporary file), and an article whose files
// cannot all be written is taken back, so a failure leaves the articles imported before it complete and
// listed, and nothing of the article that failed.

#include "documento.h"

#include "store/lineas.h"
#include "store/resultado.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace importar {

class FuenteZim;
struct PaginaZim;

// A picture as the encyclopaedia keeps it: its bytes and the three lower-case letters of its extension.
struct ImagenLista {
    std::string bytes;
    std::string extension;
};

// Turns a picture's bytes (and the extension its source gave it, lower case, maybe empty) into a picture the
// viewer shows, or nothing when the bytes do not decode as a picture.
using Convertidor = std::function<std::optional<ImagenLista>(std::string_view bytes, std::string_view extension)>;

// Without a decoder: PNG, JPEG, GIF and BMP, known by their first bytes, kept as they are; nothing else.
std::optional<ImagenLista> reconocerImagen(std::string_view bytes, std::string_view extension);

// A named list the import from a ZIM file fills (UTF-8): with the articles of these entries, in their order, or
// with every article of the selection when `entradas` is empty.
struct ListaPedida {
    std::string nombre;
    std::vector<std::string> entradas;
};

struct Opciones {
    // Besides the folder given (or the folder of a file given by itself), the folders pictures may come from.
    std::vector<std::filesystem::path> carpetasImagenes;
    // How pictures are checked and converted; empty for reconocerImagen.
    Convertidor convertir;
    // From a ZIM file: the lists that get the selection, or parts of it (those of a query, those of a topic).
    std::vector<ListaPedida> listas;
};

// A list the import writes (Windows-1252), new or already there, with the articles it gets, in order.
struct ListaPlaneada {
    std::string nombre;
    bool nueva = false;
    std::vector<std::string> articulos;
};

struct IlustracionPlaneada {
    std::string nombre;                // the name in IMG and in the article (Windows-1252), one dot, three letters
    std::filesystem::path origen;      // the picture file
    std::string entrada;               // or the entry of the ZIM file it comes from (UTF-8)
    std::string titulo;                // line 1 of its caption file (Windows-1252)
    std::vector<std::string> epigrafe; // the caption's further lines (Windows-1252)
    bool copiar = true;                // false when an earlier article of the same import copies it
    std::uint64_t bytes = 0;           // the size of the picture as it will be stored
};

struct ArticuloPlaneado {
    std::filesystem::path origen;
    std::string entrada;         // the entry of the ZIM file it comes from (UTF-8), or empty for a file
    std::vector<Enlace> enlaces; // its links as the source wrote them
    // Writes over the article a former import wrote from the same entry, which the author has not changed since,
    // or over what an import stopped midway left of it.
    bool reemplazar = false;
    // Appends the name to COMPLETA.DAT once the article and its record are written: every new article, and one an
    // import stopped midway wrote without listing it.
    bool agregarACompleta = true;
    // From a ZIM file the body is not kept in the plan but made again from the entry when it is written;
    // `bytesCuerpo` says how large it is.
    bool cuerpoAlEscribir = false;
    std::uint64_t bytesCuerpo = 0;
    Formato formato = Formato::Texto;
    std::string nombre; // the article's file name (Windows-1252), as it goes into COMPLETA.DAT
    std::string titulo; // Windows-1252
    store::Lineas cuerpo;
    std::vector<IlustracionPlaneada> ilustraciones;
    // What is not kept, and what was replaced, one Spanish sentence each (UTF-8).
    std::vector<std::string> avisos;
};

struct Plan {
    std::string tomo; // the encyclopaedia directory, as the store spells it
    Convertidor convertir;
    const FuenteZim* zim = nullptr; // where the pictures of entries are read, for an import from a ZIM file
    // DESCRIP.DAT as it will be once every article is written, when the import changes it.
    std::optional<store::Lineas> descripcion;
    std::string archivoZim; // the ZIM file's Name, under which IMPORTADOS.REG records what is imported
    // Articles imported before from the same entries that the author changed since (or removed), which the
    // import keeps as they are; one Spanish sentence each (UTF-8).
    std::vector<std::string> conservados;
    // Every article of the selection, in its order (new, replaced and kept ones): the entry it comes from and
    // its name; and the lists that get them.
    struct Elegido {
        std::string entrada;
        std::string nombre;
    };
    std::vector<Elegido> seleccion;
    std::vector<ListaPlaneada> listas;
    // DICT.DAT with the reference entries of one-word links to articles of the import, when there are any, and
    // those entries ("WORD -> NAME", UTF-8); written once every article is.
    std::optional<store::Lineas> diccionario;
    std::vector<std::string> referencias;
    std::vector<ArticuloPlaneado> articulos;
    std::vector<std::string> omitidos; // files left out, one Spanish sentence each (UTF-8)
};

// The texts to import from what the author gave: the files of a directory whose extension names a format
// (.txt, .md, .markdown, .htm, .html), in the order of their names; a file given by itself is taken whatever its
// extension says, read as plain text unless it names another format (a file that is no text is left out).
// Pictures are taken only from inside the folder given, or the folder of the file given, or a folder of
// `opciones.carpetasImagenes`: never through "..", nor by an absolute path or a file:// address that leads out
// of them; each one must decode as a picture. Fails when `tomo` is no encyclopaedia.
store::Resultado<Plan> planear(const std::vector<std::filesystem::path>& entradas, std::string_view tomo,
                               const Opciones& opciones = {});

// Whether these bytes are text: no zero byte, and hardly any control character but tabs and line ends.
bool pareceTexto(std::string_view bytes);

// Articles from a ZIM file (zim.h): each page read as the large wikis write their HTML, the pictures of its
// figures from the same file through `opciones.convertir`, its credit (credito()) as its last paragraph; the
// encyclopaedia's description gets the credit too. `avance` hears how many pages are read; false stops.
// An entry imported before from a file of the same Name (registro.h) replaces its article when the author has
// not changed it since, and is left as it is (and listed in `conservados`) when the author has; nothing is
// ever deleted.
store::Resultado<Plan> planearZim(const FuenteZim& fuente, const std::vector<PaginaZim>& paginas, std::string_view tomo,
                                  const Opciones& opciones = {}, const std::function<bool(std::size_t)>& avance = {});

struct Informe {
    std::vector<std::string> importados; // the names of the articles written and listed, in order
    std::optional<store::Error> error;   // what stopped the import, or nothing when every article was imported
};

// Writes the plan, article after article. `avance`, when given, hears how many articles are done after each;
// returning false stops before the next one (what was written stays, complete).
Informe ejecutar(const Plan& plan, const std::function<bool(std::size_t hechos)>& avance = {});

// The plan as text for the author (UTF-8): each article's name, title, illustrations and warnings, then the
// files left out.
std::string describir(const Plan& plan);
// How much the plan writes, as one line (UTF-8): articles, pictures and bytes, and what is left out.
std::string resumir(const Plan& plan);
// The outcome as text (UTF-8).
std::string describir(const Informe& informe, const Plan& plan);

} // namespace importar

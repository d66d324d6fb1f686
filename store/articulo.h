#pragma once

// Article files and caption files.
//
// The viewer classifies each line by its key: the line upper-cased, without leading and trailing spaces.
// "<TIT>", "<IMG>" and "<CST>" at the start of the key mark the title, an illustration and the side
// picture; any other key starting with "<" is ignored; the key "/" is a line break; every other line is
// body text, appended exactly as read with nothing between. The value of a tag line is the line without
// its leading spaces, less its first five characters, neither trimmed nor upper-cased.

#include "archivo_de_texto.h"
#include "resultado.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace store {

struct Articulo {
    std::string titulo;                     // value of the last title line, or empty
    std::vector<std::string> ilustraciones; // in file order, duplicates kept
    std::vector<std::string> costados;      // side picture names in file order; the last one counts
    std::string cuerpo;                     // body, breaks as CR LF
};

Articulo analizarArticulo(const Lineas& lineas);
// The same straight from a file's bytes, split into lines by the store's rules without making them, in one
// pass: the body is not assembled but handed to `cuerpo` piece by piece, in order (each body line as read, and
// "\r\n" for each break), so that a window can turn it into its own text with no copy in between. The
// returned article's body stays empty.
Articulo analizarArticulo(std::string_view bytes, const std::function<void(std::string_view pieza)>& cuerpo);
Resultado<Articulo> leerArticulo(std::string_view ruta);
// An article of the encyclopaedia `directorio`, `ruta` being directorio + "\" + its name: no symbolic link
// below the directory is followed (see leerBytesDentro).
Resultado<Articulo> leerArticuloDentro(std::string_view directorio, std::string_view ruta);

// The title alone (the value of the last title line, or empty).
std::string tituloDeLineas(const Lineas& lineas);
// The same from a file's bytes, split into lines by the store's rules, without making the lines.
std::string tituloDeBytes(std::string_view bytes);
// The title of one article file. A listing of many articles of one directory uses LectorTitulos
// (title_reader.h), which reads each the same way.
Resultado<std::string> leerTitulo(std::string_view ruta);

// The body assembly rule shared by articles and captions: a line that is "/" once spaces are removed
// adds CR LF; every other line is appended as read.
void agregarLineaDeCuerpo(std::string& cuerpo, std::string_view linea);

// The editor's reading: a line whose first non-space is not "<" is a body line (kept whole, leading spaces
// included); "<TIT>" and "<IMG>" in any case set the title and add an illustration; other tag lines are
// dropped. The title starts as `nombreArchivo`, so an article without a title line is edited under it.
struct ArticuloEditable {
    std::string titulo;
    std::vector<std::string> ilustraciones;
    Lineas cuerpo; // one entry per body line, in order
};
ArticuloEditable analizarArticuloParaEditar(const Lineas& lineas, std::string_view nombreArchivo);
Resultado<ArticuloEditable> leerArticuloParaEditar(std::string_view ruta, std::string_view nombreArchivo);

// The lines of an article as the editor saves it: "<TIT>" + title, "<IMG>" + each illustration, then the body.
Lineas lineasDeArticulo(std::string_view titulo, const std::vector<std::string>& ilustraciones, const Lineas& cuerpo);

// Writes lineasDeArticulo(), each line ending in CR LF.
Estado escribirArticulo(std::string_view ruta, std::string_view titulo, const std::vector<std::string>& ilustraciones,
                        const Lineas& cuerpo);

// A new article: one empty line.
Estado crearArticuloVacio(std::string_view ruta);

// Picture paths: directorio + "\Img\" + name for illustrations, directorio + "\img\" + name for side pictures.
std::string rutaIlustracion(std::string_view directorio, std::string_view nombre);
std::string rutaCostado(std::string_view directorio, std::string_view nombre);

// A picture's bytes (an illustration, a side picture, ICONO.ICO) for the windows to decode from memory: only a
// regular file is read, a FIFO or a device is refused at once, and a file beyond kLimiteImagen is refused unread.
Resultado<std::string> leerImagen(std::string_view ruta);
// A picture of the encyclopaedia `directorio` (ruta = directorio + "\" + ...), through no symbolic link below it.
Resultado<std::string> leerImagenDentro(std::string_view directorio, std::string_view ruta);

// Caption path as the viewer names it: the name less its last three characters, then "TXT", in "Img".
// Nothing when the name is shorter than three characters.
std::optional<std::string> rutaEpigrafeVisor(std::string_view directorio, std::string_view ilustracion);
// Caption path as the editor names it: the name up to its first ".", then ".txt", in "Img".
// Nothing when the name holds no ".".
std::optional<std::string> rutaEpigrafeEditor(std::string_view directorio, std::string_view ilustracion);

// Caption file: line 1 is the illustration title; the rest is the caption text by the body rule
// ("<" is ordinary text there). An empty file gives an empty title and text.
struct Epigrafe {
    std::string titulo;
    std::string texto;
};
Epigrafe analizarEpigrafe(const Lineas& lineas);
Resultado<Epigrafe> leerEpigrafe(std::string_view ruta);

} // namespace store

#pragma once

// List files of an encyclopaedia: COMPLETA.DAT (every article file name, in order of adding), LISTAS.DAT
// (the list names) and one file per list, named list name + ".dat". One item per line, nothing trimmed.

#include "archivo_de_texto.h"
#include "resultado.h"

#include <optional>
#include <string>
#include <string_view>

namespace store {

// directorio + "\" + nombre + ".dat"
std::string rutaLista(std::string_view directorio, std::string_view nombre);

// Every line of the list file, empty lines included.
Resultado<Lineas> leerLista(std::string_view directorio, std::string_view nombre);
// The list file's bytes as read (same limit), for a reader that walks its lines with porCadaLinea.
Resultado<std::string> leerBytesDeLista(std::string_view directorio, std::string_view nombre);

Resultado<Lineas> leerIndiceListas(std::string_view directorio);
Resultado<Lineas> leerCompleta(std::string_view directorio);

Estado anexarACompleta(std::string_view directorio, std::string_view articulo);

// Why a new list name may not be used, or nothing when it may: empty, not a valid file name, or its file
// (name + ".dat") equal without regard to case to an existing file of the directory (COMPLETA, LISTAS,
// COLOR, DICT, DESCRIP, ULTIMO, another list, an article).
std::optional<Error> verificarNuevaLista(std::string_view directorio, std::string_view nombre);
// Why a new article's file name may not be used, and whose name it is: not a valid file name, one of the
// encyclopaedia's own files, an article of the complete list (`quien` as listed there), a directory of the
// encyclopaedia, or the file of a named list (`quien` the list's name). Letter case is ignored throughout. A
// file that exists but is missing from the complete list is no objection: it may be listed again as it is.
struct ObjecionANombre {
    enum class Tipo { NoValido, Propio, EnLaCompleta, Directorio, ArchivoDeLista };
    Tipo tipo;
    std::string quien;
};
// Nothing when the name may be used. Fails when COMPLETA.DAT cannot be read; an unreadable LISTAS.DAT is passed
// over (the lists it names cannot be told apart then).
Resultado<std::optional<ObjecionANombre>> verificarNuevoArticulo(std::string_view directorio, std::string_view nombre);
// Appends the name to LISTAS.DAT, then writes the list file with one empty line.
Estado agregarLista(std::string_view directorio, std::string_view nombre);

// Replaces the file (path as given) with the items, one per line; no items gives a 0-byte file.
Estado guardarLista(std::string_view ruta, const Lineas& articulos);

} // namespace store

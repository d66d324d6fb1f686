#pragma once

// The record of what was imported from ZIM files, IMPORTADOS.REG beside the encyclopaedia's files: for each
// article, the file it came from (by the file's Name metadata, the same for every edition of one encyclopaedia,
// not its path), the entry, and a checksum of the article file as it was written; for each picture, its file and
// entry. An import appends one line per article or picture once it is written, so a killed import leaves a
// record of what it did write; a later line for the same entry wins over an earlier one.
//
// Lines (Windows-1252, CR LF), fields separated by tabs, the file's name and the entry percent-encoded:
//   A <tab> article file name <tab> file's name <tab> entry <tab> checksum (16 hex digits)
//   I <tab> picture name in IMG <tab> file's name <tab> entry

#include "store/resultado.h"

#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace importar {

struct Registro {
    struct Articulo {
        std::string nombre; // the article's file name (Windows-1252)
        std::string suma;
    };
    // By (file's name, entry), both UTF-8.
    std::map<std::pair<std::string, std::string>, Articulo> articulos;
    std::map<std::pair<std::string, std::string>, std::string> imagenes;
};

// The record of the encyclopaedia `tomo`; an empty one when there is none yet. Lines it cannot read are skipped.
store::Resultado<Registro> leerRegistro(std::string_view tomo);

// The checksum of an article's bytes (64-bit FNV-1a, in hex).
std::string suma(std::string_view bytes);

std::string lineaDeArticulo(std::string_view nombre, const std::string& archivo, const std::string& entrada,
                            const std::string& suma);
std::string lineaDeImagen(std::string_view nombre, const std::string& archivo, const std::string& entrada);

} // namespace importar

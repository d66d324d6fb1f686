#pragma once

// An encyclopaedia directory and its fixed files. Names are resolved without regard to letter case, so
// the editor's spelling ("COLOR.DAT") and the viewer's ("color.dat") reach the same file.

#include "archivo_de_texto.h"
#include "resultado.h"

#include <optional>
#include <string>
#include <string_view>

namespace store {

inline constexpr std::string_view kImg = "IMG";
inline constexpr std::string_view kColor = "COLOR.DAT";
inline constexpr std::string_view kDict = "DICT.DAT";
inline constexpr std::string_view kIcono = "ICONO.ICO";
inline constexpr std::string_view kDescrip = "DESCRIP.DAT";
inline constexpr std::string_view kCompleta = "COMPLETA.DAT";
inline constexpr std::string_view kListas = "LISTAS.DAT";
inline constexpr std::string_view kUltimo = "ULTIMO.DAT";
inline constexpr std::string_view kNombreCompleta = "COMPLETA"; // the list name of the complete list
// What was imported from which file and entry (the importer's record); the viewer does not read it.
inline constexpr std::string_view kImportados = "IMPORTADOS.REG";
// The encyclopaedia's history, a git repository the editor keeps (a directory, or a file naming one elsewhere); the
// viewer, the server and the exports never read it.
inline constexpr std::string_view kHistorial = ".git";

// The names the encyclopaedia keeps for its own folder and files (IMG, COLOR.DAT, DICT.DAT, ICONO.ICO,
// DESCRIP.DAT, COMPLETA.DAT, LISTAS.DAT, ULTIMO.DAT, the import record IMPORTADOS.REG, the history .git), compared
// without regard to letter case: never the file of an article or of a named list.
bool esNombrePropio(std::string_view nombre);

// Checks made before anything is written for a new encyclopaedia: the path is not empty, the directory
// does not exist yet, and its parent exists.
Estado verificarNuevaEnciclopedia(std::string_view directorio);

// Creates the directory and its default files, in this order: the directory, IMG, COLOR.DAT (ten default
// lines), DICT.DAT (one empty line), ICONO.ICO (a copy of `icono`), DESCRIP.DAT, COMPLETA.DAT and
// LISTAS.DAT (empty). When `icono` is nothing or cannot be copied, `iconoDeReserva` bytes are written
// instead, and the remaining files are still created.
Estado crearEnciclopedia(std::string_view directorio, const std::optional<std::string>& icono,
                         std::string_view iconoDeReserva);

// DESCRIP.DAT: line 1 is the encyclopaedia's title, line 2 the author's comment.
Resultado<Lineas> leerDescripcion(std::string_view directorio);
Estado guardarDescripcion(std::string_view directorio, const Lineas& lineas);

// ULTIMO.DAT: line 1 names the article to open at start-up. Nothing when the file is missing or empty.
std::optional<std::string> leerUltimo(std::string_view directorio);
Estado escribirUltimo(std::string_view directorio, std::string_view articulo);

} // namespace store

#pragma once

// Line-based text files of the store. Reading: CR ends a line and a following LF is dropped (a lone LF
// is kept as an ordinary byte); a last line without an ending is still read; zero bytes give no line;
// CR LF alone gives one empty line. Writing: every line ends in CR LF.
//
// Every write goes to a temporary file in the same directory that is then renamed over the target, so a
// reader never sees a half-written file and a failed write leaves the old content whole.

#include "limites.h"
#include "lineas.h"
#include "resultado.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace store {

// Splits file bytes into lines by the rules above.
Lineas partirLineas(std::string_view bytes);
// Joins lines, each followed by CR LF.
std::string unirLineas(const Lineas& lineas);

// Symbolic links. A file of an encyclopaedia is never read through a link, which could lead out of its
// directory: the readers refuse a link as the file itself (Causa::AccesoDenegado), and the readers "Dentro"
// also any link on the way from the encyclopaedia directory down to the file. The registry chain (the
// registry, the data root's ACTUAL.DAT and TOMOS.DAT, the way to the encyclopaedia directory itself) and
// files the user chose are the user's own, and are read through links.
enum class Enlaces { Rechazar, Seguir };

// Reading fails with Causa::DemasiadoGrande, before anything is reserved, for a file of more than `limite`
// bytes (see limits.h for the limit of each kind of file); only regular files are read.
Resultado<std::string> leerBytes(std::string_view ruta, std::uint64_t limite, Enlaces enlaces = Enlaces::Rechazar);
// The same for a native path the store cannot spell (a file the user chose); errors name it as the system does.
Resultado<std::string> leerBytesNativos(const std::filesystem::path& nativa, std::uint64_t limite);
Resultado<Lineas> leerLineas(std::string_view ruta, std::uint64_t limite = kLimiteLista,
                             Enlaces enlaces = Enlaces::Rechazar);
// Line 1; fails with Causa::SinLineas on a file of zero bytes.
Resultado<std::string> leerPrimeraLinea(std::string_view ruta, std::uint64_t limite = kLimitePequeno,
                                        Enlaces enlaces = Enlaces::Rechazar);
// A file of the encyclopaedia `directorio`, `ruta` being directorio + "\" + a name: no link below the directory
// is followed, and a name that climbs out of it is refused (Causa::NombreNoValido). Errors name `ruta`. The name is
// resolved and opened once; `modificado`, when given, gets that file's modification time (seconds since 1970).
Resultado<std::string> leerBytesDentro(std::string_view directorio, std::string_view ruta, std::uint64_t limite,
                                       std::int64_t* modificado = nullptr);
Resultado<Lineas> leerLineasDentro(std::string_view directorio, std::string_view ruta, std::uint64_t limite);

// Creates or replaces the file with the given lines (atomically).
Estado escribirLineas(std::string_view ruta, const Lineas& lineas);
// Creates or replaces the file with exactly these bytes (atomically).
Estado escribirBytes(std::string_view ruta, std::string_view bytes);
// Adds one line (with its CR LF) at the end in a single write, creating the file when missing. A file of an
// encyclopaedia is appended to with Enlaces::Rechazar, so that a link cannot lead the write out of it.
Estado anexarLinea(std::string_view ruta, std::string_view linea, Enlaces enlaces = Enlaces::Seguir);
// Creates or truncates the file to zero bytes (atomically).
Estado crearVacio(std::string_view ruta);
// Afterwards the file exists; its content is unchanged if it existed.
Estado tocar(std::string_view ruta, Enlaces enlaces = Enlaces::Seguir);
// Byte copy, replacing the target (atomically); a source of more than `limite` bytes is refused.
Estado copiarArchivo(std::string_view origen, std::string_view destino, std::uint64_t limite);
// Creates one directory level; fails with YaExiste when it exists, RutaNoEncontrada when the parent is missing.
Estado crearDirectorio(std::string_view ruta);

bool existeArchivo(std::string_view ruta);
bool existeDirectorio(std::string_view ruta);

} // namespace store

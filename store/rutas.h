#pragma once

// Paths in the store are kept exactly as typed (Windows-1252, "C:\LUMBRE\TOMOS.DAT") and joined by
// plain concatenation with "\". Only when a file is opened is the path turned into a native one.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace store {

inline constexpr std::string_view kDirectorioRegistro = "C:\\LUMBRE";
inline constexpr std::string_view kArchivoRegistro = "C:\\LUMBRE\\TOMOS.DAT";

// a + "\" + b, nothing normalised.
std::string unir(std::string_view a, std::string_view b);

// The native path for a stored path, without looking at the disk. "\" and "/" both separate.
// On Linux "X:..." lives under the drive directory of X (see directorioUnidad); a native absolute
// path is taken as it is; anything else is relative to the working directory. Names become UTF-8.
std::filesystem::path aNativa(std::string_view ruta);

// The directory that stands for drive `letra` on Linux: $LUMBRE_UNIDADES/<letter in lower case> when
// that variable is set, else ${XDG_DATA_HOME:-$HOME/.local/share}/lumbre/unidades/<letter>.
std::filesystem::path directorioUnidad(char letra);

// The native path for a stored path, each component matched without regard to letter case against
// what exists on disk. Components that do not exist keep the spelling asked for. An exact hit never
// lists the directory; otherwise a per-directory index is used and refreshed when the directory
// changes, so a directory of many files is not listed again for every name looked up in it.
std::filesystem::path resolver(std::string_view ruta);

// A directory given on a program's command line (UTF-8), as the store names it: a drive path ("C:\ENCICLO\SOLAR",
// "c:/x") exactly as typed; a path of this system made absolute against the working directory, with "." and ".."
// resolved and doubled or trailing separators dropped, since the store would otherwise read it against whatever
// directory the program is in at the time. Nothing when the path holds characters Windows-1252 cannot; those
// characters (UTF-8, each once) then go to `noRepresentables`.
std::optional<std::string> rutaDeOrden(std::string_view utf8, std::string* noRepresentables = nullptr);

// Drops the case index of a native directory, after this process created, renamed or removed an entry in it.
void olvidarDirectorio(const std::filesystem::path& directorio);

#ifndef _WIN32
// The modification time of a native directory (zero when it cannot be read), taken just before this process
// creates or replaces an entry in it, for anotarEnDirectorio().
struct InstanteDeDirectorio {
    long long segundos = 0;
    long nanosegundos = 0;
};
InstanteDeDirectorio instanteDe(const std::filesystem::path& directorio);
// Tells the case index of a native directory that this process has just created (or replaced) the entry `nombre`
// (its name on disk) in it. When nothing else changed the directory since `antes`, the index takes the name
// and stays as it was, so that writing many files into a large directory never lists it again; otherwise the
// index is dropped, as olvidarDirectorio() does.
void anotarEnDirectorio(const std::filesystem::path& directorio, const std::string& nombre, InstanteDeDirectorio antes);
#endif

// True when `nombre`, read from a store file, may be used as a name inside an encyclopaedia
// directory: not empty, not absolute (no drive letter, no leading separator), no ".." component and no
// control byte (NUL included).
bool nombreRelativoSeguro(std::string_view nombre);

// True when `nombre` may be a single file name: not empty, no "\" "/" ":" "*" "?" "\"" "<" ">" "|",
// no control byte, not "." or "..", and not ending in a space or a dot.
bool nombreArchivoValido(std::string_view nombre);

// True when every component of a directory path may stand on Windows: a ":" only right after a leading
// drive letter, each component between separators a valid file name (see nombreArchivoValido: no reserved
// characters or device names, no trailing space or dot, not "." or ".."). Repeated and trailing separators
// are allowed. Says nothing about whether the path exists.
bool rutaValidaEnWindows(std::string_view ruta);

} // namespace store

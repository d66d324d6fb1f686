#pragma once

// Helpers shared by the store's own source files; not part of the store's interface.

#include "resultado.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace store::detail {

// The stored path without its last component ("C:\ENC\SOL.TXT" gives "C:\ENC"); empty when there is none.
std::string padre(std::string_view ruta);

// True when `texto` holds a byte below 32 (NUL included): no name on Windows holds one, and NUL would end a
// path early when the file is opened, so the store refuses such paths and names.
bool tieneControl(std::string_view texto);

// On Linux, creates the directory standing for the drive of `ruta` when the path starts with one
// ("X:"), so that a fresh machine can hold C:\LUMBRE. Does nothing otherwise.
void asegurarUnidad(std::string_view ruta);

// An Error for a failed system call, with the cause taken from `numero` (an errno value). For "not found",
// `nativa` tells a missing file from a missing directory on the way.
Error errorDeSistema(std::string operacion, std::string_view ruta, int numero, const std::filesystem::path& nativa);

// The detail of an error for a file of an encyclopaedia refused because it is, or lies past, a symbolic link.
inline constexpr const char* kNoSeSiguenEnlaces = "dentro de una enciclotomo no se siguen enlaces simb\xF3licos";

#ifndef _WIN32
// Opens for reading, with O_NONBLOCK, the file `ruta` (directorio + "\" + a name) of an encyclopaedia: the
// directory is reached as any path is, each directory below it and the file itself are opened one at a time
// without following a symbolic link. Returns the descriptor, or -1 with `error` naming `ruta`.
int abrirDentro(std::string_view directorio, std::string_view ruta, Error& error);
#endif

// A directory's case index: each name on disk under its Windows-1252 upper-case key. When several names share
// a key, one of them (the same one every time: the smallest) stands for it and the key is marked ambiguous.
// Keys and names lie back to back in one buffer and the table holds only their places, so that a look-up
// touches a slot and one run of bytes, and 100,000 names cost little more than their text.
class IndiceDeNombres {
public:
    struct Hallado {
        std::string_view nombre; // followed by a NUL, so nombre.data() may be opened as it is
        bool ambigua = false;
    };

    void agregar(std::string_view clave, std::string_view nombre);
    std::optional<Hallado> buscar(std::string_view clave) const;
    std::size_t size() const { return cantidad_; }

private:
    // Each entry lies in bytes_ as its key's length and its name's length (two bytes each, low byte first), a
    // byte saying whether the key is ambiguous, the key, the name and a NUL: a look-up reads one slot of the
    // table and then one run of bytes.
    static constexpr std::size_t kCabecera = 5;
    std::string_view clave(std::uint32_t entrada) const;
    Hallado hallado(std::uint32_t entrada) const;
    std::uint32_t escribir(std::string_view clave, std::string_view nombre, bool ambigua);
    // The slot of `clave`: the one holding it, or the empty one where it would go.
    std::size_t ranura(std::string_view clave, std::uint32_t hash) const;
    void agrandar();

    std::string bytes_;
    std::size_t cantidad_ = 0;
    std::vector<std::uint64_t> tabla_; // hash << 32 | (where the entry starts + 1); 0 is an empty slot; at
                                       // most half full
};

// The case index of a native directory as it stands now (built when missing or older than the directory),
// shared and never changed afterwards, so that a listing may look many names up in it without a lock.
// Null when the directory cannot be listed.
std::shared_ptr<const IndiceDeNombres> indiceDeCasos(const std::filesystem::path& directorio);
// The error for a file of more than `limite` bytes, which is refused unread.
Error demasiadoGrande(std::string operacion, std::string_view ruta, std::uint64_t limite);

// How many times this process has listed a directory to build a case index (for tests and benchmarks).
std::size_t listadosDeDirectorio();

} // namespace store::detail

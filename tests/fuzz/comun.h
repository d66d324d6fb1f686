#pragma once

// Shared by the fuzz targets: a scratch encyclopaedia on a memory file system, files written around the
// store (plain POSIX calls), and the checks that end a run when a property does not hold.

#include "store/resultado.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace fuzz {

// A scratch drive C: (LUMBRE_UNIDADES) holding the directory C:\ENC with an "Img" subdirectory, made once
// per process and removed at exit.
struct Enciclopedia {
    std::string ruta;             // "C:\ENC", as a store path
    std::filesystem::path nativa; // the same on disk
    std::filesystem::path unidad; // the directory standing for drive C:
};
const Enciclopedia& enciclopedia();

// Replaces a file's bytes without going through the store.
void ponerArchivo(const std::filesystem::path& nativa, std::string_view bytes);

// Ends the run with a message: a property of the store does not hold for this input.
[[noreturn]] void fallo(const char* archivo, int linea, const char* condicion, const std::string& detalle = {});

// True when the store path `ruta`, opened as the system opens it (up to its first NUL byte, "." and ".."
// followed by the text), stays inside the native directory `dir`.
bool dentroDe(const std::filesystem::path& dir, std::string_view ruta);
// The same for a native path.
bool nativaDentroDe(const std::filesystem::path& dir, const std::filesystem::path& nativa);

// Every line of the store is read without a failure when it is a plain file of the scratch directory.
template <class T> const T& sinError(const store::Resultado<T>& r, const char* archivo, int linea) {
    if (!r)
        fallo(archivo, linea, "lectura sin error", r.error().mensaje());
    return r.valor();
}

} // namespace fuzz

#define EXIGIR(cond)                                                                                                   \
    do {                                                                                                               \
        if (!(cond))                                                                                                   \
            ::fuzz::fallo(__FILE__, __LINE__, #cond);                                                                  \
    } while (0)

#define LEIDO(expr) ::fuzz::sinError((expr), __FILE__, __LINE__)

#pragma once

// The title cache: what a listing of an encyclopaedia's articles found, kept for the user (never in the
// encyclopaedia's directory) so that the next start shows every title at once and only checks the files.
//
// One file per encyclopaedia directory, written whole to a temporary file beside it and renamed over it. It
// holds a header (a tag, the format's version, the directory's path and its device and inode numbers, the
// number of entries), then one entry per listed article: the name as the list gives it, its title, and the
// size, modification time (nanoseconds) and inode number of its file when the title was read; then a checksum
// of everything before it. A file with another tag or version, for another directory (also one with the same
// path made anew, which has another inode), cut short, grown or damaged anywhere is refused as a whole: nothing
// read from it is used.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace store {

// What says that a file is as it was: its size, modification time and inode number. A file replaced by another
// of the same size and time (a rename over it) has another inode.
struct Sello {
    std::uint64_t tamano = 0;
    std::int64_t modificado = 0; // nanoseconds since the epoch
    std::uint64_t inodo = 0;
    friend bool operator==(const Sello&, const Sello&) = default;
};

// The directory a cache belongs to: its native path and its device and inode numbers.
struct IdentidadDirectorio {
    std::string ruta;
    std::uint64_t dispositivo = 0;
    std::uint64_t inodo = 0;
};

// The identity of an encyclopaedia directory as the store names it ("C:\ENC\SOLAR"), or nothing when it is
// not a directory.
std::optional<IdentidadDirectorio> identidadDe(std::string_view directorio);

// The cache file of a directory inside the cache directory given (the user's, e.g. ~/.cache/lumbre): a name
// made from the directory's path.
std::filesystem::path archivoCacheTitulos(const std::filesystem::path& cacheUsuario, const IdentidadDirectorio& id);

// Reads the cache file front to back in large pieces and calls porEntrada with each entry, in file order.
// Returns false when the file is missing or is refused (see above); entries may have been given before the
// damage was found, so a caller keeps nothing of them then.
bool leerCacheTitulos(
    const std::filesystem::path& archivo, const IdentidadDirectorio& id,
    const std::function<void(std::string_view nombre, std::string_view titulo, const Sello& sello)>& porEntrada);

// Writes a cache file: entries are added in order, then terminar() writes the checksum and renames the
// temporary file over the cache. Nothing replaces the old cache unless every byte was written; a writer
// destroyed before terminar() removes its temporary file.
class EscritorCacheTitulos {
public:
    EscritorCacheTitulos(std::filesystem::path archivo, const IdentidadDirectorio& id, std::uint32_t entradas);
    ~EscritorCacheTitulos();
    EscritorCacheTitulos(const EscritorCacheTitulos&) = delete;
    EscritorCacheTitulos& operator=(const EscritorCacheTitulos&) = delete;

    void agregar(std::string_view nombre, std::string_view titulo, const Sello& sello);
    // True when the cache was replaced.
    bool terminar();

private:
    void escribir(const void* datos, std::size_t bytes);
    void vaciarBufer();

    std::filesystem::path archivo_;
    std::filesystem::path temporal_;
    int fd_ = -1;
    bool bien_ = true;
    std::uint32_t faltan_;
    std::uint64_t suma_;
    std::string bufer_;
};

} // namespace store

#pragma once

// The history of one encyclopaedia: a git repository, ".git" in the encyclopaedia's directory, in which every
// change is one version (a commit) with its author, its time and a Spanish summary.
//
// The repository is opened as a bare one, at exactly that place: no parent directory is searched (an
// encyclopaedia may sit inside another repository), no working tree of the repository's configuration is
// used, and nothing of that configuration is run (libgit2 runs no hooks; blobs are made from bytes, so no
// filter is applied). Files are never written by a checkout: a restore writes through the store's
// temporary-file-and-rename writer. Every version's tree is built from the previous one with only the touched
// paths replaced, so that a directory of 100,000 articles is not scanned on each save; each version names
// the files it touched in its message ("Lumbre-Archivo: marte.txt"), so an article's history reads messages,
// not trees.
//
// Names are the store's (Windows-1252, "IMG\\sol.txt"); in the repository they are the names on disk (UTF-8,
// "IMG/sol.txt"). ULTIMO.DAT (rewritten on every reading), the store's temporary files and links are never
// versioned.

#include "store/resultado.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace historial {

struct Version {
    std::string id;                    // the commit's full hexadecimal name
    std::string corto;                 // its first 8 digits, as shown to the author
    std::int64_t segundos{};           // seconds since 1970, UTC
    int minutosZona{};                 // the author's offset from UTC
    std::string autor;                 // UTF-8
    std::string resumen;               // UTF-8: the message's first line
    std::vector<std::string> archivos; // the store names it touched (Windows-1252), in order
};

// What a version of a file holds, or that the file was absent then.
using Contenido = std::optional<std::string>;

class Historial {
public:
    ~Historial();
    Historial(const Historial&) = delete;
    Historial& operator=(const Historial&) = delete;

    // Whether `directorio` holds a history (a ".git" entry of any kind).
    static bool existe(std::string_view directorio);
    // Opens the history of `directorio`, creating an empty one (no version yet) when there is no ".git".
    // Fails, naming the repository and saying why, when ".git" exists but is not a repository that can be
    // written; it is then left untouched.
    static store::Resultado<std::unique_ptr<Historial>> abrir(std::string_view directorio);

    const std::string& directorio() const { return directorio_; }
    // True until the first version is recorded.
    bool vacio() const;

    // Records one version with the files `nombres` as they are now on disk (a missing one as deleted), the
    // rest as in the previous version. Gives the new version's id, or nothing when none of them changed.
    store::Resultado<std::optional<std::string>> registrar(const std::vector<std::string>& nombres,
                                                           std::string_view autor, std::string_view resumen);
    // Records every difference between the directory and the last version (this one scans the directory). The
    // files no version holds yet are written into packs, each synced to disk once.
    store::Resultado<std::optional<std::string>> registrarTodo(std::string_view autor, std::string_view resumen);

    // The versions, newest first; with `nombre`, only those that changed that file.
    store::Resultado<std::vector<Version>> versiones(std::string_view nombre = {}) const;
    // The file `nombre` (letter case ignored) as it was in `version` (a full or short id, or any name git
    // understands, such as "HEAD~2").
    store::Resultado<Contenido> leer(std::string_view version, std::string_view nombre) const;
    // The files of `version` (store names), in the repository's order.
    store::Resultado<std::vector<std::string>> archivos(std::string_view version) const;

    // Writes `nombre` back as it was in `version`, through the store's writer, and records that as a new
    // version (history is never rewritten). An article missing from COMPLETA.DAT that was listed in that
    // version is listed again, in the same version. Fails when the file did not exist in `version`.
    store::Resultado<std::optional<std::string>> restaurar(std::string_view version, std::string_view nombre,
                                                           std::string_view autor);

    // Versions recorded since the history was last packed (counted up to `hasta`).
    std::size_t sinEmpaquetar(std::size_t hasta = 1000) const;
    // Packs the loose objects (those of the versions recorded since the last packing) into one pack with the
    // packs that are small beside them, each tree stored as a difference from a similar one, and removes what
    // the new pack holds: a 100,000-article directory's 4 MB tree per version becomes a few hundred bytes, and
    // the packs are merged as the history grows, so that few whole trees are kept. Safe beside writers of the
    // same history (nothing is removed before the new pack and its index are on disk); another packing at the
    // same time makes this one return at once.
    store::Estado empaquetar();

    struct Impl;
    // The repository and its helpers, for the rest of the library (historial/interno.h).
    Impl& interno() const { return *impl_; }

private:
    explicit Historial(std::string directorio);
    std::string directorio_;
    std::unique_ptr<Impl> impl_;
};

// Copies every file of the encyclopaedia `directorio` into the new directory `destino` (both store paths),
// each through the store's writer, leaving out its history (".git": drafts, deleted texts, authors' names)
// and the store's temporaries. Refused, writing nothing, when `destino` exists and is not an empty directory,
// or lies inside `directorio`. The number of files copied.
store::Resultado<std::size_t> copiarSinHistorial(std::string_view directorio, std::string_view destino);

// "9 dic 2026 23:15" in the author's zone.
std::string fechaLegible(const Version& version);

} // namespace historial

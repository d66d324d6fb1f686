#pragma once

// The full-text index of one encyclopaedia: every article of its complete list, title and body as the
// viewer shows them, kept by Xapian in the user's cache directory, never in the encyclopaedia's own.
//
// Each article is one document holding its file name and a signature of its size and modification
// time. Bringing the index up to date compares the signatures with the files on disk and indexes only
// the articles added or changed, and drops those removed. An index that cannot be opened, is damaged,
// or was written in another format is thrown away and built anew, never trusted.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace search {

// Raised whenever what is indexed, or how, changes: an index of another format is rebuilt.
inline constexpr std::string_view kFormato = "2";

// The file in the index's directory that names its parts, as Xapian reads a stub database.
inline constexpr const char* kStub = "XAPIANDB";

// ${XDG_CACHE_HOME:-$HOME/.cache}/lumbre/busqueda/<16 hex digits>, one per encyclopaedia directory
// (the stored path as the store names it, Windows-1252), told apart by a hash of its native path.
std::filesystem::path rutaIndice(std::string_view directorio);

struct Informe {
    std::size_t articulos = 0; // listed in the complete list and found on disk
    std::size_t agregados = 0;
    std::size_t cambiados = 0;
    std::size_t quitados = 0;
    std::vector<std::string> sinLeer; // stored paths of listed articles that could not be read
    bool reconstruido = false;        // a damaged, foreign or older index was thrown away
    bool cancelado = false;
    std::string error; // a Spanish sentence (UTF-8) when the index could not be brought up to date
};

// Called now and then while articles are indexed, from the thread of any of the writers (one call at a
// time): how many of `total` are done.
using Avance = std::function<void(std::size_t hechos, std::size_t total)>;

// How an update shares out its work. The index is kept in parts of at most `porParte` articles; when at
// least `enParalelo` articles are to be indexed, `escritores` threads write parts of their own at once.
struct Reparto {
    std::size_t porParte = 125000;
    std::size_t enParalelo = 20000;
    unsigned escritores = std::max(1u, std::min(std::thread::hardware_concurrency(), 4u));
};

// Brings the index of the encyclopaedia `directorio` up to date with its articles. Work done is
// committed every few thousand articles, so a search meanwhile finds what is indexed so far; when
// `cancelar` turns true the work done so far is kept and the next call goes on from there. Only one
// update of an index runs at a time; a second one meanwhile returns at once with `error` set.
Informe actualizarIndice(std::string_view directorio, const Avance& avance = {},
                         const std::atomic<bool>* cancelar = nullptr, const Reparto& reparto = {});

} // namespace search

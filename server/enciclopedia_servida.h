#pragma once

// One encyclopaedia as the server sees it: what its lists and titles were at the last look, kept as one
// snapshot that any number of requests read at once, and its full-text index. Nothing is ever written into
// the encyclopaedia's directory; the index lives in the user's cache directory, as the viewer's does.
//
// Bringing it up to date compares the sizes and modification times of the directory, DESCRIP.DAT, COLOR.DAT,
// LISTAS.DAT, every list file and the listed articles with those seen before: every article when the directory
// or a list changed (a file saved by the editor replaces the old one, which changes the directory's time), else
// the next kArticulosPorMirada of them, so that an article changed in place is still seen within a few looks.
// Only articles that changed are read again, and only then is the search index brought up to date. A request never
// waits for that: it asks for a look (at most one every `intervalo`), which runs on a thread of its own, and is
// answered from the snapshot held meanwhile.

#include "search/buscador.h"
#include "server/diccionario_indexado.h"
#include "store/archivo_de_color.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class QThreadPool;

namespace server {

// Size and modification time (nanoseconds) of a file as last seen; a missing file is {-1, 0}.
struct Firma {
    std::int64_t tamano = -1;
    std::int64_t tiempo = 0;
    bool operator==(const Firma&) const = default;
};

struct Instantanea {
    std::string titulo;                                     // DESCRIP.DAT line 1 (Windows-1252); empty when missing
    std::string comentario;                                 // line 2
    store::Esquema colores = store::kEsquemaPredeterminado; // COLOR.DAT as the viewer reads it
    std::vector<std::string> listas;                        // LISTAS.DAT, non-empty lines, in order
    std::vector<std::string> completa;                      // COMPLETA.DAT, non-empty lines, in order, duplicates kept
    std::unordered_map<std::string, std::vector<std::string>> miembros; // list name -> its non-empty lines
    // Every article file name that a list names and that may be used inside the directory, with its title
    // (Windows-1252; nothing when the file could not be read).
    std::unordered_map<std::string, std::optional<std::string>> titulos;
    std::unordered_map<std::string, std::string> plegados; // name -> its title folded as the search folds words
    std::int64_t modificado = 0;                           // the newest modification time seen, in seconds
    std::vector<std::string> avisos;                       // what could not be read, Spanish (UTF-8)
    std::uint64_t generacion = 0;                          // raised whenever something seen changed

    bool esArticulo(const std::string& nombre) const { return titulos.count(nombre) > 0; }
};

// What one search sent by anybody may cost: 85 prefixes in 254 bytes would otherwise stand for 42,500 words.
inline constexpr search::Cotas kCotasDeBusqueda{12, 4, 100, 0.5};

// The articles looked at in one look while neither the directory nor its lists changed.
inline constexpr std::size_t kArticulosPorMirada = 5000;

struct EstadoIndice {
    bool listo = false;     // built at least once
    std::size_t hechos = 0; // while being built
    std::size_t total = 0;
    std::string error; // UTF-8
};

class EnciclopediaServida : public std::enable_shared_from_this<EnciclopediaServida> {
public:
    // `directorio` as the store names it; `id` the short name used in addresses ("solar"). Made with
    // std::make_shared: a look on the other thread keeps the object alive until it ends.
    EnciclopediaServida(std::string directorio, std::string id, std::chrono::milliseconds intervalo,
                        QThreadPool* revisiones);
    ~EnciclopediaServida();

    const std::string& directorio() const { return directorio_; }
    const std::string& id() const { return id_; }

    // The snapshot held now; asks for a look when the last one is older than the interval.
    std::shared_ptr<const Instantanea> instantanea();
    // Looks now, on the calling thread (start-up, tests), and brings the index up to date when `indice`.
    void revisar(bool indice);

    // A search with the viewer's own index, within the server's bounds (kCotasDeBusqueda), listing `cuantos`
    // from the `desde`-th on; one at a time per encyclopaedia.
    search::Resultados buscar(const std::string& consulta, std::size_t desde, std::size_t cuantos);
    EstadoIndice estadoIndice() const;
    // Its dictionary, looked up through an index of its own.
    DiccionarioIndexado& diccionario() { return diccionario_; }
    // Stops the look under way and its index update (what was indexed is kept): the server is ending.
    void cancelar() { cancelar_ = true; }

private:
    void pedirRevision();

    std::string directorio_;
    std::string id_;
    std::chrono::milliseconds intervalo_;
    QThreadPool* revisiones_;

    mutable std::mutex mutexInstantanea_;
    std::shared_ptr<const Instantanea> instantanea_;
    std::chrono::steady_clock::time_point ultimaRevision_{};
    std::atomic<bool> revisando_{false};
    std::atomic<bool> cancelar_{false};

    // Only the looking thread touches these.
    std::mutex mutexRevision_;
    std::unordered_map<std::string, Firma> firmas_; // file name -> as last seen
    struct TituloVisto {
        Firma firma;
        std::optional<std::string> titulo;
    };
    std::unordered_map<std::string, TituloVisto> vistos_;
    std::vector<std::string> orden_; // every listed article once, in the order first listed
    std::size_t cursor_ = 0;         // where the next look at the articles starts
    bool indiceAlDia_ = false;

    std::mutex mutexBusqueda_;
    search::Buscador buscador_;
    mutable std::mutex mutexIndice_;
    EstadoIndice indice_;
    DiccionarioIndexado diccionario_;
};

// The encyclopaedia's address name: the last component of its directory folded to lower-case ASCII letters,
// digits and "-" ("C:\ENCICLO\Ríos" gives "rios"); "enciclotomo" when nothing is left.
std::string idDeDirectorio(const std::string& directorio);

} // namespace server

#include "search/indice.h"

#include "search/documento.h"
#include "search/formas.h"
#include "store/article.h"
#include "store/encoding.h"
#include "store/list_files.h"
#include "store/paths.h"
#include "store/text_file.h"

#include <xapian.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <unordered_set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace busqueda {

namespace {

using Reloj = std::chrono::steady_clock;

// Commits are what a search meanwhile can see: the first soon, then every few seconds or so many articles.
constexpr std::size_t kMinimoPorEntrega = 500;
constexpr std::size_t kMaximoPorEntrega = 20000;
constexpr auto kIntervaloDeEntrega = std::chrono::seconds(3);

std::string utf8(std::string_view cp1252) {
    return store::cp1252AUtf8(cp1252);
}

fs::path directorioCache() {
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    if (xdg && *xdg == '/') {
        return fs::path(xdg) / "lumbre";
    }
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/tmp") / ".cache" / "lumbre";
}

std::string nativoDe(std::string_view directorio) {
    std::error_code ec;
    const fs::path nativa = store::resolver(directorio);
    const fs::path canonica = fs::weakly_canonical(nativa, ec);
    return (ec ? nativa : canonica).string();
}

// The size and modification time of a regular file, or nothing.
std::optional<std::string> firmaDe(const fs::path& ruta) {
    struct stat st {};
    if (::stat(ruta.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    char texto[64];
    std::snprintf(texto, sizeof texto, "%lld:%lld.%09ld", static_cast<long long>(st.st_size),
                  static_cast<long long>(st.st_mtim.tv_sec), static_cast<long>(st.st_mtim.tv_nsec));
    return std::string(texto);
}

// An article's bytes: never through a symbolic link (which could lead out of the encyclopaedia), never waiting
// on a FIFO, never beyond an article's size limit.
std::optional<std::string> leerNativo(const fs::path& ruta) {
    const int fd = ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::uint64_t>(st.st_size) > store::kLimiteArticulo) {
        ::close(fd);
        return std::nullopt;
    }
    std::string bytes;
    char bloque[16384];
    for (;;) {
        const ssize_t n = ::read(fd, bloque, sizeof bloque);
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        bytes.append(bloque, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

// One listed article as found on disk.
struct EnDisco {
    std::string nombre;
    fs::path nativa;
    std::string firma;
};

// The native file of a listed name: the name under the native directory when it is spelled as on disk
// (one look at the disk), else found without regard to letter case.
std::optional<EnDisco> buscarEnDisco(const fs::path& dirNativo, std::string_view directorio, std::string_view nombre) {
    const bool simple = nombre.find_first_of("\\/") == std::string_view::npos;
    EnDisco e{std::string(nombre), simple ? dirNativo / utf8(nombre) : fs::path(), {}};
    if (simple) {
        if (auto firma = firmaDe(e.nativa)) {
            e.firma = std::move(*firma);
            return e;
        }
    }
    e.nativa = store::resolver(store::unir(directorio, nombre));
    if (auto firma = firmaDe(e.nativa)) {
        e.firma = std::move(*firma);
        return e;
    }
    return std::nullopt;
}

struct Preparado {
    std::size_t indice;                  // in the list of articles to index
    std::optional<Xapian::Document> doc; // nothing when the article could not be read
};

// Reads and analyses the articles to index on a thread of its own, handing them over in batches.
class Preparacion {
public:
    Preparacion(const std::vector<EnDisco>& articulos, const std::atomic<bool>* cancelar)
        : articulos_(articulos), cancelar_(cancelar), hilo_([this] { preparar(); }) {}

    ~Preparacion() {
        {
            std::lock_guard bloqueo(m_);
            parar_ = true;
        }
        cambio_.notify_all();
        hilo_.join();
    }

    // The next batch, in order, or nothing when all are handed over or the work was cancelled.
    std::optional<std::vector<Preparado>> siguiente() {
        std::unique_lock bloqueo(m_);
        cambio_.wait(bloqueo, [this] { return !listos_.empty() || terminado_; });
        if (listos_.empty()) {
            return std::nullopt;
        }
        std::vector<Preparado> lote = std::move(listos_.front());
        listos_.pop_front();
        cambio_.notify_all();
        return lote;
    }

private:
    static constexpr std::size_t kPorLote = 50;
    static constexpr std::size_t kLotesEnEspera = 8;

    void preparar() {
        Formas formas;
        std::vector<Preparado> lote;
        for (std::size_t i = 0; i < articulos_.size(); ++i) {
            if (cancelar_ && cancelar_->load(std::memory_order_relaxed)) {
                break;
            }
            const EnDisco& e = articulos_[i];
            Preparado p{i, std::nullopt};
            if (const auto bytes = leerNativo(e.nativa)) {
                const store::Articulo articulo = store::analizarArticulo(store::partirLineas(*bytes));
                p.doc = documento(e.nombre, e.firma, articulo.titulo, articulo.cuerpo, formas);
            }
            lote.push_back(std::move(p));
            if (lote.size() == kPorLote || i + 1 == articulos_.size()) {
                std::unique_lock bloqueo(m_);
                cambio_.wait(bloqueo, [this] { return listos_.size() < kLotesEnEspera || parar_; });
                if (parar_) {
                    break;
                }
                listos_.push_back(std::move(lote));
                lote.clear();
                cambio_.notify_all();
            }
        }
        std::lock_guard bloqueo(m_);
        terminado_ = true;
        cambio_.notify_all();
    }

    const std::vector<EnDisco>& articulos_;
    const std::atomic<bool>* cancelar_;
    std::mutex m_;
    std::condition_variable cambio_;
    std::deque<std::vector<Preparado>> listos_;
    bool terminado_ = false;
    bool parar_ = false;
    std::thread hilo_; // last: started once everything it uses is ready
};

struct Indexado {
    Xapian::docid id = 0;
    std::string firma;
    bool visto = false;
};

class Actualizacion {
public:
    Actualizacion(std::string_view directorio, const Avance& avance, const std::atomic<bool>* cancelar)
        : directorio_(directorio), avance_(avance), cancelar_(cancelar), ruta_(rutaIndice(directorio)),
          nativo_(nativoDe(directorio)) {}

    Informe ejecutar() {
        const auto lista = store::leerCompleta(directorio_);
        if (!lista) {
            informe_.error = utf8(lista.error().mensaje());
            return informe_;
        }
        try {
            if (!abrir(false)) {
                return informe_;
            }
            try {
                actualizar(*lista);
            } catch (const Xapian::DatabaseLockError&) {
                throw;
            } catch (const Xapian::Error&) {
                // Damaged beyond what opening it showed: start again from nothing, once.
                db_.reset();
                informe_ = Informe{};
                if (!abrir(true)) {
                    return informe_;
                }
                actualizar(*lista);
            }
        } catch (const Xapian::Error& e) {
            informe_.error = "No se pudo actualizar el \xC3\xAD"
                             "ndice de b\xC3\xBAsqueda en \xC2\xAB" +
                             ruta_.string() + "\xC2\xBB: " + e.get_description();
        } catch (const fs::filesystem_error& e) {
            informe_.error = "No se pudo crear el \xC3\xAD"
                             "ndice de b\xC3\xBAsqueda en \xC2\xAB" +
                             ruta_.string() + "\xC2\xBB: " + e.code().message();
        }
        return informe_;
    }

private:
    // Opens the index, or makes it anew when it is missing, damaged, foreign or of another format.
    // False (with the error said) when another update holds it.
    bool abrir(bool deNuevo) {
        fs::create_directories(ruta_.parent_path());
        if (!deNuevo) {
            try {
                db_ = std::make_unique<Xapian::WritableDatabase>(ruta_.string(),
                                                                 Xapian::DB_CREATE_OR_OPEN | Xapian::DB_BACKEND_GLASS);
                const std::string formato = db_->get_metadata(kMetaFormato);
                if (formato == kFormato && db_->get_metadata(kMetaDirectorio) == nativo_) {
                    return true;
                }
                if (formato.empty() && db_->get_doccount() == 0 && db_->get_lastdocid() == 0) {
                    marcar();
                    return true;
                }
            } catch (const Xapian::DatabaseLockError&) {
                informe_.error = "El \xC3\xAD"
                                 "ndice de b\xC3\xBAsqueda ya se est\xC3\xA1 actualizando.";
                return false;
            } catch (const Xapian::Error&) {
                // damaged: made anew below
            }
            db_.reset();
        }
        informe_.reconstruido = true;
        fs::remove_all(ruta_);
        db_ = std::make_unique<Xapian::WritableDatabase>(ruta_.string(),
                                                         Xapian::DB_CREATE_OR_OVERWRITE | Xapian::DB_BACKEND_GLASS);
        marcar();
        return true;
    }

    void marcar() {
        db_->set_metadata(kMetaFormato, std::string(kFormato));
        db_->set_metadata(kMetaDirectorio, nativo_);
        db_->commit();
    }

    std::unordered_map<std::string, Indexado> leerIndexados() {
        std::unordered_map<std::string, Indexado> indexados;
        std::vector<std::pair<Xapian::docid, std::string>> nombres;
        nombres.reserve(db_->get_doccount());
        for (auto v = db_->valuestream_begin(kValorNombre); v != db_->valuestream_end(kValorNombre); ++v) {
            nombres.emplace_back(v.get_docid(), *v);
        }
        std::size_t i = 0;
        for (auto v = db_->valuestream_begin(kValorFirma); v != db_->valuestream_end(kValorFirma); ++v) {
            while (i < nombres.size() && nombres[i].first < v.get_docid()) {
                ++i;
            }
            if (i < nombres.size() && nombres[i].first == v.get_docid()) {
                indexados[std::move(nombres[i].second)] = Indexado{v.get_docid(), *v, false};
            }
        }
        return indexados;
    }

    void actualizar(const store::Lineas& lista) {
        auto indexados = leerIndexados();
        const fs::path dirNativo = store::resolver(directorio_);

        std::vector<EnDisco> porIndexar;
        std::vector<Xapian::docid> porReemplazar; // parallel to porIndexar; 0 for a new article
        std::unordered_set<std::string_view> listados;
        for (const std::string_view nombre : lista) {
            if (nombre.empty() || !store::nombreRelativoSeguro(nombre) || !listados.insert(nombre).second) {
                continue;
            }
            auto enDisco = buscarEnDisco(dirNativo, directorio_, nombre);
            if (!enDisco) {
                continue; // gone: dropped below with those no longer listed
            }
            ++informe_.articulos;
            const auto hallado = indexados.find(std::string(nombre));
            if (hallado == indexados.end()) {
                porIndexar.push_back(std::move(*enDisco));
                porReemplazar.push_back(0);
                continue;
            }
            hallado->second.visto = true;
            if (hallado->second.firma != enDisco->firma) {
                porIndexar.push_back(std::move(*enDisco));
                porReemplazar.push_back(hallado->second.id);
            }
        }

        for (const auto& [nombre, indexado] : indexados) {
            if (!indexado.visto) {
                db_->delete_document(indexado.id);
                ++informe_.quitados;
            }
        }

        // Reading and analysing the articles runs beside the index's own work on them.
        const std::size_t total = porIndexar.size();
        Preparacion preparacion(porIndexar, cancelar_);
        auto ultimaEntrega = Reloj::now();
        std::size_t sinEntregar = informe_.quitados;
        std::size_t hechos = 0;
        while (auto lote = preparacion.siguiente()) {
            for (Preparado& p : *lote) {
                ++hechos;
                if (!p.doc) {
                    informe_.sinLeer.push_back(store::unir(directorio_, porIndexar[p.indice].nombre));
                    continue;
                }
                if (porReemplazar[p.indice] != 0) {
                    db_->replace_document(porReemplazar[p.indice], *p.doc);
                    ++informe_.cambiados;
                } else {
                    db_->add_document(*p.doc);
                    ++informe_.agregados;
                }
                ++sinEntregar;
            }
            if (sinEntregar >= kMaximoPorEntrega ||
                (sinEntregar >= kMinimoPorEntrega && Reloj::now() - ultimaEntrega >= kIntervaloDeEntrega)) {
                db_->commit();
                sinEntregar = 0;
                ultimaEntrega = Reloj::now();
            }
            if (avance_) {
                avance_(hechos, total);
            }
        }
        informe_.cancelado = hechos < total;
        if (sinEntregar > 0) {
            db_->commit();
        }
    }

    std::string directorio_;
    const Avance& avance_;
    const std::atomic<bool>* cancelar_;
    fs::path ruta_;
    std::string nativo_;
    std::unique_ptr<Xapian::WritableDatabase> db_;
    Informe informe_;
};

} // namespace

fs::path rutaIndice(std::string_view directorio) {
    // FNV-1a, 64 bits: the same on every machine and run, unlike std::hash.
    std::uint64_t h = 14695981039346656037ull;
    for (const unsigned char c : nativoDe(directorio)) {
        h = (h ^ c) * 1099511628211ull;
    }
    char nombre[17];
    std::snprintf(nombre, sizeof nombre, "%016llx", static_cast<unsigned long long>(h));
    return directorioCache() / "busqueda" / nombre;
}

Informe actualizarIndice(std::string_view directorio, const Avance& avance, const std::atomic<bool>* cancelar) {
    return Actualizacion(directorio, avance, cancelar).ejecutar();
}

} // namespace busqueda

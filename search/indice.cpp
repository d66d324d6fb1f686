#include "search/indice.h"

#include "search/documento.h"
#include "search/formas.h"
#include "store/article.h"
#include "store/encoding.h"
#include "store/list_files.h"
#include "store/paths.h"
#include "store/text_file.h"

#include <xapian.h>

#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <exception>
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

// The size and modification time of an article's file when it was indexed, kept in each document as text.
struct Firma {
    long long tam = 0;
    long long segundos = 0;
    long nanosegundos = 0;

    bool operator==(const Firma&) const = default;

    std::string texto() const {
        char texto[64];
        std::snprintf(texto, sizeof texto, "%lld:%lld.%09ld", tam, segundos, nanosegundos);
        return texto;
    }

    // Nothing for a text not written by texto(): the article is then indexed again.
    static std::optional<Firma> leer(std::string_view texto) {
        Firma f;
        const char* p = texto.data();
        const char* const fin = p + texto.size();
        auto numero = [&](auto& n, char tras) {
            const auto [q, ec] = std::from_chars(p, fin, n);
            if (ec != std::errc() || (tras != 0 && (q == fin || *q != tras))) {
                return false;
            }
            p = tras != 0 ? q + 1 : q;
            return true;
        };
        if (!numero(f.tam, ':') || !numero(f.segundos, '.') || !numero(f.nanosegundos, 0) || p != fin) {
            return std::nullopt;
        }
        return f;
    }
};

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

// One article to index: its listed name, its file and its signature.
struct EnDisco {
    std::string nombre;
    fs::path nativa;
    std::string firma;
};

// The files of the listed articles of one directory, looked at relative to the directory kept open: a
// name spelled as on disk costs one fstatat of one component; any other (another letter case, a name with
// a directory in it) is resolved through the store's case index of its directory.
class Carpeta {
public:
    explicit Carpeta(std::string_view directorio) : directorio_(directorio), nativo_(store::resolver(directorio)) {
        dirfd_ = ::open(nativo_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    ~Carpeta() {
        if (dirfd_ >= 0) {
            ::close(dirfd_);
        }
    }
    Carpeta(const Carpeta&) = delete;
    Carpeta& operator=(const Carpeta&) = delete;

    struct Hallado {
        Firma firma;
        bool exacto; // found as spelled, right in the directory
    };

    // The signature of the regular file of a listed name, or nothing.
    std::optional<Hallado> buscar(std::string_view nombre) {
        struct stat st {};
        if (dirfd_ >= 0 && nombre.find_first_of("\\/") == std::string_view::npos) {
            nativo(nombre);
            if (::fstatat(dirfd_, nombreNativo_.c_str(), &st, 0) == 0) {
                return hallado(st, true);
            }
        }
        if (::stat(store::resolver(store::unir(directorio_, nombre)).c_str(), &st) == 0) {
            return hallado(st, false);
        }
        return std::nullopt;
    }

    fs::path nativa(std::string_view nombre, bool exacto) {
        if (exacto) {
            nativo(nombre);
            return nativo_ / nombreNativo_;
        }
        return store::resolver(store::unir(directorio_, nombre));
    }

private:
    static std::optional<Hallado> hallado(const struct stat& st, bool exacto) {
        if (!S_ISREG(st.st_mode)) {
            return std::nullopt;
        }
        return Hallado{Firma{static_cast<long long>(st.st_size), static_cast<long long>(st.st_mtim.tv_sec),
                             static_cast<long>(st.st_mtim.tv_nsec)},
                       exacto};
    }

    // The name in UTF-8 into a buffer kept between calls.
    void nativo(std::string_view nombre) {
        bool ascii = true;
        for (const char c : nombre) {
            ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        }
        if (ascii) {
            nombreNativo_.assign(nombre);
        } else {
            nombreNativo_ = utf8(nombre);
        }
    }

    std::string directorio_;
    fs::path nativo_;
    int dirfd_ = -1;
    std::string nombreNativo_;
};

// What the index holds: each document's name and signature, in document order, compact. The complete list
// and the index mostly go in the same order (articles are indexed in list order and keep their document when
// they change), so a name is first looked for right after the one found last, and only otherwise through a
// table by name made the first time it is needed.
class Indexados {
public:
    static constexpr std::size_t kNinguno = static_cast<std::size_t>(-1);

    struct Entrada {
        Xapian::docid id;
        std::uint32_t inicio; // of its name in nombres_
        std::uint32_t largo;
        std::optional<Firma> firma;
    };

    explicit Indexados(Xapian::Database& db) {
        entradas_.reserve(db.get_doccount());
        for (auto v = db.valuestream_begin(kValorNombre); v != db.valuestream_end(kValorNombre); ++v) {
            const std::string nombre = *v;
            entradas_.push_back(Entrada{v.get_docid(), static_cast<std::uint32_t>(nombres_.size()),
                                        static_cast<std::uint32_t>(nombre.size()), std::nullopt});
            nombres_ += nombre;
        }
        std::size_t i = 0;
        for (auto v = db.valuestream_begin(kValorFirma); v != db.valuestream_end(kValorFirma); ++v) {
            while (i < entradas_.size() && entradas_[i].id < v.get_docid()) {
                ++i;
            }
            if (i < entradas_.size() && entradas_[i].id == v.get_docid()) {
                entradas_[i].firma = Firma::leer(*v);
            }
        }
        vistos_.assign(entradas_.size(), false);
    }

    std::size_t size() const { return entradas_.size(); }
    const Entrada& operator[](std::size_t i) const { return entradas_[i]; }
    std::string_view nombre(std::size_t i) const {
        return std::string_view(nombres_).substr(entradas_[i].inicio, entradas_[i].largo);
    }

    // The entry of `nombre`, or kNinguno.
    std::size_t buscar(std::string_view nombre) {
        if (siguiente_ < entradas_.size() && this->nombre(siguiente_) == nombre) {
            return siguiente_++;
        }
        if (porNombre_.empty()) {
            porNombre_.reserve(entradas_.size());
            for (std::size_t i = entradas_.size(); i-- > 0;) {
                porNombre_[this->nombre(i)] = i; // the first of a name repeated in a damaged index wins
            }
        }
        const auto hallado = porNombre_.find(nombre);
        if (hallado == porNombre_.end()) {
            return kNinguno;
        }
        siguiente_ = hallado->second + 1;
        return hallado->second;
    }

    // Its article is listed and on disk: it stays in the index.
    void ver(std::size_t i) { vistos_[i] = true; }
    bool visto(std::size_t i) const { return vistos_[i]; }

private:
    std::string nombres_;
    std::vector<Entrada> entradas_;
    std::vector<bool> vistos_;
    std::size_t siguiente_ = 0;
    std::unordered_map<std::string_view, std::size_t> porNombre_;
};

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
                std::string cuerpo;
                const store::Articulo articulo =
                    store::analizarArticulo(*bytes, [&cuerpo](std::string_view pieza) { cuerpo += pieza; });
                p.doc = documento(e.nombre, e.firma, articulo.titulo, cuerpo, formas);
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

    void actualizar(const store::Lineas& lista) {
        // What the index holds is read on a thread of its own while every listed file is looked at here: the
        // one waits on the index's pages, the other on the file system.
        std::optional<Indexados> leidos;
        std::exception_ptr fallo;
        std::jthread lector([&] {
            try {
                leidos.emplace(*db_);
            } catch (...) {
                fallo = std::current_exception();
            }
        });
        Carpeta carpeta(directorio_);
        std::vector<std::optional<Carpeta::Hallado>> enDisco;
        enDisco.reserve(lista.size());
        for (const auto& linea : lista) {
            const std::string_view nombre = linea;
            const bool usable = !nombre.empty() && store::nombreRelativoSeguro(nombre);
            enDisco.push_back(usable ? carpeta.buscar(nombre) : std::nullopt);
        }
        lector.join();
        if (fallo) {
            std::rethrow_exception(fallo);
        }
        Indexados& indexados = *leidos;

        std::vector<EnDisco> porIndexar;
        std::vector<Xapian::docid> porReemplazar;    // parallel to porIndexar; 0 for a new article
        std::unordered_set<std::string_view> nuevos; // listed names not in the index, to skip a repeated one
        for (std::size_t k = 0; k < lista.size(); ++k) {
            const std::string_view nombre = lista[k];
            const auto& hallado = enDisco[k];
            if (!hallado) {
                continue; // unusable, or gone: dropped below with those no longer listed
            }
            const std::size_t i = indexados.buscar(nombre);
            if (i == Indexados::kNinguno ? !nuevos.insert(nombre).second : indexados.visto(i)) {
                continue; // listed twice: the first counts
            }
            ++informe_.articulos;
            if (i != Indexados::kNinguno) {
                indexados.ver(i);
            }
            if (i != Indexados::kNinguno && indexados[i].firma == hallado->firma) {
                continue;
            }
            porIndexar.push_back(
                EnDisco{std::string(nombre), carpeta.nativa(nombre, hallado->exacto), hallado->firma.texto()});
            porReemplazar.push_back(i == Indexados::kNinguno ? 0 : indexados[i].id);
        }

        for (std::size_t i = 0; i < indexados.size(); ++i) {
            if (!indexados.visto(i)) {
                db_->delete_document(indexados[i].id);
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

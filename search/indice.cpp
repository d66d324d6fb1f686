#include "search/indice.h"

#include "search/documento.h"
#include "search/formas.h"
#include "store/archivo_de_texto.h"
#include "store/archivos_de_lista.h"
#include "store/articulo.h"
#include "store/codificacion.h"
#include "store/detalle.h"
#include "store/rutas.h"

#include <xapian.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <exception>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <unordered_set>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace search {

namespace {

using Reloj = std::chrono::steady_clock;

// Commits are what a search meanwhile can see: the first soon, then every few seconds or so many articles
// (which also bounds what a writer holds in memory).
constexpr std::size_t kMinimoPorEntrega = 500;
constexpr std::size_t kMaximoPorEntrega = 5000;
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

// The bytes of the article `nombre` of the encyclopaedia `directorio` when it lies below a directory of it or is
// not spelled as on disk: opened as the store opens every file of an encyclopaedia, following no symbolic link
// anywhere below the directory, so a folder that links out is never read.
std::optional<std::string> leerDentro(const std::string& directorio, std::string_view nombre) {
    auto bytes = store::leerBytesDentro(directorio, store::unir(directorio, nombre), store::kLimiteArticulo);
    if (!bytes) {
        return std::nullopt;
    }
    return std::move(*bytes);
}

// One article to index, kept small (there may be millions): its listed name, in the complete list, which
// outlives it; its signature; and whether it was found as spelled right in the directory (else it is read
// through the store's own open, which follows no link below the directory).
struct EnDisco {
    std::string_view nombre;
    Firma firma;
    bool exacto = true;
};

// A listed name as the file system spells it, into `destino` (whose storage a caller may keep between calls).
void nombreNativo(std::string_view nombre, std::string& destino) {
    if (std::all_of(nombre.begin(), nombre.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        destino.assign(nombre);
    } else {
        destino = utf8(nombre);
    }
}

// The file of a name found as spelled in the directory `carpeta`.
fs::path rutaExacta(const fs::path& carpeta, std::string_view nombre) {
    std::string nativo;
    nombreNativo(nombre, nativo);
    return carpeta / nativo;
}

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
            nombreNativo(nombre, nombreNativo_);
            if (::fstatat(dirfd_, nombreNativo_.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)) {
                return hallado(st, true);
            }
        }
        // Any other name is reached as the store reaches a file of an encyclopaedia: through no link below it.
        store::Error error;
        const int fd = store::detail::abrirDentro(directorio_, store::unir(directorio_, nombre), error);
        if (fd < 0) {
            return std::nullopt;
        }
        const bool visto = ::fstat(fd, &st) == 0;
        ::close(fd);
        return visto ? hallado(st, false) : std::nullopt;
    }

    const fs::path& nativa() const { return nativo_; }

private:
    static std::optional<Hallado> hallado(const struct stat& st, bool exacto) {
        if (!S_ISREG(st.st_mode)) {
            return std::nullopt;
        }
        return Hallado{Firma{static_cast<long long>(st.st_size), static_cast<long long>(st.st_mtim.tv_sec),
                             static_cast<long>(st.st_mtim.tv_nsec)},
                       exacto};
    }

    std::string directorio_;
    fs::path nativo_;
    int dirfd_ = -1;
    std::string nombreNativo_;
};

struct Preparado {
    std::size_t indice;                  // in the list of articles to index
    std::optional<Xapian::Document> doc; // nothing when the article could not be read
};

// Reads and analyses articles to index on a thread of its own, handing them over in batches. The articles
// are taken kPorLote at a time from a cursor that other preparations of the same update may share, so
// that each writer of the index gets work as fast as it takes it.
class Preparacion {
public:
    Preparacion(const std::vector<EnDisco>& articulos, const std::string& directorio, const fs::path& carpeta,
                std::atomic<std::size_t>& cursor, const std::atomic<bool>* cancelar, const std::atomic<bool>& fallo)
        : articulos_(articulos), directorio_(directorio), carpeta_(carpeta), cursor_(cursor), cancelar_(cancelar),
          fallo_(fallo), hilo_([this] { preparar(); }) {}

    ~Preparacion() {
        {
            std::lock_guard bloqueo(m_);
            parar_ = true;
        }
        cambio_.notify_all();
        hilo_.join();
    }

    // The next batch, or nothing when the cursor reached the end or the work was cancelled.
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

    bool detenida() const {
        return (cancelar_ && cancelar_->load(std::memory_order_relaxed)) || fallo_.load(std::memory_order_relaxed);
    }

    void preparar() {
        Formas formas;
        for (;;) {
            const std::size_t desde = cursor_.fetch_add(kPorLote);
            if (desde >= articulos_.size() || detenida()) {
                break;
            }
            const std::size_t hasta = std::min(desde + kPorLote, articulos_.size());
            std::vector<Preparado> lote;
            lote.reserve(hasta - desde);
            for (std::size_t i = desde; i < hasta; ++i) {
                const EnDisco& e = articulos_[i];
                Preparado p{i, std::nullopt};
                if (const auto bytes =
                        e.exacto ? leerNativo(rutaExacta(carpeta_, e.nombre)) : leerDentro(directorio_, e.nombre)) {
                    std::string cuerpo;
                    const store::Articulo articulo =
                        store::analizarArticulo(*bytes, [&cuerpo](std::string_view pieza) { cuerpo += pieza; });
                    p.doc = documento(std::string(e.nombre), e.firma.texto(), articulo.titulo, cuerpo, formas);
                }
                lote.push_back(std::move(p));
            }
            std::unique_lock bloqueo(m_);
            cambio_.wait(bloqueo, [this] { return listos_.size() < kLotesEnEspera || parar_; });
            if (parar_ || detenida()) {
                break;
            }
            listos_.push_back(std::move(lote));
            cambio_.notify_all();
        }
        std::lock_guard bloqueo(m_);
        terminado_ = true;
        cambio_.notify_all();
    }

    const std::vector<EnDisco>& articulos_;
    const std::string& directorio_;
    const fs::path& carpeta_;
    std::atomic<std::size_t>& cursor_;
    const std::atomic<bool>* cancelar_;
    const std::atomic<bool>& fallo_;
    std::mutex m_;
    std::condition_variable cambio_;
    std::deque<std::vector<Preparado>> listos_;
    bool terminado_ = false;
    bool parar_ = false;
    std::thread hilo_; // last: started once everything it uses is ready
};

// The index on disk: a directory whose stub file (kStub) names its parts, the Glass databases "0", "1", ...
// beside it. A search opens them all as one. An update opens every part for writing, under a lock file of its
// own beside the index; the first part holds the format and the directory as metadata. No part grows past
// a given number of articles, and each is written by one thread at a time, so that a large index is built
// by several writers at once and adding to a part never slows down with the size of the whole.
class Partes {
public:
    enum class Estado { Abierto, Ajeno, Ocupado };

    explicit Partes(fs::path ruta) : ruta_(std::move(ruta)) {}
    ~Partes() {
        cerrar();
        if (cerrojo_ >= 0) {
            ::close(cerrojo_);
        }
    }
    Partes(const Partes&) = delete;
    Partes& operator=(const Partes&) = delete;

    // Opens the parts the stub names, or says the index is not one of ours (missing, damaged, foreign,
    // another format or directory) or is held by another update.
    Estado abrir(const std::string& nativo) {
        cerrar();
        // A lock file beside the index is held for the whole update, so that a second one keeps out even
        // while the first throws the index away and starts it anew.
        if (cerrojo_ < 0) {
            const fs::path cerrojo = ruta_.string() + ".cerrojo";
            cerrojo_ = ::open(cerrojo.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
            if (cerrojo_ < 0) {
                throw fs::filesystem_error("open", cerrojo, std::error_code(errno, std::generic_category()));
            }
            if (::flock(cerrojo_, LOCK_EX | LOCK_NB) != 0) {
                ::close(cerrojo_);
                cerrojo_ = -1;
                return Estado::Ocupado;
            }
        }
        const auto numero = partesNombradas();
        if (!numero) {
            return Estado::Ajeno;
        }
        try {
            for (std::size_t i = 0; i < *numero; ++i) {
                dbs_.push_back(std::make_unique<Xapian::WritableDatabase>((ruta_ / std::to_string(i)).string(),
                                                                          Xapian::DB_OPEN | Xapian::DB_BACKEND_GLASS));
                enUso_.push_back(false);
            }
        } catch (const Xapian::DatabaseLockError&) {
            cerrar();
            return Estado::Ocupado;
        } catch (const Xapian::Error&) {
            cerrar();
            return Estado::Ajeno;
        }
        if (dbs_[0]->get_metadata(kMetaFormato) != kFormato || dbs_[0]->get_metadata(kMetaDirectorio) != nativo) {
            cerrar();
            return Estado::Ajeno;
        }
        return Estado::Abierto;
    }

    // Throws away whatever is there and starts an empty index of one part.
    void crear(const std::string& nativo) {
        cerrar();
        fs::remove_all(ruta_);
        fs::create_directories(ruta_);
        agregar();
        dbs_[0]->set_metadata(kMetaFormato, std::string(kFormato));
        dbs_[0]->set_metadata(kMetaDirectorio, nativo);
        dbs_[0]->commit();
    }

    void cerrar() {
        dbs_.clear();
        enUso_.clear();
    }

    std::size_t size() const { return dbs_.size(); }
    Xapian::WritableDatabase& operator[](std::size_t i) { return *dbs_[i]; }

    void entregar() {
        for (const auto& db : dbs_) {
            db->commit();
        }
    }

    // A part with room for more articles that no other writer holds, made when there is none. Only the
    // writer that took a part uses it until it gives it back.
    Xapian::WritableDatabase* tomar(std::size_t porParte) {
        std::lock_guard bloqueo(m_);
        for (std::size_t i = 0; i < dbs_.size(); ++i) {
            if (!enUso_[i] && dbs_[i]->get_doccount() < porParte) {
                enUso_[i] = true;
                return dbs_[i].get();
            }
        }
        agregar();
        enUso_.back() = true;
        return dbs_.back().get();
    }

    void soltar(const Xapian::WritableDatabase* db) {
        std::lock_guard bloqueo(m_);
        for (std::size_t i = 0; i < dbs_.size(); ++i) {
            if (dbs_[i].get() == db) {
                enUso_[i] = false;
            }
        }
    }

private:
    // How many parts the stub names, when it names "glass 0", "glass 1", ... in order and nothing else.
    std::optional<std::size_t> partesNombradas() const {
        const auto bytes = leerNativo(ruta_ / kStub);
        if (!bytes || bytes->size() > 65536) {
            return std::nullopt;
        }
        std::size_t n = 0;
        std::string_view resto = *bytes;
        while (!resto.empty()) {
            const std::size_t fin = resto.find('\n');
            if (fin == std::string_view::npos || resto.substr(0, fin) != "glass " + std::to_string(n)) {
                return std::nullopt;
            }
            resto.remove_prefix(fin + 1);
            ++n;
        }
        return n > 0 ? std::optional(n) : std::nullopt;
    }

    // A new, empty part, named in the stub once it exists, so that a search never finds a part missing.
    void agregar() {
        const std::size_t n = dbs_.size();
        dbs_.push_back(std::make_unique<Xapian::WritableDatabase>(
            (ruta_ / std::to_string(n)).string(), Xapian::DB_CREATE_OR_OVERWRITE | Xapian::DB_BACKEND_GLASS));
        enUso_.push_back(false);
        std::string stub;
        for (std::size_t i = 0; i <= n; ++i) {
            stub += "glass " + std::to_string(i) + "\n";
        }
        const fs::path temporal = ruta_ / (std::string(kStub) + ".tmp");
        {
            std::ofstream salida(temporal, std::ios::binary | std::ios::trunc);
            salida << stub;
            salida.close();
            if (!salida) {
                throw fs::filesystem_error("write", temporal, std::make_error_code(std::errc::io_error));
            }
        }
        fs::rename(temporal, ruta_ / kStub);
    }

    fs::path ruta_;
    int cerrojo_ = -1;
    std::vector<std::unique_ptr<Xapian::WritableDatabase>> dbs_;
    std::vector<bool> enUso_;
    std::mutex m_;
};

// What the index holds: each document's name and signature, part by part in document order, compact. The
// complete list and each part mostly go in the same order (articles are indexed in list order, each writer
// taking the next few, and keep their document when they change), so a name is first looked for right after
// the one found last in each part, and only otherwise through a table by name made the first time it is
// needed.
class Indexados {
public:
    static constexpr std::size_t kNinguno = static_cast<std::size_t>(-1);

    struct Entrada {
        std::uint32_t parte;
        Xapian::docid id;
        std::uint32_t inicio; // of its name in nombres_
        std::uint32_t largo;
        std::optional<Firma> firma;
    };

    explicit Indexados(Partes& partes) {
        for (std::uint32_t parte = 0; parte < partes.size(); ++parte) {
            leer(partes[parte], parte);
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
        for (std::size_t k = 0; k < siguientes_.size(); ++k) {
            // The part found last first, then the others.
            const std::size_t parte = (ultima_ + k) % siguientes_.size();
            std::size_t& siguiente = siguientes_[parte];
            if (siguiente < finales_[parte] && this->nombre(siguiente) == nombre) {
                ultima_ = parte;
                return siguiente++;
            }
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
        ultima_ = entradas_[hallado->second].parte;
        siguientes_[ultima_] = hallado->second + 1;
        return hallado->second;
    }

    // Its article is listed and on disk: it stays in the index.
    void ver(std::size_t i) { vistos_[i] = true; }
    bool visto(std::size_t i) const { return vistos_[i]; }

private:
    void leer(Xapian::Database& db, std::uint32_t parte) {
        const std::size_t primera = entradas_.size();
        entradas_.reserve(primera + db.get_doccount());
        for (auto v = db.valuestream_begin(kValorNombre); v != db.valuestream_end(kValorNombre); ++v) {
            const std::string nombre = *v;
            entradas_.push_back(Entrada{parte, v.get_docid(), static_cast<std::uint32_t>(nombres_.size()),
                                        static_cast<std::uint32_t>(nombre.size()), std::nullopt});
            nombres_ += nombre;
        }
        std::size_t i = primera;
        for (auto v = db.valuestream_begin(kValorFirma); v != db.valuestream_end(kValorFirma); ++v) {
            while (i < entradas_.size() && entradas_[i].id < v.get_docid()) {
                ++i;
            }
            if (i < entradas_.size() && entradas_[i].id == v.get_docid()) {
                entradas_[i].firma = Firma::leer(*v);
            }
        }
        siguientes_.push_back(primera);
        finales_.push_back(entradas_.size());
    }

    std::string nombres_;
    std::vector<Entrada> entradas_;
    std::vector<bool> vistos_;
    std::vector<std::size_t> siguientes_; // in each part, the entry after the one found last
    std::vector<std::size_t> finales_;    // where each part's entries end
    std::size_t ultima_ = 0;
    std::unordered_map<std::string_view, std::size_t> porNombre_;
};

class Actualizacion {
public:
    Actualizacion(std::string_view directorio, const Avance& avance, const std::atomic<bool>* cancelar,
                  const Reparto& reparto)
        : directorio_(directorio), avance_(avance), cancelar_(cancelar), reparto_(reparto),
          ruta_(rutaIndice(directorio)), nativo_(nativoDe(directorio)), partes_(ruta_) {}

    Informe ejecutar() {
        const auto lista = store::leerCompleta(directorio_);
        if (!lista) {
            informe_.error = utf8(lista.error().mensaje());
            return informe_;
        }
        try {
            if (!abrir()) {
                return informe_;
            }
            try {
                actualizar(*lista);
            } catch (const Xapian::DatabaseLockError&) {
                throw;
            } catch (const Xapian::Error&) {
                // Damaged beyond what opening it showed: start again from nothing, once.
                informe_ = Informe{};
                informe_.reconstruido = true;
                fallo_ = false;
                partes_.crear(nativo_);
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
        partes_.cerrar();
        return informe_;
    }

private:
    // Where an indexed article's document is.
    struct Ubicacion {
        std::uint32_t parte = 0;
        Xapian::docid id = 0; // 0 for an article not in the index
    };

    // What one writer did.
    struct Escrito {
        std::size_t agregados = 0;
        std::size_t cambiados = 0;
        std::vector<std::size_t> sinLeer; // in the list of articles to index
    };

    // Opens the index, or makes it anew when it is missing, damaged, foreign or of another format.
    // False (with the error said) when another update holds it.
    bool abrir() {
        fs::create_directories(ruta_.parent_path());
        switch (partes_.abrir(nativo_)) {
        case Partes::Estado::Abierto:
            return true;
        case Partes::Estado::Ocupado:
            informe_.error = "El \xC3\xAD"
                             "ndice de b\xC3\xBAsqueda ya se est\xC3\xA1 actualizando.";
            return false;
        case Partes::Estado::Ajeno:
            break;
        }
        informe_.reconstruido = fs::exists(ruta_);
        partes_.crear(nativo_);
        return true;
    }

    void actualizar(const store::Lineas& lista) {
        // What the index holds is read on a thread of its own while every listed file is looked at here: the
        // one waits on the index's pages, the other on the file system.
        std::optional<Indexados> leidos;
        std::exception_ptr fallo;
        std::jthread lector([&] {
            try {
                leidos.emplace(partes_);
            } catch (...) {
                fallo = std::current_exception();
            }
        });
        // Most of looking at a file is the kernel's lookup of its name: a long list is looked at by two threads
        // at once, each through the directory opened on its own.
        std::vector<std::optional<Carpeta::Hallado>> enDisco(lista.size());
        const auto mirar = [&](std::size_t desde, std::size_t hasta) {
            Carpeta carpeta(directorio_);
            for (std::size_t k = desde; k < hasta; ++k) {
                const std::string_view nombre = lista[k];
                if (!nombre.empty() && store::nombreRelativoSeguro(nombre)) {
                    enDisco[k] = carpeta.buscar(nombre);
                }
            }
        };
        const std::size_t mitad = lista.size() >= kMirarEnDos ? lista.size() / 2 : lista.size();
        {
            std::jthread otra(mirar, mitad, lista.size());
            mirar(0, mitad);
        }
        Carpeta carpeta(directorio_);
        lector.join();
        if (fallo) {
            std::rethrow_exception(fallo);
        }
        Indexados& indexados = *leidos;

        porIndexar_.clear();
        porReemplazar_.clear();
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
            porIndexar_.push_back(EnDisco{nombre, hallado->firma, hallado->exacto});
            porReemplazar_.push_back(i == Indexados::kNinguno ? Ubicacion{}
                                                              : Ubicacion{indexados[i].parte, indexados[i].id});
        }

        for (std::size_t i = 0; i < indexados.size(); ++i) {
            if (!indexados.visto(i)) {
                partes_[indexados[i].parte].delete_document(indexados[i].id);
                ++informe_.quitados;
            }
        }

        // Reading and analysing the articles runs beside the index's own work on them; with many to index,
        // several writers fill parts of their own at once, each fed by a preparation of its own.
        total_ = porIndexar_.size();
        hechos_ = 0;
        std::atomic<std::size_t> cursor{0};
        const unsigned escritores =
            total_ >= reparto_.enParalelo ? std::max(1u, std::min(reparto_.escritores, kMaximoDeEscritores)) : 1u;
        std::vector<Escrito> escritos(escritores);
        if (escritores == 1) {
            Preparacion preparacion(porIndexar_, directorio_, carpeta.nativa(), cursor, cancelar_, fallo_);
            escritos[0] = escribir(preparacion, true, informe_.quitados);
        } else {
            // A writer adds every article it indexes to its own part: one already indexed is dropped first.
            for (const Ubicacion& u : porReemplazar_) {
                if (u.id != 0) {
                    partes_[u.parte].delete_document(u.id);
                }
            }
            std::vector<std::exception_ptr> fallos(escritores);
            {
                std::vector<std::jthread> hilos;
                for (unsigned w = 0; w < escritores; ++w) {
                    hilos.emplace_back([&, w] {
                        try {
                            Preparacion preparacion(porIndexar_, directorio_, carpeta.nativa(), cursor, cancelar_,
                                                    fallo_);
                            escritos[w] = escribir(preparacion, false, 0);
                        } catch (...) {
                            fallos[w] = std::current_exception();
                            fallo_ = true;
                        }
                    });
                }
            }
            for (const std::exception_ptr& f : fallos) {
                if (f) {
                    std::rethrow_exception(f);
                }
            }
            partes_.entregar(); // the parts no writer took hold articles dropped
        }

        std::vector<std::size_t> sinLeer;
        for (const Escrito& e : escritos) {
            informe_.agregados += e.agregados;
            informe_.cambiados += e.cambiados;
            sinLeer.insert(sinLeer.end(), e.sinLeer.begin(), e.sinLeer.end());
        }
        std::sort(sinLeer.begin(), sinLeer.end());
        for (const std::size_t i : sinLeer) {
            informe_.sinLeer.push_back(store::unir(directorio_, porIndexar_[i].nombre));
        }
        informe_.cancelado = hechos_ < total_;
    }

    // Indexes what a preparation hands over into a part of its own, taking another when that one is full.
    // With `enSitio` (one writer alone), an article already indexed keeps its document wherever it is.
    Escrito escribir(Preparacion& preparacion, bool enSitio, std::size_t sinEntregar) {
        Escrito escrito;
        Xapian::WritableDatabase* parte = nullptr; // taken at the first article added
        Xapian::doccount enParte = 0;
        auto ultimaEntrega = Reloj::now();
        auto entregar = [&] {
            if (enSitio) {
                partes_.entregar();
            } else if (parte) {
                parte->commit();
            }
            sinEntregar = 0;
            ultimaEntrega = Reloj::now();
        };
        while (auto lote = preparacion.siguiente()) {
            for (Preparado& p : *lote) {
                ++hechos_;
                if (!p.doc) {
                    escrito.sinLeer.push_back(p.indice);
                    continue;
                }
                const Ubicacion& u = porReemplazar_[p.indice];
                if (enSitio && u.id != 0) {
                    partes_[u.parte].replace_document(u.id, *p.doc);
                } else {
                    if (!parte || enParte >= reparto_.porParte) {
                        if (parte) {
                            entregar();
                            partes_.soltar(parte);
                        }
                        parte = partes_.tomar(reparto_.porParte);
                        enParte = parte->get_doccount();
                    }
                    parte->add_document(*p.doc);
                    ++enParte;
                }
                ++(u.id != 0 ? escrito.cambiados : escrito.agregados);
                ++sinEntregar;
            }
            if (sinEntregar >= kMaximoPorEntrega ||
                (sinEntregar >= kMinimoPorEntrega && Reloj::now() - ultimaEntrega >= kIntervaloDeEntrega)) {
                entregar();
            }
            if (avance_) {
                std::lock_guard bloqueo(avanceM_);
                avance_(hechos_.load(), total_);
            }
        }
        if (sinEntregar > 0) {
            entregar();
        }
        if (parte) {
            partes_.soltar(parte);
        }
        return escrito;
    }

    static constexpr unsigned kMaximoDeEscritores = 8;
    static constexpr std::size_t kMirarEnDos = 5000;

    std::string directorio_;
    const Avance& avance_;
    const std::atomic<bool>* cancelar_;
    Reparto reparto_;
    fs::path ruta_;
    std::string nativo_;
    Partes partes_;
    Informe informe_;
    std::vector<EnDisco> porIndexar_;
    std::vector<Ubicacion> porReemplazar_; // parallel to porIndexar_
    std::size_t total_ = 0;
    std::atomic<std::size_t> hechos_{0};
    std::atomic<bool> fallo_{false}; // a writer failed: the others stop
    std::mutex avanceM_;
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

Informe actualizarIndice(std::string_view directorio, const Avance& avance, const std::atomic<bool>* cancelar,
                         const Reparto& reparto) {
    return Actualizacion(directorio, avance, cancelar, reparto).ejecutar();
}

} // namespace search

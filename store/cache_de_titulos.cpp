#include "cache_de_titulos.h"

#include "rutas.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace store {

namespace {

constexpr char kEtiqueta[8] = {'L', 'U', 'M', 'T', 'I', 'T', 'U', 'L'};
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kPieza = 1u << 20;
// An entry's fixed part: the lengths of its name and title, then size, time and inode.
constexpr std::size_t kFijoEntrada = 4 + 4 + 8 + 8 + 8;

// FNV-1a over every byte of the file but the checksum itself.
struct Suma {
    std::uint64_t h = 0xcbf29ce484222325ull;
    void agregar(const char* p, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            h ^= static_cast<unsigned char>(p[i]);
            h *= 0x100000001b3ull;
        }
    }
};

template <typename T> void poner(std::string& destino, T valor) {
    char bytes[sizeof(T)];
    std::memcpy(bytes, &valor, sizeof(T));
    destino.append(bytes, sizeof(T));
}

template <typename T> T tomar(const char* p) {
    T valor;
    std::memcpy(&valor, p, sizeof(T));
    return valor;
}

std::string cabecera(const IdentidadDirectorio& id, std::uint32_t entradas) {
    std::string c(kEtiqueta, sizeof kEtiqueta);
    poner(c, kVersion);
    poner(c, id.dispositivo);
    poner(c, id.inodo);
    poner(c, static_cast<std::uint32_t>(id.ruta.size()));
    c += id.ruta;
    poner(c, entradas);
    return c;
}

#ifndef _WIN32

// The file read in order, a large piece at a time, with what was read and not yet taken kept in one buffer.
class Lectura {
public:
    explicit Lectura(int fd) : fd_(fd) {}
    // The next `n` bytes, or nullptr when the file ends first. Valid until the next call.
    const char* tomarBytes(std::size_t n) {
        if (bufer_.size() - usado_ < n) {
            bufer_.erase(0, usado_);
            usado_ = 0;
            while (bufer_.size() < n) {
                const std::size_t antes = bufer_.size();
                bufer_.resize(antes + std::max(kPieza, n - antes));
                const ssize_t leidos = ::read(fd_, bufer_.data() + antes, bufer_.size() - antes);
                if (leidos < 0 && errno == EINTR) {
                    bufer_.resize(antes);
                    continue;
                }
                bufer_.resize(antes + (leidos > 0 ? static_cast<std::size_t>(leidos) : 0));
                if (leidos <= 0)
                    return nullptr;
            }
        }
        const char* p = bufer_.data() + usado_;
        usado_ += n;
        suma_.agregar(p, n);
        return p;
    }
    std::uint64_t suma() const { return suma_.h; }
    // True when nothing is left after what was taken.
    bool alFinal() {
        if (usado_ < bufer_.size())
            return false;
        char byte;
        ssize_t n;
        do {
            n = ::read(fd_, &byte, 1);
        } while (n < 0 && errno == EINTR);
        return n == 0;
    }

private:
    int fd_;
    std::string bufer_;
    std::size_t usado_ = 0;
    Suma suma_;
};

#endif

} // namespace

std::optional<IdentidadDirectorio> identidadDe(std::string_view directorio) {
    std::error_code ec;
    const fs::path nativa = resolver(directorio);
    const fs::path canonica = fs::weakly_canonical(nativa, ec);
    IdentidadDirectorio id;
    id.ruta = (ec ? nativa : canonica).string();
#ifndef _WIN32
    struct stat st {};
    if (::stat(id.ruta.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return std::nullopt;
    id.dispositivo = static_cast<std::uint64_t>(st.st_dev);
    id.inodo = static_cast<std::uint64_t>(st.st_ino);
#else
    if (!fs::is_directory(id.ruta, ec))
        return std::nullopt;
#endif
    return id;
}

fs::path archivoCacheTitulos(const fs::path& cacheUsuario, const IdentidadDirectorio& id) {
    Suma s;
    s.agregar(id.ruta.data(), id.ruta.size());
    char nombre[32];
    std::snprintf(nombre, sizeof nombre, "%016llx.titulos", static_cast<unsigned long long>(s.h));
    return cacheUsuario / "titulos" / nombre;
}

bool leerCacheTitulos(const fs::path& archivo, const IdentidadDirectorio& id,
                      const std::function<void(std::string_view, std::string_view, const Sello&)>& porEntrada) {
#ifdef _WIN32
    (void)archivo;
    (void)id;
    (void)porEntrada;
    return false;
#else
    const int fd = ::open(archivo.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct Cierre {
        int fd;
        ~Cierre() { ::close(fd); }
    } cierre{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    Lectura l(fd);

    const std::string esperada = cabecera(id, 0);
    const std::size_t sinCantidad = esperada.size() - 4;
    const char* p = l.tomarBytes(sinCantidad);
    if (!p || std::memcmp(p, esperada.data(), sinCantidad) != 0)
        return false; // another format, another version or another directory
    p = l.tomarBytes(4);
    if (!p)
        return false;
    const auto entradas = tomar<std::uint32_t>(p);
    // Every entry takes its fixed part at least: a count the file cannot hold is damage, not a reason to wait.
    if (static_cast<std::uint64_t>(entradas) * kFijoEntrada > static_cast<std::uint64_t>(st.st_size))
        return false;
    for (std::uint32_t i = 0; i < entradas; ++i) {
        p = l.tomarBytes(kFijoEntrada);
        if (!p)
            return false;
        const auto largoNombre = tomar<std::uint32_t>(p);
        const auto largoTitulo = tomar<std::uint32_t>(p + 4);
        Sello sello{tomar<std::uint64_t>(p + 8), tomar<std::int64_t>(p + 16), tomar<std::uint64_t>(p + 24)};
        if (static_cast<std::uint64_t>(largoNombre) + largoTitulo > static_cast<std::uint64_t>(st.st_size))
            return false;
        p = l.tomarBytes(static_cast<std::size_t>(largoNombre) + largoTitulo);
        if (!p)
            return false;
        porEntrada(std::string_view(p, largoNombre), std::string_view(p + largoNombre, largoTitulo), sello);
    }
    const std::uint64_t calculada = l.suma();
    p = l.tomarBytes(8);
    return p && tomar<std::uint64_t>(p) == calculada && l.alFinal();
#endif
}

EscritorCacheTitulos::EscritorCacheTitulos(fs::path archivo, const IdentidadDirectorio& id, std::uint32_t entradas)
    : archivo_(std::move(archivo)), faltan_(entradas), suma_(Suma{}.h) {
#ifndef _WIN32
    std::error_code ec;
    fs::create_directories(archivo_.parent_path(), ec);
    temporal_ = archivo_;
    temporal_ += ".tmp" + std::to_string(::getpid());
    fd_ = ::open(temporal_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    bien_ = fd_ >= 0;
#else
    bien_ = false;
#endif
    const std::string c = cabecera(id, entradas);
    escribir(c.data(), c.size());
}

EscritorCacheTitulos::~EscritorCacheTitulos() {
#ifndef _WIN32
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(temporal_.c_str());
    }
#endif
}

void EscritorCacheTitulos::escribir(const void* datos, std::size_t bytes) {
    Suma s{suma_};
    s.agregar(static_cast<const char*>(datos), bytes);
    suma_ = s.h;
    bufer_.append(static_cast<const char*>(datos), bytes);
    if (bufer_.size() >= kPieza)
        vaciarBufer();
}

void EscritorCacheTitulos::vaciarBufer() {
#ifndef _WIN32
    std::size_t hecho = 0;
    while (bien_ && hecho < bufer_.size()) {
        const ssize_t n = ::write(fd_, bufer_.data() + hecho, bufer_.size() - hecho);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            bien_ = false;
        else
            hecho += static_cast<std::size_t>(n);
    }
#endif
    bufer_.clear();
}

void EscritorCacheTitulos::agregar(std::string_view nombre, std::string_view titulo, const Sello& sello) {
    if (faltan_ == 0 || nombre.size() > 0xFFFFFFFFu || titulo.size() > 0xFFFFFFFFu) {
        bien_ = false; // more entries than the header says: the file would be refused anyway
        return;
    }
    --faltan_;
    std::string fijo;
    fijo.reserve(kFijoEntrada);
    poner(fijo, static_cast<std::uint32_t>(nombre.size()));
    poner(fijo, static_cast<std::uint32_t>(titulo.size()));
    poner(fijo, sello.tamano);
    poner(fijo, sello.modificado);
    poner(fijo, sello.inodo);
    escribir(fijo.data(), fijo.size());
    escribir(nombre.data(), nombre.size());
    escribir(titulo.data(), titulo.size());
}

bool EscritorCacheTitulos::terminar() {
#ifdef _WIN32
    return false;
#else
    if (fd_ < 0)
        return false;
    const std::uint64_t suma = suma_;
    bufer_.append(reinterpret_cast<const char*>(&suma), sizeof suma);
    vaciarBufer();
    const bool cerrado = ::close(fd_) == 0;
    fd_ = -1;
    if (!bien_ || !cerrado || faltan_ != 0 || ::rename(temporal_.c_str(), archivo_.c_str()) != 0) {
        ::unlink(temporal_.c_str());
        return false;
    }
    return true;
#endif
}

} // namespace store

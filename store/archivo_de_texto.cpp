#include "archivo_de_texto.h"

#include "detalle.h"
#include "rutas.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <unordered_map>

#ifdef _WIN32
#include <fstream>
#include <iterator>
#include <process.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace store {

namespace {

const char* const kLeer = "leer el archivo";
const char* const kEscribir = "escribir el archivo";
const char* const kAnexar = "a\xF1"
                            "adir una l\xEDnea al archivo";
const char* const kCrearDirectorio = "crear el directorio";
const char* const kAbrir = "abrir el archivo";

Error nombreNoValido(const char* operacion, std::string_view ruta) {
    return Error{operacion, std::string(ruta), Causa::NombreNoValido, {}};
}

#ifndef _WIN32

// Closes the descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now and reports the error of close(), which on some file systems is the first sign of a full disk.
    int cerrar() {
        const int r = ::close(fd_);
        fd_ = -1;
        return r;
    }

private:
    int fd_;
};

// Writes everything, retrying short writes. Returns 0 or an errno value.
int escribirTodo(int fd, std::string_view bytes) {
    std::size_t hecho = 0;
    while (hecho < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + hecho, bytes.size() - hecho);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return ENOSPC;
        hecho += static_cast<std::size_t>(n);
    }
    return 0;
}

void sincronizarDirectorio(const fs::path& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

#endif

#ifndef _WIN32

// Opens a file for appending, creating it when missing. O_NONBLOCK so that a name that leads to a FIFO
// cannot hang the program; anything but a regular file is refused. Returns the descriptor or -errno.
fs::path directorioDe(const fs::path& nativa);

// Opens a regular file for appending, creating it when missing (the directory's case index then takes its
// name). Returns the descriptor, or minus an errno value. `creado` tells whether this call made it.
int abrirParaAnexar(const fs::path& nativa, bool& creado, Enlaces enlaces) {
    struct stat st {};
    creado = (enlaces == Enlaces::Seguir ? ::stat(nativa.c_str(), &st) : ::lstat(nativa.c_str(), &st)) != 0;
    const int nofollow = enlaces == Enlaces::Rechazar ? O_NOFOLLOW : 0;
    const InstanteDeDirectorio antes = instanteDe(directorioDe(nativa));
    const int fd = ::open(nativa.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK | nofollow, 0666);
    if (fd < 0)
        return errno == ENXIO ? -EACCES : -errno;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -EACCES;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (creado)
        anotarEnDirectorio(directorioDe(nativa), nativa.filename().native(), antes);
    return fd;
}

// True when the file of `tamano` bytes ends a line: with CR, or with CR LF. When its end cannot be read,
// it is taken to end one, so that nothing is added.
bool terminaEnFinDeLinea(const fs::path& nativa, off_t tamano) {
    Descriptor fd(::open(nativa.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0)
        return true;
    char cola[2] = {0, 0};
    const off_t desde = tamano >= 2 ? tamano - 2 : 0;
    const ssize_t n = ::pread(fd.get(), cola, static_cast<std::size_t>(tamano - desde), desde);
    if (n != tamano - desde)
        return true;
    const char ultimo = cola[n - 1];
    return ultimo == '\r' || (ultimo == '\n' && n == 2 && cola[0] == '\r');
}

#endif

constexpr std::string_view kPrefijoTemporal = ".lumbre-";
constexpr std::string_view kSufijoTemporal = ".tmp";

unsigned long idProceso() {
#ifdef _WIN32
    return static_cast<unsigned long>(::_getpid());
#else
    return static_cast<unsigned long>(::getpid());
#endif
}

// A short name: ".lumbre-PID-RANDOM.tmp". The process id tells whose it is (see limpiarTemporales); the random
// part keeps it unique beyond the process id, which a later process may get again. It is short, so that a
// target name near the length limit still leaves room for it.
std::string nombreTemporal() {
    static std::mutex mutex;
    static std::mt19937_64 azar = [] {
        std::random_device dispositivo;
        const auto ahora = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        std::seed_seq semilla{dispositivo(), dispositivo(), static_cast<unsigned>(ahora),
                              static_cast<unsigned>(idProceso())};
        return std::mt19937_64(semilla);
    }();
    std::uint64_t numero;
    {
        std::lock_guard<std::mutex> cerrojo(mutex);
        numero = azar();
    }
    static const char kHex[] = "0123456789abcdef";
    std::string r(kPrefijoTemporal);
    r += std::to_string(idProceso());
    r += '-';
    for (int i = 0; i < 12; ++i, numero >>= 4)
        r += kHex[numero & 15];
    r += kSufijoTemporal;
    return r;
}

#ifndef _WIN32

// The process id in a temporary name of ours (".lumbre-PID-anything.tmp"), or 0 for any other name.
pid_t duenoDeTemporal(std::string_view nombre) {
    if (nombre.size() <= kPrefijoTemporal.size() + kSufijoTemporal.size() || !nombre.starts_with(kPrefijoTemporal) ||
        !nombre.ends_with(kSufijoTemporal))
        return 0;
    std::uint64_t pid = 0;
    std::size_t i = kPrefijoTemporal.size();
    for (; i < nombre.size() && nombre[i] >= '0' && nombre[i] <= '9' && pid < (1u << 30); ++i)
        pid = pid * 10 + static_cast<std::uint64_t>(nombre[i] - '0');
    if (i == kPrefijoTemporal.size() || i >= nombre.size() || nombre[i] != '-' || pid >= (1u << 30))
        return 0;
    return static_cast<pid_t>(pid);
}

// Directories whose stale temporaries this process has removed, with the directory's modification time as this
// process last left it. A directory that nobody else changed since then holds no new stale temporary, so it is
// not listed again: a writer to a directory of 100,000 files lists it once, not on every write.
class LimpiezaDeTemporales {
public:
    // Removes the temporary files of writers that no longer run (a writer killed between creating its
    // temporary and renaming it leaves one behind).
    void limpiar(const fs::path& dir) {
        struct stat st {};
        if (::stat(dir.c_str(), &st) != 0)
            return;
        {
            std::lock_guard<std::mutex> cerrojo(mutex_);
            const auto it = vistos_.find(dir.native());
            if (it != vistos_.end() && it->second.tv_sec == st.st_mtim.tv_sec &&
                it->second.tv_nsec == st.st_mtim.tv_nsec)
                return;
        }
        DIR* dp = ::opendir(dir.c_str());
        if (!dp)
            return;
        const pid_t yo = ::getpid();
        while (const dirent* e = ::readdir(dp)) {
            const pid_t dueno = duenoDeTemporal(e->d_name);
            if (dueno <= 0 || dueno == yo)
                continue;
            if (::kill(dueno, 0) != 0 && errno == ESRCH)
                ::unlinkat(::dirfd(dp), e->d_name, 0);
        }
        ::closedir(dp);
        recordar(dir);
    }

    // Notes the directory's time after this process changed it.
    void recordar(const fs::path& dir) {
        struct stat st {};
        if (::stat(dir.c_str(), &st) != 0)
            return;
        std::lock_guard<std::mutex> cerrojo(mutex_);
        if (vistos_.size() >= 256)
            vistos_.clear();
        vistos_[dir.native()] = st.st_mtim;
    }

private:
    std::mutex mutex_;
    std::unordered_map<std::string, timespec> vistos_;
};

LimpiezaDeTemporales& limpieza() {
    static LimpiezaDeTemporales l;
    return l;
}

// Creates a new temporary file in `dir` (exclusive create, retried under another name when one exists).
// Returns the descriptor, or minus an errno value.
int crearTemporal(const fs::path& dir, fs::path& temporal) {
    for (int intento = 0;; ++intento) {
        temporal = dir / nombreTemporal();
        const int fd = ::open(temporal.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST || intento == 100)
            return -errno;
    }
}

// Holds an exclusive lock on a directory while appending to a file in it, so that two writers of this
// kind never append at once: one of them may be replacing the file. A lock that another process keeps for
// more than two seconds is not waited for any longer.
class CerrojoDeDirectorio {
public:
    explicit CerrojoDeDirectorio(const fs::path& dir) : fd_(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (fd_.get() < 0)
            return;
        for (int intento = 0; intento < 200; ++intento) {
            if (::flock(fd_.get(), LOCK_EX | LOCK_NB) == 0 || (errno != EWOULDBLOCK && errno != EINTR))
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

private:
    Descriptor fd_;
};

#endif

fs::path directorioDe(const fs::path& nativa) {
    return nativa.has_parent_path() ? nativa.parent_path() : fs::path(".");
}

#ifndef _WIN32

// Replaces the file by way of a temporary file in the same directory: write, flush to disk, rename.
// On any failure the temporary is removed and the old file is left as it was.
Estado reemplazarNativa(std::string_view ruta, const fs::path& destino, std::string_view bytes, const char* operacion) {
    const fs::path dir = directorioDe(destino);
    struct stat st {};
    if (::stat(destino.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return Error{operacion, std::string(ruta), Causa::AccesoDenegado, {}};
    const bool existia = ::stat(destino.c_str(), &st) == 0;

    limpieza().limpiar(dir);
    const InstanteDeDirectorio antes = instanteDe(dir);
    fs::path temporal;
    Descriptor fd(crearTemporal(dir, temporal));
    if (fd.get() < 0)
        return detail::errorDeSistema(operacion, ruta, -fd.get() == ENOENT ? ENOTDIR : -fd.get(), destino);

    auto fallar = [&](int numero) -> Estado {
        if (fd.get() >= 0)
            fd.cerrar();
        ::unlink(temporal.c_str());
        return detail::errorDeSistema(operacion, ruta, numero, destino);
    };
    if (existia)
        ::fchmod(fd.get(), st.st_mode & 07777); // keep the old file's permissions
    if (const int e = escribirTodo(fd.get(), bytes))
        return fallar(e);
    if (::fsync(fd.get()) != 0 && errno != EINVAL)
        return fallar(errno);
    if (fd.cerrar() != 0)
        return fallar(errno);
    if (::rename(temporal.c_str(), destino.c_str()) != 0)
        return fallar(errno);
    sincronizarDirectorio(dir);
    limpieza().recordar(dir);
    // The temporary file and the rename changed the directory: its case index takes the name it now holds.
    anotarEnDirectorio(dir, destino.filename().native(), antes);
    return {};
}

#endif

// Replaces the file atomically (see reemplazarNativa).
Estado reemplazar(std::string_view ruta, std::string_view bytes, const char* operacion) {
    if (detail::tieneControl(ruta))
        return nombreNoValido(operacion, ruta);
    detail::asegurarUnidad(ruta);
    const fs::path destino = resolver(ruta);
#ifdef _WIN32
    const fs::path temporal = directorioDe(destino) / nombreTemporal();
    {
        std::ofstream f(temporal, std::ios::binary | std::ios::trunc);
        if (!f)
            return Error{operacion, std::string(ruta), Causa::AccesoDenegado, {}};
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        f.flush();
        if (!f) {
            f.close();
            std::error_code ec;
            fs::remove(temporal, ec);
            return Error{operacion, std::string(ruta), Causa::DiscoLleno, {}};
        }
    }
    std::error_code ec;
    fs::rename(temporal, destino, ec);
    if (ec) {
        fs::remove(temporal, ec);
        return Error{operacion, std::string(ruta), Causa::AccesoDenegado, {}};
    }
    return {};
#else
    return reemplazarNativa(ruta, destino, bytes, operacion);
#endif
}

} // namespace

Lineas partirLineas(std::string_view bytes) {
    return Lineas::partir(bytes);
}

std::string unirLineas(const Lineas& lineas) {
    std::size_t total = 0;
    for (const auto& l : lineas)
        total += l.size() + 2;
    std::string r;
    r.reserve(total);
    for (const auto& l : lineas) {
        r += l;
        r += "\r\n";
    }
    return r;
}

namespace {

#ifndef _WIN32

// Reads the regular file open on `fd` (opened with O_NONBLOCK) of at most `limite` bytes; errors name it as `ruta`
// (and, for a failed read, as the native path `nativa`, or `ruta` resolved when none is given). `modificado`, when
// given, gets the time of that same file.
Resultado<std::string> leerDescriptor(int abierto, std::string_view ruta, std::uint64_t limite, const fs::path* nativa,
                                      std::int64_t* modificado = nullptr) {
    Descriptor fd(abierto);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return Error{kLeer, std::string(ruta), Causa::AccesoDenegado, {}};
    if (modificado)
        *modificado = static_cast<std::int64_t>(st.st_mtim.tv_sec);
    // The size is checked before anything is reserved: a sparse file may claim far more than memory holds.
    if (static_cast<std::uint64_t>(st.st_size) > limite)
        return detail::demasiadoGrande(kLeer, ruta, limite);
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    // Read straight into the string, one byte more than the size asked for, so that a file nobody is writing
    // is read whole by reads of its own size; one that grows meanwhile is read on.
    std::string datos;
    datos.reserve(static_cast<std::size_t>(st.st_size) + 1);
    paginasGrandes(datos.data(), datos.capacity());
    datos.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t hecho = 0;
    for (;;) {
        const ssize_t n = ::read(fd.get(), datos.data() + hecho, datos.size() - hecho);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int numero = errno;
            return detail::errorDeSistema(kLeer, ruta, numero, nativa ? *nativa : resolver(ruta));
        }
        if (n == 0)
            break;
        hecho += static_cast<std::size_t>(n);
        // A file that grows while it is read is held to the same limit.
        if (hecho > limite)
            return detail::demasiadoGrande(kLeer, ruta, limite);
        if (hecho == datos.size())
            datos.resize(datos.size() * 2);
    }
    datos.resize(hecho);
    return datos;
}

#endif

// Reads a regular file of at most `limite` bytes; errors name it as `ruta`.
Resultado<std::string> leerDe(const fs::path& nativa, std::string_view ruta, std::uint64_t limite, Enlaces enlaces) {
#ifdef _WIN32
    (void)enlaces;
    std::error_code ec;
    if (!fs::exists(nativa, ec))
        return Error{kLeer, std::string(ruta), Causa::NoEncontrado, {}};
    if (fs::file_size(nativa, ec) > limite)
        return detail::demasiadoGrande(kLeer, ruta, limite);
    std::ifstream f(nativa, std::ios::binary);
    if (!f)
        return Error{kLeer, std::string(ruta), Causa::AccesoDenegado, {}};
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
#else
    // O_NONBLOCK so that a name that leads to a FIFO or a device cannot hang the program; only regular
    // files are read.
    const int nofollow = enlaces == Enlaces::Rechazar ? O_NOFOLLOW : 0;
    const int fd = ::open(nativa.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | nofollow);
    if (fd < 0) {
        Error e = detail::errorDeSistema(kLeer, ruta, errno, nativa);
        if (errno == ELOOP && nofollow)
            e.detalle = detail::kNoSeSiguenEnlaces;
        return e;
    }
    return leerDescriptor(fd, ruta, limite, &nativa);
#endif
}

} // namespace

Resultado<std::string> leerBytes(std::string_view ruta, std::uint64_t limite, Enlaces enlaces) {
    if (detail::tieneControl(ruta))
        return nombreNoValido(kLeer, ruta);
    return leerDe(resolver(ruta), ruta, limite, enlaces);
}

Resultado<std::string> leerBytesNativos(const std::filesystem::path& nativa, std::uint64_t limite) {
    return leerDe(nativa, nativa.string(), limite, Enlaces::Seguir);
}

Resultado<std::string> leerBytesDentro(std::string_view directorio, std::string_view ruta, std::uint64_t limite,
                                       std::int64_t* modificado) {
#ifdef _WIN32
    (void)directorio;
    if (modificado) {
        std::error_code ec;
        const auto t = fs::last_write_time(resolver(ruta), ec);
        *modificado = ec ? 0
                         : std::chrono::duration_cast<std::chrono::seconds>(
                               std::chrono::clock_cast<std::chrono::system_clock>(t).time_since_epoch())
                               .count();
    }
    return leerBytes(ruta, limite);
#else
    // Opened once: the bytes, the size checked against the limit and the time all come from that one file.
    Error error;
    const int fd = detail::abrirDentro(directorio, ruta, error);
    if (fd < 0)
        return error;
    return leerDescriptor(fd, ruta, limite, nullptr, modificado);
#endif
}

Resultado<Lineas> leerLineasDentro(std::string_view directorio, std::string_view ruta, std::uint64_t limite) {
    auto bytes = leerBytesDentro(directorio, ruta, limite);
    if (!bytes)
        return bytes.error();
    return partirLineas(*bytes);
}

Resultado<Lineas> leerLineas(std::string_view ruta, std::uint64_t limite, Enlaces enlaces) {
    auto bytes = leerBytes(ruta, limite, enlaces);
    if (!bytes)
        return bytes.error();
    return partirLineas(*bytes);
}

Resultado<std::string> leerPrimeraLinea(std::string_view ruta, std::uint64_t limite, Enlaces enlaces) {
    auto lineas = leerLineas(ruta, limite, enlaces);
    if (!lineas)
        return lineas.error();
    if (lineas->empty())
        return Error{kLeer, std::string(ruta), Causa::SinLineas, {}};
    return std::string(lineas->front());
}

Estado escribirLineas(std::string_view ruta, const Lineas& lineas) {
    return reemplazar(ruta, unirLineas(lineas), kEscribir);
}

Estado escribirBytes(std::string_view ruta, std::string_view bytes) {
    return reemplazar(ruta, bytes, kEscribir);
}

Estado anexarLinea(std::string_view ruta, std::string_view linea, [[maybe_unused]] Enlaces enlaces) {
    if (detail::tieneControl(ruta))
        return nombreNoValido(kAnexar, ruta);
    detail::asegurarUnidad(ruta);
    const fs::path nativa = resolver(ruta);
    std::string bytes(linea);
    bytes += "\r\n";
#ifdef _WIN32
    std::ofstream f(nativa, std::ios::binary | std::ios::app);
    if (!f)
        return Error{kAnexar, std::string(ruta), Causa::AccesoDenegado, {}};
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    f.flush();
    if (!f)
        return Error{kAnexar, std::string(ruta), Causa::DiscoLleno, {}};
    return {};
#else
    const fs::path dir = directorioDe(nativa);
    CerrojoDeDirectorio cerrojo(dir);
    limpieza().limpiar(dir);
    bool creado = false;
    const int abierto = abrirParaAnexar(nativa, creado, enlaces);
    if (abierto < 0) {
        Error e = detail::errorDeSistema(kAnexar, ruta, -abierto, nativa);
        if (abierto == -ELOOP && enlaces == Enlaces::Rechazar)
            e.detalle = detail::kNoSeSiguenEnlaces;
        return e;
    }
    Descriptor fd(abierto);
    struct stat st {};
    const off_t antes = ::fstat(fd.get(), &st) == 0 ? st.st_size : -1;
    // A last line without its ending gets one first, so that the new line does not run on from it. Appends
    // land whole (see below) and replacing is atomic, so such a line was saved whole by someone (by hand,
    // or by another program), never left torn by a writer of ours: it is kept, not cut.
    if (antes > 0 && !terminaEnFinDeLinea(nativa, antes))
        bytes.insert(0, "\r\n");
    // A write that stays within one page of the file lands whole even when the writer is killed during it:
    // the system gives up on a killed writer only between pages. A longer one goes through a temporary file
    // and a rename instead (the directory lock keeps other appends out meanwhile), so a kill leaves the old
    // file whole.
    constexpr std::uint64_t kPagina = 4096;
    if (antes >= 0 && static_cast<std::uint64_t>(antes) % kPagina + bytes.size() > kPagina) {
        fd.cerrar();
        auto contenido = leerBytes(ruta, kLimiteLista, enlaces);
        Estado hecho =
            contenido ? Estado()
                      : Estado(Error{kAnexar, std::string(ruta), contenido.error().causa, contenido.error().detalle});
        if (hecho) {
            contenido->append(bytes);
            hecho = reemplazarNativa(ruta, nativa, *contenido, kAnexar);
        }
        if (!hecho && creado)
            ::unlink(nativa.c_str());
        return hecho;
    }
    // A failed append leaves the file as it was: cut back to its old length, and a file that this call
    // created is removed again.
    auto fallar = [&](int numero) -> Estado {
        if (creado) {
            ::unlink(nativa.c_str());
        } else if (antes >= 0) {
            [[maybe_unused]] const int r = ::truncate(nativa.c_str(), antes);
        }
        return detail::errorDeSistema(kAnexar, ruta, numero, nativa);
    };
    ssize_t n;
    do {
        n = ::write(fd.get(), bytes.data(), bytes.size());
    } while (n < 0 && errno == EINTR);
    if (n != static_cast<ssize_t>(bytes.size()))
        return fallar(n < 0 ? errno : ENOSPC);
    if (::fsync(fd.get()) != 0 && errno != EINVAL)
        return fallar(errno);
    if (fd.cerrar() != 0)
        return fallar(errno);
    if (creado)
        limpieza().recordar(dir);
    return {};
#endif
}

Estado crearVacio(std::string_view ruta) {
    return reemplazar(ruta, {}, "crear el archivo");
}

Estado tocar(std::string_view ruta, [[maybe_unused]] Enlaces enlaces) {
    if (detail::tieneControl(ruta))
        return nombreNoValido(kAbrir, ruta);
    detail::asegurarUnidad(ruta);
    const fs::path nativa = resolver(ruta);
#ifdef _WIN32
    std::ofstream f(nativa, std::ios::binary | std::ios::app);
    if (!f)
        return Error{kAbrir, std::string(ruta), Causa::AccesoDenegado, {}};
    return {};
#else
    bool creado = false;
    const int abierto = abrirParaAnexar(nativa, creado, enlaces);
    if (abierto < 0) {
        Error e = detail::errorDeSistema(kAbrir, ruta, -abierto, nativa);
        if (abierto == -ELOOP && enlaces == Enlaces::Rechazar)
            e.detalle = detail::kNoSeSiguenEnlaces;
        return e;
    }
    ::close(abierto);
    return {};
#endif
}

Estado copiarArchivo(std::string_view origen, std::string_view destino, std::uint64_t limite) {
    auto bytes = leerBytes(origen, limite, Enlaces::Seguir);
    if (!bytes)
        return bytes.error();
    return reemplazar(destino, *bytes, "copiar en el archivo");
}

Estado crearDirectorio(std::string_view ruta) {
    if (detail::tieneControl(ruta))
        return nombreNoValido(kCrearDirectorio, ruta);
    detail::asegurarUnidad(ruta);
    const fs::path nativa = resolver(ruta);
#ifdef _WIN32
    std::error_code ec;
    if (fs::exists(nativa, ec))
        return Error{kCrearDirectorio, std::string(ruta), Causa::YaExiste, {}};
    if (!fs::is_directory(directorioDe(nativa), ec))
        return Error{kCrearDirectorio, std::string(ruta), Causa::RutaNoEncontrada, {}};
    if (!fs::create_directory(nativa, ec))
        return Error{kCrearDirectorio, std::string(ruta), Causa::AccesoDenegado, {}};
    return {};
#else
    const InstanteDeDirectorio antes = instanteDe(directorioDe(nativa));
    if (::mkdir(nativa.c_str(), 0777) != 0) {
        const int numero = errno == ENOENT ? ENOTDIR : errno;
        return detail::errorDeSistema(kCrearDirectorio, ruta, numero, nativa);
    }
    anotarEnDirectorio(directorioDe(nativa), nativa.filename().native(), antes);
    return {};
#endif
}

bool existeArchivo(std::string_view ruta) {
    if (detail::tieneControl(ruta))
        return false;
    std::error_code ec;
    const auto estado = fs::status(resolver(ruta), ec);
    return !ec && fs::exists(estado) && !fs::is_directory(estado);
}

bool existeDirectorio(std::string_view ruta) {
    if (detail::tieneControl(ruta))
        return false;
    std::error_code ec;
    return fs::is_directory(resolver(ruta), ec);
}

} // namespace store

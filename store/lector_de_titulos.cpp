#include "lector_de_titulos.h"

#include "articulo.h"
#include "codificacion.h"
#include "detalle.h"
#include "limites.h"
#include "rutas.h"

#include <cerrno>
#include <cstdint>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace store {

namespace {

const char* const kLeer = "leer el archivo";

#ifndef _WIN32

// Opens for reading without ever waiting: O_NONBLOCK keeps a FIFO or a device from blocking the open, and
// only regular files are read afterwards. An article is never read through a symbolic link (O_NOFOLLOW).
// Minus an errno value on failure.
int abrir(int dirfd, const char* nombre) {
    int fd;
    do {
        fd = ::openat(dirfd, nombre, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    } while (fd < 0 && errno == EINTR);
    return fd >= 0 ? fd : -errno;
}

// Reads the regular file open on `fd` into `bufer` (its storage kept between calls) and closes it. One byte
// more than fstat's size is asked for, so that a file nobody is writing is read whole by one read that comes
// back short; a file that grows meanwhile is read on, and one that says it is empty is still read (a file
// of the kernel's that cannot be read then says so). 0, or an errno value; EFBIG when the file is larger than
// an article may be.
Sello selloDe(const struct stat& st) {
    return Sello{static_cast<std::uint64_t>(st.st_size),
                 static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                 static_cast<std::uint64_t>(st.st_ino)};
}

int leerYCerrar(int fd, std::string& bufer, Sello* sello = nullptr) {
    struct stat st {};
    int resultado = 0;
    if (::fstat(fd, &st) != 0) {
        resultado = errno;
    } else if (!S_ISREG(st.st_mode)) {
        resultado = EACCES;
    } else if (static_cast<std::uint64_t>(st.st_size) > kLimiteArticulo) {
        resultado = EFBIG;
    } else {
        bufer.resize(static_cast<std::size_t>(st.st_size) + 1);
        std::size_t hecho = 0;
        for (;;) {
            const std::size_t pedido = bufer.size() - hecho;
            const ssize_t n = ::read(fd, bufer.data() + hecho, pedido);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                resultado = errno;
                break;
            }
            hecho += static_cast<std::size_t>(n);
            if (static_cast<std::size_t>(n) < pedido)
                break; // a short read of a regular file is its end
            if (hecho > kLimiteArticulo) {
                resultado = EFBIG;
                break;
            }
            bufer.resize(bufer.size() * 2);
        }
        bufer.resize(hecho);
        if (sello)
            *sello = selloDe(st);
    }
    ::close(fd);
    return resultado;
}

Error errorDeLectura(std::string_view ruta, int numero, const fs::path& nativa) {
    if (numero == EFBIG)
        return detail::demasiadoGrande(kLeer, ruta, kLimiteArticulo);
    return detail::errorDeSistema(kLeer, ruta, numero, nativa);
}

bool esAscii(std::string_view s) {
    for (char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

#endif

} // namespace

Resultado<std::string> leerTitulo(std::string_view ruta) {
#ifdef _WIN32
    auto bytes = leerBytes(ruta, kLimiteArticulo);
    if (!bytes)
        return bytes.error();
    return tituloDeBytes(*bytes);
#else
    const fs::path nativa = resolver(ruta);
    const int fd = abrir(AT_FDCWD, nativa.c_str());
    if (fd < 0) {
        Error e = detail::errorDeSistema(kLeer, ruta, -fd, nativa);
        if (fd == -ELOOP)
            e.detalle = detail::kNoSeSiguenEnlaces;
        return e;
    }
    std::string bytes;
    if (const int e = leerYCerrar(fd, bytes))
        return errorDeLectura(ruta, e, nativa);
    return tituloDeBytes(bytes);
#endif
}

LectorTitulos::LectorTitulos(std::string directorio) : directorio_(std::move(directorio)) {
#ifndef _WIN32
    const fs::path nativo = resolver(directorio_);
    dirfd_ = ::open(nativo.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirfd_ >= 0)
        nativoDirectorio_ = nativo;
#endif
}

LectorTitulos::~LectorTitulos() {
#ifndef _WIN32
    if (dirfd_ >= 0)
        ::close(dirfd_);
#endif
}

Resultado<std::string> LectorTitulos::titulo(std::string_view nombre) {
    sello_ = Sello{}; // a title read by the general path has none: it is looked at again next time
    if (!nombreRelativoSeguro(nombre))
        return Error{kLeer, unir(directorio_, nombre), Causa::NombreNoValido, {}};
#ifdef _WIN32
    return tituloPorRuta(nombre);
#else
    // A name with a directory in it, or a directory that could not be opened: the general path.
    if (dirfd_ < 0 || nombre.find_first_of("\\/") != std::string_view::npos)
        return tituloPorRuta(nombre);
    if (esAscii(nombre))
        nativo_.assign(nombre);
    else
        nativo_ = cp1252AUtf8(nombre);
    // Until a name is missing as spelled, names are opened as they are: a list that spells every name as it is
    // on disk never needs the case index, which for a large directory costs more than reading many titles.
    // From the first such miss on, the case index says at once which spelling is on disk. The exact spelling
    // is opened first when the index has the name as asked, does not know it (made since the index was taken)
    // or knows several spellings.
    int fd = -ENOENT;
    bool exactoProbado = false;
    if (!indice_) {
        fd = abrir(dirfd_, nativo_.c_str());
        if (fd != -ENOENT)
            return fd < 0 ? tituloPorRuta(nombre) : leerAbierto(fd, nombre);
        exactoProbado = true;
        indice_ = detail::indiceDeCasos(nativoDirectorio_);
    }
    if (indice_) {
        clave_.assign(nombre);
        for (char& c : clave_)
            c = static_cast<char>(mayuscula(static_cast<unsigned char>(c)));
        const auto hallado = indice_->buscar(clave_);
        if (hallado && !hallado->ambigua && hallado->nombre != nativo_)
            fd = abrir(dirfd_, hallado->nombre.data());
    }
    if (fd == -ENOENT && !exactoProbado)
        fd = abrir(dirfd_, nativo_.c_str());
    if (fd < 0)
        return tituloPorRuta(nombre); // the general path names the failure as a single reading would
    return leerAbierto(fd, nombre);
#endif
}

std::optional<Sello> LectorTitulos::sello(std::string_view nombre) {
#ifdef _WIN32
    (void)nombre;
    return std::nullopt;
#else
    if (dirfd_ < 0 || !nombreRelativoSeguro(nombre) || nombre.find_first_of("\\/") != std::string_view::npos)
        return std::nullopt;
    if (esAscii(nombre))
        nativo_.assign(nombre);
    else
        nativo_ = cp1252AUtf8(nombre);
    struct stat st {};
    auto mirar = [&](const char* nativo) {
        int r;
        do {
            r = ::fstatat(dirfd_, nativo, &st, AT_SYMLINK_NOFOLLOW);
        } while (r != 0 && errno == EINTR);
        return r == 0 ? 0 : errno;
    };
    // As titulo() opens: the spelling asked for first until a name is missing as spelled, then the case index.
    int r = ENOENT;
    bool exactoProbado = false;
    if (!indice_) {
        r = mirar(nativo_.c_str());
        exactoProbado = true;
        if (r == ENOENT)
            indice_ = detail::indiceDeCasos(nativoDirectorio_);
    }
    if (r == ENOENT && indice_) {
        clave_.assign(nombre);
        for (char& c : clave_)
            c = static_cast<char>(mayuscula(static_cast<unsigned char>(c)));
        const auto hallado = indice_->buscar(clave_);
        if (hallado && !hallado->ambigua && hallado->nombre != nativo_)
            r = mirar(hallado->nombre.data());
        if (r == ENOENT && !exactoProbado)
            r = mirar(nativo_.c_str());
    }
    if (r != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return selloDe(st);
#endif
}

Resultado<std::string> LectorTitulos::tituloPorRuta(std::string_view nombre) {
    const std::string ruta = unir(directorio_, nombre);
    auto bytes = leerBytesDentro(directorio_, ruta, kLimiteArticulo);
    if (!bytes)
        return bytes.error();
    return tituloDeBytes(*bytes);
}

Resultado<std::string> LectorTitulos::leerAbierto(int fd, std::string_view nombre) {
#ifdef _WIN32
    (void)fd;
    return tituloPorRuta(nombre);
#else
    if (const int e = leerYCerrar(fd, bufer_, &sello_))
        return errorDeLectura(unir(directorio_, nombre), e, resolver(unir(directorio_, nombre)));
    return tituloDeBytes(bufer_);
#endif
}

} // namespace store

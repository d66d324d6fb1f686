#include "rutas.h"

#include "codificacion.h"
#include "detalle.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#ifndef _WIN32
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#endif

namespace fs = std::filesystem;

namespace store {

namespace {

bool esSeparador(char c) {
    return c == '\\' || c == '/';
}

bool tieneUnidad(std::string_view ruta) {
    return ruta.size() >= 2 && std::isalpha(static_cast<unsigned char>(ruta[0])) && ruta[1] == ':';
}

// The path split into its starting point and its components (Windows-1252). Empty components and "." are
// dropped and ".." takes back the component before it, by the text alone, as Windows reads a path: so
// "C:\ENC\\SOL" and "C:\X\..\ENC\SOL" name "C:\ENC\SOL" even when X does not exist, and ".." at the top
// of a drive or of the root stays there instead of leaving the drive's directory.
struct Partes {
    fs::path base;
    std::vector<std::string_view> componentes;
};

Partes descomponer(std::string_view ruta) {
    Partes p;
    std::string_view resto = ruta;
#ifdef _WIN32
    (void)tieneUnidad;
#else
    if (tieneUnidad(ruta)) {
        p.base = directorioUnidad(ruta[0]);
        resto = ruta.substr(2);
    } else if (!ruta.empty() && esSeparador(ruta[0])) {
        p.base = "/";
    }
#endif
    std::size_t i = 0;
    while (i < resto.size()) {
        std::size_t j = i;
        while (j < resto.size() && !esSeparador(resto[j]))
            ++j;
        const std::string_view c = resto.substr(i, j - i);
        i = j + 1;
        if (c.empty() || c == ".")
            continue;
        if (c == "..") {
            if (!p.componentes.empty() && p.componentes.back() != "..")
                p.componentes.pop_back();
            else if (p.base.empty())
                p.componentes.push_back(c); // a relative path may start above the working directory
            continue;
        }
        p.componentes.push_back(c);
    }
    if (p.base.empty() && p.componentes.empty() && !ruta.empty())
        p.componentes.push_back("."); // "." or "a\.." is the working directory itself
    return p;
}

#ifndef _WIN32

// The key of a name in the case index: Windows-1252 upper case. A name on disk that Windows-1252 cannot
// hold gets a key no stored name can produce.
std::string claveDeNombreDisco(const std::string& utf8) {
    if (auto cp = utf8ACp1252(utf8))
        return aMayusculas(*cp);
    return std::string(1, '\0') + utf8;
}

bool mismoInstante(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Per-directory index: folded name -> name on disk. It is rebuilt when the directory's modification time
// changes behind this process's back; the entries this process makes itself are written into it. File systems
// stamp times with a coarse clock, so an index built within seconds of the last change might miss an entry
// made in the same tick: such an index is "unsure" and a miss rebuilds it, once.
struct Indice {
    timespec mtime{};
    bool seguro = false;
    // Listed again once already because a name was missing from an unsure index: further misses trust it
    // (while this process alone changes the directory, the writes below keep it up to date).
    bool releido = false;
    std::shared_ptr<detail::IndiceDeNombres> contenido;
};

class IndiceDeCasos {
public:
    std::optional<std::string> buscar(const fs::path& dir, const std::string& clave) {
        std::lock_guard<std::mutex> cerrojo(mutex_);
        struct stat st {};
        const std::string d = dir.native();
        if (::stat(d.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            indices_.erase(d);
            return std::nullopt;
        }
        auto it = indices_.find(d);
        bool recien = false;
        if (it == indices_.end() || !mismoInstante(it->second.mtime, st.st_mtim)) {
            it = reconstruir(d, st.st_mtim);
            recien = true;
        }
        if (it == indices_.end())
            return std::nullopt;
        if (auto f = it->second.contenido->buscar(clave))
            return std::string(f->nombre);
        if (recien || it->second.seguro || it->second.releido)
            return std::nullopt;
        it = reconstruir(d, st.st_mtim);
        if (it == indices_.end())
            return std::nullopt;
        it->second.releido = true;
        if (auto f = it->second.contenido->buscar(clave))
            return std::string(f->nombre);
        return std::nullopt;
    }

    // The whole index of the directory as it stands now, built when missing or out of date.
    std::shared_ptr<const detail::IndiceDeNombres> instantanea(const fs::path& dir) {
        std::lock_guard<std::mutex> cerrojo(mutex_);
        struct stat st {};
        const std::string d = dir.native();
        if (::stat(d.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            indices_.erase(d);
            return nullptr;
        }
        auto it = indices_.find(d);
        if (it == indices_.end() || !mismoInstante(it->second.mtime, st.st_mtim))
            it = reconstruir(d, st.st_mtim);
        return it == indices_.end() ? nullptr : it->second.contenido;
    }

    void olvidar(const fs::path& dir) {
        std::lock_guard<std::mutex> cerrojo(mutex_);
        indices_.erase(dir.native());
    }

    // The entry `nombre` this process just made in `dir`, whose time was `antes` before it did.
    void anotar(const fs::path& dir, const std::string& nombre, const timespec& antes) {
        std::lock_guard<std::mutex> cerrojo(mutex_);
        const std::string d = dir.native();
        const auto it = indices_.find(d);
        if (it == indices_.end())
            return;
        struct stat st {};
        if (!mismoInstante(it->second.mtime, antes) || ::stat(d.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            indices_.erase(it);
            return;
        }
        const std::string clave = claveDeNombreDisco(nombre);
        const auto hallado = it->second.contenido->buscar(clave);
        if (!hallado || hallado->nombre != nombre) {
            // A listing may still be reading the index it was given: it keeps that one, and this one is a copy.
            if (it->second.contenido.use_count() > 1)
                it->second.contenido = std::make_shared<detail::IndiceDeNombres>(*it->second.contenido);
            it->second.contenido->agregar(clave, nombre);
        }
        it->second.mtime = st.st_mtim;
    }

private:
    using Mapa = std::unordered_map<std::string, Indice>;

    Mapa::iterator reconstruir(const std::string& d, const timespec& mtime) {
        if (indices_.size() >= 256)
            indices_.clear();
        Indice indice;
        indice.mtime = mtime;
        timespec ahora{};
        ::clock_gettime(CLOCK_REALTIME, &ahora);
        // FAT stamps times to 2 seconds. A time in the future (copied from another machine) is as safe as
        // an old one: any change made now stamps the directory with a different time.
        const auto distancia = ahora.tv_sec - mtime.tv_sec;
        indice.seguro = distancia > 2 || distancia < -2;
        ++listados_;
        DIR* dp = ::opendir(d.c_str());
        if (!dp) {
            indices_.erase(d);
            return indices_.end();
        }
        auto contenido = std::make_shared<detail::IndiceDeNombres>();
        while (const dirent* e = ::readdir(dp)) {
            const std::string nombre = e->d_name;
            if (nombre == "." || nombre == "..")
                continue;
            contenido->agregar(claveDeNombreDisco(nombre), nombre);
        }
        ::closedir(dp);
        indice.contenido = std::move(contenido);
        auto [it, _] = indices_.insert_or_assign(d, std::move(indice));
        return it;
    }

    std::mutex mutex_;
    Mapa indices_;

public:
    std::atomic<std::size_t> listados_{0};
};

IndiceDeCasos& indiceGlobal() {
    static IndiceDeCasos indice;
    return indice;
}

// A name of ASCII letters is most often on disk in capitals (the store writes its own files so). Of the
// spellings of such a name, the one in capitals sorts first, so it is the one the case index would choose
// as well: when it exists, it is the answer, and a large directory is not listed to find it. True when the
// capitals `clave` of `nombre` are worth trying so.
bool probarMayusculas(std::string_view nombre, const std::string& clave) {
    const bool ascii =
        std::all_of(clave.begin(), clave.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return ascii && clave != nombre;
}

#endif

} // namespace

std::string unir(std::string_view a, std::string_view b) {
    std::string r;
    r.reserve(a.size() + 1 + b.size());
    r += a;
    r += '\\';
    r += b;
    return r;
}

fs::path directorioUnidad(char letra) {
#ifdef _WIN32
    return fs::path(std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(letra)))) + ":\\");
#else
    const char l = static_cast<char>(std::tolower(static_cast<unsigned char>(letra)));
    const char* unidades = std::getenv("LUMBRE_UNIDADES");
    if (unidades && *unidades)
        return fs::path(unidades) / std::string(1, l);
    fs::path datos;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg == '/') {
        datos = xdg;
    } else {
        const char* home = std::getenv("HOME");
        datos = fs::path(home && *home ? home : "/") / ".local" / "share";
    }
    return datos / "lumbre" / "unidades" / std::string(1, l);
#endif
}

fs::path aNativa(std::string_view ruta) {
#ifdef _WIN32
    const std::string u = cp1252AUtf8(ruta);
    return fs::path(std::u8string(u.begin(), u.end()));
#else
    const Partes p = descomponer(ruta);
    fs::path r = p.base;
    for (std::string_view c : p.componentes)
        r /= cp1252AUtf8(c);
    return r;
#endif
}

fs::path resolver(std::string_view ruta) {
#ifdef _WIN32
    return aNativa(ruta);
#else
    const Partes p = descomponer(ruta);
    fs::path r = p.base;
    bool existe = true; // once a component is missing, nothing below it can exist
    for (std::string_view c : p.componentes) {
        const std::string nombre = cp1252AUtf8(c);
        if (!existe || c == "..") {
            r /= nombre;
            continue;
        }
        fs::path exacto = r.empty() ? fs::path(nombre) : r / nombre;
        struct stat st {};
        if (::lstat(exacto.c_str(), &st) == 0) {
            r = std::move(exacto);
            continue;
        }
        const std::string clave = aMayusculas(c);
        if (probarMayusculas(c, clave)) {
            fs::path mayusculas = r.empty() ? fs::path(clave) : r / clave;
            if (::lstat(mayusculas.c_str(), &st) == 0) {
                r = std::move(mayusculas);
                continue;
            }
        }
        const fs::path dir = r.empty() ? fs::path(".") : r;
        if (auto real = indiceGlobal().buscar(dir, clave)) {
            r = r.empty() ? fs::path(*real) : r / *real;
        } else {
            r = std::move(exacto);
            existe = false;
        }
    }
    return r;
#endif
}

void olvidarDirectorio(const fs::path& directorio) {
#ifdef _WIN32
    (void)directorio;
#else
    indiceGlobal().olvidar(directorio.empty() ? fs::path(".") : directorio);
#endif
}

#ifndef _WIN32
InstanteDeDirectorio instanteDe(const fs::path& directorio) {
    struct stat st {};
    if (::stat(directorio.empty() ? "." : directorio.c_str(), &st) != 0)
        return {};
    return {static_cast<long long>(st.st_mtim.tv_sec), static_cast<long>(st.st_mtim.tv_nsec)};
}

void anotarEnDirectorio(const fs::path& directorio, const std::string& nombre, InstanteDeDirectorio antes) {
    timespec t{};
    t.tv_sec = static_cast<time_t>(antes.segundos);
    t.tv_nsec = antes.nanosegundos;
    indiceGlobal().anotar(directorio.empty() ? fs::path(".") : directorio, nombre, t);
}
#endif

bool nombreRelativoSeguro(std::string_view nombre) {
    if (nombre.empty() || esSeparador(nombre[0]) || tieneUnidad(nombre))
        return false;
    // A control byte is no part of a name; NUL would end the path early when the file is opened ("..\0x"
    // opens "..").
    if (detail::tieneControl(nombre))
        return false;
    std::size_t i = 0;
    while (i <= nombre.size()) {
        std::size_t j = i;
        while (j < nombre.size() && !esSeparador(nombre[j]))
            ++j;
        const std::string_view c = nombre.substr(i, j - i);
        // Windows drops trailing dots and spaces, so ". ." and "..." climb out there as ".." does.
        if (c.find_first_not_of(". ") == std::string_view::npos && std::count(c.begin(), c.end(), '.') >= 2)
            return false;
        if (c.find(':') != std::string_view::npos)
            return false;
        i = j + 1;
    }
    return true;
}

bool nombreArchivoValido(std::string_view nombre) {
    if (nombre.empty() || nombre == "." || nombre == "..")
        return false;
    for (char ch : nombre) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || std::strchr("\\/:*?\"<>|", ch) != nullptr)
            return false;
    }
    if (nombre.back() == ' ' || nombre.back() == '.')
        return false;
    // Device names are not files on Windows, with or without an extension.
    std::string base = aMayusculas(nombre.substr(0, nombre.find('.')));
    base = std::string(sinEspaciosDerecha(base));
    static const char* const kDispositivos[] = {"CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4",
                                                "COM5", "COM6", "COM7", "COM8", "COM9", "LPT1", "LPT2", "LPT3",
                                                "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};
    for (const char* d : kDispositivos) {
        if (base == d)
            return false;
    }
    return true;
}

bool rutaValidaEnWindows(std::string_view ruta) {
    if (ruta.size() >= 2 && ruta[1] == ':' &&
        ((ruta[0] >= 'A' && ruta[0] <= 'Z') || (ruta[0] >= 'a' && ruta[0] <= 'z'))) {
        ruta.remove_prefix(2);
    }
    while (!ruta.empty()) {
        std::size_t fin = 0;
        while (fin < ruta.size() && !esSeparador(ruta[fin]))
            ++fin;
        if (fin > 0 && !nombreArchivoValido(ruta.substr(0, fin)))
            return false;
        ruta.remove_prefix(fin < ruta.size() ? fin + 1 : fin);
    }
    return true;
}

namespace detail {

bool tieneControl(std::string_view texto) {
    return std::any_of(texto.begin(), texto.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

std::string padre(std::string_view ruta) {
    std::size_t fin = ruta.size();
    while (fin > 0 && esSeparador(ruta[fin - 1]))
        --fin;
    while (fin > 0 && !esSeparador(ruta[fin - 1]))
        --fin;
    while (fin > 1 && esSeparador(ruta[fin - 1]))
        --fin;
    return std::string(ruta.substr(0, fin));
}

void IndiceDeNombres::agregar(std::string_view clave, std::string_view nombre) {
    // Names on disk are at most 255 bytes, and so are their keys; longer ones are no file's.
    if (clave.size() > 0xFFFF || nombre.size() > 0xFFFF ||
        bytes_.size() + kCabecera + clave.size() + nombre.size() + 2 > 0xFFFFFFFFu)
        return;
    if ((cantidad_ + 1) * 2 > tabla_.size())
        agrandar();
    const auto hash = static_cast<std::uint32_t>(std::hash<std::string_view>{}(clave));
    const std::size_t r = ranura(clave, hash);
    if (tabla_[r] != 0) {
        // Two names differing only in case: the smaller one stands for both, the same one every time.
        const auto antes = static_cast<std::uint32_t>(tabla_[r] - 1);
        const std::string_view actual = hallado(antes).nombre;
        if (nombre < actual)
            tabla_[r] = std::uint64_t{hash} << 32 | (escribir(clave, nombre, true) + 1u);
        else
            bytes_[antes + 4] = 1;
        return;
    }
    tabla_[r] = std::uint64_t{hash} << 32 | (escribir(clave, nombre, false) + 1u);
    ++cantidad_;
}

std::uint32_t IndiceDeNombres::escribir(std::string_view clave, std::string_view nombre, bool ambigua) {
    const auto inicio = static_cast<std::uint32_t>(bytes_.size());
    const char cabecera[kCabecera] = {static_cast<char>(clave.size() & 0xFF), static_cast<char>(clave.size() >> 8),
                                      static_cast<char>(nombre.size() & 0xFF), static_cast<char>(nombre.size() >> 8),
                                      static_cast<char>(ambigua)};
    bytes_.append(cabecera, kCabecera).append(clave).append(nombre).push_back('\0');
    return inicio;
}

std::string_view IndiceDeNombres::clave(std::uint32_t entrada) const {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes_.data()) + entrada;
    return {bytes_.data() + entrada + kCabecera, static_cast<std::size_t>(p[0] | p[1] << 8)};
}

IndiceDeNombres::Hallado IndiceDeNombres::hallado(std::uint32_t entrada) const {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes_.data()) + entrada;
    const std::size_t largoClave = p[0] | p[1] << 8;
    const std::size_t largoNombre = p[2] | p[3] << 8;
    return {{bytes_.data() + entrada + kCabecera + largoClave, largoNombre}, p[4] != 0};
}

std::optional<IndiceDeNombres::Hallado> IndiceDeNombres::buscar(std::string_view clave) const {
    if (tabla_.empty())
        return std::nullopt;
    const auto hash = static_cast<std::uint32_t>(std::hash<std::string_view>{}(clave));
    const std::uint64_t t = tabla_[ranura(clave, hash)];
    if (t == 0)
        return std::nullopt;
    return hallado(static_cast<std::uint32_t>(t - 1));
}

std::size_t IndiceDeNombres::ranura(std::string_view clave, std::uint32_t hash) const {
    const std::size_t mascara = tabla_.size() - 1;
    for (std::size_t r = hash & mascara;; r = (r + 1) & mascara) {
        const std::uint64_t t = tabla_[r];
        if (t == 0 || ((t >> 32) == hash && this->clave(static_cast<std::uint32_t>(t - 1)) == clave))
            return r;
    }
}

void IndiceDeNombres::agrandar() {
    std::vector<std::uint64_t> anterior(tabla_.empty() ? 16 : tabla_.size() * 2, 0);
    anterior.swap(tabla_);
    const std::size_t mascara = tabla_.size() - 1;
    for (const std::uint64_t t : anterior) {
        if (t == 0)
            continue;
        std::size_t r = (t >> 32) & mascara;
        while (tabla_[r] != 0)
            r = (r + 1) & mascara;
        tabla_[r] = t;
    }
}

std::shared_ptr<const IndiceDeNombres> indiceDeCasos(const fs::path& directorio) {
#ifdef _WIN32
    (void)directorio;
    return nullptr;
#else
    return indiceGlobal().instantanea(directorio.empty() ? fs::path(".") : directorio);
#endif
}

std::size_t listadosDeDirectorio() {
#ifdef _WIN32
    return 0;
#else
    return indiceGlobal().listados_.load();
#endif
}

void asegurarUnidad(std::string_view ruta) {
#ifdef _WIN32
    (void)ruta;
#else
    if (!tieneUnidad(ruta))
        return;
    std::error_code ec;
    fs::create_directories(directorioUnidad(ruta[0]), ec);
#endif
}

Error demasiadoGrande(std::string operacion, std::string_view ruta, std::uint64_t limite) {
    std::string cantidad;
    if (limite >= (1ull << 30) && limite % (1ull << 30) == 0)
        cantidad = std::to_string(limite >> 30) + " GB";
    else if (limite >= (1ull << 20) && limite % (1ull << 20) == 0)
        cantidad = std::to_string(limite >> 20) + " MB";
    else if (limite >= (1ull << 10) && limite % (1ull << 10) == 0)
        cantidad = std::to_string(limite >> 10) + " KB";
    else
        cantidad = std::to_string(limite) + " bytes";
    return Error{std::move(operacion), std::string(ruta), Causa::DemasiadoGrande, "m\xE1s de " + cantidad};
}

Error errorDeSistema(std::string operacion, std::string_view ruta, int numero, const fs::path& nativa) {
    Error e{std::move(operacion), std::string(ruta), Causa::Otro, {}};
    switch (numero) {
    case ENOENT: {
        std::error_code ec;
        const fs::path dir = nativa.has_parent_path() ? nativa.parent_path() : fs::path(".");
        e.causa = fs::is_directory(dir, ec) ? Causa::NoEncontrado : Causa::RutaNoEncontrada;
        break;
    }
    case ENOTDIR:
        e.causa = Causa::RutaNoEncontrada;
        break;
    case EEXIST:
        e.causa = Causa::YaExiste;
        break;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
        e.causa = Causa::AccesoDenegado;
        break;
    case ENOSPC:
    case EFBIG:
#ifdef EDQUOT
    case EDQUOT:
#endif
        e.causa = Causa::DiscoLleno;
        break;
    case ENAMETOOLONG:
        e.causa = Causa::NombreNoValido;
        break;
    case ELOOP:
        e.causa = Causa::AccesoDenegado;
        e.detalle = "enlace simb\xF3lico";
        break;
    default:
        e.detalle = "c\xF3"
                    "digo del sistema " +
                    std::to_string(numero);
        break;
    }
    return e;
}

#ifndef _WIN32

int abrirDentro(std::string_view directorio, std::string_view ruta, Error& error) {
    const char* const kLeer = "leer el archivo";
    // The name below the directory, split as any path is; it must name something and not climb out.
    const bool bajo = ruta.size() > directorio.size() + 1 && ruta.substr(0, directorio.size()) == directorio &&
                      esSeparador(ruta[directorio.size()]);
    const std::string_view nombre = bajo ? ruta.substr(directorio.size() + 1) : std::string_view();
    const Partes partes = descomponer(nombre);
    const bool sale = !bajo || tieneControl(ruta) || esSeparador(nombre[0]) || tieneUnidad(nombre) ||
                      partes.componentes.empty() ||
                      std::find(partes.componentes.begin(), partes.componentes.end(), "..") != partes.componentes.end();
    if (sale) {
        error = Error{kLeer, std::string(ruta), Causa::NombreNoValido, {}};
        return -1;
    }
    // The directory itself is reached as any path is; below it each directory, then the file, is opened from
    // the one before without following a link, so nothing below can lead elsewhere. A name not spelled as on
    // disk is looked up in the case index of a directory that was itself reached that way.
    fs::path actual = resolver(directorio);
    int fd = ::open(actual.empty() ? "." : actual.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error = errorDeSistema(kLeer, ruta, errno, actual / "x");
        return -1;
    }
    for (std::size_t i = 0; i < partes.componentes.size(); ++i) {
        const std::string_view c = partes.componentes[i];
        // O_NONBLOCK so that a FIFO in the file's place cannot hang the open.
        const int modo =
            (i + 1 == partes.componentes.size() ? O_NONBLOCK : O_DIRECTORY) | O_RDONLY | O_NOFOLLOW | O_CLOEXEC;
        auto abrir = [&](const std::string& n) {
            int r;
            do {
                r = ::openat(fd, n.c_str(), modo);
            } while (r < 0 && errno == EINTR);
            return r;
        };
        std::string enDisco = cp1252AUtf8(c);
        const std::string clave = aMayusculas(c);
        int siguiente = abrir(enDisco);
        if (siguiente < 0 && errno == ENOENT && probarMayusculas(c, clave)) {
            siguiente = abrir(clave);
            if (siguiente >= 0 || errno != ENOENT)
                enDisco = clave;
        }
        if (siguiente < 0 && errno == ENOENT) {
            if (auto real = indiceGlobal().buscar(actual.empty() ? fs::path(".") : actual, clave)) {
                enDisco = std::move(*real);
                siguiente = abrir(enDisco);
            }
        }
        const int numero = errno;
        // A link opened as a directory without following it fails with ENOTDIR, not ELOOP.
        struct stat st {};
        const bool enlace =
            siguiente < 0 &&
            (numero == ELOOP || (numero == ENOTDIR && ::fstatat(fd, enDisco.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                                 S_ISLNK(st.st_mode)));
        ::close(fd);
        actual /= enDisco;
        if (siguiente < 0) {
            fs::path nativa = actual; // the whole path, so that a missing directory on the way is told apart
            for (std::size_t j = i + 1; j < partes.componentes.size(); ++j)
                nativa /= cp1252AUtf8(partes.componentes[j]);
            error = errorDeSistema(kLeer, ruta, numero, nativa);
            if (enlace) {
                error.causa = Causa::AccesoDenegado;
                error.detalle = kNoSeSiguenEnlaces;
            }
            return -1;
        }
        fd = siguiente;
    }
    return fd;
}

#endif

} // namespace detail

std::optional<std::string> rutaDeOrden(std::string_view utf8, std::string* noRepresentables) {
    const bool unidad = utf8.size() >= 2 && utf8[1] == ':' &&
                        ((utf8[0] >= 'A' && utf8[0] <= 'Z') || (utf8[0] >= 'a' && utf8[0] <= 'z'));
    if (unidad)
        return utf8ACp1252(utf8, noRepresentables);
    fs::path nativa(std::string{utf8});
    if (nativa.is_relative()) {
        std::error_code error;
        const fs::path actual = fs::current_path(error);
        if (!error)
            nativa = actual / nativa;
    }
    std::string limpia = nativa.lexically_normal().generic_string();
    while (limpia.size() > 1 && limpia.back() == '/')
        limpia.pop_back();
    return utf8ACp1252(limpia, noRepresentables);
}

} // namespace store

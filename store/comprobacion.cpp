#include "store/comprobacion.h"

#include "store/archivo_de_color.h"
#include "store/codificacion.h"
#include "store/diccionario.h"
#include "store/enciclopedia.h"
#include "store/limites.h"
#include "store/lineas.h"
#include "store/rutas.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace store {

namespace {

namespace fs = std::filesystem;

// Source texts are UTF-8; what the store hands out is Windows-1252.
std::string w(std::string_view utf8) {
    return utf8ACp1252(utf8).value_or(std::string(utf8));
}

// A fixed text, converted once.
#define W(texto)                                                                                                       \
    ([]() -> const std::string& {                                                                                      \
        static const std::string convertido = w(texto);                                                                \
        return convertido;                                                                                             \
    }())

// The pieces of a text one after another, in one allocation: the check may write hundreds of thousands.
std::string juntar(std::initializer_list<std::string_view> piezas) {
    std::size_t largo = 0;
    for (const std::string_view p : piezas) {
        largo += p.size();
    }
    std::string texto;
    texto.reserve(largo);
    for (const std::string_view p : piezas) {
        texto += p;
    }
    return texto;
}

std::string entre(std::string_view nombre) {
    return juntar({W("«"), nombre, W("»")});
}

// One directory listed once, its names matched as spelled first and then without regard to letter case.
class Directorio {
public:
    struct Entrada {
        std::string nombre;       // Windows-1252 (the UTF-8 name when it has no such spelling)
        std::string nativa;       // set only for an entry found apart from a listing
        std::string enDirectorio; // its native name in the listed directory
        int dirfd = AT_FDCWD;     // the listed directory, open, when the entry is one of its names
        bool archivo = false;     // a regular file, not reached through a link
        bool directorio = false;
        // What to open relative to dirfd.
        const char* abrir() const { return dirfd == AT_FDCWD ? nativa.c_str() : enDirectorio.c_str(); }
    };

    Directorio() = default;
    Directorio(const Directorio&) = delete;
    Directorio& operator=(const Directorio&) = delete;
    ~Directorio() {
        if (dirfd_ >= 0) {
            ::close(dirfd_);
        }
    }

    // Lists the directory once, and keeps it open so that its files are opened by name alone.
    bool listar(const fs::path& nativa) {
        dirfd_ = ::open(nativa.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const int copia = dirfd_ >= 0 ? ::dup(dirfd_) : -1;
        DIR* const dir = copia >= 0 ? ::fdopendir(copia) : nullptr;
        if (!dir) {
            if (copia >= 0) {
                ::close(copia);
            }
            return false;
        }
        while (const dirent* d = ::readdir(dir)) {
            if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0) {
                continue;
            }
            Entrada entrada;
            entrada.enDirectorio = d->d_name;
            entrada.nombre = utf8ACp1252(entrada.enDirectorio).value_or(entrada.enDirectorio);
            entrada.dirfd = dirfd_;
            unsigned char tipo = d->d_type;
            if (struct stat st{}; tipo == DT_UNKNOWN && ::fstatat(dirfd_, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
                tipo = S_ISREG(st.st_mode) ? DT_REG : S_ISDIR(st.st_mode) ? DT_DIR : DT_UNKNOWN;
            }
            // A link is neither: nothing of an encyclopaedia is read through one.
            entrada.archivo = tipo == DT_REG;
            entrada.directorio = tipo == DT_DIR;
            porMayusculas_.emplace(aMayusculas(entrada.nombre), entradas_.size());
            entradas_.push_back(std::move(entrada));
        }
        ::closedir(dir);
        return true;
    }

    const Entrada* buscar(std::string_view nombre) const {
        const auto i = porMayusculas_.find(aMayusculas(nombre));
        return i == porMayusculas_.end() ? nullptr : &entradas_[i->second];
    }

    const std::vector<Entrada>& entradas() const { return entradas_; }

private:
    int dirfd_ = -1;
    std::vector<Entrada> entradas_;
    std::unordered_map<std::string, std::size_t> porMayusculas_;
};

enum class Lectura { Bien, Falta, NoEsArchivo, Grande, Error };

// Reads a whole regular file into `bytes` (keeping its storage), refusing more than `limite` bytes; a link
// or anything but a regular file is not read (a FIFO is never waited on).
Lectura leerArchivo(int dirfd, const char* ruta, std::uint64_t limite, std::string& bytes) {
    bytes.clear();
    const int fd = ::openat(dirfd, ruta, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
        return errno == ENOENT ? Lectura::Falta : errno == ELOOP ? Lectura::NoEsArchivo : Lectura::Error;
    }
    struct stat st {};
    Lectura lectura = Lectura::Bien;
    if (::fstat(fd, &st) != 0) {
        lectura = Lectura::Error;
    } else if (!S_ISREG(st.st_mode)) {
        lectura = Lectura::NoEsArchivo;
    } else if (static_cast<std::uint64_t>(st.st_size) > limite) {
        lectura = Lectura::Grande;
    } else {
        // The size it had, and more if it grew meanwhile, up to the limit.
        std::size_t leidos = 0;
        bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
        for (;;) {
            if (leidos == bytes.size()) {
                if (bytes.size() > limite) {
                    lectura = Lectura::Grande;
                    break;
                }
                bytes.resize(std::min<std::size_t>(bytes.size() * 2, limite + 1));
            }
            const ssize_t n = ::read(fd, bytes.data() + leidos, bytes.size() - leidos);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                lectura = n < 0 ? Lectura::Error : Lectura::Bien;
                break;
            }
            leidos += static_cast<std::size_t>(n);
        }
        bytes.resize(leidos);
    }
    ::close(fd);
    return lectura;
}

// An entry of a directory that lists, or a name with separators found on disk; the file read into `bytes`.
Lectura leerEntrada(const Directorio::Entrada* entrada, std::uint64_t limite, std::string& bytes) {
    if (!entrada) {
        return Lectura::Falta;
    }
    if (!entrada->archivo) {
        return Lectura::NoEsArchivo;
    }
    return leerArchivo(entrada->dirfd, entrada->abrir(), limite, bytes);
}

std::string porqueNoSeLee(Lectura lectura, std::uint64_t limite) {
    switch (lectura) {
    case Lectura::Falta:
        return W("no existe");
    case Lectura::NoEsArchivo:
        return W("no es un archivo que se pueda leer (es un directorio, un enlace o un dispositivo)");
    case Lectura::Grande:
        return W("es demasiado grande: los programas no leen archivos de este tipo de más de ") +
               std::to_string(limite >> 10) + W(" KB");
    case Lectura::Error:
        return W("no se puede leer");
    case Lectura::Bien:
        break;
    }
    return {};
}

// The bytes that are not text: control characters other than tab and the line ends, DEL, and the five
// bytes Windows-1252 leaves undefined. A line feed is a line end only right after a carriage return.
constexpr std::array<bool, 256> kNoTexto = [] {
    std::array<bool, 256> t{};
    for (int c = 0; c < 0x20; ++c) {
        t[static_cast<std::size_t>(c)] = c != '\t' && c != '\r' && c != '\n';
    }
    for (int c : {0x7F, 0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        t[static_cast<std::size_t>(c)] = true;
    }
    return t;
}();

struct NoTexto {
    std::size_t linea = 0; // from 1
    unsigned char byte = 0;
    std::size_t cuantos = 0;
};

bool noEsTexto(std::string_view bytes, std::size_t i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    return kNoTexto[c] || (c == '\n' && (i == 0 || bytes[i - 1] != '\r'));
}

// The first byte from `desde` on that is not text, or npos. Eight bytes at a time are passed over when none
// of them is below 0x20, 0x7F or from 0x80 to 0x9F, which is nearly all of a text; only the words that hold
// one (a line end, a curly quote) are looked at byte by byte.
std::size_t primeroNoTexto(std::string_view bytes, std::size_t desde) {
    constexpr std::uint64_t kUnos = 0x0101010101010101ull;
    constexpr std::uint64_t kAltos = 0x8080808080808080ull;
    const auto menorQue20 = [](std::uint64_t x) { return (x - kUnos * 0x20) & ~x & kAltos; };
    std::size_t i = desde;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t x;
        std::memcpy(&x, bytes.data() + i, 8);
        const std::uint64_t del = x ^ (kUnos * 0x7F);
        if ((menorQue20(x) | menorQue20(x ^ kAltos) | ((del - kUnos) & ~del & kAltos)) == 0) {
            continue;
        }
        for (std::size_t j = i; j < i + 8; ++j) {
            if (noEsTexto(bytes, j)) {
                return j;
            }
        }
    }
    for (; i < bytes.size(); ++i) {
        if (noEsTexto(bytes, i)) {
            return i;
        }
    }
    return std::string_view::npos;
}

std::optional<NoTexto> bytesNoTexto(std::string_view bytes) {
    std::size_t i = primeroNoTexto(bytes, 0);
    if (i == std::string_view::npos) {
        return std::nullopt;
    }
    const auto cr = std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(i), '\r');
    NoTexto hallado{static_cast<std::size_t>(cr) + 1, static_cast<unsigned char>(bytes[i]), 0};
    for (; i != std::string_view::npos; i = primeroNoTexto(bytes, i + 1)) {
        ++hallado.cuantos;
    }
    return hallado;
}

std::string hex(unsigned char c) {
    constexpr char kCifras[] = "0123456789ABCDEF";
    return std::string("0x") + kCifras[c >> 4] + kCifras[c & 15];
}

Problema problemaNoTexto(std::string archivo, const NoTexto& malo) {
    Problema p{TipoProblema::BytesNoTexto, std::move(archivo), malo.linea, {}, {}, {}};
    p.explicacion = W("tiene ") + std::to_string(malo.cuantos) +
                    (malo.cuantos == 1 ? W(" byte que no es texto") : W(" bytes que no son texto")) +
                    W(" de Windows-1252 (el primero, ") + hex(malo.byte) +
                    (malo.byte == 0                          ? W(", un NUL")
                     : malo.byte < 0x20 || malo.byte == 0x7F ? W(", de control")
                                                             : "") +
                    W(")");
    return p;
}

// The kinds of line of an article, by the viewer's key: the line upper-cased without spaces at its ends.
enum class Linea { Titulo, Ilustracion, Costado, Otra };

Linea claseDe(std::string_view linea, std::string_view& valor) {
    const std::string_view s = sinEspaciosIzquierda(linea);
    if (s.size() < 5 || s[0] != '<' || s[4] != '>') {
        return Linea::Otra;
    }
    const auto m = [&](std::size_t i) { return static_cast<char>(mayuscula(static_cast<unsigned char>(s[i]))); };
    valor = s.substr(5);
    if (m(1) == 'T' && m(2) == 'I' && m(3) == 'T') {
        return Linea::Titulo;
    }
    if (m(1) == 'I' && m(2) == 'M' && m(3) == 'G') {
        return Linea::Ilustracion;
    }
    if (m(1) == 'C' && m(2) == 'S' && m(3) == 'T') {
        return Linea::Costado;
    }
    return Linea::Otra;
}

// A picture an article names, where it names it.
struct Imagen {
    std::string nombre;
    std::size_t linea;
    bool costado;
};

struct ArticuloRevisado {
    std::vector<Problema> problemas;
    std::vector<Imagen> imagenes;
};

class Revision {
public:
    Revision(std::string directorio, const OpcionesRevision& opciones)
        : directorio_(std::move(directorio)), opciones_(opciones) {}

    Resultado<std::vector<Problema>> hacer();

private:
    bool cancelada() const { return opciones_.cancelar && opciones_.cancelar->load(); }
    void agregar(TipoProblema tipo, std::string archivo, std::size_t linea, std::string explicacion,
                 std::string articulo = {}, std::string lista = {}) {
        problemas_.push_back(
            {tipo, std::move(archivo), linea, std::move(explicacion), std::move(articulo), std::move(lista)});
    }
    // The entry for a name of the encyclopaedia, which may lead into a subdirectory.
    const Directorio::Entrada* entrada(std::string_view nombre, Directorio::Entrada& aparte) const;
    // Reads one of the encyclopaedia's own files; false, after saying why, when it cannot be read.
    bool leerPropio(std::string_view nombre, std::uint64_t limite, std::string& bytes, bool obligatorio);
    void revisarColores();
    void revisarUltimo();
    void revisarCompleta();
    ArticuloRevisado revisarArticulo(std::string_view nombre, std::size_t enCompleta, std::string& bytes) const;
    std::vector<ArticuloRevisado> revisarArticulos();
    const Directorio::Entrada* enImg(std::string_view nombre, Directorio::Entrada& aparte) const;
    // Whether the listing of IMG alone shows that a picture or caption without separators is not there.
    bool faltaEnImg(std::string_view nombre) const {
        return nombre.find_first_of("\\/") == std::string_view::npos && (!hayImg_ || !img_.buscar(nombre));
    }
    void revisarImagenes(ArticuloRevisado& r, std::string_view articulo, std::string& bytes) const;
    void revisarListas();
    void revisarDiccionario();
    void revisarSueltos();

    std::string directorio_;
    const OpcionesRevision& opciones_;
    std::vector<Problema> problemas_;
    Directorio tomo_;
    Directorio img_;
    bool hayImg_ = false;
    std::string bytesCompleta_;
    Lineas completa_;
    std::unordered_set<std::string_view> exactas_;                 // the complete list's names as written
    std::unordered_map<std::string, std::string_view> mayusculas_; // ... upper-cased, to the first so written
    Lineas listas_;

    // What the article threads found of the pictures and captions, each once.
    struct Veredicto {
        Lectura lectura = Lectura::Bien;
        bool legible = true;
    };
    mutable std::mutex cache_;
    mutable std::unordered_map<std::string, Veredicto> imagenes_;
    mutable std::unordered_map<std::string, Lectura> epigrafes_;
    mutable std::map<std::string, Problema> problemasDeEpigrafes_;
};

const Directorio::Entrada* Revision::entrada(std::string_view nombre, Directorio::Entrada& aparte) const {
    if (nombre.find_first_of("\\/") == std::string_view::npos) {
        return tomo_.buscar(nombre);
    }
    aparte.nativa = resolver(unir(directorio_, nombre)).native();
    std::error_code e;
    const auto estado = fs::symlink_status(aparte.nativa, e);
    if (e || !fs::exists(estado)) {
        return nullptr;
    }
    aparte.nombre = std::string(nombre);
    aparte.archivo = fs::is_regular_file(estado);
    aparte.directorio = fs::is_directory(estado);
    return &aparte;
}

bool Revision::leerPropio(std::string_view nombre, std::uint64_t limite, std::string& bytes, bool obligatorio) {
    const Lectura lectura = leerEntrada(tomo_.buscar(nombre), limite, bytes);
    if (lectura == Lectura::Bien) {
        if (const auto malo = bytesNoTexto(bytes)) {
            problemas_.push_back(problemaNoTexto(std::string(nombre), *malo));
        }
        return true;
    }
    if (lectura == Lectura::Falta && !obligatorio) {
        return false;
    }
    agregar(lectura == Lectura::Falta    ? TipoProblema::ArchivoPropioFaltante
            : lectura == Lectura::Grande ? TipoProblema::DemasiadoGrande
                                         : TipoProblema::ArchivoPropioFaltante,
            std::string(nombre), 0, porqueNoSeLee(lectura, limite));
    return false;
}

void Revision::revisarColores() {
    std::string bytes;
    if (!leerPropio(kColor, kLimiteColores, bytes, true)) {
        return;
    }
    const Lineas lineas = Lineas::partir(bytes);
    if (lineas.size() < 10) {
        agregar(
            TipoProblema::ColorFueraDeRango, std::string(kColor), 0,
            (lineas.size() == 1 ? W("tiene una línea") : W("tiene ") + std::to_string(lineas.size()) + W(" líneas")) +
                W("; el visor lee diez colores"));
    }
    for (std::size_t i = 0; i < std::min<std::size_t>(10, lineas.size()); ++i) {
        const auto valor = numeroDeLinea(lineas[i]);
        if (!valor) {
            agregar(TipoProblema::ColorFueraDeRango, std::string(kColor), i + 1,
                    entre(lineas[i]) + W(" no es un número"));
        } else if (*valor < 0 || *valor > 16777215) {
            agregar(TipoProblema::ColorFueraDeRango, std::string(kColor), i + 1,
                    W("el valor ") + std::to_string(*valor) + W(" no es un color (van de 0 a 16777215)"));
        }
    }
}

void Revision::revisarUltimo() {
    std::string bytes;
    if (!leerPropio(kUltimo, kLimitePequeno, bytes, false)) {
        return;
    }
    const Lineas lineas = Lineas::partir(bytes);
    if (lineas.empty()) {
        return;
    }
    const std::string_view nombre = lineas[0];
    Directorio::Entrada aparte;
    const Directorio::Entrada* e = nombreRelativoSeguro(nombre) ? entrada(nombre, aparte) : nullptr;
    if (!e || !e->archivo) {
        agregar(TipoProblema::UltimoFaltante, std::string(kUltimo), 1,
                W("nombra el artículo ") + entre(nombre) + W(", que no existe: el visor no puede abrirlo al empezar"));
    }
}

void Revision::revisarCompleta() {
    if (!leerPropio(kCompleta, kLimiteLista, bytesCompleta_, true)) {
        return;
    }
    completa_ = Lineas::partir(bytesCompleta_);
    exactas_.reserve(completa_.size());
    mayusculas_.reserve(completa_.size());
    for (std::size_t i = 0; i < completa_.size(); ++i) {
        const std::string_view nombre = completa_[i];
        if (nombre.empty()) {
            agregar(TipoProblema::ArticuloFaltante, std::string(kCompleta), i + 1,
                    W("una línea vacía no nombra ningún artículo"));
            continue;
        }
        const auto [previa, nueva] = mayusculas_.emplace(aMayusculas(nombre), nombre);
        exactas_.insert(nombre);
        if (!nueva) {
            agregar(TipoProblema::EntradaRepetida, std::string(kCompleta), i + 1,
                    W("el artículo ") + entre(nombre) + W(" ya está en la lista completa como ") +
                        entre(previa->second));
        }
    }
}

ArticuloRevisado Revision::revisarArticulo(std::string_view nombre, std::size_t enCompleta, std::string& bytes) const {
    ArticuloRevisado r;
    const std::string archivo(nombre);
    if (!nombreRelativoSeguro(nombre)) {
        r.problemas.push_back({TipoProblema::ArticuloFaltante,
                               std::string(kCompleta),
                               enCompleta,
                               entre(nombre) + W(" no es un nombre de artículo válido"),
                               {},
                               {}});
        return r;
    }
    Directorio::Entrada aparte;
    const Lectura lectura = leerEntrada(entrada(nombre, aparte), kLimiteArticulo, bytes);
    if (lectura != Lectura::Bien) {
        // A missing article is at fault in the complete list, at its line.
        if (lectura == Lectura::Grande) {
            r.problemas.push_back({TipoProblema::DemasiadoGrande,
                                   archivo,
                                   0,
                                   W("el artículo ") + porqueNoSeLee(lectura, kLimiteArticulo),
                                   {},
                                   {}});
        } else {
            r.problemas.push_back({TipoProblema::ArticuloFaltante,
                                   std::string(kCompleta),
                                   enCompleta,
                                   W("el artículo ") + entre(nombre) + " " + porqueNoSeLee(lectura, kLimiteArticulo),
                                   {},
                                   {}});
        }
        return r;
    }
    if (const auto malo = bytesNoTexto(bytes)) {
        Problema p = problemaNoTexto(archivo, *malo);
        p.articulo = archivo;
        r.problemas.push_back(std::move(p));
    }
    bool titulo = false;
    std::size_t linea = 0;
    porCadaLinea(bytes, [&](std::string_view l) {
        ++linea;
        std::string_view valor;
        switch (claseDe(l, valor)) {
        case Linea::Titulo:
            titulo = true;
            break;
        case Linea::Ilustracion:
            if (valor.find('.') == std::string_view::npos) {
                r.problemas.push_back(
                    {TipoProblema::IlustracionSinPunto,
                     archivo,
                     linea,
                     W("la ilustración ") + entre(valor) + W(" no lleva un punto: no tiene nombre de epígrafe"),
                     archivo,
                     {}});
            }
            r.imagenes.push_back({std::string(valor), linea, false});
            break;
        case Linea::Costado:
            r.imagenes.push_back({std::string(valor), linea, true});
            break;
        case Linea::Otra:
            break;
        }
    });
    if (!titulo) {
        r.problemas.push_back({TipoProblema::ArticuloSinTitulo,
                               archivo,
                               0,
                               W("no tiene línea de título: el visor lo lista sin título"),
                               archivo,
                               {}});
    }
    return r;
}

std::vector<ArticuloRevisado> Revision::revisarArticulos() {
    const std::size_t total = completa_.size();
    std::vector<ArticuloRevisado> revisados(total);
    std::atomic<std::size_t> siguiente{0};
    std::atomic<std::size_t> hechos{0};
    constexpr std::size_t kTanda = 64;
    const auto trabajar = [&](bool informa) {
        std::string bytes;
        for (;;) {
            const std::size_t desde = siguiente.fetch_add(kTanda);
            if (desde >= total || cancelada()) {
                return;
            }
            const std::size_t hasta = std::min(total, desde + kTanda);
            for (std::size_t i = desde; i < hasta; ++i) {
                if (!completa_[i].empty()) {
                    revisados[i] = revisarArticulo(completa_[i], i + 1, bytes);
                    revisarImagenes(revisados[i], completa_[i], bytes);
                }
            }
            const std::size_t ya = hechos.fetch_add(hasta - desde) + (hasta - desde);
            if (informa && opciones_.progreso) {
                opciones_.progreso(ya, total);
            }
        }
    };
    std::vector<std::thread> hilos;
    for (unsigned h = 1; h < std::max(1u, opciones_.hilos); ++h) {
        hilos.emplace_back(trabajar, false);
    }
    trabajar(true);
    for (std::thread& h : hilos) {
        h.join();
    }
    if (opciones_.progreso) {
        opciones_.progreso(hechos.load(), total);
    }
    return revisados;
}

const Directorio::Entrada* Revision::enImg(std::string_view nombre, Directorio::Entrada& aparte) const {
    if (!hayImg_) {
        return nullptr;
    }
    if (nombre.find_first_of("\\/") == std::string_view::npos) {
        return img_.buscar(nombre);
    }
    return entrada(std::string(kImg) + "\\" + std::string(nombre), aparte);
}

void Revision::revisarImagenes(ArticuloRevisado& r, std::string_view nombreArticulo, std::string& bytes) const {
    // Each picture and caption is looked at once, however many articles name it: the first thread to meet
    // it reads it, and the others find the verdict.
    const std::string articulo(nombreArticulo);
    for (const Imagen& imagen : r.imagenes) {
        std::optional<Veredicto> visto;
        if (imagen.nombre.empty() || !nombreRelativoSeguro(imagen.nombre) || faltaEnImg(imagen.nombre)) {
            visto = Veredicto{Lectura::Falta, true}; // the listing answers: nothing to read, nothing to remember
        } else {
            const std::lock_guard<std::mutex> cerrojo(cache_);
            if (const auto v = imagenes_.find(imagen.nombre); v != imagenes_.end()) {
                visto = v->second;
            }
        }
        if (!visto) {
            Directorio::Entrada aparte;
            visto = Veredicto{imagen.nombre.empty() || !nombreRelativoSeguro(imagen.nombre)
                                  ? Lectura::Falta
                                  : leerEntrada(enImg(imagen.nombre, aparte), kLimiteImagen, bytes),
                              true};
            if (visto->lectura == Lectura::Bien) {
                visto->legible = opciones_.imagenLegible ? opciones_.imagenLegible(bytes) : pareceImagen(bytes);
            }
            const std::lock_guard<std::mutex> cerrojo(cache_);
            imagenes_.emplace(imagen.nombre, *visto);
        }
        const std::string& cual = imagen.costado ? W("la imagen de costado ") : W("la ilustración ");
        if (visto->lectura == Lectura::Falta) {
            r.problemas.push_back({TipoProblema::ImagenFaltante,
                                   articulo,
                                   imagen.linea,
                                   juntar({cual, W("«"), imagen.nombre, W("»"), W(" no está en el directorio IMG")}),
                                   articulo,
                                   {}});
        } else if (visto->lectura != Lectura::Bien || !visto->legible) {
            r.problemas.push_back(
                {TipoProblema::ImagenIlegible,
                 articulo,
                 imagen.linea,
                 cual + entre(imagen.nombre) +
                     (visto->lectura == Lectura::Bien ? W(" no es una imagen que el visor pueda mostrar")
                                                      : " " + porqueNoSeLee(visto->lectura, kLimiteImagen)),
                 articulo,
                 {}});
        }
        if (imagen.costado) {
            continue;
        }
        // The viewer's caption: the name less its last three characters, then "TXT".
        if (imagen.nombre.size() < 3) {
            r.problemas.push_back({TipoProblema::EpigrafeFaltante,
                                   articulo,
                                   imagen.linea,
                                   W("el nombre de la ilustración ") + entre(imagen.nombre) +
                                       W(" es demasiado corto para tener epígrafe"),
                                   articulo,
                                   {}});
            continue;
        }
        const std::string epigrafe = imagen.nombre.substr(0, imagen.nombre.size() - 3) + "TXT";
        std::optional<Lectura> leido;
        if (!nombreRelativoSeguro(epigrafe) || faltaEnImg(epigrafe)) {
            leido = Lectura::Falta;
        } else {
            const std::lock_guard<std::mutex> cerrojo(cache_);
            if (const auto e = epigrafes_.find(epigrafe); e != epigrafes_.end()) {
                leido = e->second;
            }
        }
        if (!leido) {
            Directorio::Entrada aparte;
            leido = nombreRelativoSeguro(epigrafe) ? leerEntrada(enImg(epigrafe, aparte), kLimiteEpigrafe, bytes)
                                                   : Lectura::Falta;
            // What is wrong with the caption file itself is told once, after the articles, by its name.
            std::optional<Problema> propio;
            const std::string archivo = std::string(kImg) + "\\" + epigrafe;
            if (*leido == Lectura::Bien) {
                if (const auto malo = bytesNoTexto(bytes)) {
                    propio = problemaNoTexto(archivo, *malo);
                }
            } else if (*leido != Lectura::Falta) {
                propio =
                    Problema{*leido == Lectura::Grande ? TipoProblema::DemasiadoGrande : TipoProblema::EpigrafeFaltante,
                             archivo,
                             0,
                             W("el epígrafe ") + porqueNoSeLee(*leido, kLimiteEpigrafe),
                             {},
                             {}};
            }
            const std::lock_guard<std::mutex> cerrojo(cache_);
            if (epigrafes_.emplace(epigrafe, *leido).second && propio) {
                problemasDeEpigrafes_.emplace(epigrafe, std::move(*propio));
            }
        }
        if (*leido == Lectura::Falta) {
            std::string explicacion =
                juntar({W("la ilustración «"), imagen.nombre, W("» no tiene epígrafe ("), kImg, "\\", epigrafe, ")"});
            const auto punto = imagen.nombre.find('.');
            if (punto != std::string::npos && imagen.nombre.size() - punto != 4) {
                explicacion += W(": el editor lo guarda como ") + entre(imagen.nombre.substr(0, punto) + ".txt") +
                               W(", que el visor no busca");
            }
            r.problemas.push_back({TipoProblema::EpigrafeFaltante, articulo, imagen.linea, explicacion, articulo, {}});
        }
    }
}

void Revision::revisarListas() {
    std::string bytes;
    if (!leerPropio(kListas, kLimiteIndiceListas, bytes, true)) {
        return;
    }
    listas_ = Lineas::partir(bytes);
    std::unordered_map<std::string, std::size_t> vistas;
    std::string contenido;
    for (std::size_t i = 0; i < listas_.size() && !cancelada(); ++i) {
        const std::string lista(listas_[i]);
        if (const auto [previa, nueva] = vistas.emplace(aMayusculas(lista), i + 1); !nueva) {
            agregar(TipoProblema::EntradaRepetida, std::string(kListas), i + 1,
                    W("la lista ") + entre(lista) + W(" ya está en la línea ") + std::to_string(previa->second));
            continue;
        }
        const std::string archivo = lista + ".dat";
        Directorio::Entrada aparte;
        const Lectura lectura = nombreRelativoSeguro(archivo) && !lista.empty()
                                    ? leerEntrada(entrada(archivo, aparte), kLimiteLista, contenido)
                                    : Lectura::Falta;
        if (lectura != Lectura::Bien) {
            agregar(lectura == Lectura::Grande ? TipoProblema::DemasiadoGrande : TipoProblema::ListaFaltante,
                    std::string(kListas), i + 1,
                    W("el archivo de la lista ") + entre(lista) + W(", ") + entre(archivo) + W(", ") +
                        porqueNoSeLee(lectura, kLimiteLista));
            continue;
        }
        if (const auto malo = bytesNoTexto(contenido)) {
            Problema p = problemaNoTexto(archivo, *malo);
            p.lista = lista;
            problemas_.push_back(std::move(p));
        }
        std::unordered_set<std::string_view> enLista;
        const Lineas entradas = Lineas::partir(contenido);
        for (std::size_t j = 0; j < entradas.size(); ++j) {
            const std::string_view articulo = entradas[j];
            if (articulo.empty()) {
                continue; // an empty item names no article; a list added and never saved holds one
            }
            if (!enLista.insert(articulo).second) {
                agregar(TipoProblema::EntradaRepetida, archivo, j + 1,
                        W("el artículo ") + entre(articulo) + W(" ya está en la lista"), {}, lista);
            } else if (!exactas_.count(articulo)) {
                const auto otra = mayusculas_.find(aMayusculas(articulo));
                if (otra != mayusculas_.end()) {
                    agregar(TipoProblema::EntradaDistinta, archivo, j + 1,
                            juntar({W("el artículo «"), articulo, W("» está escrito en la lista completa como «"),
                                    otra->second, W("»: el editor no lo marca al cargar la lista")}),
                            {}, lista);
                } else {
                    agregar(TipoProblema::EntradaFueraDeCompleta, archivo, j + 1,
                            juntar({W("el artículo «"), articulo, W("» no está en la lista completa")}), {}, lista);
                }
            }
        }
    }
}

void Revision::revisarDiccionario() {
    std::string bytes;
    if (!leerPropio(kDict, kLimiteDiccionario, bytes, true)) {
        return;
    }
    std::unordered_map<std::string, std::size_t> palabras;
    std::size_t linea = 0;
    porCadaLinea(bytes, [&](std::string_view l) {
        ++linea;
        if (l.empty() || cancelada()) {
            return;
        }
        const std::string mayus = aMayusculas(l);
        const std::string_view entera(mayus);
        const std::size_t espacio = entera.find(' ');
        const std::string_view palabra = entera.substr(0, espacio);
        if (const auto [previa, nueva] = palabras.emplace(std::string(palabra), linea); !nueva) {
            agregar(TipoProblema::EntradaRepetida, std::string(kDict), linea,
                    W("la palabra ") + entre(palabra) + W(" ya está en la línea ") + std::to_string(previa->second) +
                        W(": el visor sólo muestra la primera"));
            return;
        }
        if (espacio == std::string_view::npos) {
            return;
        }
        const auto referencia = referenciaDe(sinEspaciosIzquierda(entera.substr(espacio)));
        if (!referencia) {
            return;
        }
        Directorio::Entrada aparte;
        const Directorio::Entrada* e =
            !referencia->empty() && nombreRelativoSeguro(*referencia) ? entrada(*referencia, aparte) : nullptr;
        if (!e || !e->archivo) {
            agregar(TipoProblema::ReferenciaRota, std::string(kDict), linea,
                    W("la palabra ") + entre(palabra) + W(" remite al artículo ") + entre(*referencia) +
                        W(", que no existe"));
        }
    });
}

void Revision::revisarSueltos() {
    std::unordered_set<std::string> listas;
    for (const std::string_view lista : listas_) {
        listas.insert(aMayusculas(std::string(lista) + ".dat"));
    }
    std::string bytes;
    for (const Directorio::Entrada& e : tomo_.entradas()) {
        if (!e.archivo || cancelada()) {
            continue;
        }
        const std::string mayus = aMayusculas(e.nombre);
        const bool temporal =
            e.nombre.rfind(".lumbre-", 0) == 0 && mayus.size() > 4 && mayus.compare(mayus.size() - 4, 4, ".TMP") == 0;
        // The encyclopaedia's own files, its history (".git") among them, are no articles.
        const bool propio = esNombrePropio(e.nombre);
        if (temporal || propio || mayusculas_.count(mayus) || listas.count(mayus)) {
            continue;
        }
        // A ".dat" file whose lines all name articles of the complete list is a list that the index forgot
        // (a list added and never saved holds one empty line); anything else is an article no list names.
        bool lista = false;
        if (mayus.size() > 4 && mayus.compare(mayus.size() - 4, 4, ".DAT") == 0 &&
            leerArchivo(e.dirfd, e.abrir(), kLimiteLista, bytes) == Lectura::Bien) {
            const Lineas lineas = Lineas::partir(bytes);
            lista = std::all_of(lineas.begin(), lineas.end(),
                                [&](std::string_view l) { return l.empty() || mayusculas_.count(aMayusculas(l)); });
        }
        if (lista) {
            agregar(TipoProblema::ListaSinIndice, e.nombre, 0,
                    W("es un archivo de lista que LISTAS.DAT no nombra: el visor no lo ofrece"));
        } else {
            agregar(TipoProblema::ArticuloSinLista, e.nombre, 0,
                    W("es un artículo que ninguna lista nombra: el visor no lo muestra"), e.nombre);
        }
    }
}

Resultado<std::vector<Problema>> Revision::hacer() {
    const fs::path nativa = resolver(directorio_);
    if (!tomo_.listar(nativa)) {
        return Error{"revisar la enciclotomo", directorio_, Causa::RutaNoEncontrada, {}};
    }
    if (const auto* img = tomo_.buscar(kImg); img && img->directorio) {
        hayImg_ = img_.listar(nativa / img->enDirectorio);
    } else {
        agregar(TipoProblema::ArchivoPropioFaltante, std::string(kImg), 0,
                W("el directorio de las imágenes no existe"));
    }
    std::string bytes;
    leerPropio(kDescrip, kLimitePequeno, bytes, true);
    leerPropio(kImportados, kLimiteLista, bytes, false);
    revisarColores();
    revisarUltimo();
    revisarCompleta();
    // The lists, the dictionary and the files no list names need nothing the articles show: they are looked
    // at meanwhile, and what they find is told after what the articles' threads found.
    std::vector<Problema> problemas = std::exchange(problemas_, {});
    std::vector<ArticuloRevisado> revisados;
    {
        std::jthread articulos([this, &revisados] { revisados = revisarArticulos(); });
        revisarListas();
        revisarDiccionario();
        revisarSueltos();
    }
    std::size_t cuantos = problemas.size() + problemasDeEpigrafes_.size() + problemas_.size();
    for (const ArticuloRevisado& r : revisados) {
        cuantos += r.problemas.size();
    }
    problemas.reserve(cuantos);
    for (ArticuloRevisado& r : revisados) {
        std::move(r.problemas.begin(), r.problemas.end(), std::back_inserter(problemas));
    }
    for (auto& [nombre, problema] : problemasDeEpigrafes_) {
        problemas.push_back(std::move(problema));
    }
    std::move(problemas_.begin(), problemas_.end(), std::back_inserter(problemas));
    return problemas;
}

} // namespace

std::string describir(const Problema& problema) {
    std::string texto = problema.archivo;
    if (problema.linea > 0) {
        texto += W(", línea ") + std::to_string(problema.linea);
    }
    return texto + ": " + problema.explicacion + ".";
}

bool pareceImagen(std::string_view b) {
    const auto empieza = [&](std::string_view firma) { return b.substr(0, firma.size()) == firma; };
    if (b.size() >= 26 && empieza("BM")) {
        return true;
    }
    if (empieza("GIF87a") || empieza("GIF89a")) {
        return b.size() >= 13;
    }
    if (empieza("\xFF\xD8\xFF")) {
        return b.size() > 4;
    }
    if (empieza("\x89PNG\r\n\x1A\n")) {
        return b.size() >= 33;
    }
    // Icons and cursors: reserved 0, type 1 or 2, at least one image.
    if (b.size() >= 22 && b[0] == 0 && b[1] == 0 && (b[2] == 1 || b[2] == 2) && b[3] == 0 && (b[4] != 0 || b[5] != 0)) {
        return true;
    }
    return false;
}

Resultado<std::vector<Problema>> revisarEnciclopedia(std::string_view directorio, const OpcionesRevision& opciones) {
    return Revision(std::string(directorio), opciones).hacer();
}

} // namespace store

#include "diccionario.h"

#include "codificacion.h"
#include "detalle.h"
#include "enciclopedia.h"
#include "limites.h"
#include "rutas.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace store {

namespace {

const char* const kLeer = "leer el archivo";

// The bytes of a piece of the dictionary read at a time.
constexpr std::size_t kTrozo = 64 * 1024;

// mayuscula() of every byte, looked up instead of called for each byte of a large file.
struct TablaDeMayusculas {
    char byte[256];
    TablaDeMayusculas() {
        for (int c = 0; c < 256; ++c)
            byte[c] = static_cast<char>(mayuscula(static_cast<unsigned char>(c)));
    }
    char operator()(char c) const { return byte[static_cast<unsigned char>(c)]; }
};
const TablaDeMayusculas kMayuscula;

void anexarEnMayusculas(std::string& destino, std::string_view texto) {
    const std::size_t antes = destino.size();
    destino += texto;
    for (std::size_t i = antes; i < destino.size(); ++i)
        destino[i] = kMayuscula(destino[i]);
}

#if defined(__SSE2__)
// Whether any of the 64 bytes at `p` is `a` or `b`; with kUnBit, whether any of them with the bits of `pliegue`
// set is `plegada` (the same question when the two bytes differ in those bits only).
template <bool kUnBit> inline bool alguna(const char* p, __m128i a, __m128i b, __m128i pliegue, __m128i plegada) {
    const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    const __m128i v2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
    const __m128i v3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48));
    __m128i c0, c1, c2, c3;
    if constexpr (kUnBit) {
        c0 = _mm_cmpeq_epi8(_mm_or_si128(v0, pliegue), plegada);
        c1 = _mm_cmpeq_epi8(_mm_or_si128(v1, pliegue), plegada);
        c2 = _mm_cmpeq_epi8(_mm_or_si128(v2, pliegue), plegada);
        c3 = _mm_cmpeq_epi8(_mm_or_si128(v3, pliegue), plegada);
    } else {
        c0 = _mm_or_si128(_mm_cmpeq_epi8(v0, a), _mm_cmpeq_epi8(v0, b));
        c1 = _mm_or_si128(_mm_cmpeq_epi8(v1, a), _mm_cmpeq_epi8(v1, b));
        c2 = _mm_or_si128(_mm_cmpeq_epi8(v2, a), _mm_cmpeq_epi8(v2, b));
        c3 = _mm_or_si128(_mm_cmpeq_epi8(v3, a), _mm_cmpeq_epi8(v3, b));
    }
    return _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(c0, c1), _mm_or_si128(c2, c3))) != 0;
}

// The first line start after `i` + 1 whose byte is one of the two, looking at 16 bytes per step: a line starts
// after a CR, or after the LF that a CR takes. Most steps only look for the two bytes. When there is none,
// npos, and `hasta` is the first place not looked at: the last few bytes of `t` are left to the caller.
std::size_t lineaCandidata(std::string_view t, std::size_t i, const std::array<char, 2>& iniciales,
                           std::size_t& hasta) {
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i a = _mm_set1_epi8(iniciales[0]);
    const __m128i b = _mm_set1_epi8(iniciales[1]);
    const char* d = t.data();
    std::size_t k = i + 2;
    // A step of 16 bytes: where among them a line starts with either byte, or 0.
    auto candidatas = [&](std::size_t en) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + en));
        const __m128i inicial = _mm_or_si128(_mm_cmpeq_epi8(v, a), _mm_cmpeq_epi8(v, b));
        if (_mm_movemask_epi8(inicial) == 0)
            return 0;
        const __m128i antes1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + en - 1));
        const __m128i antes2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + en - 2));
        const __m128i inicio = _mm_or_si128(_mm_cmpeq_epi8(antes1, cr),
                                            _mm_and_si128(_mm_cmpeq_epi8(antes1, lf), _mm_cmpeq_epi8(antes2, cr)));
        return _mm_movemask_epi8(_mm_and_si128(inicial, inicio));
    };
    // When the two bytes differ in one bit at most (a letter and its lower case), setting that bit in every byte
    // leaves one byte to look for, a single comparison per sixteen bytes.
    const unsigned diferencia = static_cast<unsigned char>(iniciales[0] ^ iniciales[1]);
    const bool unBit = (diferencia & (diferencia - 1)) == 0;
    const __m128i pliegue = _mm_set1_epi8(static_cast<char>(diferencia));
    const __m128i plegada = _mm_or_si128(a, pliegue);
    while (k + 16 <= t.size()) {
        // Sixty-four bytes at a time while none of them is either byte, which is nearly everywhere.
        if (unBit) {
            while (k + 64 <= t.size() && !alguna<true>(d + k, a, b, pliegue, plegada))
                k += 64;
        } else {
            while (k + 64 <= t.size() && !alguna<false>(d + k, a, b, pliegue, plegada))
                k += 64;
        }
        // Then those sixty-four (or what is left) sixteen at a time.
        for (const std::size_t tramo = k + 64; k + 16 <= t.size() && k < tramo; k += 16) {
            if (const int bits = candidatas(k))
                return k + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(bits)));
        }
    }
    hasta = k;
    return std::string_view::npos;
}
#endif

} // namespace

std::optional<std::string> buscarEnLineas(const Lineas& lineas, std::string_view palabra) {
    BusquedaEnDiccionario busqueda(palabra);
    for (const std::string_view linea : lineas) {
        if (busqueda.leer(linea) || busqueda.leer("\r\n"))
            break;
    }
    return busqueda.definicion();
}

BusquedaEnDiccionario::BusquedaEnDiccionario(std::string_view palabra) : palabra_(aMayusculas(palabra)) {
    // The bytes a line may start with to match: at most two upper-case to the word's first byte. A word starting
    // with a line end byte is left to the plain path.
    if (palabra_.empty() || palabra_[0] == '\r' || palabra_[0] == '\n')
        return;
    std::string bytes;
    for (int c = 0; c < 256; ++c) {
        if (kMayuscula(static_cast<char>(c)) == palabra_[0])
            bytes += static_cast<char>(c);
    }
    if (!bytes.empty() && bytes.size() <= 2)
        iniciales_ = std::array<char, 2>{bytes.front(), bytes.back()};
}

void BusquedaEnDiccionario::finDeLinea() {
    estado_ = Estado::Comparando;
    columna_ = 0;
}

bool BusquedaEnDiccionario::leer(std::string_view t) {
    std::size_t i = 0;
    if (crAntes_ && !t.empty()) {
        crAntes_ = false;
        if (t[0] == '\n')
            i = 1;
    }
    // A CR at i ends the current line; the LF after it, here or at the start of the next piece, goes too.
    auto saltarFin = [&] {
        ++i;
        if (i == t.size())
            crAntes_ = true;
        else if (t[i] == '\n')
            ++i;
        finDeLinea();
    };
    while (i < t.size() && estado_ != Estado::Hecho) {
        // Most lines differ from the word at their first byte: they are passed over here, a CR at a time.
        if (estado_ == Estado::Comparando && columna_ == 0 && !palabra_.empty()) {
            const char primera = palabra_[0];
            while (i < t.size() && t[i] != '\r' && kMayuscula(t[i]) != primera) {
#if defined(__SSE2__)
                if (iniciales_) {
                    // The line at i cannot match, and none starts at i + 1: the byte at i is no CR.
                    std::size_t hasta = 0;
                    const std::size_t linea = lineaCandidata(t, i, *iniciales_, hasta);
                    if (linea == std::string_view::npos) {
                        // Every line starting before `hasta` was passed over: from two bytes before it, the
                        // next CR found ends a line passed over or the one that starts at `hasta`.
                        estado_ = Estado::Saltando;
                        i = hasta - 2;
                        break;
                    }
                    i = linea;
                    finDeLinea();
                    continue;
                }
#endif
                const void* cr = std::memchr(t.data() + i, '\r', t.size() - i);
                if (!cr) {
                    estado_ = Estado::Saltando;
                    i = t.size();
                    break;
                }
                i = static_cast<std::size_t>(static_cast<const char*>(cr) - t.data());
                saltarFin();
            }
            if (i == t.size())
                break;
        }
        switch (estado_) {
        case Estado::Comparando:
            // A line exists here: a byte of it, or its CR, is at i.
            while (columna_ < palabra_.size() && i < t.size() && t[i] != '\r' &&
                   kMayuscula(t[i]) == palabra_[columna_]) {
                ++columna_;
                ++i;
            }
            if (columna_ == palabra_.size())
                estado_ = Estado::Copiando;
            else if (i < t.size() && t[i] == '\r')
                saltarFin(); // the line was shorter than the word
            else if (i < t.size())
                estado_ = Estado::Saltando;
            break;
        case Estado::Saltando:
        case Estado::Copiando: {
            const void* cr = std::memchr(t.data() + i, '\r', t.size() - i);
            const std::size_t fin = cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - t.data()) : t.size();
            if (estado_ == Estado::Copiando) {
                anexarEnMayusculas(definicion_, t.substr(i, fin - i));
                if (cr)
                    estado_ = Estado::Hecho;
                i = fin;
            } else {
                i = fin;
                if (cr)
                    saltarFin();
            }
            break;
        }
        case Estado::Hecho:
            break;
        }
    }
    return estado_ == Estado::Hecho;
}

std::optional<std::string> BusquedaEnDiccionario::definicion() const {
    if (estado_ != Estado::Copiando && estado_ != Estado::Hecho)
        return std::nullopt;
    return std::string(sinEspaciosIzquierda(definicion_));
}

Resultado<std::optional<std::string>> buscarDefinicion(std::string_view directorio, std::string_view palabra) {
    const std::string ruta = unir(directorio, kDict);
#ifdef _WIN32
    auto lineas = leerLineas(ruta, kLimiteDiccionario);
    if (!lineas)
        return lineas.error();
    return buscarEnLineas(*lineas, palabra);
#else
    const std::filesystem::path nativa = resolver(ruta);
    // Opened with O_NONBLOCK: a FIFO in the dictionary's place is refused, never waited on.
    Error error;
    const int fd = detail::abrirDentro(directorio, ruta, error);
    if (fd < 0)
        return error;
    struct Cierre {
        int fd;
        ~Cierre() { ::close(fd); }
    } cierre{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return Error{kLeer, ruta, Causa::AccesoDenegado, {}};
    if (static_cast<std::uint64_t>(st.st_size) > kLimiteDiccionario)
        return detail::demasiadoGrande(kLeer, ruta, kLimiteDiccionario);
    BusquedaEnDiccionario busqueda(palabra);
    const auto trozo = std::make_unique<char[]>(kTrozo);
    for (;;) {
        const ssize_t n = ::read(fd, trozo.get(), kTrozo);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return detail::errorDeSistema(kLeer, ruta, errno, nativa);
        if (n == 0 || busqueda.leer(std::string_view(trozo.get(), static_cast<std::size_t>(n))))
            break;
    }
    return busqueda.definicion();
#endif
}

std::optional<EntradaDeDiccionario> entradaDeDiccionario(std::string_view linea) {
    const std::string_view sin = sinEspaciosIzquierda(linea);
    if (sin.empty())
        return std::nullopt;
    const std::size_t espacio = sin.find(' ');
    const std::string_view palabra = sin.substr(0, espacio);
    const std::string_view definicion =
        espacio == std::string_view::npos ? std::string_view() : sinEspaciosIzquierda(sin.substr(espacio));
    return EntradaDeDiccionario{aMayusculas(palabra), aMayusculas(definicion)};
}

std::optional<std::string> referenciaDe(std::string_view definicion) {
    if (definicion.size() < 2 || definicion[0] != '/')
        return std::nullopt;
    return std::string(definicion.substr(1));
}

std::string limpiarPalabra(std::string_view seleccion) {
    std::string w(sinEspacios(aMayusculas(seleccion)));
    for (bool quitado = true; quitado;) {
        quitado = false;
        if (!w.empty() && std::string_view(",;:.)!").find(w.back()) != std::string_view::npos) {
            w.pop_back();
            quitado = true;
        }
        if (!w.empty() && (w.front() == '(' || w.front() == '\xA1')) {
            w.erase(0, 1);
            quitado = true;
        }
    }
    return w;
}

} // namespace store

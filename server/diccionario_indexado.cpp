#include "server/diccionario_indexado.h"

#include "store/codificacion.h"
#include "store/detalle.h"
#include "store/diccionario.h"
#include "store/enciclopedia.h"
#include "store/lineas.h"
#include "store/rutas.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <numeric>

namespace server {

namespace {

// Upper case byte by byte, as the store's look-up compares.
const std::array<unsigned char, 256>& mayusculas() {
    static const std::array<unsigned char, 256> tabla = [] {
        std::array<unsigned char, 256> t{};
        for (int c = 0; c < 256; ++c) {
            const std::string m = store::aMayusculas(std::string(1, static_cast<char>(c)));
            t[static_cast<std::size_t>(c)] = static_cast<unsigned char>(m.size() == 1 ? m[0] : static_cast<char>(c));
        }
        return t;
    }();
    return tabla;
}

struct Firma {
    dev_t dispositivo = 0;
    ino_t nodo = 0;
    off_t tamano = -1;
    std::int64_t tiempo = 0;
    bool operator==(const Firma&) const = default;
};

Firma firmaDe(const struct stat& st) {
    return {st.st_dev, st.st_ino, st.st_size,
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

} // namespace

struct DiccionarioIndexado::Indice {
    Firma firma;
    std::string bytes;
    std::vector<std::uint32_t> inicio; // of each line, in the file's order
    std::vector<std::uint32_t> largo;
    std::vector<std::uint32_t> orden; // the lines sorted by their upper-cased text, then by their place
    std::vector<std::uint32_t> menor; // a segment tree over `orden`: the earliest line of each span

    std::string_view linea(std::uint32_t i) const { return std::string_view(bytes).substr(inicio[i], largo[i]); }

    // <0, 0 or >0 as the upper-cased line sorts before the lines that begin with `palabra` (already upper-cased),
    // is one of them, or sorts after them.
    static int comparar(std::string_view linea, std::string_view palabra) {
        const auto& m = mayusculas();
        const std::size_t k = std::min(linea.size(), palabra.size());
        for (std::size_t i = 0; i < k; ++i) {
            const unsigned char a = m[static_cast<unsigned char>(linea[i])];
            const auto b = static_cast<unsigned char>(palabra[i]);
            if (a != b) {
                return a < b ? -1 : 1;
            }
        }
        return linea.size() < palabra.size() ? -1 : 0;
    }

    void construir() {
        store::porCadaLinea(bytes, [&](std::string_view l) {
            inicio.push_back(static_cast<std::uint32_t>(l.data() - bytes.data()));
            largo.push_back(static_cast<std::uint32_t>(l.size()));
        });
        const std::size_t n = inicio.size();
        orden.resize(n);
        std::iota(orden.begin(), orden.end(), 0u);
        const auto& m = mayusculas();
        std::stable_sort(orden.begin(), orden.end(), [&](std::uint32_t a, std::uint32_t b) {
            const std::string_view x = linea(a);
            const std::string_view y = linea(b);
            const std::size_t k = std::min(x.size(), y.size());
            for (std::size_t i = 0; i < k; ++i) {
                const unsigned char p = m[static_cast<unsigned char>(x[i])];
                const unsigned char q = m[static_cast<unsigned char>(y[i])];
                if (p != q) {
                    return p < q;
                }
            }
            return x.size() < y.size();
        });
        menor.assign(2 * n, 0);
        std::copy(orden.begin(), orden.end(), menor.begin() + static_cast<std::ptrdiff_t>(n));
        for (std::size_t i = n; i-- > 1;) {
            menor[i] = std::min(menor[2 * i], menor[2 * i + 1]);
        }
    }

    // The earliest line among orden[desde, hasta).
    std::uint32_t primera(std::size_t desde, std::size_t hasta) const {
        const std::size_t n = orden.size();
        std::uint32_t r = UINT32_MAX;
        for (desde += n, hasta += n; desde < hasta; desde /= 2, hasta /= 2) {
            if (desde & 1) {
                r = std::min(r, menor[desde++]);
            }
            if (hasta & 1) {
                r = std::min(r, menor[--hasta]);
            }
        }
        return r;
    }

    std::optional<std::string> buscar(std::string_view palabraOriginal) const {
        const std::string palabra = store::aMayusculas(palabraOriginal);
        const auto desde = std::partition_point(orden.begin(), orden.end(),
                                                [&](std::uint32_t i) { return comparar(linea(i), palabra) < 0; });
        const auto hasta =
            std::partition_point(desde, orden.end(), [&](std::uint32_t i) { return comparar(linea(i), palabra) <= 0; });
        if (desde == hasta) {
            return std::nullopt;
        }
        const std::uint32_t i =
            primera(static_cast<std::size_t>(desde - orden.begin()), static_cast<std::size_t>(hasta - orden.begin()));
        // The definition as the store's look-up takes it from that line.
        store::BusquedaEnDiccionario busqueda(palabraOriginal);
        if (!busqueda.leer(linea(i))) {
            [[maybe_unused]] const bool fin = busqueda.leer("\r\n");
        }
        return busqueda.definicion();
    }
};

DiccionarioIndexado::DiccionarioIndexado(std::string directorio) : directorio_(std::move(directorio)) {}

DiccionarioIndexado::~DiccionarioIndexado() = default;

store::Resultado<std::optional<std::string>> DiccionarioIndexado::buscar(std::string_view palabra) {
    const std::string ruta = store::unir(directorio_, store::kDict);
    store::Error error;
    const int fd = store::detail::abrirDentro(directorio_, ruta, error);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::uint64_t>(st.st_size) > kIndexable) {
        if (fd >= 0) {
            ::close(fd);
        }
        // Missing, unreadable, not a file or too large to hold: the store says why, or looks it up itself.
        return store::buscarDefinicion(directorio_, palabra);
    }
    std::shared_ptr<const Indice> indice;
    {
        std::lock_guard bloqueo(mutex_);
        if (!indice_ || !(indice_->firma == firmaDe(st))) {
            auto nuevo = std::make_shared<Indice>();
            nuevo->firma = firmaDe(st);
            nuevo->bytes.resize(static_cast<std::size_t>(st.st_size));
            std::size_t leidos = 0;
            while (leidos < nuevo->bytes.size()) {
                const ssize_t n =
                    ::pread(fd, nuevo->bytes.data() + leidos, nuevo->bytes.size() - leidos, static_cast<off_t>(leidos));
                if (n < 0 && errno == EINTR) {
                    continue;
                }
                if (n <= 0) {
                    break;
                }
                leidos += static_cast<std::size_t>(n);
            }
            nuevo->bytes.resize(leidos);
            nuevo->construir();
            indice_ = std::move(nuevo);
        }
        indice = indice_;
    }
    ::close(fd);
    return indice->buscar(palabra);
}

} // namespace server

#include "synthetic_store.h"

#include "store/enciclopedia.h"
#include "store/registro.h"
#include "store/rutas.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

namespace fs = std::filesystem;

namespace bench {

namespace {

// Words of Spanish prose in Windows-1252 (\xE1 á, \xE9 é, \xED í, \xF3 ó, \xFA ú, \xF1 ñ, \xFC ü).
const char* const kPalabras[] = {
    "el",
    "la",
    "de",
    "que",
    "y",
    "en",
    "los",
    "del",
    "se",
    "las",
    "por",
    "un",
    "para",
    "con",
    "una",
    "su",
    "al",
    "es",
    "como",
    "m\xE1s",
    "pero",
    "sus",
    "r\xEDo",
    "ciudad",
    "monta\xF1"
    "a",
    "ni\xF1o",
    "ping\xFCino",
    "regi\xF3n",
    "planeta",
    "historia",
    "agua",
    "tierra",
    "pa\xEDs",
    "a\xF1o",
    "siglo",
    "guerra",
    "rey",
    "iglesia",
    "puerto",
    "valle",
    "costa",
    "isla",
    "lengua",
    "cultura",
    "poblaci\xF3n",
    "econom\xED"
    "a",
    "agricultura",
    "comercio",
    "industria",
    "\xE1rbol",
    "bosque",
    "desierto",
    "llanura",
    "meseta",
    "cordillera",
    "volc\xE1n",
    "Guadalquivir",
    "Andaluc\xED"
    "a",
    "Castilla",
    "Arag\xF3n",
    "Galicia",
    "Extremadura",
    "N\xE1poles",
    "fue",
    "era",
    "tiene",
    "hab\xED"
    "a",
    "est\xE1",
    "entre",
    "sobre",
    "durante",
    "despu\xE9s",
    "tambi\xE9n",
    "cuando",
    "donde",
    "muy",
    "gran",
    "antiguo",
    "nuevo",
    "primero",
    "\xFAltimo",
    "norte",
    "sur",
    "este",
    "oeste",
    "ciudades",
    "r\xEDos",
    "planetas",
    "monta\xF1"
    "as",
    "pueblos",
    "caminos",
};
constexpr unsigned kNumPalabras = sizeof(kPalabras) / sizeof(kPalabras[0]);

struct Azar {
    unsigned estado;
    unsigned siguiente() {
        estado = estado * 1664525u + 1013904223u;
        return estado >> 8;
    }
};

std::string titulo(int i) {
    Azar a{static_cast<unsigned>(i) * 2654435761u + 7};
    std::string t = kPalabras[28 + a.siguiente() % (kNumPalabras - 28)];
    t[0] = static_cast<char>(t[0] >= 'a' && t[0] <= 'z' ? t[0] - 32 : t[0]);
    t += ' ';
    t += kPalabras[a.siguiente() % kNumPalabras];
    t += ' ';
    t += kPalabras[28 + a.siguiente() % (kNumPalabras - 28)];
    t += ' ';
    t += std::to_string(i);
    return t;
}

std::string nombreArticulo(int i) {
    return "Art" + std::to_string(i) + ".txt";
}

std::string otraCaja(std::string s) {
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 32);
        } else if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + 32);
        }
    }
    return s;
}

std::string lineas(const std::vector<std::string>& ls) {
    std::string b;
    for (const std::string& l : ls) {
        b += l;
        b += "\r\n";
    }
    return b;
}

// The drive root: a temporary directory removed at exit, or the one named with --millon, kept and reused.
struct RaizTemporal {
    fs::path dir;
    bool propia = true; // made here, removed at exit
    RaizTemporal() {
        if (const char* fija = std::getenv("LUMBRE_BENCH_RAIZ"); fija && *fija) {
            dir = fija;
            propia = false;
            std::error_code ec;
            fs::create_directories(dir, ec);
        } else {
            std::string plantilla = (fs::temp_directory_path() / "lumbre-bench-XXXXXX").string();
            if (!::mkdtemp(plantilla.data())) {
                std::perror("mkdtemp");
                std::exit(2);
            }
            dir = plantilla;
        }
        ::setenv("LUMBRE_UNIDADES", dir.c_str(), 1);
        // The user's caches (the viewer's titles, the search index) go beside the stores, never to the user's own.
        ::setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
    }
    ~RaizTemporal() {
        if (propia) {
            std::error_code ec;
            fs::remove_all(dir, ec);
        }
    }
};

RaizTemporal& raiz() {
    static RaizTemporal r;
    return r;
}

} // namespace

std::string textoEspanol(std::size_t bytes, unsigned semilla) {
    Azar a{semilla * 2246822519u + 3};
    std::string t;
    t.reserve(bytes + 64);
    std::size_t inicioLinea = 0;
    bool mayuscula = true;
    while (t.size() < bytes) {
        std::string p = kPalabras[a.siguiente() % kNumPalabras];
        if (mayuscula && p[0] >= 'a' && p[0] <= 'z') {
            p[0] = static_cast<char>(p[0] - 32);
        }
        mayuscula = false;
        t += p;
        const unsigned r = a.siguiente() % 16;
        if (r == 0) {
            t += '.';
            mayuscula = true;
        } else if (r == 1) {
            t += ',';
        }
        if (t.size() - inicioLinea > 70) {
            t += " \r\n";
            inicioLinea = t.size();
        } else {
            t += ' ';
        }
    }
    t += "\r\n";
    return t;
}

bool escribirArchivo(const fs::path& ruta, const std::string& bytes) {
    std::error_code ec;
    fs::create_directories(ruta.parent_path(), ec);
    const int fd = ::open(ruta.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    std::size_t hecho = 0;
    while (hecho < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + hecho, bytes.size() - hecho);
        if (n <= 0) {
            ::close(fd);
            return false;
        }
        hecho += static_cast<std::size_t>(n);
    }
    return ::close(fd) == 0;
}

const AlmacenSintetico& almacen(int articulos) {
    static std::map<int, std::unique_ptr<AlmacenSintetico>> hechos;
    static std::vector<std::string> directorios;
    const fs::path c = raiz().dir / "c";
    auto& hecho = hechos[articulos];
    if (!hecho) {
        auto a = std::make_unique<AlmacenSintetico>();
        a->unidades = raiz().dir;
        a->directorio = "C:\\BENCH\\T" + std::to_string(articulos);
        a->nativo = c / "BENCH" / ("T" + std::to_string(articulos));
        std::error_code ec;
        fs::create_directories(c / "BENCH", ec);
        // A store kept from an earlier run (a root of its own, --millon) is only read back: its files are made
        // from the article numbers, so the same numbers give the same files.
        const fs::path hechoAntes = raiz().dir / ("hecho-" + std::to_string(articulos));
        const bool reusar = !raiz().propia && fs::exists(hechoAntes, ec);
        if (!reusar) {
            fs::remove(hechoAntes, ec);
            fs::remove_all(a->nativo, ec); // what an interrupted run left
            if (!store::crearEnciclopedia(a->directorio, std::nullopt, "")) {
                std::fprintf(stderr, "No se pudo crear %s\n", a->directorio.c_str());
                std::exit(2);
            }
        }
        std::vector<std::string> listas[3];
        for (int i = 0; i < articulos; ++i) {
            const std::string nombre = nombreArticulo(i);
            const std::string t = titulo(i);
            std::string cuerpo;
            if (!reusar) {
                cuerpo = "<TIT>" + t + "\r\n<IMG>foto" + std::to_string(i) + ".jpg\r\n<IMG>mapa" + std::to_string(i) +
                         ".gif\r\n";
                cuerpo += textoEspanol(4096 - cuerpo.size() - 2, static_cast<unsigned>(i));
            }
            if (!reusar && !escribirArchivo(a->nativo / nombre, cuerpo)) {
                std::fprintf(stderr, "No se pudo escribir %s\n", nombre.c_str());
                std::exit(2);
            }
            a->bytesNombresYTitulos += nombre.size() + t.size();
            a->nombres.push_back(nombre);
            a->titulos.push_back(t);
            // Half the articles in each list; every other entry in another letter case than on disk.
            const bool otra = (i / 2) % 2 == 1;
            if (i % 2 == 0) {
                listas[0].push_back(otra ? otraCaja(nombre) : nombre);
            } else {
                listas[1].push_back(otra ? otraCaja(nombre) : nombre);
            }
            if (i < articulos / 2) {
                listas[2].push_back(otra ? otraCaja(nombre) : nombre);
            }
        }
        escribirArchivo(a->nativo / "COMPLETA.DAT", lineas(a->nombres));
        std::vector<std::string> nombresListas;
        for (int l = 0; l < 3; ++l) {
            nombresListas.push_back("LISTA" + std::to_string(l + 1));
            a->listas.push_back(nombresListas.back() + ".DAT");
            escribirArchivo(a->nativo / a->listas.back(), lineas(listas[l]));
        }
        escribirArchivo(a->nativo / "LISTAS.DAT", lineas(nombresListas)); // list names, without ".dat"
        escribirArchivo(a->nativo / "DESCRIP.DAT", lineas({"Enciclotomo de " + std::to_string(articulos) +
                                                               " art\xED"
                                                               "culos",
                                                           "Para medir"}));
        if (articulos > 0) {
            escribirArchivo(a->nativo / "ULTIMO.DAT", lineas({a->nombres.front()}));
        }
        if (!reusar && !raiz().propia) {
            escribirArchivo(hechoAntes, "");
        }
        directorios.push_back(a->directorio);
        escribirArchivo(c / "BENCH" / "TOMOS.DAT", lineas(directorios));
        escribirArchivo(c / "LUMBRE" / "TOMOS.DAT", lineas({"C:\\BENCH\\ACTUAL.DAT", "C:\\BENCH\\TOMOS.DAT"}));
        hecho = std::move(a);
    }
    escribirArchivo(c / "BENCH" / "ACTUAL.DAT", lineas({hecho->directorio}));
    store::olvidarDirectorio(c / "BENCH");
    return *hecho;
}

} // namespace bench

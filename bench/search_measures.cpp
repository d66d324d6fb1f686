// The full-text index at 100,000 articles of about 4 KB: building it, searching it, and bringing it up
// to date after a few articles changed.

#include "measure.h"
#include "synthetic_store.h"

#include "search/buscador.h"
#include "search/indice.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// The store, with the cache (and so the index) beside it in the temporary root, never the user's own.
const bench::AlmacenSintetico& almacenConCache(int articulos) {
    const bench::AlmacenSintetico& a = bench::almacen(articulos);
    ::setenv("XDG_CACHE_HOME", (a.unidades / "cache").c_str(), 1);
    return a;
}

void actualizarOSalir(const bench::AlmacenSintetico& a) {
    const search::Informe informe = search::actualizarIndice(a.directorio);
    if (!informe.error.empty()) {
        std::fprintf(stderr, "%s\n", informe.error.c_str());
        std::exit(2);
    }
}

bench::Resultado medirIndice(int articulos) {
    const bench::AlmacenSintetico& a = almacenConCache(articulos);
    fs::remove_all(search::rutaIndice(a.directorio));
    bench::reiniciarMemoriaPico();
    const double antes = bench::memoriaPico();
    const double s = bench::segundos([&] { actualizarOSalir(a); });
    char nota[96];
    std::snprintf(nota, sizeof nota, "peak resident memory %.0f MB, %.0f MB before", bench::memoriaPico() / 1e6,
                  antes / 1e6);
    return bench::Resultado{s, 0, "s", nota};
}

bench::Resultado medirConsultas(int articulos) {
    const bench::AlmacenSintetico& a = almacenConCache(articulos);
    actualizarOSalir(a);
    search::Buscador buscador(a.directorio);
    const char* const consultas[] = {
        "ciudad",           "montañas",  "pingüino isla", "\"ríos de Castilla\"", "guadal*",
        "historia iglesia", "Andalucia", "planeta agua",  "volcán isla",          "industria comercio puerto",
    };
    std::vector<double> tiempos;
    for (const char* consulta : consultas) {
        buscador.buscar(consulta); // the first search of a word reads its postings from disk
        tiempos.push_back(bench::segundos([&] { buscador.buscar(consulta); }));
    }
    return bench::Resultado{bench::mediana(tiempos), 0, "s"};
}

bench::Resultado medirPuestaAlDia(int articulos, int rondas) {
    const bench::AlmacenSintetico& a = almacenConCache(articulos);
    actualizarOSalir(a);
    std::vector<fs::path> rutas;
    rutas.reserve(a.nombres.size());
    for (const std::string& nombre : a.nombres) {
        rutas.push_back(a.nativo / nombre);
    }
    unsigned ronda = 0;
    return bench::intercalar(
        rondas,
        [&] {
            // Ten articles rewritten with other text, then the index brought up to date.
            ++ronda;
            for (int k = 0; k < 10; ++k) {
                const std::size_t i = (ronda * 7919u + static_cast<unsigned>(k) * 104729u) % rutas.size();
                bench::escribirArchivo(rutas[i],
                                       "<TIT>" + a.titulos[i] + "\r\n" +
                                           bench::textoEspanol(4000, ronda * 100u + static_cast<unsigned>(k)));
            }
            actualizarOSalir(a);
        },
        [&] {
            struct stat st {};
            std::size_t tam = 0;
            for (const fs::path& ruta : rutas) {
                if (::stat(ruta.c_str(), &st) == 0) {
                    tam += static_cast<std::size_t>(st.st_size);
                }
            }
            if (tam == 0) {
                std::exit(2);
            }
        });
}

LUMBRE_MEDIDA("search_index_100k", bench::Tipo::Absoluto, 60.0, [] { return medirIndice(100000); });
LUMBRE_MEDIDA("search_query_100k", bench::Tipo::Absoluto, 0.05, [] { return medirConsultas(100000); });
LUMBRE_MEDIDA("search_refresh_100k", bench::Tipo::Razon, 1.5, [] { return medirPuestaAlDia(100000, 5); });
LUMBRE_MEDIDA_MILLON("search_index_1m", bench::Tipo::Absoluto, 480.0, [] { return medirIndice(1000000); });
LUMBRE_MEDIDA_MILLON("search_query_1m", bench::Tipo::Absoluto, 0.05, [] { return medirConsultas(1000000); });
LUMBRE_MEDIDA_MILLON("search_refresh_1m", bench::Tipo::Razon, 1.5, [] { return medirPuestaAlDia(1000000, 3); });

} // namespace

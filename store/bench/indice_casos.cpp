// Measures how case-mismatched look-ups in a directory of 100,000 files compare with exact ones.
// Without the per-directory index every mismatched look-up would list the whole directory; with it, a
// mismatched look-up costs a failed stat plus a hash look-up. Prints the ratio; run by hand, not by CTest.

#include "store/detalle.h"
#include "store/rutas.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Reloj = std::chrono::steady_clock;

namespace {

double microsegundos(Reloj::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

} // namespace

int main(int argc, char** argv) {
    const int archivos = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int consultas = 20000;
    std::string plantilla = (fs::temp_directory_path() / "lumbre-bench-XXXXXX").string();
    if (!::mkdtemp(plantilla.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path raiz = plantilla;
    ::setenv("LUMBRE_UNIDADES", raiz.c_str(), 1);
    const fs::path dir = raiz / "c" / "Muchos";
    fs::create_directories(dir);

    std::vector<std::string> nombres;
    nombres.reserve(static_cast<std::size_t>(archivos));
    for (int i = 0; i < archivos; ++i) {
        nombres.push_back("Articulo" + std::to_string(i) + ".txt");
        const int fd = ::open((dir / nombres.back()).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0) {
            std::perror("open");
            return 1;
        }
        ::close(fd);
    }
    std::printf("%d files in %s\n", archivos, dir.c_str());

    auto medir = [&](bool mayusculas) {
        std::size_t encontrados = 0;
        const auto inicio = Reloj::now();
        for (int i = 0; i < consultas; ++i) {
            const std::string& n = nombres[static_cast<std::size_t>(i * 7919 % archivos)];
            std::string ruta = "C:\\Muchos\\" + n;
            if (mayusculas) {
                for (char& ch : ruta)
                    ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            }
            encontrados += fs::exists(store::resolver(ruta)) ? 1 : 0;
        }
        const double us = microsegundos(Reloj::now() - inicio) / consultas;
        return std::make_pair(us, encontrados);
    };

    // One listing of the directory, the cost every mismatched look-up would pay without an index.
    const auto inicioListado = Reloj::now();
    std::size_t entradas = 0;
    for (const auto& e : fs::directory_iterator(dir)) {
        (void)e;
        ++entradas;
    }
    const double listado = microsegundos(Reloj::now() - inicioListado);

    const auto [exacta, halladasExactas] = medir(false);
    const auto listadosAntes = store::detail::listadosDeDirectorio();
    const auto [distinta, halladasDistintas] = medir(true);
    const auto listados = store::detail::listadosDeDirectorio() - listadosAntes;

    std::printf("exact look-up:          %8.2f us (%zu of %d found)\n", exacta, halladasExactas, consultas);
    std::printf("case-mismatched look-up: %8.2f us (%zu of %d found), %zu directory listings\n", distinta,
                halladasDistintas, consultas, listados);
    std::printf("one listing of the directory (%zu entries): %.0f us\n", entradas, listado);
    std::printf("ratio mismatched / exact: %.2f (without an index it would be about %.0f)\n", distinta / exacta,
                listado / exacta);

    std::error_code ec;
    fs::remove_all(raiz, ec);
    return halladasExactas == static_cast<std::size_t>(consultas) &&
                   halladasDistintas == static_cast<std::size_t>(consultas)
               ? 0
               : 1;
}

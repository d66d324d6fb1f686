// Two programs at once: for a minute (LUMBRE_SOAK_SEGUNDOS), two writer processes save articles, lists,
// colours and descriptions and append to COMPLETA.DAT as the editor does, while this process reads them as
// the viewer does. Every read succeeds and finds one whole version of each file (no torn read); at the end
// COMPLETA.DAT holds every line each writer appended, once, whole.

#include "store/archivo_de_color.h"
#include "store/archivo_de_texto.h"
#include "store/archivos_de_lista.h"
#include "store/articulo.h"
#include "store/enciclopedia.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kEnc = "C:\\ENC";

// Version n of each file: every line of it says n, so a reader can tell a whole version from a mix.
store::Lineas cuerpo(unsigned n) {
    const std::string linea = "versi\xF3n " + std::to_string(n) + " " + std::string(n % 300, 'x');
    const std::vector<std::string> lineas(20 + n % 50, linea);
    return store::Lineas(lineas.begin(), lineas.end());
}

std::string lineaDeEscritor(int escritor, unsigned n) {
    return "W" + std::to_string(escritor) + "-" + std::to_string(n) + "-" + std::string(n % 90, 'c');
}

// A writer process: saves versions until the time is up, then exits with how many lines it appended
// (in thousands of lines it cannot count, so the count goes through a pipe).
[[noreturn]] void escribir(int escritor, int segundos, int tuberia) {
    const auto fin = std::chrono::steady_clock::now() + std::chrono::seconds(segundos);
    unsigned n = 0;
    unsigned anexadas = 0;
    int errores = 0;
    while (std::chrono::steady_clock::now() < fin) {
        ++n;
        const std::string titulo = "v" + std::to_string(n);
        errores += !store::escribirArticulo(kEnc + "\\ART" + std::to_string(n % 3) + ".TXT", titulo, {titulo + ".BMP"},
                                            cuerpo(n))
                        .ok();
        errores += !store::guardarLista(store::rutaLista(kEnc, "LISTA"), cuerpo(n)).ok();
        store::Esquema e;
        e.fill(static_cast<std::int32_t>(n * 1000 + static_cast<unsigned>(escritor)));
        errores += !store::escribirColores(kEnc, e).ok();
        errores += !store::guardarDescripcion(kEnc, {titulo, titulo}).ok();
        if (store::anexarACompleta(kEnc, lineaDeEscritor(escritor, anexadas)).ok())
            ++anexadas;
        else
            ++errores;
    }
    const unsigned cuenta[2] = {anexadas, static_cast<unsigned>(errores)};
    [[maybe_unused]] const auto w = ::write(tuberia, cuenta, sizeof cuenta);
    ::_exit(0);
}

bool todasIguales(const store::Lineas& l) {
    for (const auto& x : l) {
        if (x != l.front())
            return false;
    }
    return true;
}

TEST(DosProgramas, ElVisorNuncaLeeAMediasMientrasElEditorGuarda) {
    const char* s = std::getenv("LUMBRE_SOAK_SEGUNDOS");
    const int segundos = s ? std::atoi(s) : 60;
    const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string plantilla = (base / "lumbre-dos-XXXXXX").string();
    ASSERT_NE(::mkdtemp(plantilla.data()), nullptr);
    const fs::path raiz = plantilla;
    ::setenv("LUMBRE_UNIDADES", raiz.c_str(), 1);
    ASSERT_TRUE(store::crearEnciclopedia(kEnc, std::nullopt, "ICO").ok());

    int tuberias[2][2];
    pid_t hijos[2];
    for (int w = 0; w < 2; ++w) {
        ASSERT_EQ(::pipe(tuberias[w]), 0);
        hijos[w] = ::fork();
        ASSERT_GE(hijos[w], 0);
        if (hijos[w] == 0)
            escribir(w, segundos, tuberias[w][1]);
        ::close(tuberias[w][1]);
    }

    long lecturas = 0;
    std::map<std::string, long> rotas;
    const auto fin = std::chrono::steady_clock::now() + std::chrono::seconds(segundos);
    while (std::chrono::steady_clock::now() < fin) {
        for (int i = 0; i < 3; ++i) {
            const std::string ruta = kEnc + "\\ART" + std::to_string(i) + ".TXT";
            if (!store::existeArchivo(ruta))
                continue;
            const auto a = store::leerArticuloParaEditar(ruta, "x");
            const auto v = store::leerArticulo(ruta);
            ++lecturas;
            if (!a || !v || !todasIguales(a->cuerpo) || a->cuerpo.empty() ||
                a->cuerpo.front().find("versi\xF3n " + a->titulo.substr(1) + " ") != 0 || v->ilustraciones.size() != 1)
                ++rotas["artículo"];
        }
        const store::LecturaColores c = store::leerColores(kEnc);
        if (c.error || c.leidos != 10 ||
            (c.valores != store::kEsquemaPredeterminado &&
             std::count(c.valores.begin(), c.valores.end(), c.valores[0]) != 10))
            ++rotas["colores"];
        const auto l = store::leerLista(kEnc, "lista");
        if (l && !todasIguales(*l))
            ++rotas["lista"];
        if (!l && l.error().causa != store::Causa::NoEncontrado)
            ++rotas["lista"];
        const auto d = store::leerDescripcion(kEnc);
        if (!d || (!d->empty() && (d->size() != 2 || !todasIguales(*d))))
            ++rotas["descripción"];
        const auto completa = store::leerCompleta(kEnc);
        if (!completa)
            ++rotas["COMPLETA.DAT"];
        lecturas += 4;
    }

    unsigned anexadas[2] = {0, 0};
    for (int w = 0; w < 2; ++w) {
        unsigned cuenta[2] = {0, 0};
        ASSERT_EQ(::read(tuberias[w][0], cuenta, sizeof cuenta), static_cast<ssize_t>(sizeof cuenta));
        int estado = 0;
        ASSERT_EQ(::waitpid(hijos[w], &estado, 0), hijos[w]);
        EXPECT_EQ(cuenta[1], 0u) << "el escritor " << w << " vio fallar " << cuenta[1] << " escrituras";
        anexadas[w] = cuenta[0];
    }
    for (const auto& [que, cuantas] : rotas)
        ADD_FAILURE() << cuantas << " lecturas de " << que << " fallaron o vieron dos versiones mezcladas";

    const auto completa = store::leerCompleta(kEnc);
    ASSERT_TRUE(completa.ok());
    std::vector<unsigned> siguiente(2, 0);
    int vacias = 0;
    for (const auto& linea : *completa) {
        if (linea.empty()) {
            ++vacias;
            continue;
        }
        const int w = linea.size() > 1 ? linea[1] - '0' : -1;
        ASSERT_TRUE(w == 0 || w == 1) << linea;
        ASSERT_EQ(linea, lineaDeEscritor(w, siguiente[static_cast<std::size_t>(w)]));
        ++siguiente[static_cast<std::size_t>(w)];
    }
    EXPECT_EQ(siguiente[0], anexadas[0]);
    EXPECT_EQ(siguiente[1], anexadas[1]);
    EXPECT_EQ(vacias, 0);
    std::printf("%d s: %ld lecturas, %u + %u líneas añadidas, ninguna perdida ni rota\n", segundos, lecturas,
                anexadas[0], anexadas[1]);
    std::error_code ec;
    fs::remove_all(raiz, ec);
}

} // namespace

// The history's measures: a save with its version in a 100,000-article encyclopaedia, its first version
// against git's own command line, a sync of 100 changed articles between two copies through a folder, and the
// history of one article among 10,000 versions.

#include "measure.h"
#include "synthetic_store.h"

#include "historial/historial.h"
#include "historial/sincronizar.h"
#include "store/archivo_de_texto.h"
#include "store/archivos_de_lista.h"
#include "store/enciclopedia.h"
#include "store/rutas.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

bool orden(const std::string& texto) {
    return std::system(("(" + texto + ") >/dev/null 2>>/tmp/lumbre-bench-historial.txt").c_str()) == 0;
}

std::string entre(const fs::path& p) {
    return "'" + p.string() + "'";
}

// The 100,000-article encyclopaedia with its first version, made once; left without history at exit so that
// the other measures see the store as it was.
const bench::AlmacenSintetico& conHistorial() {
    const bench::AlmacenSintetico& s = bench::almacen(100000);
    static const bool hecho = [&] {
        if (!historial::Historial::existe(s.directorio)) {
            auto h = historial::Historial::abrir(s.directorio);
            if (h) {
                (void)(*h)->registrarTodo("Banco", "Primera versión de la enciclotomo");
            }
        }
        std::atexit([] {
            std::error_code e;
            fs::remove_all(bench::almacen(100000).nativo / ".git", e);
        });
        return true;
    }();
    (void)hecho;
    return s;
}

bench::Resultado medir_first_version_100k() {
    const bench::AlmacenSintetico& s = bench::almacen(100000);
    const fs::path otro = fs::temp_directory_path() / "lumbre-bench-git-cli";
    std::error_code e;
    fs::remove_all(s.nativo / ".git", e);
    const bench::Resultado r = bench::intercalar(
        1,
        [&] {
            fs::remove_all(s.nativo / ".git", e);
            auto h = historial::Historial::abrir(s.directorio);
            if (h) {
                (void)(*h)->registrarTodo("Banco", "Primera versión de la enciclotomo");
            }
        },
        [&] {
            // git's command line over the same files, its repository kept elsewhere.
            fs::remove_all(otro, e);
            const std::string git =
                "git -c core.autocrlf=false -c user.name=Banco -c user.email=b@b --git-dir=" + entre(otro) +
                " --work-tree=" + entre(s.nativo);
            orden("git init -q --bare " + entre(otro) + " && " + git + " add -A && " + git + " commit -q -m Primera");
        });
    fs::remove_all(otro, e);
    return r;
}

bench::Resultado medir_save_version_100k() {
    const bench::AlmacenSintetico& s = conHistorial();
    const std::string nombre = s.nombres[s.nombres.size() / 2];
    const std::string ruta = store::unir(s.directorio, nombre);
    const auto original = store::leerBytes(ruta, 1u << 30);
    auto h = historial::Historial::abrir(s.directorio);
    if (!h || !original) {
        return bench::Resultado{0, 0, "omitida: no se pudo abrir el historial"};
    }
    std::vector<double> conVersion;
    std::vector<double> solo;
    for (int i = 0; i < 15; ++i) {
        const std::string bytes = *original + "Cambio " + std::to_string(i) + "\r\n";
        solo.push_back(bench::segundos([&] { (void)store::escribirBytes(ruta, bytes + "x\r\n"); }));
        conVersion.push_back(bench::segundos([&] {
            (void)store::escribirBytes(ruta, bytes);
            (void)(*h)->registrar({nombre}, "Banco", "Guardado el artículo");
        }));
    }
    (void)store::escribirBytes(ruta, *original);
    (void)(*h)->registrar({nombre}, "Banco", "Guardado el artículo");
    bench::Resultado r{bench::mediana(conVersion), 0, "s"};
    r.nota = "el guardado solo: " + std::to_string(bench::mediana(solo)) + " s";
    return r;
}

std::uintmax_t bytesBajo(const fs::path& dir) {
    std::uintmax_t total = 0;
    std::error_code e;
    for (auto it = fs::recursive_directory_iterator(dir, e); !e && it != fs::recursive_directory_iterator();
         it.increment(e)) {
        if (it->is_regular_file(e)) {
            total += it->file_size(e);
        }
    }
    return total;
}

bench::Resultado medir_history_size_1000_saves() {
    const bench::AlmacenSintetico& s = conHistorial();
    auto h = historial::Historial::abrir(s.directorio);
    const std::string nombre = s.nombres[s.nombres.size() / 3];
    const std::string ruta = store::unir(s.directorio, nombre);
    const auto original = store::leerBytes(ruta, 1u << 30);
    if (!h || !original) {
        return bench::Resultado{0, 0, "omitida: no se pudo abrir el historial"};
    }
    (void)(*h)->empaquetar();
    const std::uintmax_t antes = bytesBajo(s.nativo / ".git");
    double empaquetando = 0;
    for (int i = 0; i < 1000; ++i) {
        (void)store::escribirBytes(ruta, *original + "Cambio " + std::to_string(i) + "\r\n");
        (void)(*h)->registrar(std::vector<std::string>(1, nombre), "Banco", "Guardado");
        // As the editor does, every 50 versions (there on a thread of its own).
        if ((*h)->sinEmpaquetar(50) >= 50) {
            empaquetando += bench::segundos([&] { (void)(*h)->empaquetar(); });
        }
    }
    (void)(*h)->empaquetar();
    const double mb = static_cast<double>(bytesBajo(s.nativo / ".git") - antes) / (1024.0 * 1024.0);
    (void)store::escribirBytes(ruta, *original);
    (void)(*h)->registrar(std::vector<std::string>(1, nombre), "Banco", "Vuelta atrás");
    bench::Resultado r{mb, 0, "MB"};
    r.nota = "empaquetar llevó " + std::to_string(empaquetando) + " s en total, fuera del guardado";
    return r;
}

bench::Resultado medir_sync_100_changes_100k() {
    const bench::AlmacenSintetico& s = conHistorial();
    const fs::path base = fs::temp_directory_path() / "lumbre-bench-sincronizar";
    std::error_code e;
    fs::remove_all(base, e);
    fs::create_directories(base, e);
    // The second copy and the folder, both made from the first with git's own tools and a plain copy.
    const fs::path otra = base / "T100000";
    const fs::path carpeta = base / "usb.git";
    if (!orden("cp -a " + entre(s.nativo) + " " + entre(otra)) ||
        !orden("git clone -q --bare " + entre(s.nativo / ".git") + " " + entre(carpeta))) {
        return bench::Resultado{0, 0, "omitida: no se pudo copiar la enciclotomo"};
    }
    const std::string b = otra.string();
    std::vector<std::pair<std::string, std::string>> originales;
    for (std::size_t i = 0; i < 100; ++i) {
        const std::string& nombre = s.nombres[i * 997 % s.nombres.size()];
        if (auto bytes = store::leerBytes(store::unir(s.directorio, nombre), 1u << 30)) {
            originales.emplace_back(nombre, *bytes);
        }
    }
    auto hb = historial::Historial::abrir(b);
    auto ha = historial::Historial::abrir(s.directorio);
    if (!ha || !hb) {
        return bench::Resultado{0, 0, "omitida: no se pudo abrir el historial"};
    }
    for (int version = 0; version < 10; ++version) {
        std::vector<std::string> nombres;
        for (int k = 0; k < 10; ++k) {
            const std::string& nombre = originales[static_cast<std::size_t>(version * 10 + k)].first;
            (void)store::escribirBytes(b + "/" + nombre,
                                       bench::textoEspanol(4000, static_cast<unsigned>(version * 10 + k)));
            nombres.push_back(nombre);
        }
        (void)(*hb)->registrar(nombres, "Banco", "Guardado");
    }
    const auto sincronizar = [&](historial::Historial& h) {
        if (auto sinc = historial::Sincronizacion::preparar(h, carpeta.string())) {
            (void)(*sinc)->completar({}, "Banco");
        }
    };
    const double enviar = bench::segundos([&] { sincronizar(**hb); });
    const double recibir = bench::segundos([&] { sincronizar(**ha); });
    bench::Resultado r{enviar + recibir, 0, "s"};
    r.nota = "enviar " + std::to_string(enviar) + " s, recibir " + std::to_string(recibir) + " s";
    // The first copy back as it was: its articles and its history.
    fs::remove_all(base, e);
    for (const auto& [nombre, bytes] : originales) {
        (void)store::escribirBytes(store::unir(s.directorio, nombre), bytes);
    }
    (void)(*ha)->registrar(
        [&] {
            std::vector<std::string> n;
            for (const auto& par : originales) {
                n.push_back(par.first);
            }
            return n;
        }(),
        "Banco", "Vuelta atrás");
    return r;
}

bench::Resultado medir_article_history() {
    // 10,000 versions of a 100-article encyclopaedia kept in memory-backed storage, one in ten of them
    // changing the article whose history is listed.
    const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    const fs::path dir = base / "lumbre-bench-historia";
    std::error_code e;
    fs::remove_all(dir, e);
    const std::string tomo = dir.string();
    if (!store::crearEnciclopedia(tomo, std::nullopt, "ICONO")) {
        return bench::Resultado{0, 0, "omitida: no se pudo crear la enciclotomo"};
    }
    for (int i = 0; i < 100; ++i) {
        (void)store::escribirBytes(tomo + "/a" + std::to_string(i) + ".txt", "<TIT>A\r\n");
    }
    auto h = historial::Historial::abrir(tomo);
    if (!h || !(*h)->registrarTodo("Banco", "Primera")) {
        return bench::Resultado{0, 0, "omitida: no se pudo crear el historial"};
    }
    for (int v = 1; v < 10000; ++v) {
        const std::string nombre = v % 10 == 0 ? "a0.txt" : "a" + std::to_string(1 + v % 99) + ".txt";
        (void)store::escribirBytes(tomo + "/" + nombre, "<TIT>A\r\n" + std::to_string(v) + "\r\n");
        (void)(*h)->registrar({nombre}, "Banco", "Guardado");
    }
    std::vector<double> tiempos;
    std::size_t cuantas = 0;
    for (int i = 0; i < 5; ++i) {
        tiempos.push_back(bench::segundos([&] {
            auto v = (*h)->versiones("a0.txt");
            cuantas = v ? v->size() : 0;
        }));
    }
    fs::remove_all(dir, e);
    bench::Resultado r{bench::mediana(tiempos), 0, "s"};
    r.nota = std::to_string(cuantas) + " versiones del artículo";
    return r;
}

LUMBRE_MEDIDA("first_version_100k", bench::Tipo::Razon, 1.5, medir_first_version_100k);
LUMBRE_MEDIDA("save_version_100k", bench::Tipo::Absoluto, 0.15, medir_save_version_100k);
LUMBRE_MEDIDA("history_size_1000_saves", bench::Tipo::Absoluto, 20, medir_history_size_1000_saves);
LUMBRE_MEDIDA("sync_100_changes_100k", bench::Tipo::Absoluto, 2.0, medir_sync_100_changes_100k);
LUMBRE_MEDIDA("article_history", bench::Tipo::Absoluto, 0.2, medir_article_history);

} // namespace

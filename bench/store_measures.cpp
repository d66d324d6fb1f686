// The store's measures: the title listing, a dictionary miss and the editor's loading of an encyclopaedia,
// each against what the machine needs at least to do the same work.

#include "measure.h"
#include "synthetic_store.h"

#include "editor/estado.h"
#include "editor/lista_marcable.h"
#include "editor/sesion.h"
#include "editor/taller.h"
#include "editor/versiones.h"
#include "store/archivos_de_lista.h"
#include "store/codificacion.h"
#include "store/enciclopedia.h"
#include "store/lector_de_titulos.h"
#include "store/rutas.h"
#include "ui/texto.h"
#include "windows/consulta_palabra.h"

#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QSettings>
#include <QStringListModel>
#include <QVBoxLayout>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unordered_map>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kBufer = 64 * 1024;

using NombresEnDisco = std::unordered_map<std::string, std::string>; // upper-case name -> native path

// Reads a native file to its end with plain POSIX calls; the bytes read.
std::size_t leerHastaElFinal(const char* ruta, char* bufer) {
    const int fd = ::open(ruta, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    std::size_t total = 0;
    for (ssize_t n; (n = ::read(fd, bufer, kBufer)) > 0;) {
        total += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return total;
}

void salir(const char* que) {
    std::fprintf(stderr, "No se pudo preparar la medida: %s\n", que);
    std::exit(2);
}

// Every article once, as the first two lists name them: half the names in another letter case than on disk.
// The floor opens the files by their names on disk.
bench::Resultado listar(int articulos, int rondas) {
    const bench::AlmacenSintetico& s = bench::almacen(articulos);
    store::Lineas nombres;
    for (int l = 0; l < 2; ++l) {
        auto lista = store::leerLineas(store::unir(s.directorio, s.listas[static_cast<std::size_t>(l)]));
        if (!lista) {
            salir("las listas");
        }
        nombres.agregar(*lista);
    }
    // The floor reads the same files in the same order, by their names on disk.
    NombresEnDisco enDisco;
    for (const std::string& n : s.nombres) {
        enDisco.emplace(store::aMayusculas(n), (s.nativo / n).native());
    }
    std::vector<std::string> rutas;
    for (const std::string_view n : nombres) {
        rutas.push_back(enDisco.at(store::aMayusculas(n)));
    }
    enDisco.clear();
    std::size_t leidos = 0;
    const auto bufer = std::make_unique<char[]>(kBufer);
    const bench::Resultado r = bench::intercalar(
        rondas,
        [&] {
            store::LectorTitulos lector(s.directorio);
            for (const std::string_view n : nombres) {
                const auto t = lector.titulo(n);
                leidos += t ? t->size() : 0;
            }
        },
        [&] {
            for (const std::string& r : rutas) {
                leidos += leerHastaElFinal(r.c_str(), bufer.get());
            }
        });
    return leidos > 0 ? r : bench::Resultado{};
}

LUMBRE_MEDIDA("listing_100k", bench::Tipo::Razon, 1.3, [] { return listar(100000, 7); });
LUMBRE_MEDIDA_MILLON("listing_1m", bench::Tipo::Razon, 1.3, [] { return listar(1000000, 3); });

// A word no line begins with, looked up as a double-click in the article does (its stem, when one differs, is
// looked up too), so the whole dictionary of 1,000,000 lines is read.
LUMBRE_MEDIDA("dict_1m", bench::Tipo::Razon, 2.0, [] {
    const bench::AlmacenSintetico& s = bench::almacen(0);
    const std::string directorio = s.directorio + "\\DICC";
    const fs::path archivo = s.nativo / "DICC" / "DICT.DAT";
    std::string bytes;
    bytes.reserve(48u << 20);
    for (int i = 0; i < 1000000; ++i) {
        std::string palabra;
        for (int v = i; palabra.size() < 5; v /= 25) {
            palabra += static_cast<char>('A' + v % 25); // never Z
        }
        bytes += palabra + "  Definici\xF3n de la palabra n\xFAmero " + std::to_string(i) + ".\r\n";
    }
    if (!bench::escribirArchivo(archivo, bytes)) {
        salir("el diccionario");
    }
    int encontradas = 0;
    std::size_t leidos = 0;
    const auto bufer = std::make_unique<char[]>(kBufer);
    // Five look-ups against five readings a round, so that even the floor takes tens of milliseconds.
    constexpr int kVeces = 5;
    const bench::Resultado r = bench::intercalar(
        9,
        [&] {
            for (int i = 0; i < kVeces; ++i) {
                const QString definicion = consulta::definicionPara(directorio, "ZONA");
                encontradas += definicion == QString::fromUtf16(consulta::kNoSeEncuentra) ? 0 : 1;
            }
        },
        [&] {
            for (int i = 0; i < kVeces; ++i)
                leidos += leerHastaElFinal(archivo.c_str(), bufer.get());
        });
    return encontradas == 0 && leidos > 0 ? r : bench::Resultado{};
});

// "Cargar Enciclotomo" in the editor shown offscreen, against what a load that makes no object per entry cannot
// avoid: reading COMPLETA.DAT, decoding its names into a list of strings, and two uniform-size list views over a
// model holding them, shown and laid out.
bench::Resultado cargarEnForja(int articulos, int rondas) {
    const bench::AlmacenSintetico& s = bench::almacen(articulos);
    // The editor signs each version with the author's name, asked once: it is kept beside the stores, never in
    // the user's own settings, so that nothing stops to ask.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       QString::fromLocal8Bit(std::getenv("LUMBRE_UNIDADES")) + QStringLiteral("/config"));
    forja::guardarAutor(QStringLiteral("Banco de pruebas"));
    SesionForja sesion;
    Taller taller(sesion);
    taller.show();
    taller.txtRaiz->setText(QStringLiteral("C:\\BENCH"));
    taller.cmdCargarRaiz_Click();
    const qsizetype fila = sesion.raiz()->tomos().indexOf(ui::desdeStore(s.directorio));
    if (fila < 0) {
        salir("el registro del editor");
    }
    taller.lstTomos->setCurrentIndex(taller.lstTomos->model()->index(static_cast<int>(fila), 0));
    QApplication::processEvents();

    const std::string completa = (s.nativo / std::string(store::kCompleta)).string();
    const bench::Resultado r = bench::intercalar(
        rondas,
        [&] {
            taller.cmdTomoLoad_Click();
            QApplication::processEvents();
        },
        [&] {
            std::string bytes;
            const int fd = ::open(completa.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) {
                salir("COMPLETA.DAT");
            }
            char bufer[kBufer];
            for (ssize_t n; (n = ::read(fd, bufer, kBufer)) > 0;) {
                bytes.append(bufer, static_cast<std::size_t>(n));
            }
            ::close(fd);
            QStringList nombres;
            const std::string_view todo(bytes);
            for (std::size_t i = 0; i < todo.size();) {
                std::size_t fin = todo.find('\n', i);
                fin = fin == std::string_view::npos ? todo.size() : fin;
                std::string_view linea = todo.substr(i, fin - i);
                if (!linea.empty() && linea.back() == '\r') {
                    linea.remove_suffix(1);
                }
                if (!linea.empty()) {
                    nombres << ui::desdeStore(linea);
                }
                i = fin + 1;
            }
            QWidget ventana;
            auto* capa = new QVBoxLayout(&ventana);
            auto* modelo = new QStringListModel(std::move(nombres), &ventana);
            auto* lista = new QListView(&ventana);
            auto* marcable = new QListView(&ventana);
            lista->setUniformItemSizes(true);
            marcable->setUniformItemSizes(true);
            lista->setModel(modelo);
            marcable->setModel(modelo);
            capa->addWidget(lista);
            capa->addWidget(marcable);
            ventana.show();
            QApplication::processEvents();
        });
    return taller.lstLstArts->count() == static_cast<int>(s.nombres.size()) &&
                   taller.lstArticulos->count() == static_cast<int>(s.nombres.size())
               ? r
               : bench::Resultado{};
}

LUMBRE_MEDIDA("forja_load_100k", bench::Tipo::Razon, 1.5, [] { return cargarEnForja(100000, 5); });
LUMBRE_MEDIDA_MILLON("forja_load_1m", bench::Tipo::Razon, 1.5, [] { return cargarEnForja(1000000, 3); });

} // namespace

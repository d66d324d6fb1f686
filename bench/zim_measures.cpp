// Importing from a synthetic ZIM file of wiki-shaped Spanish articles with pictures, written once with libzim's
// writer: a topic reached by links from 20 articles, every article of the file, and the suggestions as one
// types a title. The import is measured against reading the same entries with libzim and writing as many bytes
// to as many new files, each through the store's own writer (which syncs every file as the import does).
//
// The file holds LUMBRE_BENCH_ZIM articles (2,000 unless said, so that a run takes a few minutes on a small
// machine; 100000 gives the full size), one in five with a picture of its own; the topic takes 5,000 of them (a
// quarter of a smaller file).

#include "measure.h"
#include "synthetic_store.h"

#include "importar/documento.h"
#include "importar/importacion.h"
#include "importar/qt/imagenes.h"
#include "importar/tests/zim_prueba.h"
#include "importar/zim.h"
#include "store/archivo_de_texto.h"
#include "store/codificacion.h"
#include "store/enciclopedia.h"
#include "store/rutas.h"

#include <QBuffer>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

namespace fs = std::filesystem;

std::size_t articulosDelArchivo() {
    const char* n = std::getenv("LUMBRE_BENCH_ZIM");
    const long v = n ? std::atol(n) : 0;
    return v >= 100 ? static_cast<std::size_t>(v) : 2000;
}

std::string titulo(std::size_t i) {
    return "Art\xC3\xAD"
           "culo " +
           std::to_string(i) +
           " de la campa\xC3\xB1"
           "a";
}

std::string ruta(std::size_t i) {
    return "Articulo_" + std::to_string(i);
}

std::string png(unsigned semilla) {
    QImage foto(64, 48, QImage::Format_RGB32);
    foto.fill(QColor(static_cast<int>(semilla * 37 % 256), static_cast<int>(semilla * 91 % 256), 120));
    for (int x = 0; x < 64; x += 4) {
        foto.setPixel(x, static_cast<int>(semilla % 48), qRgb(255, 255, 255));
    }
    QByteArray b;
    QBuffer buffer(&b);
    buffer.open(QIODevice::WriteOnly);
    foto.save(&buffer, "PNG");
    return b.toStdString();
}

// A page as the wikis publish it: sections, paragraphs, an infobox, links to eight others, a reference, a
// navigation box, and one page in five a figure with its caption.
std::string pagina(std::size_t i, std::size_t n) {
    std::string cuerpo = "<table class=\"infobox\"><tr><th>N\xC3\xBAmero</th><td>" + std::to_string(i) +
                         "</td></tr><tr><th>Categor\xC3\xAD"
                         "a</th><td>Prueba</td></tr></table><section><p>";
    for (const char c : store::cp1252AUtf8(bench::textoEspanol(1800, static_cast<unsigned>(i)))) {
        cuerpo += c == '\r' || c == '\n' ? ' ' : c;
    }
    cuerpo += "</p><p>V\xC3\xA9"
              "ase ";
    for (std::size_t k = 1; k <= 8; ++k) {
        const std::size_t j = (i * 7 + k * 131 + k * k * 17) % n;
        cuerpo += "<a href=\"./" + ruta(j) + "\" rel=\"mw:WikiLink\">" +
                  (k % 2 ? "Palabra" + std::to_string(j) : titulo(j)) + "</a>, ";
    }
    cuerpo += "y m\xC3\xA1s.<sup class=\"mw-ref reference\"><a href=\"#cite_note-1\">[1]</a></sup></p>";
    if (i % 5 == 0) {
        cuerpo += "<figure typeof=\"mw:File/Thumb\"><a href=\"./Archivo:F" + std::to_string(i) +
                  "\"><img src=\"./I/Foto_" + std::to_string(i) +
                  ".png\"></a><figcaption>Ilustraci\xC3\xB3n del "
                  "art\xC3\xAD"
                  "culo " +
                  std::to_string(i) + "</figcaption></figure>";
    }
    cuerpo += "</section><section><h2>Notas</h2><ol class=\"references\"><li id=\"cite_note-1\">Fuente de "
              "prueba.</li></ol></section><div class=\"navbox\"><a href=\"./Articulo_0\">Inicio</a></div>";
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + titulo(i) + "</title></head><body><h1>" +
           titulo(i) + "</h1>" + cuerpo + "</body></html>";
}

struct ZimSintetico {
    fs::path archivo;
    std::size_t articulos = 0;
};

const ZimSintetico& zimSintetico() {
    static const ZimSintetico z = [] {
        bench::almacen(0); // the drive root, and a temporary directory removed at exit
        ZimSintetico r;
        r.articulos = articulosDelArchivo();
        r.archivo = fs::path(std::getenv("LUMBRE_UNIDADES")) / ("sintetico-" + std::to_string(r.articulos) + ".zim");
        prueba::ArchivoZim a;
        a.indice = false;
        a.metadatos = {{"Name", "sintetico_es"},    {"Title", "Sint\xC3\xA9tico"}, {"Language", "spa"},
                       {"License", "CC BY-SA 4.0"}, {"Creator", "Lumbre"},         {"Publisher", "Lumbre"}};
        for (std::size_t i = 0; i < r.articulos; ++i) {
            a.entradas.push_back({ruta(i), titulo(i), "text/html", pagina(i, r.articulos)});
            if (i % 5 == 0) {
                a.entradas.push_back(
                    {"I/Foto_" + std::to_string(i) + ".png", "", "image/png", png(static_cast<unsigned>(i))});
            }
        }
        prueba::escribirZim(r.archivo.string(), a);
        return r;
    }();
    return z;
}

// A new empty encyclopaedia for each round, C:\BENCH\<prefijo><n>.
std::string tomoNuevo(const char* prefijo) {
    static int n = 0;
    const std::string dir = "C:\\BENCH\\" + std::string(prefijo) + std::to_string(++n);
    (void)store::crearEnciclopedia(dir, std::nullopt, std::string(766, '\0'));
    return dir;
}

void borrar(const std::string& tomo) {
    std::error_code e;
    fs::remove_all(store::resolver(tomo), e);
}

// What an import wrote: the sizes of the files of the encyclopaedia and of IMG.
std::vector<std::uintmax_t> tamanos(const std::string& tomo) {
    std::vector<std::uintmax_t> r;
    std::error_code e;
    for (fs::recursive_directory_iterator it(store::resolver(tomo), e), fin; !e && it != fin; it.increment(e)) {
        if (it->is_regular_file(e)) {
            r.push_back(it->file_size(e));
        }
    }
    return r;
}

bench::Resultado medirImportacion(const importar::SeleccionZim& seleccion, int rondas, std::string* cuantos) {
    const ZimSintetico& z = zimSintetico();
    std::string error;
    const auto fuente = importar::FuenteZim::abrir(z.archivo, error);
    if (!fuente) {
        return bench::Resultado{0, 0, "omitida: " + error};
    }
    importar::Opciones opciones;
    opciones.convertir = importar::convertirConQt;
    std::vector<importar::PaginaZim> paginas;
    std::vector<std::string> imagenes;
    std::vector<std::uintmax_t> escritos;
    std::size_t importados = 0;
    bench::reiniciarMemoriaPico();
    const double alEmpezar = bench::memoriaPico();
    const double anonimaAlEmpezar = bench::MemoriaAnonima::ahora();
    const bench::MemoriaAnonima anonima;
    const bench::Resultado r = bench::intercalar(
        rondas,
        [&] {
            const std::string tomo = tomoNuevo("ZIM");
            const auto elegidas = importar::seleccionar(*fuente, seleccion, importar::enlacesDeArticuloZim);
            auto plan = importar::planearZim(*fuente, elegidas.paginas, tomo, opciones);
            if (plan) {
                importados = importar::ejecutar(*plan).importados.size();
                paginas = elegidas.paginas;
                imagenes.clear();
                for (const importar::ArticuloPlaneado& a : plan->articulos) {
                    for (const importar::IlustracionPlaneada& il : a.ilustraciones) {
                        imagenes.push_back(il.entrada);
                    }
                }
            }
            escritos = tamanos(tomo);
            borrar(tomo);
        },
        [&] {
            // The floor: the same entries read with libzim, as many bytes written to as many new files.
            const std::string tomo = tomoNuevo("SUELO");
            std::size_t leidos = 0;
            for (const importar::PaginaZim& p : paginas) {
                leidos += fuente->contenido(p.ruta, 64ull << 20).value_or(std::string()).size();
            }
            for (const std::string& i : imagenes) {
                leidos += fuente->contenido(i, 64ull << 20).value_or(std::string()).size();
            }
            for (std::size_t k = 0; k < escritos.size(); ++k) {
                const std::string archivo = store::unir(tomo, "F" + std::to_string(k) + ".TXT");
                (void)store::escribirBytes(archivo, std::string(escritos[k], 'x'));
            }
            borrar(tomo);
            (void)leidos;
        });
    char nota[300];
    std::snprintf(nota, sizeof nota,
                  "%zu art\xC3\xAD"
                  "culos de %zu, %zu im\xC3\xA1genes, %zu archivos; memoria pico %.0f MB (%.0f al empezar), sin la "
                  "de archivos %.0f MB (%.0f al empezar)",
                  importados, z.articulos, imagenes.size(), escritos.size(), bench::memoriaPico() / 1e6,
                  alEmpezar / 1e6, anonima.pico() / 1e6, anonimaAlEmpezar / 1e6);
    *cuantos = nota;
    return importados > 0 ? r : bench::Resultado{};
}

bench::Resultado tema() {
    const std::size_t n = zimSintetico().articulos;
    importar::SeleccionZim s;
    for (std::size_t i = 0; i < 20; ++i) {
        s.temas.push_back(ruta(i * (n / 20)));
    }
    s.profundidad = 3;
    s.maximoTema = std::min<std::size_t>(5000, n / 4);
    std::string nota;
    bench::Resultado r = medirImportacion(s, 3, &nota);
    r.nota = nota;
    return r;
}

bench::Resultado todo() {
    const std::size_t n = zimSintetico().articulos;
    importar::SeleccionZim s;
    for (std::size_t i = 0; i < n; ++i) {
        s.titulos.push_back(ruta(i));
    }
    // At full size one round of each side takes minutes, its files hundreds of thousands: one round then.
    std::string nota;
    bench::Resultado r = medirImportacion(s, n >= 20000 ? 1 : 3, &nota);
    r.nota = nota;
    return r;
}

// The slowest of the suggestions for every prefix of 1 to 8 letters of 100 titles, as one types them.
bench::Resultado sugerencias() {
    const ZimSintetico& z = zimSintetico();
    std::string error;
    const auto fuente = importar::FuenteZim::abrir(z.archivo, error);
    if (!fuente) {
        return bench::Resultado{0, 0, "omitida: " + error};
    }
    std::vector<double> tiempos;
    std::size_t halladas = 0;
    for (std::size_t i = 0; i < 100; ++i) {
        const std::string t = titulo((i * 7919) % z.articulos);
        for (std::size_t k = 1; k <= 8 && k <= t.size(); ++k) {
            tiempos.push_back(bench::segundos([&] { halladas += fuente->sugerir(t.substr(0, k), 12).size(); }));
        }
    }
    const double peor = *std::max_element(tiempos.begin(), tiempos.end());
    char nota[120];
    std::snprintf(nota, sizeof nota, "la peor de %zu pulsaciones; mediana %.4f s", tiempos.size(),
                  bench::mediana(tiempos));
    return halladas > 0 ? bench::Resultado{peor, 0, "s", nota} : bench::Resultado{};
}

LUMBRE_MEDIDA("import_zim_topic", bench::Tipo::Razon, 3.0, tema);
LUMBRE_MEDIDA("import_zim_100k", bench::Tipo::Razon, 3.0, todo);
LUMBRE_MEDIDA("zim_suggest", bench::Tipo::Absoluto, 0.05, sugerencias);

} // namespace

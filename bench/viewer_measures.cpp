// Measures of the viewer on the synthetic stores, offscreen.
//
// startup_100k    start until both windows are shown and the event loop turns, against the same start-up
//                 on an empty encyclopaedia; each start in a fresh process (lumbre-bench --medir visor).
// full_list_100k  start until every title is listed (same processes), against opening, reading to the end
//                 and closing every listed article with plain POSIX calls.
// memory_100k     peak resident memory of those processes at 100,000 articles less that of the empty
//                 encyclopaedia, against the bytes of the names and titles (target: four times as much).
// narrow_lists_100k  narrowing the selector with the three lists ticked (150,000 entries, half of them in
//                 another letter case than on disk) until every title is listed, against reading those files.
// ui_gap_100k     the longest time between two turns of the event loop from the first turn of the start-up
//                 until every title is listed, and during a narrowing (its own process).
// open_10mb       opening a 10 MB article with 100 illustration lines, against reading the file and setting
//                 the same text in a bare text box.

#include "measure.h"
#include "synthetic_store.h"

#include "main_window/modelo_de_titulos.h"
#include "main_window/ventana_principal.h"
#include "store/rutas.h"
#include "ui/dialogos.h"
#include "ui/texto.h"
#include "windows/caja_articulo.h"
#include "windows/selector.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTimer>
#include <QWindow>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <memory>
#include <sstream>

namespace {

constexpr int kArticulos = 100000;
constexpr int kRondas = 5;
constexpr int kRondasAbrir = 15;

// Opens, reads to the end and closes each file: the floor of every listing.
void leerArchivos(const std::vector<std::filesystem::path>& rutas) {
    static char buffer[1 << 16];
    for (const auto& ruta : rutas) {
        const int fd = ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            std::fprintf(stderr, "no se pudo abrir %s\n", ruta.c_str());
            std::exit(2);
        }
        while (::read(fd, buffer, sizeof buffer) > 0) {
        }
        ::close(fd);
    }
}

std::vector<std::filesystem::path> rutasDe(const bench::AlmacenSintetico& a, const std::vector<std::string>& nombres) {
    std::vector<std::filesystem::path> rutas;
    rutas.reserve(nombres.size());
    for (const std::string& n : nombres) {
        rutas.push_back(a.nativo / n);
    }
    return rutas;
}

void esperarListado(const ModeloDeTitulos* indice) {
    while (indice->listando()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

// Until every name has its title listed (from the cache or the files), the check aside. The names themselves
// are there once the listing has read its list: before, there are neither names nor titles.
void esperarTitulos(const ModeloDeTitulos* indice) {
    while (indice->listando() &&
           (indice->cantidadTitulos() == 0 || indice->cantidadTitulos() < indice->cantidadNombres())) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

// Counts the longest time between two turns of the event loop while it runs: a timer that should fire every
// millisecond records how late each firing is.
class Huecos {
public:
    Huecos() {
        temporizador_.setTimerType(Qt::PreciseTimer);
        temporizador_.setInterval(1);
        QObject::connect(&temporizador_, &QTimer::timeout, [this] {
            const qint64 ahora = reloj_.nsecsElapsed();
            peor_ = std::max(peor_, ahora - anterior_);
            anterior_ = ahora;
        });
    }
    void empezar() {
        reloj_.start();
        anterior_ = 0;
        temporizador_.start();
    }
    void parar() {
        temporizador_.stop();
        peor_ = std::max(peor_, reloj_.nsecsElapsed() - anterior_);
    }
    double peorSegundos() const { return static_cast<double>(peor_) / 1e9; }

private:
    QTimer temporizador_;
    QElapsedTimer reloj_;
    qint64 anterior_ = 0;
    qint64 peor_ = 0;
};

// --- in a process of its own: lumbre-bench --medir visor <arranque|huecos> ---------------------------------
// Starts the viewer on the current encyclopaedia of the store the parent made ($LUMBRE_UNIDADES).
int medirVisor(const std::vector<std::string>& argumentos) {
    const bool huecos = !argumentos.empty() && argumentos[0] == "huecos";
    ui::Dialogos::modoPrueba(true); // nothing may wait for an answer
    QElapsedTimer reloj;
    reloj.start();
    auto* w = new VentanaPrincipal; // left to the end of the process, as the program does
    if (!w->Form_Load()) {
        return 1;
    }
    w->show();
    Huecos h;
    if (huecos) {
        h.empezar();
    }
    auto expuestas = [w] {
        return w->windowHandle() && w->windowHandle()->isExposed() && w->selector()->windowHandle() &&
               w->selector()->windowHandle()->isExposed();
    };
    do {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    } while (!expuestas());
    const double arranque = static_cast<double>(reloj.nsecsElapsed()) / 1e9;
    esperarTitulos(w->titulos());
    const double listado = static_cast<double>(reloj.nsecsElapsed()) / 1e9;
    esperarListado(w->titulos()); // titles listed from the cache are checked meanwhile
    const double comprobado = static_cast<double>(reloj.nsecsElapsed()) / 1e9;
    if (huecos) {
        Selector* s = w->selector();
        for (int i = 0; i < s->lstDats->count(); ++i) {
            s->lstDats->item(i)->setCheckState(Qt::Checked);
        }
        s->cmdTamano_Click();
        s->cmdTamano_Click();
        esperarListado(w->titulos());
        h.parar();
    }
    std::printf("arranque %.9g\nlistado %.9g\ncomprobado %.9g\nmemoria %.9g\nhueco %.9g\ntitulos %d\n", arranque,
                listado, comprobado, bench::memoriaPico(), h.peorSegundos(), w->titulos()->rowCount());
    std::fflush(stdout);
    w->titulos()->esperarHilos(); // the title cache is written for the next start
    std::_Exit(0);                // the process ends at once, as the viewer does
}

const bool kModoVisor = bench::registrarModoHijo("visor", medirVisor);

std::map<std::string, double> correrVisor(const std::string& como) {
    QProcess hijo;
    hijo.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    hijo.start(QCoreApplication::applicationFilePath(),
               {QStringLiteral("--medir"), QStringLiteral("visor"), QString::fromStdString(como)});
    if (!hijo.waitForFinished(120000) || hijo.exitCode() != 0) {
        std::fprintf(stderr, "el visor medido no terminó bien\n");
        std::exit(2);
    }
    std::map<std::string, double> valores;
    std::istringstream salida(hijo.readAllStandardOutput().toStdString());
    std::string clave;
    double valor = 0;
    while (salida >> clave >> valor) {
        valores[clave] = valor;
    }
    return valores;
}

// The start-up measures share their processes: each round starts the viewer on the large encyclopaedia, then
// on an empty one, then reads every article as the floor. The first round is a warm-up (it also writes the
// title cache that later starts list from).
struct Arranques {
    bench::Resultado arranque, listado, memoria;
};

Arranques medirArranques(int articulos, int rondas) {
    bench::almacen(0);
    const bench::AlmacenSintetico& grande = bench::almacen(articulos);
    const auto rutas = rutasDe(grande, grande.nombres);
    std::vector<double> arranque, arranqueVacio, listado, suelo, memoria, memoriaVacio;
    for (int ronda = 0; ronda < rondas + 1; ++ronda) {
        bench::almacen(articulos);
        auto g = correrVisor("arranque");
        if (static_cast<int>(g["titulos"]) != articulos) {
            std::fprintf(stderr, "startup: %g títulos listados de %d\n", g["titulos"], articulos);
            std::exit(2);
        }
        bench::almacen(0);
        auto v = correrVisor("arranque");
        const double s = bench::segundos([&] { leerArchivos(rutas); });
        if (ronda == 0) {
            continue; // warming up
        }
        arranque.push_back(g["arranque"]);
        listado.push_back(g["listado"]);
        memoria.push_back(g["memoria"]);
        arranqueVacio.push_back(v["arranque"]);
        memoriaVacio.push_back(v["memoria"]);
        suelo.push_back(s);
    }
    Arranques a;
    a.arranque = {bench::mediana(arranque), bench::mediana(arranqueVacio), "s"};
    a.listado = {bench::mediana(listado), bench::mediana(suelo), "s"};
    a.memoria = {bench::mediana(memoria) - bench::mediana(memoriaVacio),
                 static_cast<double>(grande.bytesNombresYTitulos), "B"};
    return a;
}

const Arranques& arranques() {
    static const Arranques hechos = medirArranques(kArticulos, kRondas);
    return hechos;
}

const Arranques& arranquesMillon() {
    static const Arranques hechos = medirArranques(1000000, 3);
    return hechos;
}

LUMBRE_MEDIDA("startup_100k", bench::Tipo::Razon, 1.5, [] { return arranques().arranque; });
LUMBRE_MEDIDA("full_list_100k", bench::Tipo::Razon, 1.5, [] { return arranques().listado; });
LUMBRE_MEDIDA("memory_100k", bench::Tipo::Razon, 4.0, [] { return arranques().memoria; });
LUMBRE_MEDIDA_MILLON("startup_1m", bench::Tipo::Razon, 1.5, [] { return arranquesMillon().arranque; });
LUMBRE_MEDIDA_MILLON("full_list_1m", bench::Tipo::Razon, 1.5, [] { return arranquesMillon().listado; });
LUMBRE_MEDIDA_MILLON("memory_1m", bench::Tipo::Razon, 4.0, [] { return arranquesMillon().memoria; });

bench::Resultado huecos(int articulos) {
    bench::almacen(articulos);
    std::vector<double> huecos;
    for (int ronda = 0; ronda < 3; ++ronda) {
        huecos.push_back(correrVisor("huecos")["hueco"]);
    }
    return bench::Resultado{bench::mediana(huecos), 0, "s"};
}

LUMBRE_MEDIDA("ui_gap_100k", bench::Tipo::Absoluto, 0.1, [] { return huecos(kArticulos); });
LUMBRE_MEDIDA_MILLON("ui_gap_1m", bench::Tipo::Absoluto, 0.1, [] { return huecos(1000000); });

// The files the three lists name, as they are on disk (the lists spell half of them in another case).
std::vector<std::filesystem::path> archivosDeLasListas(const bench::AlmacenSintetico& a) {
    std::map<std::string, std::string> enDisco;
    for (const std::string& n : a.nombres) {
        std::string clave = n;
        for (char& c : clave) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        enDisco[clave] = n;
    }
    std::vector<std::string> nombres;
    for (const std::string& lista : a.listas) {
        std::FILE* f = std::fopen((a.nativo / lista).c_str(), "rb");
        char linea[512];
        while (f && std::fgets(linea, sizeof linea, f)) {
            std::string clave(linea);
            while (!clave.empty() && (clave.back() == '\n' || clave.back() == '\r')) {
                clave.pop_back();
            }
            for (char& c : clave) {
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            }
            nombres.push_back(enDisco.at(clave));
        }
        if (f) {
            std::fclose(f);
        }
    }
    return rutasDe(a, nombres);
}

bench::Resultado angostar(int articulos, int rondas) {
    const bench::AlmacenSintetico& a = bench::almacen(articulos);
    const auto rutas = archivosDeLasListas(a);
    ui::Dialogos::modoPrueba(true);
    VentanaPrincipal w;
    if (!w.Form_Load()) {
        std::exit(2);
    }
    w.show();
    esperarListado(w.titulos());
    Selector* s = w.selector();
    for (int i = 0; i < s->lstDats->count(); ++i) {
        s->lstDats->item(i)->setCheckState(Qt::Checked);
    }
    auto r = bench::intercalar(
        rondas,
        [&] {
            s->cmdTamano_Click();
            s->cmdTamano_Click();
            esperarListado(w.titulos());
        },
        [&] { leerArchivos(rutas); });
    if (w.titulos()->rowCount() != static_cast<int>(rutas.size())) {
        std::fprintf(stderr, "narrow_lists_100k: %d títulos de %zu\n", w.titulos()->rowCount(), rutas.size());
        std::exit(2);
    }
    return r;
}

LUMBRE_MEDIDA("narrow_lists_100k", bench::Tipo::Razon, 1.5, [] { return angostar(kArticulos, kRondas); });
LUMBRE_MEDIDA_MILLON("narrow_lists_1m", bench::Tipo::Razon, 1.5, [] { return angostar(1000000, 3); });

bench::Resultado abrir10mb() {
    const bench::AlmacenSintetico& a = bench::almacen(0);
    // 10 MB of text in paragraphs of twenty lines, with a title line and 100 illustration lines spread
    // through it.
    const std::string texto = bench::textoEspanol(10u << 20, 77);
    std::vector<std::string> lineas;
    for (std::size_t desde = 0; desde < texto.size();) {
        const std::size_t fin = texto.find("\r\n", desde);
        lineas.push_back(texto.substr(desde, fin - desde));
        desde = fin + 2;
    }
    std::string articulo = "<TIT>Un art\xED"
                           "culo muy largo\r\n";
    std::string corrido; // what the text box shows: lines run together, a break for each "/" line
    const std::size_t cadaIlustracion = lineas.size() / 100;
    int ilustraciones = 0;
    for (std::size_t i = 0; i < lineas.size(); ++i) {
        if (i % cadaIlustracion == 0 && ilustraciones < 100) {
            articulo += "<IMG>ilustracion" + std::to_string(ilustraciones++) + ".jpg\r\n";
        }
        if (i % 20 == 19) {
            articulo += "/\r\n";
            corrido += '\n';
        }
        articulo += lineas[i] + "\r\n";
        corrido += lineas[i];
    }
    const std::filesystem::path nativa = a.nativo / "GRANDE.TXT";
    bench::escribirArchivo(nativa, articulo);
    const QString mostrado = ui::desdeStore(corrido);

    ui::Dialogos::modoPrueba(true);
    VentanaPrincipal w;
    if (!w.Form_Load()) {
        std::exit(2);
    }
    w.show();
    const auto* cuerpo = w.findChild<CajaArticulo*>(QStringLiteral("txtArticulo"));
    const auto* esquema = w.findChild<QListWidget*>(QStringLiteral("lstEsquema"));
    QPlainTextEdit desnuda;
    desnuda.setReadOnly(true);
    desnuda.setGeometry(cuerpo->geometry());
    desnuda.show();
    QCoreApplication::processEvents();
    const std::string ruta = store::unir(a.directorio, "GRANDE.TXT");
    // More rounds than the start-ups: one takes a tenth of a second, and its median should not move with
    // a moment of the machine's other work.
    auto r = bench::intercalar(
        kRondasAbrir,
        [&] {
            w.Abrir(ruta);
            QCoreApplication::processEvents();
        },
        [&] {
            leerArchivos({nativa});
            desnuda.setPlainText(mostrado);
            QCoreApplication::processEvents();
        });
    if (cuerpo->toPlainText().size() != mostrado.size() || esquema->count() != 100) {
        std::fprintf(stderr, "open_10mb: el artículo no se mostró entero\n");
        std::exit(2);
    }
    return r;
}

LUMBRE_MEDIDA("open_10mb", bench::Tipo::Razon, 1.5, abrir10mb);

} // namespace

// --- cold measures ----------------------------------------------------------------------------------------
// cold_start_100k  start until every title is listed with the store's files out of the page cache (the title
//                  cache too), against reading every article cold (printed, not a target: seconds).
// cold_check_100k  the same starts until the check of every article against the cache is done, against
//                  looking at (fstatat) every article cold.
namespace {

// Empties the page cache: all of it where the kernel lets this process (root with a writable /proc/sys), else
// the pages of each of the store's files and of the user's cache, with posix_fadvise.
void vaciarCacheDePaginas(const bench::AlmacenSintetico& a) {
    ::sync();
    if (std::FILE* f = std::fopen("/proc/sys/vm/drop_caches", "w")) {
        const bool hecho = std::fputs("3", f) >= 0;
        if (std::fclose(f) == 0 && hecho) {
            return;
        }
    }
    auto desalojar = [](const std::filesystem::path& ruta) {
        const int fd = ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd >= 0) {
            ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
            ::close(fd);
        }
    };
    std::error_code ec;
    for (const auto& dir : {a.nativo, a.unidades / "cache"}) {
        for (auto it = std::filesystem::recursive_directory_iterator(dir, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            if (it->is_regular_file(ec)) {
                desalojar(it->path());
            }
        }
    }
}

// Looks at every article of the directory by its name on disk, relative to the open directory.
void mirarArchivos(const bench::AlmacenSintetico& a) {
    const int dir = ::open(a.nativo.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st {};
    std::size_t vistos = 0;
    for (const std::string& n : a.nombres) {
        vistos += ::fstatat(dir, n.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 ? 1 : 0;
    }
    ::close(dir);
    if (vistos != a.nombres.size()) {
        std::fprintf(stderr, "cold: faltan artículos\n");
        std::exit(2);
    }
}

struct Frios {
    bench::Resultado arranque, comprobacion;
};

const Frios& frios() {
    static const Frios hechos = [] {
        const bench::AlmacenSintetico& a = bench::almacen(kArticulos);
        const auto rutas = rutasDe(a, a.nombres);
        correrVisor("arranque"); // the title cache is written
        std::vector<double> listado, comprobado, lectura, miradas;
        for (int ronda = 0; ronda < 3; ++ronda) {
            vaciarCacheDePaginas(a);
            auto g = correrVisor("arranque");
            listado.push_back(g["listado"]);
            comprobado.push_back(g["comprobado"]);
            vaciarCacheDePaginas(a);
            lectura.push_back(bench::segundos([&] { leerArchivos(rutas); }));
            vaciarCacheDePaginas(a);
            miradas.push_back(bench::segundos([&] { mirarArchivos(a); }));
        }
        Frios f;
        f.arranque = {bench::mediana(listado), bench::mediana(lectura), "s"};
        f.comprobacion = {bench::mediana(comprobado), bench::mediana(miradas), "s"};
        return f;
    }();
    return hechos;
}

LUMBRE_MEDIDA("cold_start_100k", bench::Tipo::Absoluto, 0.5, [] { return frios().arranque; });
LUMBRE_MEDIDA("cold_check_100k", bench::Tipo::Razon, 1.3, [] { return frios().comprobacion; });

} // namespace

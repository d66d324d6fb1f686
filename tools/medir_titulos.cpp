// Benchmark of the title listing: how much the selector's filling adds to reading the titles, and how
// it compares with adding the titles to a shown list one item at a time.
//
//   medir-titulos [articulos]     (default 5000)
//
// Writes an encyclopaedia of that many articles into a temporary drive root and times, in the same run:
//   base       reading every article's title through the store, nothing shown
//   Actualizar the viewer's title listing (reads every article and fills the selector)
//   uno a uno  reading the titles and adding them to a shown list one item at a time
// and prints each against the base.

#include "main_window/ventana_principal.h"
#include "store/article.h"
#include "store/paths.h"
#include "ui/dialogos.h"
#include "windows/selector.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <string>
#include <vector>

namespace {

bool escribir(const QString& ruta, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(ruta).absolutePath());
    QFile f(ruta);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray articulo(int i) {
    QByteArray b =
        "<TIT>Articulo numero " + QByteArray::number(i) + "\r\n<IMG>foto" + QByteArray::number(i) + ".png\r\n";
    for (int l = 0; l < 20; ++l) {
        b += "Una linea de texto del cuerpo del articulo, como las de cualquier enciclotomo.\r\n";
    }
    return b;
}

// One run, in milliseconds.
template <class F> double medir(F&& f) {
    QElapsedTimer r;
    r.start();
    f();
    return static_cast<double>(r.nsecsElapsed()) / 1e6;
}

double mediana(std::vector<double> t) {
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 5000;

    QTemporaryDir unidades;
    qputenv("LUMBRE_UNIDADES", unidades.path().toLocal8Bit());
    const QString c = unidades.path() + QStringLiteral("/c");
    const QString enc = c + QStringLiteral("/ENC/MUCHOS");
    escribir(c + QStringLiteral("/LUMBRE/TOMOS.DAT"), "C:\\ENC\\ACTUAL.DAT\r\nC:\\ENC\\TOMOS.DAT\r\n");
    escribir(c + QStringLiteral("/ENC/ACTUAL.DAT"), "C:\\ENC\\MUCHOS\r\n");
    escribir(enc + QStringLiteral("/LISTAS.DAT"), "");
    QByteArray completa;
    std::vector<std::string> nombres;
    for (int i = 0; i < n; ++i) {
        const QByteArray nombre = "art" + QByteArray::number(i) + ".txt";
        completa += nombre + "\r\n";
        nombres.push_back(nombre.toStdString());
        escribir(enc + QLatin1Char('/') + QString::fromLatin1(nombre), articulo(i));
    }
    escribir(enc + QStringLiteral("/COMPLETA.DAT"), completa);

    ui::Dialogos::modoPrueba(true);
    VentanaPrincipal principal;
    if (!principal.Form_Load()) {
        QTextStream(stderr) << "No se pudo abrir la enciclotomo de prueba." << Qt::endl;
        return 1;
    }
    principal.show();
    Selector* selector = principal.selector();
    const std::string dir = selector->directorio();

    QListWidget lista;
    lista.show();
    // The three are interleaved, round after round, so that a busy machine slows all of them alike.
    std::vector<double> tBase, tActualizar, tUnoAUno;
    for (int ronda = 0; ronda < 5; ++ronda) {
        tBase.push_back(medir([&] {
            for (const std::string& nombre : nombres) {
                (void)store::leerTitulo(store::unir(dir, nombre));
            }
        }));
        tActualizar.push_back(medir([&] {
            selector->lstArticulos->clear();
            principal.Actualizar();
            QApplication::processEvents();
        }));
        tUnoAUno.push_back(medir([&] {
            lista.clear();
            for (const std::string& nombre : nombres) {
                auto titulo = store::leerTitulo(store::unir(dir, nombre));
                lista.addItem(QString::fromLatin1(titulo ? titulo->c_str() : ""));
            }
            QApplication::processEvents();
        }));
    }
    const double base = mediana(tBase);
    const double actualizar = mediana(tActualizar);
    const double unoAUno = mediana(tUnoAUno);

    QTextStream out(stdout);
    out << n << " artículos (mediana de 5 pasadas)\n";
    out << QStringLiteral("  base (solo leer títulos): %1 ms\n").arg(base, 0, 'f', 1);
    out << QStringLiteral("  Actualizar:               %1 ms  (%2 x base)\n")
               .arg(actualizar, 0, 'f', 1)
               .arg(actualizar / base, 0, 'f', 2);
    out << QStringLiteral("  uno a uno:                %1 ms  (%2 x base)\n")
               .arg(unoAUno, 0, 'f', 1)
               .arg(unoAUno / base, 0, 'f', 2);
    return 0;
}

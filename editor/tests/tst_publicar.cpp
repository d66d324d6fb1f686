// The editor's window with its menu bar, and the menu "Publicar" through its real entries on the sample
// encyclopaedia: the form stays as designed under the bar, an export asks before replacing, can be
// cancelled without leaving anything, and says at the end what it wrote.

#include "editor/menu_publicar.h"
#include "editor/sesion.h"
#include "editor/taller.h"
#include "editor/tests/ayudas.h"
#include "editor/ventana_forja.h"
#include "publish/exportacion.h"
#include "tests/support/unidades.h"
#include "ui/dialogos.h"

#include <QAction>
#include <QGroupBox>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

using ui::Dialogos;

namespace {

// Clicks "Cancelar" on the progress dialog as soon as it shows.
void cancelarAlAparecer() {
    auto* reloj = new QTimer;
    reloj->setInterval(1);
    QObject::connect(reloj, &QTimer::timeout, reloj, [reloj] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* d = qobject_cast<QProgressDialog*>(w);
            if (d && d->isVisible()) {
                if (auto* boton = d->findChild<QPushButton*>()) {
                    QTest::mouseClick(boton, Qt::LeftButton);
                    reloj->stop();
                    reloj->deleteLater();
                    return;
                }
            }
        }
    });
    reloj->start();
}

const QString kTomo = QStringLiteral("C:\\ENCICLO\\SOLAR");

} // namespace

class TstPublicar : public QObject {
    Q_OBJECT

    std::unique_ptr<prueba::Unidades> u;
    std::unique_ptr<SesionForja> sesion;
    std::unique_ptr<VentanaForja> v;
    std::unique_ptr<QTemporaryDir> salida;

    Taller& t() const { return *v->taller(); }
    void cargarSolar() {
        prueba::pulsar(t().cmdCargarRaiz);
        prueba::cargarTomo(t(), kTomo);
        QCOMPARE(t().lstArticulos->count(), 13);
    }
    // Publishes through the menu entry, the destination dialog answered with `destino`.
    void publicar(const QString& formato, const QString& destino) {
        QAction* entrada = v->menuPublicar()->accion(formato);
        QVERIFY(entrada);
        Dialogos::siguienteArchivo(destino);
        entrada->trigger();
    }
    QString ultimo() const { return Dialogos::mostrados().isEmpty() ? QString() : Dialogos::mostrados().last().texto; }

private slots:
    void init() {
        Dialogos::modoPrueba(true);
        Dialogos::limpiar();
        u = std::make_unique<prueba::Unidades>();
        QVERIFY(u->instalarMuestras());
        salida = std::make_unique<QTemporaryDir>();
        sesion = std::make_unique<SesionForja>();
        v = std::make_unique<VentanaForja>(*sesion);
        v->show();
        QVERIFY(QTest::qWaitForWindowExposed(v.get()));
    }
    void cleanup() {
        v.reset();
        sesion.reset();
        u.reset();
    }

    // The bar lies above the form, which keeps its designed size and every control its place.
    void ventana_elFormularioQuedaComoSeDisenoBajoLaBarra() {
        QCOMPARE(v->windowTitle(), QStringLiteral("Generador de Enciclotomos"));
        QCOMPARE(t().size(), QSize(794, 575));
        QCOMPARE(t().pos(), QPoint(0, v->menuBar()->height()));
        QCOMPARE(v->size(), QSize(794, 575 + v->menuBar()->height()));
        QCOMPARE(t().fraRaiz->geometry(), QRect(8, 8, 329, 161));
        QCOMPARE(t().fraTomo->geometry(), QRect(8, 176, 769, 385));
        QCOMPARE(t().cmdSalir->geometry(), QRect(600, 328, 161, 49));
        QStringList formatos;
        for (QAction* a : v->menuPublicar()->menu->actions()) {
            formatos << a->data().toString();
            QVERIFY(a->text().endsWith(QStringLiteral("…")));
        }
        QCOMPARE(formatos, publish::RegistroDeFormatos::global().nombres());
        QVERIFY(formatos.contains(QStringLiteral("html")));
        QVERIFY(formatos.contains(QStringLiteral("pdf")));
        QStringList barra;
        for (QAction* a : v->menuBar()->actions()) {
            barra << QString(a->text()).remove(u'&');
        }
        QCOMPARE(barra,
                 (QStringList{QStringLiteral("Artículos"), QStringLiteral("Publicar"), QStringLiteral("Enciclotomo")}));
    }

    // "Salir" closes the whole window, not the form inside it.
    void salir_cierraLaVentana() {
        prueba::pulsar(t().cmdSalir);
        QVERIFY(!v->isVisible());
    }

    void sinEnciclotomoCargada_avisaYNoPreguntaNada() {
        v->menuPublicar()->accion(QStringLiteral("html"))->trigger();
        QCOMPARE(Dialogos::mostrados().size(), 1);
        QVERIFY2(ultimo().contains(QStringLiteral("Cargar Enciclotomo")), qPrintable(ultimo()));
    }

    // Written, reported, and nothing in the encyclopaedia's directory changed.
    void publicar_escribeElDestinoYLoDice_data() {
        QTest::addColumn<QString>("formato");
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QString>("esperado"); // a file the result holds, or the result itself
        QTest::newRow("html") << QStringLiteral("html") << QStringLiteral("sitio")
                              << QStringLiteral("sitio/index.html");
        QTest::newRow("pdf, extensión añadida")
            << QStringLiteral("pdf") << QStringLiteral("libro") << QStringLiteral("libro.pdf");
        // Run by "forja --exportar" in a process of its own, its progress and its end shown here.
        QTest::newRow("zim, en otro proceso")
            << QStringLiteral("zim") << QStringLiteral("sol.zim") << QStringLiteral("sol.zim");
    }
    void publicar_escribeElDestinoYLoDice() {
        QFETCH(QString, formato);
        QFETCH(QString, nombre);
        QFETCH(QString, esperado);
        cargarSolar();
        const auto antes = prueba::instantanea(*u);
        Dialogos::limpiar();
        publicar(formato, salida->filePath(nombre));
        QVERIFY2(QFileInfo(salida->filePath(esperado)).isFile(), qPrintable(ultimo()));
        QCOMPARE(Dialogos::mostrados().size(), 2); // the destination, then what was done
        QVERIFY2(ultimo().contains(QStringLiteral("13 artículos")), qPrintable(ultimo()));
        QVERIFY(prueba::instantanea(*u) == antes); // nothing written into the store
        QCOMPARE(QDir(salida->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 1);
    }

    // An existing destination is replaced only when the author says so.
    void destinoExistente_preguntaAntesDeReemplazar_data() {
        QTest::addColumn<int>("respuesta");
        QTest::addColumn<bool>("reemplazado");
        QTest::newRow("no") << int(QMessageBox::No) << false;
        QTest::newRow("sí") << int(QMessageBox::Yes) << true;
    }
    void destinoExistente_preguntaAntesDeReemplazar() {
        QFETCH(int, respuesta);
        QFETCH(bool, reemplazado);
        cargarSolar();
        const QString destino = salida->filePath(QStringLiteral("sitio"));
        QVERIFY(QDir().mkpath(destino + QStringLiteral("/viejo")));
        Dialogos::limpiar();
        Dialogos::siguienteRespuesta(static_cast<QMessageBox::StandardButton>(respuesta));
        publicar(QStringLiteral("html"), destino);
        QCOMPARE(Dialogos::mostrados()[1].icono, QMessageBox::Question);
        QVERIFY(Dialogos::mostrados()[1].texto.contains(destino));
        QCOMPARE(QFileInfo(destino + QStringLiteral("/viejo")).isDir(), !reemplazado);
        QCOMPARE(QFileInfo(destino + QStringLiteral("/index.html")).isFile(), reemplazado);
        QCOMPARE(Dialogos::mostrados().size(), reemplazado ? 3 : 2);
    }

    // "Cancelar" stops the export: no destination, no temporary files beside it, and the author is told.
    void cancelar_noDejaNada_data() {
        QTest::addColumn<QString>("formato");
        QTest::newRow("html") << QStringLiteral("html");
        QTest::newRow("zim, en otro proceso") << QStringLiteral("zim");
    }
    void cancelar_noDejaNada() {
        QFETCH(QString, formato);
        QByteArray completa = u->bytes("C:\\ENCICLO\\SOLAR\\COMPLETA.DAT");
        if (formato == QLatin1String("zim")) {
            // A ZIM file holds each article once: as many articles again, each of its own.
            const QByteArray sol = u->bytes("C:\\ENCICLO\\SOLAR\\SOL.TXT");
            for (int i = 0; i < 3000; ++i) {
                const std::string nombre = "COPIA" + std::to_string(i) + ".TXT";
                QVERIFY(u->escribir("C:\\ENCICLO\\SOLAR\\" + nombre, sol));
                completa += QByteArray::fromStdString(nombre) + "\r\n";
            }
        }
        for (int i = 0; i < 3000; ++i) { // the sample's articles many times over: long enough to cancel
            completa += "SOL.TXT\r\nTIERRA.TXT\r\n";
        }
        QVERIFY(u->escribir("C:\\ENCICLO\\SOLAR\\COMPLETA.DAT", completa));
        prueba::pulsar(t().cmdCargarRaiz);
        prueba::cargarTomo(t(), kTomo);
        Dialogos::limpiar();
        cancelarAlAparecer();
        publicar(formato, salida->filePath(QStringLiteral("sitio")));
        QVERIFY2(ultimo().contains(QStringLiteral("canceló")), qPrintable(ultimo()));
        QCOMPARE(QDir(salida->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }
};

QTEST_MAIN(TstPublicar)
#include "tst_publicar.moc"

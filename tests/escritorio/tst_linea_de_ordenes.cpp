// The programs' command line: "--help" and "--version", mistakes told in Spanish, and the viewer opening
// the encyclopaedia given as RUTA for this run only, without touching the current-encyclopaedia file.

#include "main_window/enciclopedia_actual.h"
#include "main_window/ventana_principal.h"
#include "tests/support/controles.h"
#include "tests/support/unidades.h"
#include "ui/dialogos.h"
#include "ui/linea_de_ordenes.h"
#include "viewer/tests/indice_de_prueba.h"
#include "windows/elector.h"
#include "windows/selector.h"

#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <memory>
#include <optional>
#include <vector>

using ui::Orden;
using ui::Programa;

namespace {
const std::string kActual = "C:\\ENCICLO\\ACTUAL.DAT";
}

class TstLineaDeOrdenes : public QObject {
    Q_OBJECT

    std::unique_ptr<prueba::Unidades> u;

private slots:
    void init() {
        ui::Dialogos::modoPrueba(true);
        ui::Dialogos::limpiar();
        u = std::make_unique<prueba::Unidades>();
        QVERIFY(u->instalarMuestras());
    }
    void cleanup() {
        olvidarEnciclopediaDeLaSesion();
        u.reset();
    }

    void leer_data() {
        QTest::addColumn<int>("programa");
        QTest::addColumn<QStringList>("argumentos");
        QTest::addColumn<int>("tipo");
        QTest::addColumn<QString>("ruta");
        QTest::addColumn<QString>("dice");
        const int tomo = int(Programa::Tomo);
        const int forja = int(Programa::Forja);
        QTest::newRow("nada") << tomo << QStringList{} << int(Orden::Tipo::Abrir) << QString() << QString();
        QTest::newRow("ruta de Windows") << tomo << QStringList{QStringLiteral("C:\\ENCICLO\\SOLAR")}
                                         << int(Orden::Tipo::Abrir) << QStringLiteral("C:\\ENCICLO\\SOLAR")
                                         << QString();
        QTest::newRow("ayuda de tomo") << tomo << QStringList{QStringLiteral("--help")} << int(Orden::Tipo::Ayuda)
                                       << QString() << QStringLiteral("Uso: tomo [opciones] [RUTA]");
        QTest::newRow("ayuda gana a una opción mala")
            << tomo << QStringList{QStringLiteral("-x"), QStringLiteral("-h")} << int(Orden::Tipo::Ayuda) << QString()
            << QStringLiteral("sin cambiar ACTUAL.DAT");
        QTest::newRow("ayuda de forja") << forja << QStringList{QStringLiteral("-h")} << int(Orden::Tipo::Ayuda)
                                        << QString() << QStringLiteral("Uso: forja [opciones]");
        QTest::newRow("versión") << forja << QStringList{QStringLiteral("--version")} << int(Orden::Tipo::Version)
                                 << QString() << QStringLiteral("forja (Lumbre) ");
        QTest::newRow("opción desconocida") << tomo << QStringList{QStringLiteral("--ayuda")} << int(Orden::Tipo::Error)
                                            << QString() << QStringLiteral("opción desconocida «--ayuda»");
        QTest::newRow("dos rutas") << tomo << QStringList{QStringLiteral("a"), QStringLiteral("b")}
                                   << int(Orden::Tipo::Error) << QString() << QStringLiteral("se dieron 2 rutas");
        QTest::newRow("forja no abre rutas")
            << forja << QStringList{QStringLiteral("C:\\ENCICLO")} << int(Orden::Tipo::Error) << QString()
            << QStringLiteral("no admite rutas");
        QTest::newRow("forja importa en una enciclotomo")
            << forja << QStringList{QStringLiteral("--importar"), QStringLiteral("textos"), QStringLiteral("C:\\E")}
            << int(Orden::Tipo::Importar) << QStringLiteral("C:\\E") << QString();
        QTest::newRow("importar sin la enciclotomo")
            << forja << QStringList{QStringLiteral("--importar"), QStringLiteral("textos")} << int(Orden::Tipo::Error)
            << QString() << QStringLiteral("--importar lleva dos rutas");
        QTest::newRow("ruta que empieza por guion")
            << tomo << QStringList{QStringLiteral("--"), QStringLiteral("-raro")} << int(Orden::Tipo::Abrir)
            << QStringLiteral("-raro") << QString();
        QTest::newRow("ayuda tras --") << tomo << QStringList{QStringLiteral("--"), QStringLiteral("--help")}
                                       << int(Orden::Tipo::Abrir) << QStringLiteral("--help") << QString();
        QTest::newRow("revisar") << forja << QStringList{QStringLiteral("--revisar"), QStringLiteral("C:\\E")}
                                 << int(Orden::Tipo::Revisar) << QStringLiteral("C:\\E") << QString();
        QTest::newRow("revisar=") << forja << QStringList{QStringLiteral("--revisar=/home/ana/E")}
                                  << int(Orden::Tipo::Revisar) << QStringLiteral("/home/ana/E") << QString();
        QTest::newRow("revisar sin ruta") << forja << QStringList{QStringLiteral("--revisar")}
                                          << int(Orden::Tipo::Error) << QString() << QStringLiteral("necesita la RUTA");
        QTest::newRow("revisar dos") << forja
                                     << QStringList{QStringLiteral("--revisar"), QStringLiteral("a"),
                                                    QStringLiteral("b")}
                                     << int(Orden::Tipo::Error) << QString() << QStringLiteral("una sola");
        QTest::newRow("tomo no revisa") << tomo << QStringList{QStringLiteral("--revisar"), QStringLiteral("a")}
                                        << int(Orden::Tipo::Error) << QString() << QStringLiteral("«--revisar»");
    }
    void leer() {
        QFETCH(int, programa);
        QFETCH(QStringList, argumentos);
        QFETCH(int, tipo);
        QFETCH(QString, ruta);
        QFETCH(QString, dice);
        const Orden o = ui::leerLineaDeOrdenes(argumentos, Programa(programa));
        QCOMPARE(int(o.tipo), tipo);
        QCOMPARE(o.ruta, ruta);
        QVERIFY2(o.mensaje.contains(dice), qPrintable(o.mensaje));
    }

    // What is answered before any window exists, so that it works without a display: help, version and
    // mistakes; a line holding one of the toolkit's own options is left for after the toolkit took it.
    void sinVentanas_data() {
        QTest::addColumn<QStringList>("argumentos");
        QTest::addColumn<int>("salida"); // -1: the program goes on
        QTest::newRow("nada") << QStringList{} << -1;
        QTest::newRow("una ruta") << QStringList{QStringLiteral("C:\\ENCICLO\\SOLAR")} << -1;
        QTest::newRow("ayuda") << QStringList{QStringLiteral("--help")} << 0;
        QTest::newRow("opción desconocida") << QStringList{QStringLiteral("--ayuda")} << 2;
        QTest::newRow("dos rutas") << QStringList{QStringLiteral("a"), QStringLiteral("b")} << 2;
        QTest::newRow("opción del toolkit con valor")
            << QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("C:\\X")} << -1;
        QTest::newRow("opción del toolkit con =")
            << QStringList{QStringLiteral("--style=fusion"), QStringLiteral("-x")} << -1;
        QTest::newRow("opción del toolkit tras --")
            << QStringList{QStringLiteral("--"), QStringLiteral("-style"), QStringLiteral("b")} << 2;
    }
    void sinVentanas() {
        QFETCH(QStringList, argumentos);
        QFETCH(int, salida);
        std::vector<QByteArray> bytes{QByteArrayLiteral("tomo")};
        for (const QString& a : argumentos) {
            bytes.push_back(a.toLocal8Bit());
        }
        std::vector<char*> argv;
        for (QByteArray& b : bytes) {
            argv.push_back(b.data());
        }
        argv.push_back(nullptr);
        const std::optional<int> fin = ui::atenderSinVentanas(int(bytes.size()), argv.data(), Programa::Tomo);
        QCOMPARE(fin.value_or(-1), salida);
    }

    // RUTA as typed: a Windows path under the drive directories, or a native one, absolute or relative;
    // anything else is refused with a sentence saying why.
    void ruta_data() {
        QTest::addColumn<QString>("ruta");
        QTest::addColumn<bool>("abre");
        QTest::addColumn<QString>("dice");
        QTest::newRow("Windows") << QStringLiteral("C:\\ENCICLO\\RIOS") << true << QString();
        QTest::newRow("Windows, otra caja") << QStringLiteral("c:/enciclo/rios") << true << QString();
        QTest::newRow("nativa") << QStringLiteral("@/ENCICLO/RIOS") << true << QString();
        QTest::newRow("relativa") << QStringLiteral("@rel") << true << QString();
        QTest::newRow("un archivo de la enciclotomo")
            << QStringLiteral("@/ENCICLO/RIOS/COMPLETA.DAT") << true << QString();
        QTest::newRow("no existe") << QStringLiteral("C:\\ENCICLO\\MARTE") << false
                                   << QStringLiteral("no existe ese directorio");
        QTest::newRow("no es una enciclotomo")
            << QStringLiteral("C:\\ENCICLO\\RIOS\\IMG") << false
            << QStringLiteral("no es una enciclotomo: le falta COMPLETA.DAT y LISTAS.DAT");
        QTest::newRow("fuera de Windows-1252") << QStringLiteral("C:\\ENCICLO\\Ωμέγα") << false
                                               << QStringLiteral("caracteres que las enciclotomos no admiten");
    }
    void ruta() {
        QFETCH(QString, ruta);
        QFETCH(bool, abre);
        QFETCH(QString, dice);
        if (ruta == QLatin1String("@rel")) {
            const QString previo = QDir::currentPath();
            QDir::setCurrent(u->unidad());
            QString motivo;
            const bool tomada = tomarEnciclopediaDeLaSesion(QStringLiteral("ENCICLO/RIOS"), &motivo);
            QDir::setCurrent(previo);
            QVERIFY2(tomada, qPrintable(motivo));
        } else {
            ruta.replace(QStringLiteral("@"), u->unidad());
            QString motivo;
            QCOMPARE(tomarEnciclopediaDeLaSesion(ruta, &motivo), abre);
            QVERIFY2(motivo.contains(dice), qPrintable(motivo));
        }
        if (abre) {
            VentanaPrincipal w;
            QVERIFY(w.Form_Load());
            QCOMPARE(w.windowTitle(), QStringLiteral("Los ríos de España"));
            QVERIFY(prueba::esperarListado(w.titulos()));
            QCOMPARE(w.titulos()->rowCount(), 4);
        }
        QCOMPARE(u->bytes(kActual), QByteArray("C:\\ENCICLO\\SOLAR\r\n"));
    }

    // The encyclopaedia given on the command line holds while the reader filters the selector, and gives way
    // to the one the reader then chooses in "Seleccionar enciclotomo".
    void sesion_duraHastaQueSeEligeOtra() {
        QVERIFY(tomarEnciclopediaDeLaSesion(QStringLiteral("C:\\ENCICLO\\RIOS"), nullptr));
        VentanaPrincipal w;
        QVERIFY(w.Form_Load());
        Selector* s = w.selector();
        QTest::mouseClick(s->cmdTamano, Qt::LeftButton);
        QTest::mouseClick(s->cmdTamano, Qt::LeftButton);
        QCOMPARE(w.directorio(), std::string("C:\\ENCICLO\\RIOS"));
        QVERIFY(prueba::esperarListado(w.titulos()));
        QCOMPARE(w.titulos()->rowCount(), 4);

        prueba::control<QAction>(w, "mnuSeleki")->trigger();
        Elector* elector = w.elector();
        const auto filas = elector->lstTomos->findItems(QStringLiteral("C:\\ENCICLO\\SOLAR"), Qt::MatchExactly);
        QCOMPARE(filas.size(), 1);
        elector->lstTomos->setCurrentItem(filas.front());
        elector->lstTomos_DblClick();
        QCOMPARE(w.directorio(), std::string("C:\\ENCICLO\\SOLAR"));
        QTest::mouseClick(s->cmdTamano, Qt::LeftButton);
        QTest::mouseClick(s->cmdTamano, Qt::LeftButton);
        QCOMPARE(w.directorio(), std::string("C:\\ENCICLO\\SOLAR"));
        QVERIFY(ui::Dialogos::mostrados().isEmpty());
    }

    // With no registry at all, an encyclopaedia given on the command line opens without any complaint.
    void sinRegistro_abreLaDeLaLineaDeOrdenes() {
        QVERIFY(QFile::remove(u->nativa("C:\\LUMBRE\\TOMOS.DAT")));
        QVERIFY(tomarEnciclopediaDeLaSesion(u->unidad() + QStringLiteral("/ENCICLO/SOLAR"), nullptr));
        VentanaPrincipal w;
        QVERIFY(w.Form_Load());
        prueba::control<QAction>(w, "mnuSeleki")->trigger();
        QVERIFY(prueba::esperarListado(w.titulos()));
        QCOMPARE(w.titulos()->rowCount(), 13);
        QVERIFY2(ui::Dialogos::mostrados().isEmpty(), qPrintable(ui::Dialogos::mostrados().value(0).texto));
    }
};

QTEST_MAIN(TstLineaDeOrdenes)
#include "tst_linea_de_ordenes.moc"

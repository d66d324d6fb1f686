// The encyclopaedia check in the editor: on the command line, one problem per line and the exit status;
// in its window, reached from the menu bar, the problems found off the UI thread and a button on each that
// opens the article or list at fault.

#include "editor/menu_revisar.h"
#include "editor/revision.h"
#include "editor/sesion.h"
#include "editor/taller.h"
#include "editor/taller_art.h"
#include "editor/tests/ayudas.h"
#include "editor/ventana_forja.h"
#include "editor/ventana_revision.h"
#include "tests/support/unidades.h"
#include "ui/dialogos.h"

#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <cstdio>

namespace {

QString leerTodo(std::FILE* f) {
    std::rewind(f);
    QByteArray bytes;
    char trozo[4096];
    for (std::size_t n; (n = std::fread(trozo, 1, sizeof trozo, f)) > 0;) {
        bytes.append(trozo, static_cast<qsizetype>(n));
    }
    return QString::fromLocal8Bit(bytes);
}

} // namespace

class TstRevision : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ui::Dialogos::modoPrueba(true); }
    void init() { ui::Dialogos::limpiar(); }

    void consola_data() {
        QTest::addColumn<QString>("quitar"); // a file of the samples removed first, or empty
        QTest::addColumn<QString>("ruta");
        QTest::addColumn<int>("estado");
        QTest::addColumn<QStringList>("lineas"); // what each line of the output begins with
        QTest::newRow("sound") << QString() << QStringLiteral("C:\\ENCICLO\\SOLAR") << 0 << QStringList{};
        QTest::newRow("an article and its dictionary reference gone")
            << QStringLiteral("C:\\ENCICLO\\SOLAR\\MARTE.TXT") << QStringLiteral("C:\\ENCICLO\\SOLAR") << 1
            << QStringList{QStringLiteral("COMPLETA.DAT, línea 7: el artículo «MARTE.TXT» no existe."),
                           QStringLiteral("DICT.DAT, línea ")};
        QTest::newRow("no such directory") << QString() << QStringLiteral("C:\\NADA") << 2 << QStringList{};
    }
    void consola() {
        QFETCH(QString, quitar);
        QFETCH(QString, ruta);
        QFETCH(int, estado);
        QFETCH(QStringList, lineas);
        prueba::Unidades u;
        QVERIFY(u.instalarMuestras());
        if (!quitar.isEmpty()) {
            QVERIFY(QFile::remove(u.nativa(quitar.toStdString())));
        }
        std::FILE* salida = std::tmpfile();
        std::FILE* errores = std::tmpfile();
        QCOMPARE(forja::revisarEnConsola(ruta, salida, errores), estado);
        const QStringList escritas = leerTodo(salida).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const QString error = leerTodo(errores);
        std::fclose(salida);
        std::fclose(errores);
        QCOMPARE(escritas.size(), lineas.size());
        for (int i = 0; i < lineas.size(); ++i) {
            QVERIFY2(escritas[i].startsWith(lineas[i]), qPrintable(escritas[i]));
        }
        QCOMPARE(error.isEmpty(), estado != 2);
    }

    // The editor's window: the form under a menu bar that takes its own height, every control of the form
    // where it was designed, and the check among the bar's menus.
    void barra_noMueveElFormulario() {
        prueba::Unidades u;
        SesionForja sesion;
        VentanaForja v(sesion);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        QCOMPARE(v.windowTitle(), QStringLiteral("Generador de Enciclotomos"));
        QCOMPARE(v.taller()->size(), QSize(794, 575));
        QCOMPARE(v.taller()->pos(), QPoint(0, v.menuBar()->height()));
        QCOMPARE(v.taller()->fraTomo->geometry(), QRect(8, 176, 769, 385));
        QStringList menus;
        for (QAction* a : v.menuBar()->actions()) {
            menus << a->text();
        }
        QVERIFY2(menus.contains(QStringLiteral("&Enciclotomo")) && menus.contains(QStringLiteral("&Artículos")),
                 qPrintable(menus.join(QLatin1Char(' '))));
        QVERIFY(v.menuBar()->findChild<QAction*>(QStringLiteral("mnuRevisar")));
        // "Salir" ends the whole window, not only the form inside it.
        prueba::pulsar(v.taller()->cmdSalir);
        QVERIFY(!v.isVisible());
    }

    void ventana_abreLoQueFalla() {
        prueba::Unidades u;
        QVERIFY(u.instalarMuestras());
        QVERIFY(QFile::remove(u.nativa("C:\\ENCICLO\\SOLAR\\IMG\\CAPAS.txt")));
        QVERIFY(u.escribir("C:\\ENCICLO\\SOLAR\\PLANETAS INTERIORES.dat", "MERCURIO.TXT\r\nvenus.txt\r\n"));
        const auto antes = prueba::instantanea(u);
        SesionForja sesion;
        Taller t(sesion);
        QMenuBar barra;
        forja::agregarMenuEnciclotomo(&t, &barra);
        auto* revisar = barra.findChild<QAction*>(QStringLiteral("mnuRevisar"));
        QVERIFY(revisar);
        QCOMPARE(revisar->text(), QStringLiteral("&Revisar la enciclotomo…"));

        // Nothing loaded: the author is told, and no window opens.
        revisar->trigger();
        QVERIFY(!t.ventanaRevision());
        QCOMPARE(ui::Dialogos::mostrados().size(), 1);

        t.show();
        prueba::pulsar(t.cmdCargarRaiz);
        prueba::cargarTomo(t, QStringLiteral("C:\\ENCICLO\\SOLAR"));
        revisar->trigger();
        VentanaRevision* v = t.ventanaRevision();
        QVERIFY(v && v->isVisible());
        QTRY_VERIFY(!v->revisando());
        QCOMPARE(v->barProgreso->value(), v->barProgreso->maximum());
        QCOMPARE(v->lstProblemas->topLevelItemCount(), 2);
        QCOMPARE(v->lblResumen->text(), QStringLiteral("Se encontraron 2 problemas."));
        QVERIFY(prueba::instantanea(u) == antes); // the check writes nothing

        // Each row's button opens what it is about: the list, then the article.
        const auto pulsarFila = [&](const QString& donde) {
            const auto filas = v->lstProblemas->findItems(donde, Qt::MatchStartsWith, 0);
            QVERIFY2(filas.size() == 1, qPrintable(donde));
            const QModelIndex i = v->lstProblemas->model()->index(v->lstProblemas->indexOfTopLevelItem(filas[0]), 2);
            QTest::mouseClick(v->lstProblemas->viewport(), Qt::LeftButton, {}, v->lstProblemas->visualRect(i).center());
        };
        pulsarFila(QStringLiteral("PLANETAS INTERIORES.dat, línea 2"));
        QCOMPARE(t.txtLista->text(), QStringLiteral("PLANETAS INTERIORES.dat"));
        pulsarFila(QStringLiteral("SOL.TXT"));
        QVERIFY(t.tallerArt());
        QCOMPARE(t.txtArticulo->text(), QStringLiteral("SOL.TXT"));
        QVERIFY(t.tallerArt()->lstImagenes->model()->rowCount() > 0);

        // With another encyclopaedia loaded, what was checked is not opened in it.
        prueba::cargarTomo(t, QStringLiteral("C:\\ENCICLO\\RIOS"));
        ui::Dialogos::limpiar();
        v->lstProblemas->setCurrentItem(v->lstProblemas->topLevelItem(0));
        prueba::pulsar(v->cmdAbrir);
        QCOMPARE(ui::Dialogos::mostrados().size(), 1);
        t.tallerArt()->cerrarSinPreguntar();
    }
};

QTEST_MAIN(TstRevision)
#include "tst_revision.moc"

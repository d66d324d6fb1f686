// Windows that grow: the main window, the selector and the editor's two windows may be made larger (never smaller
// than designed); the article text, the titles and the article body take the extra room and the other
// controls keep their places relative to their edges. Back at the designed size every control stands
// exactly where it was designed. Where the user left a window is remembered in the user's configuration.

#include "editor/sesion.h"
#include "editor/taller.h"
#include "editor/taller_art.h"
#include "main_window/ventana_principal.h"
#include "tests/support/unidades.h"
#include "ui/anclas.h"
#include "ui/dialogos.h"
#include "ui/twips.h"
#include "windows/selector.h"

#include <QApplication>
#include <QFontInfo>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

enum Cambio { Queda = 0, Se_mueve = 1, Crece = 2 };

// The expected geometry of a control designed at `r` when its window grows by (dx, dy).
QRect esperada(QRect r, int horizontal, int vertical, int dx, int dy) {
    if (horizontal == Se_mueve) {
        r.translate(dx, 0);
    } else if (horizontal == Crece) {
        r.setWidth(r.width() + dx);
    }
    if (vertical == Se_mueve) {
        r.translate(0, dy);
    } else if (vertical == Crece) {
        r.setHeight(r.height() + dy);
    }
    return r;
}

} // namespace

class TstVentanasQueCrecen : public QObject {
    Q_OBJECT

    std::unique_ptr<prueba::Unidades> u;
    std::unique_ptr<VentanaPrincipal> visor;
    std::unique_ptr<SesionForja> sesion;
    std::unique_ptr<Taller> taller;

    // The window named in a row, shown at its designed size.
    QWidget* ventana(const QString& cual) {
        if (cual.startsWith(QLatin1String("selector"))) {
            Selector* s = visor->selector();
            if (cual.endsWith(QLatin1String("ancho"))) {
                QTest::mouseClick(s->cmdTamano, Qt::LeftButton);
            }
            return s;
        }
        if (cual == QStringLiteral("editor")) {
            taller->show();
            return taller.get();
        }
        if (cual == QStringLiteral("artículo")) {
            auto* art = new TallerArt(*sesion, taller.get());
            art->show();
            return art;
        }
        return visor.get();
    }

private slots:
    void init() {
        ui::Dialogos::modoPrueba(true);
        ui::Dialogos::limpiar();
        u = std::make_unique<prueba::Unidades>();
        QVERIFY(u->instalarMuestras());
        visor = std::make_unique<VentanaPrincipal>();
        QVERIFY(visor->Form_Load());
        visor->show();
        QVERIFY(QTest::qWaitForWindowExposed(visor.get()));
        sesion = std::make_unique<SesionForja>();
        taller = std::make_unique<Taller>(*sesion);
    }
    void cleanup() {
        taller.reset();
        sesion.reset();
        visor.reset();
        u.reset();
    }

    void crecer_data() {
        QTest::addColumn<QString>("cual");
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("horizontal");
        QTest::addColumn<int>("vertical");
        QTest::newRow("texto del artículo")
            << QStringLiteral("principal") << QStringLiteral("txtArticulo") << int(Crece) << int(Crece);
        QTest::newRow("franja del título")
            << QStringLiteral("principal") << QStringLiteral("pctTitulo") << int(Crece) << int(Queda);
        QTest::newRow("nombre de la enciclotomo")
            << QStringLiteral("principal") << QStringLiteral("pctSubtitulo") << int(Crece) << int(Queda);
        QTest::newRow("esquema") << QStringLiteral("principal") << QStringLiteral("pctEsquema") << int(Queda)
                                 << int(Queda);
        QTest::newRow("ilustración") << QStringLiteral("principal") << QStringLiteral("pctContiene") << int(Queda)
                                     << int(Queda);
        QTest::newRow("imagen de costado")
            << QStringLiteral("principal") << QStringLiteral("imgCostado") << int(Queda) << int(Queda);
        QTest::newRow("títulos") << QStringLiteral("selector") << QStringLiteral("lstArticulos") << int(Crece)
                                 << int(Crece);
        QTest::newRow("botón > ") << QStringLiteral("selector") << QStringLiteral("cmdTamano") << int(Se_mueve)
                                  << int(Queda);
        QTest::newRow("cantidad") << QStringLiteral("selector") << QStringLiteral("lblCantidad") << int(Crece)
                                  << int(Se_mueve);
        QTest::newRow("títulos, ancho") << QStringLiteral("selector ancho") << QStringLiteral("lstArticulos")
                                        << int(Crece) << int(Crece);
        QTest::newRow("filtros, ancho") << QStringLiteral("selector ancho") << QStringLiteral("lstDats")
                                        << int(Se_mueve) << int(Crece);
        QTest::newRow("cuerpo del artículo")
            << QStringLiteral("artículo") << QStringLiteral("txtArtText") << int(Crece) << int(Crece);
        QTest::newRow("Guardar Artículo")
            << QStringLiteral("artículo") << QStringLiteral("cmdSaveArt") << int(Queda) << int(Se_mueve);
        QTest::newRow("Cancelar") << QStringLiteral("artículo") << QStringLiteral("cmdCancelar") << int(Se_mueve)
                                  << int(Se_mueve);
        QTest::newRow("ilustraciones") << QStringLiteral("artículo") << QStringLiteral("lstImagenes") << int(Queda)
                                       << int(Queda);
        // The editor's main window: the lists take the room, what stands beside them keeps to its edges.
        const struct {
            const char* fila;
            const char* control;
            Cambio horizontal, vertical;
        } editor[] = {
            {"raíz", "fraRaiz", Queda, Queda},
            {"marco de enciclotomos", "fraTomos", Crece, Queda},
            {"enciclotomos", "lstTomos", Crece, Queda},
            {"Agregar Enciclotomo", "cmdTomoAdd", Se_mueve, Queda},
            {"marco de la enciclotomo", "fraTomo", Crece, Crece},
            {"descripción", "txtMsg", Queda, Queda},
            {"artículos", "lstArticulos", Crece, Queda},
            {"Agregar Artículo", "txtArtAdd", Se_mueve, Queda},
            {"artículo actual", "txtArticulo", Se_mueve, Queda},
            {"listas", "lstListas", Queda, Crece},
            {"Agregar Lista", "cmdLstAdd", Queda, Queda},
            {"artículos de la lista", "lstLstArts", Crece, Crece},
            {"lista actual", "txtLista", Se_mueve, Queda},
            {"Salir", "cmdSalir", Se_mueve, Se_mueve},
        };
        for (const auto& e : editor) {
            QTest::newRow(qPrintable(QStringLiteral("editor: ") + QString::fromUtf8(e.fila)))
                << QStringLiteral("editor") << QString::fromLatin1(e.control) << int(e.horizontal) << int(e.vertical);
        }
    }
    void crecer() {
        QFETCH(QString, cual);
        QFETCH(QString, control);
        QFETCH(int, horizontal);
        QFETCH(int, vertical);
        QWidget* v = ventana(cual);
        QVERIFY(QTest::qWaitForWindowExposed(v));
        auto* c = v->findChild<QWidget*>(control);
        QVERIFY(c);
        const QSize diseno = v->size();
        const QRect designado = c->geometry();

        constexpr int dx = 150;
        constexpr int dy = 90;
        v->resize(diseno + QSize(dx, dy));
        QTRY_COMPARE(v->size(), diseno + QSize(dx, dy));
        QTRY_COMPARE(c->geometry(), esperada(designado, horizontal, vertical, dx, dy));

        // Never smaller than designed; back at the designed size, exactly as designed.
        v->resize(diseno - QSize(40, 30));
        QTRY_COMPARE(v->size(), diseno);
        QCOMPARE(c->geometry(), designado);
    }

    // Widening with ">" keeps the width the reader gave the narrow selector, and narrowing gives it back.
    void selector_anchoYAngostoConservanLoAgrandado() {
        Selector* s = visor->selector();
        const int angosto = s->width();
        const int titulos = s->lstArticulos->width();
        s->resize(angosto + 100, s->height());
        QTRY_COMPARE(s->lstArticulos->width(), titulos + 100);
        QTest::mouseClick(s->cmdTamano, Qt::LeftButton);
        QCOMPARE(s->width(), ui::pixeles(6360) + 100);
        QVERIFY(s->lstDats->isVisible());
        QCOMPARE(s->lstArticulos->width(), titulos + 100);
        QCOMPARE(s->lstDats->geometry().right(), s->width() - 1 - (ui::pixeles(6360) - ui::pixeles(3360 + 2655)));
        QTest::mouseClick(s->cmdTamano, Qt::LeftButton);
        QCOMPARE(s->width(), angosto + 100);
        QVERIFY(!s->lstDats->isVisible());
        QCOMPARE(s->cmdTamano->text(), QStringLiteral(">"));
    }

    // A window's size and place are kept in the user's configuration directory and come back on the next
    // run; nothing is written into the store.
    void memoria_guardaYRestauraLaVentana() {
        QTemporaryDir config;
        QVERIFY(config.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
        QCoreApplication::setApplicationName(QStringLiteral("Forja"));
        ui::activarMemoriaDeVentanas(true);
        const auto antes = u->bytes("C:\\LUMBRE\\TOMOS.DAT");
        QSize agrandada;
        {
            SesionForja sesionPrimera;
            Taller primera(sesionPrimera);
            primera.show();
            QVERIFY(QTest::qWaitForWindowExposed(&primera));
            agrandada = primera.size() + QSize(120, 70);
            primera.resize(agrandada);
            QTRY_COMPARE(primera.size(), agrandada);
            primera.hide();
        }
        QVERIFY(QFile::exists(config.path() + QStringLiteral("/lumbre/forja.ini")));
        SesionForja sesionSegunda;
        Taller segunda(sesionSegunda);
        segunda.show();
        QVERIFY(QTest::qWaitForWindowExposed(&segunda));
        ui::activarMemoriaDeVentanas(false);
        QCOMPARE(segunda.size(), agrandada);
        QCOMPARE(u->bytes("C:\\LUMBRE\\TOMOS.DAT"), antes);
    }

    // Menus, message boxes and the About box use the toolkit's default font: a typewriter face there means
    // the set-up lacks a proportional one.
    void fuentePredeterminada_esProporcional() {
        const QFont fuentes[] = {QApplication::font(), QApplication::font("QMenu"), QApplication::font("QMessageBox")};
        for (const QFont& f : fuentes) {
            const QFontInfo real(f);
            QVERIFY2(!real.fixedPitch(), qPrintable(QStringLiteral("%1 → %2").arg(f.family(), real.family())));
        }
    }
};

QTEST_MAIN(TstVentanasQueCrecen)
#include "tst_ventanas_que_crecen.moc"

// The viewer as a desktop program: Enter on a list does what its double-click does and Enter on a focused
// button presses it, Escape closes the secondary windows as their close box does, the menus bring back
// minimized windows, and the main window and the selector start side by side on the screen.

#include "appearance/configuracion.h"
#include "main_window/etiqueta.h"
#include "main_window/ventana_principal.h"
#include "store/enciclopedia.h"
#include "tests/support/controles.h"
#include "tests/support/unidades.h"
#include "ui/dialogos.h"
#include "viewer/tests/indice_de_prueba.h"
#include "windows/diccionario.h"
#include "windows/elector.h"
#include "windows/selector.h"
#include "windows/ventana_imagen.h"

#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

#include <functional>
#include <memory>
#include <optional>

namespace {
const std::string kSolar = "C:\\ENCICLO\\SOLAR";

// Where a window stood when it was first shown.
class PrimeraPosicion : public QObject {
public:
    explicit PrimeraPosicion(QWidget* ventana) : QObject(ventana) { ventana->installEventFilter(this); }
    std::optional<QPoint> posicion;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (evento->type() == QEvent::Show && !posicion) {
            posicion = static_cast<QWidget*>(objeto)->pos();
        }
        return QObject::eventFilter(objeto, evento);
    }
};
} // namespace

class TstEscritorio : public QObject {
    Q_OBJECT

    std::unique_ptr<prueba::Unidades> u;
    std::unique_ptr<VentanaPrincipal> w;

private slots:
    void init() {
        ui::Dialogos::modoPrueba(true);
        ui::Dialogos::limpiar();
        u = std::make_unique<prueba::Unidades>();
        QVERIFY(u->instalarMuestras());
        w = std::make_unique<VentanaPrincipal>();
        QVERIFY(w->Form_Load());
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QVERIFY(prueba::esperarListado(w->titulos()));
    }
    void cleanup() {
        w.reset();
        u.reset();
    }

    // Enter (the main keyboard's or the keypad's) on a title opens that article and records it, as a
    // double-click does; with no title selected it does nothing, and other keys open nothing.
    void selector_enterAbreElArticulo_data() {
        QTest::addColumn<int>("fila");
        QTest::addColumn<int>("tecla");
        QTest::addColumn<int>("modificadores");
        QTest::addColumn<QString>("titulo");
        QTest::addColumn<QString>("ultimo");
        QTest::newRow("Return") << 2 << int(Qt::Key_Return) << 0 << QStringLiteral("Mercurio")
                                << QStringLiteral("MERCURIO.TXT");
        QTest::newRow("Enter del teclado numérico") << 4 << int(Qt::Key_Enter) << int(Qt::KeypadModifier)
                                                    << QStringLiteral("La Tierra") << QStringLiteral("TIERRA.TXT");
        QTest::newRow("nada elegido") << -1 << int(Qt::Key_Return) << 0 << QStringLiteral("El Sistema Solar")
                                      << QStringLiteral("SISTEMA.TXT");
        QTest::newRow("Ctrl+Return no abre") << 2 << int(Qt::Key_Return) << int(Qt::ControlModifier)
                                             << QStringLiteral("El Sistema Solar") << QStringLiteral("SISTEMA.TXT");
    }
    void selector_enterAbreElArticulo() {
        QFETCH(int, fila);
        QFETCH(int, tecla);
        QFETCH(int, modificadores);
        QFETCH(QString, titulo);
        QFETCH(QString, ultimo);
        QListView* lista = w->selector()->lstArticulos;
        if (fila >= 0) {
            lista->setCurrentIndex(lista->model()->index(fila, 0));
        } else {
            lista->clearSelection();
        }
        QTest::keyClick(lista, Qt::Key(tecla), Qt::KeyboardModifiers(modificadores));
        QCOMPARE(prueba::control<Etiqueta>(*w, "lblTitulo")->text(), titulo);
        QCOMPARE(QString::fromStdString(store::leerUltimo(kSolar).value_or("")), ultimo);
    }

    // Enter on an entry of the outline shows that illustration, as a double-click does.
    void esquema_enterMuestraLaIlustracion() {
        QCOMPARE(prueba::control<QListWidget>(*w, "lstEsquema")->count(), 2);
        const QString primera = prueba::control<Etiqueta>(*w, "lblTitImag")->text();
        prueba::control<QListWidget>(*w, "lstEsquema")->setCurrentRow(1);
        QCOMPARE(prueba::control<Etiqueta>(*w, "lblTitImag")->text(), primera); // choosing alone shows nothing yet
        QTest::keyClick(prueba::control<QListWidget>(*w, "lstEsquema"), Qt::Key_Return);
        QCOMPARE(prueba::control<Etiqueta>(*w, "lblTitImag")->text(), QStringLiteral("Los tamaños comparados"));
    }

    // Enter on an encyclopaedia of the chooser switches to it, as a double-click does.
    void elector_enterCambiaDeEnciclotomo() {
        prueba::control<QAction>(*w, "mnuSeleki")->trigger();
        Elector* elector = w->elector();
        QVERIFY(elector->isVisible());
        elector->lstTomos->setCurrentRow(1);
        QTest::keyClick(elector->lstTomos, Qt::Key_Return);
        QCOMPARE(w->windowTitle(), QStringLiteral("Los ríos de España"));
        QVERIFY(!elector->isVisible());
    }

    // Escape hides the selector, the image window, the configuration window and the chooser, keeping
    // them for the next use, whichever control has the focus.
    void escape_ocultaLasVentanas() {
        prueba::control<QAction>(*w, "mnuBuscar")->trigger();
        QTest::keyClick(w->selector()->lstArticulos, Qt::Key_Escape);
        QVERIFY(!w->selector()->isVisible());
        prueba::control<QAction>(*w, "mnuBuscar")->trigger();
        QVERIFY(w->selector()->isVisible());

        w->pctAbrir_Click();
        QVERIFY(w->ventanaImagen()->isVisible());
        QTest::keyClick(w->ventanaImagen(), Qt::Key_Escape);
        QVERIFY(!w->ventanaImagen()->isVisible());

        prueba::control<QAction>(*w, "mnuConfig")->trigger();
        QVERIFY(w->configuracion()->isVisible());
        QTest::keyClick(w->configuracion()->scrRGB[0], Qt::Key_Escape);
        QVERIFY(!w->configuracion()->isVisible());

        prueba::control<QAction>(*w, "mnuSeleki")->trigger();
        QVERIFY(w->elector()->isVisible());
        QTest::keyClick(w->elector()->cmdAceptar, Qt::Key_Escape);
        QVERIFY(!w->elector()->isVisible());
        QCOMPARE(w->windowTitle(), QStringLiteral("El Sistema Solar")); // Escape chooses nothing

        QVERIFY(w->isVisible()); // the main window stays
    }

    // The main window and the selector are placed before they are first shown (a window moved once it is
    // on screen, before its frame is known, may land with its title bar off the screen): side by side,
    // inside the screen, the selector to the right.
    void arranque_colocaLasVentanasAntesDeMostrarlas() {
        VentanaPrincipal v;
        auto* principal = new PrimeraPosicion(&v);
        auto* selector = new PrimeraPosicion(v.selector());
        QVERIFY(v.Form_Load());
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        QVERIFY(principal->posicion && selector->posicion);
        QCOMPARE(*principal->posicion, v.pos());
        QCOMPARE(*selector->posicion, v.selector()->pos());
        const QRect disponible = v.screen()->availableGeometry();
        QVERIFY(disponible.contains(v.pos()));
        QVERIFY(disponible.contains(v.selector()->geometry()));
        QVERIFY(v.selector()->x() > v.x() + v.width() / 2);
    }

    // Enter on the button that has the focus presses it, as Space does: the selector's ">" button, the
    // chooser's "Aceptar" and every button of the configuration window.
    void botones_enterPulsaElBotonConFoco() {
        prueba::control<QAction>(*w, "mnuConfig")->trigger();
        prueba::control<QAction>(*w, "mnuSeleki")->trigger();
        QList<QPushButton*> botones{w->selector()->cmdTamano, w->elector()->cmdAceptar};
        botones << w->configuracion()->findChildren<QPushButton*>();
        QCOMPARE(botones.size(), 8);
        for (QPushButton* boton : botones) {
            QSignalSpy pulsado(boton, &QPushButton::clicked);
            boton->setFocus();
            QTest::keyClick(boton, Qt::Key_Return);
            QVERIFY2(pulsado.count() == 1, qPrintable(boton->objectName()));
        }
    }

    // "Buscar", "Seleccionar", "Configuración" and "Abrir" bring back their window also when the reader
    // had minimized it; showing alone would leave it minimized (a modal one blocking the others unseen).
    void menu_devuelveLasVentanasMinimizadas() {
        prueba::control<QAction>(*w, "mnuSeleki")->trigger();
        prueba::control<QAction>(*w, "mnuConfig")->trigger();
        const std::pair<QWidget*, std::function<void()>> casos[] = {
            {w->selector(), [this] { prueba::control<QAction>(*w, "mnuBuscar")->trigger(); }},
            {w->elector(), [this] { prueba::control<QAction>(*w, "mnuSeleki")->trigger(); }},
            {w->configuracion(), [this] { prueba::control<QAction>(*w, "mnuConfig")->trigger(); }},
            {w->ventanaImagen(), [this] { w->pctAbrir_Click(); }},
        };
        for (const auto& [ventana, mostrar] : casos) {
            mostrar();
            ventana->showMinimized();
            QVERIFY(ventana->isMinimized());
            ventana->hide(); // closed from the taskbar while minimized
            mostrar();
            QVERIFY2(!ventana->isMinimized(), qPrintable(ventana->objectName()));
            QVERIFY(ventana->isVisible());
            ventana->hide();
        }
    }

    // Escape in the dictionary closes it for good, as its close box does.
    void escape_cierraElDiccionario() {
        QPointer<Diccionario> d = Diccionario::mostrar(w.get(), kSolar);
        QVERIFY(d);
        QTest::keyClick(d->txtPalabra, Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(d.isNull());
    }
};

QTEST_MAIN(TstEscritorio)
#include "tst_escritorio.moc"

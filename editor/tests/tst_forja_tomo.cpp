// From the editor to the viewer: what an authoring session wrote is what the viewer shows.

#include "editor/sesion.h"
#include "editor/taller.h"
#include "editor/tests/ayudas.h"
#include "main_window/caja_imagen.h"
#include "main_window/etiqueta.h"
#include "main_window/ventana_principal.h"
#include "store/registro.h"
#include "tests/support/controles.h"
#include "tests/support/listas.h"
#include "tests/support/unidades.h"
#include "ui/dialogos.h"
#include "viewer/tests/indice_de_prueba.h"
#include "windows/selector.h"

#include <QAccessible>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace prueba;
using namespace Qt::StringLiterals;
using ui::Dialogos;

namespace {

QString nombreAccesible(QWidget* w) {
    QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w);
    return i ? i->text(QAccessible::Name) : QString();
}

// Every label and button of the window and of the windows it owns reads to a screen reader what it shows,
// except the buttons in `simbolos`, whose text is a sign.
void leenLoQueMuestran(QWidget* ventana, const QList<QWidget*>& simbolos = {}) {
    for (QLabel* l : ventana->findChildren<QLabel*>()) {
        if (!l->text().isEmpty()) {
            QVERIFY2(nombreAccesible(l) == l->text(), qPrintable(l->objectName() + u": "_s + nombreAccesible(l)));
        }
    }
    for (QPushButton* b : ventana->findChildren<QPushButton*>()) {
        if (!simbolos.contains(b)) {
            QVERIFY2(nombreAccesible(b) == b->text(), qPrintable(b->objectName() + u": "_s + nombreAccesible(b)));
        }
    }
}

} // namespace

class TstForjaTomo : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Dialogos::modoPrueba(true); }
    void init() { Dialogos::limpiar(); }

    void viewerShowsWhatEditorWrote();
    void screenReaders_hearWhatBothProgramsShow();
};

void TstForjaTomo::screenReaders_hearWhatBothProgramsShow() {
    Unidades u;
    {
        SesionForja sesion;
        Taller t(sesion);
        sesionCompleta(u, t);
        cargarArticulo(t, QStringLiteral("sol.txt"));
        QVERIFY(t.tallerArt());
        leenLoQueMuestran(&t);
        if (QTest::currentTestFailed()) {
            return;
        }
    }
    QVERIFY(store::elegirEnciclopedia("C:\\ENCICLO\\ASTRO"));
    Dialogos::limpiar();
    VentanaPrincipal w;
    QVERIFY(w.Form_Load());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(prueba::esperarListado(w.titulos()));
    Selector* s = w.selector();
    // The article's title, the illustration's title, the encyclopaedia's name and the count, not their roles.
    QCOMPARE(nombreAccesible(prueba::control<Etiqueta>(w, "lblTitulo")), QStringLiteral("Marte"));
    QCOMPARE(nombreAccesible(prueba::control<Etiqueta>(w, "lblTitImag")), QStringLiteral("Marte"));
    QCOMPARE(nombreAccesible(prueba::control<Etiqueta>(w, "lblSubtitulo")),
             prueba::control<Etiqueta>(w, "lblSubtitulo")->text());
    QVERIFY(!prueba::control<Etiqueta>(w, "lblSubtitulo")->text().isEmpty());
    QCOMPARE(nombreAccesible(s->lblCantidad), QStringLiteral("3 artículos en la lista."));
    leenLoQueMuestran(&w, {s->cmdTamano});
    // The filters button is named by what pressing it does now.
    QCOMPARE(nombreAccesible(s->cmdTamano), QStringLiteral("Mostrar los filtros"));
    QTest::mouseClick(s->cmdTamano, Qt::LeftButton);
    QCOMPARE(nombreAccesible(s->cmdTamano), QStringLiteral("Ocultar los filtros"));
    QTest::mouseClick(s->cmdTamano, Qt::LeftButton);
    QCOMPARE(nombreAccesible(s->cmdTamano), QStringLiteral("Mostrar los filtros"));
}

void TstForjaTomo::viewerShowsWhatEditorWrote() {
    Unidades u;
    {
        SesionForja sesion;
        Taller t(sesion);
        sesionCompleta(u, t);
    }
    // RIOS was added last and so is the viewer's current encyclopaedia; the reader switches to ASTRO as the
    // chooser would.
    QCOMPARE(store::directorioActual().valor(), std::string("C:\\ENCICLO\\RIOS"));
    QVERIFY(store::elegirEnciclopedia("C:\\ENCICLO\\ASTRO"));
    Dialogos::limpiar();

    VentanaPrincipal w;
    QVERIFY(w.Form_Load());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(prueba::esperarListado(w.titulos()));
    QVERIFY2(Dialogos::mostrados().isEmpty(), qPrintable(Dialogos::mostrados().value(0).texto));

    // The description's first line names the encyclopaedia.
    QVERIFY2(w.windowTitle().contains(QStringLiteral("Astronomía para todos")), qPrintable(w.windowTitle()));

    // The titles of the complete list, in the order the articles were added.
    Selector* s = w.selector();
    QCOMPARE(textos(s->lstArticulos),
             (QStringList{QStringLiteral("El Sol"), QStringLiteral("La Luna"), QStringLiteral("Marte")}));
    QCOMPARE(prueba::nombres(w.titulos()),
             (QStringList{QStringLiteral("sol.txt"), QStringLiteral("luna.txt"), QStringLiteral("marte.txt")}));

    // The article added last opens at start, with its illustration, title and caption.
    QCOMPARE(prueba::control<Etiqueta>(w, "lblTitulo")->text(), QStringLiteral("Marte"));
    QCOMPARE(prueba::control<CajaArticulo>(w, "txtArticulo")->toPlainText(), QStringLiteral("El planeta rojo."));
    QCOMPARE(textos(prueba::control<QListWidget>(w, "lstEsquema")), QStringList{QStringLiteral("marte.png")});
    QCOMPARE(prueba::control<Etiqueta>(w, "lblTitImag")->text(), QStringLiteral("Marte"));
    QCOMPARE(prueba::control<QPlainTextEdit>(w, "txtEpigrafe")->toPlainText(),
             QStringLiteral("Visto desde la Tierra.\nColor de óxido."));
    QCOMPARE(prueba::control<CajaImagen>(w, "pctImagen")->imagen().size(), QSize(64, 48));

    // An article with two illustrations, opened from the selector: each caption under its picture.
    dobleClic(s->lstArticulos, 1);
    QCOMPARE(prueba::control<Etiqueta>(w, "lblTitulo")->text(), QStringLiteral("La Luna"));
    QCOMPARE(prueba::control<CajaArticulo>(w, "txtArticulo")->toPlainText(),
             QStringLiteral("La Luna gira alrededor de la Tierra."));
    QCOMPARE(textos(prueba::control<QListWidget>(w, "lstEsquema")),
             (QStringList{QStringLiteral("luna.bmp"), QStringLiteral("sol.bmp")}));
    QCOMPARE(prueba::control<Etiqueta>(w, "lblTitImag")->text(), QStringLiteral("La Luna"));
    QCOMPARE(prueba::control<QPlainTextEdit>(w, "txtEpigrafe")->toPlainText(), QStringLiteral("Satélite natural."));
    dobleClic(prueba::control<QListWidget>(w, "lstEsquema"), 1);
    QCOMPARE(prueba::control<Etiqueta>(w, "lblTitImag")->text(), QStringLiteral("El Sol"));
    QCOMPARE(prueba::control<QPlainTextEdit>(w, "txtEpigrafe")->toPlainText(), QStringLiteral("Nuestra estrella."));
    QCOMPARE(u.bytes("C:\\ENCICLO\\ASTRO\\ULTIMO.DAT"), QByteArray("luna.txt\r\n"));

    dobleClic(s->lstArticulos, 0);
    QCOMPARE(prueba::control<Etiqueta>(w, "lblTitulo")->text(), QStringLiteral("El Sol"));
    QCOMPARE(prueba::control<CajaArticulo>(w, "txtArticulo")->toPlainText(),
             QStringLiteral("El Sol es una estrella.\nDa luz."));

    // The lists are the selector's filters.
    QCOMPARE(textos(s->lstDats), (QStringList{QStringLiteral("Cuerpos visibles"), QStringLiteral("Satélites")}));
    QTest::mouseClick(s->cmdTamano, Qt::LeftButton);
    s->lstDats->item(1)->setCheckState(Qt::Checked);
    QTest::mouseClick(s->cmdTamano, Qt::LeftButton);
    QVERIFY(prueba::esperarListado(w.titulos()));
    QCOMPARE(textos(s->lstArticulos), QStringList{QStringLiteral("La Luna")});
    QTest::mouseClick(s->cmdTamano, Qt::LeftButton);
    s->lstDats->item(1)->setCheckState(Qt::Unchecked);
    s->lstDats->item(0)->setCheckState(Qt::Checked);
    QTest::mouseClick(s->cmdTamano, Qt::LeftButton);
    QVERIFY(prueba::esperarListado(w.titulos()));
    QCOMPARE(textos(s->lstArticulos), (QStringList{QStringLiteral("El Sol"), QStringLiteral("Marte")}));
    QVERIFY2(Dialogos::mostrados().isEmpty(), qPrintable(Dialogos::mostrados().value(0).texto));
}

QTEST_MAIN(TstForjaTomo)
#include "tst_forja_tomo.moc"

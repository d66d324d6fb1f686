// The viewer as a whole on the sample encyclopaedias: colours, icon and name at start-up, the word
// look-up from the article text, the chooser, and the menu commands of the secondary windows.

#include "appearance/configuracion.h"
#include "appearance/esquema.h"
#include "main_window/etiqueta.h"
#include "main_window/tira.h"
#include "main_window/ventana_principal.h"
#include "tests/support/controles.h"
#include "tests/support/unidades.h"
#include "ui/dialogos.h"
#include "viewer/tests/indice_de_prueba.h"
#include "windows/caja_articulo.h"
#include "windows/diccionario.h"
#include "windows/elector.h"
#include "windows/selector.h"
#include "windows/ventana_imagen.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QtTest>

#include <memory>

namespace {

const std::string kSolar = "C:\\ENCICLO\\SOLAR";
const std::string kRios = "C:\\ENCICLO\\RIOS";
const std::string kActual = "C:\\ENCICLO\\ACTUAL.DAT";

QColor pixelDe(QWidget* w) {
    const QImage img = w->grab().toImage();
    return img.pixelColor(img.width() - 3, img.height() - 3);
}

void dobleClicEn(CajaArticulo* caja, const QString& palabra) {
    const int pos = caja->toPlainText().indexOf(palabra);
    QVERIFY(pos >= 0);
    QTextCursor c(caja->document());
    c.setPosition(pos + 1);
    const QRect r = caja->cursorRect(c);
    QTest::mouseDClick(caja->viewport(), Qt::LeftButton, {}, QPoint(r.left() + 2, r.center().y()));
}

} // namespace

class TstVisorExtras : public QObject {
    Q_OBJECT

    std::unique_ptr<prueba::Unidades> u;
    std::unique_ptr<VentanaPrincipal> w;

private slots:
    void init() {
        ui::Dialogos::modoPrueba(true);
        ui::Dialogos::limpiar();
        u = std::make_unique<prueba::Unidades>();
        QVERIFY(u->instalarMuestras());
        // A registered encyclopaedia that lacks its list files.
        QVERIFY(
            u->escribir("C:\\ENCICLO\\TOMOS.DAT", "C:\\ENCICLO\\SOLAR\r\nC:\\ENCICLO\\RIOS\r\nC:\\ENCICLO\\ROTA\r\n"));
        QVERIFY(u->escribir("C:\\ENCICLO\\ROTA\\COMPLETA.DAT", "A.TXT\r\n"));
        w = std::make_unique<VentanaPrincipal>();
        QVERIFY(w->Form_Load());
        w->show();
        QVERIFY(prueba::esperarListado(w->titulos()));
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    void cleanup() {
        w.reset();
        u.reset();
    }

    // Start-up takes on the encyclopaedia's colours, icon and name, with nothing to complain about.
    void arranque_tomaElEntorno() {
        QVERIFY2(ui::Dialogos::mostrados().isEmpty(), qPrintable(ui::Dialogos::mostrados().value(0).texto));
        QCOMPARE(w->windowTitle(), QStringLiteral("El Sistema Solar"));
        QCOMPARE(prueba::control<Etiqueta>(*w, "lblSubtitulo")->text(), QStringLiteral("El Sistema Solar"));
        QCOMPARE(pixelDe(prueba::control<Tira>(*w, "pctTitulo")), apariencia::colorDe(4727320));
        const store::Esquema archivo{4727320, 7919359,  15257284, 4595220, 16181732,
                                     5252636, 15924479, 2891808,  3676690, 12510448};
        QCOMPARE(w->configuracion()->ranuras(), archivo);
        QCOMPARE(apariencia::leerEsquema(w.get()), archivo);
        for (QWidget* v : {static_cast<QWidget*>(w.get()), static_cast<QWidget*>(w->selector()),
                           static_cast<QWidget*>(w->ventanaImagen()), static_cast<QWidget*>(w->configuracion()),
                           static_cast<QWidget*>(w->elector())}) {
            QVERIFY(!v->windowIcon().isNull());
        }
        QVERIFY(w->selector()->lblCantidad->text().startsWith(QString::number(w->titulos()->rowCount())));

        // "Guardar" right away writes back what was read, in the viewer's number form.
        w->configuracion()->cmdGuardar->click();
        QVERIFY(u->bytes(kSolar + "\\COLOR.DAT").startsWith(" 4727320 \r\n 7919359 \r\n"));
    }

    // A reference in the dictionary opens its article and leaves ultimo.dat alone; other words open
    // the dictionary window.
    void dobleClic_buscaLaPalabra() {
        const QByteArray ultimo = u->bytes(kSolar + "\\ULTIMO.DAT");
        prueba::control<CajaArticulo>(*w, "txtArticulo")
            ->setPlainText(QStringLiteral("Mira la (Luna), y la gravedad.\nPalabra cometa!"));
        dobleClicEn(prueba::control<CajaArticulo>(*w, "txtArticulo"), QStringLiteral("Luna"));
        QCOMPARE(prueba::control<Etiqueta>(*w, "lblTitulo")->text(), QStringLiteral("La Luna"));
        QCOMPARE(u->bytes(kSolar + "\\ULTIMO.DAT"), ultimo);
        QVERIFY(w->findChildren<Diccionario*>().isEmpty());

        prueba::control<CajaArticulo>(*w, "txtArticulo")->setPlainText(QStringLiteral("Mira la gravedad."));
        dobleClicEn(prueba::control<CajaArticulo>(*w, "txtArticulo"), QStringLiteral("gravedad"));
        const auto dicc = w->findChildren<Diccionario*>();
        QCOMPARE(dicc.size(), 1);
        QVERIFY(dicc[0]->isVisible());
        QVERIFY(dicc[0]->isModal());
        QCOMPARE(dicc[0]->txtPalabra->text(), QStringLiteral("GRAVEDAD"));
        QVERIFY(dicc[0]->txtDescrip->toPlainText().startsWith(QStringLiteral("FUERZA CON LA QUE")));
        dicc[0]->close();
        QTRY_VERIFY(w->findChildren<Diccionario*>().isEmpty());
        QVERIFY(ui::Dialogos::mostrados().isEmpty());
    }

    // Choosing RIOS switches everything and is kept for the next start.
    void elector_cambiaYPersiste() {
        Elector* e = w->elector();
        QCOMPARE(e->windowTitle(), QStringLiteral("Seleccionar enciclotomo"));
        QCOMPARE(e->lstTomos->count(), 3);
        prueba::control<QAction>(*w, "mnuSeleki")->trigger();
        QVERIFY(e->isVisible());
        QVERIFY(!e->isModal());
        const QString articulo = prueba::control<Etiqueta>(*w, "lblTitulo")->text();

        e->lstTomos->setCurrentRow(1);
        const QRect r = e->lstTomos->visualItemRect(e->lstTomos->item(1));
        QTest::mouseClick(e->lstTomos->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(e->lstTomos->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseRelease(e->lstTomos->viewport(), Qt::LeftButton, {}, r.center());

        QVERIFY(e->isHidden());
        QCOMPARE(u->bytes(kActual), QByteArray("C:\\ENCICLO\\RIOS\r\n"));
        QCOMPARE(w->directorio(), kRios);
        QCOMPARE(w->windowTitle(), QStringLiteral("Los ríos de España"));
        QCOMPARE(pixelDe(prueba::control<Tira>(*w, "pctTitulo")), apariencia::colorDe(6837788));
        QCOMPARE(w->configuracion()->ranura(0), 6837788);
        QCOMPARE(prueba::control<Etiqueta>(*w, "lblTitulo")->text(), articulo); // the article shown stays
        Selector* s = w->selector();
        QVERIFY(prueba::esperarListado(w->titulos()));
        QCOMPARE(s->titulos()->rowCount(), 4);
        QCOMPARE(s->titulos()->cantidadNombres(), 4);
        QCOMPARE(s->cmdTamano->text(), QStringLiteral(">"));
        QCOMPARE(s->lstDats->count(), 1);
        QVERIFY(s->lblCantidad->text().startsWith(QStringLiteral("4 ")));
        QVERIFY(ui::Dialogos::mostrados().isEmpty());

        VentanaPrincipal otro;
        QVERIFY(otro.Form_Load());
        QCOMPARE(otro.directorio(), kRios);
        QCOMPARE(otro.windowTitle(), QStringLiteral("Los ríos de España"));
    }

    // A reader who had the filters in sight keeps them in sight after switching, with the new encyclopaedia's
    // lists, none ticked, and its whole list of titles.
    void elector_conLosFiltrosAVista_siguenAVista() {
        Selector* s = w->selector();
        QTest::mouseClick(s->cmdTamano, Qt::LeftButton);
        s->lstDats->item(0)->setCheckState(Qt::Checked);
        const int ancho = s->width();
        Elector* e = w->elector();
        prueba::control<QAction>(*w, "mnuSeleki")->trigger();
        e->lstTomos->setCurrentRow(1);
        QTest::keyClick(e->lstTomos, Qt::Key_Return);
        QCOMPARE(w->directorio(), kRios);
        QVERIFY(prueba::esperarListado(w->titulos()));
        QCOMPARE(s->cmdTamano->text(), QStringLiteral("<"));
        QVERIFY(s->lstDats->isVisible());
        QCOMPARE(s->width(), ancho);
        QCOMPARE(s->lstDats->count(), 1);
        QCOMPARE(s->lstDats->item(0)->checkState(), Qt::Unchecked);
        QCOMPARE(s->titulos()->rowCount(), 4);
        QTest::mouseClick(s->cmdTamano, Qt::LeftButton);
        QCOMPARE(s->cmdTamano->text(), QStringLiteral(">"));
        QVERIFY(!s->lstDats->isVisible());
    }

    // Choosing the encyclopaedia already current reloads it: the ticked filters are cleared and the whole
    // list is shown again. Taking up its colours leaves the configuration window's scroll bars where the
    // reader left them.
    void elector_laMisma_limpiaFiltrosYNoMueveLasBarras() {
        Configuracion* c = w->configuracion();
        c->optConf[2]->click();
        c->scrRGB[0]->setValue(17);
        const int barras[] = {c->scrRGB[0]->value(), c->scrRGB[1]->value(), c->scrRGB[2]->value()};
        Selector* s = w->selector();
        const int todos = s->titulos()->rowCount();
        QTest::mouseClick(s->cmdTamano, Qt::LeftButton);
        QVERIFY(s->lstDats->count() > 0);
        s->lstDats->item(0)->setCheckState(Qt::Checked);
        QTest::mouseClick(s->cmdTamano, Qt::LeftButton);
        QVERIFY(prueba::esperarListado(s->titulos()));
        QVERIFY(s->titulos()->rowCount() < todos);

        Elector* e = w->elector();
        e->lstTomos->setCurrentRow(0);
        QCOMPARE(e->lstTomos->currentItem()->text(), QString::fromStdString(kSolar));
        QTest::mouseClick(e->cmdAceptar, Qt::LeftButton);
        QVERIFY(prueba::esperarListado(s->titulos()));
        QCOMPARE(w->directorio(), kSolar);
        for (int i = 0; i < s->lstDats->count(); ++i) {
            QCOMPARE(s->lstDats->item(i)->checkState(), Qt::Unchecked);
        }
        QCOMPARE(s->titulos()->rowCount(), todos);
        QVERIFY(!s->lblCantidad->text().contains(QStringLiteral("Filtros")));
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(c->scrRGB[i]->value(), barras[i]);
        }
        w->DarEntorno();
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(c->scrRGB[i]->value(), barras[i]);
        }
        QVERIFY(ui::Dialogos::mostrados().isEmpty());
    }

    // Nothing selected does nothing; a directory without its list files is refused before anything is
    // written.
    void elector_rechazos() {
        Elector* e = w->elector();
        const QByteArray antes = u->bytes(kActual);
        e->lstTomos->clearSelection();
        e->lstTomos->setCurrentItem(nullptr);
        QTest::mouseClick(e->cmdAceptar, Qt::LeftButton);
        QCOMPARE(u->bytes(kActual), antes);
        QVERIFY(ui::Dialogos::mostrados().isEmpty());

        e->lstTomos->setCurrentRow(2);
        QTest::mouseClick(e->cmdAceptar, Qt::LeftButton);
        QCOMPARE(u->bytes(kActual), antes);
        QCOMPARE(w->directorio(), kSolar);
        QCOMPARE(ui::Dialogos::mostrados().size(), 1);
        QVERIFY(ui::Dialogos::mostrados().front().texto.contains(QStringLiteral("LISTAS.DAT")));
    }

    void menus_abrenSusVentanas() {
        prueba::control<QAction>(*w, "mnuConfig")->trigger();
        QVERIFY(w->configuracion()->isVisible());
        QVERIFY(w->configuracion()->isModal());
        w->configuracion()->cmdCerrar->click();
        QVERIFY(w->configuracion()->isHidden());

        prueba::control<QAction>(*w, "mnuDict")->trigger();
        const auto dicc = w->findChildren<Diccionario*>();
        QCOMPARE(dicc.size(), 1);
        QVERIFY(dicc[0]->isModal());
        QVERIFY(dicc[0]->txtPalabra->text().isEmpty());
        QTest::keyClicks(dicc[0]->txtPalabra, QStringLiteral("luna"));
        QTest::keyClick(dicc[0]->txtPalabra, Qt::Key_Return);
        QCOMPARE(dicc[0]->txtDescrip->toPlainText(), QStringLiteral("/LUNA.TXT"));
        dicc[0]->close();
        QTRY_VERIFY(w->findChildren<Diccionario*>().isEmpty());

        prueba::control<QAction>(*w, "mnuAbout")->trigger();
        QCOMPARE(ui::Dialogos::mostrados().size(), 1);
        QCOMPARE(ui::Dialogos::mostrados().front().titulo, QStringLiteral("Acerca de . . ."));
        QVERIFY(ui::Dialogos::mostrados().front().texto.endsWith(QStringLiteral("\r\nUn paseo por el Sol, los ocho "
                                                                                "planetas, la Luna, los cometas y los "
                                                                                "eclipses, con textos y dibujos de "
                                                                                "los autores de Lumbre.")));

        // "Normalizar" in the configuration window goes through the main window's built-in scheme.
        w->configuracion()->cmdNormal->click();
        QCOMPARE(pixelDe(prueba::control<Tira>(*w, "pctTitulo")), QColor(159, 151, 128));
        QCOMPARE(apariencia::colorActual(w->ventanaImagen()->txtEpigrafe, apariencia::Propiedad::Fondo),
                 QColor(0, 0, 0));
    }
};

QTEST_MAIN(TstVisorExtras)
#include "tst_visor_extras.moc"

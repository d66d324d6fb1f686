// The viewer's main window, selector and image window, driven through real clicks on small stores
// written by each test.

#include "main_window/caja_imagen.h"
#include "main_window/etiqueta.h"
#include "main_window/tira.h"
#include "main_window/ventana_principal.h"
#include "store/rutas.h"
#include "tests/support/controles.h"
#include "tests/support/listas.h"
#include "tests/support/unidades.h"
#include "ui/dialogos.h"
#include "ui/texto.h"
#include "ui/twips.h"
#include "viewer/tests/indice_de_prueba.h"
#include "windows/selector.h"
#include "windows/ventana_imagen.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <initializer_list>
#include <memory>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

using prueba::dobleClic;
using prueba::nombres;
using prueba::textos;

namespace {

const std::string kDir = "C:\\ENC\\PRUEBA";

std::string en(const std::string& nombre) {
    return kDir + "\\" + nombre;
}

QByteArray lineas(std::initializer_list<const char*> ls) {
    QByteArray b;
    for (const char* l : ls) {
        b += l;
        b += "\r\n";
    }
    return b;
}

QByteArray png(int ancho, int alto, QColor color = Qt::red) {
    QImage imagen(ancho, alto, QImage::Format_RGB32);
    imagen.fill(color);
    QByteArray b;
    QBuffer buf(&b);
    buf.open(QIODevice::WriteOnly);
    imagen.save(&buf, "PNG");
    return b;
}

// A small encyclopaedia: registry, data root and one encyclopaedia directory with articles.
class Tienda {
public:
    Tienda() {
        poner("C:\\LUMBRE\\TOMOS.DAT", lineas({"C:\\ENC\\ACTUAL.DAT", "C:\\ENC\\TOMOS.DAT"}));
        poner("C:\\ENC\\ACTUAL.DAT", lineas({kDir.c_str()}));
        poner("C:\\ENC\\TOMOS.DAT", lineas({kDir.c_str()}));
        poner(en("DESCRIP.DAT"), lineas({"Prueba", "Una enciclotomo de prueba"}));
        poner(en("COLOR.DAT"),
              lineas({"8427423", "16777215", "12636368", "0", "14673120", "0", "16777215", "0", "0", "14673120"}));
        poner(en("ICONO.ICO"), png(16, 16));
        poner(en("LISTAS.DAT"), lineas({"Planetas", "Lunas"}));
        poner(en("Planetas.dat"), lineas({"sol.txt", "luna.txt"}));
        poner(en("Lunas.dat"), lineas({"luna.txt"}));
        poner(en("COMPLETA.DAT"), lineas({"sol.txt", "marte.txt", "luna.txt"}));
        poner(en("sol.txt"), lineas({"<TIT>El Sol", "<IMG>sol.png", "<IMG>mapa.bmp", "<img>corona.png", "Estrella",
                                     " central.", " / ", "Fin."}));
        poner(en("marte.txt"), lineas({"<TIT>Marte", "<CST>costado.png", "Planeta rojo."}));
        poner(en("luna.txt"), lineas({"<TIT>La Luna", "<IMG>luna.png", "Satélite."}));
        poner(en("IMG\\sol.png"), png(60, 40));
        poner(en("IMG\\sol.txt"), lineas({"Sol visible", "Foto del Sol"}));
        poner(en("IMG\\mapa.bmp"), png(30, 30, Qt::blue));
        poner(en("IMG\\mapa.txt"), lineas({"Mapa", "Costa norte", "/", "Escala 1:1000"}));
        poner(en("IMG\\corona.png"), png(20, 20));
        poner(en("IMG\\luna.png"), png(ui::pixeles(3000), ui::pixeles(2000), Qt::gray));
        poner(en("IMG\\luna.txt"), lineas({"Luna llena", "La cara visible"}));
        poner(en("IMG\\costado.png"), png(90, 300, Qt::green));
        poner(en("ULTIMO.DAT"), lineas({"sol.txt"}));
    }

    void poner(const std::string& ruta, const QByteArray& contenido) { QVERIFY(u.escribir(ruta, contenido)); }
    void quitar(const std::string& ruta) { QFile::remove(QString::fromStdString(store::resolver(ruta).string())); }

    prueba::Unidades u;
};

std::unique_ptr<VentanaPrincipal> arrancar() {
    auto w = std::make_unique<VentanaPrincipal>();
    if (!w->Form_Load()) {
        return nullptr;
    }
    w->show();
    if (!prueba::esperarListado(w->titulos())) {
        return nullptr;
    }
    return w;
}

} // namespace

class PruebaVisor : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { ui::Dialogos::modoPrueba(true); }
    void init() { ui::Dialogos::limpiar(); }

    void startUp_opensLastArticleWithFirstIllustration() {
        Tienda t;
        auto w = arrancar();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Prueba")); // the encyclopaedia's name, taken on last
        QCOMPARE(prueba::control<Etiqueta>(*w, "lblTitulo")->text(), QStringLiteral("El Sol"));
        QCOMPARE(prueba::control<CajaArticulo>(*w, "txtArticulo")->toPlainText(),
                 QStringLiteral("Estrella central.\nFin."));
        QCOMPARE(textos(prueba::control<QListWidget>(*w, "lstEsquema")),
                 (QStringList{u"sol.png"_s, u"mapa.bmp"_s, u"corona.png"_s}));
        QCOMPARE(prueba::control<QListWidget>(*w, "lstEsquema")->currentRow(), 0);
        QVERIFY(!prueba::control<Tira>(*w, "pctEsquema")->isHidden());
        QVERIFY(!prueba::control<Tira>(*w, "pctContiene")->isHidden());
        QCOMPARE(prueba::control<Etiqueta>(*w, "lblTitImag")->text(), QStringLiteral("Sol visible"));
        QCOMPARE(prueba::control<QPlainTextEdit>(*w, "txtEpigrafe")->toPlainText(), QStringLiteral("Foto del Sol"));
        QCOMPARE(prueba::control<CajaImagen>(*w, "pctImagen")->imagen().size(), QSize(60, 40));
        QVERIFY(prueba::control<QPlainTextEdit>(*w, "txtEpigrafe")->isHidden()); // the caption box starts hidden
        QVERIFY(prueba::control<Etiqueta>(*w, "imgCostado")->pixmap().isNull());

        Selector* s = w->selector();
        QVERIFY(s->isVisible());
        QCOMPARE(s->windowTitle(), QStringLiteral("S E L E C T O R"));
        QCOMPARE(textos(s->lstArticulos), (QStringList{u"El Sol"_s, u"Marte"_s, u"La Luna"_s}));
        QCOMPARE(nombres(s->titulos()), (QStringList{u"sol.txt"_s, u"marte.txt"_s, u"luna.txt"_s}));
        QCOMPARE(textos(s->lstDats), (QStringList{u"Planetas"_s, u"Lunas"_s}));
        QCOMPARE(s->lblCantidad->text(), QStringLiteral("3 artículos en la lista."));
        // Pixels at 96 dpi written out (15 twips to the pixel), so that a fault in the conversion shows.
        QCOMPARE(ui::pixeles(1440), 96);
        QCOMPARE(s->size(), QSize(228, 304));
        QCOMPARE(s->lstArticulos->geometry(), QRect(8, 16, 169, 262));
        QCOMPARE(s->cmdTamano->geometry(), QRect(184, 16, 33, 33));
        QCOMPARE(s->titulos()->directorio(), kDir);
        QVERIFY(ui::Dialogos::mostrados().isEmpty());
    }

    void menuBar_hasTheDesignedItems() {
        Tienda t;
        auto w = arrancar();
        QVERIFY(w);
        QCOMPARE(prueba::control<QAction>(*w, "mnuFile")->text(), QStringLiteral("Enciclotomo"));
        const auto sub = prueba::control<QAction>(*w, "mnuFile")->menu()->actions();
        // The designed items keep their order, the separator right above "Salir"; "Imprimir…" and "Exportar a
        // PDF…" are added after "Seleccionar", under a separator of their own.
        QCOMPARE(sub.size(), 7);
        QCOMPARE(sub[0], prueba::control<QAction>(*w, "mnuConfig"));
        QCOMPARE(prueba::control<QAction>(*w, "mnuConfig")->text(), QStringLiteral("Configuración"));
        QCOMPARE(sub[1], prueba::control<QAction>(*w, "mnuSeleki"));
        QCOMPARE(prueba::control<QAction>(*w, "mnuSeleki")->text(), QStringLiteral("Seleccionar"));
        QVERIFY(sub[2]->isSeparator());
        QCOMPARE(sub[3]->text(), QStringLiteral("Imprimir…"));
        QCOMPARE(sub[4]->text(), QStringLiteral("Exportar a PDF…"));
        QCOMPARE(sub[5], prueba::control<QAction>(*w, "mnuSeparar"));
        QVERIFY(sub[5]->isSeparator());
        QCOMPARE(sub[6]->text(), QStringLiteral("Salir"));
        QStringList barra;
        for (QAction* a : w->menuBar()->actions()) {
            barra << a->text();
        }
        // The designed items keep their places; the added menu "Ir" comes after them.
        QCOMPARE(barra, (QStringList{u"Enciclotomo"_s, u"Buscar"_s, u"Diccionario"_s, u"Acerca de . . ."_s, u"Ir"_s}));
        QCOMPARE(ui::pixeles(1440), 96); // pixels written out at 96 dpi, 15 twips to the pixel
        QCOMPARE(w->centralWidget()->size(), QSize(792, 573));
        QCOMPARE(prueba::control<CajaArticulo>(*w, "txtArticulo")->geometry(), QRect(448, 64, 329, 497));
        QCOMPARE(prueba::control<QListWidget>(*w, "lstEsquema")->geometry(), QRect(8, 24, 177, 496));
        QCOMPARE(prueba::control<Tira>(*w, "pctContiene")->geometry(), QRect(208, 40, 225, 329));
    }

    void articleWithoutIllustrations_hidesPanelsAndShowsSidePicture() {
        Tienda t;
        auto w = arrancar();
        QVERIFY(w);
        dobleClic(w->selector()->lstArticulos, 1);
        QCOMPARE(prueba::control<Etiqueta>(*w, "lblTitulo")->text(), QStringLiteral("Marte"));
        QVERIFY(prueba::control<Tira>(*w, "pctEsquema")->isHidden());
        QVERIFY(prueba::control<Tira>(*w, "pctContiene")->isHidden());
        QCOMPARE(prueba::control<QListWidget>(*w, "lstEsquema")->count(), 0);
        QCOMPARE(prueba::control<Etiqueta>(*w, "imgCostado")->pixmap().size(), QSize(90, 300));
        // The illustration panel keeps what it showed, hidden with the panel.
        QCOMPARE(prueba::control<Etiqueta>(*w, "lblTitImag")->text(), QStringLiteral("Sol visible"));

        dobleClic(w->selector()->lstArticulos, 2); // no side picture line: the side picture goes
        QCOMPARE(prueba::control<Etiqueta>(*w, "lblTitulo")->text(), QStringLiteral("La Luna"));
        QVERIFY(prueba::control<Etiqueta>(*w, "imgCostado")->pixmap().isNull());
        QVERIFY(!prueba::control<Tira>(*w, "pctContiene")->isHidden());
        QCOMPARE(prueba::control<Etiqueta>(*w, "lblTitImag")->text(), QStringLiteral("Luna llena"));
    }

    void outlineDoubleClick_showsThatIllustrationAndCaption() {
        Tienda t;
        auto w = arrancar();
        QVERIFY(w);
        dobleClic(prueba::control<QListWidget>(*w, "lstEsquema"), 1);
        QCOMPARE(prueba::control<Etiqueta>(*w, "lblTitImag")->text(), QStringLiteral("Mapa"));
        QCOMPARE(prueba::control<QPlainTextEdit>(*w, "txtEpigrafe")->toPlainText(),
                 QStringLiteral("Costa norte\nEscala 1:1000"));
        QCOMPARE(prueba::control<CajaImagen>(*w, "pctImagen")->imagen().size(), QSize(30, 30));

        // A single click only selects.
        const QRect r = prueba::control<QListWidget>(*w, "lstEsquema")
                            ->visualItemRect(prueba::control<QListWidget>(*w, "lstEsquema")->item(2));
        QTest::mouseClick(prueba::control<QListWidget>(*w, "lstEsquema")->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(prueba::control<QListWidget>(*w, "lstEsquema")->currentRow(), 2);
        QCOMPARE(prueba::control<Etiqueta>(*w, "lblTitImag")->text(), QStringLiteral("Mapa"));
        // "corona.png" has no caption file: empty title and caption, picture shown.
        dobleClic(prueba::control<QListWidget>(*w, "lstEsquema"), 2);
        QCOMPARE(prueba::control<Etiqueta>(*w, "lblTitImag")->text(), QString());
        QCOMPARE(prueba::control<QPlainTextEdit>(*w, "txtEpigrafe")->toPlainText(), QString());
        QCOMPARE(prueba::control<CajaImagen>(*w, "pctImagen")->imagen().size(), QSize(20, 20));
    }

    void pieDeFoto_togglesFromLabelOrStrip_andLastsAcrossArticles() {
        Tienda t;
        auto w = arrancar();
        QVERIFY(w);
        QTest::mouseClick(prueba::control<Etiqueta>(*w, "lblPie"), Qt::LeftButton);
        QVERIFY(!prueba::control<QPlainTextEdit>(*w, "txtEpigrafe")->isHidden());
        QTest::mouseClick(prueba::control<Tira>(*w, "pctPie"), Qt::LeftButton, {},
                          QPoint(prueba::control<Tira>(*w, "pctPie")->width() - 2, 2));
        QVERIFY(prueba::control<QPlainTextEdit>(*w, "txtEpigrafe")->isHidden());
        QTest::mouseClick(prueba::control<Tira>(*w, "pctPie"), Qt::LeftButton, {},
                          QPoint(prueba::control<Tira>(*w, "pctPie")->width() - 2, 2));
        QVERIFY(!prueba::control<QPlainTextEdit>(*w, "txtEpigrafe")->isHidden());

        dobleClic(prueba::control<QListWidget>(*w, "lstEsquema"), 1);
        QVERIFY(!prueba::control<QPlainTextEdit>(*w, "txtEpigrafe")->isHidden());
        dobleClic(w->selector()->lstArticulos, 1); // no illustrations
        dobleClic(w->selector()->lstArticulos, 2);
        QVERIFY(!prueba::control<QPlainTextEdit>(*w, "txtEpigrafe")->isHidden());
        QVERIFY(prueba::control<QPlainTextEdit>(*w, "txtEpigrafe")->isVisible());
    }

    void selector_filtersApplyOnNarrowing() {
        Tienda t;
        auto w = arrancar();
        QVERIFY(w);
        Selector* s = w->selector();
        QVERIFY(!s->lstDats->isVisible()); // only the wide window shows the filters
        QTest::mouseClick(s->cmdTamano, Qt::LeftButton);
        QCOMPARE(s->width(), ui::pixeles(6360));
        QCOMPARE(s->height(), ui::pixeles(4560));
        QCOMPARE(s->cmdTamano->text(), QStringLiteral("<"));
        QVERIFY(s->lstDats->isVisible());
        QCOMPARE(s->lblCantidad->text(), QStringLiteral("3 artículos en la lista."));

        s->lstDats->item(0)->setCheckState(Qt::Checked);
        s->lstDats->item(1)->setCheckState(Qt::Checked);
        // Ticking while wide changes nothing yet.
        QCOMPARE(s->titulos()->rowCount(), 3);
        QCOMPARE(s->lblCantidad->text(), QStringLiteral("3 artículos en la lista."));

        QTest::mouseClick(s->cmdTamano, Qt::LeftButton);
        QVERIFY(prueba::esperarListado(s->titulos()));
        QCOMPARE(s->width(), ui::pixeles(3420));
        QCOMPARE(s->cmdTamano->text(), QStringLiteral(">"));
        // The ticked lists one after another; an article in both is listed and counted twice.
        QCOMPARE(textos(s->lstArticulos), (QStringList{u"El Sol"_s, u"La Luna"_s, u"La Luna"_s}));
        QCOMPARE(nombres(s->titulos()), (QStringList{u"sol.txt"_s, u"luna.txt"_s, u"luna.txt"_s}));
        QCOMPARE(s->lblCantidad->text(), QStringLiteral("3 artículos en la lista. Filtros aplicados"));

        // A narrow selector the reader made wider widens on the next click and narrows (and filters) on
        // the one after, back to the width the reader gave it.
        s->lstDats->item(0)->setCheckState(Qt::Unchecked);
        s->resize(s->width() + 7, s->height());
        QTest::mouseClick(s->cmdTamano, Qt::LeftButton);
        QCOMPARE(s->width(), ui::pixeles(6360) + 7);
        QCOMPARE(textos(s->lstArticulos), (QStringList{u"El Sol"_s, u"La Luna"_s, u"La Luna"_s}));
        QTest::mouseClick(s->cmdTamano, Qt::LeftButton);
        QVERIFY(prueba::esperarListado(s->titulos()));
        QCOMPARE(s->width(), ui::pixeles(3420) + 7);
        QCOMPARE(textos(s->lstArticulos), (QStringList{u"La Luna"_s}));
        QCOMPARE(s->lblCantidad->text(), QStringLiteral("1 artículos en la lista. Filtros aplicados"));

        // No filter: the complete list again.
        s->lstDats->item(1)->setCheckState(Qt::Unchecked);
        QTest::mouseClick(s->cmdTamano, Qt::LeftButton);
        QTest::mouseClick(s->cmdTamano, Qt::LeftButton);
        QVERIFY(prueba::esperarListado(s->titulos()));
        QCOMPARE(textos(s->lstArticulos), (QStringList{u"El Sol"_s, u"Marte"_s, u"La Luna"_s}));
        QCOMPARE(s->lblCantidad->text(), QStringLiteral("3 artículos en la lista."));
    }

    void selector_emptyResultCountsZero() {
        Tienda t;
        t.poner(en("Lunas.dat"), lineas({""})); // a list added but never saved: one empty line
        auto w = arrancar();
        QVERIFY(w);
        Selector* s = w->selector();
        s->lstDats->item(1)->setCheckState(Qt::Checked);
        s->cmdTamano_Click();
        s->cmdTamano_Click();
        QVERIFY(prueba::esperarListado(s->titulos()));
        QCOMPARE(s->titulos()->rowCount(), 0);
        QCOMPARE(s->titulos()->cantidadNombres(), 0);
        QCOMPARE(s->lblCantidad->text(), QStringLiteral("0 artículos en la lista. Filtros aplicados"));
        QVERIFY(ui::Dialogos::mostrados().isEmpty());
    }

    void titlesStayAlignedWithFileNames_andUltimoRecordsTheChoice() {
        Tienda t;
        t.poner(en("COMPLETA.DAT"), lineas({"a.txt", "", "b.txt", "sin.txt", "c.txt"}));
        t.poner(en("a.txt"), lineas({"<TIT>Igual", "Texto A"}));
        t.poner(en("b.txt"), lineas({"<TIT>Igual", "Texto B"}));
        t.poner(en("sin.txt"), lineas({"Sin titulo"}));
        t.poner(en("c.txt"), lineas({"<TIT>Primero", "<TIT>Segundo", "Texto C"}));
        t.quitar(en("ULTIMO.DAT"));
        {
            auto w = arrancar();
            QVERIFY(w);
            Selector* s = w->selector();
            // The empty line names no article; the titles stay parallel with the names.
            QCOMPARE(nombres(s->titulos()), (QStringList{u"a.txt"_s, u"b.txt"_s, u"sin.txt"_s, u"c.txt"_s}));
            QCOMPARE(textos(s->lstArticulos), (QStringList{u"Igual"_s, u"Igual"_s, u""_s, u"Segundo"_s}));
            dobleClic(s->lstArticulos, 1);
            QCOMPARE(prueba::control<CajaArticulo>(*w, "txtArticulo")->toPlainText(), QStringLiteral("Texto B"));
            QCOMPARE(t.u.bytes(en("ULTIMO.DAT")), QByteArray("b.txt\r\n"));
            dobleClic(s->lstArticulos, 0);
            QCOMPARE(prueba::control<CajaArticulo>(*w, "txtArticulo")->toPlainText(), QStringLiteral("Texto A"));
            dobleClic(s->lstArticulos, 1);
        }
        auto otra = arrancar(); // the next start opens the article chosen last
        QVERIFY(otra);
        QCOMPARE(prueba::control<CajaArticulo>(*otra, "txtArticulo")->toPlainText(), QStringLiteral("Texto B"));
        QVERIFY(ui::Dialogos::mostrados().isEmpty());
    }

    void imageWindow_fitsThePictureAndCopiesIt() {
        Tienda t;
        t.poner(en("ULTIMO.DAT"), lineas({"luna.txt"}));
        auto w = arrancar();
        QVERIFY(w);
        VentanaImagen* img = w->ventanaImagen();
        QVERIFY(!img->isVisible());
        QTest::mouseClick(prueba::control<Etiqueta>(*w, "lblAbrir"), Qt::LeftButton);
        QVERIFY(img->isVisible());
        QCOMPARE(img->windowModality(), Qt::ApplicationModal);
        QCOMPARE(img->windowTitle(), QStringLiteral("Luna llena"));
        QCOMPARE(img->txtEpigrafe->toPlainText(), QStringLiteral("La cara visible"));

        const int ancho = ui::pixeles(3000);
        const int alto = ui::pixeles(2000);
        QCOMPARE(QSize(ancho, alto), QSize(200, 133)); // at the offscreen screen's 96 dpi
        QCOMPARE(img->pctLlena->size(), QSize(ancho, alto));
        QCOMPARE(img->size(), QSize(ancho + ui::pixeles(100), alto + ui::pixeles(1615)));
        QCOMPARE(img->txtEpigrafe->geometry(), QRect(0, alto, ancho, ui::pixeles(1215)));

        // Right button: the popup menu; other buttons: nothing.
        QTest::mouseClick(img->pctLlena, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!img->mnuPopup->isVisible());
        QTest::mousePress(img->pctLlena, Qt::RightButton, {}, QPoint(5, 5));
        QTRY_VERIFY(img->mnuPopup->isVisible());
        QStringList items;
        for (QAction* a : img->mnuPopup->actions()) {
            items << (a->isSeparator() ? QStringLiteral("-") : a->text());
        }
        QCOMPARE(items, (QStringList{u"Copiar imagen"_s, u"-"_s, u"Cerrar"_s}));
        img->mnuPopup->hide();

        QGuiApplication::clipboard()->clear();
        img->mnuCopiar->trigger();
        const QImage copiada = QGuiApplication::clipboard()->image();
        QCOMPARE(copiada.size(), QSize(ancho, alto));
        QCOMPARE(copiada.pixelColor(3, 3), QColor(Qt::gray));

        img->mnuCerrar->trigger();
        QVERIFY(!img->isVisible());

        // The strip around the label does the same; a smaller picture shrinks the window.
        dobleClic(w->selector()->lstArticulos, 0);
        QTest::mouseClick(prueba::control<Tira>(*w, "pctAbrir"), Qt::LeftButton, {},
                          QPoint(prueba::control<Tira>(*w, "pctAbrir")->width() - 2, 2));
        QVERIFY(img->isVisible());
        QCOMPARE(img->size(), QSize(60 + ui::pixeles(100), 40 + ui::pixeles(1615)));
        QCOMPARE(img->windowTitle(), QStringLiteral("Sol visible"));
        img->close(); // closing only hides
        QVERIFY(!img->isVisible());
        QVERIFY(img->pctLlena); // still there
    }

    void startUp_withoutAnEncyclopaedia_saysWhatIsMissing_data() {
        QTest::addColumn<QString>("caso");
        QTest::addColumn<QString>("dice");
        QTest::newRow("sin registro") << u"registro"_s << u"C:\\LUMBRE\\TOMOS.DAT"_s;
        QTest::newRow("registro vacío") << u"registroVacio"_s << u"vacío"_s;
        QTest::newRow("sin archivo actual") << u"actual"_s << u"C:\\ENC\\ACTUAL.DAT"_s;
        QTest::newRow("archivo actual vacío") << u"actualVacio"_s << u"C:\\ENC\\ACTUAL.DAT"_s;
        QTest::newRow("sin directorio") << u"directorio"_s << QString::fromStdString(kDir);
    }
    void startUp_withoutAnEncyclopaedia_saysWhatIsMissing() {
        QFETCH(QString, caso);
        QFETCH(QString, dice);
        prueba::Unidades u;
        if (caso != QLatin1String("registro")) {
            u.escribir("C:\\LUMBRE\\TOMOS.DAT", caso == QLatin1String("registroVacio")
                                                    ? QByteArray()
                                                    : lineas({"C:\\ENC\\ACTUAL.DAT", "C:\\ENC\\TOMOS.DAT"}));
        }
        if (caso == QLatin1String("actualVacio")) {
            u.escribir("C:\\ENC\\ACTUAL.DAT", QByteArray());
        } else if (caso == QLatin1String("directorio")) {
            u.escribir("C:\\ENC\\ACTUAL.DAT", lineas({kDir.c_str()}));
        }
        VentanaPrincipal w;
        QVERIFY(!w.Form_Load());
        QCOMPARE(ui::Dialogos::mostrados().size(), 1);
        const QString texto = ui::Dialogos::mostrados().front().texto;
        QVERIFY2(texto.contains(dice), qPrintable(texto));
        QVERIFY2(texto.contains(QStringLiteral("Forja")), qPrintable(texto));
        QVERIFY(!w.selector()->isVisible());
    }

    void startUp_withoutALastArticle_showsNone_data() {
        QTest::addColumn<QByteArray>("ultimo");
        QTest::addColumn<bool>("existe");
        QTest::newRow("sin ultimo.dat") << QByteArray() << false;
        QTest::newRow("ultimo.dat vacío") << QByteArray() << true;
        QTest::newRow("artículo que no existe") << lineas({"nada.txt"}) << true;
        QTest::newRow("nombre que sale del directorio") << lineas({"..\\fuera.txt"}) << true;
        QTest::newRow("nombre absoluto") << lineas({"C:\\ENC\\fuera.txt"}) << true;
    }
    void startUp_withoutALastArticle_showsNone() {
        QFETCH(QByteArray, ultimo);
        QFETCH(bool, existe);
        Tienda t;
        t.poner("C:\\ENC\\fuera.txt", lineas({"<TIT>Fuera", "No debe verse"}));
        if (existe) {
            t.poner(en("ULTIMO.DAT"), ultimo);
        } else {
            t.quitar(en("ULTIMO.DAT"));
        }
        auto w = arrancar();
        QVERIFY(w);
        QCOMPARE(prueba::control<Etiqueta>(*w, "lblTitulo")->text(), QString());
        QCOMPARE(prueba::control<CajaArticulo>(*w, "txtArticulo")->toPlainText(), QString());
        QVERIFY(prueba::control<Tira>(*w, "pctEsquema")->isHidden());
        QVERIFY(prueba::control<Tira>(*w, "pctContiene")->isHidden());
        QCOMPARE(w->selector()->titulos()->rowCount(), 3);
        QVERIFY(ui::Dialogos::mostrados().isEmpty());
        dobleClic(w->selector()->lstArticulos, 0); // everything else works
        QCOMPARE(prueba::control<Etiqueta>(*w, "lblTitulo")->text(), QStringLiteral("El Sol"));
    }

    void startUp_withAnUnreadableLastArticle_saysSoAndShowsNone() {
#ifdef Q_OS_LINUX
        Tienda t;
        // A file that exists but cannot be read, even by root: reading the start of /proc/self/mem fails.
        t.quitar(en("sol.txt"));
        QVERIFY(QFile::link(u"/proc/self/mem"_s, QString::fromStdString(store::resolver(en("sol.txt")).string())));
        auto w = arrancar();
        QVERIFY(w);
        QCOMPARE(ui::Dialogos::mostrados().size(), 2); // the title listing and the opening
        QVERIFY(ui::Dialogos::mostrados().back().texto.contains(u"sol.txt"_s));
        QCOMPARE(prueba::control<Etiqueta>(*w, "lblTitulo")->text(), QString());
        QVERIFY(prueba::control<Tira>(*w, "pctEsquema")->isHidden());
        QVERIFY(prueba::control<Tira>(*w, "pctContiene")->isHidden());
#else
        QSKIP("needs a file that exists and cannot be read");
#endif
    }

    void missingArticle_isReportedAndTheShownOneStays() {
        Tienda t;
        auto w = arrancar();
        QVERIFY(w);
        t.quitar(en("marte.txt"));
        dobleClic(w->selector()->lstArticulos, 1);
        QCOMPARE(ui::Dialogos::mostrados().size(), 1);
        QVERIFY(ui::Dialogos::mostrados().front().texto.contains(QStringLiteral("marte.txt")));
        QCOMPARE(prueba::control<Etiqueta>(*w, "lblTitulo")->text(), QStringLiteral("El Sol"));
        QCOMPARE(prueba::control<QListWidget>(*w, "lstEsquema")->count(), 3);
        QVERIFY(!prueba::control<Tira>(*w, "pctContiene")->isHidden());
        QCOMPARE(t.u.bytes(en("ULTIMO.DAT")), QByteArray("sol.txt\r\n")); // not recorded
    }

    void titleListing_reportsMissingArticlesOnce() {
        Tienda t;
        t.poner(en("COMPLETA.DAT"),
                lineas({"no1.txt", "sol.txt", "no2.txt", "..\\fuera.txt", "C:\\ENC\\fuera.txt", "no3.txt"}));
        t.poner("C:\\ENC\\fuera.txt", lineas({"<TIT>Fuera"}));
        auto w = arrancar();
        QVERIFY(w);
        QCOMPARE(ui::Dialogos::mostrados().size(), 1);
        QVERIFY(ui::Dialogos::mostrados().front().texto.contains(QStringLiteral("5")));
        QCOMPARE(textos(w->selector()->lstArticulos), (QStringList{u""_s, u"El Sol"_s, u""_s, u""_s, u""_s, u""_s}));

        // Opening a refused name says so and keeps the article.
        ui::Dialogos::limpiar();
        dobleClic(w->selector()->lstArticulos, 3);
        QCOMPARE(ui::Dialogos::mostrados().size(), 1);
        QCOMPARE(prueba::control<Etiqueta>(*w, "lblTitulo")->text(), QStringLiteral("El Sol"));
        QCOMPARE(t.u.bytes(en("ULTIMO.DAT")), QByteArray("sol.txt\r\n"));
    }

    void refusedNames_areReportedInSpanish_andNothingOutsideIsRead() {
        Tienda t;
        t.poner(en("COMPLETA.DAT"), lineas({"sol.txt", "..\\fuera.txt"}));
        t.poner(en("LISTAS.DAT"), lineas({"..\\..\\Fuera"}));
        t.poner("C:\\ENC\\fuera.txt", lineas({"<TIT>Fuera"}));
        t.poner("C:\\Fuera.dat", lineas({"sol.txt"}));
        auto w = arrancar();
        QVERIFY(w);
        Selector* s = w->selector();
        QCOMPARE(textos(s->lstArticulos), (QStringList{u"El Sol"_s, u""_s}));
        QCOMPARE(ui::Dialogos::mostrados().size(), 1);
        QString texto = ui::Dialogos::mostrados().front().texto;
        QVERIFY2(texto.startsWith(u"No se pudo leer el artículo «C:\\ENC\\PRUEBA\\..\\fuera.txt»"_s),
                 qPrintable(texto));

        // A list whose name climbs out of the encyclopaedia is not read.
        ui::Dialogos::limpiar();
        s->lstDats->item(0)->setCheckState(Qt::Checked);
        s->cmdTamano_Click();
        s->cmdTamano_Click();
        QVERIFY(prueba::esperarListado(s->titulos()));
        QCOMPARE(s->titulos()->cantidadNombres(), 0);
        QCOMPARE(ui::Dialogos::mostrados().size(), 1);
        texto = ui::Dialogos::mostrados().front().texto;
        QVERIFY2(texto.contains(u"leer la lista"_s) && texto.contains(u"Fuera.dat"_s), qPrintable(texto));
    }

    void missingListFiles_areReportedAndTheSelectorCarriesOn() {
        Tienda t;
        t.quitar(en("LISTAS.DAT"));
        t.quitar(en("Lunas.dat"));
        auto w = arrancar();
        QVERIFY(w);
        QCOMPARE(ui::Dialogos::mostrados().size(), 1); // listas.dat
        QCOMPARE(w->selector()->lstDats->count(), 0);
        QCOMPARE(w->selector()->titulos()->rowCount(), 3);

        t.poner(en("LISTAS.DAT"), lineas({"Lunas"}));
        w->selector()->Form_Load();
        w->selector()->lstDats->item(0)->setCheckState(Qt::Checked);
        ui::Dialogos::limpiar();
        w->selector()->cmdTamano_Click();
        w->selector()->cmdTamano_Click();
        QVERIFY(prueba::esperarListado(w->titulos()));
        QCOMPARE(ui::Dialogos::mostrados().size(), 1); // Lunas.dat
        QCOMPARE(w->selector()->titulos()->rowCount(), 0);
    }

    void missingPictures_leaveThePanelEmpty_data() {
        QTest::addColumn<QByteArray>("articulo");
        QTest::addColumn<QString>("titulo");
        QTest::addColumn<QString>("epigrafe");
        QTest::addColumn<bool>("imagen");
        QTest::newRow("sin imagen, con pie")
            << lineas({"<IMG>perdida.png"}) << u"Imagen no disponible"_s << u"Texto del pie"_s << false;
        QTest::newRow("imagen ilegible") << lineas({"<IMG>rota.png"}) << u"Imagen no disponible"_s << u""_s << false;
        QTest::newRow("pie vacío") << lineas({"<IMG>vacio.png"}) << u""_s << u""_s << true;
        QTest::newRow("nombre corto sin pie") << lineas({"<IMG>ab"}) << u""_s << u""_s << true;
        QTest::newRow("nombre que sale") << lineas({"<IMG>..\\..\\fuera.png"}) << u"Imagen no disponible"_s << u""_s
                                         << false;
        QTest::newRow("nombre absoluto") << lineas({"<IMG>C:\\ENC\\fuera.png"}) << u"Imagen no disponible"_s << u""_s
                                         << false;
    }
    void missingPictures_leaveThePanelEmpty() {
        QFETCH(QByteArray, articulo);
        QFETCH(QString, titulo);
        QFETCH(QString, epigrafe);
        QFETCH(bool, imagen);
        Tienda t;
        t.poner(en("IMG\\perdida.txt"), lineas({"Perdida", "Texto del pie"}));
        t.poner(en("IMG\\rota.png"), QByteArray("no es una imagen"));
        t.poner(en("IMG\\vacio.png"), png(10, 10));
        t.poner(en("IMG\\vacio.txt"), QByteArray());
        t.poner(en("IMG\\ab"), png(10, 10));
        t.poner(en("IMG\\TXT"), lineas({"No es el pie de ab"}));
        t.poner("C:\\ENC\\fuera.png", png(10, 10));
        t.poner("C:\\ENC\\fuera.txt", lineas({"Fuera"}));
        t.poner(en("x.txt"), articulo);
        auto w = arrancar();
        QVERIFY(w);
        w->Abrir(en("x.txt"));
        QVERIFY(!prueba::control<Tira>(*w, "pctContiene")->isHidden());
        QCOMPARE(prueba::control<Etiqueta>(*w, "lblTitImag")->text(), titulo);
        QCOMPARE(prueba::control<QPlainTextEdit>(*w, "txtEpigrafe")->toPlainText(), epigrafe);
        QCOMPARE(!prueba::control<CajaImagen>(*w, "pctImagen")->imagen().isNull(), imagen);
        QVERIFY(ui::Dialogos::mostrados().isEmpty());

        // With no picture the image window does not open, and the reader is told which file is missing.
        QTest::mouseClick(prueba::control<Etiqueta>(*w, "lblAbrir"), Qt::LeftButton);
        QCOMPARE(w->ventanaImagen()->isVisible(), imagen);
        QCOMPARE(ui::Dialogos::mostrados().size(), imagen ? 0 : 1);
        if (!imagen) {
            const QString texto = ui::Dialogos::mostrados().front().texto;
            QVERIFY2(texto.contains(prueba::control<QListWidget>(*w, "lstEsquema")->item(0)->text()),
                     qPrintable(texto));
        }
    }

    void sidePicture_missingOrOutside_showsNone_data() {
        QTest::addColumn<QByteArray>("articulo");
        QTest::newRow("falta") << lineas({"<CST>nada.png", "Texto"});
        QTest::newRow("sale del directorio") << lineas({"<CST>..\\..\\fuera.png", "Texto"});
        QTest::newRow("la última cuenta") << lineas({"<CST>costado.png", "<CST>nada.png", "Texto"});
    }
    void sidePicture_missingOrOutside_showsNone() {
        QFETCH(QByteArray, articulo);
        Tienda t;
        t.poner("C:\\ENC\\fuera.png", png(10, 10));
        t.poner(en("x.txt"), articulo);
        auto w = arrancar();
        QVERIFY(w);
        w->Abrir(en("x.txt"));
        QCOMPARE(prueba::control<CajaArticulo>(*w, "txtArticulo")->toPlainText(), QStringLiteral("Texto"));
        QVERIFY(prueba::control<Etiqueta>(*w, "imgCostado")->pixmap().isNull());
        QVERIFY(ui::Dialogos::mostrados().isEmpty());
    }

    // A FIFO in place of a picture is refused at once: the viewer never waits for a writer on it.
    void picturesThatAreFifos_areRefusedAtOnce() {
        Tienda t;
        for (const char* nombre : {"ICONO.ICO", "IMG\\sol.png", "IMG\\costado.png"}) {
            const std::string nativa = store::resolver(en(nombre)).string();
            QVERIFY(QFile::remove(QString::fromStdString(nativa)));
            QCOMPARE(::mkfifo(nativa.c_str(), 0600), 0);
        }
        ::alarm(60); // a hang ends the test run instead of blocking it
        auto w = arrancar();
        QVERIFY(w);
        QVERIFY(prueba::control<CajaImagen>(*w, "pctImagen")->imagen().isNull());
        QCOMPARE(prueba::control<Etiqueta>(*w, "lblTitImag")->text(), u"Imagen no disponible"_s);
        w->Abrir(en("marte.txt"));
        QCOMPARE(prueba::control<CajaArticulo>(*w, "txtArticulo")->toPlainText(), u"Planeta rojo."_s);
        QVERIFY(prueba::control<Etiqueta>(*w, "imgCostado")->pixmap().isNull());
        ::alarm(0);
    }

    // One word of 100 KB without a space: the text box gets a break opportunity (U+200B, invisible) at least
    // every 64 characters, since the toolkit lays out one unbreakable word of a megabyte for minutes. The text
    // is otherwise shown as it is.
    void longWordsWithoutSpaces_canBreak() {
        Tienda t;
        QString palabra;
        for (int i = 0; i < 100000; ++i) {
            palabra += QChar(u'a' + i % 26);
        }
        // The word runs on over two lines of the file, which the body joins with nothing between.
        const QByteArray bytes = palabra.toLatin1();
        t.poner(en("x.txt"),
                lineas({"<TIT>Larga", "corta ", bytes.left(40).constData(), bytes.mid(40).constData(), " fin"}));
        auto w = arrancar();
        QVERIFY(w);
        w->Abrir(en("x.txt"));
        const QString mostrado = prueba::control<CajaArticulo>(*w, "txtArticulo")->toPlainText();
        QCOMPARE(QString(mostrado).remove(QChar(0x200B)), u"corta "_s + palabra + u" fin"_s);
        qsizetype corrida = 0;
        for (const QChar c : mostrado) {
            corrida = (c.isSpace() || c == QChar(0x200B)) ? 0 : corrida + 1;
            QVERIFY2(corrida <= 64, "a run of more than 64 characters cannot break");
        }
        QVERIFY(mostrado.startsWith(u"corta "_s + palabra.left(64)));
    }

    // The body is widened many bytes at a time where it can be: words, white space, line ends and accented
    // letters on either side of those steps give what one character at a time gives, for long and short limits.
    void shownText_isTheSameWhateverTheStepsFallOn() {
        const char* const piezas[] = {"palabra",  " ",    "\t",        "\r\n", "\r", "\n",
                                      "\xE1rbol", "\xA0", "\x93x\x94", "\x85", "x",  "muylarguisima"};
        std::uint32_t semilla = 7;
        for (const qsizetype limite : {qsizetype(5), qsizetype(16), qsizetype(20), qsizetype(64)}) {
            for (int caso = 0; caso < 300; ++caso) {
                std::string bytes;
                while (bytes.size() < static_cast<std::size_t>(caso % 150)) {
                    semilla = semilla * 1103515245u + 12345u;
                    bytes += piezas[(semilla >> 16) % std::size(piezas)];
                }
                QString esperado;
                qsizetype corrida = 0;
                for (std::size_t i = 0; i < bytes.size(); ++i) {
                    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                        continue;
                    }
                    const QString c = ui::desdeStore(std::string_view(bytes).substr(i, 1));
                    corrida = c[0].isSpace() ? 0 : corrida + 1;
                    if (corrida > limite) {
                        esperado += QChar(0x200B);
                        corrida = 1;
                    }
                    esperado += c;
                }
                QCOMPARE(ui::textoMostrado(bytes, limite), esperado);
            }
        }
    }

    void cargar_accumulatesAndRefreshesOnlyWhenAsked() {
        Tienda t;
        auto w = arrancar();
        QVERIFY(w);
        Selector* s = w->selector();
        w->Cargar("Lunas", false);
        QCOMPARE(s->titulos()->rowCount(), 3);
        w->Actualizar(); // the list loaded is read by the listing, before the titles
        QVERIFY(prueba::esperarListado(w->titulos()));
        QCOMPARE(nombres(s->titulos()), (QStringList{u"sol.txt"_s, u"marte.txt"_s, u"luna.txt"_s, u"luna.txt"_s}));
        QCOMPARE(s->titulos()->rowCount(), 7); // appends, never clears
    }

    void samples_everyArticleAndIllustrationOpens() {
        prueba::Unidades u;
        QVERIFY(u.instalarMuestras());
        auto w = arrancar();
        QVERIFY(w);
        QCOMPARE(w->titulos()->directorio(), std::string("C:\\ENCICLO\\SOLAR"));
        QVERIFY(prueba::control<QListWidget>(*w, "lstEsquema")->count() > 0);
        QAbstractItemView* lista = w->selector()->lstArticulos;
        const QStringList titulos = textos(lista);
        const QStringList archivos = nombres(w->titulos());
        for (int i = 0; i < titulos.size(); ++i) {
            QVERIFY2(!titulos[i].isEmpty(), qPrintable(archivos[i]));
            dobleClic(lista, i);
            QCOMPARE(prueba::control<Etiqueta>(*w, "lblTitulo")->text(), titulos[i]);
            for (int k = 0; k < prueba::control<QListWidget>(*w, "lstEsquema")->count(); ++k) {
                dobleClic(prueba::control<QListWidget>(*w, "lstEsquema"), k);
                QVERIFY2(!prueba::control<CajaImagen>(*w, "pctImagen")->imagen().isNull(),
                         qPrintable(prueba::control<QListWidget>(*w, "lstEsquema")->item(k)->text()));
                QVERIFY2(!prueba::control<Etiqueta>(*w, "lblTitImag")->text().isEmpty(),
                         qPrintable(prueba::control<QListWidget>(*w, "lstEsquema")->item(k)->text()));
            }
        }
        QVERIFY(ui::Dialogos::mostrados().isEmpty());
    }

    void buscar_showsTheHiddenSelectorUnchanged_andSalirEnds() {
        Tienda t;
        auto w = arrancar();
        QVERIFY(w);
        Selector* s = w->selector();
        s->lstDats->item(0)->setCheckState(Qt::Checked);
        s->close();
        QVERIFY(!s->isVisible());
        prueba::control<QAction>(*w, "mnuBuscar")->trigger();
        QVERIFY(s->isVisible());
        QCOMPARE(s->lstDats->item(0)->checkState(), Qt::Checked);
        QCOMPARE(s->titulos()->rowCount(), 3);

        prueba::control<QAction>(*w, "mnuSalir")->trigger();
        QVERIFY(!w->isVisible());
        QVERIFY(!s->isVisible());
    }
};

QTEST_MAIN(PruebaVisor)
#include "tst_ventana_principal.moc"

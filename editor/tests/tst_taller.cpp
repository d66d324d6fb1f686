// The editor's main window: its controls, the data root, adding and loading encyclopaedias, the description,
// and every refusal that must leave the store as it was.

#include "editor/estado.h"
#include "editor/lista_marcable.h"
#include "editor/sesion.h"
#include "editor/taller.h"
#include "editor/taller_art.h"
#include "editor/tests/ayudas.h"
#include "store/limites.h"
#include "tests/support/listas.h"
#include "tests/support/unidades.h"
#include "ui/dialogos.h"
#include "ui/twips.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <functional>

#include <sys/stat.h>

using prueba::agregarTomo;
using prueba::crearRaiz;
using prueba::escribir;
using prueba::pulsar;
using ui::Dialogos;

using Accion = std::function<void(Taller&)>;
Q_DECLARE_METATYPE(Accion)

namespace {

const QByteArray kColoresPredeterminados =
    "8427423\r\n16777215\r\n12636368\r\n0\r\n14673120\r\n0\r\n16777215\r\n0\r\n0\r\n14673120\r\n";

QString textoDe(QWidget* w) {
    if (auto* b = qobject_cast<QPushButton*>(w)) {
        return b->text();
    }
    if (auto* l = qobject_cast<QLabel*>(w)) {
        return l->text();
    }
    if (auto* g = qobject_cast<QGroupBox*>(w)) {
        return g->title();
    }
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        return e->text();
    }
    if (auto* p = qobject_cast<QPlainTextEdit*>(w)) {
        return p->toPlainText();
    }
    return {};
}

// The last message box shown, or an empty text.
QString ultimoMensaje() {
    return Dialogos::mostrados().isEmpty() ? QString() : Dialogos::mostrados().last().texto;
}

} // namespace

class TstTaller : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Dialogos::modoPrueba(true); }
    void init() { Dialogos::limpiar(); }

    void controls_standAtTheirPlacesWithTheirCaptions_data();
    void controls_standAtTheirPlacesWithTheirCaptions();
    void windows_standAtTheirPixelsAt96Dpi();
    void crearRaiz_writesRegistryAndMakesRoot();
    void crearRaiz_existingRegistry_isReplacedOnlyWhenConfirmed();
    void cargarRaiz_givesRootAsTypedAndEncyclopaediasInOrder_data();
    void cargarRaiz_givesRootAsTypedAndEncyclopaediasInOrder();
    void cargarRaiz_withoutRegistry_saysSoAndKeepsWindow();
    void tomoAdd_createsEveryDefaultFile();
    void tomoAdd_copiesChosenIcon();
    void tomoAdd_reportsAnIconThatCannotBeRead();
    void tomoLoad_fillsDescriptionArticlesAndLists();
    void tomoLoad_nothingSelected_changesNothing();
    void tomoLoad_missingFile_saysWhichAndKeepsWindow();
    void descripcion_gainsOneEmptyLinePerLoadAndSave();
    void refusals_leaveStoreAsItWas_data();
    void refusals_leaveStoreAsItWas();
    void buttons_enterPressesTheFocusedButton();
};

void TstTaller::controls_standAtTheirPlacesWithTheirCaptions_data() {
    QTest::addColumn<QString>("nombre");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QRect>("lugar");
    auto fila = [](const char* nombre, const QString& texto, int l, int t, int w, int h) {
        QTest::newRow(nombre) << QString::fromLatin1(nombre) << texto << ui::rectTwips(l, t, w, h);
    };
    fila("fraRaiz", QStringLiteral("Raíz"), 120, 120, 4935, 2415);
    fila("lblRaiz(0)", QStringLiteral("Crea el directorio C:\\LUMBRE, y la raíz de las enciclotomos."), 240, 360, 4575,
         375);
    fila("lblRaiz(1)", QStringLiteral("Raíz (U:\\RUTA):"), 240, 960, 1335, 255);
    fila("txtRaiz", QString(), 240, 1200, 4575, 285);
    fila("cmdCrearRaiz", QStringLiteral("Crear Directorio de Raíz [sólo la primera vez]"), 240, 1560, 4575, 375);
    fila("cmdCargarRaiz", QStringLiteral("Cargar Directorio Existente [veces restantes]"), 240, 1920, 4575, 375);
    fila("fraTomos", QStringLiteral("Enciclotomos"), 5160, 120, 6495, 2415);
    fila("lblTomos", QStringLiteral("Lista de Enciclotomos:"), 120, 360, 1635, 195);
    fila("lstTomos", QString(), 120, 600, 3975, 1620);
    fila("lblTomoNew", QStringLiteral("Ruta (U:\\RUTA):"), 4320, 360, 1215, 195);
    fila("txtNewTomo", QString(), 4320, 600, 1695, 285);
    fila("cmdTomoAdd", QStringLiteral("Agregar Enciclotomo"), 4320, 960, 1695, 375);
    fila("cmdTomoLoad", QStringLiteral("Cargar Enciclotomo"), 4320, 1320, 1695, 375);
    fila("fraTomo", QStringLiteral("Enciclotomo"), 120, 2640, 11535, 5775);
    fila("txtTomo", QString(), 240, 360, 2655, 285);
    fila("txtMsg", QStringLiteral("Acerca de . . .\nComentario del autor\n"), 240, 720, 2655, 735);
    fila("cmdSave", QStringLiteral("Guardar Acerca de . . ."), 240, 1560, 2655, 375);
    fila("Label2", QStringLiteral("Artículos:"), 3120, 360, 675, 195);
    fila("lstArticulos", QString(), 3120, 600, 2775, 1425);
    fila("lblArtNew", QStringLiteral("Artículo (NOMBRE.EXT):"), 6120, 360, 1800, 195);
    fila("txtNewArt", QString(), 6120, 600, 1455, 285);
    fila("txtArtAdd", QStringLiteral("Agregar Artículo"), 6120, 960, 1455, 375);
    fila("txtArtLoad", QStringLiteral("Cargar Artículo"), 6120, 1320, 1455, 375);
    fila("txtArticulo", QString(), 9000, 600, 2295, 285);
    fila("lblListas", QStringLiteral("Listas:"), 240, 2400, 450, 195);
    fila("lstListas", QString(), 240, 2640, 2655, 2985);
    fila("Label1", QStringLiteral("Lista (NOMBRE):"), 3120, 2400, 1215, 195);
    fila("txtLstNew", QString(), 3120, 2640, 1455, 285);
    fila("cmdLstAdd", QStringLiteral("Agregar Lista"), 3120, 3000, 1455, 375);
    fila("cmdLstLoad", QStringLiteral("Cargar Lista"), 3120, 3360, 1455, 375);
    fila("lblLstArts", QStringLiteral("Artículos:"), 6120, 2400, 675, 195);
    fila("lstLstArts", QString(), 6120, 2640, 2775, 2985);
    fila("txtLista", QString(), 9000, 2640, 2295, 285);
    fila("cmdLstSave", QStringLiteral("Guardar Lista"), 9000, 3000, 2295, 375);
    fila("cmdSalir", QStringLiteral("Salir"), 9000, 4920, 2415, 735);
}

void TstTaller::controls_standAtTheirPlacesWithTheirCaptions() {
    QFETCH(QString, nombre);
    QFETCH(QString, texto);
    QFETCH(QRect, lugar);
    SesionForja sesion;
    Taller t(sesion);
    QCOMPARE(t.windowTitle(), QStringLiteral("Generador de Enciclotomos"));
    QCOMPARE(t.size(), ui::rectTwips(0, 0, 11910, 8625).size());
    auto* w = t.findChild<QWidget*>(nombre);
    QVERIFY2(w, qPrintable(nombre));
    if (auto* l = qobject_cast<QLabel*>(w)) {
        // A label stands at its place and sizes itself to show its whole text.
        QCOMPARE(l->pos(), lugar.topLeft());
        QVERIFY(l->width() >= lugar.width() && l->height() >= lugar.height());
        QVERIFY2(l->wordWrap() ? l->height() >= l->heightForWidth(l->width())
                               : l->width() >= l->sizeHint().width() && l->height() >= l->sizeHint().height(),
                 qPrintable(nombre));
    } else {
        QCOMPARE(w->geometry(), lugar);
    }
    QCOMPARE(textoDe(w), texto);
    QVERIFY(!w->accessibleName().isEmpty());
    QVERIFY(w->isEnabled());
}

// A few places of both editor windows in pixels at 96 dots per inch (15 twips to the pixel), written out so
// that a fault in the conversion from twips cannot pass in both the windows and the expectations.
void TstTaller::windows_standAtTheirPixelsAt96Dpi() {
    QCOMPARE(ui::pixeles(1440), 96);
    SesionForja sesion;
    Taller t(sesion);
    TallerArt art(sesion, &t);
    QCOMPARE(t.size(), QSize(794, 575));
    QCOMPARE(art.size(), QSize(794, 575));
    const std::pair<QWidget*, QRect> lugares[] = {
        {t.fraRaiz, {8, 8, 329, 161}},          {t.txtRaiz, {16, 80, 305, 19}},
        {t.lstTomos, {8, 40, 265, 108}},        {t.fraTomo, {8, 176, 769, 385}},
        {t.lstLstArts, {408, 176, 185, 199}},   {t.cmdSalir, {600, 328, 161, 49}},
        {art.txtTitulo, {8, 24, 201, 19}},      {art.lstImagenes, {8, 128, 201, 251}},
        {art.txtArtText, {216, 24, 569, 505}},  {art.cmdSaveArt, {216, 536, 313, 33}},
        {art.cmdCancelar, {528, 536, 257, 33}},
    };
    for (const auto& [control, lugar] : lugares) {
        QVERIFY2(control->geometry() == lugar, qPrintable(control->objectName()));
    }
}

void TstTaller::crearRaiz_writesRegistryAndMakesRoot() {
    prueba::Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    crearRaiz(t, QStringLiteral("D:\\ENC"));
    QVERIFY(Dialogos::mostrados().isEmpty());
    QCOMPARE(u.bytes("C:\\LUMBRE\\TOMOS.DAT"), QByteArray("D:\\ENC\\ACTUAL.DAT\r\nD:\\ENC\\TOMOS.DAT\r\n"));
    QVERIFY(QFileInfo(u.nativa("D:\\ENC")).isDir());
    // The root holds neither list yet, and the window shows what it did before.
    QVERIFY(u.bytes("D:\\ENC\\TOMOS.DAT").isNull());
    QVERIFY(u.bytes("D:\\ENC\\ACTUAL.DAT").isNull());
    QCOMPARE(t.lstTomos->model()->rowCount(), 0);
    QCOMPARE(t.txtRaiz->text(), QStringLiteral("D:\\ENC"));
}

void TstTaller::crearRaiz_existingRegistry_isReplacedOnlyWhenConfirmed() {
    prueba::Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    crearRaiz(t, QStringLiteral("C:\\ENC"));
    const QByteArray original = u.bytes("C:\\LUMBRE\\TOMOS.DAT");

    Dialogos::siguienteRespuesta(QMessageBox::No);
    crearRaiz(t, QStringLiteral("C:\\OTRA"));
    QCOMPARE(Dialogos::mostrados().size(), 1);
    QCOMPARE(Dialogos::mostrados().first().icono, QMessageBox::Question);
    QVERIFY(ultimoMensaje().contains(QStringLiteral("C:\\LUMBRE\\TOMOS.DAT")));
    QCOMPARE(u.bytes("C:\\LUMBRE\\TOMOS.DAT"), original);
    QVERIFY(!QFileInfo::exists(u.nativa("C:\\OTRA")));

    // A root whose parent is missing is refused before the registry is touched.
    Dialogos::siguienteRespuesta(QMessageBox::Yes);
    crearRaiz(t, QStringLiteral("C:\\NO\\HAY"));
    QCOMPARE(Dialogos::mostrados().size(), 3);
    QCOMPARE(Dialogos::mostrados().last().icono, QMessageBox::Critical);
    QVERIFY(ultimoMensaje().contains(QStringLiteral("C:\\NO\\HAY")));
    QCOMPARE(u.bytes("C:\\LUMBRE\\TOMOS.DAT"), original);

    Dialogos::siguienteRespuesta(QMessageBox::Yes);
    crearRaiz(t, QStringLiteral("C:\\OTRA"));
    QCOMPARE(u.bytes("C:\\LUMBRE\\TOMOS.DAT"), QByteArray("C:\\OTRA\\ACTUAL.DAT\r\nC:\\OTRA\\TOMOS.DAT\r\n"));
    QVERIFY(QFileInfo(u.nativa("C:\\OTRA")).isDir());
}

void TstTaller::cargarRaiz_givesRootAsTypedAndEncyclopaediasInOrder_data() {
    QTest::addColumn<QString>("raiz");
    QTest::addColumn<QStringList>("tomos");
    QTest::newRow("two encyclopaedias") << QStringLiteral("C:\\ENC")
                                        << QStringList{QStringLiteral("C:\\ENC\\UNO"), QStringLiteral("C:\\ENC\\DOS")};
    QTest::newRow("trailing separator kept")
        << QStringLiteral("C:\\ENC\\") << QStringList{QStringLiteral("C:\\ENC\\UNO")};
    QTest::newRow("outside the root, mixed case")
        << QStringLiteral("C:\\Enc") << QStringList{QStringLiteral("D:\\libros\\Astro"), QStringLiteral("C:\\Enc\\b")};
    QTest::newRow("no encyclopaedia yet") << QStringLiteral("C:\\ENC") << QStringList{};
}

void TstTaller::cargarRaiz_givesRootAsTypedAndEncyclopaediasInOrder() {
    QFETCH(QString, raiz);
    QFETCH(QStringList, tomos);
    prueba::Unidades u;
    u.unidad('d');
    {
        SesionForja sesion;
        Taller t(sesion);
        crearRaiz(t, raiz);
        for (const QString& tomo : tomos) {
            QDir().mkpath(QFileInfo(u.nativa(tomo.toStdString())).absolutePath());
            agregarTomo(t, tomo);
        }
        QVERIFY2(Dialogos::mostrados().size() == tomos.size(), qPrintable(ultimoMensaje())); // the icon dialogs
    }
    SesionForja sesion;
    Taller t(sesion);
    pulsar(t.cmdCargarRaiz);
    QCOMPARE(t.txtRaiz->text(), raiz);
    QStringList listados;
    for (int i = 0; i < t.lstTomos->model()->rowCount(); ++i) {
        listados << t.lstTomos->model()->index(i, 0).data().toString();
    }
    QCOMPARE(listados, tomos);
    QCOMPARE(Dialogos::mostrados().size(), tomos.size());
}

void TstTaller::cargarRaiz_withoutRegistry_saysSoAndKeepsWindow() {
    prueba::Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    t.txtRaiz->setText(QStringLiteral("C:\\ALGO"));
    t.raiz()->agregarTomo(QStringLiteral("C:\\ALGO\\UNO"));
    pulsar(t.cmdCargarRaiz);
    QCOMPARE(Dialogos::mostrados().size(), 1);
    QVERIFY(ultimoMensaje().contains(QStringLiteral("C:\\LUMBRE\\TOMOS.DAT")));
    // On the first run the author is told how to make the root instead.
    QVERIFY(ultimoMensaje().contains(QStringLiteral("«Crear Directorio de Raíz [sólo la primera vez]»")));
    QCOMPARE(t.txtRaiz->text(), QStringLiteral("C:\\ALGO"));
    QCOMPARE(t.lstTomos->model()->rowCount(), 1);
}

void TstTaller::tomoAdd_createsEveryDefaultFile() {
    prueba::Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    crearRaiz(t, QStringLiteral("C:\\ENC"));
    t.txtTomo->setText(QStringLiteral("C:\\ANTES"));
    agregarTomo(t, QStringLiteral("C:\\ENC\\ASTRO")); // the icon dialog is cancelled

    QCOMPARE(Dialogos::mostrados().size(), 1);
    QCOMPARE(Dialogos::mostrados().first().titulo, QStringLiteral("Seleccionar un Icono"));
    QCOMPARE(Dialogos::mostrados().first().texto.split(QStringLiteral(";;")),
             (QStringList{QStringLiteral("Iconos (*.ico)"), QStringLiteral("Cursores (*.cur)"),
                          QStringLiteral("Todos los archivos (*)")}));

    QCOMPARE(u.bytes("C:\\ENC\\TOMOS.DAT"), QByteArray("C:\\ENC\\ASTRO\r\n"));
    QCOMPARE(u.bytes("C:\\ENC\\ACTUAL.DAT"), QByteArray("C:\\ENC\\ASTRO\r\n"));
    QVERIFY(QFileInfo(u.nativa("C:\\ENC\\ASTRO\\IMG")).isDir());
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\COLOR.DAT"), kColoresPredeterminados);
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\DICT.DAT"), QByteArray("\r\n"));
    for (const char* vacio :
         {"C:\\ENC\\ASTRO\\DESCRIP.DAT", "C:\\ENC\\ASTRO\\COMPLETA.DAT", "C:\\ENC\\ASTRO\\LISTAS.DAT"}) {
        QVERIFY2(u.bytes(vacio) == QByteArray(""), vacio);
        QVERIFY2(!u.bytes(vacio).isNull(), vacio);
    }
    // With no icon chosen the encyclopaedia gets the icon the program ships, which is a real icon.
    const QByteArray icono = u.bytes("C:\\ENC\\ASTRO\\ICONO.ICO");
    QCOMPARE(icono, QByteArray::fromStdString(Taller::iconoDeReserva()));
    QVERIFY(icono.startsWith(QByteArray("\0\0\1\0", 4)));
    QVERIFY(!QImage::fromData(icono, "ICO").isNull());

    QCOMPARE(QDir(u.nativa("C:\\ENC\\ASTRO")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 7);
    QCOMPARE(t.lstTomos->model()->rowCount(), 1);
    QCOMPARE(t.lstTomos->model()->index(0, 0).data().toString(), QStringLiteral("C:\\ENC\\ASTRO"));
    QCOMPARE(t.txtNewTomo->text(), QString());
    QCOMPARE(t.txtTomo->text(), QStringLiteral("C:\\ANTES"));

    agregarTomo(t, QStringLiteral("C:\\ENC\\RIOS"));
    QCOMPARE(u.bytes("C:\\ENC\\TOMOS.DAT"), QByteArray("C:\\ENC\\ASTRO\r\nC:\\ENC\\RIOS\r\n"));
    QCOMPARE(u.bytes("C:\\ENC\\ACTUAL.DAT"), QByteArray("C:\\ENC\\RIOS\r\n"));
    QCOMPARE(t.lstTomos->model()->index(1, 0).data().toString(), QStringLiteral("C:\\ENC\\RIOS"));

    // Made anew after its directory was removed, it is still listed once.
    QVERIFY(QDir(u.nativa("C:\\ENC\\RIOS")).removeRecursively());
    u.escribir("C:\\ENC\\ACTUAL.DAT", "C:\\ENC\\ASTRO\r\n");
    agregarTomo(t, QStringLiteral("C:\\ENC\\rios"));
    QCOMPARE(u.bytes("C:\\ENC\\TOMOS.DAT"), QByteArray("C:\\ENC\\ASTRO\r\nC:\\ENC\\RIOS\r\n"));
    QCOMPARE(u.bytes("C:\\ENC\\ACTUAL.DAT"), QByteArray("C:\\ENC\\rios\r\n"));
    QCOMPARE(u.bytes("C:\\ENC\\RIOS\\COLOR.DAT"), kColoresPredeterminados);
    QCOMPARE(t.lstTomos->model()->rowCount(), 2);
}

void TstTaller::tomoAdd_copiesChosenIcon() {
    prueba::Unidades u;
    const QByteArray propio("\0\0\1\0 un icono cualquiera", 25);
    QVERIFY(u.escribir("C:\\ICONOS\\Sol.ico", propio));
    SesionForja sesion;
    Taller t(sesion);
    crearRaiz(t, QStringLiteral("C:\\ENC"));
    Dialogos::siguienteArchivo(u.nativa("C:\\ICONOS\\Sol.ico"));
    agregarTomo(t, QStringLiteral("C:\\ENC\\ASTRO"));
    QCOMPARE(Dialogos::mostrados().size(), 1);
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\ICONO.ICO"), propio);
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\LISTAS.DAT"), QByteArray(""));
}

// A FIFO chosen as the icon would block a plain open for ever; a huge file would be read whole. Each is
// reported, and the encyclopaedia is made with the program's icon.
void TstTaller::tomoAdd_reportsAnIconThatCannotBeRead() {
    prueba::Unidades u;
    QVERIFY(u.escribir("C:\\ICONOS\\enorme.ico", QByteArray()));
    QVERIFY(QFile::resize(u.nativa("C:\\ICONOS\\enorme.ico"), static_cast<qint64>(store::kLimiteImagen) + 1));
    QCOMPARE(::mkfifo(QFile::encodeName(u.nativa("C:\\ICONOS\\tubo.ico")).constData(), 0600), 0);
    SesionForja sesion;
    Taller t(sesion);
    crearRaiz(t, QStringLiteral("C:\\ENC"));
    const struct {
        const char* icono;
        const char* tomo;
    } casos[] = {{"C:\\ICONOS\\tubo.ico", "C:\\ENC\\TUBO"}, {"C:\\ICONOS\\enorme.ico", "C:\\ENC\\ENORME"}};
    for (const auto& c : casos) {
        Dialogos::limpiar();
        Dialogos::siguienteArchivo(u.nativa(c.icono));
        agregarTomo(t, QString::fromLatin1(c.tomo));
        QCOMPARE(Dialogos::mostrados().size(), 2);
        QVERIFY2(Dialogos::mostrados().last().texto.contains(u.nativa(c.icono)), c.icono);
        QCOMPARE(u.bytes(std::string(c.tomo) + "\\ICONO.ICO"), QByteArray::fromStdString(Taller::iconoDeReserva()));
        QCOMPARE(u.bytes(std::string(c.tomo) + "\\LISTAS.DAT"), QByteArray(""));
    }
}

void TstTaller::tomoLoad_fillsDescriptionArticlesAndLists() {
    prueba::Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    crearRaiz(t, QStringLiteral("C:\\ENC"));
    agregarTomo(t, QStringLiteral("C:\\ENC\\ASTRO"));
    u.escribir("C:\\ENC\\ASTRO\\DESCRIP.DAT", "Astronom\xED"
                                              "a\r\nDe la autora\r\n");
    u.escribir("C:\\ENC\\ASTRO\\COMPLETA.DAT", "sol.txt\r\nLuna.TXT\r\n marte.txt \r\n");
    u.escribir("C:\\ENC\\ASTRO\\LISTAS.DAT", "Planetas\r\nSat\xE9"
                                             "lites\r\n");
    t.txtArticulo->setText(QStringLiteral("viejo.txt"));
    t.txtLista->setText(QStringLiteral("vieja.dat"));

    QVERIFY(prueba::elegir(t.lstTomos, QStringLiteral("C:\\ENC\\ASTRO")));
    pulsar(t.cmdTomoLoad);
    QCOMPARE(t.txtTomo->text(), QStringLiteral("C:\\ENC\\ASTRO"));
    QCOMPARE(t.txtMsg->toPlainText(), QStringLiteral("Astronomía\nDe la autora\n"));
    const QStringList articulos{QStringLiteral("sol.txt"), QStringLiteral("Luna.TXT"), QStringLiteral(" marte.txt ")};
    QCOMPARE(prueba::textos(t.lstArticulos), articulos);
    QCOMPARE(prueba::textos(t.lstLstArts), articulos);
    QCOMPARE(prueba::marcados(t.lstLstArts), QList<int>{});
    QCOMPARE(t.lstListas->model()->rowCount(), 2);
    QCOMPARE(t.lstListas->model()->index(1, 0).data().toString(), QStringLiteral("Satélites"));
    QCOMPARE(t.txtArticulo->text(), QStringLiteral("viejo.txt"));
    QCOMPARE(t.txtLista->text(), QStringLiteral("vieja.dat"));
    QCOMPARE(Dialogos::mostrados().size(), 1); // only the icon dialog
}

void TstTaller::tomoLoad_nothingSelected_changesNothing() {
    prueba::Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    crearRaiz(t, QStringLiteral("C:\\ENC"));
    agregarTomo(t, QStringLiteral("C:\\ENC\\ASTRO"));
    Dialogos::limpiar();
    pulsar(t.cmdTomoLoad);
    QCOMPARE(t.txtTomo->text(), QString());
    QCOMPARE(t.txtMsg->toPlainText(), QStringLiteral("Acerca de . . .\nComentario del autor\n"));
    QVERIFY(Dialogos::mostrados().isEmpty());
}

void TstTaller::tomoLoad_missingFile_saysWhichAndKeepsWindow() {
    prueba::Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    crearRaiz(t, QStringLiteral("C:\\ENC"));
    agregarTomo(t, QStringLiteral("C:\\ENC\\ASTRO"));
    QVERIFY(QFile::remove(u.nativa("C:\\ENC\\ASTRO\\LISTAS.DAT")));
    t.lstArticulos->articulos()->agregar(QStringLiteral("otro.txt"));
    Dialogos::limpiar();
    QVERIFY(prueba::elegir(t.lstTomos, QStringLiteral("C:\\ENC\\ASTRO")));
    pulsar(t.cmdTomoLoad);
    QCOMPARE(Dialogos::mostrados().size(), 1);
    QVERIFY2(ultimoMensaje().contains(QStringLiteral("LISTAS.DAT")), qPrintable(ultimoMensaje()));
    QCOMPARE(t.txtTomo->text(), QString());
    QCOMPARE(t.lstArticulos->count(), 1);
}

void TstTaller::descripcion_gainsOneEmptyLinePerLoadAndSave() {
    prueba::Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    crearRaiz(t, QStringLiteral("C:\\ENC"));
    agregarTomo(t, QStringLiteral("C:\\ENC\\ASTRO"));
    QVERIFY(prueba::elegir(t.lstTomos, QStringLiteral("C:\\ENC\\ASTRO")));
    pulsar(t.cmdTomoLoad);
    QCOMPARE(t.txtMsg->toPlainText(), QString());
    t.txtMsg->setPlainText(QStringLiteral("Astronomía\nDe la autora"));
    pulsar(t.cmdSave);
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\DESCRIP.DAT"), QByteArray("Astronom\xED"
                                                                "a\r\nDe la autora\r\n"));
    pulsar(t.cmdTomoLoad);
    pulsar(t.cmdSave);
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\DESCRIP.DAT"), QByteArray("Astronom\xED"
                                                                "a\r\nDe la autora\r\n\r\n"));
    pulsar(t.cmdTomoLoad);
    pulsar(t.cmdSave);
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\DESCRIP.DAT"), QByteArray("Astronom\xED"
                                                                "a\r\nDe la autora\r\n\r\n\r\n"));
    QCOMPARE(Dialogos::mostrados().size(), 1);
}

// Each row prepares the window on a store holding a root C:\ENC and an encyclopaedia C:\ENC\ASTRO (loaded, with
// the article sol.txt and the list Planetas), then runs one refused action. Nothing under the drive root may
// change, a message must say why, and the program carries on.
void TstTaller::refusals_leaveStoreAsItWas_data() {
    QTest::addColumn<Accion>("accion");
    QTest::addColumn<QString>("enMensaje");
    const auto agregar = [](const QString& ruta) { return Accion([ruta](Taller& t) { agregarTomo(t, ruta); }); };
    const auto articulo = [](const QString& nombre) {
        return Accion([nombre](Taller& t) {
            t.txtNewArt->setText(nombre);
            pulsar(t.txtArtAdd);
        });
    };
    const auto lista = [](const QString& nombre) {
        return Accion([nombre](Taller& t) {
            t.txtLstNew->setText(nombre);
            pulsar(t.cmdLstAdd);
        });
    };
    const auto sinTomo = [](Accion a) {
        return Accion([a](Taller& t) {
            t.txtTomo->clear();
            a(t);
        });
    };

    QTest::newRow("encyclopaedia: empty path") << agregar(QString()) << QStringLiteral("Ruta");
    QTest::newRow("encyclopaedia: existing directory")
        << agregar(QStringLiteral("C:\\ENC\\astro")) << QStringLiteral("astro");
    QTest::newRow("encyclopaedia: missing parent") << agregar(QStringLiteral("C:\\NO\\HAY")) << QStringLiteral("HAY");
    QTest::newRow("encyclopaedia: relative path") << agregar(QStringLiteral("ASTRO2")) << QStringLiteral("ASTRO2");
    QTest::newRow("root: relative path") << Accion([](Taller& t) { crearRaiz(t, QStringLiteral("ENCICLO")); })
                                         << QStringLiteral("ENCICLO");
    // Paths that could not exist on Windows: refused before anything is written.
    QTest::newRow("root: reserved character")
        << Accion([](Taller& t) { crearRaiz(t, QStringLiteral("C:\\ENC*ICLO")); }) << QStringLiteral("ENC*ICLO");
    QTest::newRow("root: device name") << Accion([](Taller& t) { crearRaiz(t, QStringLiteral("C:\\AUX")); })
                                       << QStringLiteral("AUX");
    QTest::newRow("encyclopaedia: reserved character")
        << agregar(QStringLiteral("C:\\ENC\\AS*TRO")) << QStringLiteral("AS*TRO");
    QTest::newRow("encyclopaedia: bar") << agregar(QStringLiteral("C:\\ENC\\A|B")) << QStringLiteral("A|B");
    QTest::newRow("encyclopaedia: colon after the drive")
        << agregar(QStringLiteral("C:\\ENC\\A:B")) << QStringLiteral("A:B");
    QTest::newRow("encyclopaedia: trailing dot")
        << agregar(QStringLiteral("C:\\ENC\\ASTRO2.")) << QStringLiteral("ASTRO2.");
    QTest::newRow("encyclopaedia: trailing space in a component")
        << agregar(QStringLiteral("C:\\ENC \\ASTRO2")) << QStringLiteral("ENC \\ASTRO2");
    QTest::newRow("encyclopaedia: device name") << agregar(QStringLiteral("C:\\ENC\\com3")) << QStringLiteral("com3");
    QTest::newRow("encyclopaedia: not representable")
        << agregar(QStringLiteral("C:\\ENC\\Ωmega")) << QStringLiteral("Ω");
    QTest::newRow("encyclopaedia: no data root") << Accion([](Taller& t) {
        t.txtRaiz->clear();
        agregarTomo(t, QStringLiteral("C:\\ENC\\NUEVA"));
    }) << QStringLiteral("raíz");
    QTest::newRow("encyclopaedia: data root missing") << Accion([](Taller& t) {
        t.txtRaiz->setText(QStringLiteral("C:\\NOESTA"));
        agregarTomo(t, QStringLiteral("C:\\ENC\\NUEVA"));
    }) << QStringLiteral("C:\\NOESTA");

    QTest::newRow("article: empty name") << articulo(QString()) << QStringLiteral("NOMBRE.EXT");
    QTest::newRow("article: backslash") << articulo(QStringLiteral("sub\\a.txt")) << QStringLiteral("sub\\a.txt");
    QTest::newRow("article: slash") << articulo(QStringLiteral("sub/a.txt")) << QStringLiteral("sub/a.txt");
    QTest::newRow("article: refused character") << articulo(QStringLiteral("a*b.txt")) << QStringLiteral("a*b.txt");
    QTest::newRow("article: dot dot") << articulo(QStringLiteral("..")) << QStringLiteral("..");
    QTest::newRow("article: existing, other case") << articulo(QStringLiteral("SOL.TXT")) << QStringLiteral("sol.txt");
    QTest::newRow("article: the colour file") << articulo(QStringLiteral("color.dat")) << QStringLiteral("color.dat");
    QTest::newRow("article: the complete list")
        << articulo(QStringLiteral("Completa.Dat")) << QStringLiteral("Completa.Dat");
    QTest::newRow("article: last-article file, not yet there")
        << articulo(QStringLiteral("ultimo.dat")) << QStringLiteral("ultimo.dat");
    QTest::newRow("article: a list's file")
        << articulo(QStringLiteral("planetas.DAT")) << QStringLiteral("planetas.DAT");
    QTest::newRow("article: image directory") << articulo(QStringLiteral("img")) << QStringLiteral("img");
    QTest::newRow("article: not representable") << articulo(QStringLiteral("日本.txt")) << QStringLiteral("日");
    QTest::newRow("article: no encyclopaedia")
        << sinTomo(articulo(QStringLiteral("nuevo.txt"))) << QStringLiteral("Cargar Enciclotomo");
    QTest::newRow("article: encyclopaedia directory gone") << Accion([](Taller& t) {
        t.txtTomo->setText(QStringLiteral("C:\\ENC\\BORRADA"));
        t.txtNewArt->setText(QStringLiteral("nuevo.txt"));
        pulsar(t.txtArtAdd);
    }) << QStringLiteral("C:\\ENC\\BORRADA");

    QTest::newRow("list: empty name") << lista(QString()) << QStringLiteral("NOMBRE");
    for (const char* fijo : {"COMPLETA", "listas", "Color", "dict", "DESCRIP", "ultimo"}) {
        QTest::newRow(qPrintable(QStringLiteral("list: fixed file %1").arg(QLatin1String(fijo))))
            << lista(QString::fromLatin1(fijo)) << QString::fromLatin1(fijo);
    }
    QTest::newRow("list: existing list, other case") << lista(QStringLiteral("PLANETAS")) << QStringLiteral("PLANETAS");
    QTest::newRow("list: separator") << lista(QStringLiteral("a\\b")) << QStringLiteral("a\\b");
    QTest::newRow("list: not representable") << lista(QStringLiteral("Lunas ☾")) << QStringLiteral("☾");
    QTest::newRow("list: no encyclopaedia")
        << sinTomo(lista(QStringLiteral("Nueva"))) << QStringLiteral("Cargar Enciclotomo");

    QTest::newRow("list save: nothing loaded") << Accion([](Taller& t) {
        prueba::marcar(t.lstLstArts, 0);
        pulsar(t.cmdLstSave);
    }) << QStringLiteral("Cargar Lista");
    QTest::newRow("list save: over the colour file") << Accion([](Taller& t) {
        t.txtLista->setText(QStringLiteral("color.dat"));
        pulsar(t.cmdLstSave);
    }) << QStringLiteral("color.dat");
    QTest::newRow("list save: over an article") << Accion([](Taller& t) {
        t.txtLista->setText(QStringLiteral("sol.txt"));
        pulsar(t.cmdLstSave);
    }) << QStringLiteral("sol.txt");
    QTest::newRow("list save: over the complete list, Enter") << Accion([](Taller& t) {
        t.txtLista->setText(QStringLiteral("COMPLETA.DAT"));
        pulsar(t.cmdLstSave);
    }) << QStringLiteral("hoy tiene un artículo. Si la guarda, no tendrá ningún artículo");
    QTest::newRow("list save: no encyclopaedia") << sinTomo(Accion([](Taller& t) {
        t.txtLista->setText(QStringLiteral("Planetas.dat"));
        pulsar(t.cmdLstSave);
    })) << QStringLiteral("Cargar Enciclotomo");

    QTest::newRow("description: not representable") << Accion([](Taller& t) {
        t.txtMsg->setPlainText(QStringLiteral("Astronomía ✨\nComentario"));
        pulsar(t.cmdSave);
    }) << QStringLiteral("✨");
    QTest::newRow("description: no encyclopaedia")
        << sinTomo(Accion([](Taller& t) { pulsar(t.cmdSave); })) << QStringLiteral("Cargar Enciclotomo");
    QTest::newRow("article load: no encyclopaedia") << sinTomo(Accion([](Taller& t) {
        prueba::elegir(t.lstArticulos, QStringLiteral("sol.txt"));
        pulsar(t.txtArtLoad);
    })) << QStringLiteral("Cargar Enciclotomo");
    QTest::newRow("list load: file missing") << Accion([](Taller& t) {
        t.tomo()->agregarLista(QStringLiteral("Fantasma"));
        prueba::elegir(t.lstListas, QStringLiteral("Fantasma"));
        pulsar(t.cmdLstLoad);
    }) << QStringLiteral("Fantasma.dat");
}

void TstTaller::refusals_leaveStoreAsItWas() {
    QFETCH(Accion, accion);
    QFETCH(QString, enMensaje);
    prueba::Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    crearRaiz(t, QStringLiteral("C:\\ENC"));
    agregarTomo(t, QStringLiteral("C:\\ENC\\ASTRO"));
    QVERIFY(prueba::elegir(t.lstTomos, QStringLiteral("C:\\ENC\\ASTRO")));
    pulsar(t.cmdTomoLoad);
    escribir(t.txtNewArt, QStringLiteral("sol.txt"));
    pulsar(t.txtArtAdd);
    escribir(t.txtLstNew, QStringLiteral("Planetas"));
    pulsar(t.cmdLstAdd);
    QCOMPARE(Dialogos::mostrados().size(), 1); // the icon dialog only
    Dialogos::limpiar();

    const auto antes = prueba::instantanea(u);
    const int tomos = t.lstTomos->model()->rowCount();
    const int articulos = t.lstArticulos->count();
    const int listas = t.lstListas->model()->rowCount();
    accion(t);
    const auto despues = prueba::instantanea(u);
    QCOMPARE(despues.keys(), antes.keys());
    QVERIFY(despues == antes);
    QCOMPARE(Dialogos::mostrados().size(), 1);
    QVERIFY2(ultimoMensaje().contains(enMensaje), qPrintable(ultimoMensaje()));
    QVERIFY(Dialogos::mostrados().last().icono != QMessageBox::Information);
    QCOMPARE(t.lstTomos->model()->rowCount(), tomos);
    QCOMPARE(t.lstArticulos->count(), articulos);
    QCOMPARE(t.lstLstArts->count(), articulos);
    if (QString::fromLatin1(QTest::currentDataTag()) != QStringLiteral("list load: file missing")) {
        QCOMPARE(t.lstListas->model()->rowCount(), listas);
    }
}

// Enter on the button that has the focus presses it, as Space does, on every button of the window.
void TstTaller::buttons_enterPressesTheFocusedButton() {
    prueba::Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    t.show();
    QVERIFY(QTest::qWaitForWindowExposed(&t));
    const auto botones = t.findChildren<QPushButton*>();
    QCOMPARE(botones.size(), 11);
    for (QPushButton* boton : botones) {
        QSignalSpy pulsado(boton, &QPushButton::clicked);
        boton->setFocus();
        QTest::keyClick(boton, Qt::Key_Return);
        QVERIFY2(pulsado.count() == 1, qPrintable(boton->objectName()));
    }
}

QTEST_MAIN(TstTaller)
#include "tst_taller.moc"

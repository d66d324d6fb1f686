// Adding and loading articles, and the article editor: what it reads, what it writes, captions, the
// questions about unsaved changes, and its refusals.

#include "editor/lista_marcable.h"
#include "editor/sesion.h"
#include "editor/taller.h"
#include "editor/taller_art.h"
#include "editor/tests/ayudas.h"
#include "tests/support/listas.h"
#include "tests/support/unidades.h"
#include "ui/dialogos.h"
#include "ui/twips.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <functional>

using namespace prueba;
using ui::Dialogos;

using AccionArt = std::function<void(Taller&, TallerArt&)>;
Q_DECLARE_METATYPE(AccionArt)

namespace {

QString ultimoMensaje() {
    return Dialogos::mostrados().isEmpty() ? QString() : Dialogos::mostrados().last().texto;
}

void agregarImagen(TallerArt& art, const QString& nombre) {
    escribir(art.txtImgNew, nombre);
    pulsar(art.cmdImgAdd);
}

// An article named `nombre` holding exactly these bytes, loaded into the article editor.
TallerArt* articuloConBytes(Unidades& u, Taller& t, const QString& nombre, const QByteArray& bytes) {
    agregarArticulo(t, nombre);
    u.escribir("C:\\ENC\\ASTRO\\" + nombre.toStdString(), bytes);
    cargarArticulo(t, nombre);
    return t.tallerArt();
}

} // namespace

class TstArticulos : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Dialogos::modoPrueba(true); }
    void init() { Dialogos::limpiar(); }

    void editor_controlsStandAtTheirPlaces();
    void artAdd_writesCompleteListLastArticleAndEmptyFile();
    void artLoad_readsTheFileAsTheEditorDoes_data();
    void artLoad_readsTheFileAsTheEditorDoes();
    void artLoad_nothingSelected_opensNothing();
    void artLoad_whileOpen_addsToWhatItShows();
    void artLoad_missingFile_saysWhichAndOpensNothing();
    void saveArt_writesTitleIllustrationsAndBody();
    void saveArt_loadedAndSavedUnchanged_gainsOneEmptyLine();
    void saveArt_writesWhereMainWindowPointsNow();
    void captions_areTouchedShownAndSaved();
    void captions_typedThenOtherIllustration_isDiscarded();
    void unsavedChanges_areAskedAbout_data();
    void unsavedChanges_areAskedAbout();
    void saveArt_pendingCaption_isAskedAndNeverBlocksTheArticle_data();
    void saveArt_pendingCaption_isAskedAndNeverBlocksTheArticle();
    void refusals_leaveStoreAndEditorAsTheyWere_data();
    void refusals_leaveStoreAndEditorAsTheyWere();
    void multiLineBoxes_tabMovesToTheNextControl();
    void artLoad_bringsBackAMinimizedEditor();
};

void TstArticulos::editor_controlsStandAtTheirPlaces() {
    Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    prepararTomo(t);
    TallerArt* art = articuloConBytes(u, t, QStringLiteral("a.txt"), "\r\n");
    QVERIFY(art);
    QCOMPARE(art->windowTitle(), QStringLiteral("Edición de Artículo"));
    QVERIFY(art->isWindow());
    QVERIFY(!art->isModal());
    struct Fila {
        const char* nombre;
        QString texto;
        QRect lugar;
    };
    const Fila filas[] = {
        {"lblTitulo", QStringLiteral("Título del artículo:"), ui::rectTwips(120, 120, 3015, 195)},
        {"txtTitulo", {}, ui::rectTwips(120, 360, 3015, 285)},
        {"lblTomos", QStringLiteral("Imagen (nombre.ext):"), ui::rectTwips(120, 840, 3015, 195)},
        {"txtImgNew", {}, ui::rectTwips(120, 1080, 3015, 285)},
        {"cmdImgAdd", QStringLiteral("Agregar Imagen"), ui::rectTwips(120, 1440, 3015, 375)},
        {"lstImagenes", {}, ui::rectTwips(120, 1920, 3015, 3765)},
        {"txtSub", {}, ui::rectTwips(120, 5760, 3015, 1335)},
        {"cmdSaveSub", QStringLiteral("Guardar Epígrafe"), ui::rectTwips(120, 7200, 3015, 375)},
        {"lblRaiz(0)",
         QStringLiteral("Las imágenes deben estar ubicadas en el directorio de la enciclotomo correspondiente, dentro "
                        "del subdirectorio IMG"),
         ui::rectTwips(120, 7680, 3015, 855)},
        {"Label1", QStringLiteral("Artículo:"), ui::rectTwips(3240, 120, 600, 195)},
        {"txtArtText", {}, ui::rectTwips(3240, 360, 8535, 7575)},
        {"cmdSaveArt", QStringLiteral("Guardar Artículo"), ui::rectTwips(3240, 8040, 4695, 495)},
        {"cmdCancelar", QStringLiteral("Cancelar"), ui::rectTwips(7920, 8040, 3855, 495)},
    };
    for (const Fila& f : filas) {
        auto* w = art->findChild<QWidget*>(QString::fromLatin1(f.nombre));
        QVERIFY2(w, f.nombre);
        if (auto* l = qobject_cast<QLabel*>(w)) {
            // A label stands at its place and sizes itself to show its whole text.
            QCOMPARE(l->pos(), f.lugar.topLeft());
            QVERIFY(l->width() >= f.lugar.width() && l->height() >= f.lugar.height());
            QVERIFY2(l->wordWrap() ? l->height() >= l->heightForWidth(l->width())
                                   : l->width() >= l->sizeHint().width() && l->height() >= l->sizeHint().height(),
                     f.nombre);
        } else {
            QCOMPARE(w->geometry(), f.lugar);
        }
        QVERIFY2(!w->accessibleName().isEmpty(), f.nombre);
        if (auto* b = qobject_cast<QPushButton*>(w)) {
            QCOMPARE(b->text(), f.texto);
        } else if (auto* l = qobject_cast<QLabel*>(w)) {
            QCOMPARE(l->text(), f.texto);
        }
    }
    QVERIFY(art->txtSub->font().fixedPitch() || QFontInfo(art->txtSub->font()).fixedPitch());
    QCOMPARE(art->txtArtText->font().pointSizeF(), 9.75);
    QVERIFY(art->cmdSaveArt->font().bold());
    // A new editor shows the caption placeholder until an illustration is chosen.
    QCOMPARE(art->txtSub->toPlainText(), QStringLiteral("Epígrafe de ilustración\n"));
}

void TstArticulos::artAdd_writesCompleteListLastArticleAndEmptyFile() {
    Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    prepararTomo(t);
    t.txtArticulo->setText(QStringLiteral("antes.txt"));
    agregarArticulo(t, QStringLiteral("sol.txt"));
    agregarArticulo(t, QStringLiteral("Río Grande.TXT"));
    QVERIFY2(Dialogos::mostrados().isEmpty(), qPrintable(ultimoMensaje()));
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\COMPLETA.DAT"), QByteArray("sol.txt\r\nR\xED"
                                                                 "o Grande.TXT\r\n"));
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\ULTIMO.DAT"), QByteArray("R\xED"
                                                               "o Grande.TXT\r\n"));
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\sol.txt"), QByteArray("\r\n"));
    QVERIFY(QFileInfo::exists(QDir(u.nativa("C:\\ENC\\ASTRO")).filePath(QStringLiteral("Río Grande.TXT"))));
    const QStringList esperados{QStringLiteral("sol.txt"), QStringLiteral("Río Grande.TXT")};
    QCOMPARE(textos(t.lstArticulos), esperados);
    QCOMPARE(textos(t.lstLstArts), esperados);
    QCOMPARE(marcados(t.lstLstArts), QList<int>{});
    QCOMPARE(t.txtNewArt->text(), QString());
    QCOMPARE(t.txtArticulo->text(), QStringLiteral("antes.txt"));
    QVERIFY(!t.tallerArt());
}

void TstArticulos::artLoad_readsTheFileAsTheEditorDoes_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("titulo");
    QTest::addColumn<QStringList>("imagenes");
    QTest::addColumn<QString>("cuerpo");
    QTest::newRow("fresh article") << QByteArray("\r\n") << QStringLiteral("a.txt") << QStringList{}
                                   << QStringLiteral("\n");
    QTest::newRow("no title line") << QByteArray("Texto\r\n") << QStringLiteral("a.txt") << QStringList{}
                                   << QStringLiteral("Texto\n");
    QTest::newRow("lower-case tag after a space") << QByteArray(" <tit>R\xED"
                                                                "o\r\n")
                                                  << QStringLiteral("Río") << QStringList{} << QString();
    QTest::newRow("space after the tag is kept") << QByteArray("<TIT> R\xED"
                                                               "o\r\n")
                                                 << QStringLiteral(" Río") << QStringList{} << QString();
    QTest::newRow("illustrations in order, verbatim")
        << QByteArray("<IMG>mapa.bmp\r\n   <img>Foto.GIF \r\n<IMG>mapa.bmp\r\n") << QStringLiteral("a.txt")
        << QStringList{QStringLiteral("mapa.bmp"), QStringLiteral("Foto.GIF "), QStringLiteral("mapa.bmp")}
        << QString();
    QTest::newRow("last title wins") << QByteArray("<TIT>Uno\r\nx\r\n<TIT>Dos\r\n") << QStringLiteral("Dos")
                                     << QStringList{} << QStringLiteral("x\n");
    QTest::newRow("other tag lines dropped") << QByteArray("<CST>lado.bmp\r\n<B>negrita\r\n<\r\n  <i>\r\nfin\r\n")
                                             << QStringLiteral("a.txt") << QStringList{} << QStringLiteral("fin\n");
    QTest::newRow("body lines whole, one per line")
        << QByteArray("  sangr\xED"
                      "a\r\na < b\r\n/\r\n\r\n<TIT>T\r\n   \r\nfin")
        << QStringLiteral("T") << QStringList{} << QStringLiteral("  sangría\na < b\n/\n\n   \nfin\n");
}

void TstArticulos::artLoad_readsTheFileAsTheEditorDoes() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, titulo);
    QFETCH(QStringList, imagenes);
    QFETCH(QString, cuerpo);
    Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    prepararTomo(t);
    TallerArt* art = articuloConBytes(u, t, QStringLiteral("a.txt"), bytes);
    QVERIFY(art);
    QVERIFY(art->isVisible());
    QCOMPARE(t.txtArticulo->text(), QStringLiteral("a.txt"));
    QCOMPARE(art->txtTitulo->text(), titulo);
    QCOMPARE(textos(art->lstImagenes), imagenes);
    QCOMPARE(art->txtArtText->toPlainText(), cuerpo);
    QVERIFY(!art->hayCambios());
    QVERIFY(Dialogos::mostrados().isEmpty());
}

void TstArticulos::artLoad_nothingSelected_opensNothing() {
    Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    prepararTomo(t);
    agregarArticulo(t, QStringLiteral("a.txt"));
    pulsar(t.txtArtLoad);
    QVERIFY(!t.tallerArt());
    QCOMPARE(t.txtArticulo->text(), QString());
    QVERIFY(Dialogos::mostrados().isEmpty());
}

void TstArticulos::artLoad_whileOpen_addsToWhatItShows() {
    Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    prepararTomo(t);
    TallerArt* art = articuloConBytes(u, t, QStringLiteral("a.txt"), "<TIT>A\r\n<IMG>a.bmp\r\nuno\r\n");
    TallerArt* otro = articuloConBytes(u, t, QStringLiteral("b.txt"), "<TIT>B\r\n<IMG>b.bmp\r\ndos\r\n");
    QCOMPARE(otro, art); // a single instance
    QCOMPARE(art->txtTitulo->text(), QStringLiteral("B"));
    QCOMPARE(textos(art->lstImagenes), (QStringList{QStringLiteral("a.bmp"), QStringLiteral("b.bmp")}));
    QCOMPARE(art->txtArtText->toPlainText(), QStringLiteral("uno\ndos\n"));
    QCOMPARE(t.txtArticulo->text(), QStringLiteral("b.txt"));
    QCOMPARE(t.findChildren<TallerArt*>().size(), 1);
}

void TstArticulos::artLoad_missingFile_saysWhichAndOpensNothing() {
    Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    prepararTomo(t);
    agregarArticulo(t, QStringLiteral("perdido.txt"));
    QVERIFY(QFile::remove(u.nativa("C:\\ENC\\ASTRO\\perdido.txt")));
    t.txtArticulo->setText(QStringLiteral("otro.txt"));
    cargarArticulo(t, QStringLiteral("perdido.txt"));
    QCOMPARE(Dialogos::mostrados().size(), 1);
    QVERIFY2(ultimoMensaje().contains(QStringLiteral("perdido.txt")), qPrintable(ultimoMensaje()));
    QVERIFY(!t.tallerArt());
    QCOMPARE(t.txtArticulo->text(), QStringLiteral("otro.txt"));
}

void TstArticulos::saveArt_writesTitleIllustrationsAndBody() {
    Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    prepararTomo(t);
    QPointer<TallerArt> art = articuloConBytes(u, t, QStringLiteral("sol.txt"), "\r\n");
    escribir(art->txtTitulo, QStringLiteral("Sol"));
    u.escribir("C:\\ENC\\ASTRO\\IMG\\SOL.BMP", "BM");
    agregarImagen(*art, QStringLiteral("sol.bmp"));
    QVERIFY2(Dialogos::mostrados().isEmpty(), qPrintable(ultimoMensaje()));
    // A picture not yet in IMG is added all the same, and the author is told it is still missing.
    agregarImagen(*art, QStringLiteral("luna.bmp"));
    QCOMPARE(Dialogos::mostrados().size(), 1);
    QVERIFY2(ultimoMensaje().contains(QStringLiteral("luna.bmp")) && ultimoMensaje().contains(QStringLiteral("IMG")),
             qPrintable(ultimoMensaje()));
    Dialogos::limpiar();
    QCOMPARE(art->txtImgNew->text(), QStringLiteral("luna.bmp"));
    art->txtArtText->clear();
    teclear(art->txtArtText, QStringLiteral("Texto"));
    pulsar(art->cmdSaveArt);
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\sol.txt"), QByteArray("<TIT>Sol\r\n<IMG>sol.bmp\r\n<IMG>luna.bmp\r\nTexto\r\n"));
    borrarPendientes();
    QVERIFY(art.isNull());
    QVERIFY(!t.tallerArt());
    QVERIFY(Dialogos::mostrados().isEmpty());

    // The next use starts from a fresh window; an empty title still gives a title line.
    art = articuloConBytes(u, t, QStringLiteral("vacio.txt"), "");
    QCOMPARE(art->txtTitulo->text(), QStringLiteral("vacio.txt"));
    QCOMPARE(art->lstImagenes->model()->rowCount(), 0);
    art->txtTitulo->clear();
    pulsar(art->cmdSaveArt);
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\vacio.txt"), QByteArray("<TIT>\r\n\r\n"));
}

void TstArticulos::saveArt_loadedAndSavedUnchanged_gainsOneEmptyLine() {
    Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    prepararTomo(t);
    const QByteArray original("Intro\r\n<TIT>Sol\r\n<IMG>sol.bmp\r\n<CST>lado.bmp\r\n  Uno\r\n/\r\nDos\r\n");
    const QByteArray guardado("<TIT>Sol\r\n<IMG>sol.bmp\r\nIntro\r\n  Uno\r\n/\r\nDos\r\n\r\n");
    articuloConBytes(u, t, QStringLiteral("sol.txt"), original);
    pulsar(t.tallerArt()->cmdSaveArt);
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\sol.txt"), guardado);
    borrarPendientes();
    cargarArticulo(t, QStringLiteral("sol.txt"));
    pulsar(t.tallerArt()->cmdSaveArt);
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\sol.txt"), guardado + "\r\n");
    borrarPendientes();

    // A title taken from the file name becomes a title line.
    articuloConBytes(u, t, QStringLiteral("luna.txt"), "Texto\r\n");
    pulsar(t.tallerArt()->cmdSaveArt);
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\luna.txt"), QByteArray("<TIT>luna.txt\r\nTexto\r\n\r\n"));
}

void TstArticulos::saveArt_writesWhereMainWindowPointsNow() {
    Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    prepararTomo(t);
    agregarArticulo(t, QStringLiteral("copia.txt"));
    TallerArt* art = articuloConBytes(u, t, QStringLiteral("a.txt"), "<TIT>A\r\nuno\r\n");
    t.txtArticulo->setText(QStringLiteral("copia.txt"));
    pulsar(art->cmdSaveArt);
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\copia.txt"), QByteArray("<TIT>A\r\nuno\r\n\r\n"));
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\a.txt"), QByteArray("<TIT>A\r\nuno\r\n"));
}

void TstArticulos::captions_areTouchedShownAndSaved() {
    Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    prepararTomo(t);
    TallerArt* art =
        articuloConBytes(u, t, QStringLiteral("a.txt"), "<IMG>MAPA.BMP\r\n<IMG>MAPA.GIF\r\n<IMG>sol.bmp\r\n");
    u.escribir("C:\\ENC\\ASTRO\\IMG\\sol.txt", "El Sol\r\nNuestra estrella\r\n");

    // "Guardar Epígrafe" with nothing selected changes nothing, and says why.
    const auto antes = instantanea(u);
    pulsar(art->cmdSaveSub);
    QVERIFY(instantanea(u) == antes);
    QCOMPARE(art->txtSub->toPlainText(), QStringLiteral("Epígrafe de ilustración\n"));
    QCOMPARE(Dialogos::mostrados().size(), 1);
    QVERIFY2(ultimoMensaje().contains(QStringLiteral("ninguna ilustración")), qPrintable(ultimoMensaje()));
    Dialogos::limpiar();

    // Choosing an illustration without a caption file creates it empty and shows nothing.
    QVERIFY(elegir(art->lstImagenes, QStringLiteral("MAPA.BMP")));
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\IMG\\MAPA.txt"), QByteArray(""));
    QCOMPARE(art->txtSub->toPlainText(), QString());

    // An existing caption is shown one line per line, and its file is left as it was.
    QVERIFY(elegir(art->lstImagenes, QStringLiteral("sol.bmp")));
    QCOMPARE(art->txtSub->toPlainText(), QStringLiteral("El Sol\nNuestra estrella\n"));
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\IMG\\sol.txt"), QByteArray("El Sol\r\nNuestra estrella\r\n"));

    // Saving writes the box and a line end, clears the box and keeps the selection.
    QVERIFY(elegir(art->lstImagenes, QStringLiteral("MAPA.GIF")));
    art->txtSub->setPlainText(QStringLiteral("Mapa\nEl mundo según Ptolomeo"));
    pulsar(art->cmdSaveSub);
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\IMG\\MAPA.txt"), QByteArray("Mapa\r\nEl mundo seg\xFAn Ptolomeo\r\n"));
    QCOMPARE(art->txtSub->toPlainText(), QString());
    QCOMPARE(art->lstImagenes->currentIndex().row(), 1);
    // A click on the entry still selected shows the caption just saved; typing not yet saved stays.
    QVERIFY(elegir(art->lstImagenes, QStringLiteral("MAPA.GIF")));
    QCOMPARE(art->txtSub->toPlainText(), QStringLiteral("Mapa\nEl mundo según Ptolomeo\n"));
    art->txtSub->moveCursor(QTextCursor::End);
    teclear(art->txtSub, QStringLiteral("más"));
    const QString tecleado = art->txtSub->toPlainText();
    QVERIFY(elegir(art->lstImagenes, QStringLiteral("MAPA.GIF")));
    QCOMPARE(art->txtSub->toPlainText(), tecleado);
    pulsar(art->cmdSaveSub);
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\IMG\\MAPA.txt"), QByteArray("Mapa\r\nEl mundo seg\xFAn Ptolomeo\r\nm\xE1s\r\n"));
    // MAPA.BMP and MAPA.GIF share one caption file.
    QVERIFY(elegir(art->lstImagenes, QStringLiteral("MAPA.BMP")));
    QCOMPARE(art->txtSub->toPlainText(), QStringLiteral("Mapa\nEl mundo según Ptolomeo\nmás\n"));
    QVERIFY(Dialogos::mostrados().isEmpty());
    QVERIFY(!art->hayCambios());
}

void TstArticulos::captions_typedThenOtherIllustration_isDiscarded() {
    Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    prepararTomo(t);
    TallerArt* art = articuloConBytes(u, t, QStringLiteral("a.txt"), "<IMG>uno.bmp\r\n<IMG>dos.bmp\r\n");
    QVERIFY(elegir(art->lstImagenes, QStringLiteral("uno.bmp")));
    teclear(art->txtSub, QStringLiteral("Perdido"));
    QVERIFY(art->hayCambios());
    QVERIFY(elegir(art->lstImagenes, QStringLiteral("dos.bmp")));
    QCOMPARE(art->txtSub->toPlainText(), QString());
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\IMG\\uno.txt"), QByteArray(""));
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\IMG\\dos.txt"), QByteArray(""));
    QVERIFY(!art->hayCambios());
}

// How the editor is closed, the button chosen (none: Enter on the default), and what must follow. The
// question's buttons say what they do, and its default keeps everything as it is.
void TstArticulos::unsavedChanges_areAskedAbout_data() {
    QTest::addColumn<QString>("como");
    QTest::addColumn<bool>("cambios");
    QTest::addColumn<QString>("respuesta");
    QTest::addColumn<bool>("pregunta");
    QTest::addColumn<bool>("guardado");
    QTest::addColumn<bool>("editorAbierto");
    QTest::addColumn<bool>("tallerAbierto");
    const QString guardar = QStringLiteral("Guardar"), descartar = QStringLiteral("Descartar"), enter;
    QTest::newRow("Cancelar, no changes")
        << QStringLiteral("cancelar") << false << enter << false << false << false << true;
    QTest::newRow("Cancelar, changes, Enter")
        << QStringLiteral("cancelar") << true << enter << true << false << true << true;
    QTest::newRow("Cancelar, changes, Descartar")
        << QStringLiteral("cancelar") << true << descartar << true << false << false << true;
    QTest::newRow("Cancelar, changes, Guardar")
        << QStringLiteral("cancelar") << true << guardar << true << true << false << true;
    QTest::newRow("Escape, no changes") << QStringLiteral("escape") << false << enter << false << false << false
                                        << true;
    QTest::newRow("Escape, changes, Enter")
        << QStringLiteral("escape") << true << enter << true << false << true << true;
    QTest::newRow("close box, changes, Enter")
        << QStringLiteral("cierre") << true << enter << true << false << true << true;
    QTest::newRow("close box, changes, Guardar")
        << QStringLiteral("cierre") << true << guardar << true << true << false << true;
    QTest::newRow("Salir, no changes") << QStringLiteral("salir") << false << enter << false << false << false << false;
    QTest::newRow("Salir, changes, Enter") << QStringLiteral("salir") << true << enter << true << false << true << true;
    QTest::newRow("Salir, changes, Descartar")
        << QStringLiteral("salir") << true << descartar << true << false << false << false;
    QTest::newRow("Salir, changes, Guardar")
        << QStringLiteral("salir") << true << guardar << true << true << false << false;
    QTest::newRow("main window closed, changes, Guardar")
        << QStringLiteral("taller") << true << guardar << true << true << false << false;
    QTest::newRow("main window closed, changes, Enter")
        << QStringLiteral("taller") << true << enter << true << false << true << true;
}

void TstArticulos::unsavedChanges_areAskedAbout() {
    QFETCH(QString, como);
    QFETCH(bool, cambios);
    QFETCH(QString, respuesta);
    QFETCH(bool, pregunta);
    QFETCH(bool, guardado);
    QFETCH(bool, editorAbierto);
    QFETCH(bool, tallerAbierto);
    Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    t.show();
    prepararTomo(t);
    QPointer<TallerArt> art = articuloConBytes(u, t, QStringLiteral("a.txt"), "<TIT>A\r\nuno\r\n");
    if (cambios) {
        teclear(art->txtArtText, QStringLiteral("más"));
    }
    const QString esperado = QStringLiteral("<TIT>A\r\n") +
                             art->txtArtText->toPlainText().replace(QStringLiteral("\n"), QStringLiteral("\r\n")) +
                             QStringLiteral("\r\n");
    Dialogos::limpiar();
    if (!respuesta.isEmpty()) {
        Dialogos::siguienteBoton(respuesta);
    }
    if (como == QStringLiteral("cancelar")) {
        pulsar(art->cmdCancelar);
    } else if (como == QStringLiteral("escape")) {
        art->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(art));
        QTest::keyClick(art->txtArtText, Qt::Key_Escape);
    } else if (como == QStringLiteral("cierre")) {
        art->close();
    } else if (como == QStringLiteral("salir")) {
        pulsar(t.cmdSalir);
    } else {
        t.close();
    }
    borrarPendientes();
    QCOMPARE(Dialogos::mostrados().size(), pregunta ? 1 : 0);
    if (pregunta) {
        const auto& d = Dialogos::mostrados().first();
        QCOMPARE(d.icono, QMessageBox::Question);
        QVERIFY(d.texto.contains(QStringLiteral("a.txt")));
        QCOMPARE(d.botones, (QStringList{QStringLiteral("Guardar"), QStringLiteral("Descartar"),
                                         QStringLiteral("Seguir editando")}));
        QCOMPARE(d.porDefecto, 2);
        // Every box of the program carries the program's name, whichever window asks.
        QCOMPARE(d.titulo, QApplication::applicationName());
    }
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\a.txt"), guardado ? esperado.toLatin1() : QByteArray("<TIT>A\r\nuno\r\n"));
    QCOMPARE(!art.isNull() && art->isVisible(), editorAbierto);
    QCOMPARE(t.isVisible(), tallerAbierto);
}

// A caption typed and not saved when "Guardar Artículo" is pressed: what the author answers, and what must be
// written. The article never depends on the caption.
void TstArticulos::saveArt_pendingCaption_isAskedAndNeverBlocksTheArticle_data() {
    QTest::addColumn<QString>("ilustracion");
    QTest::addColumn<bool>("vaciar");
    QTest::addColumn<QString>("respuesta");
    QTest::addColumn<bool>("pregunta");
    QTest::addColumn<QByteArray>("epigrafe"); // the caption file afterwards (null: none)
    QTest::addColumn<bool>("guardado");
    QTest::addColumn<QString>("aviso"); // in the last message, when there is one after the question
    const QString tambien = QStringLiteral("Guardar también el epígrafe"),
                  solo = QStringLiteral("Guardar sólo el artículo");
    QTest::newRow("Enter keeps editing") << QStringLiteral("mapa.bmp") << false << QString() << true
                                         << QByteArray("Viejo\r\n") << false << QString();
    QTest::newRow("article only") << QStringLiteral("mapa.bmp") << false << solo << true << QByteArray("Viejo\r\n")
                                  << true << QString();
    QTest::newRow("caption too") << QStringLiteral("mapa.bmp") << false << tambien << true << QByteArray("Mapa\r\n")
                                 << true << QString();
    QTest::newRow("caption box emptied") << QStringLiteral("mapa.bmp") << true << QString() << false
                                         << QByteArray("Viejo\r\n") << true << QString();
    QTest::newRow("caption cannot be stored: no dot")
        << QStringLiteral("sinpunto") << false << tambien << true << QByteArray() << true << QStringLiteral("punto");
}

void TstArticulos::saveArt_pendingCaption_isAskedAndNeverBlocksTheArticle() {
    QFETCH(QString, ilustracion);
    QFETCH(bool, vaciar);
    QFETCH(QString, respuesta);
    QFETCH(bool, pregunta);
    QFETCH(QByteArray, epigrafe);
    QFETCH(bool, guardado);
    QFETCH(QString, aviso);
    Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    prepararTomo(t);
    const QByteArray original("<TIT>A\r\n<IMG>mapa.bmp\r\n<IMG>sinpunto\r\nuno\r\n");
    u.escribir("C:\\ENC\\ASTRO\\IMG\\mapa.txt", "Viejo\r\n");
    QPointer<TallerArt> art = articuloConBytes(u, t, QStringLiteral("a.txt"), original);
    QVERIFY(elegir(art->lstImagenes, ilustracion));
    art->txtSub->selectAll();
    teclear(art->txtSub, QStringLiteral("Mapa"));
    if (vaciar) {
        art->txtSub->selectAll();
        QTest::keyClick(art->txtSub, Qt::Key_Backspace);
    }
    art->txtArtText->moveCursor(QTextCursor::End);
    teclear(art->txtArtText, QStringLiteral("dos"));
    Dialogos::limpiar();
    if (!respuesta.isEmpty()) {
        Dialogos::siguienteBoton(respuesta);
    }
    pulsar(art->cmdSaveArt);
    borrarPendientes();
    QCOMPARE(!Dialogos::mostrados().isEmpty() && Dialogos::mostrados().first().icono == QMessageBox::Question,
             pregunta);
    if (pregunta) {
        QVERIFY(Dialogos::mostrados().first().texto.contains(ilustracion));
        QCOMPARE(Dialogos::mostrados().first().porDefecto, 2);
        QCOMPARE(Dialogos::mostrados().first().botones.value(2), QStringLiteral("Seguir editando"));
    }
    QCOMPARE(Dialogos::mostrados().size(), (pregunta ? 1 : 0) + (aviso.isEmpty() ? 0 : 1));
    if (!aviso.isEmpty()) {
        QVERIFY2(ultimoMensaje().contains(aviso), qPrintable(ultimoMensaje()));
    }
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\IMG\\mapa.txt"), epigrafe.isNull() ? QByteArray("Viejo\r\n") : epigrafe);
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\a.txt"),
             guardado ? QByteArray("<TIT>A\r\n<IMG>mapa.bmp\r\n<IMG>sinpunto\r\nuno\r\ndos\r\n") : original);
    QCOMPARE(art.isNull(), guardado);
}

// Each row acts on an editor holding the article a.txt ("<IMG>mapa.bmp", "<IMG>sinpunto" and a body) and must
// leave every byte under the drive root as it was, say why, and keep the editor open with its content.
void TstArticulos::refusals_leaveStoreAndEditorAsTheyWere_data() {
    QTest::addColumn<AccionArt>("accion");
    QTest::addColumn<QString>("enMensaje");
    QTest::newRow("illustration without a dot")
        << AccionArt([](Taller&, TallerArt& a) { agregarImagen(a, QStringLiteral("mapa")); })
        << QStringLiteral("punto");
    QTest::newRow("illustration with a separator")
        << AccionArt([](Taller&, TallerArt& a) { agregarImagen(a, QStringLiteral("sub\\mapa.bmp")); })
        << QStringLiteral("sub\\mapa.bmp");
    QTest::newRow("illustration not representable")
        << AccionArt([](Taller&, TallerArt& a) { agregarImagen(a, QStringLiteral("λ.bmp")); }) << QStringLiteral("λ");
    QTest::newRow("title not representable") << AccionArt([](Taller&, TallerArt& a) {
        a.txtTitulo->setText(QStringLiteral("Ωmega"));
        pulsar(a.cmdSaveArt);
    }) << QStringLiteral("Ω");
    QTest::newRow("body not representable") << AccionArt([](Taller&, TallerArt& a) {
        a.txtArtText->insertPlainText(QStringLiteral("→ pegado"));
        pulsar(a.cmdSaveArt);
    }) << QStringLiteral("→");
    QTest::newRow("caption not representable") << AccionArt([](Taller&, TallerArt& a) {
        elegir(a.lstImagenes, QStringLiteral("mapa.bmp"));
        a.txtSub->setPlainText(QStringLiteral("Mapa ✓"));
        pulsar(a.cmdSaveSub);
    }) << QStringLiteral("✓");
    QTest::newRow("loaded illustration without a dot")
        << AccionArt([](Taller&, TallerArt& a) { elegir(a.lstImagenes, QStringLiteral("sinpunto")); })
        << QStringLiteral("sinpunto");
    // The test body removes IMG for this row.
    QTest::newRow("image directory missing")
        << AccionArt([](Taller&, TallerArt& a) { elegir(a.lstImagenes, QStringLiteral("mapa.bmp")); })
        << QStringLiteral("mapa.txt");
    QTest::newRow("encyclopaedia emptied in main window") << AccionArt([](Taller& t, TallerArt& a) {
        t.txtTomo->clear();
        pulsar(a.cmdSaveArt);
    }) << QStringLiteral("enciclotomo");
    QTest::newRow("encyclopaedia directory gone") << AccionArt([](Taller& t, TallerArt& a) {
        t.txtTomo->setText(QStringLiteral("C:\\ENC\\BORRADA"));
        pulsar(a.cmdSaveArt);
    }) << QStringLiteral("BORRADA");
}

void TstArticulos::refusals_leaveStoreAndEditorAsTheyWere() {
    QFETCH(AccionArt, accion);
    QFETCH(QString, enMensaje);
    Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    prepararTomo(t);
    QPointer<TallerArt> art =
        articuloConBytes(u, t, QStringLiteral("a.txt"), "<TIT>A\r\n<IMG>mapa.bmp\r\n<IMG>sinpunto\r\nuno\r\n");
    u.escribir("C:\\ENC\\ASTRO\\IMG\\mapa.txt", "Mapa\r\n"); // choosing it then leaves its bytes alone
    if (QString::fromLatin1(QTest::currentDataTag()) == QStringLiteral("image directory missing")) {
        QVERIFY(QDir(u.nativa("C:\\ENC\\ASTRO\\IMG")).removeRecursively());
    }
    const auto antes = instantanea(u);
    accion(t, *art);
    borrarPendientes();
    const auto despues = instantanea(u);
    for (auto it = despues.begin(); it != despues.end(); ++it) {
        QVERIFY2(antes.value(it.key()) == it.value(),
                 qPrintable(it.key() + QLatin1Char(' ') + QString::fromLatin1(it.value())));
    }
    QCOMPARE(despues.keys(), antes.keys());
    QVERIFY2(!Dialogos::mostrados().isEmpty(), "no message");
    QVERIFY2(ultimoMensaje().contains(enMensaje), qPrintable(ultimoMensaje()));
    QVERIFY(!art.isNull());
    QCOMPARE(art->lstImagenes->model()->rowCount(), 2);
    QVERIFY(art->txtArtText->toPlainText().startsWith(QStringLiteral("uno\n")));
}

// Tab in the description, caption and body boxes moves on to the next control, as from every other box of
// the windows, instead of typing a tab character into the text.
void TstArticulos::multiLineBoxes_tabMovesToTheNextControl() {
    Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    prepararTomo(t);
    TallerArt* art = articuloConBytes(u, t, QStringLiteral("a.txt"), "Cuerpo\r\n");
    QVERIFY(art);
    const struct {
        QPlainTextEdit* caja;
        QWidget* siguiente;
    } casos[] = {{t.txtMsg, t.cmdSave}, {art->txtSub, art->cmdSaveSub}, {art->txtArtText, art->cmdSaveArt}};
    for (const auto& caso : casos) {
        QWidget* ventana = caso.caja->window();
        ventana->show();
        QVERIFY(QTest::qWaitForWindowExposed(ventana));
        caso.caja->setFocus();
        QCOMPARE(ventana->focusWidget(), caso.caja);
        const QString antes = caso.caja->toPlainText();
        QTest::keyClick(caso.caja, Qt::Key_Tab);
        QCOMPARE(caso.caja->toPlainText(), antes);
        QCOMPARE(ventana->focusWidget(), caso.siguiente);
    }
}

// "Cargar Artículo" while the article editor is minimized brings it back with what it loaded.
void TstArticulos::artLoad_bringsBackAMinimizedEditor() {
    Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    prepararTomo(t);
    TallerArt* art = articuloConBytes(u, t, QStringLiteral("a.txt"), "<TIT>Uno\r\n");
    QVERIFY(art);
    art->showMinimized();
    QVERIFY(art->isMinimized());
    cargarArticulo(t, QStringLiteral("a.txt"));
    QCOMPARE(t.tallerArt(), art);
    QVERIFY(!art->isMinimized());
    QVERIFY(art->isVisible());
}

QTEST_MAIN(TstArticulos)
#include "tst_articulos.moc"

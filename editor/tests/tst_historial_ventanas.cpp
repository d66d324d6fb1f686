// The history windows through their controls: an article's versions compared word by word (accents intact)
// and side by side, one of them restored into the editor; the encyclopaedia's versions, and a deleted article,
// list and caption brought back from them.

#include "editor/lista_marcable.h"
#include "editor/sesion.h"
#include "editor/taller.h"
#include "editor/taller_art.h"
#include "editor/tests/ayudas.h"
#include "editor/ventana_forja.h"
#include "editor/ventana_historial_articulo.h"
#include "editor/ventana_historial_tomo.h"
#include "editor/versiones.h"
#include "tests/support/unidades.h"
#include "ui/dialogos.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>

using namespace prueba;
using ui::Dialogos;

namespace {

const std::string kTomo = "C:\\ENC\\ASTRO";

// Opens the article, puts `cuerpo` as its body and saves (which closes the article editor).
void guardarCuerpo(Taller& t, const QString& cuerpo) {
    borrarPendientes();
    cargarArticulo(t, QStringLiteral("marte.txt"));
    TallerArt* art = t.tallerArt();
    art->txtArtText->selectAll();
    QTest::keyClick(art->txtArtText, Qt::Key_Delete);
    teclear(art->txtArtText, cuerpo);
    pulsar(art->cmdSaveArt);
}

// The character format of the first occurrence of `texto` in the document.
QTextCharFormat formatoDe(QTextDocument* documento, const QString& texto) {
    QTextCursor c = documento->find(texto);
    return c.isNull() ? QTextCharFormat() : c.charFormat();
}

} // namespace

class TstHistorialVentanas : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Dialogos::modoPrueba(true); }
    void init() { Dialogos::limpiar(); }

    void articleHistory_wordDifference_sideBySide_restore();
    void encyclopaediaHistory_bringsBackDeletedArticleListAndCaption();
};

void TstHistorialVentanas::articleHistory_wordDifference_sideBySide_restore() {
    Unidades u;
    forja::guardarAutor(QStringLiteral("Ana"));
    SesionForja sesion;
    Taller t(sesion);
    prepararTomo(t);
    agregarArticulo(t, QStringLiteral("marte.txt"));
    cargarArticulo(t, QStringLiteral("marte.txt"));
    escribir(t.tallerArt()->txtTitulo, QStringLiteral("Marte"));
    pulsar(t.tallerArt()->cmdSaveArt);
    guardarCuerpo(t, QStringLiteral("El planeta rojo, año tras año."));
    const QByteArray primera = u.bytes(kTomo + "\\marte.txt");
    guardarCuerpo(t, QStringLiteral("El planeta rojizo, año tras año y más."));

    borrarPendientes();
    cargarArticulo(t, QStringLiteral("marte.txt"));
    t.tallerArt()->mnuHistorial->trigger();
    VentanaHistorialArticulo* h = t.ventanaHistorialArticulo();
    QVERIFY(h);
    QCOMPARE(h->lstVersiones->count(), 4); // added, saved three times: newest first
    QVERIFY(h->lstVersiones->item(0)->text().contains(QStringLiteral("Ana · Guardado el artículo «Marte» · ")));
    QVERIFY(h->lstVersiones->item(3)->text().contains(QStringLiteral("Agregado el artículo «marte.txt»")));

    // The newest against the one before, word by word.
    QCOMPARE(h->pilaVista->currentIndex(), 0);
    const QString diferencias = h->txtDiferencias->toPlainText();
    QVERIFY2(diferencias.contains(QStringLiteral("El planeta rojorojizo, año tras año y más.")),
             qPrintable(diferencias));
    QVERIFY(formatoDe(h->txtDiferencias->document(), QStringLiteral("rojo")).fontStrikeOut());
    QVERIFY(!formatoDe(h->txtDiferencias->document(), QStringLiteral("rojizo")).fontStrikeOut());
    QVERIFY(formatoDe(h->txtDiferencias->document(), QStringLiteral(" y más")).background().style() != Qt::NoBrush);
    QCOMPARE(formatoDe(h->txtDiferencias->document(), QStringLiteral("año tras")).background().style(), Qt::NoBrush);

    // Side by side, and against a version the author picks.
    QTest::mouseClick(h->optLadoALado, Qt::LeftButton);
    QCOMPARE(h->pilaVista->currentIndex(), 1);
    QVERIFY(h->txtAntes->toPlainText().contains(QStringLiteral("rojo, año tras año.")));
    QVERIFY(h->txtDespues->toPlainText().contains(QStringLiteral("rojizo, año tras año y más.")));
    h->cmbComparar->setCurrentIndex(3);
    QVERIFY(!h->txtAntes->toPlainText().contains(QStringLiteral("planeta")));

    // The older save restored: written back, a new version on top, and read into the editor.
    QVERIFY(elegir(h->lstVersiones, h->lstVersiones->item(1)->text()));
    pulsar(h->cmdRestaurar);
    QVERIFY2(Dialogos::mostrados().isEmpty(), qPrintable(Dialogos::mostrados().value(0).texto));
    QCOMPARE(u.bytes(kTomo + "\\marte.txt"), primera);
    borrarPendientes();
    QVERIFY(t.tallerArt());
    QCOMPARE(t.tallerArt()->txtArtText->toPlainText(), QStringLiteral("El planeta rojo, año tras año.\n"));
    QCOMPARE(h->lstVersiones->count(), 5);
    QVERIFY(h->lstVersiones->item(0)->text().contains(QStringLiteral("Restaurado «marte.txt» como estaba el ")));
}

void TstHistorialVentanas::encyclopaediaHistory_bringsBackDeletedArticleListAndCaption() {
    Unidades u;
    forja::guardarAutor(QStringLiteral("Ana"));
    SesionForja sesion;
    VentanaForja ventana(sesion);
    Taller& t = *ventana.taller();
    prepararTomo(t);
    agregarArticulo(t, QStringLiteral("marte.txt"));
    agregarLista(t, QStringLiteral("Planetas"));
    u.escribir(kTomo + "\\IMG\\marte.txt", "Marte\r\nEl planeta rojo, visto de cerca.\r\n");
    cargarTomo(t, QString::fromStdString(kTomo));
    const QByteArray articulo = u.bytes(kTomo + "\\marte.txt");
    const QByteArray epigrafe = u.bytes(kTomo + "\\IMG\\marte.txt");

    // All three deleted behind Forja's back, and found when the encyclopaedia is loaded.
    QVERIFY(QFile::remove(u.nativa(kTomo + "\\marte.txt")));
    QVERIFY(QFile::remove(u.nativa(kTomo + "\\IMG\\marte.txt")));
    QVERIFY(QFile::remove(u.nativa(kTomo + "\\Planetas.dat")));
    u.escribir(kTomo + "\\LISTAS.DAT", "");
    u.escribir(kTomo + "\\COMPLETA.DAT", "");
    cargarTomo(t, QString::fromStdString(kTomo));
    QCOMPARE(t.lstListas->model()->rowCount(), 0);

    QAction* accion = ventana.menuBar()->findChild<QAction*>(QStringLiteral("mnuHistorialTomo"));
    QVERIFY(accion);
    accion->trigger();
    VentanaHistorialTomo* h = t.ventanaHistorialTomo();
    QVERIFY(h);
    QVERIFY(h->lstVersiones->item(0)->text().contains(QStringLiteral("Cambios hechos fuera de Forja")));
    QStringList archivos;
    for (int i = 0; i < h->lstArchivos->count(); ++i) {
        archivos << h->lstArchivos->item(i)->text();
    }
    QCOMPARE(archivos,
             (QStringList{QStringLiteral("COMPLETA.DAT"), QStringLiteral("IMG\\marte.txt"),
                          QStringLiteral("LISTAS.DAT"), QStringLiteral("Planetas.dat"), QStringLiteral("marte.txt")}));
    for (const QString& cual :
         {QStringLiteral("marte.txt"), QStringLiteral("Planetas.dat"), QStringLiteral("IMG\\marte.txt")}) {
        // The deletion stays selected: each restore adds a version on top.
        for (int i = 0; i < h->lstVersiones->count(); ++i) {
            if (h->lstVersiones->item(i)->text().contains(QStringLiteral("Cambios hechos fuera de Forja"))) {
                QVERIFY(elegir(h->lstVersiones, h->lstVersiones->item(i)->text()));
                break;
            }
        }
        QVERIFY(elegir(h->lstArchivos, cual));
        pulsar(h->cmdRecuperar);
        QVERIFY2(Dialogos::mostrados().isEmpty(), qPrintable(Dialogos::mostrados().value(0).texto));
    }
    QCOMPARE(u.bytes(kTomo + "\\marte.txt"), articulo);
    QCOMPARE(u.bytes(kTomo + "\\IMG\\marte.txt"), epigrafe);
    QCOMPARE(u.bytes(kTomo + "\\Planetas.dat"), QByteArray("\r\n"));
    QCOMPARE(u.bytes(kTomo + "\\COMPLETA.DAT"), QByteArray("marte.txt\r\n"));
    QCOMPARE(u.bytes(kTomo + "\\LISTAS.DAT"), QByteArray("Planetas\r\n"));
    QCOMPARE(t.lstListas->model()->rowCount(), 1); // the main window shows them again
    QCOMPARE(t.lstArticulos->model()->rowCount(), 1);
}

QTEST_MAIN(TstHistorialVentanas)
#include "tst_historial_ventanas.moc"

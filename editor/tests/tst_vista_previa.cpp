// "Vista previa" (F5) of the article editor: the article as the viewer assembles it, with its illustration,
// caption and colours, following what is typed before anything is saved.

#include "editor/estado.h"
#include "editor/sesion.h"
#include "editor/taller.h"
#include "editor/taller_art.h"
#include "editor/tests/ayudas.h"
#include "editor/vista_previa.h"
#include "render/render.h"
#include "tests/support/teclas_y_huellas.h"
#include "tests/support/unidades.h"
#include "ui/dialogos.h"

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>

using namespace prueba;
using ui::Dialogos;

class TstVistaPrevia : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Dialogos::modoPrueba(true); }
    void init() { Dialogos::limpiar(); }

    void f5_showsTheArticleAsTheViewerAssemblesItAndFollowsTheTyping();
};

void TstVistaPrevia::f5_showsTheArticleAsTheViewerAssemblesItAndFollowsTheTyping() {
    Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    prepararTomo(t);
    QImage foto(20, 10, QImage::Format_RGB32);
    foto.fill(Qt::yellow);
    QVERIFY(foto.save(u.nativa("C:\\ENC\\ASTRO\\IMG\\sol.png")));
    u.escribir("C:\\ENC\\ASTRO\\IMG\\sol.txt", "El Sol visto de cerca\r\nNuestra estrella\r\n/\r\nm\xE1"
                                               "s cercana\r\n");
    u.escribir("C:\\ENC\\ASTRO\\COLOR.DAT", "1122867\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n");
    u.escribir("C:\\ENC\\ASTRO\\sol.txt", "<TIT>El Sol\r\n<IMG>sol.png\r\nEs una estrella\r\n de tipo G.\r\n");
    u.escribir("C:\\ENC\\ASTRO\\COMPLETA.DAT", "sol.txt\r\n");
    cargarTomo(t, QStringLiteral("C:\\ENC\\ASTRO"));
    cargarArticulo(t, QStringLiteral("sol.txt"));
    TallerArt* art = t.tallerArt();
    QVERIFY(art);
    const QByteArray guardado = u.bytes("C:\\ENC\\ASTRO\\sol.txt");

    art->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(art));
    art->txtArtText->setFocus();
    QTest::keyClick(art->txtArtText, Qt::Key_F5);
    VistaPrevia* vista = art->findChild<VistaPrevia*>();
    QVERIFY(vista && vista->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!vista->ocupada(), 10000);
    QString texto = vista->txtVista->toPlainText();
    // The body's lines are joined as the viewer joins them; the illustration brings its title and caption.
    for (const QString& debe : {QStringLiteral("El Sol"), QStringLiteral("Es una estrella de tipo G."),
                                QStringLiteral("El Sol visto de cerca"), QStringLiteral("Nuestra estrella")}) {
        QVERIFY2(texto.contains(debe), qPrintable(debe + QStringLiteral(" | ") + texto));
    }
    QVERIFY(vista->pagina().contains(QString::fromStdString(render::colorCss(1122867))));
    QVERIFY(!vista->pagina().contains(QStringLiteral("Imagen no disponible")));

    // Typed, not saved: two lines join, a "/" line breaks, a side picture line shows no text.
    QSignalSpy actualizada(vista, &VistaPrevia::actualizada);
    art->txtArtText->moveCursor(QTextCursor::End);
    prueba::escribir(art->txtArtText, QStringLiteral("Brilla\nmucho\n/\n<CST>sol.png\nFin"));
    QTRY_VERIFY_WITH_TIMEOUT(actualizada.count() > 0 && !vista->ocupada(), 10000);
    texto = vista->txtVista->toPlainText();
    QVERIFY2(texto.contains(QStringLiteral("Brillamucho")), qPrintable(texto));
    QVERIFY2(!texto.contains(QStringLiteral("CST")), qPrintable(texto));
    QVERIFY(texto.contains(QStringLiteral("Fin")));
    QVERIFY(vista->pagina().contains(QStringLiteral("class=\"costado\"")));
    art->txtTitulo->setText(QStringLiteral("El Sol, nuestra estrella"));
    QTRY_VERIFY_WITH_TIMEOUT(vista->txtVista->toPlainText().contains(QStringLiteral("El Sol, nuestra estrella")),
                             10000);
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\sol.txt"), guardado);
    QVERIFY(!vista->lblAviso->isVisible());
    // Of a very long body the page shows the beginning, and says so.
    art->txtArtText->setPlainText(QStringLiteral("Una línea del cuerpo muy largo.\n").repeated(10000) +
                                  QStringLiteral("COLA"));
    QTRY_VERIFY_WITH_TIMEOUT(vista->lblAviso->isVisible() && !vista->ocupada(), 10000);
    QVERIFY(!vista->pagina().contains(QStringLiteral("COLA")));
    art->cerrarSinPreguntar();
    borrarPendientes();
}

QTEST_MAIN(TstVistaPrevia)
#include "tst_vista_previa.moc"

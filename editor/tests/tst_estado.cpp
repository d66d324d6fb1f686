// The editor's state and its windows: every box tied to a piece of the state shows it and gives back what the
// author types, and the article lists follow the complete list.

#include "editor/estado.h"
#include "editor/lista_marcable.h"
#include "editor/sesion.h"
#include "editor/taller.h"
#include "editor/taller_art.h"
#include "editor/tests/ayudas.h"
#include "tests/support/listas.h"
#include "tests/support/unidades.h"
#include "ui/dialogos.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTest>
#include <QTextDocument>

#include <functional>

using Leer = std::function<QString(Taller&)>;
using Poner = std::function<void(Taller&, const QString&)>;
Q_DECLARE_METATYPE(Leer)
Q_DECLARE_METATYPE(Poner)

class TstEstado : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ui::Dialogos::modoPrueba(true); }

    void cajas_muestranElEstadoYLoDevuelven_data() {
        QTest::addColumn<QString>("caja");
        QTest::addColumn<Leer>("leer");
        QTest::addColumn<Poner>("poner");
        QTest::newRow("raíz") << QStringLiteral("txtRaiz") << Leer([](Taller& t) { return t.raiz()->ruta(); })
                              << Poner([](Taller& t, const QString& s) { t.raiz()->ponerRuta(s); });
        QTest::newRow("enciclotomo") << QStringLiteral("txtTomo")
                                     << Leer([](Taller& t) { return t.tomo()->directorio(); })
                                     << Poner([](Taller& t, const QString& s) { t.tomo()->ponerDirectorio(s); });
        QTest::newRow("artículo") << QStringLiteral("txtArticulo")
                                  << Leer([](Taller& t) { return t.tomo()->articuloActual(); })
                                  << Poner([](Taller& t, const QString& s) { t.tomo()->ponerArticuloActual(s); });
        QTest::newRow("lista") << QStringLiteral("txtLista") << Leer([](Taller& t) { return t.tomo()->listaActual(); })
                               << Poner([](Taller& t, const QString& s) { t.tomo()->ponerListaActual(s); });
    }
    void cajas_muestranElEstadoYLoDevuelven() {
        QFETCH(QString, caja);
        QFETCH(Leer, leer);
        QFETCH(Poner, poner);
        SesionForja sesion;
        Taller t(sesion);
        auto* linea = t.findChild<QLineEdit*>(caja);
        QVERIFY(linea);
        prueba::escribir(linea, QStringLiteral("C:\\Año"));
        QCOMPARE(leer(t), QStringLiteral("C:\\Año"));
        poner(t, QStringLiteral("otro.txt"));
        QCOMPARE(linea->text(), QStringLiteral("otro.txt"));
        QCOMPARE(leer(t), QStringLiteral("otro.txt"));
    }

    void listas_siguenALaListaCompleta() {
        SesionForja sesion;
        Taller t(sesion);
        t.tomo()->articulos()->poner({QStringLiteral("sol.txt"), QStringLiteral("luna.txt")});
        t.tomo()->articulos()->marcar(1, true);
        t.tomo()->articulos()->agregar(QStringLiteral("marte.txt"));
        const QStringList todos{QStringLiteral("sol.txt"), QStringLiteral("luna.txt"), QStringLiteral("marte.txt")};
        QCOMPARE(prueba::textos(t.lstArticulos), todos);
        QCOMPARE(prueba::textos(t.lstLstArts), todos);
        QCOMPARE(prueba::marcados(t.lstLstArts), QList<int>{1});
        t.tomo()->ponerListas({QStringLiteral("Planetas")});
        t.tomo()->agregarLista(QStringLiteral("Lunas"));
        QCOMPARE(prueba::textos(t.lstListas), (QStringList{QStringLiteral("Planetas"), QStringLiteral("Lunas")}));
    }

    // What is typed in the article editor is the article's; what loading adds is not a change of the author's.
    void articulo_loEscritoEsDelArticulo() {
        SesionForja sesion;
        Taller t(sesion);
        auto* art = new TallerArt(t.sesion(), &t);
        ArticuloEditado* a = art->articulo();
        art->agregarContenido(QStringLiteral("Sol"), {QStringLiteral("sol.bmp")}, QStringLiteral("Brilla.\n"));
        QVERIFY(!a->hayCambios());
        QCOMPARE(art->txtArtText->toPlainText(), QStringLiteral("Brilla.\n"));
        QCOMPARE(prueba::textos(art->lstImagenes), QStringList{QStringLiteral("sol.bmp")});
        prueba::teclear(art->txtArtText, QStringLiteral("ñ"));
        QVERIFY(a->cambiosArticulo());
        QVERIFY(a->cuerpo()->toPlainText().contains(QStringLiteral("ñ")));
        prueba::escribir(art->txtTitulo, QStringLiteral("Luna"));
        QCOMPARE(a->titulo(), QStringLiteral("Luna"));
        prueba::teclear(art->txtSub, QStringLiteral("x"));
        QVERIFY(a->cambiosEpigrafe());
        delete art;
    }
    // The caption read and written is that of the illustration the article has selected, whoever selected it:
    // the list shows a selection made in the article, and one made in the list is the article's. An
    // illustration added afterwards does not move it.
    void epigrafe_sigueALaIlustracionSeleccionadaDelArticulo() {
        prueba::Unidades u;
        SesionForja sesion;
        Taller t(sesion);
        prueba::prepararTomo(t);
        u.escribir("C:\\ENC\\ASTRO\\sol.txt", "<TIT>Sol\r\n<IMG>uno.bmp\r\n<IMG>dos.bmp\r\n");
        u.escribir("C:\\ENC\\ASTRO\\COMPLETA.DAT", "sol.txt\r\n");
        prueba::cargarTomo(t, QStringLiteral("C:\\ENC\\ASTRO"));
        prueba::cargarArticulo(t, QStringLiteral("sol.txt"));
        TallerArt* art = t.tallerArt();
        QVERIFY(art);
        ArticuloEditado* a = sesion.articulo();
        QCOMPARE(art->articulo(), a);

        QVERIFY(prueba::elegir(art->lstImagenes, QStringLiteral("uno.bmp")));
        QCOMPARE(a->ilustracionSeleccionada(), std::optional<QString>(QStringLiteral("uno.bmp")));
        a->seleccionar(1);
        QCOMPARE(art->lstImagenes->currentIndex().row(), 1);
        QVERIFY(art->lstImagenes->selectionModel()->isSelected(art->lstImagenes->currentIndex()));
        prueba::escribir(art->txtImgNew, QStringLiteral("tres.bmp"));
        prueba::pulsar(art->cmdImgAdd);
        QCOMPARE(a->ilustracionSeleccionada(), std::optional<QString>(QStringLiteral("dos.bmp")));

        const QByteArray uno = u.bytes("C:\\ENC\\ASTRO\\IMG\\uno.txt");
        art->txtSub->setPlainText(QStringLiteral("Dos lunas"));
        prueba::pulsar(art->cmdSaveSub);
        QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\IMG\\dos.txt"), QByteArray("Dos lunas\r\n"));
        QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\IMG\\uno.txt"), uno);
        art->cerrarSinPreguntar();
    }

    // Closing the article editor lets go of the session's article at once: the next article opened, even
    // before the old window is gone, starts from nothing instead of being added to what the old one held.
    void articulo_cerrarLoSueltaDeLaSesion() {
        prueba::Unidades u;
        SesionForja sesion;
        Taller t(sesion);
        prueba::prepararTomo(t);
        u.escribir("C:\\ENC\\ASTRO\\sol.txt", "<TIT>Sol\r\n<IMG>sol.bmp\r\nBrilla.\r\n");
        u.escribir("C:\\ENC\\ASTRO\\luna.txt", "<TIT>Luna\r\n<IMG>luna.bmp\r\nGira.\r\n");
        u.escribir("C:\\ENC\\ASTRO\\COMPLETA.DAT", "sol.txt\r\nluna.txt\r\n");
        prueba::cargarTomo(t, QStringLiteral("C:\\ENC\\ASTRO"));
        prueba::cargarArticulo(t, QStringLiteral("sol.txt"));
        QPointer<TallerArt> primera = t.tallerArt();
        QVERIFY(primera && sesion.articulo());
        prueba::pulsar(primera->cmdCancelar);
        QVERIFY(!sesion.articulo());
        prueba::cargarArticulo(t, QStringLiteral("luna.txt"));
        TallerArt* segunda = t.tallerArt();
        QVERIFY(segunda && segunda != primera);
        QCOMPARE(sesion.articulo()->titulo(), QStringLiteral("Luna"));
        QCOMPARE(prueba::textos(segunda->lstImagenes), QStringList{QStringLiteral("luna.bmp")});
        QCOMPARE(segunda->txtArtText->toPlainText(), QStringLiteral("Gira.\n"));
        segunda->cerrarSinPreguntar();
        prueba::borrarPendientes();
        QVERIFY(!primera);
    }
};

QTEST_MAIN(TstEstado)
#include "tst_estado.moc"

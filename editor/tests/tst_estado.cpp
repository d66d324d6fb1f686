// The editor's state and its windows: every box tied to a piece of the state shows it and gives back what the
// author types, and the article lists follow the complete list.

#include "editor/estado.h"
#include "editor/lista_marcable.h"
#include "editor/taller.h"
#include "editor/taller_art.h"
#include "editor/tests/ayudas.h"
#include "tests/support/listas.h"
#include "ui/dialogos.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
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
        Taller t;
        auto* linea = t.findChild<QLineEdit*>(caja);
        QVERIFY(linea);
        prueba::escribir(linea, QStringLiteral("C:\\Año"));
        QCOMPARE(leer(t), QStringLiteral("C:\\Año"));
        poner(t, QStringLiteral("otro.txt"));
        QCOMPARE(linea->text(), QStringLiteral("otro.txt"));
        QCOMPARE(leer(t), QStringLiteral("otro.txt"));
    }

    void listas_siguenALaListaCompleta() {
        Taller t;
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
        Taller t;
        auto* art = new TallerArt(&t);
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
};

QTEST_MAIN(TstEstado)
#include "tst_estado.moc"

// The window "Buscar en el texto" through the real viewer on the sample encyclopaedia: opened from the
// menu "Ir", results as the reader types, and Enter or a double-click opening the article as the
// selector does, with the index in the user's cache and nothing else written into the encyclopaedia.

#include "main_window/etiqueta.h"
#include "main_window/menu_ir.h"
#include "main_window/ventana_principal.h"
#include "tests/support/controles.h"
#include "tests/support/teclas_y_huellas.h"
#include "tests/support/unidades.h"
#include "windows/busqueda_en_texto.h"
#include "windows/caja_articulo.h"
#include "windows/elector.h"
#include "windows/ventana_busqueda.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class TstBusquedaEnTexto : public QObject {
    Q_OBJECT

private slots:
    void init() {
        unidades_ = std::make_unique<prueba::Unidades>();
        QVERIFY(unidades_->instalarMuestras());
        cache_ = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CACHE_HOME", cache_->path().toUtf8());
        ventana_ = std::make_unique<VentanaPrincipal>();
        QVERIFY(ventana_->Form_Load());
        ventana_->show();
        QVERIFY(QTest::qWaitForWindowExposed(ventana_.get()));
        ventana_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(ventana_.get()));
    }

    void cleanup() {
        ventana_.reset();
        qunsetenv("XDG_CACHE_HOME");
        cache_.reset();
        unidades_.reset();
    }

    // Ctrl+Shift+F opens the window from the menu "Ir"; the index is made in the cache; typing lists the
    // articles found, each with its title and the words in bold; Enter and a double-click open them.
    void typedWordsFindArticlesThatOpenAsFromTheSelector() {
        QAction* item = nullptr;
        for (QAction* a : ventana_->menuIr()->menu->actions()) {
            item = a->text() == QStringLiteral("Buscar en el texto…") ? a : item;
        }
        QVERIFY(item);
        const QString dir = unidades_->nativa("C:\\ENCICLO\\SOLAR");
        const auto antes = prueba::huellas(dir);

        QTest::keyClick(prueba::control<CajaArticulo>(*ventana_, "txtArticulo"), Qt::Key_F,
                        Qt::ControlModifier | Qt::ShiftModifier);
        auto* buscar = ventana_->findChild<VentanaBusqueda*>();
        QVERIFY(buscar);
        QVERIFY(buscar->isVisible());
        QCOMPARE(buscar->windowTitle(), QStringLiteral("Buscar en el texto"));
        QCOMPARE(buscar->txtBuscado->accessibleName(), QStringLiteral("Texto buscado"));
        QCOMPARE(buscar->lstResultados->accessibleName(), QStringLiteral("Resultados"));
        QTRY_VERIFY(!buscar->modelo()->indexando());
        QVERIFY(QDir(cache_->path() + QStringLiteral("/lumbre/busqueda")).exists());

        const struct {
            const char* consulta;
            int encontrados;
            const char* primero;   // title of the first result, or "" when any
            const char* enNegrita; // a word found, in bold, in the first passage
        } casos[] = {
            {"anillo", 4, "", "anillo"},        {"LUNA", 6, "La Luna", "Luna"}, {"júpit*", 3, "", "Júpiter"},
            {"anillos lunas", 3, "", "anillo"}, {"cometas xyzzy", 0, "", ""},
        };
        for (const auto& c : casos) {
            buscar->txtBuscado->clear();
            QTRY_VERIFY(buscar->lblEncontrados->text().isEmpty()); // the answer to the last query is gone
            prueba::escribir(buscar->txtBuscado, QString::fromUtf8(c.consulta));
            const QString cantidad = c.encontrados == 1 ? QStringLiteral("1 artículo encontrado")
                                                        : QStringLiteral("%1 artículos encontrados").arg(c.encontrados);
            QTRY_COMPARE(buscar->lblEncontrados->text(), cantidad);
            auto* resultados = buscar->modelo()->resultados();
            QCOMPARE(resultados->rowCount(), c.encontrados);
            if (c.encontrados == 0) {
                continue;
            }
            const QString html = resultados->index(0).data(ResultadosDeBusqueda::Html).toString();
            if (*c.primero) {
                QVERIFY2(html.startsWith(QStringLiteral("<div><b>%1</b></div>").arg(QString::fromUtf8(c.primero))),
                         qPrintable(html));
            }
            QVERIFY2(html.contains(QStringLiteral("<b>%1").arg(QString::fromUtf8(c.enNegrita)), Qt::CaseInsensitive),
                     qPrintable(html));
        }

        // Enter in the query box opens the first result and records it, as the selector does.
        buscar->txtBuscado->clear();
        prueba::escribir(buscar->txtBuscado, QStringLiteral("júpiter"));
        QTest::keyClick(buscar->txtBuscado, Qt::Key_Return);
        QTRY_COMPARE(prueba::control<Etiqueta>(*ventana_, "lblTitulo")->text(), QStringLiteral("Júpiter"));
        QCOMPARE(unidades_->bytes("C:\\ENCICLO\\SOLAR\\ULTIMO.DAT"), QByteArray("JUPITER.TXT\r\n"));

        // A double-click on another result opens that one.
        buscar->txtBuscado->clear();
        prueba::escribir(buscar->txtBuscado, QStringLiteral("anillos"));
        QTRY_COMPARE(buscar->modelo()->resultados()->rowCount(), 4);
        const QModelIndex segundo = buscar->modelo()->resultados()->index(1);
        const QByteArray nombre = segundo.data(ResultadosDeBusqueda::Nombre).toString().toLatin1();
        const QPoint centro = buscar->lstResultados->visualRect(segundo).center();
        QTest::mouseClick(buscar->lstResultados->viewport(), Qt::LeftButton, {}, centro);
        QTest::mouseDClick(buscar->lstResultados->viewport(), Qt::LeftButton, {}, centro);
        QCOMPARE(unidades_->bytes("C:\\ENCICLO\\SOLAR\\ULTIMO.DAT"), nombre + "\r\n");
        QVERIFY(!prueba::control<Etiqueta>(*ventana_, "lblTitulo")->text().isEmpty());

        auto despues = prueba::huellas(dir);
        const QString ultimo = unidades_->nativa("C:\\ENCICLO\\SOLAR\\ULTIMO.DAT");
        despues.remove(ultimo);
        auto sinUltimo = antes;
        sinUltimo.remove(ultimo);
        QCOMPARE(despues, sinUltimo);
    }

    // Opening the window again brings the index up to date with an article changed meanwhile.
    void reopeningTheWindowFindsWhatChanged() {
        QTest::keyClick(prueba::control<CajaArticulo>(*ventana_, "txtArticulo"), Qt::Key_F,
                        Qt::ControlModifier | Qt::ShiftModifier);
        auto* buscar = ventana_->findChild<VentanaBusqueda*>();
        QVERIFY(buscar);
        QTRY_VERIFY(!buscar->modelo()->indexando());
        buscar->close();
        ventana_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(ventana_.get()));

        const std::string ruta = "C:\\ENCICLO\\SOLAR\\COMETAS.TXT";
        QVERIFY(unidades_->escribir(ruta, unidades_->bytes(ruta) +
                                              "Los astr\xF3nomos comparan sus colas con zarzaparrillas.\r\n"));
        QTest::keyClick(prueba::control<CajaArticulo>(*ventana_, "txtArticulo"), Qt::Key_F,
                        Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(buscar->isVisible());
        prueba::escribir(buscar->txtBuscado, QStringLiteral("zarzaparrilla astronomo"));
        QTRY_COMPARE(buscar->lblEncontrados->text(), QStringLiteral("1 artículo encontrado"));
        QCOMPARE(buscar->modelo()->resultados()->acierto(0).nombre, std::string("COMETAS.TXT"));
    }

    // Switching encyclopaedia in the chooser while the window is open searches the new one for the words
    // typed, without the reader having to come back to the window.
    void aSwitchOfEncyclopaediaSearchesTheNewOne() {
        QTest::keyClick(prueba::control<CajaArticulo>(*ventana_, "txtArticulo"), Qt::Key_F,
                        Qt::ControlModifier | Qt::ShiftModifier);
        auto* buscar = ventana_->findChild<VentanaBusqueda*>();
        QVERIFY(buscar);
        prueba::escribir(buscar->txtBuscado, QStringLiteral("desembocadura"));
        QTRY_COMPARE(buscar->lblEncontrados->text(), QStringLiteral("0 artículos encontrados"));

        prueba::control<QAction>(*ventana_, "mnuSeleki")->trigger();
        ventana_->elector()->lstTomos->setCurrentRow(1);
        QTest::keyClick(ventana_->elector()->lstTomos, Qt::Key_Return);
        QCOMPARE(ventana_->windowTitle(), QStringLiteral("Los ríos de España"));
        QTRY_COMPARE(buscar->lblEncontrados->text(), QStringLiteral("1 artículo encontrado"));
        QCOMPARE(buscar->modelo()->resultados()->acierto(0).nombre, std::string("GUADALQUIVIR.TXT"));
        QCOMPARE(QString::fromStdString(buscar->modelo()->directorio()),
                 QString::fromStdString(ventana_->directorio()));
    }

private:
    std::unique_ptr<prueba::Unidades> unidades_;
    std::unique_ptr<QTemporaryDir> cache_;
    std::unique_ptr<VentanaPrincipal> ventana_;
};

QTEST_MAIN(TstBusquedaEnTexto)
#include "tst_busqueda_en_texto.moc"

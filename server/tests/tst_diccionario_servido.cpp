// The server's look-ups: its index of a dictionary answers as the store's own look-up does, follows the file
// when it changes, and the Spanish stems are safe to ask for from many threads at once, the first time too.

#include "apoyo.h"

#include "lexico/raices_espanolas.h"
#include "server/diccionario_indexado.h"
#include "store/archivo_de_texto.h"
#include "store/codificacion.h"
#include "store/diccionario.h"

#include <QTest>

#include <random>
#include <thread>

class TstDiccionarioServido : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<prueba::Almacen> almacen_;
    const QString dict_ = QStringLiteral("C:\\ENCICLO\\SOLAR\\DICT.DAT");

private slots:
    // First, while nothing has read the Spanish dictionary yet: eight threads ask at once.
    void raicesDesdeVariosHilos() {
        if (lexico::rutaDiccionario().empty()) {
            QSKIP("No Spanish Hunspell dictionary (hunspell-es) on this machine.");
        }
        std::vector<QStringList> vistas(8);
        std::vector<std::thread> hilos;
        for (std::size_t i = 0; i < vistas.size(); ++i) {
            hilos.emplace_back([&, i] {
                for (int k = 0; k < 50; ++k) {
                    vistas[i] = lexico::de(u"abadesas"_qs);
                }
            });
        }
        for (auto& h : hilos) {
            h.join();
        }
        const QStringList una = lexico::de(u"abadesas"_qs);
        QVERIFY(!una.isEmpty());
        for (const QStringList& v : vistas) {
            QCOMPARE(v, una);
        }
    }

    void initTestCase() {
        almacen_ = std::make_unique<prueba::Almacen>();
        QVERIFY(almacen_->valido());
    }

    // The first line that begins with the word wins, whatever the order of the file; upper case as the store
    // folds it; a word that is only the start of a headword still finds it; lines end as the store ends them.
    void comoElAlmacen_data() {
        QTest::addColumn<QByteArray>("archivo");
        QTest::newRow("en orden") << QByteArray("ABETO   ARBOL\r\nCOMETA   ASTRO\r\nCOMETER   HACER\r\n");
        QTest::newRow("desordenado, repetidos")
            << QByteArray("ZETA  ULTIMA\r\nCOMETA  SEGUNDA\r\ncometa  minusculas\r\nCOMETA  TERCERA\r\nAB  X\r\n");
        QTest::newRow("acentos y eñes") << QByteArray("\xc1rbol  CON ACENTO\r\n\xd1U  ANIMAL\r\n\xf1o\xf1o  TONTO\r\n");
        QTest::newRow("saltos sueltos") << QByteArray("UNO\nDOS  A\rDOS  B\r\n\r\nTRES  C\nCUATRO\r\rCINCO  E");
        QTest::newRow("vacío") << QByteArray();
    }
    void comoElAlmacen() {
        QFETCH(QByteArray, archivo);
        QVERIFY(almacen_->escribir(dict_, archivo));
        server::DiccionarioIndexado indice("C:\\ENCICLO\\SOLAR");
        std::vector<std::string> palabras = {"",         "A",        "AB",    "ABETO",  "ABETOS",  "COMETA",
                                             "COMET",    "COMETA  ", "C",     "cometa", "ZETA",    "\xc1RBOL",
                                             "\xe1rbol", "\xd1U",    "\xf1O", "DOS",    "DOS  B",  "TRES  C\nCUATRO",
                                             "CINCO",    "Z",        "ZZ",    "\r",     "UNO\nDOS"};
        // And words cut from the file itself, at random places, in random case.
        std::mt19937 azar(27);
        for (int k = 0; k < 200 && !archivo.isEmpty(); ++k) {
            const auto desde = std::uniform_int_distribution<int>(0, static_cast<int>(archivo.size()) - 1)(azar);
            const auto largo = std::uniform_int_distribution<int>(1, 8)(azar);
            std::string p = archivo.mid(desde, largo).toStdString();
            if (k % 2) {
                p = store::aMayusculas(p);
            }
            palabras.push_back(p);
        }
        const store::Lineas lineas = store::partirLineas(std::string_view(archivo.constData(), archivo.size()));
        for (const std::string& p : palabras) {
            const auto hallada = indice.buscar(p);
            QVERIFY(hallada);
            QCOMPARE(*hallada, store::buscarEnLineas(lineas, store::aMayusculas(p)));
        }
    }

    // Saved again (another size, or the same size later), the dictionary is indexed again.
    void sigueAlArchivo() {
        server::DiccionarioIndexado indice("C:\\ENCICLO\\SOLAR");
        QVERIFY(almacen_->escribir(dict_, "SOL  ESTRELLA\r\n"));
        QCOMPARE(*indice.buscar("SOL"), std::optional<std::string>("ESTRELLA"));
        QTest::qWait(20);
        QVERIFY(almacen_->escribir(dict_, "SOL  LUCERO!\r\n"));
        QCOMPARE(*indice.buscar("SOL"), std::optional<std::string>("LUCERO!"));
        QFile::remove(almacen_->nativa(dict_));
        QVERIFY(!indice.buscar("SOL"));
    }
};

QTEST_GUILESS_MAIN(TstDiccionarioServido)
#include "tst_diccionario_servido.moc"

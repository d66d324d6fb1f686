// The article index: titles read on worker threads still arrive in list order, aligned with the names,
// and emptying the index drops whatever a cancelled listing had not handed over yet.

#include "main_window/modelo_de_titulos.h"
#include "tests/support/unidades.h"
#include "viewer/tests/indice_de_prueba.h"
#include "windows/selector.h"

#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

#include <string>
#include <vector>

namespace {

const std::string kDir = "C:\\ENC\\GRANDE";

// `n` articles "a<i>.txt" titled "Título <i>"; every seventh has no title line, every thirteenth is
// missing, and some are longer, so that the worker threads finish their pieces out of order.
struct Grande {
    explicit Grande(int n) {
        QDir().mkpath(u.unidad() + QStringLiteral("/ENC/GRANDE"));
        for (int i = 0; i < n; ++i) {
            const std::string nombre = "a" + std::to_string(i) + ".txt";
            nombres.push_back(nombre);
            if (i % 13 == 5) {
                titulos << QString();
                ++faltan;
                continue;
            }
            QByteArray cuerpo;
            if (i % 7 != 3) {
                cuerpo += "<TIT>T\xEDtulo " + QByteArray::number(i) + "\r\n";
            }
            cuerpo += QByteArray(i % 11 == 0 ? 20000 : 10, 'x') + "\r\n";
            QFile f(u.unidad() + QStringLiteral("/ENC/GRANDE/") + QString::fromStdString(nombre));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(cuerpo) == cuerpo.size());
            titulos << (i % 7 != 3 ? QStringLiteral("Título %1").arg(i) : QString());
        }
    }
    prueba::Unidades u;
    store::Lineas nombres;
    QStringList titulos;
    int faltan = 0;
};

QStringList titulosDe(const ModeloDeTitulos& indice) {
    QStringList t;
    for (int i = 0; i < indice.rowCount(); ++i) {
        t << indice.index(i).data().toString();
    }
    return t;
}

} // namespace

class PruebaIndice : public QObject {
    Q_OBJECT
private slots:
    void listing_keepsListOrder_andSaysFailuresOnce_data() {
        QTest::addColumn<int>("articulos");
        QTest::newRow("nada") << 0;
        QTest::newRow("menos que un trozo") << 40;
        QTest::newRow("muchos trozos") << 1200;
    }
    void listing_keepsListOrder_andSaysFailuresOnce() {
        QFETCH(int, articulos);
        Grande g(articulos);
        ModeloDeTitulos indice;
        indice.setDirectorio(kDir);
        indice.agregarNombres(g.nombres);
        indice.agregarNombres({"", "a0.txt"}); // an empty line names nothing; a name may come twice
        QSignalSpy avisos(&indice, &ModeloDeTitulos::aviso);
        QSignalSpy progreso(&indice, &ModeloDeTitulos::progreso);
        QSignalSpy terminado(&indice, &ModeloDeTitulos::listadoTerminado);

        indice.listar();
        QVERIFY(prueba::esperarListado(&indice));
        QCOMPARE(terminado.size(), 1);
        QStringList esperados = g.titulos;
        esperados << (articulos > 0 ? g.titulos.front() : QString());
        QCOMPARE(titulosDe(indice), esperados);
        QCOMPARE(indice.cantidadNombres(), articulos + 1);
        int antes = -1;
        for (const QList<QVariant>& p : progreso) {
            QVERIFY(p[0].toInt() > antes);
            QCOMPARE(p[1].toInt(), articulos + 1);
            antes = p[0].toInt();
        }
        const int fallos = g.faltan + (articulos == 0 ? 1 : 0);
        QCOMPARE(avisos.size(), fallos > 1 ? 1 : 0);
        if (fallos > 1) {
            QVERIFY(avisos.front()[0].toString().startsWith(QStringLiteral("No se pudieron leer %1 ").arg(fallos)));
        }

        // Listing again appends a second run of titles after the first: it never clears. A name added while
        // it reads is not read by it.
        indice.listar();
        indice.agregarNombres({"a1.txt"});
        QVERIFY(prueba::esperarListado(&indice));
        QCOMPARE(titulosDe(indice), esperados + esperados);
        QCOMPARE(indice.cantidadNombres(), articulos + 2);
    }

    void emptying_cancelsTheListingUnderWay_andTheCountLineFollows() {
        Grande g(1200);
        ModeloDeTitulos indice;
        Selector selector(&indice, nullptr);
        indice.setDirectorio(kDir);
        indice.agregarNombres(g.nombres);
        QStringList enCurso;
        QString trasActualizar;
        connect(&indice, &ModeloDeTitulos::progreso, this, [&] {
            enCurso << selector.lblCantidad->text();
            // While reading, refreshing the count line keeps showing the progress. Checked from the progress
            // itself, so that a machine that reads the whole list at once cannot end the listing first.
            if (trasActualizar.isEmpty() && indice.listando()) {
                selector.ActuaLbl();
                trasActualizar = selector.lblCantidad->text();
            }
        });
        indice.listar();
        QCOMPARE(enCurso.value(0), QStringLiteral("Leyendo títulos… 0 de 1.200"));
        QVERIFY(trasActualizar.startsWith(QStringLiteral("Leyendo títulos… ")));

        indice.vaciar();
        indice.agregarNombres({"a1.txt", "a2.txt"});
        indice.listar();
        QVERIFY(prueba::esperarListado(&indice));
        QTest::qWait(50); // pieces of the cancelled listing still in flight must not land
        QCOMPARE(titulosDe(indice), (QStringList{g.titulos[1], g.titulos[2]}));
        QCOMPARE(selector.lblCantidad->text(), QStringLiteral("2 artículos en la lista."));
    }
};

QTEST_MAIN(PruebaIndice)
#include "tst_modelo_de_titulos.moc"

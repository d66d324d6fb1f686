// "forja --exportar epub": the samples, a store of real Spanish text and one with bad articles become books
// that epubcheck accepts with no error, their table of contents in list order with accents intact, the
// encyclopaedia directory unchanged.

#include "tests/publicar/espanol.h"
#include "tests/publicar/exportar_comun.h"

#include <QtTest>

using prueba::forja;
using prueba::q;

class PruebaExportarEpub : public QObject {
    Q_OBJECT
private slots:
    void book_passesEpubcheckWithItsContentsInListOrder_data() {
        QTest::addColumn<QString>("enciclopedia");
        QTest::addColumn<bool>("malos");
        QTest::addColumn<int>("codigo");
        QTest::newRow("solar") << QStringLiteral("C:\\ENCICLO\\SOLAR") << false << 0;
        QTest::newRow("rios") << QStringLiteral("C:\\ENCICLO\\RIOS") << false << 0;
        QTest::newRow("espanol") << q(prueba::kEspana) << false << 0;
        QTest::newRow("malos") << q(prueba::kEspana) << true << 3;
    }
    void book_passesEpubcheckWithItsContentsInListOrder() {
        QFETCH(QString, enciclopedia);
        QFETCH(bool, malos);
        QFETCH(int, codigo);
        prueba::Unidades u;
        QVERIFY(u.instalarMuestras());
        QVERIFY(malos ? prueba::escribirMalos(u) : prueba::escribirEspana(u));
        const std::string dir = *store::utf8ACp1252(enciclopedia.toStdString());
        const auto antes = prueba::huella(u.nativa(dir));
        const QString libro = u.unidad('d') + QStringLiteral("/libro.epub");

        const auto s = forja({QStringLiteral("--exportar"), QStringLiteral("epub"), enciclopedia, libro}, u);
        QVERIFY2(s.codigo == codigo, qPrintable(s.errores));
        QCOMPARE(prueba::huella(u.nativa(dir)), antes);
        QCOMPARE(QDir(u.unidad('d')).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("libro.epub")});

        const auto check = prueba::ejecutar(QStringLiteral("java"),
                                            {QStringLiteral("-jar"), QStringLiteral("/usr/bin/epubcheck"), libro}, 120);
        QVERIFY2(check.codigo == 0 && check.errores.contains(QStringLiteral("0 fatals / 0 errors")),
                 qPrintable(check.errores));

        const auto indice =
            prueba::ejecutar(QStringLiteral("/usr/bin/python3"),
                             {QStringLiteral(LUMBRE_SOURCE_DIR "/tests/publicar/indice_epub.py"), libro});
        QVERIFY2(indice.codigo == 0, qPrintable(indice.errores));
        QStringList lineas = indice.errores.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY(lineas.size() >= 3);
        QCOMPARE(lineas.takeFirst(), QStringLiteral("mimetype guardado application/epub+zip"));
        const auto descripcion = store::leerDescripcion(dir);
        QVERIFY(descripcion.ok() && !descripcion->empty());
        QCOMPARE(lineas.takeFirst(), q(std::string((*descripcion)[0])));
        QCOMPARE(lineas.takeFirst(), QStringLiteral("es"));
        QStringList esperados = prueba::titulosDeLaLista(dir);
        if (malos) {
            // The articles that could not be read have no page: NOESTA.TXT and the name that climbs out.
            esperados.removeAll(QStringLiteral("NOESTA.TXT"));
            esperados.removeAll(QStringLiteral("..\\FUERA.TXT"));
            esperados.replace(0, QString::fromUtf8("Malo\uFFFD"));
            QVERIFY(s.errores.contains(QStringLiteral("NOESTA.TXT")));
            QVERIFY(s.errores.contains(QStringLiteral("FALTA.PNG")));
        }
        QCOMPARE(lineas, esperados);
    }
};

QTEST_MAIN(PruebaExportarEpub)
#include "tst_exportar_epub.moc"

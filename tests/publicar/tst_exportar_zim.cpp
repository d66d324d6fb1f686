// "forja --exportar zim": the samples, a store of real Spanish text and one with bad articles become ZIM files
// that zimcheck passes, read back here with libzim as an offline reader reads them: the main page is the title
// index, every article is found by its title and by a word of its text (accents aside), the language is "spa"
// and the illustration a 48 x 48 picture.

#include "tests/publicar/espanol.h"
#include "tests/publicar/exportar_comun.h"

#include <QImage>
#include <QtTest>

#include <zim/archive.h>
#include <zim/item.h>
#include <zim/search.h>
#include <zim/suggestion.h>

using prueba::forja;
using prueba::q;

namespace {

QStringList buscarTexto(const zim::Archive& archivo, const std::string& palabras) {
    zim::Searcher buscador(archivo);
    auto resultados = buscador.search(zim::Query(palabras)).getResults(0, 20);
    QStringList t;
    for (auto it = resultados.begin(); it != resultados.end(); ++it) {
        t << QString::fromStdString(it.getTitle());
    }
    return t;
}

QStringList sugerir(const zim::Archive& archivo, const std::string& texto) {
    zim::SuggestionSearcher buscador(archivo);
    auto resultados = buscador.suggest(texto).getResults(0, 20);
    QStringList t;
    for (auto it = resultados.begin(); it != resultados.end(); ++it) {
        t << QString::fromStdString(it->getTitle());
    }
    return t;
}

} // namespace

class PruebaExportarZim : public QObject {
    Q_OBJECT
private slots:
    void zimFile_passesZimcheckAndIsFoundByTitleAndText_data() {
        QTest::addColumn<QString>("enciclopedia");
        QTest::addColumn<bool>("malos");
        QTest::addColumn<int>("codigo");
        QTest::addColumn<QString>("palabra"); // a word of an article's text, typed without its accent
        QTest::addColumn<QString>("suyo");    // the title of that article
        QTest::newRow("solar") << QStringLiteral("C:\\ENCICLO\\SOLAR") << false << 0 << QStringLiteral("fotosfera")
                               << QStringLiteral("El Sol");
        QTest::newRow("rios") << QStringLiteral("C:\\ENCICLO\\RIOS") << false << 0 << QStringLiteral("Galicia")
                              << QString::fromUtf8("El Miño");
        QTest::newRow("espanol") << q(prueba::kEspana) << false << 0 << QStringLiteral("atlantico")
                                 << QString::fromUtf8("España");
        QTest::newRow("malos") << q(prueba::kEspana) << true << 3 << QStringLiteral("peninsula")
                               << QString::fromUtf8("España");
    }
    void zimFile_passesZimcheckAndIsFoundByTitleAndText() {
        QFETCH(QString, enciclopedia);
        QFETCH(bool, malos);
        QFETCH(int, codigo);
        QFETCH(QString, palabra);
        QFETCH(QString, suyo);
        prueba::Unidades u;
        QVERIFY(u.instalarMuestras());
        QVERIFY(malos ? prueba::escribirMalos(u) : prueba::escribirEspana(u));
        const std::string dir = *store::utf8ACp1252(enciclopedia.toStdString());
        const auto antes = prueba::huella(u.nativa(dir));
        const QString ruta = u.unidad('d') + QStringLiteral("/enciclo.zim");

        const auto s = forja({QStringLiteral("--exportar"), QStringLiteral("zim"), enciclopedia, ruta}, u);
        QVERIFY2(s.codigo == codigo, qPrintable(s.errores));
        QCOMPARE(prueba::huella(u.nativa(dir)), antes);
        QCOMPARE(QDir(u.unidad('d')).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("enciclo.zim")});

        const auto check = prueba::ejecutar(QStringLiteral("zimcheck"), {QStringLiteral("-A"), ruta});
        QVERIFY2(check.codigo == 0 && check.errores.contains(QStringLiteral("Overall Test Status: Pass")),
                 qPrintable(check.errores));

        const zim::Archive archivo(ruta.toStdString());
        QCOMPARE(archivo.getMetadata("Language"), std::string("spa"));
        QCOMPARE(archivo.getMainEntry().getItem(true).getPath(), std::string("index.html"));
        QVERIFY(archivo.hasTitleIndex());
        QVERIFY(archivo.hasFulltextIndex());
        const std::string png = archivo.getIllustrationItem(48).getData();
        QCOMPARE(QImage::fromData(QByteArray::fromStdString(png), "PNG").size(), QSize(48, 48));

        // The main page lists every title; each article is found by its title, accents intact.
        const QString indice = QString::fromStdString(archivo.getEntryByPath("index.html").getItem().getData());
        for (const QString& titulo : prueba::titulosDeLaLista(dir)) {
            if (titulo == QLatin1String("NOESTA.TXT") || titulo == QLatin1String("..\\FUERA.TXT")) {
                continue; // listed, but there is no page for them
            }
            const QString t = titulo == QLatin1String("Malo\x01") ? QString::fromUtf8("Malo\uFFFD") : titulo;
            QVERIFY2(indice.contains(t.toHtmlEscaped().replace(QLatin1String("&quot;"), QLatin1String("&quot;"))),
                     qPrintable(t));
            QVERIFY2(sugerir(archivo, t.toStdString()).contains(t), qPrintable(t));
        }
        const QStringList hallados = buscarTexto(archivo, palabra.toStdString());
        QVERIFY2(hallados.contains(suyo), qPrintable(palabra + QStringLiteral(": ") + hallados.join(QLatin1Char('|'))));
    }

    // libzim's own zstd level takes minutes at 100,000 articles; the export's level holds only while libzim's
    // calls to start a compressed stream reach the editor's definition. The dynamic linker says where each call
    // was bound.
    void zimFile_clustersAreCompressedThroughTheEditorsStreamStart() {
        prueba::Unidades u;
        QVERIFY(u.instalarMuestras());
        QTemporaryDir registro;
        qputenv("LD_DEBUG", "bindings");
        qputenv("LD_DEBUG_OUTPUT", QFile::encodeName(registro.filePath(QStringLiteral("ld"))));
        const auto s = forja({QStringLiteral("--exportar"), QStringLiteral("zim"), QStringLiteral("C:\\ENCICLO\\SOLAR"),
                              u.unidad('d') + QStringLiteral("/solar.zim")},
                             u);
        qunsetenv("LD_DEBUG");
        qunsetenv("LD_DEBUG_OUTPUT");
        QVERIFY2(s.codigo == 0, qPrintable(s.errores));
        QStringList enlaces;
        for (const QString& nombre : QDir(registro.path()).entryList(QDir::Files)) {
            QFile f(registro.filePath(nombre));
            QVERIFY(f.open(QIODevice::ReadOnly));
            for (const QByteArray& linea : f.readAll().split('\n')) {
                if (linea.contains("`ZSTD_initCStream'") && linea.contains("libzim")) {
                    enlaces << QString::fromLocal8Bit(linea.simplified());
                }
            }
        }
        QVERIFY2(!enlaces.isEmpty(), "libzim no inició ningún flujo comprimido");
        for (const QString& enlace : enlaces) {
            QVERIFY2(enlace.section(QStringLiteral(" to "), 1).contains(QStringLiteral("/forja ")), qPrintable(enlace));
        }
    }
};

QTEST_MAIN(PruebaExportarZim)
#include "tst_exportar_zim.moc"

// "forja --exportar html": the samples and a store of real Spanish text become sites that an HTML5 parser
// accepts page by page with every local link resolving; bad articles are reported without stopping the export;
// destinations are never overwritten unasked nor left half-written; the encyclopaedia directory never changes.

#include "publish/exportacion.h"
#include "store/archivos_de_lista.h"
#include "store/codificacion.h"
#include "store/lector_de_titulos.h"
#include "store/rutas.h"
#include "tests/publicar/espanol.h"
#include "tests/publicar/exportar_comun.h"
#include "tests/support/teclas_y_huellas.h"
#include "tests/support/unidades.h"

#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

using prueba::forja;
using prueba::huella;
using prueba::q;

QString leer(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QString validar(const QString& sitio) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("/usr/bin/python3"),
            {QStringLiteral(LUMBRE_SOURCE_DIR "/tests/publicar/validar_html.py"), sitio});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        return QString::fromUtf8(p.readAll()) + p.errorString();
    }
    return QString();
}

// The titles of the index's complete list, in order.
QStringList titulosDelIndice(const QString& sitio) {
    const QString indice = leer(sitio + QStringLiteral("/index.html"));
    const qsizetype desde = indice.indexOf(QStringLiteral("<ol id=\"titulos\""));
    QStringList t;
    static const QRegularExpression li(QStringLiteral("<li>(?:<a [^>]*>)?([^<]*)"));
    auto it = li.globalMatch(indice.mid(desde));
    while (it.hasNext()) {
        t << it.next().captured(1).replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    }
    return t;
}

} // namespace

class PruebaExportarHtml : public QObject {
    Q_OBJECT
private slots:
    void eachEncyclopaedia_becomesAValidSiteWithItsTitlesInOrder_data() {
        QTest::addColumn<QString>("enciclopedia");
        QTest::newRow("solar") << QStringLiteral("C:\\ENCICLO\\SOLAR");
        QTest::newRow("rios") << QStringLiteral("C:\\ENCICLO\\RIOS");
        QTest::newRow("espanol") << q(prueba::kEspana);
    }
    void eachEncyclopaedia_becomesAValidSiteWithItsTitlesInOrder() {
        QFETCH(QString, enciclopedia);
        prueba::Unidades u;
        QVERIFY(u.instalarMuestras());
        QVERIFY(prueba::escribirEspana(u));
        const std::string dir = *store::utf8ACp1252(enciclopedia.toStdString());
        const QString nativa = u.nativa(dir);
        const auto antes = huella(nativa);
        const QString sitio = u.unidad('d') + QStringLiteral("/sitio");

        const auto s = forja({QStringLiteral("--exportar"), QStringLiteral("html"), enciclopedia, sitio}, u);
        QVERIFY2(s.codigo == 0, qPrintable(s.errores));
        QVERIFY(s.errores.contains(QStringLiteral("[100%]")));
        QCOMPARE(huella(nativa), antes);
        const QString problemas = validar(sitio);
        QVERIFY2(problemas.isEmpty(), qPrintable(problemas));

        // The index lists every title of the complete list in its order, accents intact.
        QStringList esperados;
        store::LectorTitulos lector(dir);
        const auto completa = store::leerCompleta(dir);
        QVERIFY(completa.ok());
        for (const std::string_view nombre : completa.valor()) {
            esperados << q(*lector.titulo(nombre));
        }
        QCOMPARE(titulosDelIndice(sitio), esperados);

        // No picture is left in a form a browser may not show; the converted ones are real PNG files.
        QDirIterator it(sitio + QStringLiteral("/img"));
        int imagenes = 0;
        while (it.hasNext()) {
            const QString f = it.next();
            if (it.fileInfo().isFile()) {
                ++imagenes;
                QVERIFY2(!f.endsWith(QStringLiteral(".bmp"), Qt::CaseInsensitive) &&
                             !f.endsWith(QStringLiteral(".ico"), Qt::CaseInsensitive),
                         qPrintable(f));
                QVERIFY2(!QImage(f).isNull(), qPrintable(f));
            }
        }
        QVERIFY(imagenes > 0);
        // Nothing but the result is left beside it.
        QCOMPARE(QDir(u.unidad('d')).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("sitio")});
    }

    void spanishText_keepsEveryAccentAndLinksTheDictionary() {
        prueba::Unidades u;
        QVERIFY(prueba::escribirEspana(u));
        const QString sitio = u.unidad('d') + QStringLiteral("/sitio");
        const auto s = forja({QStringLiteral("--exportar"), QStringLiteral("html"), q(prueba::kEspana), sitio}, u);
        QVERIFY2(s.codigo == 0, qPrintable(s.errores));
        const QString espana = leer(sitio + QStringLiteral("/articulos/ESPANA.TXT.html"));
        for (const char* texto :
             {"<h1>España</h1>", "península ibérica", "¿Sabías que el español", "Geografía de España",
              "<div class=\"titulo-imagen\">Mapa de España</div>", "src=\"../img/MAPA.png\""}) {
            QVERIFY2(espana.contains(QString::fromUtf8(texto)), texto);
        }
        QVERIFY(leer(sitio + QStringLiteral("/articulos/PINGUINO.TXT.html")).contains(QString::fromUtf8("12 €")));
        QVERIFY(leer(sitio + QStringLiteral("/articulos/CIUDADES.TXT.html"))
                    .contains(QString::fromUtf8("Ciudades «con historia»")));
        const QString diccionario = leer(sitio + QStringLiteral("/diccionario.html"));
        QVERIFY(diccionario.contains(QString::fromUtf8("<dt>MESETA</dt><dd><a href=\"articulos/ESPANA.TXT.html\">"
                                                       "España</a></dd>")));
        QVERIFY(diccionario.contains(QString::fromUtf8("<dt>ÑANDÚ</dt><dd>AVE CORREDORA")));
        const QString lista = leer(sitio + QStringLiteral("/listas/Montes_y_rios.html"));
        QVERIFY(lista.indexOf(QStringLiteral("Las montañas")) < lista.indexOf(QStringLiteral(">España<")));
        QVERIFY(leer(sitio + QStringLiteral("/index.html"))
                    .contains(QString::fromUtf8("<a href=\"listas/Montes_y_rios.html\">Montes y ríos</a>")));
    }

    void titleFilter_ignoresAccentsAndCaseOffline_data() {
        QTest::addColumn<QString>("escrito");
        QTest::addColumn<QString>("hallados");
        QTest::newRow("sin acento") << QStringLiteral("espana") << QString::fromUtf8("España");
        QTest::newRow("mayúsculas") << QStringLiteral("MONTANAS") << QString::fromUtf8("Las montañas");
        QTest::newRow("diéresis") << QStringLiteral("pinguino") << QString::fromUtf8("Un pingüino en Cádiz");
        QTest::newRow("con acento") << QString::fromUtf8("CÁDIZ") << QString::fromUtf8("Un pingüino en Cádiz");
        QTest::newRow("en medio") << QStringLiteral("histo") << QString::fromUtf8("Ciudades «con historia»");
        QTest::newRow("varios") << QStringLiteral("a")
                                << QString::fromUtf8("España|Las montañas|Ciudades «con "
                                                     "historia»|Un pingüino en Cádiz");
        QTest::newRow("ninguno") << QStringLiteral("xyz") << QString();
        QTest::newRow("vacío") << QStringLiteral("  ") << QString();
    }
    void titleFilter_ignoresAccentsAndCaseOffline() {
        QFETCH(QString, escrito);
        QFETCH(QString, hallados);
        prueba::Unidades u;
        QVERIFY(prueba::escribirEspana(u));
        const QString sitio = u.unidad('d') + QStringLiteral("/sitio");
        QCOMPARE(forja({QStringLiteral("--exportar"), QStringLiteral("html"), q(prueba::kEspana), sitio}, u).codigo, 0);
        // The page's own script over the page's own title index, as a browser would load them.
        const QString programa =
            QStringLiteral("const fs=require('fs');const window={};eval(fs.readFileSync(process.argv[1],'utf8'));"
                           "const f=require(process.argv[2]);"
                           "const r=f.filtrar(window.LUMBRE_TITULOS,process.argv[3],1000);"
                           "for(const t of r){if(!fs.existsSync(require('path').join(process.argv[4],t[1])))"
                           "throw new Error('no existe '+t[1]);}"
                           "process.stdout.write(r.map(t=>t[0]).join('|'));");
        QProcess node;
        node.start(QStringLiteral("node"), {QStringLiteral("-e"), programa, sitio + QStringLiteral("/titulos.js"),
                                            sitio + QStringLiteral("/filtro.js"), escrito, sitio});
        QVERIFY(node.waitForFinished(30000));
        QVERIFY2(node.exitCode() == 0, node.readAllStandardError().constData());
        QCOMPARE(QString::fromUtf8(node.readAllStandardOutput()), hallados);
    }

    void badArticles_areReportedWithoutStoppingTheExport() {
        prueba::Unidades u;
        QVERIFY(prueba::escribirEspana(u));
        QVERIFY(prueba::escribirMalos(u));
        const std::string d = prueba::kEspana;
        const QString nativa = u.nativa(d);
        const auto antes = huella(nativa);
        const QString sitio = u.unidad('d') + QStringLiteral("/sitio");

        const auto s = forja({QStringLiteral("--exportar"), QStringLiteral("html"), q(d), sitio}, u);
        QVERIFY2(s.codigo == 3, qPrintable(s.errores)); // in place, with warnings
        QCOMPARE(huella(nativa), antes);
        // Each problem is told once, naming its file.
        for (const char* dicho : {"MALO.TXT", "NOESTA.TXT", "FALTA.PNG", "ROTA.JPG", "FUERA.TXT"}) {
            QCOMPARE(s.errores.count(QRegularExpression(QStringLiteral("aviso: .*%1").arg(QLatin1String(dicho)))), 1);
        }
        QVERIFY(!s.errores.contains(QRegularExpression(QStringLiteral("aviso: .*GRANDE"))));
        const QString problemas = validar(sitio);
        QVERIFY2(problemas.isEmpty(), qPrintable(problemas));
        QVERIFY(QFileInfo(sitio + QStringLiteral("/articulos/GRANDE.TXT.html")).size() > 10 * 1000 * 1000);
        QVERIFY(leer(sitio + QStringLiteral("/articulos/MALO.TXT.html"))
                    .contains(QString::fromUtf8("<h1>Malo\uFFFD</h1>")));
        QCOMPARE(titulosDelIndice(sitio),
                 (QStringList{QString::fromUtf8("Malo\uFFFD"), QStringLiteral("NOESTA.TXT"),
                              QString::fromUtf8("España"), QStringLiteral("Sin imagen"), QStringLiteral("Grande"),
                              QStringLiteral("Otra"), QString::fromUtf8("Las montañas")}));
    }

    void destination_isNeverOverwrittenUnaskedNorWrittenInsideTheEncyclopaedia_data() {
        QTest::addColumn<QString>("destino"); // relative to drive D, or "@" + relative to the encyclopaedia
        QTest::addColumn<QStringList>("opciones");
        QTest::addColumn<int>("codigo");
        QTest::addColumn<bool>("reemplazado");
        QTest::newRow("existe") << QStringLiteral("viejo") << QStringList() << 1 << false;
        QTest::newRow("reemplazar") << QStringLiteral("viejo") << QStringList{QStringLiteral("--reemplazar")} << 0
                                    << true;
        QTest::newRow("archivo reemplazado")
            << QStringLiteral("archivo") << QStringList{QStringLiteral("--reemplazar")} << 0 << true;
        QTest::newRow("dentro") << QStringLiteral("@sitio") << QStringList{QStringLiteral("--reemplazar")} << 1
                                << false;
        QTest::newRow("la misma") << QStringLiteral("@") << QStringList{QStringLiteral("--reemplazar")} << 1 << false;
        QTest::newRow("la contiene") << QStringLiteral("@..") << QStringList{QStringLiteral("--reemplazar")} << 1
                                     << false;
        QTest::newRow("sin padre") << QStringLiteral("no/hay/sitio") << QStringList() << 1 << false;
        QTest::newRow("formato") << QStringLiteral("nuevo") << QStringList{QStringLiteral("--formato-raro")} << 2
                                 << false;
    }
    void destination_isNeverOverwrittenUnaskedNorWrittenInsideTheEncyclopaedia() {
        QFETCH(QString, destino);
        QFETCH(QStringList, opciones);
        QFETCH(int, codigo);
        QFETCH(bool, reemplazado);
        prueba::Unidades u;
        QVERIFY(prueba::escribirEspana(u));
        const QString nativa = u.nativa(prueba::kEspana);
        QVERIFY(QDir().mkpath(u.unidad('d') + QStringLiteral("/viejo")));
        QVERIFY(u.escribir("D:\\viejo\\queda.txt", "antes"));
        QVERIFY(u.escribir("D:\\archivo", "un archivo"));
        const QString ruta = destino.startsWith(QLatin1Char('@')) ? nativa + QLatin1Char('/') + destino.mid(1)
                                                                  : u.unidad('d') + QLatin1Char('/') + destino;
        const auto antesEnc = huella(nativa);
        const auto antesD = huella(u.unidad('d'));

        const auto s = forja(
            QStringList{QStringLiteral("--exportar"), QStringLiteral("html"), q(prueba::kEspana), ruta} + opciones, u);
        QVERIFY2(s.codigo == codigo, qPrintable(s.errores));
        QCOMPARE(huella(nativa), antesEnc);
        if (reemplazado) {
            QVERIFY(QFileInfo::exists(ruta + QStringLiteral("/index.html")));
            QVERIFY(!QFileInfo::exists(ruta + QStringLiteral("/queda.txt")));
            QCOMPARE(QDir(u.unidad('d')).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                     (QStringList{QStringLiteral("archivo"), QStringLiteral("viejo")}));
        } else {
            QCOMPARE(huella(u.unidad('d')), antesD);
            QVERIFY(!s.errores.isEmpty());
        }
    }

    void cancelling_leavesNothingBehindAndTheOldResultWhole() {
        prueba::Unidades u;
        QVERIFY(prueba::escribirEspana(u));
        publish::registrarFormatosIncorporados();
        QVERIFY(u.escribir("D:\\sitio\\viejo.html", "antes"));
        const auto antes = huella(u.unidad('d'));
        std::atomic_bool cancelar{false};
        int pasos = 0;
        const publish::Informe informe = publish::exportar(
            {QStringLiteral("html"), prueba::kEspana, u.unidad('d') + QStringLiteral("/sitio"), true},
            [&](const publish::Progreso&) {
                if (++pasos == 2) {
                    cancelar = true;
                }
            },
            &cancelar);
        QCOMPARE(informe.fin, publish::Informe::Fin::Cancelado);
        QCOMPARE(huella(u.unidad('d')), antes);
    }
};

QTEST_MAIN(PruebaExportarHtml)
#include "tst_exportar_html.moc"

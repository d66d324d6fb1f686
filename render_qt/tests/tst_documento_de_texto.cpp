// The renderer's page as the rich-text engine reads it: blocks it knows, colours it takes, and the article's
// own text untouched whatever it says.

#include "render/render.h"
#include "render_qt/documento_de_texto.h"

#include <QTest>

class DocumentoDeTextoTest : public QObject {
    Q_OBJECT

private slots:
    void page_becomesWhatTheEngineReads_data() {
        QTest::addColumn<QString>("pagina");
        QTest::addColumn<QString>("esperada");
        QTest::newRow("declaración") << QStringLiteral("<?xml version=\"1.0\"?>\n<p>a</p>")
                                     << QStringLiteral("\n<p>a</p>");
        QTest::newRow("bloques de HTML 5")
            << QStringLiteral("<article><header x=\"1\">t</header><nav/><figure><figcaption>c</figcaption></figure>"
                              "<section>s</section></article>")
            << QStringLiteral("<div><div x=\"1\">t</div><div/><div><div>c</div></div><div>s</div></div>");
        QTest::newRow("otros elementos intactos")
            << QStringLiteral("<headers>h</headers><navegar/>") << QStringLiteral("<headers>h</headers><navegar/>");
        QTest::newRow("colores de la hoja")
            << QStringLiteral("<style>\nbody{background:#fff;color:#000}\n.t{background:red}</style>")
            << QStringLiteral("<style>\nbody{background-color:#fff;color:#000}\n.t{background-color:red}</style>");
        QTest::newRow("el texto dice background: y &lt;header&gt;")
            << QStringLiteral("<style>p{background:red}</style><p>background: azul &lt;header&gt;</p>")
            << QStringLiteral("<style>p{background-color:red}</style><p>background: azul &lt;header&gt;</p>");
        QTest::newRow("acentos") << QStringLiteral("<section>Río Ñandú</section>")
                                 << QStringLiteral("<div>Río Ñandú</div>");
    }
    void page_becomesWhatTheEngineReads() {
        QFETCH(QString, pagina);
        QFETCH(QString, esperada);
        const QByteArray utf8 = pagina.toUtf8();
        QCOMPARE(
            render_qt::paraDocumentoDeTexto(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size()))),
            esperada);
    }

    // A whole page of the renderer keeps none of the elements the engine does not know.
    void renderedPage_hasNoUnknownBlocks() {
        render::Opciones opciones;
        const std::string articulo = "<TIT>Marte\r\n<IMG>MARTE.JPG\r\nbackground: el planeta rojo\r\n";
        const render::Pagina p = render::renderizarBytes("", "MARTE.TXT", articulo, opciones);
        const QString pagina = render_qt::paraDocumentoDeTexto(p.xhtml);
        for (const char* e : {"<article", "<header", "<nav", "<figure", "<figcaption", "<section"}) {
            QVERIFY2(!pagina.contains(QLatin1String(e)), e);
        }
        QVERIFY(pagina.contains(QStringLiteral("background: el planeta rojo")));
        QVERIFY(!pagina.contains(QStringLiteral("{background:")));
        QVERIFY(pagina.contains(QStringLiteral("{background-color:")));
    }
};

QTEST_GUILESS_MAIN(DocumentoDeTextoTest)
#include "tst_documento_de_texto.moc"

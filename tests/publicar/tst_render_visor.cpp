// A rendered page says what the viewer shows: for every sample article and for hand-made tricky ones, the
// viewer's own window opens the article and its title, text, outline and first illustration's title and
// caption are compared with the page's, read back with an XML parser (so every page is well-formed too).

#include "main_window/etiqueta.h"
#include "main_window/ventana_principal.h"
#include "render/render.h"
#include "store/archivo_de_texto.h"
#include "store/archivos_de_lista.h"
#include "store/codificacion.h"
#include "store/registro.h"
#include "store/rutas.h"
#include "tests/support/controles.h"
#include "tests/support/unidades.h"
#include "ui/dialogos.h"
#include "viewer/tests/indice_de_prueba.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QXmlStreamReader>
#include <QtTest>

#include <memory>

namespace {

struct LoQueDiceLaPagina {
    QString titulo;
    QString texto;
    QStringList esquema;
    QString tituloImagen1;
    QString epigrafe1;
    QString error;
};

// Reads the page as XML: the title, the body's text ("\n" for <br/>, "\n\n" between paragraphs), the outline
// and the first figure's title and caption (the same reading).
LoQueDiceLaPagina leerPagina(const std::string& xhtml) {
    LoQueDiceLaPagina p;
    QXmlStreamReader x(QByteArray::fromStdString(xhtml));
    enum class Donde { Nada, Titulo, Cuerpo, Esquema, TituloImagen, Epigrafe } donde = Donde::Nada;
    int figura = 0;
    int profundidad = 0; // of the element being read, below its division
    bool parrafoAntes = false;
    QString* destino = nullptr;
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement()) {
            const QString clase = x.attributes().value(QStringLiteral("class")).toString();
            const QString nombre = x.name().toString();
            if (donde == Donde::Nada) {
                if (nombre == QLatin1String("h1")) {
                    donde = Donde::Titulo;
                    destino = &p.titulo;
                } else if (clase == QLatin1String("cuerpo")) {
                    donde = Donde::Cuerpo;
                    destino = &p.texto;
                } else if (clase == QLatin1String("esquema")) {
                    donde = Donde::Esquema;
                } else if (nombre == QLatin1String("figure")) {
                    ++figura;
                } else if (figura == 1 && clase == QLatin1String("titulo-imagen")) {
                    donde = Donde::TituloImagen;
                    destino = &p.tituloImagen1;
                } else if (figura == 1 && clase == QLatin1String("epigrafe")) {
                    donde = Donde::Epigrafe;
                    destino = &p.epigrafe1;
                }
                profundidad = 0;
                parrafoAntes = false;
                continue;
            }
            ++profundidad;
            if (nombre == QLatin1String("br") && destino) {
                *destino += QLatin1Char('\n');
            } else if (nombre == QLatin1String("p") && destino) {
                if (parrafoAntes) {
                    *destino += QStringLiteral("\n\n");
                }
                parrafoAntes = true;
            } else if (nombre == QLatin1String("li")) {
                p.esquema << QString();
            }
        } else if (x.isEndElement() && donde != Donde::Nada) {
            if (profundidad-- == 0) {
                donde = Donde::Nada;
                destino = nullptr;
            }
        } else if (x.isCharacters() && donde != Donde::Nada) {
            if (donde == Donde::Esquema && !p.esquema.isEmpty()) {
                p.esquema.last() += x.text();
            } else if (destino) {
                *destino += x.text();
            }
        }
    }
    if (x.hasError()) {
        p.error = x.errorString();
    }
    return p;
}

QByteArray lineas(std::initializer_list<const char*> ls) {
    QByteArray b;
    for (const char* l : ls) {
        b += l;
        b += "\r\n";
    }
    return b;
}

} // namespace

class PruebaRenderVisor : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { ui::Dialogos::modoPrueba(true); }

    void everyArticle_rendersWhatTheViewerShows() {
        prueba::Unidades u;
        QVERIFY(u.instalarMuestras());
        // Tricky articles beside the samples' own, named only here.
        const std::string solar = "C:\\ENCICLO\\SOLAR";
        const QStringList trucos = {QStringLiteral("T1.TXT"), QStringLiteral("T2.TXT"), QStringLiteral("T3.TXT"),
                                    QStringLiteral("T4.TXT")};
        QVERIFY(u.escribir(solar + "\\T1.TXT", lineas({"  <tit>  Casa  ", "Uno", "", "Dos", "   /   ", "Tres", "/", "/",
                                                       "/", "Cuatro", "<B>fuera",
                                                       "  sangr\xED"
                                                       "a  y  espacios",
                                                       "/", "/", "/", "/", "fin &<>\"'"})));
        QVERIFY(u.escribir(solar + "\\T2.TXT", QByteArray("<TIT>Sin final\r\n/\r\nA\nB\r\n<IMG>SOL.BMP\r\n/")));
        QVERIFY(u.escribir(solar + "\\T3.TXT", lineas({"<TIT>Primero", "<TIT>Segundo", "<img>no-esta.png",
                                                       "<IMG>SOL.BMP", "<CST>CIELO.JPG", "\x80 \x93\xF1\x94"})));
        QVERIFY(u.escribir(solar + "\\T4.TXT", QByteArray("")));

        for (const std::string& enciclopedia : {solar, std::string("C:\\ENCICLO\\RIOS")}) {
            QVERIFY(store::elegirEnciclopedia(enciclopedia).ok());
            auto w = std::make_unique<VentanaPrincipal>();
            QVERIFY(w->Form_Load());
            w->show();
            QVERIFY(prueba::esperarListado(w->titulos()));
            const auto completa = store::leerCompleta(enciclopedia);
            QVERIFY(completa.ok());
            QStringList nombres;
            for (const std::string_view n : *completa) {
                nombres << QString::fromStdString(store::cp1252AUtf8(n));
            }
            QVERIFY(nombres.size() >= 4);
            if (enciclopedia == solar) {
                nombres << trucos;
            }
            for (const QString& nombre : nombres) {
                const std::string n = *store::utf8ACp1252(nombre.toStdString());
                w->Abrir(store::unir(enciclopedia, n));
                render::Opciones o;
                // A picture is there when the store can read it, as the viewer's picture loader would.
                o.imagen = [](const render::Imagen& i) -> std::optional<std::string> {
                    if (!store::existeArchivo(i.ruta)) {
                        return std::nullopt;
                    }
                    return i.nombre;
                };
                const auto pagina = render::renderizarArticulo(enciclopedia, n, o);
                QVERIFY2(pagina.ok(), qPrintable(nombre));
                const LoQueDiceLaPagina p = leerPagina(pagina->xhtml);
                QVERIFY2(p.error.isEmpty(), qPrintable(nombre + QStringLiteral(": ") + p.error));
                QString visto = prueba::control<CajaArticulo>(*w, "txtArticulo")->toPlainText();
                visto.remove(QChar(0x200B)); // the box's own break opportunities in very long words
                QCOMPARE(p.texto, visto);
                QCOMPARE(p.titulo, prueba::control<Etiqueta>(*w, "lblTitulo")->text());
                QStringList esquema;
                for (int i = 0; i < prueba::control<QListWidget>(*w, "lstEsquema")->count(); ++i) {
                    esquema << prueba::control<QListWidget>(*w, "lstEsquema")->item(i)->text();
                }
                QCOMPARE(p.esquema, esquema);
                if (!esquema.isEmpty()) {
                    QCOMPARE(p.tituloImagen1, prueba::control<Etiqueta>(*w, "lblTitImag")->text());
                    QCOMPARE(p.epigrafe1, prueba::control<QPlainTextEdit>(*w, "txtEpigrafe")->toPlainText());
                }
            }
        }
    }
};

QTEST_MAIN(PruebaRenderVisor)
#include "tst_render_visor.moc"

#include "print/documento.h"

#include "render_qt/documento_de_texto.h"

#include <QAbstractTextDocumentLayout>
#include <QPaintDevice>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

namespace print {

// Lengths in px: the reader of text documents takes no other unit for margins.
const char* const kHojaDeImpresion = R"(
body { color: #000000; background-color: #ffffff; }
h1 { font-size: 20pt; font-weight: bold; margin-top: 0px; margin-bottom: 2px; }
p.subtitulo { font-size: 9pt; color: #444444; margin-top: 0px; margin-bottom: 14px; }
p { white-space: pre-wrap; margin-top: 0px; margin-bottom: 9px; }
div.ilustracion { margin-top: 18px; margin-bottom: 6px; }
div.imagen-no-disponible { font-style: italic; }
div.titulo-imagen { font-weight: bold; margin-top: 3px; margin-bottom: 3px; }
div.epigrafe { white-space: pre-wrap; font-size: 10pt; }
div.epigrafe p { margin-bottom: 4px; }
)";

std::unique_ptr<QTextDocument> documentoDePagina(const std::string& xhtml, const QList<Imagen>& imagenes) {
    auto documento = std::make_unique<QTextDocument>();
    QFont letra(QStringLiteral("Liberation Serif"));
    letra.setStyleStrategy(QFont::PreferNoShaping); // no ligatures: "fi" stays two letters for searching and copying
    letra.setPointSizeF(11);
    documento->setDefaultFont(letra);
    for (const Imagen& i : imagenes) {
        if (!i.imagen.isNull()) {
            documento->addResource(QTextDocument::ImageResource, QUrl(i.direccion), i.imagen);
        }
    }
    // The page links its style sheet; the document takes this one instead, and finds nothing on disk.
    documento->addResource(QTextDocument::StyleSheetResource, QUrl(QString::fromLatin1(kHojaDeImpresionUrl)),
                           QString());
    documento->setDefaultStyleSheet(QString::fromUtf8(kHojaDeImpresion));
    documento->setHtml(render_qt::paraDocumentoDeTexto(xhtml));
    return documento;
}

void ajustarImagenes(QTextDocument& documento, double ancho) {
    // Image sizes in a document are in pixels of 96 to the inch, turned into the device's units when laid
    // out.
    const QPaintDevice* dispositivo = documento.documentLayout()->paintDevice();
    const double escala = dispositivo ? dispositivo->logicalDpiX() / 96.0 : 1.0;
    const double maximo = ancho / escala;
    struct Cambio {
        int posicion;
        int largo;
        QTextImageFormat formato;
    };
    QList<Cambio> cambios; // applied after the walk, which changing formats would disturb
    for (QTextBlock bloque = documento.begin(); bloque.isValid(); bloque = bloque.next()) {
        for (auto it = bloque.begin(); !it.atEnd(); ++it) {
            const QTextFragment trozo = it.fragment();
            if (!trozo.isValid() || !trozo.charFormat().isImageFormat()) {
                continue;
            }
            QTextImageFormat formato = trozo.charFormat().toImageFormat();
            const QImage imagen =
                documento.resource(QTextDocument::ImageResource, QUrl(formato.name())).value<QImage>();
            const double w = formato.width() > 0 ? formato.width() : imagen.width();
            const double h = formato.height() > 0 ? formato.height() : imagen.height();
            if (w <= maximo || w <= 0) {
                continue;
            }
            formato.setWidth(maximo);
            formato.setHeight(h * maximo / w);
            cambios.append({trozo.position(), trozo.length(), formato});
        }
    }
    for (const Cambio& c : cambios) {
        QTextCursor cursor(&documento);
        cursor.setPosition(c.posicion);
        cursor.setPosition(c.posicion + c.largo, QTextCursor::KeepAnchor);
        cursor.setCharFormat(c.formato);
    }
}

} // namespace print

#pragma once

// An article's page, as the renderer writes it (XHTML in UTF-8), made into a text document that can be laid
// out on paper: its pictures handed over as images under the addresses the page uses for them, each made
// no wider than the text.

#include <QImage>
#include <QList>
#include <QString>

#include <memory>
#include <string>

class QTextDocument;

namespace print {

struct Imagen {
    QString direccion; // as the page's <img src> gives it
    QImage imagen;     // null when the picture could not be read: the page shows its text instead
};

// The address to give the renderer for its style sheet (render::Opciones::hojaDeEstilo): pages on paper are
// black on white, as browsers print them, with the page's structure kept.
inline constexpr const char* kHojaDeImpresionUrl = "impresion.css";

// The document of `xhtml`; with paginas.preparar() applied afterwards it is ready for printing.
std::unique_ptr<QTextDocument> documentoDePagina(const std::string& xhtml, const QList<Imagen>& imagenes);

// Narrows every picture of `documento` that is wider than `ancho` (in the units of the document's paint
// device) to that width, keeping its proportions. Call after the document knows its paint device.
void ajustarImagenes(QTextDocument& documento, double ancho);

} // namespace print

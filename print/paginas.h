#pragma once

// Pages for print and PDF: A4 with margins, every page but a book's title page numbered at its foot.
// The same painting serves the platform's printer and a PDF file, both paged paint devices.

#include <QFont>
#include <QPainter>
#include <QString>

#include <functional>

class QPagedPaintDevice;
class QTextDocument;

namespace print {

// A4 upright with margins of 20 mm at the sides and the top and 15 mm at the foot.
void prepararA4(QPagedPaintDevice& destino);

// Paints onto one device from its first page to its last. Each call that begins something (a document, a
// title page, a table of contents) starts a new page, except on the device's very first page.
class Paginas {
public:
    // `destino` must be prepared (paper, margins) and outlive this object. Painting begins at once; a
    // destination that cannot be painted on (a file that cannot be written) leaves activo() false.
    explicit Paginas(QPagedPaintDevice& destino);
    ~Paginas();
    Paginas(const Paginas&) = delete;
    Paginas& operator=(const Paginas&) = delete;

    bool activo() const;
    // Ends painting; true when everything was handed to the device.
    bool terminar();

    // The size of the text area of one page, in the device's units (the page less its margins and foot).
    QSizeF area() const;
    // Makes `documento` lay itself out for these pages: the device's resolution, the area's width and
    // height. Call before pintar() or paginasDe().
    void preparar(QTextDocument& documento) const;
    // How many pages the prepared `documento` takes.
    static int paginasDe(QTextDocument& documento);

    // Paints every page of the prepared `documento`, each numbered. `seguir` is asked before each page;
    // false stops (the pages painted stay). Returns false when stopped.
    bool pintar(QTextDocument& documento, const std::function<bool()>& seguir = {});

    // A page of its own, unnumbered, with `titulo` large in its upper third and `comentario` below it.
    void portada(const QString& titulo, const QString& comentario);

    // A table of contents headed `encabezado`: one line per title, each with its page number on the
    // right; as many pages as it needs, numbered. `paginas[i]` is the first page of `titulos[i]`.
    void contenido(const QString& encabezado, const QStringList& titulos, const QList<int>& paginas);
    // The number of pages contenido() will take for `cuantos` lines.
    int paginasDeContenido(int cuantos) const;

    // The number the next page painted will carry (the title page counts, though it shows none).
    int siguientePagina() const { return numero_ + 1; }

private:
    void nuevaPagina();
    void pie();
    QFont fuente(double puntos, bool negrita = false) const;

    QPagedPaintDevice& destino_;
    QPainter pintor_;
    bool empezado_ = false; // something is painted on the present page
    int numero_ = 0;        // the number of the page being painted
    double ancho_ = 0;
    double alto_ = 0; // of the text area, without the foot
    double pie_ = 0;  // height of the foot
};

} // namespace print

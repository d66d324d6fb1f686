#pragma once

// One article of the viewer on paper or in a PDF file: its page as the renderer writes it, on A4 pages with
// margins and numbers, the article's title as the document's title.

#include "store/resultado.h"

#include <QString>

#include <atomic>
#include <functional>
#include <optional>
#include <string>

class QPagedPaintDevice;

namespace print {

struct ArticuloImpreso {
    bool hecho = false;                  // every page was painted
    bool cancelado = false;              // stopped on request
    std::optional<store::Error> lectura; // the article could not be read
    QString error;                       // the pages could not be painted, in Spanish
    int paginas = 0;
};

// Prints the article at the stored path `ruta` of the encyclopaedia `directorio` (whose name `enciclopedia`
// stands above the title) on `destino`, prepared with its paper. `titular` is given the article's title before
// anything is painted, for the document's metadata. `avanzar(pagina, total)` is told before each page;
// `cancelar` stops between pages.
ArticuloImpreso imprimirArticulo(QPagedPaintDevice& destino, const std::string& directorio, const std::string& ruta,
                                 const QString& enciclopedia, const std::function<void(const QString&)>& titular,
                                 const std::function<void(int, int)>& avanzar = {},
                                 const std::atomic_bool* cancelar = nullptr);

} // namespace print

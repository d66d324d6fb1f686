#pragma once

// Builds a Documento while a reader walks its text: words are gathered into the paragraph under way, which is
// closed at the end of each block; pictures met inside a paragraph follow it.

#include "documento.h"

#include <string>
#include <string_view>
#include <vector>

namespace importar {

class Armador {
public:
    explicit Armador(Documento& documento) : documento_(documento) {}

    // Text of the paragraph under way; runs of white space become one space.
    void texto(std::string_view s);
    // The paragraph under way ends: it becomes a block when it holds anything but spaces, then the pictures met
    // since the last one follow.
    void cortar();
    // Text kept as it is, spaces and all (preformatted lines).
    void literal(std::string_view s);
    void imagen(Imagen imagen);
    // What the next paragraph starts with (a list's bullet or number).
    void prefijo(std::string prefijo) { prefijo_ = std::move(prefijo); }
    // The paragraph under way, taken out of the document (a heading's text).
    std::string tomar();
    // A heading: the first one is the title, the others paragraphs of their own.
    void encabezado(std::string texto);
    void perdida(const std::string& tipo) { ++documento_.perdidas[tipo]; }

private:
    Documento& documento_;
    std::string actual_;
    std::string prefijo_;
    std::vector<Imagen> imagenes_;
};

// Without white space at either end.
std::string recortado(std::string_view s);

} // namespace importar

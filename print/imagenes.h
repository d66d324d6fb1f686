#pragma once

// The pictures of a page on paper: the renderer asks for each picture's address; this reads the picture through
// the store (no symbolic link below the encyclopaedia followed), keeps the decoded image under an address of
// its own, and says "not available" for one that cannot be read or decoded.

#include "print/documento.h"
#include "render/render.h"

#include <string>

namespace print {

class ImagenesImpresas {
public:
    explicit ImagenesImpresas(std::string directorio) : directorio_(std::move(directorio)) {}

    // For render::Opciones::imagen; valid while this object lives.
    render::UrlDeImagen direcciones();
    const QList<Imagen>& imagenes() const { return imagenes_; }
    void vaciar() { imagenes_.clear(); }

private:
    std::string directorio_;
    QList<Imagen> imagenes_;
};

} // namespace print

#pragma once

// Pictures for an import, through Qt's image readers: what the viewer shows (PNG, JPEG, GIF, BMP) is kept byte
// for byte once it decodes; anything else Qt reads (WebP, SVG, TIFF...) is stored as PNG, or as JPEG when it is
// an opaque WebP or TIFF photograph. Bytes that do not decode are no picture. Safe to call from any thread once a
// QCoreApplication exists (its plug-ins are found through it).

#include "importar/importacion.h"

#include <optional>
#include <string_view>

namespace importar {

std::optional<ImagenLista> convertirConQt(std::string_view bytes, std::string_view extension);

} // namespace importar

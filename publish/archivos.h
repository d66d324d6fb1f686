#pragma once

// What every format needs to place files: names that any container and any disk accept, and the pictures of
// the articles in a form every reader shows.

#include "render/render.h"
#include "render/sitio.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace publish {

// The names in an encyclopaedia's picture directory, listed once, to tell at once that a picture or caption
// named by an article is missing (see render::Opciones::puedeExistir). Names are compared without regard to
// letter case, as the store resolves them.
class ContenidoDeImg {
public:
    explicit ContenidoDeImg(const std::string& enciclopedia);
    // False only when `ruta` (enciclopedia + "\Img\" + a name, in any letter case) names no file of the
    // directory; a name with a directory of its own, or a directory that could not be listed, says true.
    bool puedeExistir(const std::string& ruta) const;

private:
    std::string enciclopedia_;
    bool listado_ = false;
    std::unordered_set<std::string> nombres_; // upper-cased Windows-1252
};

// A picture ready for a reader: its bytes, the name it gets and its media type.
struct ImagenExportada {
    QString nombre;   // the output name, with the extension of what it holds (".png", ".jpg", ".gif", ".webp")
    QString tipo;     // "image/png", ...
    QByteArray bytes; // empty once handed over to `escribir`
};

// The pictures of one export. Each picture is read once through the store (no link followed), however many
// articles show it; those the site's picture rule lets pass (render::formatoDeImagen) are kept as they are,
// every other picture the toolkit can read (BMP, ICO, TIFF...) becomes PNG. A picture that is missing, refused
// or unreadable gives nothing, every time.
class Imagenes {
public:
    // `escribir` receives each new picture once, with the name the site's `enlaces` give it ("img/SOL.png"); it
    // returns false when it could not keep it (then the picture counts as missing).
    using Escribir = std::function<bool(const ImagenExportada& imagen)>;
    Imagenes(std::string enciclopedia, render::Enlaces& enlaces, Escribir escribir);

    // The name within the site a page refers to, or nothing.
    std::optional<QString> salida(const render::Imagen& imagen);

private:
    std::string enciclopedia_;
    render::Enlaces& enlaces_;
    Escribir escribir_;
    std::unordered_map<std::string, std::optional<QString>> hechas_; // upper-cased store path -> result
};

// A picture's bytes as one readers show: the same bytes when the picture rule lets its format pass, else PNG.
// Sets the extension (".png") and media type. Nothing when the bytes are not a picture the toolkit reads.
std::optional<ImagenExportada> convertirImagen(const QByteArray& bytes);

// The encyclopaedia's icon (ICONO.ICO) as a PNG of lado x lado pixels, or nothing.
std::optional<QByteArray> iconoPng(const std::string& enciclopedia, int lado);

} // namespace publish

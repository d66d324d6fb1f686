#pragma once

// What every format needs to place files: names that any container and any disk accept, and the pictures of
// the articles in a form every reader shows.

#include "render/render.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace publish {

// Output names from store names (Windows-1252): ASCII letters, digits, "-", "_" and "." only (accented letters
// lose their accent, anything else becomes "_"), unique without regard to letter case ("-2", "-3" before the
// extension when two names meet), so that they are valid in a URL, a zip, a ZIM and on a FAT stick alike. The
// same store name, in any letter case, always gets the same output name.
class NombresDeSalida {
public:
    // `extension` replaces nothing: it is added ("SOL.TXT" + ".html" gives "SOL.TXT.html").
    QString nombre(std::string_view nombreStore, const QString& extension);
    // The name already given to a store name, or nothing.
    std::optional<QString> dado(std::string_view nombreStore, const QString& extension) const;

private:
    std::unordered_map<std::string, QString> dados_; // upper-cased store name + extension -> output name
    std::unordered_set<std::string> usados_;         // upper-cased output names
};

// The ASCII form of a store name, as NombresDeSalida makes it before making it unique.
QString nombreAscii(std::string_view cp1252);

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
// articles show it; PNG, JPEG, GIF and WebP are kept as they are, every other picture the toolkit can read
// (BMP, ICO...) becomes PNG. A picture that is missing, refused or unreadable gives nothing, every time.
class Imagenes {
public:
    // `escribir` receives each new picture once, with its name prefixed by `prefijo` ("img/"); it returns false
    // when it could not keep it (then the picture counts as missing).
    using Escribir = std::function<bool(const ImagenExportada& imagen)>;
    Imagenes(std::string enciclopedia, QString prefijo, Escribir escribir);

    // The name (with prefix) a page refers to, or nothing.
    std::optional<QString> salida(const render::Imagen& imagen);

    // The encyclopaedia's icon (ICONO.ICO) as a PNG of lado x lado pixels, or nothing.
    std::optional<QByteArray> icono(int lado) const;

private:
    std::string enciclopedia_;
    QString prefijo_;
    Escribir escribir_;
    NombresDeSalida nombres_;
    std::unordered_map<std::string, std::optional<QString>> hechas_; // upper-cased store path -> result
};

// A picture's bytes as one readers show: the same bytes when PNG, JPEG, GIF or WebP, else PNG. Sets the
// extension (".png") and media type. Nothing when the bytes are not a picture the toolkit reads.
std::optional<ImagenExportada> convertirImagen(const QByteArray& bytes);

} // namespace publish

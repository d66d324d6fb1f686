#pragma once

// The articles: adding one to the encyclopaedia being edited, reading one into the article editor, and the
// article editor's own work on illustrations, captions and the article file.

#include <QString>
#include <QStringList>

#include <optional>
#include <string>

class ArticuloEditado;
class SesionForja;
class TomoEditado;

namespace forja {

class Autor;
class Resultado;

// An article as "Cargar Artículo" reads it for the article editor.
struct ContenidoLeido {
    QString titulo;
    QStringList ilustraciones;
    QString cuerpo; // each body line followed by a line break
};

class AccionesArticulos {
public:
    AccionesArticulos(SesionForja& sesion, Autor& autor);

    // Creates the article `texto` (or lists an existing file again, when the author agrees), appends it to
    // the complete list and names it in ULTIMO.DAT. Done once it stands in the complete list.
    Resultado agregarArticulo(const QString& texto);
    // Reads the article `texto` and makes it the current article; nothing, with `porque` saying why, when it
    // cannot be read.
    std::optional<ContenidoLeido> leerArticulo(const QString& texto, Resultado& porque);

    // The article editor's actions on `articulo`; the caption they read and write is that of the
    // illustration selected in it.
    // Adds an illustration name; not done when the name cannot stand in the article.
    Resultado agregarImagen(ArticuloEditado& articulo, const QString& texto);
    // Shows the caption of the selected illustration in the caption box (making its file, empty, if missing).
    Resultado leerEpigrafe(ArticuloEditado& articulo);
    // Writes the caption box as the selected illustration's caption file and clears the box.
    Resultado guardarEpigrafe(ArticuloEditado& articulo);
    // Writes the article file (and, when the author wants it, a pending caption). Not done when the article
    // file was not written; a caption that could not be written is told, and the article saved all the same.
    Resultado guardarArticulo(ArticuloEditado& articulo);

private:
    std::optional<std::string> rutaEpigrafe(const QString& ilustracion, Resultado& porque);
    // Writes the caption box as the selected illustration's caption; its name inside the encyclopaedia.
    std::optional<std::string> escribirEpigrafe(ArticuloEditado& articulo, const std::optional<QString>& seleccionada,
                                                Resultado& porque);
    // A path of the encyclopaedia being edited as a name inside it ("IMG\\sol.txt").
    std::string dentroDelTomo(const std::string& ruta) const;

    SesionForja& sesion_;
    TomoEditado& tomo_;
    Autor& autor_;
};

} // namespace forja

#pragma once

// The encyclopaedias: adding one to the data root with its default files, loading one for editing, and
// saving its description.

#include <optional>
#include <string>

class QString;
class QWidget;
class RaizEditada;
class SesionForja;
class TomoEditado;

namespace forja {

class Autor;
class Resultado;

// The directory of the encyclopaedia being edited when it is filled in and exists; otherwise nothing, with
// `porque` saying why.
std::optional<std::string> directorioDelTomo(const TomoEditado& tomo, Resultado& porque);
// The same for a window, which tells the author why in a message box.
std::optional<std::string> directorioDelTomo(QWidget* ventana, const TomoEditado& tomo);

class AccionesTomos {
public:
    AccionesTomos(SesionForja& sesion, Autor& autor);

    // Makes the encyclopaedia `nuevo` with its default files and the icon the author picks, lists it in the
    // data root and makes it the viewer's current one. Done once its directory stands.
    Resultado agregarTomo(const QString& nuevo);
    // Loads the encyclopaedia `directorio`: its description, complete list and list index.
    Resultado cargarTomo(const QString& directorio);
    // Writes the description.
    Resultado guardarDescripcion();

private:
    SesionForja& sesion_;
    RaizEditada& raiz_;
    TomoEditado& tomo_;
    Autor& autor_;
};

} // namespace forja

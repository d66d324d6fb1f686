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

// The directory of the encyclopaedia being edited when it is filled in and exists; otherwise tells the
// author why and gives nothing.
std::optional<std::string> directorioDelTomo(QWidget* ventana, const TomoEditado& tomo);

class AccionesTomos {
public:
    AccionesTomos(SesionForja& sesion, QWidget* ventana);

    // Makes the encyclopaedia `nuevo` with its default files and the icon the author picks, lists it in the
    // data root and makes it the viewer's current one. True once its directory stands.
    bool agregarTomo(const QString& nuevo);
    // Loads the encyclopaedia `directorio`: its description, complete list and list index.
    void cargarTomo(const QString& directorio);
    // Writes the description.
    void guardarDescripcion();

private:
    SesionForja& sesion_;
    RaizEditada& raiz_;
    TomoEditado& tomo_;
    QWidget* ventana_;
};

} // namespace forja

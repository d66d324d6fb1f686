#pragma once

// The data root and the registry: creating the registry with a new root, loading the root and its list of
// encyclopaedias, and the checks of a root path typed by the author.

#include <optional>
#include <string>

class QString;
class QWidget;
class RaizEditada;

namespace forja {

// True for a full path that Windows accepts; otherwise tells the author why not.
bool rutaCompleta(QWidget* ventana, const std::string& ruta, const QString& texto);

class AccionesRaiz {
public:
    // Messages and questions go to `ventana`.
    AccionesRaiz(RaizEditada& raiz, QWidget* ventana) : raiz_(raiz), ventana_(ventana) {}

    // Writes the registry naming the root, after asking before it replaces one, and makes the root.
    void crearRaiz();
    // Takes the root from the registry and its encyclopaedias from the root's list.
    void cargarRaiz();
    // The root when it is filled in and its directory exists; otherwise says why and gives nothing.
    std::optional<std::string> raizActual();

private:
    RaizEditada& raiz_;
    QWidget* ventana_;
};

} // namespace forja

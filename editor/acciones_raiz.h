#pragma once

// The data root and the registry: creating the registry with a new root, loading the root and its list of
// encyclopaedias, and the checks of a root path typed by the author.

#include <optional>
#include <string>

class QString;
class RaizEditada;

namespace forja {

class Autor;
class Resultado;

// True for a full path that Windows accepts; otherwise `porque` is refused, saying why not.
bool rutaCompleta(const std::string& ruta, const QString& texto, Resultado& porque);

class AccionesRaiz {
public:
    // Questions go to `autor`.
    AccionesRaiz(RaizEditada& raiz, Autor& autor) : raiz_(raiz), autor_(autor) {}

    // Writes the registry naming the root, after asking before it replaces one, and makes the root.
    Resultado crearRaiz();
    // Takes the root from the registry and its encyclopaedias from the root's list.
    Resultado cargarRaiz();
    // The root when it is filled in and its directory exists; otherwise nothing, with `porque` saying why.
    std::optional<std::string> raizActual(Resultado& porque) const;

private:
    RaizEditada& raiz_;
    Autor& autor_;
};

} // namespace forja

#include "importar/diccionario.h"

#include "store/codificacion.h"

#include <algorithm>
#include <unordered_set>

namespace importar {

namespace {

// The index of the first line that begins with `palabra` (upper-cased lines), or the count of lines.
std::size_t primera(const std::vector<std::string>& mayus, std::string_view palabra) {
    for (std::size_t i = 0; i < mayus.size(); ++i) {
        if (std::string_view(mayus[i]).substr(0, palabra.size()) == palabra) {
            return i;
        }
    }
    return mayus.size();
}

std::string cabeza(std::string_view lineaMayus) {
    return std::string(lineaMayus.substr(0, lineaMayus.find(' ')));
}

} // namespace

Colocacion colocarReferencias(const store::Lineas& diccionario, const std::vector<Referencia>& referencias) {
    std::vector<std::string> lineas;
    std::vector<std::string> mayus;
    std::unordered_set<std::string> cabezas;
    for (const std::string_view l : diccionario) {
        lineas.emplace_back(l);
        mayus.push_back(store::aMayusculas(l));
        if (!cabeza(mayus.back()).empty()) {
            cabezas.insert(cabeza(mayus.back()));
        }
    }
    Colocacion c;
    for (const Referencia& r : referencias) {
        const std::string palabra = store::aMayusculas(r.palabra);
        const std::string linea = palabra + "  /" + r.articulo;
        const std::string lineaMayus = store::aMayusculas(linea);
        if (palabra.empty() || palabra.find(' ') != std::string::npos) {
            c.omitidas.push_back(r);
            continue;
        }
        // Headwords that the new line begins with keep their first match before it.
        std::size_t desde = 0;
        for (std::size_t k = 1; k <= palabra.size(); ++k) {
            const std::string prefijo = palabra.substr(0, k);
            if (cabezas.count(prefijo)) {
                desde = std::max(desde, primera(mayus, prefijo) + 1);
            }
        }
        desde = std::min(desde, lineas.size());
        std::size_t donde = desde;
        while (donde < mayus.size() && mayus[donde] <= lineaMayus) {
            ++donde;
        }
        // The word itself must find the new line, not an older one.
        if (primera(mayus, palabra) < donde) {
            c.omitidas.push_back(r);
            continue;
        }
        lineas.insert(lineas.begin() + static_cast<std::ptrdiff_t>(donde), linea);
        mayus.insert(mayus.begin() + static_cast<std::ptrdiff_t>(donde), lineaMayus);
        cabezas.insert(palabra);
        c.puestas.push_back(r);
    }
    for (const std::string& l : lineas) {
        c.lineas.push_back(l);
    }
    return c;
}

} // namespace importar

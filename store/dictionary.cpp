#include "dictionary.h"

#include "encoding.h"
#include "encyclopaedia.h"
#include "paths.h"

namespace store {

std::optional<std::string> buscarEnLineas(const Lineas& lineas, std::string_view palabra) {
    const std::string w = aMayusculas(palabra);
    for (const std::string& linea : lineas) {
        const std::string l = aMayusculas(linea);
        if (l.size() >= w.size() && std::string_view(l).substr(0, w.size()) == w)
            return std::string(sinEspaciosIzquierda(std::string_view(l).substr(w.size())));
    }
    return std::nullopt;
}

Resultado<std::optional<std::string>> buscarDefinicion(std::string_view directorio, std::string_view palabra) {
    auto lineas = leerLineas(unir(directorio, kDict), kLimiteDiccionario);
    if (!lineas)
        return lineas.error();
    return buscarEnLineas(*lineas, palabra);
}

std::optional<std::string> referenciaDe(std::string_view definicion) {
    if (definicion.size() < 2 || definicion[0] != '/')
        return std::nullopt;
    return std::string(definicion.substr(1));
}

std::string limpiarPalabra(std::string_view seleccion) {
    std::string w(sinEspacios(aMayusculas(seleccion)));
    for (bool quitado = true; quitado;) {
        quitado = false;
        if (!w.empty() && std::string_view(",;:.)!").find(w.back()) != std::string_view::npos) {
            w.pop_back();
            quitado = true;
        }
        if (!w.empty() && (w.front() == '(' || w.front() == '\xA1')) {
            w.erase(0, 1);
            quitado = true;
        }
    }
    return w;
}

} // namespace store

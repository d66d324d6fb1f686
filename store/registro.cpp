#include "registro.h"

#include "detalle.h"
#include "rutas.h"

namespace store {

namespace {

constexpr std::string_view kActual = "ACTUAL.DAT";
constexpr std::string_view kTomos = "TOMOS.DAT";

} // namespace

bool existeRegistro() {
    return existeArchivo(kArchivoRegistro);
}

Resultado<Registro> leerRegistro() {
    auto lineas = leerLineas(kArchivoRegistro, kLimitePequeno, Enlaces::Seguir);
    if (!lineas)
        return lineas.error();
    if (lineas->empty())
        return Error{"leer el archivo", std::string(kArchivoRegistro), Causa::SinLineas, {}};
    Registro r;
    r.actual = (*lineas)[0];
    if (lineas->size() > 1)
        r.tomos = (*lineas)[1];
    return r;
}

std::string raizDesdeLinea1(std::string_view linea1) {
    constexpr std::size_t kSufijo = 11; // "\ACTUAL.DAT"
    return linea1.size() >= kSufijo ? std::string(linea1.substr(0, linea1.size() - kSufijo)) : std::string();
}

Estado crearRegistro(std::string_view raiz, bool reemplazar) {
    if (raiz.empty())
        return Error{"crear el directorio de ra\xEDz", std::string(raiz), Causa::NombreNoValido, {}};
    if (!reemplazar && existeArchivo(kArchivoRegistro))
        return Error{"crear el archivo", std::string(kArchivoRegistro), Causa::YaExiste, {}};
    // The root's parent must be there before the registry points at the root.
    const bool raizExiste = existeDirectorio(raiz);
    if (!raizExiste) {
        detail::asegurarUnidad(raiz);
        const std::string padre = detail::padre(raiz);
        if (!padre.empty() && !existeDirectorio(padre))
            return Error{"crear el directorio", std::string(raiz), Causa::RutaNoEncontrada, {}};
    }
    if (!existeDirectorio(kDirectorioRegistro)) {
        if (auto e = crearDirectorio(kDirectorioRegistro); !e)
            return e;
    }
    if (auto e = escribirLineas(kArchivoRegistro, {unir(raiz, kActual), unir(raiz, kTomos)}); !e)
        return e;
    if (!raizExiste)
        return crearDirectorio(raiz);
    return {};
}

Resultado<Lineas> leerEnciclopedias(std::string_view raiz) {
    return leerLineas(unir(raiz, kTomos), kLimitePequeno, Enlaces::Seguir);
}

Estado anexarEnciclopedia(std::string_view raiz, std::string_view directorio) {
    return anexarLinea(unir(raiz, kTomos), directorio);
}

Estado escribirActualEnRaiz(std::string_view raiz, std::string_view directorio) {
    return escribirLineas(unir(raiz, kActual), {std::string(directorio)});
}

Resultado<std::string> directorioActual() {
    auto registro = leerRegistro();
    if (!registro)
        return registro.error();
    return leerPrimeraLinea(registro->actual, kLimitePequeno, Enlaces::Seguir);
}

Resultado<Lineas> enciclopediasRegistradas() {
    auto registro = leerRegistro();
    if (!registro)
        return registro.error();
    if (registro->tomos.empty())
        return Error{"leer el archivo", std::string(kArchivoRegistro), Causa::SinLineas, {}};
    return leerLineas(registro->tomos, kLimitePequeno, Enlaces::Seguir);
}

Estado elegirEnciclopedia(std::string_view directorio) {
    auto registro = leerRegistro();
    if (!registro)
        return registro.error();
    return escribirLineas(registro->actual, {std::string(directorio)});
}

} // namespace store

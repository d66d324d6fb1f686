#include "archivos_de_lista.h"

#include "codificacion.h"
#include "enciclopedia.h"
#include "rutas.h"

namespace store {

std::string rutaLista(std::string_view directorio, std::string_view nombre) {
    return unir(directorio, std::string(nombre) + ".dat");
}

Resultado<Lineas> leerLista(std::string_view directorio, std::string_view nombre) {
    return leerLineasDentro(directorio, rutaLista(directorio, nombre), kLimiteLista);
}

Resultado<std::string> leerBytesDeLista(std::string_view directorio, std::string_view nombre) {
    return leerBytesDentro(directorio, rutaLista(directorio, nombre), kLimiteLista);
}

Resultado<Lineas> leerIndiceListas(std::string_view directorio) {
    return leerLineasDentro(directorio, unir(directorio, kListas), kLimiteIndiceListas);
}

Resultado<Lineas> leerCompleta(std::string_view directorio) {
    return leerLineasDentro(directorio, unir(directorio, kCompleta), kLimiteLista);
}

Estado anexarACompleta(std::string_view directorio, std::string_view articulo) {
    return anexarLinea(unir(directorio, kCompleta), articulo, Enlaces::Rechazar);
}

std::optional<Error> verificarNuevaLista(std::string_view directorio, std::string_view nombre) {
    const std::string ruta = rutaLista(directorio, nombre);
    const char* const operacion = "crear la lista";
    if (nombre.empty() || !nombreArchivoValido(std::string(nombre) + ".dat"))
        return Error{operacion, ruta, Causa::NombreNoValido, {}};
    // The look-up ignores letter case, so "Completa" finds COMPLETA.DAT and "color" finds COLOR.DAT.
    if (existeArchivo(ruta) || existeDirectorio(ruta))
        return Error{operacion, ruta, Causa::YaExiste, {}};
    return std::nullopt;
}

Resultado<std::optional<ObjecionANombre>> verificarNuevoArticulo(std::string_view directorio, std::string_view nombre) {
    using Tipo = ObjecionANombre::Tipo;
    if (!nombreArchivoValido(nombre))
        return std::optional<ObjecionANombre>(ObjecionANombre{Tipo::NoValido, std::string(nombre)});
    if (esNombrePropio(nombre))
        return std::optional<ObjecionANombre>(ObjecionANombre{Tipo::Propio, std::string(nombre)});
    const auto completa = leerCompleta(directorio);
    if (!completa)
        return completa.error();
    for (const std::string_view articulo : *completa) {
        if (igualesSinCaso(articulo, nombre))
            return std::optional<ObjecionANombre>(ObjecionANombre{Tipo::EnLaCompleta, std::string(articulo)});
    }
    if (existeDirectorio(unir(directorio, nombre)))
        return std::optional<ObjecionANombre>(ObjecionANombre{Tipo::Directorio, std::string(nombre)});
    if (const auto listas = leerIndiceListas(directorio)) {
        for (const std::string_view lista : *listas) {
            if (igualesSinCaso(std::string(lista) + ".dat", nombre))
                return std::optional<ObjecionANombre>(ObjecionANombre{Tipo::ArchivoDeLista, std::string(lista)});
        }
    }
    return std::optional<ObjecionANombre>();
}

Estado agregarLista(std::string_view directorio, std::string_view nombre) {
    if (auto error = verificarNuevaLista(directorio, nombre))
        return *error;
    if (auto e = anexarLinea(unir(directorio, kListas), nombre, Enlaces::Rechazar); !e)
        return e;
    return escribirLineas(rutaLista(directorio, nombre), {std::string()});
}

Estado guardarLista(std::string_view ruta, const Lineas& articulos) {
    return escribirLineas(ruta, articulos);
}

} // namespace store

#include "enciclopedia.h"

#include "archivo_de_color.h"
#include "codificacion.h"
#include "detalle.h"
#include "rutas.h"

#include <algorithm>
#include <array>

namespace store {

bool esNombrePropio(std::string_view nombre) {
    static constexpr std::array kPropios = {kImg,      kColor,  kDict,   kIcono,      kDescrip,
                                            kCompleta, kListas, kUltimo, kImportados, kHistorial};
    return std::any_of(kPropios.begin(), kPropios.end(),
                       [&](std::string_view propio) { return igualesSinCaso(propio, nombre); });
}

Estado verificarNuevaEnciclopedia(std::string_view directorio) {
    const char* const operacion = "crear el directorio";
    if (directorio.empty())
        return Error{operacion, {}, Causa::NombreNoValido, {}};
    if (existeDirectorio(directorio) || existeArchivo(directorio))
        return Error{operacion, std::string(directorio), Causa::YaExiste, {}};
    detail::asegurarUnidad(directorio);
    const std::string padre = detail::padre(directorio);
    if (!padre.empty() && !existeDirectorio(padre))
        return Error{operacion, std::string(directorio), Causa::RutaNoEncontrada, {}};
    return {};
}

Estado crearEnciclopedia(std::string_view directorio, const std::optional<std::string>& icono,
                         std::string_view iconoDeReserva) {
    if (auto e = crearDirectorio(directorio); !e)
        return e;
    if (auto e = crearDirectorio(unir(directorio, kImg)); !e)
        return e;
    if (auto e = crearColoresPredeterminados(directorio); !e)
        return e;
    if (auto e = escribirLineas(unir(directorio, kDict), {std::string()}); !e)
        return e;
    const std::string rutaIcono = unir(directorio, kIcono);
    bool iconoCopiado = false;
    if (icono && !icono->empty())
        iconoCopiado = copiarArchivo(*icono, rutaIcono, kLimiteImagen).ok();
    if (!iconoCopiado) {
        if (auto e = escribirBytes(rutaIcono, iconoDeReserva); !e)
            return e;
    }
    for (std::string_view nombre : {kDescrip, kCompleta, kListas}) {
        if (auto e = crearVacio(unir(directorio, nombre)); !e)
            return e;
    }
    return {};
}

Resultado<Lineas> leerDescripcion(std::string_view directorio) {
    return leerLineasDentro(directorio, unir(directorio, kDescrip), kLimitePequeno);
}

Estado guardarDescripcion(std::string_view directorio, const Lineas& lineas) {
    return escribirLineas(unir(directorio, kDescrip), lineas);
}

std::optional<std::string> leerUltimo(std::string_view directorio) {
    auto lineas = leerLineasDentro(directorio, unir(directorio, kUltimo), kLimitePequeno);
    if (!lineas || lineas->empty())
        return std::nullopt;
    return std::string(lineas->front());
}

Estado escribirUltimo(std::string_view directorio, std::string_view articulo) {
    return escribirLineas(unir(directorio, kUltimo), {std::string(articulo)});
}

} // namespace store

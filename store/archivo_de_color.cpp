#include "archivo_de_color.h"

#include "archivo_de_texto.h"
#include "codificacion.h"
#include "enciclopedia.h"
#include "rutas.h"

#include <limits>

namespace store {

std::optional<std::int32_t> numeroDeLinea(std::string_view linea) {
    std::string_view s = sinEspacios(linea);
    bool negativo = false;
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        negativo = s[0] == '-';
        s.remove_prefix(1);
    }
    if (s.empty())
        return std::nullopt;
    std::int64_t valor = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return std::nullopt;
        valor = valor * 10 + (c - '0');
        if (valor > static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1)
            return std::nullopt;
    }
    if (negativo)
        valor = -valor;
    if (valor > std::numeric_limits<std::int32_t>::max() || valor < std::numeric_limits<std::int32_t>::min())
        return std::nullopt;
    return static_cast<std::int32_t>(valor);
}

std::string formatoVisor(std::int32_t valor) {
    if (valor < 0)
        return std::to_string(valor) + " ";
    return " " + std::to_string(valor) + " ";
}

std::string formatoEditor(std::int32_t valor) {
    return std::to_string(valor);
}

LecturaColores leerColores(std::string_view directorio) {
    LecturaColores r;
    const std::string ruta = unir(directorio, kColor);
    auto lineas = leerLineasDentro(directorio, ruta, kLimiteColores);
    if (!lineas) {
        r.error = lineas.error();
        return r;
    }
    for (std::size_t i = 0; i < r.valores.size(); ++i) {
        if (i >= lineas->size()) {
            r.error = Error{"leer el archivo", ruta, Causa::SinLineas,
                            (lineas->size() == 1 ? std::string("tiene 1 l\xEDnea")
                                                 : "tiene " + std::to_string(lineas->size()) + " l\xEDneas") +
                                " y hacen falta 10"};
            break;
        }
        const auto valor = numeroDeLinea((*lineas)[i]);
        if (!valor) {
            // The line is quoted in the message; a long one (a picture saved under the name) only in part.
            constexpr std::size_t kMostrar = 40;
            const std::string_view linea = (*lineas)[i];
            const std::string cita =
                linea.size() > kMostrar ? std::string(linea.substr(0, kMostrar)) + "\x85" : std::string(linea);
            r.error = Error{"leer el archivo", ruta, Causa::NoEsNumero,
                            "l\xEDnea " + std::to_string(i + 1) + ": \xAB" + cita + "\xBB"};
            break;
        }
        r.valores[i] = *valor;
        ++r.leidos;
    }
    return r;
}

Estado escribirColores(std::string_view directorio, const Esquema& esquema) {
    Lineas lineas;
    for (std::int32_t v : esquema)
        lineas.push_back(formatoVisor(v));
    return escribirLineas(unir(directorio, kColor), lineas);
}

Estado crearColoresPredeterminados(std::string_view directorio) {
    Lineas lineas;
    for (std::int32_t v : kEsquemaPredeterminado)
        lineas.push_back(formatoEditor(v));
    return escribirLineas(unir(directorio, kColor), lineas);
}

} // namespace store

#include "importar/registro.h"

#include "render/texto_web.h"

#include "store/archivo_de_texto.h"
#include "store/enciclopedia.h"
#include "store/limites.h"
#include "store/rutas.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace importar {

namespace {

std::vector<std::string_view> campos(std::string_view linea) {
    std::vector<std::string_view> r;
    std::size_t i = 0;
    while (true) {
        const std::size_t t = linea.find('\t', i);
        r.push_back(linea.substr(i, t == std::string_view::npos ? std::string_view::npos : t - i));
        if (t == std::string_view::npos) {
            return r;
        }
        i = t + 1;
    }
}

} // namespace

store::Resultado<Registro> leerRegistro(std::string_view tomo) {
    Registro r;
    const std::string ruta = store::unir(tomo, store::kImportados);
    if (!store::existeArchivo(ruta)) {
        return r;
    }
    const auto lineas = store::leerLineas(ruta, store::kLimiteLista);
    if (!lineas) {
        return lineas.error();
    }
    for (const std::string_view l : *lineas) {
        const auto c = campos(l);
        if (c.size() == 5 && c[0] == "A") {
            r.articulos[{render::decodificarUrl(c[2]), render::decodificarUrl(c[3])}] = {std::string(c[1]),
                                                                                         std::string(c[4])};
        } else if (c.size() == 4 && c[0] == "I") {
            r.imagenes[{render::decodificarUrl(c[2]), render::decodificarUrl(c[3])}] = std::string(c[1]);
        }
    }
    return r;
}

std::string suma(std::string_view bytes) {
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : bytes) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
    return hex;
}

std::string lineaDeArticulo(std::string_view nombre, const std::string& archivo, const std::string& entrada,
                            const std::string& suma) {
    return "A\t" + std::string(nombre) + "\t" + render::codificarUrl(archivo, "/") + "\t" +
           render::codificarUrl(entrada, "/") + "\t" + suma;
}

std::string lineaDeImagen(std::string_view nombre, const std::string& archivo, const std::string& entrada) {
    return "I\t" + std::string(nombre) + "\t" + render::codificarUrl(archivo, "/") + "\t" +
           render::codificarUrl(entrada, "/");
}

} // namespace importar

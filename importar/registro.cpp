#include "importar/registro.h"

#include "store/encyclopaedia.h"
#include "store/limits.h"
#include "store/paths.h"
#include "store/text_file.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace importar {

namespace {

std::string codificar(const std::string& s) {
    static const char* const kCifras = "0123456789ABCDEF";
    std::string r;
    for (const char c : s) {
        const auto b = static_cast<unsigned char>(c);
        if (std::isalnum(b) || b == '/' || b == '.' || b == '_' || b == '-') {
            r += c;
        } else {
            r += '%';
            r += kCifras[b >> 4];
            r += kCifras[b & 15];
        }
    }
    return r;
}

std::string decodificar(std::string_view s) {
    std::string r;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
            r += static_cast<char>(std::stoi(std::string(s.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            r += s[i];
        }
    }
    return r;
}

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
            r.articulos[{decodificar(c[2]), decodificar(c[3])}] = {std::string(c[1]), std::string(c[4])};
        } else if (c.size() == 4 && c[0] == "I") {
            r.imagenes[{decodificar(c[2]), decodificar(c[3])}] = std::string(c[1]);
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
    return "A\t" + std::string(nombre) + "\t" + codificar(archivo) + "\t" + codificar(entrada) + "\t" + suma;
}

std::string lineaDeImagen(std::string_view nombre, const std::string& archivo, const std::string& entrada) {
    return "I\t" + std::string(nombre) + "\t" + codificar(archivo) + "\t" + codificar(entrada);
}

} // namespace importar

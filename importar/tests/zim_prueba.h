#pragma once

// ZIM files that tests and measures write themselves with libzim's writer.

#include <map>
#include <string>
#include <vector>

namespace prueba {

struct EntradaZim {
    std::string ruta;
    std::string titulo; // empty for a picture
    std::string tipo;   // "text/html", "image/png"...
    std::string bytes;
};

struct RedireccionZim {
    std::string ruta;
    std::string titulo;
    std::string destino;
};

struct ArchivoZim {
    std::vector<EntradaZim> entradas;
    std::vector<RedireccionZim> redirecciones;
    std::map<std::string, std::string> metadatos; // Name, Title, Language, License...
    bool indice = true;                           // whether it has a full-text index
};

// Writes the file; throws what libzim throws.
void escribirZim(const std::string& archivo, const ArchivoZim& zim);

} // namespace prueba

#include "resultado.h"

namespace store {

namespace {

// Windows-1252 bytes: « = \xAB, » = \xBB, á = \xE1, é = \xE9, í = \xED, ó = \xF3, ú = \xFA.
const char* textoCausa(Causa causa) {
    switch (causa) {
    case Causa::NoEncontrado:
        return "el archivo no existe";
    case Causa::RutaNoEncontrada:
        return "no se encuentra la ruta";
    case Causa::YaExiste:
        return "ya existe";
    case Causa::AccesoDenegado:
        return "acceso denegado";
    case Causa::DiscoLleno:
        return "el disco est\xE1 lleno";
    case Causa::NoEsNumero:
        return "una l\xEDnea no es un n\xFAmero";
    case Causa::SinLineas:
        return "el archivo no tiene las l\xEDneas necesarias";
    case Causa::NombreNoValido:
        return "el nombre no es v\xE1lido";
    case Causa::DemasiadoGrande:
        return "el archivo es demasiado grande";
    case Causa::NoRepresentable:
        return "el texto contiene caracteres que no se pueden guardar";
    case Causa::Otro:
        break;
    }
    return "error inesperado";
}

} // namespace

std::string Error::mensaje() const {
    std::string m = "No se pudo ";
    m += operacion.empty() ? std::string("usar el archivo") : operacion;
    if (!ruta.empty()) {
        m += " \xAB";
        m += ruta;
        m += "\xBB";
    }
    m += ": ";
    m += textoCausa(causa);
    if (!detalle.empty()) {
        m += " (";
        m += detalle;
        m += ")";
    }
    m += ".";
    return m;
}

} // namespace store

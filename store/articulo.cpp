#include "articulo.h"

#include "codificacion.h"
#include "rutas.h"

#include <cstring>

namespace store {

namespace {

enum class Clase { Titulo, Ilustracion, Costado, OtraEtiqueta, Salto, Texto };

// The viewer's line key is the line upper-cased with spaces removed at both ends; it is never built. A tag
// ends in ">", which trimming cannot remove, so the four bytes after "<" decide, each upper-cased alone, and
// "/" is a break only when nothing but spaces follows it. Nothing is allocated, whatever the line's length.
Clase clasificar(std::string_view linea) {
    const std::string_view s = sinEspaciosIzquierda(linea);
    if (s.empty())
        return Clase::Texto;
    if (s[0] == '<') {
        if (s.size() < 5)
            return Clase::OtraEtiqueta;
        char etiqueta[4];
        for (std::size_t i = 0; i < 4; ++i)
            etiqueta[i] = static_cast<char>(mayuscula(static_cast<unsigned char>(s[i + 1])));
        const std::string_view e(etiqueta, 4);
        if (e == "TIT>")
            return Clase::Titulo;
        if (e == "IMG>")
            return Clase::Ilustracion;
        if (e == "CST>")
            return Clase::Costado;
        return Clase::OtraEtiqueta;
    }
    if (s[0] == '/' && sinEspacios(s.substr(1)).empty())
        return Clase::Salto;
    return Clase::Texto;
}

// The value of a tag line: without leading spaces, less the first five characters, not trimmed.
std::string valorDeEtiqueta(std::string_view linea) {
    const std::string_view s = sinEspaciosIzquierda(linea);
    return s.size() > 5 ? std::string(s.substr(5)) : std::string();
}

// Takes one line of an article into `a`; body pieces (the line, or "\r\n" for a break) go to `cuerpo`.
template <typename F> void tomarLinea(Articulo& a, std::string_view linea, F&& cuerpo) {
    switch (clasificar(linea)) {
    case Clase::Titulo:
        a.titulo = valorDeEtiqueta(linea);
        break;
    case Clase::Ilustracion:
        a.ilustraciones.push_back(valorDeEtiqueta(linea));
        break;
    case Clase::Costado:
        a.costados.push_back(valorDeEtiqueta(linea));
        break;
    case Clase::OtraEtiqueta:
        break;
    case Clase::Salto:
        cuerpo(std::string_view("\r\n"));
        break;
    case Clase::Texto:
        cuerpo(linea);
        break;
    }
}

// An article read whole, its body assembled.
Articulo analizarBytes(std::string_view bytes) {
    Articulo a;
    porCadaLinea(bytes, [&a](std::string_view linea) {
        tomarLinea(a, linea, [&a](std::string_view pieza) { a.cuerpo += pieza; });
    });
    return a;
}

} // namespace

void agregarLineaDeCuerpo(std::string& cuerpo, std::string_view linea) {
    if (sinEspacios(linea) == "/")
        cuerpo += "\r\n";
    else
        cuerpo += linea;
}

Articulo analizarArticulo(const Lineas& lineas) {
    Articulo a;
    for (const std::string_view linea : lineas)
        tomarLinea(a, linea, [&a](std::string_view pieza) { a.cuerpo += pieza; });
    return a;
}

Articulo analizarArticulo(std::string_view bytes, const std::function<void(std::string_view pieza)>& cuerpo) {
    Articulo a;
    porCadaLinea(bytes, [&](std::string_view linea) { tomarLinea(a, linea, cuerpo); });
    return a;
}

Resultado<Articulo> leerArticulo(std::string_view ruta) {
    auto bytes = leerBytes(ruta, kLimiteArticulo);
    if (!bytes)
        return bytes.error();
    return analizarBytes(*bytes);
}

Resultado<Articulo> leerArticuloDentro(std::string_view directorio, std::string_view ruta) {
    auto bytes = leerBytesDentro(directorio, ruta, kLimiteArticulo);
    if (!bytes)
        return bytes.error();
    return analizarBytes(*bytes);
}

std::string tituloDeLineas(const Lineas& lineas) {
    std::string titulo;
    for (const std::string_view linea : lineas) {
        if (clasificar(linea) == Clase::Titulo)
            titulo = valorDeEtiqueta(linea);
    }
    return titulo;
}

std::string tituloDeBytes(std::string_view bytes) {
    // The last title line is the last line whose key starts with "<", searched from the end: body text seldom
    // holds "<", so most bytes are passed over by memrchr without being looked at one by one. A line starts
    // at the file's start, after a CR, or after the LF that a CR takes with it.
    auto empiezaLinea = [&](std::size_t p) {
        return p == 0 || bytes[p - 1] == '\r' || (bytes[p - 1] == '\n' && p >= 2 && bytes[p - 2] == '\r');
    };
    std::size_t fin = bytes.size();
    while (fin > 0) {
        const void* hallado = ::memrchr(bytes.data(), '<', fin);
        if (!hallado)
            break;
        const auto menor = static_cast<std::size_t>(static_cast<const char*>(hallado) - bytes.data());
        std::size_t inicio = menor;
        while (inicio > 0 && bytes[inicio - 1] == ' ')
            --inicio;
        if (empiezaLinea(inicio)) {
            const void* cr = std::memchr(bytes.data() + menor, '\r', bytes.size() - menor);
            const std::size_t finLinea =
                cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - bytes.data()) : bytes.size();
            const std::string_view linea = bytes.substr(inicio, finLinea - inicio);
            if (clasificar(linea) == Clase::Titulo)
                return valorDeEtiqueta(linea);
        }
        fin = inicio;
    }
    return std::string();
}

ArticuloEditable analizarArticuloParaEditar(const Lineas& lineas, std::string_view nombreArchivo) {
    ArticuloEditable a;
    a.titulo = std::string(nombreArchivo);
    for (const std::string_view linea : lineas) {
        const std::string_view s = sinEspaciosIzquierda(linea);
        if (s.empty() || s[0] != '<') {
            a.cuerpo.push_back(linea);
            continue;
        }
        const std::string etiqueta = aMayusculas(s.substr(0, 5));
        if (etiqueta == "<TIT>")
            a.titulo = std::string(s.substr(5));
        else if (etiqueta == "<IMG>")
            a.ilustraciones.emplace_back(s.substr(5));
    }
    return a;
}

Resultado<ArticuloEditable> leerArticuloParaEditar(std::string_view ruta, std::string_view nombreArchivo) {
    auto lineas = leerLineas(ruta, kLimiteArticulo);
    if (!lineas)
        return lineas.error();
    return analizarArticuloParaEditar(*lineas, nombreArchivo);
}

Lineas lineasDeArticulo(std::string_view titulo, const std::vector<std::string>& ilustraciones, const Lineas& cuerpo) {
    Lineas lineas;
    lineas.push_back("<TIT>" + std::string(titulo));
    for (const std::string& nombre : ilustraciones)
        lineas.push_back("<IMG>" + nombre);
    lineas.agregar(cuerpo);
    return lineas;
}

Estado escribirArticulo(std::string_view ruta, std::string_view titulo, const std::vector<std::string>& ilustraciones,
                        const Lineas& cuerpo) {
    return escribirLineas(ruta, lineasDeArticulo(titulo, ilustraciones, cuerpo));
}

Estado crearArticuloVacio(std::string_view ruta) {
    return escribirLineas(ruta, {std::string()});
}

std::string rutaIlustracion(std::string_view directorio, std::string_view nombre) {
    return std::string(directorio) + "\\Img\\" + std::string(nombre);
}

std::string rutaCostado(std::string_view directorio, std::string_view nombre) {
    return std::string(directorio) + "\\img\\" + std::string(nombre);
}

Resultado<std::string> leerImagen(std::string_view ruta) {
    return leerBytes(ruta, kLimiteImagen);
}

Resultado<std::string> leerImagenDentro(std::string_view directorio, std::string_view ruta) {
    return leerBytesDentro(directorio, ruta, kLimiteImagen);
}

std::optional<std::string> rutaEpigrafeVisor(std::string_view directorio, std::string_view ilustracion) {
    if (ilustracion.size() < 3)
        return std::nullopt;
    return rutaIlustracion(directorio, std::string(ilustracion.substr(0, ilustracion.size() - 3)) + "TXT");
}

std::optional<std::string> rutaEpigrafeEditor(std::string_view directorio, std::string_view ilustracion) {
    const auto punto = ilustracion.find('.');
    if (punto == std::string_view::npos)
        return std::nullopt;
    return rutaIlustracion(directorio, std::string(ilustracion.substr(0, punto)) + ".txt");
}

Epigrafe analizarEpigrafe(const Lineas& lineas) {
    Epigrafe e;
    if (lineas.empty())
        return e;
    e.titulo = lineas.front();
    for (std::size_t i = 1; i < lineas.size(); ++i)
        agregarLineaDeCuerpo(e.texto, lineas[i]);
    return e;
}

Resultado<Epigrafe> leerEpigrafe(std::string_view ruta) {
    auto lineas = leerLineas(ruta, kLimiteEpigrafe);
    if (!lineas)
        return lineas.error();
    return analizarEpigrafe(*lineas);
}

} // namespace store

#include "render/render.h"

#include "store/archivo_de_texto.h"
#include "store/articulo.h"
#include "store/codificacion.h"
#include "store/limites.h"
#include "store/rutas.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <set>
#include <utility>

namespace render {

namespace {

// A byte no XHTML page may hold: C0 controls other than tab and the line ends, DEL, and the five bytes
// Windows-1252 leaves undefined (which decode to C1 controls).
constexpr bool noValido(unsigned char c) {
    return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F ||
           c == 0x90 || c == 0x9D;
}

// Each Windows-1252 byte as escaped UTF-8.
const std::array<std::string, 256>& tablaEscape() {
    static const std::array<std::string, 256> tabla = [] {
        std::array<std::string, 256> t;
        for (int b = 0; b < 256; ++b) {
            const auto c = static_cast<unsigned char>(b);
            std::string& s = t[static_cast<std::size_t>(b)];
            if (noValido(c)) {
                s = "\xEF\xBF\xBD";
            } else if (c == '&') {
                s = "&amp;";
            } else if (c == '<') {
                s = "&lt;";
            } else if (c == '>') {
                s = "&gt;";
            } else if (c == '"') {
                s = "&quot;";
            } else if (c == '\'') {
                s = "&#39;";
            } else {
                s = store::cp1252AUtf8(std::string_view(reinterpret_cast<const char*>(&c), 1));
            }
        }
        return t;
    }();
    return tabla;
}

void agregarEscapado(std::string& destino, std::string_view cp1252, bool* invalidos) {
    const auto& tabla = tablaEscape();
    for (const char ch : cp1252) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80 && c >= 0x20 && c != '&' && c != '<' && c != '>' && c != '"' && c != '\'' && c != 0x7F) {
            destino.push_back(ch);
            continue;
        }
        if (invalidos && noValido(c)) {
            *invalidos = true;
        }
        destino += tabla[c];
    }
}

// Builds the paragraphs of a text given piece by piece: k line breaks in a row end k / 2 paragraphs and then
// give k % 2 <br/>.
class Parrafos {
public:
    Parrafos(std::string& destino, bool* invalidos) : destino_(destino), invalidos_(invalidos) {}

    void agregar(std::string_view pieza) {
        std::size_t desde = 0;
        for (std::size_t i = 0; i < pieza.size(); ++i) {
            const char c = pieza[i];
            if (c != '\r' && c != '\n') {
                continue;
            }
            texto(pieza.substr(desde, i - desde));
            if (c == '\r' && i + 1 < pieza.size() && pieza[i + 1] == '\n') {
                ++i;
            }
            abrir();
            ++saltos_;
            desde = i + 1;
        }
        texto(pieza.substr(desde));
    }

    void terminar() {
        if (abierto_) {
            vaciarSaltos();
            destino_ += "</p>";
            abierto_ = false;
        }
    }

private:
    void abrir() {
        if (!abierto_) {
            destino_ += "<p>";
            abierto_ = true;
        }
    }
    void vaciarSaltos() {
        for (; saltos_ >= 2; saltos_ -= 2) {
            destino_ += "</p><p>";
        }
        if (saltos_ == 1) {
            destino_ += "<br/>";
            saltos_ = 0;
        }
    }
    void texto(std::string_view t) {
        if (t.empty()) {
            return;
        }
        abrir();
        vaciarSaltos();
        agregarEscapado(destino_, t, invalidos_);
    }

    std::string& destino_;
    bool* invalidos_;
    bool abierto_ = false;
    int saltos_ = 0;
};

std::string utf8(std::string_view cp1252) {
    return store::cp1252AUtf8(cp1252);
}

// The warnings of one page, each (kind, file) once.
class Avisos {
public:
    explicit Avisos(std::vector<Aviso>& lista) : lista_(lista) {}
    void agregar(Aviso::Tipo tipo, std::string ruta, std::string mensaje) {
        if (vistos_.emplace(tipo, ruta).second) {
            lista_.push_back({tipo, std::move(ruta), std::move(mensaje)});
        }
    }

private:
    std::vector<Aviso>& lista_;
    std::set<std::pair<Aviso::Tipo, std::string>> vistos_;
};

// UTF-8 with the bytes no page may hold as U+FFFD, not escaped.
std::string textoLimpio(std::string_view cp1252) {
    std::string s;
    for (const char ch : cp1252) {
        const auto c = static_cast<unsigned char>(ch);
        if (noValido(c) || c == '\r' || c == '\n') {
            s += "\xEF\xBF\xBD";
        } else {
            s += store::cp1252AUtf8(std::string_view(&ch, 1));
        }
    }
    return s;
}

std::string entreComillas(std::string_view cp1252) {
    return "\xC2\xAB" + utf8(cp1252) + "\xC2\xBB";
}

void avisarInvalidos(Avisos& avisos, bool invalidos, std::string_view ruta, const char* parte) {
    if (invalidos) {
        avisos.agregar(Aviso::Tipo::BytesNoValidos, std::string(ruta),
                       std::string(parte) + " de " + entreComillas(ruta) +
                           " tiene bytes de control o sin car\xC3\xA1"
                           "cter; se muestran como \xEF\xBF\xBD.");
    }
}

std::optional<std::string> urlDe(const Opciones& opciones, Avisos& avisos, Imagen imagen) {
    std::optional<std::string> url;
    if (opciones.imagen && (!opciones.puedeExistir || opciones.puedeExistir(imagen.ruta))) {
        url = opciones.imagen(imagen);
    }
    if (!url) {
        avisos.agregar(Aviso::Tipo::ImagenFaltante, imagen.ruta,
                       "La imagen " + entreComillas(imagen.ruta) + " no existe o no se puede leer.");
    }
    return url;
}

void agregarFigura(std::string& x, std::string_view directorio, std::string_view nombre, int numero,
                   const Opciones& opciones, Avisos& avisos) {
    x += "<figure class=\"ilustracion\" id=\"";
    x += escaparUtf8(opciones.prefijoId);
    x += "ilustracion-" + std::to_string(numero) + "\">";
    const std::string rutaImagen = store::rutaIlustracion(directorio, nombre);
    const bool seguro = store::nombreRelativoSeguro(nombre);
    std::optional<std::string> url;
    store::Epigrafe epigrafe;
    if (!seguro) {
        avisos.agregar(Aviso::Tipo::NombreNoValido, rutaImagen,
                       "La ilustraci\xC3\xB3n " + entreComillas(nombre) +
                           " tiene un nombre que no se puede usar dentro de la enciclotomo.");
    } else {
        url = urlDe(opciones, avisos, {Imagen::Tipo::Ilustracion, std::string(nombre), rutaImagen});
        if (const auto ruta = store::rutaEpigrafeVisor(directorio, nombre)) {
            if (opciones.puedeExistir && !opciones.puedeExistir(*ruta)) {
                avisos.agregar(Aviso::Tipo::EpigrafeFaltante, *ruta,
                               "El ep\xC3\xADgrafe " + entreComillas(*ruta) + " no existe.");
            } else if (const auto lineas = store::leerLineasDentro(directorio, *ruta, store::kLimiteEpigrafe)) {
                epigrafe = store::analizarEpigrafe(*lineas);
            } else {
                avisos.agregar(Aviso::Tipo::EpigrafeFaltante, *ruta,
                               "El ep\xC3\xADgrafe " + entreComillas(*ruta) +
                                   " no se puede leer: " + utf8(lineas.error().mensaje()));
            }
        } else {
            avisos.agregar(Aviso::Tipo::EpigrafeFaltante, rutaImagen,
                           "La ilustraci\xC3\xB3n " + entreComillas(nombre) +
                               " tiene un nombre demasiado corto para tener ep\xC3\xADgrafe.");
        }
    }
    bool invalidos = false;
    std::string titulo = escapar(epigrafe.titulo, &invalidos);
    if (url) {
        x += "<img src=\"" + escaparUtf8(*url) + "\" alt=\"" + (titulo.empty() ? escapar(nombre) : titulo) + "\"/>";
    } else {
        x += "<div class=\"imagen-no-disponible\">" + escapar(nombre) + "</div>";
        titulo = "Imagen no disponible";
    }
    x += "<figcaption><div class=\"titulo-imagen\">" + titulo + "</div><div class=\"epigrafe\">";
    x += parrafos(epigrafe.texto, &invalidos);
    x += "</div></figcaption></figure>";
    avisarInvalidos(avisos, invalidos, rutaImagen, "El ep\xC3\xADgrafe de la ilustraci\xC3\xB3n");
}

std::string colorCssComponentes(int r, int g, int b) {
    char s[8];
    std::snprintf(s, sizeof s, "#%02X%02X%02X", r, g, b);
    return s;
}

} // namespace

std::string escapar(std::string_view cp1252, bool* invalidos) {
    std::string s;
    s.reserve(cp1252.size() + cp1252.size() / 8);
    agregarEscapado(s, cp1252, invalidos);
    return s;
}

std::string escaparUtf8(std::string_view utf8) {
    std::string s;
    s.reserve(utf8.size());
    for (const char c : utf8) {
        switch (c) {
        case '&':
            s += "&amp;";
            break;
        case '<':
            s += "&lt;";
            break;
        case '>':
            s += "&gt;";
            break;
        case '"':
            s += "&quot;";
            break;
        case '\'':
            s += "&#39;";
            break;
        default:
            s.push_back(c);
        }
    }
    return s;
}

std::string parrafos(std::string_view cp1252, bool* invalidos) {
    std::string s;
    Parrafos p(s, invalidos);
    p.agregar(cp1252);
    p.terminar();
    return s;
}

std::string colorCss(std::int32_t valor) {
    // The viewer's reading: the remainder keeps the dividend's sign, the quotient rounds down, and each
    // component is then cut to 0..255.
    const auto abajo = [](std::int64_t a, std::int64_t b) {
        std::int64_t q = a / b;
        if ((a % b != 0) && ((a < 0) != (b < 0))) {
            --q;
        }
        return q;
    };
    const auto corte = [](std::int64_t v) { return static_cast<int>(v < 0 ? 0 : v > 255 ? 255 : v); };
    const std::int64_t rojo = valor % 256;
    const std::int64_t k1 = abajo(valor, 256);
    const std::int64_t verde = k1 % 256;
    const std::int64_t azul = abajo(k1, 256) % 256;
    return colorCssComponentes(corte(rojo), corte(verde), corte(azul));
}

std::string estiloDeColores(const store::Esquema& c) {
    const auto col = [&c](int i) { return colorCss(c[static_cast<std::size_t>(i)]); };
    std::string s;
    s += "body{margin:0;background:" + col(6) + ";color:" + col(7) + ";font-family:sans-serif;line-height:1.45}\n";
    s += ".articulo{max-width:60em;margin:0 auto;padding:0 1em 1em 1em}\n";
    s += ".titulo{background:" + col(0) + ";color:" + col(1) + ";margin:0 -1em;padding:.4em 1em}\n";
    s += ".titulo h1{margin:0;font-size:1.6em;color:" + col(1) + "}\n";
    s += ".subtitulo{background:" + col(2) + ";color:" + col(3) + ";margin:0 -1em;padding:.2em 1em}\n";
    s += ".costado{float:left;max-width:30%;margin:1em 1em .5em 0}\n";
    s += ".costado img{max-width:100%;height:auto}\n";
    s += ".esquema{background:" + col(4) + ";color:" + col(5) + ";padding:.3em 1em;margin:1em 0}\n";
    s += ".esquema a{color:" + col(5) + "}\n";
    s += ".esquema ol{margin:0;padding-left:1.5em}\n";
    s += ".cuerpo{background:" + col(6) + ";color:" + col(7) + ";white-space:pre-wrap;overflow-wrap:anywhere}\n";
    s += ".cuerpo p:empty{min-height:1.45em}\n";
    s += ".ilustracion{clear:both;margin:1.5em 0;background:" + col(4) + ";padding:0 0 .5em 0}\n";
    s += ".ilustracion img{display:block;max-width:100%;height:auto;margin:0 auto}\n";
    s += ".imagen-no-disponible{padding:2em;text-align:center;font-style:italic}\n";
    s += ".titulo-imagen{background:" + col(2) + ";color:" + col(3) + ";padding:.2em .5em;font-weight:bold}\n";
    s += ".epigrafe{background:" + col(8) + ";color:" + col(9) + ";padding:.2em .5em;white-space:pre-wrap}\n";
    s += ".epigrafe:empty{display:none}\n";
    return s;
}

Pagina renderizarBytes(std::string_view directorio, std::string_view nombre, std::string_view bytes,
                       const Opciones& opciones) {
    Pagina pagina;
    Avisos avisos(pagina.avisos);
    const std::string rutaArticulo = store::unir(directorio, nombre);

    std::string cuerpo;
    bool invalidosCuerpo = false;
    Parrafos parrafosCuerpo(cuerpo, &invalidosCuerpo);
    const store::Articulo articulo =
        store::analizarArticulo(bytes, [&parrafosCuerpo](std::string_view pieza) { parrafosCuerpo.agregar(pieza); });
    parrafosCuerpo.terminar();
    const std::string titulo = escapar(articulo.titulo, &invalidosCuerpo);
    avisarInvalidos(avisos, invalidosCuerpo, rutaArticulo,
                    "El art\xC3\xAD"
                    "culo");
    pagina.titulo = textoLimpio(articulo.titulo);

    std::string& x = pagina.xhtml;
    x.reserve(cuerpo.size() + 4096);
    if (opciones.documentoCompleto) {
        if (opciones.declaracionXml) {
            x += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
        }
        x += "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"es\" xml:lang=\"es\">\n<head>\n"
             "<meta charset=\"utf-8\"/>\n<title>";
        x += titulo.empty() ? escapar(nombre) : titulo;
        if (!opciones.enciclopedia.empty()) {
            x += " \xE2\x80\x94 " + escaparUtf8(opciones.enciclopedia);
        }
        x += "</title>\n";
        if (opciones.hojaDeEstilo.empty()) {
            x += "<style>\n" + estiloDeColores(opciones.colores) + "</style>\n";
        } else {
            x += "<link rel=\"stylesheet\" href=\"" + escaparUtf8(opciones.hojaDeEstilo) + "\"/>\n";
        }
        x += opciones.cabeza;
        x += "</head>\n<body>\n";
        x += opciones.antes;
    }
    x += "<article class=\"articulo\">\n<header class=\"titulo\"><h1>" + titulo + "</h1></header>\n";
    if (!opciones.enciclopedia.empty()) {
        x += "<p class=\"subtitulo\">" + escaparUtf8(opciones.enciclopedia) + "</p>\n";
    }

    if (opciones.costado && !articulo.costados.empty()) {
        const std::string& costado = articulo.costados.back();
        const std::string ruta = store::rutaCostado(directorio, costado);
        if (!store::nombreRelativoSeguro(costado)) {
            avisos.agregar(Aviso::Tipo::NombreNoValido, ruta,
                           "La imagen de costado " + entreComillas(costado) +
                               " tiene un nombre que no se puede usar dentro de la enciclotomo.");
        } else if (const auto url = urlDe(opciones, avisos, {Imagen::Tipo::Costado, costado, ruta})) {
            x += "<div class=\"costado\"><img src=\"" + escaparUtf8(*url) + "\" alt=\"\"/></div>\n";
        }
    }

    if (opciones.esquema && !articulo.ilustraciones.empty()) {
        x += "<nav class=\"esquema\"><ol>";
        int n = 0;
        for (const std::string& ilustracion : articulo.ilustraciones) {
            x += "<li><a href=\"#" + escaparUtf8(opciones.prefijoId) + "ilustracion-" + std::to_string(++n) + "\">" +
                 escapar(ilustracion) + "</a></li>";
        }
        x += "</ol></nav>\n";
    }

    x += "<div class=\"cuerpo\">";
    x += cuerpo;
    x += "</div>\n";

    int n = 0;
    for (const std::string& ilustracion : articulo.ilustraciones) {
        agregarFigura(x, directorio, ilustracion, ++n, opciones, avisos);
        x += "\n";
    }
    x += "</article>\n";
    if (opciones.documentoCompleto) {
        x += opciones.despues;
        x += "</body>\n</html>\n";
    }
    return pagina;
}

store::Resultado<Pagina> renderizarArticulo(std::string_view directorio, std::string_view nombre,
                                            const Opciones& opciones) {
    const std::string ruta = store::unir(directorio, nombre);
    if (!store::nombreRelativoSeguro(nombre)) {
        return store::Error{"leer el art\xED"
                            "culo",
                            ruta,
                            store::Causa::NombreNoValido,
                            {}};
    }
    std::int64_t modificado = 0;
    const auto bytes = store::leerBytesDentro(directorio, ruta, store::kLimiteArticulo, &modificado);
    if (!bytes) {
        return bytes.error();
    }
    Pagina pagina = renderizarBytes(directorio, nombre, *bytes, opciones);
    pagina.modificado = modificado;
    return pagina;
}

} // namespace render

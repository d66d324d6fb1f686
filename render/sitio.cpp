#include "render/sitio.h"

#include "render/sitio_servidor.h"
#include "render/texto_web.h"
#include "store/codificacion.h"

#include <array>

namespace render {

namespace {

constexpr std::array<FormatoDeImagen, 7> kFormatos = {{
    {"png", "image/png", ".png", true},
    {"jpeg", "image/jpeg", ".jpg", true},
    {"gif", "image/gif", ".gif", true},
    {"webp", "image/webp", ".webp", true},
    {"bmp", "image/bmp", ".bmp", false},
    {"ico", "image/x-icon", ".ico", false},
    {"tiff", "image/tiff", ".tif", false},
}};

// Other names of the same formats, as decoders and file names spell them.
constexpr std::array<std::pair<std::string_view, std::string_view>, 2> kOtrosNombres = {{
    {"jpg", "jpeg"},
    {"tif", "tiff"},
}};

// The letter without its accent for the accented letters of Windows-1252, or 0.
char sinAcento(unsigned char c) {
    static const char* const kDesde = "\xC0\xC1\xC2\xC3\xC4\xC5\xC7\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF\xD1\xD2\xD3\xD4"
                                      "\xD5\xD6\xD8\xD9\xDA\xDB\xDC\xDD\xE0\xE1\xE2\xE3\xE4\xE5\xE7\xE8\xE9\xEA\xEB"
                                      "\xEC\xED\xEE\xEF\xF1\xF2\xF3\xF4\xF5\xF6\xF8\xF9\xFA\xFB\xFC\xFD\xFF\x8A\x9A"
                                      "\x8E\x9E\x9F";
    static const char* const kHacia = "AAAAAACEEEEIIIINOOOOOOUUUUYaaaaaaceeeeiiiinoooooouuuuyySsZzY";
    for (int i = 0; kDesde[i]; ++i) {
        if (static_cast<unsigned char>(kDesde[i]) == c) {
            return kHacia[i];
        }
    }
    return 0;
}

const char* const kEstiloSitio = R"(.sitio{max-width:60em;margin:0 auto;padding:.3em 1em;font-size:.9em}
.sitio a{margin-right:1em}
.indice{max-width:60em;margin:0 auto;padding:0 1em 2em 1em}
.indice h1{margin:0 -1em;padding:.4em 1em}
.indice .comentario{font-style:italic}
#filtro{width:100%;box-sizing:border-box;font-size:1.1em;padding:.3em;margin:.5em 0}
.titulos{padding-left:2.5em}
.diccionario dt{font-weight:bold;margin-top:.5em}
.diccionario dd{margin-left:2em}
)";

// The filter: titles are compared with what is typed without accents (the letters decomposed and their marks
// dropped, so that "arbol" finds "Árbol" and "nino" finds "Niño") and without regard to case.
const char* const kFiltro = R"((function () {
  "use strict";
  function plegar(s) {
    return s.normalize("NFD").replace(/[\u0300-\u036f]/g, "").toLowerCase();
  }
  function filtrar(titulos, texto, maximo) {
    var buscado = plegar(texto.trim());
    var hallados = [];
    if (!buscado) return hallados;
    for (var i = 0; i < titulos.length && hallados.length < maximo; i++) {
      if (plegar(titulos[i][0]).indexOf(buscado) >= 0) hallados.push(titulos[i]);
    }
    return hallados;
  }
  if (typeof module !== "undefined") {
    module.exports = { plegar: plegar, filtrar: filtrar };
    return;
  }
  var titulos = window.LUMBRE_TITULOS || [];
  var campo = document.getElementById("filtro");
  var lista = document.getElementById("titulos");
  var resultados = document.getElementById("resultados");
  var cuenta = document.getElementById("cuenta");
  campo.hidden = false;
  campo.addEventListener("input", function () {
    var hallados = filtrar(titulos, campo.value, 1000);
    while (resultados.firstChild) resultados.removeChild(resultados.firstChild);
    var vacio = !campo.value.trim();
    lista.hidden = !vacio;
    resultados.hidden = vacio;
    cuenta.textContent = vacio ? "" : (hallados.length >= 1000 ? "Los primeros 1000 títulos" :
        hallados.length === 1 ? "1 título" : hallados.length + " títulos");
    hallados.forEach(function (t) {
      var li = document.createElement("li");
      var a = document.createElement("a");
      a.href = t[1];
      a.textContent = t[0];
      li.appendChild(a);
      resultados.appendChild(li);
    });
  });
})();
)";

const char* const kVista = "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"";

std::string e(std::string_view utf8) {
    return escaparUtf8(utf8);
}

// The navigation of the exported site's pages: the title index and, but on its own page, the dictionary.
std::string navegacion(const Enlaces& enlaces, Lugar lugar, bool diccionario) {
    std::string s = "<nav class=\"sitio\"><a href=\"" + enlaces.listaDeTitulos(lugar) + "\">\xC3\x8Dndice</a>";
    if (diccionario) {
        s += "<a href=\"" + enlaces.diccionario(lugar) + "\">Diccionario</a>";
    }
    return s + "</nav>\n";
}

// The server's pages begin with a way to skip to their content and the trail back to the encyclopaedias.
std::string rastro(const Enlaces& enlaces, std::string_view saltar, const std::optional<std::string>& enciclopedia) {
    std::string s = "<a class=\"saltar\" href=\"#principal\">" + std::string(saltar) +
                    "</a>\n<header class=\"sitio\">\n<nav aria-label=\"Ruta\"><a href=\"/\">Enciclotomos</a>";
    if (enciclopedia) {
        s += " <span aria-hidden=\"true\">\xE2\x80\xBA</span> <a href=\"" + enlaces.listaDeTitulos(Lugar::Raiz) +
             "\">" + e(enciclopedia->empty() ? std::string("(sin t\xC3\xADtulo)") : *enciclopedia) + "</a>";
    }
    return s + "</nav>\n</header>\n";
}

// The files of the site that are always there, in the two cases of files: empty where the case has none.
struct Fijos {
    std::string_view estilo, indice, diccionario, guion, titulos, portada;
    std::string_view paginas; // the extension of the pages of articles and lists
};
constexpr Fijos kArchivos{"estilo.css", "index.html", "diccionario.html", "filtro.js", "titulos.js",
                          "index.html", ".html"};
constexpr Fijos kLibro{"estilo.css", "indice.xhtml", {}, {}, {}, "portada.xhtml", ".xhtml"};

const Fijos& fijos(Enlaces::Caso caso) {
    return caso == Enlaces::Caso::Libro ? kLibro : kArchivos;
}

// The server's path segment for a store name: UTF-8, percent-encoded.
std::string segmento(std::string_view cp1252) {
    return codificarUrl(store::cp1252AUtf8(cp1252));
}

} // namespace

const FormatoDeImagen* formatoDeImagen(std::string_view nombre) {
    std::string minusculas(nombre);
    for (char& c : minusculas) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    std::string_view buscado = minusculas;
    for (const auto& [otro, propio] : kOtrosNombres) {
        if (buscado == otro) {
            buscado = propio;
        }
    }
    for (const FormatoDeImagen& f : kFormatos) {
        if (f.nombre == buscado) {
            return &f;
        }
    }
    return nullptr;
}

const FormatoDeImagen* formatoPorExtension(std::string_view archivo) {
    const std::size_t punto = archivo.find_last_of('.');
    if (punto == std::string_view::npos || punto == 0) {
        return nullptr;
    }
    const std::string_view extension = archivo.substr(punto + 1);
    // Only ASCII letters: a decoder name never matches an extension that merely upper-cases to one.
    for (const char c : extension) {
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
            return nullptr;
        }
    }
    return formatoDeImagen(extension);
}

const FormatoDeImagen& formatoPng() {
    return kFormatos[0];
}

std::string nombreAscii(std::string_view cp1252) {
    std::string s;
    s.reserve(cp1252.size());
    for (const char ch : cp1252) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
            c == '.') {
            s += ch;
        } else if (const char a = sinAcento(c)) {
            s += a;
        } else {
            s += '_';
        }
    }
    if (!s.empty() && s[0] == '.') {
        s[0] = '_'; // no hidden files
    }
    if (s.empty()) {
        s = "_";
    }
    return s;
}

std::string NombresDeSalida::nombre(std::string_view nombreStore, std::string_view extension) {
    return nombre(nombreStore, nombreStore, extension);
}

std::string NombresDeSalida::nombre(std::string_view clave, std::string_view nombreStore, std::string_view extension) {
    const std::string k = store::aMayusculas(clave) + '\n' + store::aMayusculas(extension);
    if (const auto it = dados_.find(k); it != dados_.end()) {
        return it->second;
    }
    const std::string base = nombreAscii(nombreStore);
    std::string candidato = base + std::string(extension);
    for (int n = 2; !usados_.insert(store::aMayusculas(candidato)).second; ++n) {
        // "-n" before the base's own extension, so that the kind of file stays visible.
        const std::size_t punto = extension.empty() ? base.find_last_of('.') : std::string::npos;
        const std::string cuenta = "-" + std::to_string(n);
        candidato = punto != std::string::npos && punto > 0
                        ? base.substr(0, punto) + cuenta + base.substr(punto) + std::string(extension)
                        : base + cuenta + std::string(extension);
    }
    dados_.emplace(k, candidato);
    return candidato;
}

Enlaces Enlaces::archivos() {
    return Enlaces(Caso::Archivos, {});
}

Enlaces Enlaces::libro() {
    return Enlaces(Caso::Libro, {});
}

Enlaces Enlaces::servidor(std::string id) {
    return Enlaces(Caso::Servidor, "/e/" + id + '/');
}

std::string Enlaces::articulo(std::string_view nombre) {
    if (caso_ == Caso::Servidor) {
        return "a/" + segmento(nombre);
    }
    return "articulos/" + articulos_.nombre(nombre, fijos(caso_).paginas);
}

std::string Enlaces::lista(std::string_view nombre) {
    if (caso_ == Caso::Servidor) {
        // The server shows a list as the title index filtered by it.
        return "?lista=" + codificarUrl(store::cp1252AUtf8(nombre));
    }
    return "listas/" + listas_.nombre(nombre, fijos(caso_).paginas);
}

std::string Enlaces::imagen(std::string_view nombre, std::string_view extension) {
    if (caso_ == Caso::Servidor) {
        return "img/" + segmento(nombre);
    }
    // The output keeps the picture's base name; the extension says what it now holds.
    std::string_view base = nombre;
    if (const auto punto = base.find_last_of('.'); punto != std::string_view::npos && punto > 0) {
        base = base.substr(0, punto);
    }
    return "img/" + imagenes_.nombre(nombre, base, extension);
}

std::string Enlaces::url(Lugar desde, std::string_view archivo) const {
    if (caso_ == Caso::Servidor) {
        return base_ + std::string(archivo);
    }
    return (desde == Lugar::Carpeta ? "../" : "") + std::string(archivo);
}

std::string Enlaces::fijo(Lugar desde, std::string_view archivo) const {
    return archivo.empty() ? std::string() : url(desde, archivo);
}

std::string Enlaces::hojaDeEstilo(Lugar desde) const {
    return caso_ == Caso::Servidor ? "/recursos/estilo.css" : fijo(desde, fijos(caso_).estilo);
}

std::string Enlaces::listaDeTitulos(Lugar desde) const {
    return caso_ == Caso::Servidor ? base_ : fijo(desde, fijos(caso_).indice);
}

std::string Enlaces::diccionario(Lugar desde) const {
    return caso_ == Caso::Servidor ? base_ + "diccionario" : fijo(desde, fijos(caso_).diccionario);
}

std::string Enlaces::guion(Lugar desde) const {
    return caso_ == Caso::Servidor ? "/recursos/lumbre.js" : fijo(desde, fijos(caso_).guion);
}

std::string Enlaces::titulosDelGuion(Lugar desde) const {
    return caso_ == Caso::Servidor ? std::string() : fijo(desde, fijos(caso_).titulos);
}

std::string Enlaces::portada(Lugar desde) const {
    return caso_ == Caso::Servidor ? base_ : fijo(desde, fijos(caso_).portada);
}

std::string abrirPagina(const Enlaces& enlaces, const Marco& marco) {
    const Enlaces::Caso caso = enlaces.caso();
    // The files and the e-book are XHTML (an e-book must be); the server's pages are HTML.
    const bool xhtml = caso != Enlaces::Caso::Servidor;
    const std::string fin = xhtml ? "/>\n" : ">\n";
    std::string s;
    if (caso == Enlaces::Caso::Libro) {
        s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    }
    s += "<!DOCTYPE html>\n";
    if (xhtml) {
        s += "<html xmlns=\"http://www.w3.org/1999/xhtml\"";
        if (marco.tablaDeContenido) {
            s += " xmlns:epub=\"http://www.idpf.org/2007/ops\"";
        }
        s += " lang=\"es\" xml:lang=\"es\">\n";
    } else {
        s += "<html lang=\"es\">\n";
    }
    s += "<head>\n<meta charset=\"utf-8\"" + fin;
    if (caso != Enlaces::Caso::Libro) {
        s += kVista + fin;
    }
    s += "<title>" + e(marco.titulo) + "</title>\n<link rel=\"stylesheet\" href=\"" +
         enlaces.hojaDeEstilo(marco.lugar) + "\"" + fin;
    if (caso == Enlaces::Caso::Servidor) {
        s += "<script src=\"" + enlaces.guion(marco.lugar) + "\" defer></script>\n";
    }
    s += "</head>\n<body>\n";
    switch (caso) {
    case Enlaces::Caso::Archivos:
        s += navegacion(enlaces, marco.lugar, marco.enlaceAlDiccionario) + "<main class=\"indice\">\n";
        break;
    case Enlaces::Caso::Libro:
        break;
    case Enlaces::Caso::Servidor:
        s += rastro(enlaces, "Saltar al contenido", marco.rastro) + "<main id=\"principal\">\n";
        break;
    }
    return s;
}

std::string cerrarPagina(const Enlaces& enlaces, std::string_view antesDelFin) {
    return (enlaces.caso() == Enlaces::Caso::Libro ? std::string() : std::string("</main>\n")) +
           std::string(antesDelFin) + "</body>\n</html>\n";
}

void enmarcarArticulo(const Enlaces& enlaces, std::string_view enciclopedia, Opciones& opciones) {
    opciones.documentoCompleto = true;
    switch (enlaces.caso()) {
    case Enlaces::Caso::Archivos:
        opciones.hojaDeEstilo = enlaces.hojaDeEstilo(Lugar::Carpeta);
        opciones.enciclopedia = enciclopedia;
        opciones.cabeza = std::string(kVista) + "/>\n";
        opciones.antes = navegacion(enlaces, Lugar::Carpeta, true);
        break;
    case Enlaces::Caso::Libro:
        // A reader shows the book's title itself.
        opciones.declaracionXml = true;
        opciones.hojaDeEstilo = enlaces.hojaDeEstilo(Lugar::Carpeta);
        break;
    case Enlaces::Caso::Servidor:
        // The server's own style sheet for the page, the encyclopaedia's colours inline for the article.
        opciones.hojaDeEstilo.clear();
        opciones.enciclopedia = enciclopedia;
        opciones.cabeza = std::string(kVista) + "/>\n<link rel=\"stylesheet\" href=\"" +
                          enlaces.hojaDeEstilo(Lugar::Carpeta) + "\"/>\n<script src=\"" +
                          enlaces.guion(Lugar::Carpeta) + "\" defer=\"defer\"></script>\n";
        opciones.antes = rastro(enlaces,
                                "Saltar al art\xC3\xAD"
                                "culo",
                                std::string(enciclopedia)) +
                         formularios(enlaces, {}, {}) + "<main id=\"principal\" data-diccionario=\"" +
                         enlaces.diccionario(Lugar::Raiz) + "\">\n";
        opciones.despues = "</main>\n<p class=\"consejo\">Con doble clic en una palabra del texto se busca en el "
                           "diccionario.</p>\n";
        break;
    }
}

std::string hojaDelSitio(const Enlaces& enlaces, const store::Esquema& colores) {
    switch (enlaces.caso()) {
    case Enlaces::Caso::Archivos:
        return estiloDeColores(colores) + kEstiloSitio;
    case Enlaces::Caso::Libro:
        return estiloDeColores(colores);
    case Enlaces::Caso::Servidor:
        break;
    }
    return std::string(hojaDelServidor());
}

std::string_view guionDelSitio(const Enlaces& enlaces) {
    switch (enlaces.caso()) {
    case Enlaces::Caso::Archivos:
        return kFiltro;
    case Enlaces::Caso::Libro:
        return {};
    case Enlaces::Caso::Servidor:
        break;
    }
    return guionDelServidor();
}

std::string lineaDeTitulo(const Enlaces& enlaces, Lugar desde, std::string_view archivo, std::string_view texto) {
    if (archivo.empty()) {
        return "<li>" + std::string(texto) + "</li>\n";
    }
    return "<li><a href=\"" + enlaces.url(desde, archivo) + "\">" + std::string(texto) + "</a></li>\n";
}

std::string abrirListaDeTitulos(const Enlaces& enlaces, std::string_view titulo, std::string_view comentario,
                                const std::vector<std::pair<std::string, std::string>>& listas) {
    std::string s = abrirPagina(enlaces, {std::string(titulo), Lugar::Raiz, true, false, std::nullopt}) +
                    "<h1 class=\"titulo\">" + e(titulo) + "</h1>\n";
    if (!comentario.empty()) {
        s += "<p class=\"comentario\">" + e(comentario) + "</p>\n";
    }
    if (!listas.empty()) {
        s += "<h2>Listas</h2>\n<ul class=\"listas\">\n";
        for (const auto& [nombre, archivo] : listas) {
            s += lineaDeTitulo(enlaces, Lugar::Raiz, archivo, e(nombre));
        }
        s += "</ul>\n";
    }
    s += "<h2>Art\xC3\xAD"
         "culos</h2>\n"
         "<input type=\"search\" id=\"filtro\" hidden=\"hidden\" placeholder=\"Filtrar los t\xC3\xADtulos\" "
         "aria-label=\"Filtrar los t\xC3\xADtulos\" autocomplete=\"off\"/>\n"
         "<p id=\"cuenta\" aria-live=\"polite\"></p>\n<ol id=\"resultados\" class=\"titulos\" hidden=\"hidden\">"
         "</ol>\n<ol id=\"titulos\" class=\"titulos\">\n";
    return s;
}

std::string cerrarListaDeTitulos(const Enlaces& enlaces) {
    return "</ol>\n" +
           cerrarPagina(enlaces, "<script src=\"" + enlaces.titulosDelGuion(Lugar::Raiz) +
                                     "\"></script>\n<script src=\"" + enlaces.guion(Lugar::Raiz) + "\"></script>\n");
}

std::string abrirTitulosDelGuion() {
    return "window.LUMBRE_TITULOS = [\n";
}

std::string tituloDelGuion(const Enlaces& enlaces, std::string_view titulo, std::string_view archivo) {
    return "[" + escaparJson(titulo) + "," + escaparJson(enlaces.url(Lugar::Raiz, archivo)) + "],\n";
}

std::string cerrarTitulosDelGuion() {
    return "];\n";
}

std::string abrirLista(const Enlaces& enlaces, std::string_view nombre, std::string_view enciclopedia) {
    return abrirPagina(enlaces, {store::cp1252AUtf8(nombre) + " \xE2\x80\x94 " + std::string(enciclopedia),
                                 Lugar::Carpeta, true, false, std::nullopt}) +
           "<h1 class=\"titulo\">" + escapar(nombre) + "</h1>\n<ol class=\"titulos\">\n";
}

std::string cerrarLista(const Enlaces& enlaces) {
    return "</ol>\n" + cerrarPagina(enlaces);
}

std::string abrirDiccionario(const Enlaces& enlaces, std::string_view enciclopedia) {
    return abrirPagina(enlaces, {"Diccionario \xE2\x80\x94 " + std::string(enciclopedia), Lugar::Raiz, false, false,
                                 std::nullopt}) +
           "<h1 class=\"titulo\">Diccionario</h1>\n<dl class=\"diccionario\">\n";
}

std::string entradaDelDiccionario(std::string_view palabra, std::string_view definicion) {
    return "<dt>" + escapar(palabra) + "</dt><dd>" + escapar(definicion) + "</dd>\n";
}

std::string entradaDelDiccionario(const Enlaces& enlaces, std::string_view palabra, std::string_view archivo,
                                  std::string_view titulo, std::string_view referencia) {
    return "<dt>" + escapar(palabra) + "</dt><dd><a href=\"" + enlaces.url(Lugar::Raiz, archivo) + "\">" +
           (titulo.empty() ? escapar(referencia) : e(titulo)) + "</a></dd>\n";
}

std::string sinDiccionario() {
    return "<dt>\xE2\x80\x94</dt><dd>Esta enciclotomo no tiene diccionario.</dd>\n";
}

std::string cerrarDiccionario(const Enlaces& enlaces) {
    return "</dl>\n" + cerrarPagina(enlaces);
}

std::string portadaDelLibro(const Enlaces& enlaces, std::string_view titulo, std::string_view comentario) {
    std::string s = abrirPagina(enlaces, {std::string(titulo), Lugar::Raiz, false, false, std::nullopt}) +
                    "<section class=\"portada\">\n<h1 class=\"titulo\">" + e(titulo) + "</h1>\n";
    if (!comentario.empty()) {
        s += "<p class=\"comentario\">" + e(comentario) + "</p>\n";
    }
    return s + "</section>\n" + cerrarPagina(enlaces);
}

std::string tablaDeContenido(const Enlaces& enlaces, std::string_view titulo, std::string_view lineas) {
    return abrirPagina(enlaces, {"\xC3\x8Dndice", Lugar::Raiz, false, true, std::nullopt}) +
           "<nav epub:type=\"toc\" id=\"toc\">\n<h1>\xC3\x8Dndice</h1>\n<ol>\n" +
           (lineas.empty() ? lineaDeTitulo(enlaces, Lugar::Raiz, enlaces.portada(Lugar::Raiz), e(titulo))
                           : std::string(lineas)) +
           "</ol>\n</nav>\n" + cerrarPagina(enlaces);
}

} // namespace render

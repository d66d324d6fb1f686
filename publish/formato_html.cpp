// The static web site: a directory that opens from the disk in any browser, with no server.
//
//   index.html          every title in the order of the complete list, the named lists, the dictionary, and a
//                       title filter (filtro.js over the title index titulos.js) that ignores accents and case
//   estilo.css          the encyclopaedia's colours
//   articulos/*.html    one page per article
//   listas/*.html       one page per named list
//   diccionario.html    the dictionary; an entry that refers to an article links to its page
//   img/*               the pictures (BMP and ICO as PNG)

#include "publish/formato_html.h"

#include "publish/archivos.h"
#include "publish/escritura.h"
#include "publish/paginas_adelantadas.h"

#include "render/texto_web.h"
#include "store/codificacion.h"
#include "store/diccionario.h"
#include "store/enciclopedia.h"
#include "store/rutas.h"

#include <QDir>

#include <mutex>

#include <unordered_map>

namespace publish {

namespace {

std::string e(std::string_view utf8) {
    return render::escaparUtf8(utf8);
}

std::string url(const QString& nombre) {
    return render::codificarUrl(nombre.toStdString(), "/");
}

std::string json(std::string_view utf8) {
    return render::escaparJson(utf8);
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

struct ArticuloDelSitio {
    std::string titulo; // UTF-8, clean
    QString pagina;     // "articulos/X.html", or empty when the article could not be written
};

std::string cabecera(const std::string& titulo, const std::string& base) {
    return "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"es\" xml:lang=\"es\">\n<head>\n"
           "<meta charset=\"utf-8\"/>\n<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/>\n"
           "<title>" +
           e(titulo) + "</title>\n<link rel=\"stylesheet\" href=\"" + base + "estilo.css\"/>\n</head>\n<body>\n";
}

std::string navegacion(const std::string& base, bool diccionario) {
    std::string s = "<nav class=\"sitio\"><a href=\"" + base + "index.html\">\xC3\x8Dndice</a>";
    if (diccionario) {
        s += "<a href=\"" + base + "diccionario.html\">Diccionario</a>";
    }
    return s + "</nav>\n";
}

// The dictionary as a list of definitions, read as a stream line by line. Returns false on a write error.
bool escribirDiccionario(Trabajo& trabajo, Escritor& escritor, const QString& ruta,
                         const std::unordered_map<std::string, const ArticuloDelSitio*>& porNombre) {
    Salida salida(escritor, ruta, {"text/html", "Diccionario", false});
    salida << cabecera("Diccionario \xE2\x80\x94 " + trabajo.titulo(), "") << navegacion("", false)
           << "<main class=\"indice\">\n<h1 class=\"titulo\">Diccionario</h1>\n<dl class=\"diccionario\">\n";
    const std::string archivo = store::unir(trabajo.enciclopedia(), store::kDict);
    const bool leido = leerLineasPorPartes(
        trabajo.enciclopedia(), archivo,
        [&](std::string_view linea) {
            const auto entrada = store::entradaDeDiccionario(linea);
            if (!entrada) {
                return;
            }
            const std::string& definicion = entrada->definicion;
            salida << "<dt>" << render::escapar(entrada->palabra) << "</dt><dd>";
            const auto referencia = store::referenciaDe(definicion);
            const auto it = referencia ? porNombre.find(store::aMayusculas(*referencia)) : porNombre.end();
            if (it != porNombre.end() && !it->second->pagina.isEmpty()) {
                const std::string& titulo = it->second->titulo;
                salida << "<a href=\"" << url(it->second->pagina) << "\">"
                       << (titulo.empty() ? render::escapar(*referencia) : e(titulo)) << "</a>";
            } else {
                salida << render::escapar(definicion);
            }
            salida << "</dd>\n";
        },
        [&trabajo](const QString& aviso) { trabajo.avisar(aviso); });
    if (!leido) {
        salida << "<dt>\xE2\x80\x94</dt><dd>Esta enciclotomo no tiene diccionario.</dd>\n";
    }
    salida << "</dl>\n</main>\n</body>\n</html>\n";
    return salida.cerrar();
}

} // namespace

QString FormatoHtml::nombre() const {
    return QStringLiteral("html");
}

QString FormatoHtml::descripcion() const {
    return QStringLiteral("sitio web estático: un directorio con index.html, que se abre desde el disco en "
                          "cualquier navegador");
}

QString FormatoHtml::extension() const {
    return QString();
}

bool FormatoHtml::escribeDirectorio() const {
    return true;
}

bool FormatoHtml::escribir(Trabajo& trabajo, QString* error) {
    Escritor escritor(trabajo.temporal());
    if (!escritor.crearDirectorio(QString())) {
        *error = escritor.error();
        return false;
    }
    return escribirSitio(trabajo, escritor, error);
}

bool escribirSitio(Trabajo& trabajo, Escritor& escritor, QString* error) {
    if (!escritor.crearDirectorio(QStringLiteral("articulos")) || !escritor.crearDirectorio(QStringLiteral("listas")) ||
        !escritor.crearDirectorio(QStringLiteral("img"))) {
        *error = escritor.error();
        return false;
    }
    const std::string estilo = render::estiloDeColores(trabajo.colores()) + kEstiloSitio;
    const Pieza guion{"application/javascript", {}, false};
    if (!escritor.escribir(QStringLiteral("estilo.css"), estilo, {"text/css", {}, false}) ||
        !escritor.escribir(QStringLiteral("filtro.js"), kFiltro, guion)) {
        *error = escritor.error();
        return false;
    }

    // While the articles are exported, their pictures are written from the rendering thread and their pages from
    // this one, one file at a time.
    std::mutex escritura;
    Imagenes imagenes(
        trabajo.enciclopedia(), QStringLiteral("img/"), [&escritor, &escritura](const ImagenExportada& imagen) {
            std::lock_guard bloqueo(escritura);
            return escritor.escribir(imagen.nombre, imagen.bytes.toStdString(), {imagen.tipo.toStdString(), {}, false});
        });
    NombresDeSalida paginas;
    render::Opciones opciones;
    const ContenidoDeImg img(trabajo.enciclopedia());
    opciones.puedeExistir = [&img](const std::string& ruta) { return img.puedeExistir(ruta); };
    opciones.hojaDeEstilo = "../estilo.css";
    opciones.enciclopedia = trabajo.titulo();
    opciones.antes = navegacion("../", true);
    opciones.cabeza = "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/>\n";
    opciones.imagen = [&imagenes](const render::Imagen& imagen) -> std::optional<std::string> {
        if (const auto nombre = imagenes.salida(imagen)) {
            return "../" + url(*nombre);
        }
        return std::nullopt;
    };

    const auto& entradas = trabajo.entradas();
    const auto listas = trabajo.listas();
    const qint64 total = static_cast<qint64>(entradas.size() + listas.size()) + 2;
    std::vector<ArticuloDelSitio> articulos(entradas.size());
    std::unordered_map<std::string, const ArticuloDelSitio*> porNombre;
    std::vector<std::size_t> porRenderizar;
    for (std::size_t i = 0; i < entradas.size(); ++i) {
        if (entradas[i].primera < 0) {
            porRenderizar.push_back(i);
        }
    }
    {
        PaginasAdelantadas adelantadas(std::move(porRenderizar), [&](std::size_t i) {
            return render::renderizarArticulo(trabajo.enciclopedia(), entradas[i].nombre, opciones);
        });
        std::size_t siguiente = 0; // the first entry not yet done
        const auto copiasHasta = [&](std::size_t fin) {
            for (; siguiente < fin; ++siguiente) {
                articulos[siguiente] = articulos[static_cast<std::size_t>(entradas[siguiente].primera)];
            }
        };
        while (auto hecha = adelantadas.tomar()) {
            if (trabajo.cancelado()) {
                return false;
            }
            const std::size_t i = hecha->first;
            copiasHasta(i);
            siguiente = i + 1;
            const Entrada& entrada = entradas[i];
            trabajo.avanzarArticulo(i, total);
            porNombre.emplace(store::aMayusculas(entrada.nombre), &articulos[i]);
            const auto pagina = trabajo.recibir(entrada.nombre, std::move(hecha->second));
            if (!pagina) {
                articulos[i].titulo = store::cp1252AUtf8(entrada.nombre);
                continue;
            }
            const QString archivo =
                QStringLiteral("articulos/") + paginas.nombre(entrada.nombre, QStringLiteral(".html"));
            std::lock_guard bloqueo(escritura);
            if (!escritor.escribir(archivo, pagina->xhtml,
                                   {"text/html",
                                    pagina->titulo.empty() ? store::cp1252AUtf8(entrada.nombre) : pagina->titulo,
                                    true})) {
                *error = escritor.error();
                return false;
            }
            articulos[i] = {pagina->titulo, archivo};
        }
        copiasHasta(entradas.size());
    }
    const auto mostrado = [&](std::size_t i) {
        return articulos[i].titulo.empty() ? store::cp1252AUtf8(entradas[i].nombre) : articulos[i].titulo;
    };

    // The title index, for the filter.
    {
        Salida titulos(escritor, QStringLiteral("titulos.js"), guion);
        titulos << "window.LUMBRE_TITULOS = [\n";
        for (std::size_t i = 0; i < entradas.size(); ++i) {
            if (!articulos[i].pagina.isEmpty()) {
                titulos << "[" << json(mostrado(i)) << "," << json(url(articulos[i].pagina)) << "],\n";
            }
        }
        titulos << "];\n";
        if (!titulos.cerrar()) {
            *error = escritor.error();
            return false;
        }
    }

    // The lists.
    NombresDeSalida nombresListas;
    std::vector<std::pair<std::string, QString>> paginasDeListas;
    for (std::size_t l = 0; l < listas.size(); ++l) {
        if (trabajo.cancelado()) {
            return false;
        }
        const auto& lista = listas[l];
        trabajo.avanzar(static_cast<qint64>(entradas.size() + l), total,
                        QStringLiteral("Lista %1").arg(QString::fromStdString(store::cp1252AUtf8(lista.nombre))));
        const QString archivo = QStringLiteral("listas/") + nombresListas.nombre(lista.nombre, QStringLiteral(".html"));
        const std::string nombre = store::cp1252AUtf8(lista.nombre);
        Salida salida(escritor, archivo, {"text/html", nombre, false});
        salida << cabecera(nombre + " \xE2\x80\x94 " + trabajo.titulo(), "../") << navegacion("../", true)
               << "<main class=\"indice\">\n<h1 class=\"titulo\">" << render::escapar(lista.nombre)
               << "</h1>\n<ol class=\"titulos\">\n";
        for (const std::string& item : lista.articulos) {
            const auto it = porNombre.find(store::aMayusculas(item));
            if (it != porNombre.end() && !it->second->pagina.isEmpty()) {
                const std::string& t = it->second->titulo;
                salida << "<li><a href=\"../" << url(it->second->pagina) << "\">"
                       << (t.empty() ? render::escapar(item) : e(t)) << "</a></li>\n";
            } else {
                salida << "<li>" << render::escapar(item) << "</li>\n";
                trabajo.avisar(
                    QStringLiteral("La lista «%1» nombra «%2», que no está entre los artículos "
                                   "exportados.")
                        .arg(QString::fromStdString(nombre), QString::fromStdString(store::cp1252AUtf8(item))));
            }
        }
        salida << "</ol>\n</main>\n</body>\n</html>\n";
        if (!salida.cerrar()) {
            *error = escritor.error();
            return false;
        }
        paginasDeListas.emplace_back(nombre, archivo);
    }

    trabajo.avanzar(total - 2, total, QStringLiteral("Diccionario"));
    if (!escribirDiccionario(trabajo, escritor, QStringLiteral("diccionario.html"), porNombre)) {
        *error = escritor.error();
        return false;
    }

    // The index, in the order of the complete list.
    trabajo.avanzar(total - 1, total, QStringLiteral("Índice"));
    Salida indice(escritor, QStringLiteral("index.html"), {"text/html", trabajo.titulo(), false});
    indice << cabecera(trabajo.titulo(), "") << navegacion("", true) << "<main class=\"indice\">\n<h1 class=\"titulo\">"
           << e(trabajo.titulo()) << "</h1>\n";
    if (!trabajo.comentario().empty()) {
        indice << "<p class=\"comentario\">" << e(trabajo.comentario()) << "</p>\n";
    }
    if (!paginasDeListas.empty()) {
        indice << "<h2>Listas</h2>\n<ul class=\"listas\">\n";
        for (const auto& [nombre, archivo] : paginasDeListas) {
            indice << "<li><a href=\"" << url(archivo) << "\">" << e(nombre) << "</a></li>\n";
        }
        indice << "</ul>\n";
    }
    indice << "<h2>Artículos</h2>\n"
              "<input type=\"search\" id=\"filtro\" hidden=\"hidden\" placeholder=\"Filtrar los títulos\" "
              "aria-label=\"Filtrar los títulos\" autocomplete=\"off\"/>\n"
              "<p id=\"cuenta\" aria-live=\"polite\"></p>\n<ol id=\"resultados\" class=\"titulos\" hidden=\"hidden\">"
              "</ol>\n<ol id=\"titulos\" class=\"titulos\">\n";
    for (std::size_t i = 0; i < entradas.size(); ++i) {
        if (articulos[i].pagina.isEmpty()) {
            indice << "<li>" << e(mostrado(i)) << "</li>\n";
        } else {
            indice << "<li><a href=\"" << url(articulos[i].pagina) << "\">" << e(mostrado(i)) << "</a></li>\n";
        }
    }
    indice << "</ol>\n</main>\n<script src=\"titulos.js\"></script>\n<script src=\"filtro.js\"></script>\n"
              "</body>\n</html>\n";
    if (!indice.cerrar()) {
        *error = escritor.error();
        return false;
    }
    trabajo.avanzar(total, total, QStringLiteral("Hecho"));
    return !trabajo.cancelado();
}

} // namespace publish

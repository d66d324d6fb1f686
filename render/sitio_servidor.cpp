#include "render/sitio_servidor.h"

#include "render/render.h"
#include "render/sitio.h"
#include "render/texto_web.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace render {

namespace {

std::string e(std::string_view utf8) {
    return escaparUtf8(utf8);
}

// An encyclopaedia's page of the server: `cuerpo` in the site's frame, with the trail back to the
// encyclopaedia's titles when `rastro` holds its title.
std::string documento(const Enlaces& enlaces, const std::string& titulo, std::optional<std::string> rastro,
                      const std::string& cuerpo) {
    return abrirPagina(enlaces, {titulo, Lugar::Raiz, true, false, std::move(rastro)}) + cuerpo + cerrarPagina(enlaces);
}

std::string articulos(std::size_t n) {
    return std::to_string(n) + (n == 1 ? " artículo" : " artículos");
}

} // namespace

std::string sugerenciasJson(const std::string& id, const std::vector<std::pair<std::string, std::string>>& titulos) {
    Enlaces enlaces = Enlaces::servidor(id);
    std::string json = "[";
    for (const auto& [nombre, titulo] : titulos) {
        json += json.size() > 1 ? "," : "";
        json += "{\"titulo\":" + escaparJson(titulo) +
                ",\"url\":" + escaparJson(enlaces.url(Lugar::Raiz, enlaces.articulo(nombre))) + '}';
    }
    return json + "]";
}

std::string formularios(const Enlaces& enlaces, std::string_view consulta, std::string_view palabra) {
    std::string s = "<div class=\"formularios\">\n<form role=\"search\" class=\"buscar\" action=\"" +
                    enlaces.url(Lugar::Raiz, "buscar") +
                    "\" method=\"get\">\n<label for=\"q\">Buscar en el texto</label>\n"
                    "<span class=\"campo\"><input type=\"search\" id=\"q\" name=\"q\" maxlength=\"200\" value=\"" +
                    e(consulta) +
                    "\" autocomplete=\"off\"/>\n<button type=\"submit\">Buscar</button></span>\n</form>\n"
                    "<form class=\"diccionario\" action=\"" +
                    enlaces.diccionario(Lugar::Raiz) +
                    "\" method=\"get\">\n<label for=\"p\">Diccionario</label>\n"
                    "<span class=\"campo\"><input type=\"text\" id=\"p\" name=\"p\" maxlength=\"100\" value=\"" +
                    e(palabra) +
                    "\" autocomplete=\"off\"/>\n<button type=\"submit\">Consultar</button></span>\n</form>\n</div>\n";
    return s;
}

std::string paginaPortada(const std::vector<FichaEnciclopedia>& fichas) {
    std::string s = "<h1>Enciclotomos</h1>\n";
    if (fichas.empty()) {
        s += "<p>Este servidor no tiene ninguna enciclotomo.</p>\n";
    }
    s += "<ul class=\"enciclopedias\">\n";
    for (const FichaEnciclopedia& f : fichas) {
        const Enlaces enlaces = Enlaces::servidor(f.id);
        s += "<li><a href=\"" + enlaces.listaDeTitulos(Lugar::Raiz) + "\"><img src=\"" +
             enlaces.url(Lugar::Raiz, "icono") + "\" alt=\"\" width=\"32\" height=\"32\"/> <span class=\"nombre\">" +
             e(f.titulo.empty() ? std::string("(sin título)") : f.titulo) + "</span></a>";
        if (!f.comentario.empty()) {
            s += "\n<p>" + e(f.comentario) + "</p>";
        }
        s += "\n<p class=\"cantidad\">" + articulos(f.articulos) + "</p></li>\n";
    }
    s += "</ul>\n";
    return documento(Enlaces::servidor({}), "Enciclotomos", std::nullopt, s);
}

std::string paginaLista(const PaginaLista& p) {
    std::string s = "<h1>" + e(p.titulo.empty() ? std::string("(sin título)") : p.titulo) + "</h1>\n";
    if (!p.comentario.empty()) {
        s += "<p class=\"comentario\">" + e(p.comentario) + "</p>\n";
    }
    Enlaces enlaces = Enlaces::servidor(p.id);
    s += formularios(enlaces, {}, {});
    // Type-ahead: without scripts the form searches, which lists titles that hold the words first.
    s += "<form class=\"ir\" action=\"" + enlaces.url(Lugar::Raiz, "buscar") +
         "\" method=\"get\">\n<label for=\"ir\">Ir al título</label>\n"
         "<input type=\"search\" id=\"ir\" name=\"q\" autocomplete=\"off\" maxlength=\"200\" "
         "aria-describedby=\"ayuda-ir\" aria-controls=\"sugerencias\" data-sugerencias=\"" +
         enlaces.url(Lugar::Raiz, "titulos") +
         "\">\n<p id=\"ayuda-ir\" class=\"ayuda\">Escriba el principio de un título.</p>\n"
         "<ul id=\"sugerencias\" class=\"sugerencias\" aria-live=\"polite\"></ul>\n</form>\n";
    if (!p.filtros.empty()) {
        s += "<form class=\"filtros\" action=\"" + enlaces.listaDeTitulos(Lugar::Raiz) +
             "\" method=\"get\">\n<fieldset>\n<legend>Listas</legend>\n";
        for (const Filtro& f : p.filtros) {
            s += "<label><input type=\"checkbox\" name=\"lista\" value=\"" + e(f.texto) + "\"" +
                 (f.marcado ? " checked=\"checked\"" : "") + "/> " + e(f.texto) + "</label>\n";
        }
        s += "<button type=\"submit\">Filtrar</button>\n</fieldset>\n</form>\n";
    }
    s += "<p class=\"cantidad\" role=\"status\">" + std::to_string(p.total) + " artículos en la lista." +
         (p.filtrada ? " Filtros aplicados" : "") + "</p>\n";
    if (!p.entradas.empty()) {
        s += "<ol class=\"titulos\" start=\"" + std::to_string(p.desde + 1) + "\">\n";
        for (const EntradaTitulo& t : p.entradas) {
            if (t.enlazable) {
                s += lineaDeTitulo(enlaces, Lugar::Raiz, enlaces.articulo(t.nombre),
                                   e(t.titulo.empty() ? std::string("(sin título)") : t.titulo));
            } else {
                s += lineaDeTitulo(enlaces, Lugar::Raiz, {},
                                   "<span class=\"falta\">" + e(t.titulo) + " (no se encuentra)</span>");
            }
        }
        s += "</ol>\n";
    }
    if (p.total > p.porPagina) {
        std::string filtros;
        for (const Filtro& f : p.filtros) {
            if (f.marcado) {
                filtros += "lista=" + render::codificarUrl(f.texto) + '&';
            }
        }
        s += "<nav class=\"paginas\" aria-label=\"Páginas de la lista\">\n";
        if (p.desde > 0) {
            s += "<a rel=\"prev\" href=\"?" + filtros +
                 "desde=" + std::to_string(p.desde > p.porPagina ? p.desde - p.porPagina : 0) + "\">Anteriores</a>\n";
        }
        s += "<span>" + std::to_string(p.desde + 1) + " a " + std::to_string(std::min(p.total, p.desde + p.porPagina)) +
             " de " + std::to_string(p.total) + "</span>\n";
        if (p.desde + p.porPagina < p.total) {
            s += "<a rel=\"next\" href=\"?" + filtros + "desde=" + std::to_string(p.desde + p.porPagina) +
                 "\">Siguientes</a>\n";
        }
        s += "</nav>\n";
    }
    return documento(enlaces, p.titulo.empty() ? std::string("Enciclotomo") : p.titulo, std::nullopt, s);
}

std::string fragmentoBusqueda(const PaginaBusqueda& p) {
    std::string s;
    if (!p.indiceListo) {
        s += "<p class=\"aviso\">El índice de búsqueda se está preparando";
        if (p.indiceTotal > 0) {
            s += " (" + std::to_string(p.indiceHechos) + " de " + std::to_string(p.indiceTotal) + " artículos)";
        }
        s += "; lo que aún no está en él no se encuentra todavía.</p>\n";
    }
    if (!p.errorDeIndice.empty()) {
        s += "<p class=\"aviso\">" + e(p.errorDeIndice) + "</p>\n";
    }
    if (!p.buscada) {
        return s;
    }
    Enlaces enlaces = Enlaces::servidor(p.id);
    const PaginaBusqueda& r = p;
    if (r.recortada) {
        s += "<p class=\"aviso\">La búsqueda era demasiado larga: se buscaron solo sus primeras palabras.</p>\n";
    }
    if (r.encontrados == 0) {
        s += "<p class=\"cantidad\" role=\"status\">Ningún artículo tiene todas las palabras buscadas.</p>\n";
        return s;
    }
    s += "<p class=\"cantidad\" role=\"status\">" + std::string(r.exacto ? "" : "Unos ") + articulos(r.encontrados) +
         (r.encontrados == 1 ? " encontrado." : " encontrados.") + "</p>\n";
    s += "<ol class=\"resultados\" start=\"" + std::to_string(p.desde + 1) + "\">\n";
    for (const AciertoDeBusqueda& a : r.aciertos) {
        s += "<li><a href=\"" + enlaces.url(Lugar::Raiz, enlaces.articulo(a.nombre)) + "\">" +
             e(a.titulo.empty() ? std::string("(sin título)") : a.titulo) + "</a>\n<p class=\"pasaje\">" + a.pasaje +
             "</p></li>\n";
    }
    s += "</ol>\n";
    if (r.encontrados > p.desde + p.porPagina && r.aciertos.size() >= p.porPagina) {
        s += "<nav class=\"paginas\" aria-label=\"Más resultados\"><a rel=\"next\" href=\"" +
             enlaces.url(Lugar::Raiz, "buscar") + "?q=" + render::codificarUrl(p.consulta) +
             "&amp;desde=" + std::to_string(p.desde + p.porPagina) + "\">Más resultados</a></nav>\n";
    }
    return s;
}

std::string paginaBusqueda(const PaginaBusqueda& p) {
    const Enlaces enlaces = Enlaces::servidor(p.id);
    std::string s = "<h1>Buscar en el texto</h1>\n" + formularios(enlaces, p.consulta, {});
    s += "<p class=\"ayuda\">Sin distinguir mayúsculas ni acentos, con el singular y el plural juntos; todas las "
         "palabras deben estar. <q>Frase exacta</q> entre comillas, <code>guadal*</code> para lo que empieza así. "
         "Primero los artículos con las palabras en el título.</p>\n";
    s += "<section id=\"resultados\" aria-live=\"polite\" aria-label=\"Resultados\">\n" + fragmentoBusqueda(p) +
         "</section>\n";
    return documento(enlaces, (p.buscada ? p.consulta + " — " : std::string()) + "Buscar en " + p.titulo, p.titulo, s);
}

std::string paginaDiccionario(const PaginaDiccionario& p) {
    const Enlaces enlaces = Enlaces::servidor(p.id);
    std::string s = "<h1>Diccionario</h1>\n" + formularios(enlaces, {}, p.escrita);
    if (p.buscada) {
        s += "<section class=\"definicion\" aria-live=\"polite\" aria-label=\"Definición\">\n<dl>\n<dt lang=\"es\">" +
             e(p.palabra) + "</dt>\n<dd>";
        if (p.sinDiccionario) {
            s += e(p.faltaArchivo ? "ESTA ENCICLOTOMO NO TIENE DICCIONARIO."
                                  : "NO SE PUEDE LEER EL DICCIONARIO DE ESTA ENCICLOTOMO.") +
                 "<br/>" + e(p.error);
        } else if (!p.encontrada) {
            s += "NO SE ENCUENTRA LA PALABRA BUSCADA";
        } else {
            if (!p.raiz.empty()) {
                s += "<p class=\"raiz\">" + e(p.palabra) + " → " + e(p.raiz) + "</p>";
            }
            if (!p.enlace.empty()) {
                s += "Véase el artículo <a href=\"" + p.enlace + "\">" +
                     e(p.tituloReferencia.empty() ? p.referencia : p.tituloReferencia) + "</a>.";
            } else if (!p.referencia.empty()) {
                s += e(p.definicion) + "<br/>Remite al artículo " + e(p.referencia) + ", que no se encuentra.";
            } else {
                s += e(p.definicion);
            }
        }
        s += "</dd>\n</dl>\n</section>\n";
    }
    return documento(enlaces, (p.buscada ? p.palabra + " — " : std::string()) + "Diccionario de " + p.titulo, p.titulo,
                     s);
}

std::string paginaDeError(int estado) {
    const std::string texto = estado == 404   ? "No existe esa página."
                              : estado == 400 ? "La petición no es válida."
                              : estado == 301 ? "La página está en otra dirección."
                                              : "No se puede atender la petición.";
    return documento(Enlaces::servidor({}), "Error " + std::to_string(estado), std::nullopt,
                     "<h1>" + e(texto) + "</h1>\n<p><a href=\"/\">Volver a las enciclotomos</a></p>\n");
}

std::string_view hojaDelServidor() {
    return R"(/* The classroom site: readable from a phone's width up, in the reader's own font size. */
*, *::before, *::after { box-sizing: border-box; }
html { -webkit-text-size-adjust: 100%; text-size-adjust: 100%; }
body { margin: 0 auto; max-width: 52rem; padding: 0 1rem 2rem; font-family: "DejaVu Sans", "Liberation Sans",
  Arial, sans-serif; line-height: 1.5; color: #1a1a1a; background: #fdfdfb; }
a { color: #0b4f8a; }
a:focus-visible, button:focus-visible, input:focus-visible { outline: 3px solid #e39b00; outline-offset: 2px; }
.saltar { position: absolute; left: -999px; }
.saltar:focus { left: 1rem; top: 0.5rem; background: #fff; padding: 0.3rem; }
header.sitio { padding: 0.6rem 0; border-bottom: 1px solid #ccc; margin-bottom: 0.8rem; }
h1 { font-size: 1.6rem; line-height: 1.25; margin: 0.6rem 0; }
.formularios { display: flex; flex-wrap: wrap; gap: 0.6rem 1.2rem; margin: 0.6rem 0 1rem; }
.formularios form { flex: 1 1 16rem; }
label { display: block; font-weight: bold; margin-bottom: 0.2rem; }
.campo { display: flex; gap: 0.4rem; }
input[type=search], input[type=text] { flex: 1; min-width: 0; font-size: 1rem; padding: 0.45rem; border: 1px solid #888;
  border-radius: 4px; }
form.ir input { width: 100%; }
button { font-size: 1rem; padding: 0.45rem 0.9rem; border: 1px solid #0b4f8a; background: #0b4f8a; color: #fff;
  border-radius: 4px; cursor: pointer; }
fieldset { border: 1px solid #ccc; border-radius: 4px; margin: 0.8rem 0; }
fieldset label { font-weight: normal; display: inline-block; margin: 0.2rem 1rem 0.2rem 0; }
.ayuda { color: #444; font-size: 0.9rem; margin: 0.2rem 0; }
.sugerencias { list-style: none; padding: 0; margin: 0.2rem 0; }
.sugerencias li a { display: block; padding: 0.35rem 0.2rem; border-bottom: 1px solid #eee; }
.cantidad { font-weight: bold; }
ol.titulos li, ol.resultados li { margin: 0.25rem 0; }
ol.titulos a { display: inline-block; padding: 0.15rem 0; }
ol.resultados li { margin-bottom: 0.9rem; }
.pasaje { margin: 0.2rem 0; color: #333; }
.paginas { display: flex; gap: 1rem; align-items: center; margin: 1rem 0; }
.aviso { background: #fff4d6; border-left: 4px solid #e39b00; padding: 0.4rem 0.6rem; }
.falta { color: #666; }
dl dt { font-weight: bold; font-size: 1.2rem; }
dl dd { margin: 0.3rem 0 0; }
.raiz { margin: 0 0 0.3rem; color: #444; }
.enciclopedias { list-style: none; padding: 0; }
.enciclopedias li { border: 1px solid #ddd; border-radius: 6px; padding: 0.6rem 0.8rem; margin: 0.6rem 0; }
.enciclopedias a { font-size: 1.2rem; font-weight: bold; display: flex; align-items: center; gap: 0.5rem; }
.enciclopedias p { margin: 0.3rem 0 0; }
main img, figure img { max-width: 100%; height: auto; }
figure { margin: 1rem 0; }
.consejo { color: #555; font-size: 0.85rem; }
@media (max-width: 30rem) { body { padding: 0 0.6rem 1.5rem; } h1 { font-size: 1.35rem; } }
)";
}

std::string_view guionDelServidor() {
    return R"(// The classroom site's script: type-ahead on the title list, search as you type, and a double-click on a word
// of an article to look it up. Every page works without it.
(function () {
  'use strict';
  function despues(ms, f) { var t = 0; return function () { clearTimeout(t); t = setTimeout(f, ms); }; }

  var ir = document.getElementById('ir');
  var lista = document.getElementById('sugerencias');
  if (ir && lista && window.fetch) {
    var turnoIr = 0;
    ir.addEventListener('input', despues(120, function () {
      var turno = ++turnoIr, q = ir.value.trim();
      if (!q) { lista.textContent = ''; return; }
      fetch(ir.getAttribute('data-sugerencias') + '?q=' + encodeURIComponent(q))
        .then(function (r) { return r.json(); })
        .then(function (v) {
          if (turno !== turnoIr) { return; }
          lista.textContent = '';
          if (!v.length) {
            var nada = document.createElement('li');
            nada.textContent = 'Ningún título empieza así; pulse Intro para buscar en el texto.';
            lista.appendChild(nada);
          }
          v.forEach(function (s) {
            var li = document.createElement('li'), a = document.createElement('a');
            a.href = s.url; a.textContent = s.titulo; li.appendChild(a); lista.appendChild(li);
          });
        })
        .catch(function () {});
    }));
  }

  var q = document.getElementById('q'), resultados = document.getElementById('resultados');
  if (q && resultados && window.fetch) {
    var turnoQ = 0, accion = q.form.getAttribute('action');
    q.addEventListener('input', despues(200, function () {
      var turno = ++turnoQ, texto = q.value;
      fetch(accion + '?parcial=1&q=' + encodeURIComponent(texto))
        .then(function (r) { return r.text(); })
        .then(function (html) {
          if (turno !== turnoQ) { return; }
          resultados.innerHTML = html;
          if (window.history && history.replaceState) {
            history.replaceState(null, '', accion + '?q=' + encodeURIComponent(texto));
          }
        })
        .catch(function () {});
    }));
  }

  var principal = document.getElementById('principal');
  var diccionario = principal && principal.getAttribute('data-diccionario');
  if (diccionario) {
    principal.addEventListener('dblclick', function () {
      var palabra = String(window.getSelection ? window.getSelection() : '').trim();
      if (palabra && palabra.length < 100) {
        window.location.href = diccionario + '?p=' + encodeURIComponent(palabra);
      }
    });
  }
})();
)";
}

} // namespace render

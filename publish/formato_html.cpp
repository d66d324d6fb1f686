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
#include "publish/renderizado_adelantado.h"

#include "render/sitio.h"
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

struct ArticuloDelSitio {
    std::string titulo; // UTF-8, clean
    std::string pagina; // "articulos/X.html", or empty when the article could not be written
};

// The dictionary as a list of definitions, read as a stream line by line. Returns false on a write error.
bool escribirDiccionario(Trabajo& trabajo, Escritor& escritor, const render::Enlaces& enlaces, const QString& ruta,
                         const std::unordered_map<std::string, const ArticuloDelSitio*>& porNombre) {
    Salida salida(escritor, ruta, {"text/html", "Diccionario", false});
    salida << render::abrirDiccionario(enlaces, trabajo.titulo());
    const std::string archivo = store::unir(trabajo.enciclopedia(), store::kDict);
    const bool leido = leerLineasPorPartes(
        trabajo.enciclopedia(), archivo,
        [&](std::string_view linea) {
            const auto entrada = store::entradaDeDiccionario(linea);
            if (!entrada) {
                return;
            }
            const std::string& definicion = entrada->definicion;
            const auto referencia = store::referenciaDe(definicion);
            const auto it = referencia ? porNombre.find(store::aMayusculas(*referencia)) : porNombre.end();
            if (it != porNombre.end() && !it->second->pagina.empty()) {
                salida << render::entradaDelDiccionario(enlaces, entrada->palabra, it->second->pagina,
                                                        it->second->titulo, *referencia);
            } else {
                salida << render::entradaDelDiccionario(entrada->palabra, definicion);
            }
        },
        [&trabajo](const QString& aviso) { trabajo.avisar(aviso); });
    if (!leido) {
        salida << render::sinDiccionario();
    }
    salida << render::cerrarDiccionario(enlaces);
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
    render::Enlaces enlaces = render::Enlaces::archivos();
    const Pieza guion{"application/javascript", {}, false};
    if (!escritor.escribir(QString::fromStdString(enlaces.hojaDeEstilo(render::Lugar::Raiz)),
                           render::hojaDelSitio(enlaces, trabajo.colores()), {"text/css", {}, false}) ||
        !escritor.escribir(QString::fromStdString(enlaces.guion(render::Lugar::Raiz)), render::guionDelSitio(enlaces),
                           guion)) {
        *error = escritor.error();
        return false;
    }

    // While the articles are exported, their pictures are written from the rendering thread and their pages from
    // this one, one file at a time.
    std::mutex escritura;
    Imagenes imagenes(trabajo.enciclopedia(), enlaces, [&escritor, &escritura](const ImagenExportada& imagen) {
        std::lock_guard bloqueo(escritura);
        return escritor.escribir(imagen.nombre, imagen.bytes.toStdString(), {imagen.tipo.toStdString(), {}, false});
    });
    render::Opciones opciones;
    const ContenidoDeImg img(trabajo.enciclopedia());
    opciones.puedeExistir = [&img](const std::string& ruta) { return img.puedeExistir(ruta); };
    render::enmarcarArticulo(enlaces, trabajo.titulo(), opciones);
    opciones.imagen = [&imagenes, &enlaces](const render::Imagen& imagen) -> std::optional<std::string> {
        if (const auto nombre = imagenes.salida(imagen)) {
            return enlaces.url(render::Lugar::Carpeta, nombre->toStdString());
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
        RenderizadoAdelantado adelantadas(std::move(porRenderizar), [&](std::size_t i) {
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
            const std::string archivo = enlaces.articulo(entrada.nombre);
            std::lock_guard bloqueo(escritura);
            if (!escritor.escribir(QString::fromStdString(archivo), pagina->xhtml,
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
        Salida titulos(escritor, QString::fromStdString(enlaces.titulosDelGuion(render::Lugar::Raiz)), guion);
        titulos << render::abrirTitulosDelGuion();
        for (std::size_t i = 0; i < entradas.size(); ++i) {
            if (!articulos[i].pagina.empty()) {
                titulos << render::tituloDelGuion(enlaces, mostrado(i), articulos[i].pagina);
            }
        }
        titulos << render::cerrarTitulosDelGuion();
        if (!titulos.cerrar()) {
            *error = escritor.error();
            return false;
        }
    }

    // The lists.
    std::vector<std::pair<std::string, std::string>> paginasDeListas;
    for (std::size_t l = 0; l < listas.size(); ++l) {
        if (trabajo.cancelado()) {
            return false;
        }
        const auto& lista = listas[l];
        trabajo.avanzar(static_cast<qint64>(entradas.size() + l), total,
                        QStringLiteral("Lista %1").arg(QString::fromStdString(store::cp1252AUtf8(lista.nombre))));
        const std::string archivo = enlaces.lista(lista.nombre);
        const std::string nombre = store::cp1252AUtf8(lista.nombre);
        Salida salida(escritor, QString::fromStdString(archivo), {"text/html", nombre, false});
        salida << render::abrirLista(enlaces, lista.nombre, trabajo.titulo());
        for (const std::string& item : lista.articulos) {
            const auto it = porNombre.find(store::aMayusculas(item));
            if (it != porNombre.end() && !it->second->pagina.empty()) {
                const std::string& t = it->second->titulo;
                salida << render::lineaDeTitulo(enlaces, render::Lugar::Carpeta, it->second->pagina,
                                                t.empty() ? render::escapar(item) : render::escaparUtf8(t));
            } else {
                salida << render::lineaDeTitulo(enlaces, render::Lugar::Carpeta, {}, render::escapar(item));
                trabajo.avisar(
                    QStringLiteral("La lista «%1» nombra «%2», que no está entre los artículos "
                                   "exportados.")
                        .arg(QString::fromStdString(nombre), QString::fromStdString(store::cp1252AUtf8(item))));
            }
        }
        salida << render::cerrarLista(enlaces);
        if (!salida.cerrar()) {
            *error = escritor.error();
            return false;
        }
        paginasDeListas.emplace_back(nombre, archivo);
    }

    trabajo.avanzar(total - 2, total, QStringLiteral("Diccionario"));
    if (!escribirDiccionario(trabajo, escritor, enlaces,
                             QString::fromStdString(enlaces.diccionario(render::Lugar::Raiz)), porNombre)) {
        *error = escritor.error();
        return false;
    }

    // The index, in the order of the complete list.
    trabajo.avanzar(total - 1, total, QStringLiteral("Índice"));
    Salida indice(escritor, QString::fromStdString(enlaces.listaDeTitulos(render::Lugar::Raiz)),
                  {"text/html", trabajo.titulo(), false});
    indice << render::abrirListaDeTitulos(enlaces, trabajo.titulo(), trabajo.comentario(), paginasDeListas);
    for (std::size_t i = 0; i < entradas.size(); ++i) {
        indice << render::lineaDeTitulo(enlaces, render::Lugar::Raiz, articulos[i].pagina,
                                        render::escaparUtf8(mostrado(i)));
    }
    indice << render::cerrarListaDeTitulos(enlaces);
    if (!indice.cerrar()) {
        *error = escritor.error();
        return false;
    }
    trabajo.avanzar(total, total, QStringLiteral("Hecho"));
    return !trabajo.cancelado();
}

} // namespace publish

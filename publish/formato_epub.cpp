// The e-book:
//
//   mimetype                     "application/epub+zip", stored, first
//   META-INF/container.xml       where the package document is
//   EPUB/paquete.opf             metadata, every file of the book, the reading order
//   EPUB/portada.xhtml           the title page: the encyclopaedia's title and the author's comment
//   EPUB/indice.xhtml            the table of contents, in the order of the complete list
//   EPUB/estilo.css              the encyclopaedia's colours
//   EPUB/articulos/*.xhtml       one page per article
//   EPUB/img/*                   the pictures (BMP and ICO as PNG)

#include "publish/formato_epub.h"

#include "publish/archivos.h"
#include "publish/zip.h"

#include "render/sitio.h"
#include "render/texto_web.h"
#include "store/codificacion.h"

#include <QDateTime>
#include <QUuid>

namespace publish {

namespace {

std::string e(std::string_view utf8) {
    return render::escaparUtf8(utf8);
}

struct Manifiesto {
    std::string id;
    std::string href;
    std::string tipo;
};

} // namespace

QString FormatoEpub::nombre() const {
    return QStringLiteral("epub");
}

QString FormatoEpub::descripcion() const {
    return QStringLiteral("libro electrónico EPUB 3, para lectores de libros electrónicos");
}

QString FormatoEpub::extension() const {
    return QStringLiteral(".epub");
}

bool FormatoEpub::escribeDirectorio() const {
    return false;
}

bool FormatoEpub::escribir(Trabajo& trabajo, QString* error) {
    EscritorZip zip;
    render::Enlaces enlaces = render::Enlaces::libro();
    const auto fallo = [&] {
        *error = zip.error();
        zip.cerrar();
        return false;
    };
    if (!zip.abrir(trabajo.temporal()) || !zip.agregar("mimetype", "application/epub+zip", false) ||
        !zip.agregar("META-INF/container.xml",
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<container version=\"1.0\" xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">\n"
                     "<rootfiles><rootfile full-path=\"EPUB/paquete.opf\" "
                     "media-type=\"application/oebps-package+xml\"/></rootfiles>\n</container>\n") ||
        !zip.agregar("EPUB/" + enlaces.hojaDeEstilo(render::Lugar::Raiz),
                     render::hojaDelSitio(enlaces, trabajo.colores()))) {
        return fallo();
    }
    std::vector<Manifiesto> manifiesto = {{"estilo", enlaces.hojaDeEstilo(render::Lugar::Raiz), "text/css"}};

    int numeroImagen = 0;
    Imagenes imagenes(trabajo.enciclopedia(), enlaces, [&](const ImagenExportada& imagen) {
        const std::string href = imagen.nombre.toStdString();
        if (!zip.agregar("EPUB/" + href, imagen.bytes.toStdString(),
                         imagen.tipo != QLatin1String("image/jpeg") && imagen.tipo != QLatin1String("image/png"))) {
            return false;
        }
        manifiesto.push_back({"i" + std::to_string(++numeroImagen), href, imagen.tipo.toStdString()});
        return true;
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
    const qint64 total = static_cast<qint64>(entradas.size()) + 1;
    std::string toc;
    std::vector<std::string> lectura = {"portada", "indice"};
    std::vector<std::string> hrefs(entradas.size());
    std::vector<std::string> titulos(entradas.size());
    for (std::size_t i = 0; i < entradas.size(); ++i) {
        if (trabajo.cancelado()) {
            zip.cerrar();
            return false;
        }
        const Entrada& entrada = entradas[i];
        trabajo.avanzarArticulo(i, total);
        if (entrada.primera >= 0) {
            // The same article listed again: the same page, under the same title.
            hrefs[i] = hrefs[static_cast<std::size_t>(entrada.primera)];
            titulos[i] = titulos[static_cast<std::size_t>(entrada.primera)];
        } else if (const auto pagina = trabajo.renderizar(entrada.nombre, opciones)) {
            hrefs[i] = enlaces.articulo(entrada.nombre);
            if (!zip.agregar("EPUB/" + hrefs[i], pagina->xhtml)) {
                return fallo();
            }
            const std::string id = "a" + std::to_string(i + 1);
            manifiesto.push_back({id, hrefs[i], "application/xhtml+xml"});
            lectura.push_back(id);
            titulos[i] = pagina->titulo.empty() ? store::cp1252AUtf8(entrada.nombre) : pagina->titulo;
        }
        if (!hrefs[i].empty()) { // an article that could not be read has no page to point at
            toc += render::lineaDeTitulo(enlaces, render::Lugar::Raiz, hrefs[i], e(titulos[i]));
        }
    }

    trabajo.avanzar(total - 1, total, QStringLiteral("Índice y datos del libro"));
    const std::string portada = enlaces.portada(render::Lugar::Raiz);
    const std::string indice = enlaces.listaDeTitulos(render::Lugar::Raiz);
    if (!zip.agregar("EPUB/" + portada, render::portadaDelLibro(enlaces, trabajo.titulo(), trabajo.comentario())) ||
        !zip.agregar("EPUB/" + indice, render::tablaDeContenido(enlaces, trabajo.titulo(), toc))) {
        return fallo();
    }

    // The book's identifier stays the same from one export of the encyclopaedia to the next.
    const QUuid uuid = QUuid::createUuidV5(QUuid(QStringLiteral("{6a1f3c52-8e0b-4d2a-9f57-3b6c1d2e4f80}")),
                                           QByteArray::fromStdString(trabajo.enciclopedia() + "\n" + trabajo.titulo()));
    std::string opf = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\" unique-identifier=\"id\" "
                      "xml:lang=\"es\">\n<metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
                      "<dc:identifier id=\"id\">urn:uuid:" +
                      uuid.toString(QUuid::WithoutBraces).toStdString() + "</dc:identifier>\n<dc:title>" +
                      e(trabajo.titulo()) + "</dc:title>\n<dc:language>es</dc:language>\n";
    if (!trabajo.comentario().empty()) {
        opf += "<dc:description>" + e(trabajo.comentario()) + "</dc:description>\n";
    }
    opf += "<meta property=\"dcterms:modified\">" +
           QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ")).toStdString() +
           "</meta>\n</metadata>\n<manifest>\n<item id=\"portada\" href=\"" + e(portada) +
           "\" media-type=\"application/xhtml+xml\"/>\n<item id=\"indice\" href=\"" + e(indice) +
           "\" media-type=\"application/xhtml+xml\" properties=\"nav\"/>\n";
    for (const Manifiesto& m : manifiesto) {
        opf += "<item id=\"" + m.id + "\" href=\"" + e(enlaces.url(render::Lugar::Raiz, m.href)) + "\" media-type=\"" +
               m.tipo + "\"/>\n";
    }
    opf += "</manifest>\n<spine>\n";
    for (const std::string& id : lectura) {
        opf += "<itemref idref=\"" + id + "\"/>\n";
    }
    opf += "</spine>\n</package>\n";
    if (!zip.agregar("EPUB/paquete.opf", opf) || !zip.cerrar()) {
        *error = zip.error();
        return false;
    }
    trabajo.avanzar(total, total, QStringLiteral("Hecho"));
    return !trabajo.cancelado();
}

} // namespace publish

#include "publish/archivos.h"

#include "store/articulo.h"
#include "store/codificacion.h"
#include "store/enciclopedia.h"
#include "store/rutas.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include <filesystem>

namespace publish {

ContenidoDeImg::ContenidoDeImg(const std::string& enciclopedia) : enciclopedia_(enciclopedia) {
    std::error_code ec;
    const std::filesystem::path img = store::resolver(store::unir(enciclopedia, store::kImg));
    for (std::filesystem::directory_iterator it(img, ec), fin; !ec && it != fin; it.increment(ec)) {
        if (const auto nombre = store::utf8ACp1252(it->path().filename().string())) {
            nombres_.insert(store::aMayusculas(*nombre));
        } else {
            return; // a name the store cannot spell: say nothing is missing rather than guess
        }
    }
    listado_ = !ec;
}

bool ContenidoDeImg::puedeExistir(const std::string& ruta) const {
    // enciclopedia + "\Img\" (or "\img\", "\IMG\") + the name
    const std::size_t desde = enciclopedia_.size() + 5;
    if (!listado_ || ruta.size() <= desde || ruta.compare(0, enciclopedia_.size(), enciclopedia_) != 0 ||
        !store::igualesSinCaso(std::string_view(ruta).substr(enciclopedia_.size(), 5), "\\IMG\\")) {
        return true;
    }
    const std::string_view nombre = std::string_view(ruta).substr(desde);
    if (nombre.find_first_of("\\/") != std::string_view::npos) {
        return true;
    }
    return nombres_.count(store::aMayusculas(nombre)) > 0;
}

std::optional<ImagenExportada> convertirImagen(const QByteArray& bytes) {
    QBuffer bufer;
    bufer.setData(bytes);
    bufer.open(QIODevice::ReadOnly);
    QImageReader lector(&bufer);
    lector.setAllocationLimit(512); // megabytes: a picture that claims more is refused, not decoded
    if (const render::FormatoDeImagen* formato = render::formatoDeImagen(lector.format().toStdString());
        formato && formato->pasa) {
        // Kept as they are, once the header says they are what they claim: a reader shows them as they are.
        if (!lector.canRead()) {
            return std::nullopt;
        }
        return ImagenExportada{QString::fromLatin1(formato->extension), QString::fromLatin1(formato->tipo), bytes};
    }
    const QImage imagen = lector.read();
    if (imagen.isNull()) {
        return std::nullopt;
    }
    QByteArray png;
    QBuffer salida(&png);
    salida.open(QIODevice::WriteOnly);
    if (!imagen.save(&salida, "PNG")) {
        return std::nullopt;
    }
    return ImagenExportada{QString::fromLatin1(render::formatoPng().extension),
                           QString::fromLatin1(render::formatoPng().tipo), png};
}

Imagenes::Imagenes(std::string enciclopedia, render::Enlaces& enlaces, Escribir escribir)
    : enciclopedia_(std::move(enciclopedia)), enlaces_(enlaces), escribir_(std::move(escribir)) {}

std::optional<QString> Imagenes::salida(const render::Imagen& imagen) {
    const std::string k = store::aMayusculas(imagen.ruta);
    if (const auto it = hechas_.find(k); it != hechas_.end()) {
        return it->second;
    }
    std::optional<QString> resultado;
    if (const auto bytes = store::leerImagenDentro(enciclopedia_, imagen.ruta)) {
        if (auto hecha = convertirImagen(QByteArray::fromStdString(*bytes))) {
            hecha->nombre = QString::fromStdString(enlaces_.imagen(imagen.nombre, hecha->nombre.toStdString()));
            if (escribir_(*hecha)) {
                resultado = hecha->nombre;
            }
        }
    }
    hechas_.emplace(k, resultado);
    return resultado;
}

std::optional<QByteArray> iconoPng(const std::string& enciclopedia, int lado) {
    const auto bytes = store::leerImagenDentro(enciclopedia, store::unir(enciclopedia, store::kIcono));
    if (!bytes) {
        return std::nullopt;
    }
    QByteArray datos = QByteArray::fromStdString(*bytes);
    QBuffer bufer(&datos);
    bufer.open(QIODevice::ReadOnly);
    QImageReader lector(&bufer);
    lector.setAllocationLimit(64);
    // An icon file may hold several sizes: the largest is scaled, so that 48 x 48 stays sharp.
    QImage mejor;
    do {
        const QImage i = lector.read();
        if (!i.isNull() && i.width() * i.height() > mejor.width() * mejor.height()) {
            mejor = i;
        }
    } while (lector.jumpToNextImage());
    if (mejor.isNull()) {
        return std::nullopt;
    }
    const QImage hecha = mejor.scaled(lado, lado, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                             .convertToFormat(QImage::Format_ARGB32);
    QByteArray png;
    QBuffer salida(&png);
    salida.open(QIODevice::WriteOnly);
    if (!hecha.save(&salida, "PNG")) {
        return std::nullopt;
    }
    return png;
}

} // namespace publish

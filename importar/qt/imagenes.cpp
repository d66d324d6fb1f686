#include "importar/qt/imagenes.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

namespace importar {

namespace {

// A drawing without a size of its own (or a huge one) is drawn at most this wide and high.
constexpr int kLadoMaximo = 2048;

std::optional<ImagenLista> guardar(const QImage& imagen, const char* formato, const char* extension) {
    QByteArray salida;
    QBuffer buffer(&salida);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter escritor(&buffer, formato);
    if (std::string_view(formato) == "jpeg") {
        escritor.setQuality(90);
    }
    if (!escritor.write(imagen)) {
        return std::nullopt;
    }
    return ImagenLista{std::string(salida.constData(), static_cast<std::size_t>(salida.size())), extension};
}

} // namespace

std::optional<ImagenLista> convertirConQt(std::string_view bytes, std::string_view extension) {
    const QByteArray datos = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer;
    buffer.setData(datos);
    buffer.open(QIODevice::ReadOnly);
    QImageReader lector(&buffer);
    lector.setDecideFormatFromContent(true);
    const QByteArray formato = lector.format();
    if (formato.isEmpty()) {
        return std::nullopt;
    }
    const bool dibujo = formato == "svg" || formato == "svgz";
    if (dibujo) {
        QSize tam = lector.size();
        if (!tam.isValid() || tam.isEmpty()) {
            tam = QSize(512, 512);
        }
        if (tam.width() > kLadoMaximo || tam.height() > kLadoMaximo) {
            tam.scale(kLadoMaximo, kLadoMaximo, Qt::KeepAspectRatio);
        }
        lector.setScaledSize(tam);
    }
    const QImage imagen = lector.read();
    if (imagen.isNull()) {
        return std::nullopt;
    }
    if (formato == "png" || formato == "gif" || formato == "bmp") {
        return ImagenLista{std::string(bytes), std::string(formato.constData())};
    }
    if (formato == "jpeg" || formato == "jpg") {
        return ImagenLista{std::string(bytes), "jpg"};
    }
    (void)extension;
    if (!dibujo && !imagen.hasAlphaChannel()) {
        return guardar(imagen.convertToFormat(QImage::Format_RGB32), "jpeg", "jpg");
    }
    return guardar(imagen, "png", "png");
}

} // namespace importar

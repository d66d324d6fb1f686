#include "print/imagenes.h"

#include "store/articulo.h"

namespace print {

render::UrlDeImagen ImagenesImpresas::direcciones() {
    return [this](const render::Imagen& pedida) -> std::optional<std::string> {
        const auto bytes = store::leerImagenDentro(directorio_, pedida.ruta);
        if (!bytes) {
            return std::nullopt;
        }
        QImage imagen;
        if (!imagen.loadFromData(QByteArray::fromRawData(bytes->data(), static_cast<qsizetype>(bytes->size())))) {
            return std::nullopt;
        }
        const std::string direccion = "imagen:" + std::to_string(imagenes_.size() + 1);
        imagenes_.append({QString::fromStdString(direccion), imagen});
        return direccion;
    };
}

} // namespace print

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

namespace {

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

std::string clave(const QString& s) {
    return s.toUpper().toStdString();
}

} // namespace

QString nombreAscii(std::string_view cp1252) {
    QString s;
    s.reserve(static_cast<qsizetype>(cp1252.size()));
    for (const char ch : cp1252) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
            c == '.') {
            s += QLatin1Char(ch);
        } else if (const char a = sinAcento(c)) {
            s += QLatin1Char(a);
        } else {
            s += QLatin1Char('_');
        }
    }
    while (s.startsWith(QLatin1Char('.'))) {
        s[0] = QLatin1Char('_'); // no hidden files
    }
    if (s.isEmpty()) {
        s = QStringLiteral("_");
    }
    return s;
}

std::optional<QString> NombresDeSalida::dado(std::string_view nombreStore, const QString& extension) const {
    const auto it = dados_.find(store::aMayusculas(nombreStore) + clave(extension));
    if (it == dados_.end()) {
        return std::nullopt;
    }
    return it->second;
}

QString NombresDeSalida::nombre(std::string_view nombreStore, const QString& extension) {
    const std::string k = store::aMayusculas(nombreStore) + clave(extension);
    if (const auto it = dados_.find(k); it != dados_.end()) {
        return it->second;
    }
    const QString base = nombreAscii(nombreStore);
    QString candidato = base + extension;
    for (int n = 2; !usados_.insert(clave(candidato)).second; ++n) {
        // "-n" before the base's own extension, so that the kind of file stays visible.
        const qsizetype punto = extension.isEmpty() ? base.lastIndexOf(QLatin1Char('.')) : -1;
        candidato = punto > 0 ? base.left(punto) + QStringLiteral("-%1").arg(n) + base.mid(punto) + extension
                              : base + QStringLiteral("-%1").arg(n) + extension;
    }
    dados_.emplace(k, candidato);
    return candidato;
}

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
    const QByteArray formato = lector.format().toLower();
    struct Tal {
        const char* formato;
        const char* extension;
        const char* tipo;
    };
    static const Tal kTal[] = {{"png", ".png", "image/png"},
                               {"jpeg", ".jpg", "image/jpeg"},
                               {"jpg", ".jpg", "image/jpeg"},
                               {"gif", ".gif", "image/gif"},
                               {"webp", ".webp", "image/webp"}};
    for (const Tal& t : kTal) {
        if (formato == t.formato) {
            // Kept as they are, once the header says they are what they claim: a reader shows them as they are.
            if (!lector.canRead()) {
                return std::nullopt;
            }
            return ImagenExportada{QString::fromLatin1(t.extension), QString::fromLatin1(t.tipo), bytes};
        }
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
    return ImagenExportada{QStringLiteral(".png"), QStringLiteral("image/png"), png};
}

Imagenes::Imagenes(std::string enciclopedia, QString prefijo, Escribir escribir)
    : enciclopedia_(std::move(enciclopedia)), prefijo_(std::move(prefijo)), escribir_(std::move(escribir)) {}

std::optional<QString> Imagenes::salida(const render::Imagen& imagen) {
    const std::string k = store::aMayusculas(imagen.ruta);
    if (const auto it = hechas_.find(k); it != hechas_.end()) {
        return it->second;
    }
    std::optional<QString> resultado;
    if (const auto bytes = store::leerImagenDentro(enciclopedia_, imagen.ruta)) {
        if (auto hecha = convertirImagen(QByteArray::fromStdString(*bytes))) {
            // The output keeps the picture's base name; the extension says what it now holds.
            std::string base = imagen.nombre;
            if (const auto punto = base.find_last_of('.'); punto != std::string::npos && punto > 0) {
                base.resize(punto);
            }
            hecha->nombre = prefijo_ + nombres_.nombre(base, hecha->nombre);
            if (escribir_(*hecha)) {
                resultado = hecha->nombre;
            }
        }
    }
    hechas_.emplace(k, resultado);
    return resultado;
}

std::optional<QByteArray> Imagenes::icono(int lado) const {
    const auto bytes = store::leerImagenDentro(enciclopedia_, store::unir(enciclopedia_, store::kIcono));
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

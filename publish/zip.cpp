#include "publish/zip.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <minizip/zip.h>

#include <limits>

namespace publish {

namespace {

bool ascii(const std::string& s) {
    for (const char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// What zip calls the entry's writer: version 2.0 of the format on Unix, so that the permissions below count.
constexpr int kHechoEnUnix = (3 << 8) | 20;
// Bit 11 of the general-purpose flags: the entry's name is UTF-8.
constexpr unsigned long kNombreUtf8 = 0x0800;
// A regular file, rw-r--r--, as the high half of the external attributes.
constexpr unsigned long kArchivoNormal = 0100644ul << 16;

} // namespace

EscritorZip::EscritorZip() {
    const QDateTime ahora = QDateTime::currentDateTime();
    const unsigned long hora = (static_cast<unsigned long>(ahora.time().hour()) << 11) |
                               (static_cast<unsigned long>(ahora.time().minute()) << 5) |
                               static_cast<unsigned long>(ahora.time().second() / 2);
    const unsigned long fecha = (static_cast<unsigned long>(ahora.date().year() - 1980) << 9) |
                                (static_cast<unsigned long>(ahora.date().month()) << 5) |
                                static_cast<unsigned long>(ahora.date().day());
    fechaDos_ = (fecha << 16) | hora;
}

EscritorZip::~EscritorZip() {
    if (zip_) {
        zipClose(static_cast<zipFile>(zip_), nullptr);
    }
}

bool EscritorZip::fallar(const QString& porque) {
    if (error_.isEmpty()) {
        error_ = QStringLiteral("No se puede escribir «%1»: %2").arg(ruta_, porque);
    }
    return false;
}

bool EscritorZip::abrir(const QString& ruta) {
    ruta_ = ruta;
    // minizip creates or truncates: the archive must be new, as a temporary name of the export's always is.
    if (QFileInfo::exists(ruta) || QFileInfo(ruta).isSymLink()) {
        return fallar(QStringLiteral("el archivo ya existe."));
    }
    zip_ = zipOpen64(QFile::encodeName(ruta).constData(), APPEND_STATUS_CREATE);
    if (!zip_) {
        return fallar(QStringLiteral("no se pudo crear el archivo."));
    }
    return true;
}

bool EscritorZip::agregar(const std::string& nombre, std::string_view datos, bool comprimir) {
    if (!error_.isEmpty()) {
        return false;
    }
    if (!zip_) {
        return fallar(QStringLiteral("el archivo no está abierto."));
    }
    auto* zip = static_cast<zipFile>(zip_);
    zip_fileinfo info{};
    info.dosDate = fechaDos_;
    info.external_fa = kArchivoNormal;
    const bool desinflar = comprimir && !datos.empty();
    // The 64-bit extra field goes into an entry's local header only where its sizes need it: an EPUB's
    // "mimetype" must have none.
    const int grande = datos.size() >= 0xFFFFFFFFull ? 1 : 0;
    const QString nombreVisible = QString::fromStdString(nombre);
    if (zipOpenNewFileInZip4_64(zip, nombre.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, desinflar ? Z_DEFLATED : 0,
                                desinflar ? 6 : 0, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0,
                                kHechoEnUnix, ascii(nombre) ? 0 : kNombreUtf8, grande) != ZIP_OK) {
        return fallar(QStringLiteral("no se pudo empezar la entrada «%1».").arg(nombreVisible));
    }
    std::string_view resto = datos;
    while (!resto.empty()) {
        const std::size_t trozo = std::min<std::size_t>(resto.size(), std::numeric_limits<unsigned>::max() / 2);
        if (zipWriteInFileInZip(zip, resto.data(), static_cast<unsigned>(trozo)) != ZIP_OK) {
            zipCloseFileInZip(zip);
            return fallar(QStringLiteral("no se pudo escribir la entrada «%1».").arg(nombreVisible));
        }
        resto.remove_prefix(trozo);
    }
    if (zipCloseFileInZip(zip) != ZIP_OK) {
        return fallar(QStringLiteral("no se pudo terminar la entrada «%1».").arg(nombreVisible));
    }
    return true;
}

bool EscritorZip::cerrar() {
    if (!zip_) {
        return error_.isEmpty();
    }
    const int r = zipClose(static_cast<zipFile>(zip_), nullptr);
    zip_ = nullptr;
    if (!error_.isEmpty()) {
        return false;
    }
    if (r != ZIP_OK) {
        return fallar(QStringLiteral("no se pudo escribir el directorio central del archivo."));
    }
    return true;
}

} // namespace publish

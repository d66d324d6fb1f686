#include "publish/zip.h"

#include <QDateTime>

#include <zlib.h>

namespace publish {

namespace {

void poner16(std::string& s, std::uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}

void poner32(std::string& s, std::uint32_t v) {
    poner16(s, v & 0xFFFF);
    poner16(s, v >> 16);
}

bool ascii(const std::string& s) {
    for (const char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

} // namespace

EscritorZip::EscritorZip() : flujo_(new z_stream{}) {
    auto* z = static_cast<z_stream*>(flujo_);
    deflateInit2(z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    const QDateTime ahora = QDateTime::currentDateTime();
    hora_ = static_cast<std::uint16_t>((ahora.time().hour() << 11) | (ahora.time().minute() << 5) |
                                       (ahora.time().second() / 2));
    fecha_ = static_cast<std::uint16_t>(((ahora.date().year() - 1980) << 9) | (ahora.date().month() << 5) |
                                        ahora.date().day());
}

EscritorZip::~EscritorZip() {
    auto* z = static_cast<z_stream*>(flujo_);
    deflateEnd(z);
    delete z;
}

bool EscritorZip::fallar(const QString& porque) {
    if (error_.isEmpty()) {
        error_ = QStringLiteral("No se puede escribir «%1»: %2").arg(archivo_.fileName(), porque);
    }
    return false;
}

bool EscritorZip::abrir(const QString& ruta) {
    archivo_.setFileName(ruta);
    if (!archivo_.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        return fallar(archivo_.errorString());
    }
    return true;
}

bool EscritorZip::escribir(std::string_view bytes) {
    if (archivo_.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        return fallar(archivo_.errorString());
    }
    escrito_ += bytes.size();
    return true;
}

bool EscritorZip::agregar(const std::string& nombre, std::string_view datos, bool comprimir) {
    if (!error_.isEmpty()) {
        return false;
    }
    if (entradas_.size() >= 0xFFFF) {
        return fallar(QStringLiteral("un archivo zip sin su extensión de 64 bits no puede tener más de 65.535 "
                                     "entradas."));
    }
    Entrada e;
    e.nombre = nombre;
    e.tamano = static_cast<std::uint32_t>(datos.size());
    e.crc = static_cast<std::uint32_t>(
        crc32_z(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(datos.data()), datos.size()));
    e.desplazamiento = static_cast<std::uint32_t>(escrito_);
    std::string_view cuerpo = datos;
    if (comprimir && !datos.empty()) {
        auto* z = static_cast<z_stream*>(flujo_);
        deflateReset(z);
        comprimido_.resize(deflateBound(z, static_cast<uLong>(datos.size())));
        z->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(datos.data()));
        z->avail_in = static_cast<uInt>(datos.size());
        z->next_out = reinterpret_cast<Bytef*>(comprimido_.data());
        z->avail_out = static_cast<uInt>(comprimido_.size());
        if (deflate(z, Z_FINISH) != Z_STREAM_END) {
            return fallar(QStringLiteral("zlib no pudo comprimir «%1».").arg(QString::fromStdString(nombre)));
        }
        if (z->total_out < datos.size()) {
            cuerpo = std::string_view(comprimido_.data(), z->total_out);
            e.metodo = 8;
        }
    }
    e.comprimido = static_cast<std::uint32_t>(cuerpo.size());
    if (escrito_ + 30 + nombre.size() + cuerpo.size() + 46 * (entradas_.size() + 1) > 0xFFFFFFF0ull ||
        datos.size() > 0xFFFFFFF0ull) {
        return fallar(QStringLiteral("un archivo zip sin su extensión de 64 bits no puede pasar de 4 GB."));
    }
    std::string cabecera;
    poner32(cabecera, 0x04034b50);
    poner16(cabecera, 20);
    poner16(cabecera, ascii(nombre) ? 0 : 0x0800);
    poner16(cabecera, e.metodo);
    poner16(cabecera, hora_);
    poner16(cabecera, fecha_);
    poner32(cabecera, e.crc);
    poner32(cabecera, e.comprimido);
    poner32(cabecera, e.tamano);
    poner16(cabecera, static_cast<std::uint32_t>(nombre.size()));
    poner16(cabecera, 0);
    cabecera += nombre;
    if (!escribir(cabecera) || !escribir(cuerpo)) {
        return false;
    }
    entradas_.push_back(std::move(e));
    return true;
}

bool EscritorZip::cerrar() {
    if (!error_.isEmpty()) {
        archivo_.close();
        return false;
    }
    std::string directorio;
    for (const Entrada& e : entradas_) {
        poner32(directorio, 0x02014b50);
        poner16(directorio, 0x0314); // made by: version 2.0 on Unix
        poner16(directorio, 20);
        poner16(directorio, ascii(e.nombre) ? 0 : 0x0800);
        poner16(directorio, e.metodo);
        poner16(directorio, hora_);
        poner16(directorio, fecha_);
        poner32(directorio, e.crc);
        poner32(directorio, e.comprimido);
        poner32(directorio, e.tamano);
        poner16(directorio, static_cast<std::uint32_t>(e.nombre.size()));
        poner16(directorio, 0);
        poner16(directorio, 0);
        poner16(directorio, 0);
        poner16(directorio, 0);
        poner32(directorio, 0100644u << 16); // a regular file, rw-r--r--
        poner32(directorio, e.desplazamiento);
        directorio += e.nombre;
    }
    const auto desplazamiento = static_cast<std::uint32_t>(escrito_);
    std::string fin;
    poner32(fin, 0x06054b50);
    poner16(fin, 0);
    poner16(fin, 0);
    poner16(fin, static_cast<std::uint32_t>(entradas_.size()));
    poner16(fin, static_cast<std::uint32_t>(entradas_.size()));
    poner32(fin, static_cast<std::uint32_t>(directorio.size()));
    poner32(fin, desplazamiento);
    poner16(fin, 0);
    if (!escribir(directorio) || !escribir(fin) || !archivo_.flush()) {
        archivo_.close();
        return false;
    }
    archivo_.close();
    if (archivo_.error() != QFileDevice::NoError) {
        return fallar(archivo_.errorString());
    }
    return true;
}

} // namespace publish

#pragma once

// A zip archive written front to back, one entry at a time, as e-books need it: an entry may be stored (the
// "mimetype" entry of an EPUB must be, and first) or deflated with zlib. Only the central directory (some
// tens of bytes per entry) is kept in memory until the end. Archives are limited to 65,535 entries and 4 GB,
// what a zip without its 64-bit extension can say; beyond that agregar() fails with a message.

#include <QFile>
#include <QString>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace publish {

class EscritorZip {
public:
    EscritorZip();
    ~EscritorZip();
    EscritorZip(const EscritorZip&) = delete;
    EscritorZip& operator=(const EscritorZip&) = delete;

    // Creates the archive (the file must not exist yet).
    bool abrir(const QString& ruta);
    // `nombre`: the entry's path inside the archive, "/" between its parts.
    bool agregar(const std::string& nombre, std::string_view datos, bool comprimir = true);
    // Writes the central directory and closes the file.
    bool cerrar();
    const QString& error() const { return error_; }

private:
    struct Entrada {
        std::string nombre;
        std::uint32_t crc = 0;
        std::uint32_t comprimido = 0;
        std::uint32_t tamano = 0;
        std::uint32_t desplazamiento = 0;
        std::uint16_t metodo = 0;
    };
    bool escribir(std::string_view bytes);
    bool fallar(const QString& porque);

    QFile archivo_;
    std::vector<Entrada> entradas_;
    std::uint64_t escrito_ = 0;
    std::string comprimido_; // reused for each entry
    void* flujo_;            // the zlib stream, reused with a reset per entry
    std::uint16_t hora_ = 0;
    std::uint16_t fecha_ = 0;
    QString error_;
};

} // namespace publish

#pragma once

// A zip archive written front to back, one entry at a time, as e-books need it, through minizip: an entry may
// be stored (the "mimetype" entry of an EPUB must be, first and without an extra field) or deflated. minizip
// adds the 64-bit extension where the archive needs it (more than 65,535 entries, or beyond 4 GB), so an
// archive has no limit of its own here.

#include <QString>

#include <string>
#include <string_view>

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
    bool fallar(const QString& porque);

    QString ruta_;
    void* zip_ = nullptr; // minizip's zipFile, open between abrir() and cerrar()
    unsigned long fechaDos_ = 0;
    QString error_;
};

} // namespace publish

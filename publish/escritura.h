#pragma once

// Writing the files of an export under its temporary directory, and reading a large store file as a stream.

#include <QFile>
#include <QString>

#include <functional>
#include <string>
#include <string_view>

namespace publish {

// Files and directories below one base directory (an export's temporary directory). The first failure is kept
// as a Spanish message naming the file.
class Escritor {
public:
    explicit Escritor(QString base) : base_(std::move(base)) {}
    // `relativa` empty: the base itself.
    bool crearDirectorio(const QString& relativa);
    bool escribir(const QString& relativa, std::string_view bytes);
    QString ruta(const QString& relativa) const;
    const QString& error() const { return error_; }
    void fallo(const QString& relativa, const QString& porque);

private:
    QString base_;
    QString error_;
};

// One file written in pieces through a buffer, for pages too large to build in memory first (an index of
// 100,000 titles). cerrar() says whether everything reached the disk.
class Salida {
public:
    Salida(Escritor& escritor, const QString& relativa);
    ~Salida();
    Salida& operator<<(std::string_view texto);
    bool cerrar();

private:
    void vaciar();
    Escritor& escritor_;
    QString relativa_;
    QFile archivo_;
    std::string bufer_;
    bool bien_ = true;
    bool cerrado_ = false;
};

// Calls porLinea with each line of the file `ruta` of the encyclopaedia `directorio` (lines by the store's rules),
// reading a piece at a time so that a file of any size costs a bounded amount of memory. A file that is a
// symbolic link or lies outside the directory is not read. Returns false (after telling `avisar` why, unless the
// file simply does not exist) when the file could not be read.
bool leerLineasPorPartes(const std::string& directorio, const std::string& ruta,
                         const std::function<void(std::string_view)>& porLinea,
                         const std::function<void(const QString&)>& avisar);

} // namespace publish

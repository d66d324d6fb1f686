#pragma once

// Writing the files of an export under its temporary directory, and reading a large store file as a stream.

#include <QFile>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace publish {

// What a written file is to a container that keeps more than bytes (a ZIM file keeps a media type and a title for
// each entry, and knows its articles).
struct Pieza {
    std::string tipo = "text/html"; // media type
    std::string titulo;             // UTF-8; empty for what is not a page
    bool articulo = false;          // one of the encyclopaedia's articles (a ZIM reader's search lists them)
};

// One file being written in pieces (see Escritor::abrir).
class Flujo {
public:
    virtual ~Flujo() = default;
    virtual void agregar(std::string_view trozo) = 0;
    // Says whether everything reached its place.
    virtual bool cerrar() = 0;
};

// Files and directories below one base directory (an export's temporary directory). The first failure is kept
// as a Spanish message naming the file. A container of another kind (a ZIM file) derives from it.
class Escritor {
public:
    explicit Escritor(QString base) : base_(std::move(base)) {}
    virtual ~Escritor() = default;
    // `relativa` empty: the base itself.
    virtual bool crearDirectorio(const QString& relativa);
    virtual bool escribir(const QString& relativa, std::string_view bytes, const Pieza& pieza = {});
    // A file written in pieces, for pages too large to build in memory first (an index of 100,000 titles).
    virtual std::unique_ptr<Flujo> abrir(const QString& relativa, const Pieza& pieza = {});
    QString ruta(const QString& relativa) const;
    const QString& error() const { return error_; }
    void fallo(const QString& relativa, const QString& porque);

private:
    QString base_;
    QString error_;
};

// A Flujo used as a stream: Salida(escritor, "index.html") << "<html>" ...; cerrar() says whether all was written.
class Salida {
public:
    Salida(Escritor& escritor, const QString& relativa, const Pieza& pieza = {})
        : flujo_(escritor.abrir(relativa, pieza)) {}
    ~Salida() {
        if (flujo_) {
            flujo_->cerrar();
        }
    }
    Salida& operator<<(std::string_view texto) {
        flujo_->agregar(texto);
        return *this;
    }
    bool cerrar() {
        const bool bien = flujo_->cerrar();
        flujo_.reset();
        return bien;
    }

private:
    std::unique_ptr<Flujo> flujo_;
};

// Calls porLinea with each line of the file `ruta` of the encyclopaedia `directorio` (lines by the store's rules),
// reading a piece at a time so that a file of any size costs a bounded amount of memory. A file that is a
// symbolic link or lies outside the directory is not read. Returns false (after telling `avisar` why, unless the
// file simply does not exist) when the file could not be read.
bool leerLineasPorPartes(const std::string& directorio, const std::string& ruta,
                         const std::function<void(std::string_view)>& porLinea,
                         const std::function<void(const QString&)>& avisar);

} // namespace publish

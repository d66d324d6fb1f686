#pragma once

// What the server's tests share: a private store with the sample encyclopaedias, the server running on a thread
// of its own on a loopback port, and a plain blocking client that sends raw bytes and reads raw answers.

#include "server/http.h"
#include "server/sitio.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <memory>
#include <mutex>

namespace prueba {

// A temporary drive root with the samples (C:\ENCICLO\SOLAR, C:\ENCICLO\RIOS) that LUMBRE_UNIDADES points at,
// and a cache directory of its own for the search indexes.
class Almacen {
public:
    Almacen();
    bool valido() const { return valido_; }
    // The native path of a stored path ("C:\ENCICLO\SOLAR\SOL.TXT").
    QString nativa(const QString& rutaAlmacen) const;
    QString raiz() const { return dir_.path(); }
    bool escribir(const QString& rutaAlmacen, const QByteArray& bytes) const;
    // Every file under the drive root with a digest of its bytes (symbolic links by their target).
    QMap<QString, QByteArray> huellas() const;

private:
    QTemporaryDir dir_;
    bool valido_ = false;
};

struct Contestacion {
    int estado = 0;
    QByteArray cabeza;
    QByteArray cuerpo;
    QByteArray cabecera(const QByteArray& nombre) const; // case-insensitive, first one
};

// Splits what a server sent into its answers; answers to HEAD (`cabezas` of them, counted from the first)
// have no body whatever their Content-Length says.
QList<Contestacion> separar(const QByteArray& bytes, int cabezas = 0);

// Connects to 127.0.0.1:puerto, sends `bruto`, and reads until the server closes or `ms` pass.
QByteArray intercambiar(quint16 puerto, const QByteArray& bruto, int ms = 10000);
// One GET (or HEAD) with "Connection: close" and the given extra header lines.
Contestacion pedir(quint16 puerto, const QByteArray& destino, const QByteArray& extra = {},
                   const QByteArray& metodo = "GET");

// The site and the HTTP server on a thread with its own event loop, so that a test may block on its sockets.
class ServidorDePrueba {
public:
    ServidorDePrueba(const std::vector<std::string>& directorios, server::Limites limites,
                     server::Opciones opciones = {});
    ~ServidorDePrueba();
    quint16 puerto() const { return puerto_; }
    QList<QByteArray> registro() const;
    server::Sitio& sitio() { return *sitio_; }

private:
    QThread hilo_;
    std::unique_ptr<server::Sitio> sitio_;
    QObject* ancla_ = nullptr; // lives on hilo_, where the server's objects are made and destroyed
    server::ServidorHttp* http_ = nullptr;
    quint16 puerto_ = 0;
    mutable std::mutex mutex_;
    QList<QByteArray> lineas_;
};

} // namespace prueba

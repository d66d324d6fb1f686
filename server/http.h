#pragma once

// The classroom server's HTTP/1.1 transport, read-only by design (GET and HEAD only), on libmicrohttpd: the
// library reads and parses the requests, keeps the connections on a few threads that wait on epoll, limits
// the connections in all and from one address, and writes the answers (a file straight from the file). This
// layer adds what the library lacks and the classroom needs: strict requests, a deadline for a whole request
// header, a least rate at which a client must take its answer, the answers to conditional requests, and one
// log line per request.
//
// Bounds: a request target longer than Limites::largoDestino is answered 414, a request line and headers
// beyond Limites::largoCabeceras 400; a client that does not send its whole request header within
// Limites::msPeticion of its first byte gets 408 and is closed, however it trickles; one that leaves a
// kept-alive connection unused for Limites::msReposo is closed, and one that takes less of its answer than
// Limites::minimoLectura bytes a second, over each Limites::msEscritura, is dropped. Beyond Limites::conexiones
// open connections no more are accepted until one closes (the rest wait in the system's queue); beyond
// Limites::porDireccion from one address (0: no limit, for a reverse proxy) the next is refused.
//
// Handlers run on the library's threads, except those the site says may block (a search, a dictionary look-up):
// these wait on a queue of their own, with their connection suspended, so that a page or a style sheet never
// waits behind them. Each request is logged as one line: time, address, method, target, status, bytes of the
// body, milliseconds; every byte that came from the network is escaped.

#include "server/rutas.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPair>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace server {

struct Limites {
    int largoDestino = 2048;         // bytes of the request target ("/e/x/buscar?q=...")
    int largoCabeceras = 16384;      // bytes of the request line and every header together
    int cabeceras = 64;              // header lines
    int msPeticion = 10000;          // from the first byte of a request to the end of its headers
    int msReposo = 15000;            // a kept-alive connection waiting for its next request
    int msEscritura = 30000;         // each window over which the client must take minimoLectura bytes a second
    int minimoLectura = 1024;        // bytes a second
    int conexiones = 4096;           // connections open at once (lowered to what the open-file limit allows)
    int porDireccion = 300;          // connections open at once from one address; 0: no limit
    int hilos = 0;                   // threads for the handlers that may block; 0: one per core, at least two
    int hilosRed = 2;                // the library's threads, each waiting on its own epoll
    int cola = 512;                  // blocking requests waiting at once; beyond, 503
    int cacheGzip = 64 << 20;        // bytes of compressed answers kept
    bool registrarConsultas = false; // log what was searched or looked up next to the address
};

// An open file an answer is sent from; closed when the last answer that holds it is gone.
struct Archivo {
    int fd = -1;
    std::int64_t tamano = 0;
    Archivo(int descriptor, std::int64_t bytes) : fd(descriptor), tamano(bytes) {}
    Archivo(const Archivo&) = delete;
    Archivo& operator=(const Archivo&) = delete;
    ~Archivo();
};

struct Respuesta {
    int estado = 200;
    QByteArray tipo = "text/html; charset=utf-8";
    QByteArray cuerpo;
    // Instead of `cuerpo`: the answer is this file's bytes, sent from the file.
    std::shared_ptr<const Archivo> archivo;
    // The entity tag without its quotes; left empty on a 200, one is made from the body.
    QByteArray etiqueta;
    std::optional<std::int64_t> modificado; // Last-Modified, seconds since the epoch
    // Whether Last-Modified alone tells that the body changed (a file served as it is): only then is a request
    // with If-Modified-Since and no If-None-Match answered 304. A page made from several files says false.
    bool modificadoBasta = true;
    QByteArray cache = "public, max-age=5"; // Cache-Control
    Cabeceras cabeceras;                    // any others
    QByteArray nota;                        // a few words for the log line (why a request was refused)
};

using Manejador = std::function<Respuesta(const Peticion&)>;
using Registro = std::function<void(const QByteArray& linea)>;
// Whether a request's handler may block (and so waits on the queue of its own).
using Bloquea = std::function<bool(const Peticion&)>;

// "Tue, 08 Dec 2026 10:00:00 GMT"
QByteArray fechaHttp(std::int64_t segundos);

class ServidorHttp : public QObject {
public:
    // `registro` receives each log line (without its line end); by default they go to the error output.
    ServidorHttp(Manejador manejador, Limites limites = {}, Registro registro = {}, QObject* padre = nullptr);
    ~ServidorHttp() override;

    // Which requests wait on the queue for blocking handlers; set before escuchar. None by default.
    void colaAparte(Bloquea bloquea);
    // Starts listening; false with the reason (Spanish) when the address or port cannot be taken.
    bool escuchar(const QHostAddress& direccion, quint16 puerto, QString* error = nullptr);
    quint16 puerto() const;
    // Stops accepting, finishes the answers under way on the queue and closes every connection.
    void cerrar();

    int conexionesAbiertas() const;
    const Limites& limites() const;

    class Impl;

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace server

#pragma once

// A small HTTP/1.1 server over QTcpServer, read-only by design: GET and HEAD only, one request at a time per
// connection (pipelined requests are answered in order, the next one read only once the previous answer is
// written), every size and every wait bounded. Requests are answered on a pool of worker threads, so a slow
// answer holds up nobody else; the sockets stay on the thread of the event loop.
//
// Bounds: a request target longer than Limites::largoDestino is answered 414, a request line and headers
// beyond Limites::largoCabeceras 400; a client that does not send its whole request within
// Limites::msPeticion gets 408 and is closed, one that leaves a kept-alive connection unused for
// Limites::msReposo is closed, and one that does not take its answer within Limites::msEscritura is
// dropped. Beyond Limites::conexiones open connections no more are accepted until one closes, and a
// connection reads no further than one request ahead, so a burst costs a bounded amount of memory and
// waits in the system's queues. Each request is logged as one line: time, address, method, target, status,
// bytes of the body, milliseconds.

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPair>
#include <QThreadPool>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QTcpServer;

namespace servidor {

struct Limites {
    int largoDestino = 2048;    // bytes of the request target ("/e/x/buscar?q=...")
    int largoCabeceras = 16384; // bytes of the request line and every header together
    int cabeceras = 64;         // header lines
    int msPeticion = 10000;     // from the first byte of a request to the end of its headers
    int msReposo = 15000;       // a kept-alive connection waiting for its next request
    int msEscritura = 30000;    // an answer that the client does not take
    int conexiones = 256;       // connections open at once
    int hilos = 0;              // worker threads; 0: one per core, at least two
};

using Cabeceras = QList<QPair<QByteArray, QByteArray>>;

struct Peticion {
    QByteArray metodo;   // "GET" or "HEAD"
    QByteArray destino;  // as sent: "/e/solar/buscar?q=sol"
    QByteArray ruta;     // the part before "?", still percent-encoded
    QByteArray consulta; // the part after "?", still encoded
    Cabeceras cabeceras; // names in lower case
    QByteArray cabecera(const QByteArray& nombreEnMinusculas) const;
};

struct Respuesta {
    int estado = 200;
    QByteArray tipo = "text/html; charset=utf-8";
    QByteArray cuerpo;
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

// Percent-decoding of a path or a query value; nothing for a malformed escape. With `masEsEspacio`, "+"
// stands for a space (HTML forms).
std::optional<QByteArray> decodificar(const QByteArray& codificado, bool masEsEspacio = false);
// Every value of `nombre` in a query string, decoded, in order; a malformed one is left out.
QList<QByteArray> parametros(const QByteArray& consulta, const QByteArray& nombre);
// The first value of `nombre`, or an empty array.
QByteArray parametro(const QByteArray& consulta, const QByteArray& nombre);
// A strong entity tag made from bytes (64-bit FNV-1a, in hex).
QByteArray etiquetaDe(const QByteArray& bytes);
// "Tue, 08 Dec 2026 10:00:00 GMT"
QByteArray fechaHttp(std::int64_t segundos);

class ServidorHttp : public QObject {
    Q_OBJECT
public:
    // `registro` receives each log line (without its line end); by default they go to the error output.
    ServidorHttp(Manejador manejador, Limites limites = {}, Registro registro = {}, QObject* padre = nullptr);
    ~ServidorHttp() override;

    // Starts listening; false with the reason (Spanish) when the address or port cannot be taken.
    bool escuchar(const QHostAddress& direccion, quint16 puerto, QString* error = nullptr);
    quint16 puerto() const;
    // Stops accepting, closes every connection and waits for the answers under way.
    void cerrar();

    int conexionesAbiertas() const { return abiertas_; }

private:
    class Conexion;
    friend class Conexion;
    void aceptar();
    void conexionCerrada();

    Manejador manejador_;
    Limites limites_;
    Registro registro_;
    QTcpServer* tcp_;
    QThreadPool hilos_;
    int abiertas_ = 0;
    bool pausado_ = false;
};

} // namespace servidor

#include "server/http.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <utility>

namespace servidor {

namespace {

int valorHex(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

QByteArray textoDeEstado(int estado) {
    switch (estado) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 303:
        return "See Other";
    case 304:
        return "Not Modified";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case 414:
        return "URI Too Long";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    case 505:
        return "HTTP Version Not Supported";
    default:
        return "Status";
    }
}

// What a log line may show of a target sent by anybody: printable ASCII, the rest escaped, and not too long.
QByteArray paraElRegistro(const QByteArray& texto) {
    QByteArray s;
    const qsizetype n = qMin<qsizetype>(texto.size(), 300);
    for (qsizetype i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(texto[i]);
        if (c < 0x21 || c > 0x7e) {
            s += '%';
            s += QByteArray::number(c, 16).rightJustified(2, '0').toUpper();
        } else {
            s += static_cast<char>(c);
        }
    }
    if (texto.size() > n) {
        s += "...";
    }
    return s;
}

// True when an If-None-Match header names the tag (weak or strong, or "*").
bool coincideEtiqueta(const QByteArray& cabecera, const QByteArray& etiqueta) {
    for (QByteArray parte : cabecera.split(',')) {
        parte = parte.trimmed();
        if (parte == "*") {
            return true;
        }
        if (parte.startsWith("W/")) {
            parte = parte.mid(2);
        }
        if (parte.size() >= 2 && parte.front() == '"' && parte.back() == '"' &&
            parte.mid(1, parte.size() - 2) == etiqueta) {
            return true;
        }
    }
    return false;
}

Respuesta error(int estado, QByteArray nota) {
    Respuesta r;
    r.estado = estado;
    r.tipo = "text/plain; charset=utf-8";
    r.cuerpo = QByteArray::number(estado) + ' ' + textoDeEstado(estado) + '\n';
    r.cache = "no-store";
    r.nota = std::move(nota);
    return r;
}

} // namespace

QByteArray Peticion::cabecera(const QByteArray& nombreEnMinusculas) const {
    for (const auto& [nombre, valor] : cabeceras) {
        if (nombre == nombreEnMinusculas) {
            return valor;
        }
    }
    return {};
}

std::optional<QByteArray> decodificar(const QByteArray& codificado, bool masEsEspacio) {
    QByteArray s;
    s.reserve(codificado.size());
    for (qsizetype i = 0; i < codificado.size(); ++i) {
        const char c = codificado[i];
        if (c == '%') {
            if (i + 2 >= codificado.size()) {
                return std::nullopt;
            }
            const int alto = valorHex(codificado[i + 1]);
            const int bajo = valorHex(codificado[i + 2]);
            if (alto < 0 || bajo < 0) {
                return std::nullopt;
            }
            s += static_cast<char>(alto * 16 + bajo);
            i += 2;
        } else if (c == '+' && masEsEspacio) {
            s += ' ';
        } else {
            s += c;
        }
    }
    return s;
}

QList<QByteArray> parametros(const QByteArray& consulta, const QByteArray& nombre) {
    QList<QByteArray> valores;
    for (const QByteArray& par : consulta.split('&')) {
        const qsizetype igual = par.indexOf('=');
        const QByteArray clave = igual < 0 ? par : par.left(igual);
        if (decodificar(clave, true) != nombre) {
            continue;
        }
        if (auto valor = decodificar(igual < 0 ? QByteArray() : par.mid(igual + 1), true)) {
            valores << *valor;
        }
    }
    return valores;
}

QByteArray parametro(const QByteArray& consulta, const QByteArray& nombre) {
    const QList<QByteArray> valores = parametros(consulta, nombre);
    return valores.isEmpty() ? QByteArray() : valores.front();
}

QByteArray etiquetaDe(const QByteArray& bytes) {
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : bytes) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    return QByteArray::number(static_cast<qulonglong>(h), 16).rightJustified(16, '0');
}

QByteArray fechaHttp(std::int64_t segundos) {
    static const char* const dias[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static const char* const meses[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QDateTime t = QDateTime::fromSecsSinceEpoch(segundos, Qt::UTC);
    const QDate d = t.date();
    const QTime h = t.time();
    char texto[64];
    std::snprintf(texto, sizeof texto, "%s, %02d %s %04d %02d:%02d:%02d GMT", dias[d.dayOfWeek() - 1], d.day(),
                  meses[d.month() - 1], d.year(), h.hour(), h.minute(), h.second());
    return texto;
}

// One client connection. It reads one request, hands it to a worker, writes the answer, and only then looks
// at what the client sent next.
class ServidorHttp::Conexion : public QObject {
public:
    Conexion(ServidorHttp* servidor, QTcpSocket* socket) : QObject(servidor), servidor_(servidor), socket_(socket) {
        socket_->setParent(this);
        // The socket's own buffer never holds more than one request's headers beyond what was parsed: the rest
        // waits in the system's queue, where a client that sends too much is slowed down by TCP itself.
        socket_->setReadBufferSize(servidor_->limites_.largoCabeceras + 1);
        // An answer goes out at once, whole: without this a small answer can wait for the client's delayed ACK.
        socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        direccion_ = socket_->peerAddress();
        bool v4 = false;
        const quint32 ip4 = direccion_.toIPv4Address(&v4);
        if (v4) {
            direccion_ = QHostAddress(ip4);
        }
        reloj_.setSingleShot(true);
        connect(&reloj_, &QTimer::timeout, this, &Conexion::agotado);
        connect(socket_, &QTcpSocket::readyRead, this, &Conexion::leer);
        connect(socket_, &QTcpSocket::bytesWritten, this, &Conexion::escrito);
        connect(socket_, &QTcpSocket::disconnected, this, &Conexion::terminar);
        connect(socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
            if (e != QAbstractSocket::RemoteHostClosedError || estado_ != Estado::Respondiendo) {
                terminar();
            }
        });
        esperarPeticion();
        leer();
    }

    void abortar() {
        socket_->abort();
        terminar();
    }

    // On the event loop's thread, with the worker's answer.
    void responder(Respuesta r) {
        if (estado_ != Estado::Atendiendo) {
            return;
        }
        if (peticion_.metodo == "GET" || peticion_.metodo == "HEAD") {
            if (r.estado == 200 && r.etiqueta.isEmpty()) {
                r.etiqueta = etiquetaDe(r.cuerpo);
            }
            if (r.estado == 200) {
                const QByteArray siNo = peticion_.cabecera("if-none-match");
                if (!siNo.isEmpty() ? coincideEtiqueta(siNo, r.etiqueta) : siNoModificado(r)) {
                    r.estado = 304;
                    r.cuerpo.clear();
                }
            }
        }
        enviar(r);
    }

private:
    enum class Estado { Esperando, Atendiendo, Respondiendo, Cerrada };

    void esperarPeticion() {
        estado_ = Estado::Esperando;
        reloj_.start(bufer_.isEmpty() ? servidor_->limites_.msReposo : servidor_->limites_.msPeticion);
        empezada_ = !bufer_.isEmpty();
    }

    bool siNoModificado(const Respuesta& r) const {
        const QByteArray desde = peticion_.cabecera("if-modified-since");
        if (desde.isEmpty() || !r.modificado || !r.modificadoBasta) {
            return false;
        }
        return desde.trimmed() == fechaHttp(*r.modificado);
    }

    void leer() {
        if (estado_ != Estado::Esperando) {
            return; // the next request is read once this one is answered
        }
        const qsizetype cabe = servidor_->limites_.largoCabeceras + 1 - bufer_.size();
        if (cabe > 0 && socket_->bytesAvailable() > 0) {
            bufer_ += socket_->read(cabe);
        }
        if (!bufer_.isEmpty() && !empezada_) {
            empezada_ = true; // the first byte of a request: it must now come whole within msPeticion
            reloj_.start(servidor_->limites_.msPeticion);
        }
        analizar();
    }

    void analizar() {
        if (estado_ != Estado::Esperando || bufer_.isEmpty()) {
            return;
        }
        const Limites& l = servidor_->limites_;
        qsizetype fin = bufer_.indexOf("\r\n\r\n");
        qsizetype largoFin = 4;
        if (const qsizetype f = bufer_.indexOf("\n\n"); f >= 0 && (fin < 0 || f < fin)) {
            fin = f;
            largoFin = 2;
        }
        const qsizetype finLinea = bufer_.indexOf('\n');
        const qsizetype largoLinea = finLinea < 0 ? bufer_.size() : finLinea;
        if (largoLinea > l.largoDestino + 32) {
            rechazar(414, "destino demasiado largo");
            return;
        }
        if (fin < 0) {
            if (bufer_.size() > l.largoCabeceras) {
                rechazar(400, "cabeceras demasiado largas");
            }
            return;
        }
        if (fin + largoFin > l.largoCabeceras + 1) {
            rechazar(400, "cabeceras demasiado largas");
            return;
        }
        const QByteArray cabeza = bufer_.left(fin);
        bufer_.remove(0, fin + largoFin);
        reloj_.stop();
        reloj0_.start();
        estado_ = Estado::Atendiendo;

        QList<QByteArray> lineas = cabeza.split('\n');
        for (QByteArray& linea : lineas) {
            if (linea.endsWith('\r')) {
                linea.chop(1);
            }
        }
        const QList<QByteArray> partes = lineas.front().split(' ');
        peticion_ = Peticion();
        cerrarDespues_ = false;
        if (partes.size() != 3 || partes[0].isEmpty() || partes[1].isEmpty()) {
            peticion_.destino = lineas.front();
            responderError(400, "línea de petición mal formada");
            return;
        }
        peticion_.metodo = partes[0];
        peticion_.destino = partes[1];
        const QByteArray version = partes[2];
        if (version != "HTTP/1.1" && version != "HTTP/1.0") {
            responderError(version.startsWith("HTTP/") ? 505 : 400, "versión de HTTP no admitida");
            return;
        }
        cerrarDespues_ = version == "HTTP/1.0";
        if (peticion_.destino.size() > l.largoDestino) {
            responderError(414, "destino demasiado largo");
            return;
        }
        if (lineas.size() - 1 > l.cabeceras) {
            responderError(400, "demasiadas cabeceras");
            return;
        }
        for (qsizetype i = 1; i < lineas.size(); ++i) {
            const qsizetype dos = lineas[i].indexOf(':');
            if (dos <= 0) {
                responderError(400, "cabecera mal formada");
                return;
            }
            peticion_.cabeceras.append({lineas[i].left(dos).trimmed().toLower(), lineas[i].mid(dos + 1).trimmed()});
        }
        const QByteArray conexion = peticion_.cabecera("connection").toLower();
        if (conexion.contains("close")) {
            cerrarDespues_ = true;
        } else if (conexion.contains("keep-alive")) {
            cerrarDespues_ = false;
        }
        // A request with a body is not ours to read: answer and close, so that its body is never taken for
        // the next request.
        const QByteArray largo = peticion_.cabecera("content-length");
        if (!peticion_.cabecera("transfer-encoding").isEmpty() || (!largo.isEmpty() && largo != "0")) {
            cerrarDespues_ = true;
            responderError(peticion_.metodo == "GET" || peticion_.metodo == "HEAD" ? 400 : 405, "petición con cuerpo");
            return;
        }
        if (peticion_.metodo != "GET" && peticion_.metodo != "HEAD") {
            responderError(405, "método no admitido");
            return;
        }
        if (!peticion_.destino.startsWith('/')) {
            responderError(400, "destino que no es una ruta");
            return;
        }
        const qsizetype pregunta = peticion_.destino.indexOf('?');
        peticion_.ruta = pregunta < 0 ? peticion_.destino : peticion_.destino.left(pregunta);
        peticion_.consulta = pregunta < 0 ? QByteArray() : peticion_.destino.mid(pregunta + 1);
        if (peticion_.destino.contains('#')) {
            responderError(400, "destino con fragmento");
            return;
        }

        QPointer<Conexion> yo(this);
        ServidorHttp* servidor = servidor_;
        const Peticion peticion = peticion_;
        servidor_->hilos_.start([yo, servidor, peticion] {
            Respuesta r;
            try {
                r = servidor->manejador_(peticion);
            } catch (const std::exception& e) {
                r = error(500, QByteArray("excepción: ") + e.what());
            } catch (...) {
                r = error(500, "excepción");
            }
            QMetaObject::invokeMethod(
                servidor,
                [yo, r = std::move(r)]() mutable {
                    if (yo) {
                        yo->responder(std::move(r));
                    }
                },
                Qt::QueuedConnection);
        });
    }

    // A request that cannot even be parsed: answered with the error and the connection closed, since what
    // follows it in the stream cannot be trusted.
    void rechazar(int estado, QByteArray nota) {
        reloj_.stop();
        reloj0_.start();
        const qsizetype finLinea = bufer_.indexOf(' ');
        peticion_ = Peticion();
        peticion_.metodo = finLinea > 0 && finLinea < 16 ? bufer_.left(finLinea) : QByteArray("-");
        peticion_.destino = bufer_.mid(finLinea + 1, 120);
        bufer_.clear();
        estado_ = Estado::Atendiendo;
        cerrarDespues_ = true;
        enviar(error(estado, std::move(nota)));
    }

    void responderError(int estado, QByteArray nota) {
        if (estado == 400 || estado == 414 || estado == 505) {
            cerrarDespues_ = true;
        }
        Respuesta r = error(estado, std::move(nota));
        if (estado == 405) {
            r.cabeceras.append(qMakePair(QByteArray("Allow"), QByteArray("GET, HEAD")));
        }
        enviar(r);
    }

    void enviar(const Respuesta& r) {
        QByteArray cabeza = "HTTP/1.1 " + QByteArray::number(r.estado) + ' ' + textoDeEstado(r.estado) + "\r\n";
        cabeza += "Date: " + fechaHttp(QDateTime::currentSecsSinceEpoch()) + "\r\n";
        cabeza += "Server: tomo-servidor\r\n";
        if (r.estado != 304) {
            cabeza += "Content-Type: " + r.tipo + "\r\n";
        }
        cabeza += "Content-Length: " + QByteArray::number(r.cuerpo.size()) + "\r\n";
        if (!r.etiqueta.isEmpty()) {
            cabeza += "ETag: \"" + r.etiqueta + "\"\r\n";
        }
        if (r.modificado) {
            cabeza += "Last-Modified: " + fechaHttp(*r.modificado) + "\r\n";
        }
        cabeza += "Cache-Control: " + r.cache + "\r\n";
        cabeza += "X-Content-Type-Options: nosniff\r\n";
        cabeza += "Referrer-Policy: no-referrer\r\n";
        for (const auto& [nombre, valor] : r.cabeceras) {
            cabeza += nombre + ": " + valor + "\r\n";
        }
        if (cerrarDespues_) {
            cabeza += "Connection: close\r\n";
        }
        cabeza += "\r\n";
        estado_ = Estado::Respondiendo;
        registroPendiente_ = linea(r);
        if (peticion_.metodo != "HEAD") {
            cabeza += r.cuerpo;
        }
        socket_->write(cabeza);
        reloj_.start(servidor_->limites_.msEscritura);
        if (socket_->bytesToWrite() == 0) {
            escrito();
        }
    }

    QByteArray linea(const Respuesta& r) const {
        const double ms = static_cast<double>(reloj0_.nsecsElapsed()) / 1e6;
        QByteArray s = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toLatin1();
        s += ' ' + direccion_.toString().toLatin1();
        s += ' ' + paraElRegistro(peticion_.metodo);
        s += ' ' + paraElRegistro(peticion_.destino);
        s += ' ' + QByteArray::number(r.estado);
        s += ' ' + QByteArray::number(peticion_.metodo == "HEAD" ? 0 : r.cuerpo.size()) + " B";
        s += ' ' + QByteArray::number(ms, 'f', 1) + " ms";
        if (!r.nota.isEmpty()) {
            s += " (" + r.nota + ')';
        }
        return s;
    }

    void escrito() {
        if (estado_ != Estado::Respondiendo || socket_->bytesToWrite() > 0) {
            if (estado_ == Estado::Respondiendo) {
                reloj_.start(servidor_->limites_.msEscritura); // the client is taking it: not stuck
            }
            return;
        }
        servidor_->registro_(registroPendiente_);
        registroPendiente_.clear();
        if (cerrarDespues_) {
            estado_ = Estado::Cerrada;
            reloj_.stop();
            socket_->disconnectFromHost();
            if (socket_->state() == QAbstractSocket::UnconnectedState) {
                terminar();
            }
            return;
        }
        esperarPeticion();
        // What the client sent meanwhile (a pipelined request) is looked at now, later in the event loop so
        // that a long pipeline never recurses.
        QMetaObject::invokeMethod(this, &Conexion::leer, Qt::QueuedConnection);
    }

    void agotado() {
        if (estado_ == Estado::Esperando && empezada_) {
            peticion_ = Peticion();
            peticion_.metodo = "-";
            peticion_.destino = bufer_.left(bufer_.indexOf(' ') > 0 ? 60 : 0);
            bufer_.clear();
            estado_ = Estado::Atendiendo;
            cerrarDespues_ = true;
            reloj0_.start();
            enviar(error(408, "el cliente no terminó su petición a tiempo"));
            return;
        }
        if (estado_ == Estado::Respondiendo) {
            registroPendiente_ += " (el cliente no tomó la respuesta a tiempo)";
            servidor_->registro_(registroPendiente_);
            registroPendiente_.clear();
        }
        socket_->abort();
        terminar();
    }

    void terminar() {
        if (terminada_) {
            return;
        }
        terminada_ = true;
        estado_ = Estado::Cerrada;
        reloj_.stop();
        servidor_->conexionCerrada();
        deleteLater();
    }

    ServidorHttp* servidor_;
    QTcpSocket* socket_;
    QHostAddress direccion_;
    QTimer reloj_;
    QElapsedTimer reloj0_;
    QByteArray bufer_;
    Peticion peticion_;
    QByteArray registroPendiente_;
    Estado estado_ = Estado::Esperando;
    bool empezada_ = false;
    bool cerrarDespues_ = false;
    bool terminada_ = false;
};

ServidorHttp::ServidorHttp(Manejador manejador, Limites limites, Registro registro, QObject* padre)
    : QObject(padre), manejador_(std::move(manejador)), limites_(limites), registro_(std::move(registro)),
      tcp_(new QTcpServer(this)) {
    if (!registro_) {
        registro_ = [](const QByteArray& linea) {
            std::fprintf(stderr, "%s\n", linea.constData());
            std::fflush(stderr);
        };
    }
    const int nucleos = QThread::idealThreadCount();
    hilos_.setMaxThreadCount(limites_.hilos > 0 ? limites_.hilos : qMax(2, nucleos));
    tcp_->setMaxPendingConnections(64);
    connect(tcp_, &QTcpServer::newConnection, this, &ServidorHttp::aceptar);
}

ServidorHttp::~ServidorHttp() {
    cerrar();
}

bool ServidorHttp::escuchar(const QHostAddress& direccion, quint16 puerto, QString* error) {
    if (!tcp_->listen(direccion, puerto)) {
        if (error) {
            *error = QStringLiteral("No se puede escuchar en %1, puerto %2: %3")
                         .arg(direccion.toString())
                         .arg(puerto)
                         .arg(tcp_->errorString());
        }
        return false;
    }
    return true;
}

quint16 ServidorHttp::puerto() const {
    return tcp_->serverPort();
}

void ServidorHttp::aceptar() {
    while (abiertas_ < limites_.conexiones && tcp_->hasPendingConnections()) {
        QTcpSocket* socket = tcp_->nextPendingConnection();
        ++abiertas_;
        new Conexion(this, socket);
    }
    if (abiertas_ >= limites_.conexiones && !pausado_) {
        // The rest wait in the system's queue of the listening socket until a connection closes.
        tcp_->pauseAccepting();
        pausado_ = true;
    }
}

void ServidorHttp::conexionCerrada() {
    --abiertas_;
    if (pausado_ && abiertas_ < limites_.conexiones) {
        pausado_ = false;
        tcp_->resumeAccepting();
        QMetaObject::invokeMethod(this, &ServidorHttp::aceptar, Qt::QueuedConnection);
    }
}

void ServidorHttp::cerrar() {
    tcp_->close();
    // Conexion has no meta-object of its own, so the children are told apart by their C++ type.
    const QObjectList hijos = children();
    for (QObject* hijo : hijos) {
        if (auto* c = dynamic_cast<Conexion*>(hijo)) {
            c->abortar();
        }
    }
    hilos_.waitForDone();
}

} // namespace servidor

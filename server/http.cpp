#include "server/http.h"

#include <QDateTime>
#include <QThread>
#include <QThreadPool>

#include <microhttpd.h>
#include <zlib.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <list>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <utility>

namespace server {

namespace {

using Reloj = std::chrono::steady_clock;

QByteArray textoDeEstado(int estado) {
    switch (estado) {
    case 200:
        return "OK";
    case 206:
        return "Partial Content";
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
    case 416:
        return "Range Not Satisfiable";
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

QByteArray textoDeDireccion(const sockaddr* a) {
    char texto[INET6_ADDRSTRLEN] = "?";
    if (!a) {
        return texto;
    }
    if (a->sa_family == AF_INET) {
        ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(a)->sin_addr, texto, sizeof texto);
    } else if (a->sa_family == AF_INET6) {
        const auto* a6 = reinterpret_cast<const sockaddr_in6*>(a);
        if (IN6_IS_ADDR_V4MAPPED(&a6->sin6_addr)) {
            ::inet_ntop(AF_INET, a6->sin6_addr.s6_addr + 12, texto, sizeof texto);
        } else {
            ::inet_ntop(AF_INET6, &a6->sin6_addr, texto, sizeof texto);
        }
    }
    return texto;
}

// What the system counted on a connection: bytes received from the client, and bytes of ours it acknowledged.
struct Cuentas {
    std::uint64_t recibidos = 0;
    std::uint64_t tomados = 0;
};

Cuentas cuentasDe(int fd) {
    tcp_info info{};
    socklen_t largo = sizeof info;
    Cuentas c;
    if (::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &largo) == 0) {
        c.recibidos = info.tcpi_bytes_received;
        c.tomados = info.tcpi_bytes_acked;
    }
    return c;
}

// Whether an Accept-Encoding header takes gzip ("gzip", "x-gzip" or "*", with a weight above zero).
bool aceptaGzip(const QByteArray& cabecera) {
    for (const QByteArray& parte : cabecera.split(',')) {
        const QList<QByteArray> trozos = parte.split(';');
        const QByteArray nombre = trozos.front().trimmed().toLower();
        if (nombre != "gzip" && nombre != "x-gzip" && nombre != "*") {
            continue;
        }
        double peso = 1;
        for (qsizetype i = 1; i < trozos.size(); ++i) {
            const QByteArray t = trozos[i].trimmed().toLower();
            if (t.startsWith("q=")) {
                bool ok = false;
                peso = t.mid(2).toDouble(&ok);
                peso = ok ? peso : 0;
            }
        }
        if (peso > 0) {
            return true;
        }
    }
    return false;
}

// Text worth compressing: pages, style sheets, scripts, JSON.
bool comprimible(const QByteArray& tipo) {
    return tipo.startsWith("text/") || tipo.startsWith("application/json") || tipo.startsWith("application/javascript");
}

// The bytes in gzip's format, or nothing when zlib fails.
std::optional<QByteArray> comprimir(const QByteArray& bytes) {
    z_stream z{};
    if (deflateInit2(&z, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        return std::nullopt;
    }
    QByteArray salida;
    salida.resize(static_cast<qsizetype>(deflateBound(&z, static_cast<uLong>(bytes.size()))));
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.constData()));
    z.avail_in = static_cast<uInt>(bytes.size());
    z.next_out = reinterpret_cast<Bytef*>(salida.data());
    z.avail_out = static_cast<uInt>(salida.size());
    const int r = deflate(&z, Z_FINISH);
    const auto hecho = static_cast<qsizetype>(z.total_out);
    deflateEnd(&z);
    if (r != Z_STREAM_END) {
        return std::nullopt;
    }
    salida.resize(hecho);
    return salida;
}

// A Range header of one range over `tamano` bytes: {first, last} byte, {-1, -1} when it cannot be satisfied,
// nothing when it is malformed or asks for several ranges (then the whole answer goes).
std::optional<std::pair<std::int64_t, std::int64_t>> rangoDe(const QByteArray& cabecera, std::int64_t tamano) {
    const QByteArray c = cabecera.trimmed();
    if (!c.startsWith("bytes=") || c.contains(',')) {
        return std::nullopt;
    }
    const QByteArray r = c.mid(6).trimmed();
    const qsizetype guion = r.indexOf('-');
    if (guion < 0) {
        return std::nullopt;
    }
    const QByteArray a = r.left(guion).trimmed();
    const QByteArray b = r.mid(guion + 1).trimmed();
    const auto numero = [](const QByteArray& t, std::int64_t* n) {
        bool ok = !t.isEmpty() && std::all_of(t.begin(), t.end(), [](char x) { return x >= '0' && x <= '9'; });
        *n = ok ? t.toLongLong(&ok) : 0;
        return ok;
    };
    std::int64_t desde = 0;
    std::int64_t hasta = 0;
    if (a.isEmpty()) {
        // The last `b` bytes.
        if (!numero(b, &hasta) || hasta == 0) {
            return hasta == 0 && !b.isEmpty() ? std::optional(std::pair<std::int64_t, std::int64_t>{-1, -1})
                                              : std::nullopt;
        }
        return std::pair{std::max<std::int64_t>(0, tamano - hasta), tamano - 1};
    }
    if (!numero(a, &desde) || (!b.isEmpty() && (!numero(b, &hasta) || hasta < desde))) {
        return std::nullopt;
    }
    if (desde >= tamano) {
        return std::pair<std::int64_t, std::int64_t>{-1, -1};
    }
    return std::pair{desde, b.isEmpty() ? tamano - 1 : std::min(hasta, tamano - 1)};
}

// The status of the error answer the library itself last made on this thread (a request it could not parse),
// taken from its error messages: a connection it then closes without a request of ours is logged with it.
thread_local int estadoDeLaBiblioteca = 0;

void alMensajeDeLaBiblioteca(void*, const char* formato, va_list argumentos) {
    char texto[512];
    std::vsnprintf(texto, sizeof texto, formato, argumentos);
    const char* const marca = "HTTP response code is ";
    if (const char* p = std::strstr(texto, marca)) {
        estadoDeLaBiblioteca = std::atoi(p + std::strlen(marca));
    }
}

} // namespace

Archivo::~Archivo() {
    if (fd >= 0) {
        ::close(fd);
    }
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

// ---------------------------------------------------------------------------------------------------------------

// What the watch keeps of one connection, from its start to its end.
struct Conexion {
    enum class Fase { Esperando, Cabecera, Atendiendo, Respondiendo };
    MHD_Connection* mhd = nullptr;
    int fd = -1;
    QByteArray direccion;
    Fase fase = Fase::Esperando;
    Reloj::time_point desde{};                 // when it began waiting, or began answering
    std::optional<Reloj::time_point> inicio{}; // the first byte of the request under way
    std::uint64_t recibidosBase = 0;           // bytes received when it began waiting
    std::uint64_t tomadosVentana = 0;          // bytes of the answer taken when this window began
    QByteArray destino;                        // of the request under way, once its line came
    bool descartada = false;                   // the watch answered or dropped it: nothing more is logged
};

// One request, from its line to its end.
struct Solicitud {
    Conexion* conexion = nullptr;
    QByteArray destino;
    QByteArray metodo = "-";
    Reloj::time_point inicio = Reloj::now();
    bool empezada = false;          // the handler was called
    bool encolada = false;          // waiting on the blocking queue, its connection suspended
    std::optional<Respuesta> lista; // the queue's answer, once it is ready
    bool respondida = false;
    int estado = 0;
    qint64 bytes = 0;
    QByteArray nota;
    Peticion peticion;
};

class ServidorHttp::Impl {
public:
    Impl(Manejador manejador, Limites limites, Registro registro)
        : manejador_(std::move(manejador)), limites_(limites), registro_(std::move(registro)) {
        if (!registro_) {
            registro_ = [](const QByteArray& linea) {
                std::fprintf(stderr, "%s\n", linea.constData());
                std::fflush(stderr);
            };
        }
        const int nucleos = QThread::idealThreadCount();
        cola_.setMaxThreadCount(limites_.hilos > 0 ? limites_.hilos : qMax(2, nucleos));
    }

    ~Impl() { cerrar(); }

    bool escuchar(const QHostAddress& direccion, quint16 puerto, QString* error);
    void cerrar();
    quint16 puerto() const { return puerto_; }
    int abiertas() const {
        if (!daemon_) {
            return 0;
        }
        const MHD_DaemonInfo* i = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_CURRENT_CONNECTIONS);
        return i ? static_cast<int>(i->num_connections) : 0;
    }

    Manejador manejador_;
    Limites limites_;
    Registro registro_;
    Bloquea bloquea_;

private:
    static void* alEmpezarPeticion(void* cls, const char* uri, MHD_Connection* c);
    static MHD_Result alAtender(void* cls, MHD_Connection* c, const char* url, const char* metodo, const char* version,
                                const char* datos, size_t* largoDatos, void** solicitud);
    static void alTerminarPeticion(void* cls, MHD_Connection* c, void** solicitud, MHD_RequestTerminationCode toe);
    static void alConectar(void* cls, MHD_Connection* c, void** contexto, MHD_ConnectionNotificationCode codigo);

    MHD_Result atender(MHD_Connection* c, Solicitud& s, const char* metodo, const char* version);
    MHD_Result responder(MHD_Connection* c, Solicitud& s);
    MHD_Result encolar(MHD_Connection* c, Solicitud& s, Respuesta r);
    void vigilar();
    void descartar(Conexion& c, int estado, const QByteArray& nota);
    QByteArray linea(const QByteArray& direccion, const QByteArray& metodo, const QByteArray& destino, int estado,
                     qint64 bytes, Reloj::time_point inicio, const QByteArray& nota) const;

    // Each compressible answer compressed once per entity tag and kept, the least recently sent dropped first.
    std::shared_ptr<const QByteArray> comprimida(const QByteArray& etiqueta, const QByteArray& cuerpo);
    std::mutex mutexGzip_;
    std::list<QByteArray> ordenGzip_; // most recently sent first
    struct Comprimida {
        std::shared_ptr<const QByteArray> bytes;
        std::list<QByteArray>::iterator lugar;
    };
    std::unordered_map<QByteArray, Comprimida> gzip_;
    std::size_t bytesGzip_ = 0;

    MHD_Daemon* daemon_ = nullptr;
    quint16 puerto_ = 0;
    QThreadPool cola_;
    std::atomic<int> enCola_{0};
    std::atomic<bool> cerrando_{false};

    std::mutex mutex_; // the connections, for the watch
    std::unordered_map<MHD_Connection*, Conexion*> conexiones_;
    std::mutex mutexVigia_;
    std::condition_variable avisoVigia_;
    bool pararVigia_ = false;
    std::thread vigia_;
};

QByteArray ServidorHttp::Impl::linea(const QByteArray& direccion, const QByteArray& metodo, const QByteArray& destino,
                                     int estado, qint64 bytes, Reloj::time_point inicio, const QByteArray& nota) const {
    const double ms = std::chrono::duration<double, std::milli>(Reloj::now() - inicio).count();
    QByteArray s = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toLatin1();
    s += ' ' + direccion;
    s += ' ' + paraElRegistro(metodo, 16);
    s += ' ' + (destino.isEmpty() ? QByteArray("-") : destinoParaElRegistro(destino, limites_.registrarConsultas));
    s += ' ' + QByteArray::number(estado);
    s += ' ' + QByteArray::number(bytes) + " B";
    s += ' ' + QByteArray::number(ms, 'f', 1) + " ms";
    if (!nota.isEmpty()) {
        s += " (" + notaParaElRegistro(nota, 200) + ')';
    }
    return s;
}

void ServidorHttp::Impl::alConectar(void* cls, MHD_Connection* c, void** contexto,
                                    MHD_ConnectionNotificationCode codigo) {
    auto* yo = static_cast<Impl*>(cls);
    if (codigo == MHD_CONNECTION_NOTIFY_STARTED) {
        auto* x = new Conexion;
        x->mhd = c;
        if (const MHD_ConnectionInfo* i = MHD_get_connection_info(c, MHD_CONNECTION_INFO_CONNECTION_FD)) {
            x->fd = i->connect_fd;
        }
        if (const MHD_ConnectionInfo* i = MHD_get_connection_info(c, MHD_CONNECTION_INFO_CLIENT_ADDRESS)) {
            x->direccion = textoDeDireccion(i->client_addr);
        }
        x->desde = Reloj::now();
        *contexto = x;
        std::lock_guard b(yo->mutex_);
        yo->conexiones_[c] = x;
        return;
    }
    // Told before the library closes the socket: once out of the map, the watch never touches its descriptor.
    auto* x = static_cast<Conexion*>(*contexto);
    if (estadoDeLaBiblioteca && x && !x->descartada) {
        yo->registro_(yo->linea(x->direccion, "-", {}, estadoDeLaBiblioteca, 0, x->inicio.value_or(x->desde),
                                "petición mal formada"));
    }
    estadoDeLaBiblioteca = 0;
    {
        std::lock_guard b(yo->mutex_);
        yo->conexiones_.erase(c);
    }
    delete x;
    *contexto = nullptr;
}

void* ServidorHttp::Impl::alEmpezarPeticion(void* cls, const char* uri, MHD_Connection* c) {
    auto* yo = static_cast<Impl*>(cls);
    auto* s = new Solicitud;
    s->destino = uri ? QByteArray(uri) : QByteArray();
    if (const MHD_ConnectionInfo* i = MHD_get_connection_info(c, MHD_CONNECTION_INFO_SOCKET_CONTEXT)) {
        s->conexion = static_cast<Conexion*>(i->socket_context);
    }
    if (s->conexion) {
        std::lock_guard b(yo->mutex_);
        Conexion& x = *s->conexion;
        x.fase = Conexion::Fase::Cabecera;
        x.destino = s->destino.left(120);
        if (!x.inicio) {
            x.inicio = Reloj::now();
        }
        s->inicio = *x.inicio;
    }
    return s;
}

MHD_Result ServidorHttp::Impl::alAtender(void* cls, MHD_Connection* c, const char*, const char* metodo,
                                         const char* version, const char*, size_t* largoDatos, void** solicitud) {
    auto* yo = static_cast<Impl*>(cls);
    auto* s = static_cast<Solicitud*>(*solicitud);
    if (!s) {
        return MHD_NO;
    }
    if (!s->empezada) {
        // The first call, with the headers: a request refused for its framing is answered now, and the
        // connection closed after it; any other waits for the next call, once the request is whole (an answer
        // queued on the first call makes the library close the connection).
        return yo->atender(c, *s, metodo, version);
    }
    if (*largoDatos != 0) {
        *largoDatos = 0; // a body after a refusal is let go
        return MHD_YES;
    }
    if (s->respondida || s->encolada) {
        return MHD_YES;
    }
    if (s->lista) {
        Respuesta r = std::move(*s->lista);
        s->lista.reset();
        return yo->encolar(c, *s, std::move(r));
    }
    return yo->responder(c, *s);
}

MHD_Result ServidorHttp::Impl::atender(MHD_Connection* c, Solicitud& s, const char* metodo, const char* version) {
    s.empezada = true;
    s.metodo = metodo ? QByteArray(metodo) : QByteArray("-");
    if (s.conexion) {
        std::lock_guard b(mutex_);
        s.conexion->fase = Conexion::Fase::Atendiendo;
    }
    Peticion& p = s.peticion;
    p.metodo = s.metodo;
    p.destino = s.destino;
    const Limites& l = limites_;
    if (p.destino.size() > l.largoDestino) {
        return encolar(c, s, error(414, "destino demasiado largo"));
    }
    struct Recogida {
        Cabeceras* cabeceras;
        qsizetype bytes = 0;
    } recogida{&p.cabeceras};
    MHD_get_connection_values_n(
        c, MHD_HEADER_KIND,
        [](void* cls, MHD_ValueKind, const char* clave, size_t largoClave, const char* valor,
           size_t largoValor) -> MHD_Result {
            auto* r = static_cast<Recogida*>(cls);
            r->cabeceras->append({QByteArray(clave, static_cast<qsizetype>(largoClave)).toLower(),
                                  QByteArray(valor ? valor : "", static_cast<qsizetype>(largoValor))});
            r->bytes += static_cast<qsizetype>(largoClave + largoValor + 4);
            return MHD_YES;
        },
        &recogida);
    if (s.metodo.size() + p.destino.size() + 12 + recogida.bytes > l.largoCabeceras) {
        return encolar(c, s, error(400, "cabeceras demasiado largas"));
    }
    if (p.cabeceras.size() > l.cabeceras) {
        return encolar(c, s, error(400, "demasiadas cabeceras"));
    }
    if (auto rechazo = rechazoDeMarco(p, version ? QByteArray(version) : QByteArray())) {
        return encolar(c, s, error(rechazo->first, rechazo->second));
    }
    if (p.metodo != "GET" && p.metodo != "HEAD") {
        Respuesta r = error(405, "método no admitido");
        r.cabeceras.append(qMakePair(QByteArray("Allow"), QByteArray("GET, HEAD")));
        return encolar(c, s, std::move(r));
    }
    if (!p.destino.startsWith('/')) {
        return encolar(c, s, error(400, "destino que no es una ruta"));
    }
    if (p.destino.contains('#')) {
        return encolar(c, s, error(400, "destino con fragmento"));
    }
    const qsizetype pregunta = p.destino.indexOf('?');
    p.ruta = pregunta < 0 ? p.destino : p.destino.left(pregunta);
    p.consulta = pregunta < 0 ? QByteArray() : p.destino.mid(pregunta + 1);
    return MHD_YES;
}

MHD_Result ServidorHttp::Impl::responder(MHD_Connection* c, Solicitud& s) {
    const auto responder = [this](const Peticion& peticion) {
        try {
            return manejador_(peticion);
        } catch (const std::exception& e) {
            return error(500, QByteArray("excepción: ") + e.what());
        } catch (...) {
            return error(500, "excepción");
        }
    };
    const Peticion& p = s.peticion;
    if (!bloquea_ || !bloquea_(p)) {
        return encolar(c, s, responder(p));
    }
    // A handler that may block waits on the queue; the library's thread goes on with the other connections.
    if (enCola_.load() >= limites_.cola || cerrando_) {
        Respuesta r = error(503, "demasiadas búsquedas a la vez");
        r.cabeceras.append(qMakePair(QByteArray("Retry-After"), QByteArray("2")));
        return encolar(c, s, std::move(r));
    }
    ++enCola_;
    s.encolada = true;
    MHD_suspend_connection(c);
    Solicitud* sp = &s;
    cola_.start([this, c, sp, responder] {
        Respuesta r = cerrando_ ? error(503, "el servidor termina") : responder(sp->peticion);
        sp->lista = std::move(r);
        sp->encolada = false;
        --enCola_;
        MHD_resume_connection(c);
    });
    return MHD_YES;
}

namespace {

void liberarBytes(void* cls) {
    delete static_cast<QByteArray*>(cls);
}

} // namespace

std::shared_ptr<const QByteArray> ServidorHttp::Impl::comprimida(const QByteArray& etiqueta, const QByteArray& cuerpo) {
    const QByteArray clave = etiqueta + '/' + QByteArray::number(cuerpo.size());
    {
        std::lock_guard b(mutexGzip_);
        if (auto it = gzip_.find(clave); it != gzip_.end()) {
            ordenGzip_.splice(ordenGzip_.begin(), ordenGzip_, it->second.lugar);
            return it->second.bytes;
        }
    }
    auto hecha = comprimir(cuerpo);
    if (!hecha) {
        return nullptr;
    }
    auto bytes = std::make_shared<const QByteArray>(std::move(*hecha));
    std::lock_guard b(mutexGzip_);
    if (gzip_.count(clave)) {
        return gzip_.at(clave).bytes; // another thread made it meanwhile
    }
    ordenGzip_.push_front(clave);
    gzip_.emplace(clave, Comprimida{bytes, ordenGzip_.begin()});
    bytesGzip_ += static_cast<std::size_t>(bytes->size());
    const auto maximo = static_cast<std::size_t>(std::max(0, limites_.cacheGzip));
    while (bytesGzip_ > maximo && !ordenGzip_.empty()) {
        const auto viejo = gzip_.find(ordenGzip_.back());
        bytesGzip_ -= static_cast<std::size_t>(viejo->second.bytes->size());
        gzip_.erase(viejo);
        ordenGzip_.pop_back();
    }
    return bytes;
}

MHD_Result ServidorHttp::Impl::encolar(MHD_Connection* c, Solicitud& s, Respuesta r) {
    s.respondida = true;
    const bool lectura = s.metodo == "GET" || s.metodo == "HEAD";
    // A page or a style sheet goes compressed to a client that takes gzip: a variant of its own, with a tag of
    // its own, made once per tag and kept.
    std::shared_ptr<const QByteArray> gzip;
    const bool variantes = lectura && r.estado == 200 && !r.archivo && comprimible(r.tipo) && r.cuerpo.size() >= 256;
    if (lectura && r.estado == 200 && r.etiqueta.isEmpty() && !r.archivo) {
        r.etiqueta = etiquetaDe(r.cuerpo);
    }
    if (variantes && aceptaGzip(s.peticion.cabecera("accept-encoding"))) {
        gzip = comprimida(r.etiqueta, r.cuerpo);
        if (gzip) {
            r.etiqueta += "-gz";
        }
    }
    if (lectura && r.estado == 200) {
        const QByteArray siNo = s.peticion.cabecera("if-none-match");
        const QByteArray desde = s.peticion.cabecera("if-modified-since");
        const bool noModificado = !siNo.isEmpty() ? !r.etiqueta.isEmpty() && coincideEtiqueta(siNo, r.etiqueta)
                                                  : !desde.isEmpty() && r.modificado && r.modificadoBasta &&
                                                        desde.trimmed() == fechaHttp(*r.modificado);
        if (noModificado) {
            r.estado = 304;
            r.cuerpo.clear();
            r.archivo.reset();
            gzip.reset();
        }
    }
    // A part of a file, when asked for one (and, with If-Range, only while the file is the one named).
    std::optional<std::pair<std::int64_t, std::int64_t>> rango;
    if (lectura && r.estado == 200 && r.archivo) {
        r.cabeceras.append(qMakePair(QByteArray("Accept-Ranges"), QByteArray("bytes")));
        const QByteArray pedido = s.peticion.cabecera("range");
        const QByteArray siRango = s.peticion.cabecera("if-range").trimmed();
        const bool vale = siRango.isEmpty() || siRango == '"' + r.etiqueta + '"' ||
                          (r.modificado && siRango == fechaHttp(*r.modificado));
        if (!pedido.isEmpty() && vale) {
            rango = rangoDe(pedido, r.archivo->tamano);
        }
        if (rango && rango->first < 0) {
            Respuesta no = error(416, "rango fuera del archivo");
            no.cabeceras.append(qMakePair(QByteArray("Content-Range"),
                                          "bytes */" + QByteArray::number(static_cast<qlonglong>(r.archivo->tamano))));
            r = std::move(no);
            rango.reset();
        } else if (rango) {
            r.cabeceras.append(qMakePair(QByteArray("Content-Range"),
                                         "bytes " + QByteArray::number(static_cast<qlonglong>(rango->first)) + '-' +
                                             QByteArray::number(static_cast<qlonglong>(rango->second)) + '/' +
                                             QByteArray::number(static_cast<qlonglong>(r.archivo->tamano))));
            r.estado = 206;
        }
    }
    if (variantes) {
        r.cabeceras.append(qMakePair(QByteArray("Vary"), QByteArray("Accept-Encoding")));
    }
    if (gzip) {
        r.cabeceras.append(qMakePair(QByteArray("Content-Encoding"), QByteArray("gzip")));
    }
    const bool cerrar = r.estado == 400 || r.estado == 414 || r.estado == 505 || r.estado == 405;
    MHD_Response* m = nullptr;
    qint64 bytes = 0;
    if (r.estado == 304) {
        // Given a length, the library would write "Content-Length: 0", which a 304 for a non-empty answer must
        // not say; of unknown length and sent as HTTP/1.0 would send it, it writes no length at all, and closes
        // the connection after it.
        m = MHD_create_response_from_callback(
            MHD_SIZE_UNKNOWN, 1024,
            [](void*, uint64_t, char*, size_t) -> ssize_t { return MHD_CONTENT_READER_END_OF_STREAM; }, nullptr,
            nullptr);
        if (m) {
            MHD_set_response_options(m, MHD_RF_HTTP_1_0_COMPATIBLE_STRICT, MHD_RO_END);
        }
    } else if (r.archivo) {
        const int copia = ::fcntl(r.archivo->fd, F_DUPFD_CLOEXEC, 0);
        if (copia >= 0) {
            const std::int64_t desde = rango ? rango->first : 0;
            bytes = rango ? rango->second - rango->first + 1 : r.archivo->tamano;
            m = MHD_create_response_from_fd_at_offset64(static_cast<uint64_t>(bytes), copia,
                                                        static_cast<uint64_t>(desde));
            if (!m) {
                ::close(copia);
            }
        }
    } else if (gzip) {
        auto* guardada = new std::shared_ptr<const QByteArray>(gzip);
        bytes = gzip->size();
        m = MHD_create_response_from_buffer_with_free_callback_cls(
            static_cast<size_t>(gzip->size()), const_cast<char*>(gzip->constData()),
            [](void* cls) { delete static_cast<std::shared_ptr<const QByteArray>*>(cls); }, guardada);
        if (!m) {
            delete guardada;
        }
    } else {
        auto* cuerpo = new QByteArray(std::move(r.cuerpo));
        bytes = cuerpo->size();
        m = MHD_create_response_from_buffer_with_free_callback_cls(static_cast<size_t>(cuerpo->size()), cuerpo->data(),
                                                                   liberarBytes, cuerpo);
        if (!m) {
            delete cuerpo;
        }
    }
    if (!m) {
        return MHD_NO;
    }
    const auto poner = [m](const QByteArray& nombre, const QByteArray& valor) {
        MHD_add_response_header(m, nombre.constData(), valor.constData());
    };
    poner("Server", "tomo-servidor");
    if (r.estado != 304) {
        poner("Content-Type", r.tipo);
    }
    if (!r.etiqueta.isEmpty()) {
        poner("ETag", '"' + r.etiqueta + '"');
    }
    if (r.modificado) {
        poner("Last-Modified", fechaHttp(*r.modificado));
    }
    poner("Cache-Control", r.cache);
    poner("X-Content-Type-Options", "nosniff");
    poner("Referrer-Policy", "no-referrer");
    for (const auto& [nombre, valor] : r.cabeceras) {
        poner(nombre, valor);
    }
    if (cerrar) {
        poner("Connection", "close");
    }

    s.estado = r.estado;
    s.bytes = s.metodo == "HEAD" || r.estado == 304 ? 0 : bytes;
    s.nota = r.nota;
    if (s.conexion) {
        std::lock_guard b(mutex_);
        s.conexion->fase = Conexion::Fase::Respondiendo;
        s.conexion->desde = Reloj::now();
        s.conexion->tomadosVentana = cuentasDe(s.conexion->fd).tomados;
    }
    const MHD_Result hecho = MHD_queue_response(c, static_cast<unsigned>(r.estado), m);
    MHD_destroy_response(m);
    return hecho;
}

void ServidorHttp::Impl::alTerminarPeticion(void* cls, MHD_Connection* c, void** solicitud,
                                            MHD_RequestTerminationCode toe) {
    auto* yo = static_cast<Impl*>(cls);
    auto* s = static_cast<Solicitud*>(*solicitud);
    *solicitud = nullptr;
    if (!s) {
        return;
    }
    estadoDeLaBiblioteca = 0;
    bool descartada = false;
    QByteArray direccion = "?";
    if (s->conexion) {
        std::lock_guard b(yo->mutex_);
        Conexion& x = *s->conexion;
        descartada = x.descartada;
        direccion = x.direccion;
        x.fase = Conexion::Fase::Esperando;
        x.desde = Reloj::now();
        x.inicio.reset();
        x.destino.clear();
        x.recibidosBase = cuentasDe(x.fd).recibidos;
    }
    if (!descartada) {
        int estado = s->estado;
        QByteArray nota = s->nota;
        if (!s->respondida) {
            // Answered by the library itself (a request it could not parse), or not at all.
            const MHD_ConnectionInfo* i = MHD_get_connection_info(c, MHD_CONNECTION_INFO_HTTP_STATUS);
            estado = i ? static_cast<int>(i->http_status) : 0;
            if (nota.isEmpty()) {
                nota = estado ? "petición mal formada" : "sin respuesta";
            }
        }
        if (toe != MHD_REQUEST_TERMINATED_COMPLETED_OK && estado) {
            nota += nota.isEmpty() ? "" : "; ";
            nota += toe == MHD_REQUEST_TERMINATED_TIMEOUT_REACHED ? "el cliente no tomó la respuesta a tiempo"
                                                                  : "la conexión se cortó antes de terminar";
        }
        if (estado || toe == MHD_REQUEST_TERMINATED_COMPLETED_OK) {
            yo->registro_(yo->linea(direccion, s->metodo, s->destino, estado, s->bytes, s->inicio, nota));
        }
    }
    delete s;
}

void ServidorHttp::Impl::descartar(Conexion& c, int estado, const QByteArray& nota) {
    c.descartada = true;
    // Logged first: once the client sees the end, the line is there.
    if (estado || c.fase == Conexion::Fase::Respondiendo) {
        registro_(linea(c.direccion, "-", c.destino, estado, 0, c.inicio.value_or(c.desde), nota));
    }
    if (estado) {
        const QByteArray r = "HTTP/1.1 " + QByteArray::number(estado) + ' ' + textoDeEstado(estado) +
                             "\r\nServer: tomo-servidor\r\nContent-Type: text/plain; charset=utf-8\r\n"
                             "Content-Length: " +
                             QByteArray::number(error(estado, {}).cuerpo.size()) +
                             "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n" + error(estado, {}).cuerpo;
        [[maybe_unused]] const auto n =
            ::send(c.fd, r.constData(), static_cast<size_t>(r.size()), MSG_DONTWAIT | MSG_NOSIGNAL);
    }
    if (!estado) {
        // Dropped, not answered: what waits in the system's buffers for the client is thrown away at the close.
        const linger ya{1, 0};
        ::setsockopt(c.fd, SOL_SOCKET, SO_LINGER, &ya, sizeof ya);
    }
    // The library sees the connection end at its next look and closes it.
    ::shutdown(c.fd, SHUT_RDWR);
}

void ServidorHttp::Impl::vigilar() {
    const auto paso = std::chrono::milliseconds(std::clamp(limites_.msPeticion / 8, 20, 200));
    while (true) {
        {
            std::unique_lock b(mutexVigia_);
            if (avisoVigia_.wait_for(b, paso, [this] { return pararVigia_; })) {
                return;
            }
        }
        const auto ahora = Reloj::now();
        const auto ms = [&](Reloj::time_point t) {
            return std::chrono::duration_cast<std::chrono::milliseconds>(ahora - t).count();
        };
        std::lock_guard b(mutex_);
        for (auto& [mhd, x] : conexiones_) {
            Conexion& c = *x;
            if (c.descartada || c.fase == Conexion::Fase::Atendiendo || c.fd < 0) {
                continue;
            }
            const Cuentas cuentas = cuentasDe(c.fd);
            if (c.fase == Conexion::Fase::Esperando && !c.inicio && cuentas.recibidos > c.recibidosBase) {
                c.inicio = ahora; // the first bytes of the next request
            }
            if (c.fase == Conexion::Fase::Respondiendo) {
                if (ms(c.desde) >= limites_.msEscritura) {
                    const std::uint64_t minimo =
                        std::max<std::uint64_t>(1, static_cast<std::uint64_t>(limites_.minimoLectura) *
                                                       static_cast<std::uint64_t>(limites_.msEscritura) / 1000);
                    if (cuentas.tomados - c.tomadosVentana < minimo) {
                        descartar(c, 0, "el cliente no tomó la respuesta a tiempo");
                    } else {
                        c.desde = ahora;
                        c.tomadosVentana = cuentas.tomados;
                    }
                }
            } else if (c.inicio && ms(*c.inicio) > limites_.msPeticion) {
                descartar(c, 408, "el cliente no terminó su petición a tiempo");
            } else if (!c.inicio && ms(c.desde) > limites_.msReposo) {
                descartar(c, 0, {});
            }
        }
    }
}

bool ServidorHttp::Impl::escuchar(const QHostAddress& direccion, quint16 puerto, QString* error) {
    const auto fallo = [&](int numero) {
        if (error) {
            *error = QStringLiteral("No se puede escuchar en %1, puerto %2: %3")
                         .arg(direccion.toString())
                         .arg(puerto)
                         .arg(QString::fromLocal8Bit(std::strerror(numero)));
        }
        return false;
    };
    sockaddr_storage a{};
    socklen_t largo = 0;
    int familia = AF_INET;
    bool v4 = false;
    const quint32 ip4 = direccion.toIPv4Address(&v4);
    if (direccion == QHostAddress::Any || direccion == QHostAddress::AnyIPv6 ||
        (!v4 && direccion.protocol() == QAbstractSocket::IPv6Protocol)) {
        auto* a6 = reinterpret_cast<sockaddr_in6*>(&a);
        a6->sin6_family = AF_INET6;
        a6->sin6_port = htons(puerto);
        const Q_IPV6ADDR ip6 = direccion == QHostAddress::Any ? QHostAddress(QHostAddress::AnyIPv6).toIPv6Address()
                                                              : direccion.toIPv6Address();
        std::memcpy(&a6->sin6_addr, &ip6, 16);
        largo = sizeof(sockaddr_in6);
        familia = AF_INET6;
    } else {
        auto* a4 = reinterpret_cast<sockaddr_in*>(&a);
        a4->sin_family = AF_INET;
        a4->sin_port = htons(puerto);
        a4->sin_addr.s_addr = htonl(direccion == QHostAddress::AnyIPv4 ? INADDR_ANY : ip4);
        largo = sizeof(sockaddr_in);
    }
    int fd = ::socket(familia, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0 && familia == AF_INET6 && direccion == QHostAddress::Any) {
        // No IPv6 on this machine: every IPv4 address.
        auto* a4 = reinterpret_cast<sockaddr_in*>(&a);
        std::memset(&a, 0, sizeof a);
        a4->sin_family = AF_INET;
        a4->sin_port = htons(puerto);
        a4->sin_addr.s_addr = htonl(INADDR_ANY);
        largo = sizeof(sockaddr_in);
        familia = AF_INET;
        fd = ::socket(familia, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    }
    if (fd < 0) {
        return fallo(errno);
    }
    const int si = 1;
    const int no = 0;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &si, sizeof si);
    if (familia == AF_INET6) {
        ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, direccion == QHostAddress::Any ? &no : &si, sizeof si);
    }
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), largo) != 0 || ::listen(fd, 1024) != 0) {
        const int numero = errno;
        ::close(fd);
        return fallo(numero);
    }
    sockaddr_storage puesta{};
    socklen_t largoPuesta = sizeof puesta;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&puesta), &largoPuesta);
    puerto_ = ntohs(puesta.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&puesta)->sin6_port
                                                 : reinterpret_cast<sockaddr_in*>(&puesta)->sin_port);

    // The open-file limit bounds the connections: each is a descriptor, and so is each file being sent.
    int conexiones = std::max(4, limites_.conexiones);
    rlimit nofile{};
    if (::getrlimit(RLIMIT_NOFILE, &nofile) == 0 && nofile.rlim_cur != RLIM_INFINITY) {
        const auto cabe = static_cast<long long>(nofile.rlim_cur) / 2 - 32;
        conexiones = static_cast<int>(std::max<long long>(4, std::min<long long>(conexiones, cabe)));
    }
    const auto hilosRed = static_cast<unsigned>(std::max(1, limites_.hilosRed));
    // The library's own inactivity timer is the last resort; the watch closes idle and slow clients sooner.
    const auto segundos = static_cast<unsigned>(
        std::max(1, (std::max({limites_.msReposo, limites_.msPeticion, limites_.msEscritura}) + 999) / 1000 * 2));
    const std::size_t memoria =
        static_cast<std::size_t>(std::max(limites_.largoCabeceras, limites_.largoDestino)) * 2 + 32 * 1024;
    const unsigned banderas = MHD_USE_EPOLL_INTERNAL_THREAD | MHD_ALLOW_SUSPEND_RESUME | MHD_USE_ERROR_LOG;
    // The library's messages are read for the status of its own error answers, never written out raw.
    daemon_ = MHD_start_daemon(
        banderas, 0, nullptr, nullptr, &Impl::alAtender, this, MHD_OPTION_EXTERNAL_LOGGER, &alMensajeDeLaBiblioteca,
        nullptr, MHD_OPTION_LISTEN_SOCKET, fd, MHD_OPTION_THREAD_POOL_SIZE, hilosRed > 1 ? hilosRed : 0u,
        MHD_OPTION_CONNECTION_LIMIT, static_cast<unsigned>(conexiones), MHD_OPTION_PER_IP_CONNECTION_LIMIT,
        static_cast<unsigned>(std::max(0, limites_.porDireccion)), MHD_OPTION_CONNECTION_TIMEOUT, segundos,
        MHD_OPTION_CONNECTION_MEMORY_LIMIT, memoria, MHD_OPTION_URI_LOG_CALLBACK, &Impl::alEmpezarPeticion, this,
        MHD_OPTION_NOTIFY_COMPLETED, &Impl::alTerminarPeticion, this, MHD_OPTION_NOTIFY_CONNECTION, &Impl::alConectar,
        this, MHD_OPTION_LISTEN_BACKLOG_SIZE, 1024u, MHD_OPTION_END);
    if (!daemon_) {
        ::close(fd);
        return fallo(errno ? errno : EINVAL);
    }
    pararVigia_ = false;
    vigia_ = std::thread([this] { vigilar(); });
    return true;
}

void ServidorHttp::Impl::cerrar() {
    if (!daemon_) {
        return;
    }
    // The listening socket first: no new connection comes while the queue drains.
    const MHD_socket escucha = MHD_quiesce_daemon(daemon_);
    if (escucha != MHD_INVALID_SOCKET) {
        ::close(escucha);
    }
    cerrando_ = true;
    cola_.waitForDone();
    {
        std::lock_guard b(mutexVigia_);
        pararVigia_ = true;
    }
    avisoVigia_.notify_all();
    if (vigia_.joinable()) {
        vigia_.join();
    }
    MHD_stop_daemon(daemon_);
    daemon_ = nullptr;
}

ServidorHttp::ServidorHttp(Manejador manejador, Limites limites, Registro registro, QObject* padre)
    : QObject(padre), impl_(std::make_unique<Impl>(std::move(manejador), limites, std::move(registro))) {}

ServidorHttp::~ServidorHttp() {
    cerrar();
}

void ServidorHttp::colaAparte(Bloquea bloquea) {
    impl_->bloquea_ = std::move(bloquea);
}

bool ServidorHttp::escuchar(const QHostAddress& direccion, quint16 puerto, QString* error) {
    return impl_->escuchar(direccion, puerto, error);
}

quint16 ServidorHttp::puerto() const {
    return impl_->puerto();
}

void ServidorHttp::cerrar() {
    impl_->cerrar();
}

int ServidorHttp::conexionesAbiertas() const {
    return impl_->abiertas();
}

const Limites& ServidorHttp::limites() const {
    return impl_->limites_;
}

} // namespace server

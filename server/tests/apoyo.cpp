#include "apoyo.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace prueba {

Almacen::Almacen() {
    if (!dir_.isValid()) {
        return;
    }
    qputenv("LUMBRE_UNIDADES", QFile::encodeName(dir_.path() + QStringLiteral("/u")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(dir_.path() + QStringLiteral("/cache")));
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(QStringLiteral("bash"),
            {QStringLiteral(LUMBRE_SOURCE_DIR "/tools/instalar-muestras.sh"), dir_.path() + QStringLiteral("/u")});
    valido_ = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QString Almacen::nativa(const QString& rutaAlmacen) const {
    QString r = rutaAlmacen;
    r.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (r.size() >= 2 && r[1] == QLatin1Char(':')) {
        r = r[0].toLower() + r.mid(2);
    }
    return dir_.path() + QStringLiteral("/u/") + r;
}

bool Almacen::escribir(const QString& rutaAlmacen, const QByteArray& bytes) const {
    const QString n = nativa(rutaAlmacen);
    QDir().mkpath(QFileInfo(n).path());
    QFile f(n);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QMap<QString, QByteArray> Almacen::huellas() const {
    QMap<QString, QByteArray> h;
    const QString u = dir_.path() + QStringLiteral("/u");
    QDirIterator it(u, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString f = it.next();
        const QFileInfo info(f);
        if (info.isSymLink()) {
            h[f] = "-> " + QFile::encodeName(info.symLinkTarget());
            continue;
        }
        QFile archivo(f);
        h[f] = archivo.open(QIODevice::ReadOnly)
                   ? QCryptographicHash::hash(archivo.readAll(), QCryptographicHash::Sha256).toHex()
                   : QByteArray("?");
    }
    return h;
}

QByteArray Contestacion::cabecera(const QByteArray& nombre) const {
    for (const QByteArray& linea : cabeza.split('\n')) {
        const qsizetype dos = linea.indexOf(':');
        if (dos > 0 && linea.left(dos).trimmed().toLower() == nombre.toLower()) {
            return linea.mid(dos + 1).trimmed();
        }
    }
    return {};
}

QList<Contestacion> separar(const QByteArray& bytes, int cabezas) {
    QList<Contestacion> v;
    qsizetype i = 0;
    while (i < bytes.size()) {
        const qsizetype fin = bytes.indexOf("\r\n\r\n", i);
        if (fin < 0) {
            break;
        }
        Contestacion c;
        c.cabeza = bytes.mid(i, fin - i);
        const QList<QByteArray> primera = c.cabeza.left(c.cabeza.indexOf('\r')).split(' ');
        c.estado = primera.size() > 1 ? primera[1].toInt() : 0;
        const qsizetype largo = v.size() < cabezas || c.estado == 304 ? 0 : c.cabecera("content-length").toLongLong();
        c.cuerpo = bytes.mid(fin + 4, largo);
        i = fin + 4 + largo;
        v << c;
    }
    return v;
}

QByteArray intercambiar(quint16 puerto, const QByteArray& bruto, int ms) {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(puerto);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QByteArray recibido;
    if (::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(s);
        return recibido;
    }
    const auto limite = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    qsizetype enviado = 0;
    while (true) {
        const auto queda =
            std::chrono::duration_cast<std::chrono::milliseconds>(limite - std::chrono::steady_clock::now());
        if (queda.count() <= 0) {
            break;
        }
        pollfd p{s, static_cast<short>(POLLIN | (enviado < bruto.size() ? POLLOUT : 0)), 0};
        if (::poll(&p, 1, static_cast<int>(queda.count())) <= 0) {
            break;
        }
        if ((p.revents & POLLOUT) && enviado < bruto.size()) {
            const auto n = ::send(s, bruto.constData() + enviado, static_cast<size_t>(bruto.size() - enviado),
                                  MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0) {
                enviado += n;
            }
        }
        if (p.revents & (POLLIN | POLLHUP | POLLERR)) {
            char b[65536];
            const auto n = ::recv(s, b, sizeof b, MSG_DONTWAIT);
            if (n <= 0) {
                break;
            }
            recibido.append(b, n);
        }
    }
    ::close(s);
    return recibido;
}

Contestacion pedir(quint16 puerto, const QByteArray& destino, const QByteArray& extra, const QByteArray& metodo) {
    const QByteArray bruto =
        metodo + ' ' + destino + " HTTP/1.1\r\nHost: prueba\r\nConnection: close\r\n" + extra + "\r\n";
    const auto v = separar(intercambiar(puerto, bruto), metodo == "HEAD" ? 1 : 0);
    return v.isEmpty() ? Contestacion() : v.front();
}

ServidorDePrueba::ServidorDePrueba(const std::vector<std::string>& directorios, server::Limites limites,
                                   server::Opciones opciones)
    : sitio_(std::make_unique<server::Sitio>(directorios, [&] {
          // The tests run from another directory than the programs: the converter is named.
          if (opciones.convertidor.empty()) {
              opciones.convertidor = TOMO_SERVIDOR_IMAGEN;
          }
          return opciones;
      }())) {
    sitio_->preparar();
    // The indexes are built before the tests ask: each look waits for the one under way.
    for (const auto& e : *sitio_->enciclopedias()) {
        e->revisar(true);
    }
    ancla_ = new QObject;
    ancla_->moveToThread(&hilo_);
    hilo_.start();
    QMetaObject::invokeMethod(
        ancla_,
        [&] {
            http_ =
                new server::ServidorHttp([this](const server::Peticion& p) { return sitio_->responder(p); }, limites,
                                         [this](const QByteArray& linea) {
                                             std::lock_guard b(mutex_);
                                             lineas_ << linea;
                                         });
            http_->colaAparte(&server::Sitio::bloquea);
            http_->escuchar(QHostAddress::LocalHost, 0);
            puerto_ = http_->puerto();
        },
        Qt::BlockingQueuedConnection);
}

ServidorDePrueba::~ServidorDePrueba() {
    QMetaObject::invokeMethod(
        ancla_, [&] { delete http_; }, Qt::BlockingQueuedConnection);
    hilo_.quit();
    hilo_.wait();
    delete ancla_;
}

QList<QByteArray> ServidorDePrueba::registro() const {
    std::lock_guard b(mutex_);
    return lineas_;
}

} // namespace prueba

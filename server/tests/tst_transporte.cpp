// The HTTP transport on its own, with handlers made for the test: what one client can do to the others. A
// slow search must not hold up a page, one address must not fill the server, a client that trickles its
// header or takes its answer a few bytes at a time is dropped, and a large file is sent from the file.

#include "apoyo.h"

#include <QElapsedTimer>
#include <QTemporaryFile>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <fcntl.h>
#include <thread>

namespace {

// A connected socket to 127.0.0.1:puerto from the loopback address `desde` ("127.0.0.2").
int conectar(quint16 puerto, const char* desde = "127.0.0.1", int bufer = 0) {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (bufer > 0) {
        ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, &bufer, sizeof bufer);
    }
    sockaddr_in origen{};
    origen.sin_family = AF_INET;
    ::inet_pton(AF_INET, desde, &origen.sin_addr);
    ::bind(s, reinterpret_cast<sockaddr*>(&origen), sizeof origen);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(puerto);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(s);
        return -1;
    }
    return s;
}

// Whether the server closed the socket (or refused it) within `ms`, reading and throwing away what comes.
bool cerradaAntesDe(int s, int ms, QByteArray* recibido = nullptr) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        pollfd p{s, POLLIN, 0};
        if (::poll(&p, 1, 50) > 0) {
            char b[65536];
            const auto n = ::recv(s, b, sizeof b, MSG_DONTWAIT);
            if (n <= 0) {
                return true;
            }
            if (recibido) {
                recibido->append(b, n);
            }
        }
    }
    return false;
}

struct Transporte {
    std::unique_ptr<server::ServidorHttp> http;
    std::mutex mutex;
    QList<QByteArray> lineas;

    Transporte(server::Manejador m, server::Limites l, server::Bloquea b = {}) {
        http = std::make_unique<server::ServidorHttp>(std::move(m), l, [this](const QByteArray& linea) {
            std::lock_guard g(mutex);
            lineas << linea;
        });
        http->colaAparte(std::move(b));
        http->escuchar(QHostAddress::LocalHost, 0);
    }
    quint16 puerto() const { return http->puerto(); }
    QList<QByteArray> registro() {
        std::lock_guard g(mutex);
        return lineas;
    }
};

server::Respuesta texto(const QByteArray& t) {
    server::Respuesta r;
    r.tipo = "text/plain";
    r.cuerpo = t;
    return r;
}

} // namespace

class TstTransporte : public QObject {
    Q_OBJECT

private slots:
    // Requests that may block wait on their own queue: with every queue thread busy, a page answers at once.
    void loQueBloqueaNoDetieneLoDemas() {
        server::Limites l;
        l.hilos = 1;
        l.hilosRed = 1;
        Transporte t(
            [](const server::Peticion& p) {
                if (p.ruta == "/lenta") {
                    QThread::msleep(1500);
                }
                return texto(p.ruta);
            },
            l, [](const server::Peticion& p) { return p.ruta == "/lenta"; });
        std::vector<std::thread> lentas;
        for (int i = 0; i < 3; ++i) {
            lentas.emplace_back([&] { prueba::pedir(t.puerto(), "/lenta"); });
        }
        QThread::msleep(200);
        QElapsedTimer reloj;
        reloj.start();
        const auto c = prueba::pedir(t.puerto(), "/rapida");
        const auto ms = reloj.elapsed();
        for (auto& h : lentas) {
            h.join();
        }
        QCOMPARE(c.estado, 200);
        QCOMPARE(c.cuerpo, QByteArray("/rapida"));
        QVERIFY2(ms < 700, qPrintable(QString::number(ms)));
    }

    // Many connections from one address are held to its share; another address is answered at once, and
    // the limit per address is off when it is 0 (behind a reverse proxy every client has the proxy's address).
    void unaDireccionNoLlenaElServidor_data() {
        QTest::addColumn<int>("porDireccion");
        QTest::newRow("con límite") << 4;
        QTest::newRow("sin límite") << 0;
    }
    void unaDireccionNoLlenaElServidor() {
        QFETCH(int, porDireccion);
        server::Limites l;
        l.conexiones = 64;
        l.porDireccion = porDireccion;
        l.msPeticion = 5000;
        l.msReposo = 5000;
        Transporte t([](const server::Peticion& p) { return texto(p.ruta); }, l);
        std::vector<int> lentas;
        for (int i = 0; i < 12; ++i) {
            const int s = conectar(t.puerto(), "127.0.0.2");
            QVERIFY(s >= 0);
            const QByteArray parte = "GET / HTTP/1.1\r\nX-" + QByteArray::number(i) + ": a\r\n";
            ::send(s, parte.constData(), static_cast<size_t>(parte.size()), MSG_NOSIGNAL);
            lentas.push_back(s);
        }
        QThread::msleep(300);
        int cerradas = 0;
        for (const int s : lentas) {
            cerradas += cerradaAntesDe(s, 20) ? 1 : 0;
        }
        QCOMPARE(cerradas, porDireccion ? 12 - porDireccion : 0);
        QElapsedTimer reloj;
        reloj.start();
        QCOMPARE(prueba::pedir(t.puerto(), "/otra").estado, 200);
        QVERIFY(reloj.elapsed() < 500);
        for (const int s : lentas) {
            ::close(s);
        }
    }

    // A header sent a line at a time keeps the connection busy, never idle: it still has to be whole within
    // the deadline counted from its first byte.
    void cabeceraAGoteo() {
        server::Limites l;
        l.msPeticion = 800;
        l.msReposo = 5000;
        Transporte t([](const server::Peticion& p) { return texto(p.ruta); }, l);
        const int s = conectar(t.puerto());
        QVERIFY(s >= 0);
        QElapsedTimer reloj;
        reloj.start();
        QByteArray recibido;
        bool cerrada = false;
        for (int i = 0; i < 40 && !cerrada; ++i) {
            const QByteArray linea =
                i == 0 ? QByteArray("GET / HTTP/1.1\r\n") : "X-Relleno-" + QByteArray::number(i) + ": a\r\n";
            ::send(s, linea.constData(), static_cast<size_t>(linea.size()), MSG_NOSIGNAL);
            cerrada = cerradaAntesDe(s, 150, &recibido);
        }
        ::close(s);
        QVERIFY2(cerrada, "the trickling client was never dropped");
        QVERIFY2(reloj.elapsed() < 2500, qPrintable(QString::number(reloj.elapsed())));
        QVERIFY2(recibido.startsWith("HTTP/1.1 408 "), recibido.constData());
        QTRY_VERIFY_WITH_TIMEOUT(t.registro().join('\n').contains(" 408 "), 2000);
    }

    // A large file goes out from the file, whole to a reader; one that takes it a few bytes at a time, slower
    // than the least rate, is dropped at the end of the window (the old timer restarted at every byte taken).
    void archivoGrandeYLectorLento() {
        QTemporaryFile archivo;
        QVERIFY(archivo.open());
        QByteArray bytes(8 << 20, '\0');
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            bytes[i] = static_cast<char>((i * 131) >> 7);
        }
        QCOMPARE(archivo.write(bytes), bytes.size());
        archivo.flush();
        const QByteArray ruta = QFile::encodeName(archivo.fileName());
        server::Limites l;
        l.msEscritura = 1500;
        l.minimoLectura = 256 * 1024;
        Transporte t(
            [ruta](const server::Peticion&) {
                server::Respuesta r;
                r.tipo = "image/png";
                const int fd = ::open(ruta.constData(), O_RDONLY | O_CLOEXEC);
                r.archivo = std::make_shared<server::Archivo>(fd, 8 << 20);
                r.etiqueta = "grande";
                return r;
            },
            l);
        const auto entera = prueba::pedir(t.puerto(), "/grande.png");
        QCOMPARE(entera.estado, 200);
        QCOMPARE(entera.cuerpo.size(), bytes.size());
        QVERIFY(entera.cuerpo == bytes);

        const int s = conectar(t.puerto(), "127.0.0.1", 16 * 1024);
        const QByteArray pedido = "GET /grande.png HTTP/1.1\r\nHost: x\r\n\r\n";
        ::send(s, pedido.constData(), static_cast<size_t>(pedido.size()), MSG_NOSIGNAL);
        QElapsedTimer reloj;
        reloj.start();
        qint64 leidos = 0;
        bool cerrada = false;
        while (!cerrada && reloj.elapsed() < 8000) {
            QThread::msleep(100);
            char b[2048];
            const auto n = ::recv(s, b, sizeof b, MSG_DONTWAIT);
            if (n == 0 || (n < 0 && errno != EAGAIN)) {
                cerrada = true;
            } else if (n > 0) {
                leidos += n;
            }
        }
        ::close(s);
        QVERIFY2(cerrada, qPrintable(QString::number(leidos)));
        QVERIFY(leidos < bytes.size());
        QTRY_VERIFY_WITH_TIMEOUT(t.registro().join('\n').contains("no tomó la respuesta a tiempo"), 2000);
    }
};

QTEST_GUILESS_MAIN(TstTransporte)
#include "tst_transporte.moc"

// The classroom server over a real loopback port: hostile requests, slow and silent clients, bursts, caching
// answers, live refresh, and what the pages show.

#include "apoyo.h"

#include "lexico/raices_espanolas.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <zlib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <thread>

using prueba::Contestacion;

namespace {

const QByteArray kSecreto = "CONTENIDO-SECRETO-FUERA-DE-LA-ENCICLOTOMO";

server::Limites limitesDePrueba() {
    server::Limites l;
    l.msPeticion = 800;
    l.msReposo = 1500;
    l.msEscritura = 3000;
    l.conexiones = 8;
    l.hilos = 2;
    return l;
}

bool esperarHasta(const std::function<bool()>& f, int ms = 10000) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        if (f()) {
            return true;
        }
        QThread::msleep(100);
    }
    return f();
}

} // namespace

class TstServidor : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<prueba::Almacen> almacen_;
    std::unique_ptr<prueba::ServidorDePrueba> servidor_;
    QMap<QString, QByteArray> antes_;
    quint16 puerto() const { return servidor_->puerto(); }

private slots:
    void initTestCase() {
        almacen_ = std::make_unique<prueba::Almacen>();
        QVERIFY(almacen_->valido());
        // Files outside the encyclopaedia, and links that lead to them from inside it.
        QVERIFY(almacen_->escribir(QStringLiteral("C:\\SECRETO.TXT"), "<TIT>" + kSecreto + "\r\n" + kSecreto));
        QVERIFY(almacen_->escribir(QStringLiteral("C:\\ENCICLO\\RIOS\\PRIVADO.TXT"), kSecreto));
        const QString secreto = almacen_->nativa(QStringLiteral("C:\\SECRETO.TXT"));
        QVERIFY(QFile::link(secreto, almacen_->nativa(QStringLiteral("C:\\ENCICLO\\SOLAR\\IMG\\FUERA.PNG"))));
        QVERIFY(QFile::link(secreto, almacen_->nativa(QStringLiteral("C:\\ENCICLO\\SOLAR\\ENLACE.TXT"))));
        // The editor's history, as a file naming a repository elsewhere.
        QVERIFY(almacen_->escribir(QStringLiteral("C:\\ENCICLO\\SOLAR\\.git"), "gitdir: /home/profesora/" + kSecreto));
        // The link is listed as an article, as a careless author might list it.
        QFile completa(almacen_->nativa(QStringLiteral("C:\\ENCICLO\\SOLAR\\COMPLETA.DAT")));
        QVERIFY(completa.open(QIODevice::Append));
        completa.write("ENLACE.TXT\r\n..\\RIOS\\PRIVADO.TXT\r\n.git\r\n");
        completa.close();
        antes_ = almacen_->huellas();

        server::Opciones o;
        o.intervalo = std::chrono::milliseconds(0);
        o.porPagina = 5;
        servidor_ = std::make_unique<prueba::ServidorDePrueba>(
            std::vector<std::string>{"C:\\ENCICLO\\SOLAR", "C:\\ENCICLO\\RIOS"}, limitesDePrueba(), o);
        QVERIFY(puerto() != 0);
    }

    // Nothing the server did wrote anything into the store (the tests' own edits are undone by then).
    void cleanupTestCase() {
        servidor_.reset();
        QCOMPARE(almacen_->huellas(), antes_);
    }

    void hostiles_data() {
        QTest::addColumn<QByteArray>("bruto");
        QTest::addColumn<int>("estado");
        const auto get = [](const QByteArray& destino) {
            return "GET " + destino + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
        };
        QTest::newRow("dos puntos") << get("/e/solar/a/../COLOR.DAT") << 404;
        QTest::newRow("dos puntos codificados") << get("/e/solar/a/%2e%2e/COLOR.DAT") << 404;
        QTest::newRow("barra codificada") << get("/e/solar/a/%2e%2e%2fRIOS%2fCOLOR.DAT") << 404;
        QTest::newRow("barra inversa codificada") << get("/e/solar/a/..%5CRIOS%5CPRIVADO.TXT") << 404;
        QTest::newRow("barra inversa") << get("/e/solar/a/..\\RIOS\\PRIVADO.TXT") << 404;
        QTest::newRow("ruta absoluta") << get("/e/solar/a/%2Fetc%2Fpasswd") << 404;
        QTest::newRow("unidad") << get("/e/solar/a/C:%5CSECRETO.TXT") << 404;
        QTest::newRow("NUL") << get("/e/solar/a/SOL.TXT%00.png") << 404;
        QTest::newRow("archivo fijo") << get("/e/solar/a/COLOR.DAT") << 404;
        QTest::newRow("índice de listas") << get("/e/solar/a/LISTAS.DAT") << 404;
        QTest::newRow("archivo de otra enciclotomo") << get("/e/rios/a/PRIVADO.TXT") << 404;
        QTest::newRow("epígrafe como imagen") << get("/e/solar/img/SOL.txt") << 404;
        QTest::newRow("imagen que sube") << get("/e/solar/img/..%2F..%2FSECRETO.TXT") << 404;
        QTest::newRow("imagen enlazada fuera") << get("/e/solar/img/FUERA.PNG") << 404;
        QTest::newRow("artículo enlazado fuera") << get("/e/solar/a/ENLACE.TXT") << 404;
        QTest::newRow("historial listado") << get("/e/solar/a/.git") << 404;
        QTest::newRow("historial en mayúsculas") << get("/e/solar/a/.GIT") << 404;
        QTest::newRow("id que sube") << get("/e/..%2Fsolar/") << 404;
        QTest::newRow("escape mal formado") << get("/e/solar/a/%zz") << 404;
        QTest::newRow("POST") << QByteArray("POST /e/solar/ HTTP/1.1\r\nHost: x\r\nContent-Length: 3\r\n\r\nabc")
                              << 405;
        QTest::newRow("PUT") << QByteArray("PUT /e/solar/a/SOL.TXT HTTP/1.1\r\nHost: x\r\n\r\n") << 405;
        QTest::newRow("DELETE") << QByteArray("DELETE /e/solar/a/SOL.TXT HTTP/1.1\r\nHost: x\r\n\r\n") << 405;
        QTest::newRow("GET con cuerpo")
            << QByteArray("GET / HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n") << 400;
        QTest::newRow("URL larga") << get("/e/solar/buscar?q=" + QByteArray(3000, 'a')) << 414;
        QTest::newRow("URL larguísima") << get("/e/solar/" + QByteArray(15000, 'a')) << 414;
        QTest::newRow("consulta larga") << get("/e/solar/buscar?q=" + QByteArray(400, 'a')) << 400;
        QTest::newRow("palabra larga") << get("/e/solar/diccionario?p=" + QByteArray(300, 'a')) << 400;
        QTest::newRow("cabeceras largas")
            << QByteArray("GET / HTTP/1.1\r\nHost: x\r\nX-Relleno: " + QByteArray(20000, 'r') + "\r\n\r\n") << 400;
        QTest::newRow("versión") << QByteArray("GET / HTTP/2.0\r\nHost: x\r\n\r\n") << 505;
        QTest::newRow("no es HTTP") << QByteArray("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03 \r\n\r\n", 16) << 400;
        QTest::newRow("destino sin barra") << get("e/solar/") << 400;
        // Where one request ends must be sure, or its body could run as a second request.
        QTest::newRow("dos largos distintos")
            << QByteArray("GET / HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\nContent-Length: 41\r\n\r\n"
                          "GET /e/solar/a/SOL.TXT HTTP/1.1\r\nHost: x\r\n\r\n")
            << 400;
        QTest::newRow("dos largos iguales")
            << QByteArray("GET / HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\nContent-Length: 0\r\n\r\n") << 400;
        QTest::newRow("codificación vacía")
            << QByteArray("GET / HTTP/1.1\r\nHost: x\r\nTransfer-Encoding:\r\nConnection: close\r\n\r\n") << 400;
        QTest::newRow("HTTP/1.1 sin Host") << QByteArray("GET / HTTP/1.1\r\nConnection: close\r\n\r\n") << 400;
        QTest::newRow("dos Host") << QByteArray("GET / HTTP/1.1\r\nHost: x\r\nHost: y\r\nConnection: close\r\n\r\n")
                                  << 400;
    }
    void hostiles() {
        QFETCH(QByteArray, bruto);
        QFETCH(int, estado);
        const QByteArray recibido = prueba::intercambiar(puerto(), bruto, 5000);
        const auto respuestas = prueba::separar(recibido);
        QVERIFY2(!respuestas.isEmpty(), recibido.constData());
        QCOMPARE(respuestas.front().estado, estado);
        QVERIFY(!recibido.contains(kSecreto));
        // Every refused request is logged with its status.
        QVERIFY(esperarHasta([&] {
            const auto r = servidor_->registro();
            return !r.isEmpty() && r.back().contains(' ' + QByteArray::number(estado) + ' ');
        }));
    }

    // A client that starts a request and stops, or never sends one, is dropped; nobody else waits for it.
    void clientesLentosYMudos_data() {
        QTest::addColumn<QByteArray>("parcial");
        QTest::addColumn<int>("estado");
        QTest::newRow("petición a medias") << QByteArray("GET /e/solar/ HTTP/1.1\r\nHo") << 408;
        QTest::newRow("sin cabeceras del todo") << QByteArray("GE") << 408;
        QTest::newRow("mudo") << QByteArray() << 0;
    }
    void clientesLentosYMudos() {
        QFETCH(QByteArray, parcial);
        QFETCH(int, estado);
        QByteArray recibido;
        QElapsedTimer t;
        t.start();
        std::thread lento([&] { recibido = prueba::intercambiar(puerto(), parcial, 8000); });
        QThread::msleep(100);
        // Meanwhile others are answered at once.
        for (int i = 0; i < 3; ++i) {
            QElapsedTimer u;
            u.start();
            QCOMPARE(prueba::pedir(puerto(), "/e/solar/").estado, 200);
            QVERIFY(u.elapsed() < 700);
        }
        lento.join();
        QVERIFY2(t.elapsed() < 4000, "the slow client was not dropped in time");
        const auto respuestas = prueba::separar(recibido);
        if (estado == 0) {
            QVERIFY(respuestas.isEmpty());
        } else {
            QCOMPARE(respuestas.size(), 1);
            QCOMPARE(respuestas.front().estado, estado);
        }
    }

    // Pipelined requests on one connection are answered in the order sent, each whole.
    void rafagaEnOrden() {
        QByteArray bruto;
        const int n = 150;
        for (int i = 0; i < n; ++i) {
            bruto += "GET /e/solar/diccionario?p=palabra" + QByteArray::number(i) + " HTTP/1.1\r\nHost: x\r\n" +
                     (i == n - 1 ? "Connection: close\r\n" : "") + "\r\n";
        }
        const auto respuestas = prueba::separar(prueba::intercambiar(puerto(), bruto, 20000));
        QCOMPARE(respuestas.size(), n);
        for (int i = 0; i < n; ++i) {
            QCOMPARE(respuestas[i].estado, 200);
            QVERIFY2(respuestas[i].cuerpo.contains("<dt lang=\"es\">PALABRA" + QByteArray::number(i) + "</dt>"),
                     qPrintable(QString::number(i)));
        }
    }

    // A client that sends requests without end and never reads the answers is not followed: the server stops
    // taking its bytes once one answer is waiting, so what it holds for that client stays bounded.
    void rafagaSinLeerNoCrece() {
        const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int pequeno = 64 * 1024;
        ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, &pequeno, sizeof pequeno);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(puerto());
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        QCOMPARE(::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        const QByteArray una = "GET /e/solar/a/SOL.TXT HTTP/1.1\r\nHost: x\r\n\r\n";
        QByteArray muchas;
        for (int i = 0; i < 1000; ++i) {
            muchas += una;
        }
        qint64 enviado = 0;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 2500 && enviado < 400ll * 1024 * 1024) {
            pollfd p{s, POLLOUT, 0};
            if (::poll(&p, 1, 200) <= 0) {
                continue;
            }
            const auto n =
                ::send(s, muchas.constData(), static_cast<size_t>(muchas.size()), MSG_DONTWAIT | MSG_NOSIGNAL);
            if (n > 0) {
                enviado += n;
            }
        }
        ::close(s);
        // What the system's buffers hold on both sides, and one request's worth in the server: a few megabytes.
        QVERIFY2(enviado < 32ll * 1024 * 1024, qPrintable(QString::number(enviado)));
        QCOMPARE(prueba::pedir(puerto(), "/").estado, 200);
    }

    // More clients than the server keeps connections for: all are answered, in turn.
    void masClientesQueConexiones() {
        const int clientes = 24; // three times the limit of the test's server
        std::vector<std::thread> hilos;
        std::atomic<int> bien{0};
        for (int i = 0; i < clientes; ++i) {
            hilos.emplace_back([&] {
                if (prueba::pedir(puerto(), "/e/solar/buscar?q=planeta").estado == 200) {
                    ++bien;
                }
            });
        }
        for (auto& h : hilos) {
            h.join();
        }
        QCOMPARE(bien.load(), clientes);
    }

    // Which requests wait on the queue of their own is told from the page the path names, decoded as the site
    // decodes it: an encoded letter does not put a search on the library's threads.
    void queBloquea_data() {
        QTest::addColumn<QByteArray>("ruta");
        QTest::addColumn<bool>("bloquea");
        QTest::newRow("búsqueda") << QByteArray("/e/solar/buscar") << true;
        QTest::newRow("búsqueda codificada") << QByteArray("/e/solar/%62uscar") << true;
        QTest::newRow("diccionario codificado") << QByteArray("/e/solar/dicciona%72io") << true;
        QTest::newRow("BMP, que se convierte") << QByteArray("/e/solar/img/SOL.%42MP") << true;
        QTest::newRow("PNG") << QByteArray("/e/solar/img/CAPAS.PNG") << false;
        QTest::newRow("artículo") << QByteArray("/e/solar/a/SOL.TXT") << false;
        QTest::newRow("lista") << QByteArray("/e/solar/") << false;
        QTest::newRow("hoja de estilo") << QByteArray("/recursos/estilo.css") << false;
    }
    void queBloquea() {
        QFETCH(QByteArray, ruta);
        QFETCH(bool, bloquea);
        server::Peticion p;
        p.ruta = ruta;
        QCOMPARE(server::Sitio::bloquea(p), bloquea);
    }

    void cabezaSinCuerpo() {
        const Contestacion get = prueba::pedir(puerto(), "/e/solar/a/SOL.TXT");
        const Contestacion head = prueba::pedir(puerto(), "/e/solar/a/SOL.TXT", {}, "HEAD");
        QCOMPARE(head.estado, 200);
        QVERIFY(head.cuerpo.isEmpty());
        QCOMPARE(head.cabecera("content-length"), QByteArray::number(get.cuerpo.size()));
        QCOMPARE(head.cabecera("etag"), get.cabecera("etag"));
    }

    void cache_data() {
        QTest::addColumn<QByteArray>("destino");
        QTest::newRow("lista") << QByteArray("/e/solar/");
        QTest::newRow("artículo") << QByteArray("/e/solar/a/SOL.TXT");
        QTest::newRow("imagen") << QByteArray("/e/solar/img/SOL.BMP");
        QTest::newRow("búsqueda") << QByteArray("/e/solar/buscar?q=sol");
        QTest::newRow("títulos") << QByteArray("/e/solar/titulos?q=ma");
        QTest::newRow("diccionario") << QByteArray("/e/solar/diccionario?p=cometa");
    }
    void cache() {
        QFETCH(QByteArray, destino);
        const Contestacion primera = prueba::pedir(puerto(), destino);
        QCOMPARE(primera.estado, 200);
        const QByteArray etiqueta = primera.cabecera("etag");
        QVERIFY(etiqueta.startsWith('"'));
        QVERIFY(!primera.cabecera("last-modified").isEmpty());
        const Contestacion segunda = prueba::pedir(puerto(), destino, "If-None-Match: " + etiqueta + "\r\n");
        QCOMPARE(segunda.estado, 304);
        QVERIFY(segunda.cuerpo.isEmpty());
        // A 304 stands for the whole answer: "Content-Length: 0" would say that it is empty.
        QVERIFY2(!segunda.cabeza.toLower().contains("content-length"), segunda.cabeza.constData());
        QCOMPARE(prueba::pedir(puerto(), destino, "If-None-Match: \"otra\"\r\n").estado, 200);
    }

    // Pages and style sheets go compressed to a browser that takes gzip, as a variant with a tag of its own;
    // both variants say Vary; a weight of zero means no.
    void gzip_data() {
        QTest::addColumn<QByteArray>("destino");
        QTest::newRow("artículo") << QByteArray("/e/solar/a/SOL.TXT");
        QTest::newRow("hoja de estilo") << QByteArray("/recursos/estilo.css");
        QTest::newRow("lista") << QByteArray("/e/solar/");
    }
    void gzip() {
        QFETCH(QByteArray, destino);
        const Contestacion llana = prueba::pedir(puerto(), destino);
        const Contestacion comprimida = prueba::pedir(puerto(), destino, "Accept-Encoding: br, gzip;q=0.8\r\n");
        QCOMPARE(comprimida.estado, 200);
        QCOMPARE(comprimida.cabecera("content-encoding"), QByteArray("gzip"));
        QCOMPARE(comprimida.cabecera("vary"), QByteArray("Accept-Encoding"));
        QCOMPARE(llana.cabecera("vary"), QByteArray("Accept-Encoding"));
        QVERIFY(comprimida.cuerpo.size() < llana.cuerpo.size() * 6 / 10);
        QByteArray abierta(llana.cuerpo.size() + 16, '\0');
        z_stream z{};
        QCOMPARE(inflateInit2(&z, 15 + 16), Z_OK);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(comprimida.cuerpo.constData()));
        z.avail_in = static_cast<uInt>(comprimida.cuerpo.size());
        z.next_out = reinterpret_cast<Bytef*>(abierta.data());
        z.avail_out = static_cast<uInt>(abierta.size());
        QCOMPARE(inflate(&z, Z_FINISH), Z_STREAM_END);
        abierta.resize(static_cast<qsizetype>(z.total_out));
        inflateEnd(&z);
        QCOMPARE(abierta, llana.cuerpo);
        QVERIFY(comprimida.cabecera("etag") != llana.cabecera("etag"));
        QCOMPARE(prueba::pedir(puerto(), destino,
                               "Accept-Encoding: gzip\r\nIf-None-Match: " + comprimida.cabecera("etag") + "\r\n")
                     .estado,
                 304);
        QCOMPARE(prueba::pedir(puerto(), destino, "Accept-Encoding: gzip\r\n").cuerpo, comprimida.cuerpo);
        QVERIFY(
            prueba::pedir(puerto(), destino, "Accept-Encoding: gzip;q=0\r\n").cabecera("content-encoding").isEmpty());
    }

    // A part of a picture, for a browser or a player that asks for one.
    void rangos_data() {
        QTest::addColumn<QByteArray>("pedido");
        QTest::addColumn<int>("estado");
        QTest::addColumn<int>("desde");
        QTest::addColumn<int>("largo"); // -1: the whole file
        QTest::newRow("del 10 al 19") << QByteArray("Range: bytes=10-19\r\n") << 206 << 10 << 10;
        QTest::newRow("desde el 100") << QByteArray("Range: bytes=100-\r\n") << 206 << 100 << -2;
        QTest::newRow("los 5 últimos") << QByteArray("Range: bytes=-5\r\n") << 206 << -5 << 5;
        QTest::newRow("fuera") << QByteArray("Range: bytes=999999999-\r\n") << 416 << 0 << 0;
        QTest::newRow("dos rangos: entero") << QByteArray("Range: bytes=1-2,5-6\r\n") << 200 << 0 << -1;
        QTest::newRow("mal formado: entero") << QByteArray("Range: bytes=x-y\r\n") << 200 << 0 << -1;
        QTest::newRow("If-Range de otro archivo")
            << QByteArray("Range: bytes=10-19\r\nIf-Range: \"otro\"\r\n") << 200 << 0 << -1;
    }
    void rangos() {
        QFETCH(QByteArray, pedido);
        QFETCH(int, estado);
        QFETCH(int, desde);
        QFETCH(int, largo);
        const Contestacion entera = prueba::pedir(puerto(), "/e/solar/img/CAPAS.PNG");
        QCOMPARE(entera.cabecera("accept-ranges"), QByteArray("bytes"));
        const Contestacion parte = prueba::pedir(puerto(), "/e/solar/img/CAPAS.PNG", pedido);
        QCOMPARE(parte.estado, estado);
        const qsizetype total = entera.cuerpo.size();
        if (estado == 416) {
            QCOMPARE(parte.cabecera("content-range"), "bytes */" + QByteArray::number(total));
            return;
        }
        const qsizetype inicio = desde < 0 ? total + desde : desde;
        const qsizetype n = largo == -1 ? total : largo == -2 ? total - inicio : largo;
        QCOMPARE(parte.cuerpo, entera.cuerpo.mid(inicio, n));
        if (estado == 206) {
            QCOMPARE(parte.cabecera("content-range"), "bytes " + QByteArray::number(inicio) + '-' +
                                                          QByteArray::number(inicio + n - 1) + '/' +
                                                          QByteArray::number(total));
        }
        const Contestacion cabeza = prueba::pedir(puerto(), "/e/solar/img/CAPAS.PNG", {}, "HEAD");
        QCOMPARE(cabeza.cabecera("content-length"), QByteArray::number(total));
        QVERIFY(cabeza.cuerpo.isEmpty());
    }

    // BMP, ICO and TIFF, which browsers do not all show, go as PNG, as the exports convert them; a file that is
    // no picture at all goes as it is.
    void imagenesComoPng_data() {
        QTest::addColumn<QByteArray>("destino");
        QTest::addColumn<QByteArray>("tipo");
        QTest::newRow("BMP") << QByteArray("/e/solar/img/SOL.BMP") << QByteArray("image/png");
        QTest::newRow("ICO") << QByteArray("/e/solar/icono") << QByteArray("image/png");
        QTest::newRow("BMP roto") << QByteArray("/e/rios/img/ROTA.BMP") << QByteArray("image/bmp");
    }
    void imagenesComoPng() {
        QFETCH(QByteArray, destino);
        QFETCH(QByteArray, tipo);
        QVERIFY(almacen_->escribir(QStringLiteral("C:\\ENCICLO\\RIOS\\IMG\\ROTA.BMP"), "BM no es una imagen"));
        const Contestacion c = prueba::pedir(puerto(), destino);
        QFile::remove(almacen_->nativa(QStringLiteral("C:\\ENCICLO\\RIOS\\IMG\\ROTA.BMP")));
        QCOMPARE(c.estado, 200);
        QCOMPARE(c.cabecera("content-type"), tipo);
        if (tipo == "image/png") {
            QVERIFY(c.cuerpo.startsWith("\x89PNG\r\n"));
            QCOMPARE(prueba::pedir(puerto(), destino, "If-None-Match: " + c.cabecera("etag") + "\r\n").estado, 304);
        } else {
            QCOMPARE(c.cuerpo, QByteArray("BM no es una imagen"));
        }
    }

    // A picture is the file itself: its modification time alone answers If-Modified-Since.
    void imagenNoModificada() {
        const Contestacion c = prueba::pedir(puerto(), "/e/solar/img/SOL.BMP");
        QCOMPARE(prueba::pedir(puerto(), "/e/solar/img/SOL.BMP",
                               "If-Modified-Since: " + c.cabecera("last-modified") + "\r\n")
                     .estado,
                 304);
    }

    // What the author saves is what the class reads next: titles, articles and the search follow the files.
    void alDia() {
        const QString completa = QStringLiteral("C:\\ENCICLO\\RIOS\\COMPLETA.DAT");
        const QString nuevo = QStringLiteral("C:\\ENCICLO\\RIOS\\DUERO.TXT");
        QFile f(almacen_->nativa(completa));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray original = f.readAll();
        f.close();
        const QByteArray etiqueta = prueba::pedir(puerto(), "/e/rios/").cabecera("etag");
        QVERIFY(almacen_->escribir(nuevo, "<TIT>El Duero\r\nNace en los Picos de Urbi\xf3n, zarandajuela.\r\n"));
        QVERIFY(almacen_->escribir(completa, original + "DUERO.TXT\r\n"));
        QVERIFY(esperarHasta([&] { return prueba::pedir(puerto(), "/e/rios/").cuerpo.contains(">El Duero<"); }));
        QVERIFY(prueba::pedir(puerto(), "/e/rios/", "If-None-Match: " + etiqueta + "\r\n").estado == 200);
        QVERIFY(esperarHasta(
            [&] { return prueba::pedir(puerto(), "/e/rios/buscar?q=zarandajuela").cuerpo.contains("El Duero"); }));
        QCOMPARE(prueba::pedir(puerto(), "/e/rios/a/DUERO.TXT").estado, 200);
        // Changed again: the article's new title shows.
        QVERIFY(almacen_->escribir(nuevo, "<TIT>El r\xedo Duero\r\nOtro texto.\r\n"));
        QVERIFY(esperarHasta([&] { return prueba::pedir(puerto(), "/e/rios/").cuerpo.contains(">El río Duero<"); }));
        // And gone again.
        QVERIFY(almacen_->escribir(completa, original));
        QFile::remove(almacen_->nativa(nuevo));
        QVERIFY(esperarHasta([&] { return prueba::pedir(puerto(), "/e/rios/a/DUERO.TXT").estado == 404; }));
    }

    // The encyclopaedia's colours reach its article pages once COLOR.DAT is saved.
    void coloresAlDia() {
        const QString ruta = QStringLiteral("C:\\ENCICLO\\SOLAR\\COLOR.DAT");
        QFile f(almacen_->nativa(ruta));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray original = f.readAll();
        f.close();
        QByteArray otro = original;
        otro.replace(0, otro.indexOf('\r'), "255"); // slot 0, the title strip's background: pure red
        QVERIFY(almacen_->escribir(ruta, otro));
        QVERIFY(esperarHasta([&] { return prueba::pedir(puerto(), "/e/solar/a/SOL.TXT").cuerpo.contains("#FF0000"); }));
        QVERIFY(almacen_->escribir(ruta, original));
        QVERIFY(
            esperarHasta([&] { return !prueba::pedir(puerto(), "/e/solar/a/SOL.TXT").cuerpo.contains("#FF0000"); }));
    }

    void paginas_data() {
        QTest::addColumn<QByteArray>("destino");
        QTest::addColumn<QStringList>("contiene");
        QTest::addColumn<QStringList>("noContiene");
        QTest::newRow("portada") << QByteArray("/")
                                 << QStringList{u"El Sistema Solar"_qs, u"Los ríos de España"_qs, u"/e/solar/icono"_qs,
                                                u"lang=\"es\""_qs}
                                 << QStringList{};
        QTest::newRow("lista completa, primera página")
            << QByteArray("/e/solar/")
            << QStringList{u"15 artículos en la lista.</p>"_qs, u">El Sistema Solar</a>"_qs,
                           u"value=\"PLANETAS INTERIORES\"/>"_qs, u"rel=\"next\" href=\"?desde=5\""_qs}
            << QStringList{u"Filtros aplicados"_qs, u">Marte<"_qs};
        QTest::newRow("dos listas, una tras otra")
            << QByteArray("/e/solar/?lista=PLANETAS+EXTERIORES&lista=PLANETAS%20INTERIORES")
            << QStringList{u"8 artículos en la lista. Filtros aplicados"_qs, u"checked=\"checked\""_qs,
                           u"<ol class=\"titulos\" start=\"1\">\n<li><a href=\"/e/solar/a/MERCURIO.TXT\">"_qs}
            << QStringList{};
        QTest::newRow("lista que no existe") << QByteArray("/e/solar/?lista=NINGUNA")
                                             << QStringList{u"15 artículos en la lista.</p>"_qs} << QStringList{};
        QTest::newRow("búsqueda, título primero")
            << QByteArray("/e/solar/buscar?q=marte")
            << QStringList{u"<ol class=\"resultados\" start=\"1\">\n<li><a href=\"/e/solar/a/MARTE.TXT\">Marte</a>"_qs,
                           u"<b>Marte</b>"_qs, u"encontrados."_qs}
            << QStringList{};
        QTest::newRow("búsqueda sin acentos ni plural")
            << QByteArray("/e/solar/buscar?q=JUPITERES") << QStringList{u">Júpiter</a>"_qs} << QStringList{};
        QTest::newRow("frase") << QByteArray("/e/solar/buscar?q=%22planeta+rojo%22")
                               << QStringList{u"1 artículo encontrado."_qs, u"MARTE.TXT"_qs} << QStringList{};
        QTest::newRow("prefijo") << QByteArray("/e/rios/buscar?q=guadal*")
                                 << QStringList{u"encontrado"_qs, u"<b>Guadal"_qs} << QStringList{};
        QByteArray comodines;
        for (int i = 0; i < 85; ++i) {
            comodines += i ? "+p*" : "p*";
        }
        QTest::newRow("85 comodines: solo los primeros")
            << "/e/solar/buscar?q=" + comodines
            << QStringList{u"se buscaron solo sus primeras palabras"_qs, u"encontrado"_qs} << QStringList{};
        QTest::newRow("más palabras de las que se buscan")
            << QByteArray("/e/solar/buscar?q=sol+sol+sol+sol+sol+sol+sol+sol+sol+sol+sol+sol+zzxxqq")
            << QStringList{u"se buscaron solo sus primeras palabras"_qs, u">El Sol</a>"_qs} << QStringList{};
        QTest::newRow("nada") << QByteArray("/e/solar/buscar?q=zzxxqq")
                              << QStringList{u"Ningún artículo tiene todas las palabras buscadas."_qs} << QStringList{};
        QTest::newRow("búsqueda al teclear") << QByteArray("/e/solar/buscar?q=rojo&parcial=1")
                                             << QStringList{u"MARTE.TXT"_qs} << QStringList{u"<html"_qs};
        QTest::newRow("títulos, sin acentos")
            << QByteArray("/e/solar/titulos?q=jupi")
            << QStringList{u"[{\"titulo\":\"Júpiter\",\"url\":\"/e/solar/a/JUPITER.TXT\"}]"_qs} << QStringList{};
        QTest::newRow("títulos, una palabra dentro")
            << QByteArray("/e/solar/titulos?q=luna") << QStringList{u"\"La Luna\""_qs} << QStringList{};
        QTest::newRow("referencia del diccionario")
            << QByteArray("/e/solar/diccionario?p=cometa")
            << QStringList{u"<dt lang=\"es\">COMETA</dt>"_qs,
                           u"Véase el artículo <a href=\"/e/solar/a/COMETAS.TXT\">Los cometas</a>."_qs}
            << QStringList{};
        QTest::newRow("palabra con signos, como un doble clic")
            << QByteArray("/e/solar/diccionario?p=(%C2%A1afelio!),")
            << QStringList{u"<dt lang=\"es\">AFELIO</dt>"_qs, u"PUNTO DE LA ÓRBITA"_qs} << QStringList{};
        QTest::newRow("palabra que no está") << QByteArray("/e/solar/diccionario?p=zzz")
                                             << QStringList{u"NO SE ENCUENTRA LA PALABRA BUSCADA"_qs} << QStringList{};
        QTest::newRow("artículo con su ilustración")
            << QByteArray("/e/solar/a/SOL.TXT")
            << QStringList{u"<h1>El Sol</h1>"_qs, u"src=\"/e/solar/img/SOL.BMP\""_qs, u"lang=\"es\""_qs,
                           u"data-diccionario=\"/e/solar/diccionario\""_qs}
            << QStringList{};
    }
    void paginas() {
        QFETCH(QByteArray, destino);
        QFETCH(QStringList, contiene);
        QFETCH(QStringList, noContiene);
        // A search right after another test changed an encyclopaedia may meet its index being brought up to date:
        // the page is asked for again until it shows everything, for a few seconds at most.
        Contestacion c;
        esperarHasta([&] {
            c = prueba::pedir(puerto(), destino);
            const QString t = QString::fromUtf8(c.cuerpo);
            return std::all_of(contiene.begin(), contiene.end(), [&](const QString& x) { return t.contains(x); });
        });
        QCOMPARE(c.estado, 200);
        const QString texto = QString::fromUtf8(c.cuerpo);
        for (const QString& t : contiene) {
            QVERIFY2(texto.contains(t), qPrintable(t + u"\n---\n"_qs + texto.left(4000)));
        }
        for (const QString& t : noContiene) {
            QVERIFY2(!texto.contains(t), qPrintable(t));
        }
    }

    // A word without an entry of its own is found under its stem, as in the viewer.
    void diccionarioPorRaiz() {
        if (lexico::rutaDiccionario().empty()) {
            QSKIP("No Spanish Hunspell dictionary (hunspell-es) on this machine.");
        }
        const Contestacion c = prueba::pedir(puerto(), "/e/solar/diccionario?p=planetas");
        QVERIFY2(c.cuerpo.contains("PLANETAS → PLANETA"), c.cuerpo.constData());
    }

    // Nothing from the network or from a store reaches the log raw: no control character (C0, DEL, C1) in any
    // line, whether it came in the target, a header, or a picture's name inside an article.
    void registroLimpio() {
        const QString articulo = QStringLiteral("C:\\ENCICLO\\RIOS\\LIMPIO.TXT");
        const QString completa = QStringLiteral("C:\\ENCICLO\\RIOS\\COMPLETA.DAT");
        QFile f(almacen_->nativa(completa));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray original = f.readAll();
        f.close();
        QVERIFY(almacen_->escribir(articulo, "<TIT>Limpio\r\n<IMG>\x1b[2J\x07\x9b.PNG\r\nNace en Albarrac\xedn.\r\n"));
        QVERIFY(almacen_->escribir(completa, original + "LIMPIO.TXT\r\n"));
        QVERIFY(esperarHasta([&] { return prueba::pedir(puerto(), "/e/rios/a/LIMPIO.TXT").estado == 200; }));
        prueba::intercambiar(
            puerto(), "GET /e/solar/a/X\x7f\xc2\x9b\x1b[2J.TXT HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
        prueba::pedir(puerto(), "/e/solar/img/A%7F%C2%9B%1B%5B2J.PNG");
        prueba::pedir(puerto(), "/e/solar/a/%1B%5B2J%07.TXT?q=%1B%07");
        QVERIFY(almacen_->escribir(completa, original));
        QFile::remove(almacen_->nativa(articulo));
        QThread::msleep(200);
        const QList<QByteArray> lineas = servidor_->registro();
        bool avisoDeImagen = false;
        for (const QByteArray& l : lineas) {
            for (qsizetype i = 0; i < l.size(); ++i) {
                const auto c = static_cast<unsigned char>(l[i]);
                const bool c1 = c == 0xC2 && i + 1 < l.size() && static_cast<unsigned char>(l[i + 1]) < 0xA0;
                QVERIFY2(c >= 0x20 && c != 0x7F && !c1, l.toPercentEncoding(" /:()").constData());
            }
            avisoDeImagen = avisoDeImagen || (l.contains("LIMPIO.TXT 200") && l.contains("%1B[2J%07"));
        }
        QVERIFY(avisoDeImagen);
    }

    void registroDeCadaPeticion() {
        const int antes = static_cast<int>(servidor_->registro().size());
        QCOMPARE(prueba::pedir(puerto(), "/e/solar/a/LUNA.TXT").estado, 200);
        QVERIFY(esperarHasta([&] { return servidor_->registro().size() > antes; }));
        const QByteArray linea = servidor_->registro().back();
        // time, address, method, target, status, bytes, milliseconds
        const QRegularExpression forma(u"^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z 127\\.0\\.0\\.1 GET "
                                       u"/e/solar/a/LUNA\\.TXT 200 \\d+ B "
                                       u"\\d+\\.\\d ms$"_qs);
        QVERIFY2(forma.match(QString::fromUtf8(linea)).hasMatch(), linea.constData());
    }

    // What a pupil searched or looked up is not logged next to their address (unless the server is told to).
    void registroSinConsultas() {
        QCOMPARE(prueba::pedir(puerto(), "/e/solar/buscar?q=mi+secreto&desde=0").estado, 200);
        QCOMPARE(prueba::pedir(puerto(), "/e/solar/diccionario?p=otrosecreto").estado, 200);
        QVERIFY(esperarHasta([&] { return servidor_->registro().join('\n').contains("diccionario?p=-"); }));
        const QByteArray todo = servidor_->registro().join('\n');
        QVERIFY(todo.contains(" GET /e/solar/buscar?q=-&desde=- 200 "));
        QVERIFY(!todo.contains("secreto"));
    }
};

QTEST_GUILESS_MAIN(TstServidor)
#include "tst_servidor.moc"

// The real viewer under a real X server.
//
// startup_x_100k  the tomo program started in a virtual X display (Xvfb) until both of its windows are mapped,
//                 seen by the X server itself (its map notifications on the root window), at 100,000 articles
//                 against the same on an empty encyclopaedia. Each start is a process of its own, ended once
//                 both windows are mapped. Left out, saying why, where Xvfb is not installed.

#include "measure.h"
#include "synthetic_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <poll.h>

#include <cstdio>
#include <set>

#if LUMBRE_BENCH_XCB
#include <xcb/xcb.h>
#endif

namespace {

#if LUMBRE_BENCH_XCB

// A virtual display of its own for the measure, with a connection that hears every window mapped on it.
class PantallaVirtual {
public:
    bool abrir(const QString& xvfb) {
        for (int n = 91; n < 120 && !conexion_; ++n) {
            if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) ||
                QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n))) {
                continue;
            }
            nombre_ = QStringLiteral(":%1").arg(n);
            servidor_.start(xvfb, {nombre_, QStringLiteral("-screen"), QStringLiteral("0"),
                                   QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
            if (!servidor_.waitForStarted(5000)) {
                return false;
            }
            for (int intento = 0; intento < 100 && !conexion_; ++intento) {
                xcb_connection_t* c = xcb_connect(nombre_.toLatin1().constData(), nullptr);
                if (c && !xcb_connection_has_error(c)) {
                    conexion_ = c;
                } else {
                    if (c) {
                        xcb_disconnect(c);
                    }
                    QThread::msleep(50);
                }
            }
            if (!conexion_) {
                servidor_.kill();
                servidor_.waitForFinished();
            }
        }
        if (!conexion_) {
            return false;
        }
        raiz_ = xcb_setup_roots_iterator(xcb_get_setup(conexion_)).data->root;
        const std::uint32_t mascara = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(conexion_, raiz_, XCB_CW_EVENT_MASK, &mascara);
        xcb_flush(conexion_);
        return true;
    }
    ~PantallaVirtual() {
        if (conexion_) {
            xcb_disconnect(conexion_);
        }
        servidor_.terminate();
        servidor_.waitForFinished(5000);
    }
    const QString& nombre() const { return nombre_; }

    // Waits until `ventanas` top-level windows were mapped; false after `ms` milliseconds.
    bool esperarMapeadas(std::size_t ventanas, int ms) {
        std::set<xcb_window_t> mapeadas;
        QElapsedTimer reloj;
        reloj.start();
        while (mapeadas.size() < ventanas) {
            while (xcb_generic_event_t* e = xcb_poll_for_event(conexion_)) {
                if ((e->response_type & 0x7F) == XCB_MAP_NOTIFY) {
                    const auto* m = reinterpret_cast<xcb_map_notify_event_t*>(e);
                    if (m->event == raiz_ && !m->override_redirect) {
                        mapeadas.insert(m->window);
                    }
                }
                std::free(e);
            }
            if (mapeadas.size() >= ventanas) {
                break;
            }
            const qint64 quedan = ms - reloj.elapsed();
            if (quedan <= 0 || xcb_connection_has_error(conexion_)) {
                return false;
            }
            pollfd p{xcb_get_file_descriptor(conexion_), POLLIN, 0};
            ::poll(&p, 1, static_cast<int>(quedan));
        }
        return true;
    }
    void descartarEventos() {
        while (xcb_generic_event_t* e = xcb_poll_for_event(conexion_)) {
            std::free(e);
        }
    }

private:
    QProcess servidor_;
    QString nombre_;
    xcb_connection_t* conexion_ = nullptr;
    xcb_window_t raiz_ = 0;
};

// Seconds from spawning tomo until both windows are mapped.
double arrancarTomo(PantallaVirtual& pantalla, int esperaAlFinalMs) {
    pantalla.descartarEventos();
    QProcess tomo;
    QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
    entorno.insert(QStringLiteral("DISPLAY"), pantalla.nombre());
    entorno.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    tomo.setProcessEnvironment(entorno);
    tomo.setStandardOutputFile(QProcess::nullDevice());
    // The toolkit's messages go where the benchmark's own go (main.cpp), not to its output.
    tomo.setStandardErrorFile(QDir::temp().filePath(QStringLiteral("lumbre-bench-avisos.txt")), QIODevice::Append);
    QElapsedTimer reloj;
    reloj.start();
    tomo.start(QCoreApplication::applicationDirPath() + QStringLiteral("/tomo"), {});
    const bool mapeadas = tomo.waitForStarted(10000) && pantalla.esperarMapeadas(2, 60000);
    const double segundos = static_cast<double>(reloj.nsecsElapsed()) / 1e9;
    if (esperaAlFinalMs > 0) {
        QThread::msleep(static_cast<unsigned long>(esperaAlFinalMs));
    }
    tomo.kill();
    tomo.waitForFinished(10000);
    if (!mapeadas) {
        std::fprintf(stderr, "startup_x_100k: las ventanas de tomo no aparecieron\n");
        std::exit(2);
    }
    return segundos;
}

bench::Resultado arranqueEnX() {
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty()) {
        return bench::Resultado{0, 0, "omitida: Xvfb no está instalado"};
    }
    PantallaVirtual pantalla;
    if (!pantalla.abrir(xvfb)) {
        std::fprintf(stderr, "startup_x_100k: no se pudo abrir la pantalla virtual\n");
        std::exit(2);
    }
    // A first start of each, not counted: the one at 100,000 lives long enough to write its title cache.
    bench::almacen(100000);
    arrancarTomo(pantalla, 4000);
    bench::almacen(0);
    arrancarTomo(pantalla, 0);
    std::vector<double> grande, vacia;
    for (int ronda = 0; ronda < 7; ++ronda) {
        bench::almacen(100000);
        grande.push_back(arrancarTomo(pantalla, 0));
        bench::almacen(0);
        vacia.push_back(arrancarTomo(pantalla, 0));
    }
    return bench::Resultado{bench::mediana(grande), bench::mediana(vacia), "s"};
}

#else

bench::Resultado arranqueEnX() {
    return bench::Resultado{0, 0, "omitida: compilado sin libxcb"};
}

#endif

} // namespace

LUMBRE_MEDIDA("startup_x_100k", bench::Tipo::Razon, 1.3, arranqueEnX);

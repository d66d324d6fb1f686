// tomo-servidor: the encyclopaedias of the registry, or those given, read and searched from any browser of
// the network. Read-only; no display needed.

#include "server/http.h"
#include "server/sitio.h"
#include "store/archivo_de_texto.h"
#include "store/codificacion.h"
#include "store/registro.h"
#include "store/rutas.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QSocketNotifier>

#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#ifndef LUMBRE_VERSION
#define LUMBRE_VERSION "1.0"
#endif

namespace {

int tuberiaSenal[2] = {-1, -1};

void alRecibirSenal(int) {
    const char c = 1;
    [[maybe_unused]] const auto escritos = ::write(tuberiaSenal[1], &c, 1);
}

const char* const kAyuda =
    "Uso: tomo-servidor [--puerto N] [--direccion IP] [--conexiones N] [--por-direccion N] [--registrar-consultas]\n"
    "                    [RUTA...]\n"
    "Sirve las enciclotomos a los navegadores de la red, solo para leer: la lista de títulos con sus listas,\n"
    "los artículos con sus ilustraciones, la búsqueda en el texto y el diccionario.\n"
    "\n"
    "  RUTA            una enciclotomo (C:\\ENCICLO\\SOLAR o un directorio); sin RUTA, todas las del registro\n"
    "  --puerto N      el puerto en que escucha (8080 si no se indica)\n"
    "  --direccion IP  la dirección en que escucha (todas si no se indica; 127.0.0.1 solo este equipo)\n"
    "  --conexiones N  las conexiones abiertas a la vez, en total (4096 si no se indica)\n"
    "  --por-direccion N\n"
    "                  las conexiones abiertas a la vez desde una misma dirección (300 si no se indica; una clase\n"
    "                  tras el router de la escuela cabe); 0 sin límite, detrás de un proxy inverso\n"
    "  --registrar-consultas\n"
    "                  anota también lo buscado junto a la dirección de quien lo busca (no se anota si no se pide)\n"
    "  --help          muestra esta ayuda\n"
    "  --version       muestra la versión\n"
    "\n"
    "Cada petición se anota en la salida de errores. SIGTERM o Ctrl+C lo terminan.\n";

int error(const QString& texto) {
    std::fprintf(stderr, "tomo-servidor: %s\nPruebe «tomo-servidor --help».\n", texto.toLocal8Bit().constData());
    return 2;
}

// A directory given on the command line as the store names it: a drive path as typed, a native one made absolute.
std::optional<std::string> directorioDe(const QString& ruta, QString* motivo) {
    const auto directorio = store::rutaDeOrden(ruta.toStdString());
    if (!directorio) {
        *motivo = QStringLiteral("«%1»: la ruta tiene caracteres que las enciclotomos no admiten.").arg(ruta);
        return std::nullopt;
    }
    if (!store::existeDirectorio(*directorio)) {
        *motivo = QStringLiteral("«%1»: no existe ese directorio.").arg(ruta);
        return std::nullopt;
    }
    if (!store::existeArchivo(*directorio + "\\COMPLETA.DAT")) {
        *motivo = QStringLiteral("«%1» no es una enciclotomo: le falta COMPLETA.DAT.").arg(ruta);
        return std::nullopt;
    }
    return directorio;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tomo-servidor"));
    const QStringList args = app.arguments().mid(1);

    quint16 puerto = 8080;
    QHostAddress direccion = QHostAddress::Any;
    QStringList rutas;
    server::Limites limites;
    bool opciones = true;
    const auto numero = [&](qsizetype& i, const QString& a) {
        return a.contains(QLatin1Char('=')) ? a.section(QLatin1Char('='), 1)
               : i + 1 < args.size()        ? args[++i]
                                            : QString();
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (opciones && a == QLatin1String("--")) {
            opciones = false;
        } else if (opciones && a == QLatin1String("--help")) {
            std::fputs(kAyuda, stdout);
            return 0;
        } else if (opciones && a == QLatin1String("--version")) {
            std::printf("tomo-servidor (Lumbre) %s\n", LUMBRE_VERSION);
            return 0;
        } else if (opciones && (a == QLatin1String("--puerto") || a.startsWith(QLatin1String("--puerto=")))) {
            const QString valor = a.contains(QLatin1Char('=')) ? a.section(QLatin1Char('='), 1)
                                  : i + 1 < args.size()        ? args[++i]
                                                               : QString();
            bool ok = false;
            const uint n = valor.toUInt(&ok);
            if (!ok || n > 65535) {
                return error(QStringLiteral("«%1» no es un puerto: se espera un número de 0 a 65535.").arg(valor));
            }
            puerto = static_cast<quint16>(n);
        } else if (opciones && (a == QLatin1String("--direccion") || a.startsWith(QLatin1String("--direccion=")))) {
            const QString valor = a.contains(QLatin1Char('=')) ? a.section(QLatin1Char('='), 1)
                                  : i + 1 < args.size()        ? args[++i]
                                                               : QString();
            if (!direccion.setAddress(valor)) {
                return error(QStringLiteral("«%1» no es una dirección IP.").arg(valor));
            }
        } else if (opciones &&
                   (a == QLatin1String("--conexiones") || a.startsWith(QLatin1String("--conexiones=")) ||
                    a == QLatin1String("--por-direccion") || a.startsWith(QLatin1String("--por-direccion=")))) {
            const bool total = a.startsWith(QLatin1String("--conexiones"));
            const QString valor = numero(i, a);
            bool ok = false;
            const uint n = valor.toUInt(&ok);
            if (!ok || n > 1000000 || (total && n < 4)) {
                return error(
                    QStringLiteral("«%1» no es un número de conexiones válido para %2.")
                        .arg(valor, total ? QStringLiteral("--conexiones") : QStringLiteral("--por-direccion")));
            }
            (total ? limites.conexiones : limites.porDireccion) = static_cast<int>(n);
        } else if (opciones && a == QLatin1String("--registrar-consultas")) {
            limites.registrarConsultas = true;
        } else if (opciones && a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            return error(QStringLiteral("opción desconocida «%1».").arg(a));
        } else {
            rutas << a;
        }
    }

    std::vector<std::string> directorios;
    for (const QString& r : rutas) {
        QString motivo;
        const auto d = directorioDe(r, &motivo);
        if (!d) {
            return error(motivo);
        }
        directorios.push_back(*d);
    }
    if (rutas.isEmpty()) {
        // Without RUTA, the registry: told here what cannot be served; the server then follows the registry.
        const auto registradas = store::enciclopediasRegistradas();
        if (!registradas) {
            std::fprintf(stderr, "tomo-servidor: %s\n", store::cp1252AUtf8(registradas.error().mensaje()).c_str());
            return 1;
        }
        for (const std::string_view d : *registradas) {
            if (!d.empty() && !store::existeDirectorio(std::string(d))) {
                std::fprintf(stderr, "tomo-servidor: no se encuentra la enciclotomo %s; se sirven las demás.\n",
                             store::cp1252AUtf8(d).c_str());
            }
        }
    }

    // Each connection is a descriptor: the soft limit is raised as far as the system lets this user.
    rlimit nofile{};
    if (::getrlimit(RLIMIT_NOFILE, &nofile) == 0 && nofile.rlim_cur < nofile.rlim_max) {
        nofile.rlim_cur = nofile.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &nofile);
    }

    std::unique_ptr<server::Sitio> sitio = rutas.isEmpty() ? std::make_unique<server::Sitio>(server::Opciones{})
                                                           : std::make_unique<server::Sitio>(directorios);
    sitio->preparar();
    server::ServidorHttp http([&sitio](const server::Peticion& p) { return sitio->responder(p); }, limites);
    http.colaAparte(&server::Sitio::bloquea);
    QString motivo;
    if (!http.escuchar(direccion, puerto, &motivo)) {
        std::fprintf(stderr, "tomo-servidor: %s\n", motivo.toLocal8Bit().constData());
        return 1;
    }
    std::fprintf(stderr, "tomo-servidor: %zu enciclotomos en http://%s:%u/\n", sitio->enciclopedias()->size(),
                 direccion == QHostAddress::Any ? "0.0.0.0" : direccion.toString().toLocal8Bit().constData(),
                 static_cast<unsigned>(http.puerto()));
    std::fflush(stderr);

    // SIGTERM and SIGINT end it cleanly: the answers under way are finished, then the program returns.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, tuberiaSenal) == 0) {
        struct sigaction sa {};
        sa.sa_handler = alRecibirSenal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        ::sigaction(SIGTERM, &sa, nullptr);
        ::sigaction(SIGINT, &sa, nullptr);
    }
    ::signal(SIGPIPE, SIG_IGN);
    QSocketNotifier aviso(tuberiaSenal[0], QSocketNotifier::Read);
    QObject::connect(&aviso, &QSocketNotifier::activated, &app, [&] {
        char c = 0;
        [[maybe_unused]] const auto leidos = ::read(tuberiaSenal[0], &c, 1);
        std::fprintf(stderr, "tomo-servidor: terminado.\n");
        http.cerrar();
        app.quit();
    });
    return app.exec();
}

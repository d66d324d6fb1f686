#include "publish/orden_exportar.h"

#include "publish/exportacion.h"

#include "store/codificacion.h"
#include "store/rutas.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>

#include <atomic>
#include <csignal>
#include <cstdio>

namespace publish {

namespace {

std::atomic_bool cancelarPorSenal{false};

extern "C" void alInterrumpir(int) {
    cancelarPorSenal.store(true);
}

void decir(QString* salida, const QString& texto) {
    if (salida) {
        *salida += texto;
    } else {
        std::fputs(texto.toLocal8Bit().constData(), stderr);
        std::fflush(stderr);
    }
}

int errorDeUso(QString* salida, const QString& que) {
    decir(salida, QStringLiteral("forja: %1\nPruebe «forja --help» para ver cómo se usa.\n").arg(que));
    return 2;
}

} // namespace

QString ayudaExportar() {
    registrarFormatosIncorporados();
    QString s = QStringLiteral("Exportar sin abrir ninguna ventana:\n"
                               "  forja --exportar FORMATO RUTA DESTINO [--reemplazar]\n"
                               "      escribe la enciclotomo de RUTA en DESTINO, en uno de estos formatos:\n");
    for (const QString& nombre : RegistroDeFormatos::global().nombres()) {
        s += QStringLiteral("        %1  %2\n")
                 .arg(nombre, -5)
                 .arg(RegistroDeFormatos::global().buscar(nombre)->descripcion());
    }
    s += QStringLiteral("      Un DESTINO que ya existe no se reemplaza sin --reemplazar. El progreso y los avisos "
                        "van a la\n      salida de errores. Termina con 0 si se escribió todo sin avisos, 3 si se "
                        "escribió con avisos\n      (una imagen que falta, un artículo que no se puede leer), 1 si "
                        "no se escribió nada y 2 si la\n      orden está mal escrita.\n");
    return s;
}

std::optional<int> ejecutarOrdenExportar(const QStringList& argumentos, QString* salida) {
    const qsizetype donde = argumentos.indexOf(QStringLiteral("--exportar"));
    const qsizetype fin = argumentos.indexOf(QStringLiteral("--"));
    if (donde < 0 || (fin >= 0 && fin < donde)) {
        return std::nullopt;
    }
    registrarFormatosIncorporados();
    if (argumentos.contains(QStringLiteral("--help")) || argumentos.contains(QStringLiteral("-h"))) {
        if (salida) {
            *salida += ayudaExportar();
        } else {
            std::fputs(ayudaExportar().toLocal8Bit().constData(), stdout);
        }
        return 0;
    }
    bool reemplazar = false;
    bool opciones = true;
    QStringList resto;
    for (qsizetype i = 0; i < argumentos.size(); ++i) {
        const QString& a = argumentos[i];
        if (i == donde) {
            continue;
        }
        if (opciones && a == QLatin1String("--")) {
            opciones = false;
        } else if (opciones && a == QLatin1String("--reemplazar")) {
            reemplazar = true;
        } else if (opciones && a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            return errorDeUso(salida, QStringLiteral("opción desconocida «%1» con --exportar.").arg(a));
        } else {
            resto << a;
        }
    }
    if (resto.size() != 3) {
        return errorDeUso(
            salida,
            QStringLiteral("--exportar pide FORMATO, RUTA y DESTINO; se dieron %1 argumentos.").arg(resto.size()));
    }
    const QString& formato = resto[0];
    if (!RegistroDeFormatos::global().buscar(formato)) {
        return errorDeUso(salida, QStringLiteral("no se conoce el formato «%1»; los formatos son: %2.")
                                      .arg(formato, RegistroDeFormatos::global().nombres().join(QStringLiteral(", "))));
    }
    if (resto[1].isEmpty() || resto[2].isEmpty()) {
        return errorDeUso(salida, QStringLiteral("RUTA y DESTINO no pueden estar vacíos."));
    }
    std::string noRepresentables;
    const auto enciclopedia = store::rutaDeOrden(resto[1].toStdString(), &noRepresentables);
    if (!enciclopedia) {
        decir(salida, QStringLiteral("forja: la ruta «%1» tiene caracteres que las enciclotomos no admiten (%2).\n")
                          .arg(resto[1], QString::fromStdString(noRepresentables)));
        return 1;
    }
    Encargo encargo{formato, *enciclopedia, QDir::current().absoluteFilePath(resto[2]), reemplazar};

    cancelarPorSenal.store(false);
    const auto anterior = std::signal(SIGINT, alInterrumpir);
    const auto anteriorTerm = std::signal(SIGTERM, alInterrumpir);
    int ultimo = -1;
    QElapsedTimer reloj;
    reloj.start();
    const Informe informe = exportar(
        encargo,
        [&](const Progreso& p) {
            const int porciento = p.total > 0 ? static_cast<int>(p.hecho * 100 / p.total) : 0;
            if (porciento != ultimo) {
                ultimo = porciento;
                decir(salida, QStringLiteral("forja: [%1%] %2\n").arg(porciento, 3).arg(p.paso));
            }
        },
        &cancelarPorSenal);
    std::signal(SIGINT, anterior);
    std::signal(SIGTERM, anteriorTerm);

    for (const QString& aviso : informe.avisos) {
        decir(salida, QStringLiteral("forja: aviso: %1\n").arg(aviso));
    }
    if (informe.totalDeAvisos > informe.avisos.size()) {
        decir(salida, QStringLiteral("forja: y %1 avisos más.\n").arg(informe.totalDeAvisos - informe.avisos.size()));
    }
    switch (informe.fin) {
    case Informe::Fin::Completo:
    case Informe::Fin::ConAvisos:
        decir(salida,
              QStringLiteral("forja: %1 artículos exportados a «%2» en %3 s%4.\n")
                  .arg(informe.articulos)
                  .arg(resto[2])
                  .arg(static_cast<double>(reloj.elapsed()) / 1000.0, 0, 'f', 1)
                  .arg(informe.avisos.isEmpty() ? QString()
                                                : QStringLiteral(", con %1 avisos").arg(informe.totalDeAvisos)));
        return informe.fin == Informe::Fin::Completo ? 0 : 3;
    case Informe::Fin::Cancelado:
    case Informe::Fin::Fallido:
        decir(salida, QStringLiteral("forja: %1\n").arg(informe.error));
        return 1;
    }
    return 1;
}

std::optional<int> atenderExportacion(int argc, char* argv[]) {
    QStringList argumentos;
    for (int i = 1; i < argc; ++i) {
        argumentos << QString::fromLocal8Bit(argv[i]);
    }
    if (!argumentos.contains(QStringLiteral("--exportar"))) {
        return std::nullopt;
    }
    // The pictures are converted by the toolkit's image plug-ins and a PDF is set in the system's fonts: both need
    // a graphical application object, but no display, so it stands on the offscreen platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    return ejecutarOrdenExportar(argumentos);
}

} // namespace publish

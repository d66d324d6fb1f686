#include "ui/aplicacion.h"

#include "ui/anclas.h"
#include "ui/dialogos.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QString>
#include <QTimer>
#include <QTranslator>

#include <csignal>
#include <cstdio>

// The resources live in a static library, whose initialiser the linker would otherwise drop.
static void iniciarRecursos() {
    static const bool hecho = [] {
        Q_INIT_RESOURCE(ui);
        return true;
    }();
    Q_UNUSED(hecho);
}

namespace ui {

void iniciarAplicacion(QApplication& app, const QString& nombre) {
    iniciarRecursos();
    QApplication::setApplicationName(nombre);
    activarMemoriaDeVentanas(true); // the programs remember where the user left their windows; tests do not
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/lumbre/lumbre.ico")));
    // A write beyond the file-size limit fails with an error the store reports, instead of ending the program.
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    // For the start-up tests of whole programs: LUMBRE_PRUEBA_SALIR=<ms> answers every message box without
    // showing it, and quits that long after the event loop starts, printing the messages that were given;
    // a program that never gets back to its event loop never quits.
    if (const int ms = qEnvironmentVariableIntValue("LUMBRE_PRUEBA_SALIR"); ms > 0) {
        Dialogos::modoPrueba(true);
        QTimer::singleShot(ms, &app, [] {
            for (const DialogoMostrado& d : Dialogos::mostrados())
                std::fprintf(stderr, "lumbre: mensaje: %s\n", d.texto.toUtf8().constData());
            std::fprintf(stderr, "lumbre: en marcha\n");
            QCoreApplication::exit(0); // every event loop ends, whatever the windows say
        });
    }
    auto* traductor = new QTranslator(&app);
    if (traductor->load(QLocale(QLocale::Spanish), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(traductor);
    }
}

QByteArray iconoPropio() {
    iniciarRecursos();
    QFile f(QStringLiteral(":/lumbre/lumbre.ico"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace ui

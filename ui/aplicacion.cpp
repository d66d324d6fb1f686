#include "ui/aplicacion.h"

#include "ui/anclas.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QString>
#include <QTranslator>

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

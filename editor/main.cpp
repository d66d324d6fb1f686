#include "editor/revision.h"
#include "editor/taller.h"
#include "ui/aplicacion.h"
#include "ui/linea_de_ordenes.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>

namespace {

// "--revisar RUTA", answered before any window, without a display.
std::optional<int> revisarSinVentanas(int argc, char* argv[]) {
    QStringList argumentos;
    for (int i = 1; i < argc; ++i) {
        argumentos << QString::fromLocal8Bit(argv[i]);
    }
    const ui::Orden orden = ui::leerLineaDeOrdenes(argumentos, ui::Programa::Forja);
    if (orden.tipo != ui::Orden::Tipo::Revisar) {
        return std::nullopt;
    }
    QCoreApplication app(argc, argv); // the picture loader's plug-ins are found through it
    return forja::revisarEnConsola(orden.ruta, stdout, stderr);
}

} // namespace

int main(int argc, char* argv[]) {
    if (const auto fin = ui::atenderSinVentanas(argc, argv, ui::Programa::Forja)) {
        return *fin;
    }
    if (const auto fin = revisarSinVentanas(argc, argv)) {
        return *fin;
    }
    QApplication app(argc, argv);
    ui::iniciarAplicacion(app, QStringLiteral("Forja"));
    const ui::Orden orden = ui::leerLineaDeOrdenes(QApplication::arguments().mid(1), ui::Programa::Forja);
    if (orden.tipo == ui::Orden::Tipo::Error) {
        std::fputs(orden.mensaje.toLocal8Bit().constData(), stderr);
        return 2;
    }
    Taller taller;
    taller.show();
    return QApplication::exec();
}

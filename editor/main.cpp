#include "editor/taller.h"
#include "publish/orden_exportar.h"
#include "ui/aplicacion.h"
#include "ui/linea_de_ordenes.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    // An export needs no window, and so no display: it is answered before the toolkit is started.
    if (const auto fin = publish::atenderExportacion(argc, argv)) {
        return *fin;
    }
    if (const auto fin = ui::atenderSinVentanas(argc, argv, ui::Programa::Forja)) {
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

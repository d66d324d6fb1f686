#include "editor/importar_en_linea.h"
#include "editor/orden_historial.h"
#include "editor/revision.h"
#include "editor/sesion.h"
#include "editor/ventana_forja.h"
#include "publish/orden_exportar.h"
#include "ui/aplicacion.h"
#include "ui/linea_de_ordenes.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    // An export needs no window, and so no display: it is answered before the toolkit is started.
    if (const auto fin = publish::atenderExportacion(argc, argv)) {
        return *fin;
    }
    if (const auto fin = forja::atenderHistorial(argc, argv)) {
        return *fin;
    }
    if (const auto fin = ui::atenderSinVentanas(argc, argv, ui::Programa::Forja)) {
        return *fin;
    }
    {
        QStringList argumentos;
        for (int i = 1; i < argc; ++i) {
            argumentos << QString::fromLocal8Bit(argv[i]);
        }
        const ui::Orden o = ui::leerLineaDeOrdenes(argumentos, ui::Programa::Forja);
        // Importing and checking need no window, and so no display.
        if (o.tipo == ui::Orden::Tipo::Importar) {
            QCoreApplication app(argc, argv); // the picture readers' plug-ins are found through it
            return forja::importarSinVentanas(o.origen, o.ruta, o.opciones);
        }
        if (o.tipo == ui::Orden::Tipo::Revisar) {
            QCoreApplication app(argc, argv); // the picture loader's plug-ins are found through it
            return forja::revisarEnConsola(o.ruta, stdout, stderr);
        }
    }
    QApplication app(argc, argv);
    ui::iniciarAplicacion(app, QStringLiteral("Forja"));
    const ui::Orden orden = ui::leerLineaDeOrdenes(QApplication::arguments().mid(1), ui::Programa::Forja);
    if (orden.tipo == ui::Orden::Tipo::Error) {
        std::fputs(orden.mensaje.toLocal8Bit().constData(), stderr);
        return 2;
    }
    SesionForja sesion;
    VentanaForja ventana(sesion);
    ventana.show();
    return QApplication::exec();
}

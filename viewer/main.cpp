#include "main_window/enciclopedia_actual.h"
#include "main_window/ventana_principal.h"
#include "ui/aplicacion.h"
#include "ui/dialogos.h"
#include "ui/linea_de_ordenes.h"
#include "windows/selector.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (const auto fin = ui::atenderSinVentanas(argc, argv, ui::Programa::Tomo)) {
        return *fin;
    }
    QApplication app(argc, argv);
    ui::iniciarAplicacion(app, QStringLiteral("Tomo"));
    const ui::Orden orden = ui::leerLineaDeOrdenes(QApplication::arguments().mid(1), ui::Programa::Tomo);
    if (orden.tipo == ui::Orden::Tipo::Error) {
        std::fputs(orden.mensaje.toLocal8Bit().constData(), stderr);
        return 2;
    }
    if (!orden.ruta.isEmpty()) {
        QString motivo;
        if (!tomarEnciclopediaDeLaSesion(orden.ruta, &motivo)) {
            std::fprintf(stderr, "tomo: %s\n", motivo.toLocal8Bit().constData());
            ui::Dialogos::informar(nullptr, QStringLiteral("Tomo"), motivo, QMessageBox::Critical);
            return 1;
        }
    }

    VentanaPrincipal ventana;
    if (!ventana.Form_Load()) {
        return 1; // nothing to show; the reason has been given
    }
    ventana.show();
    // On a screen too narrow for both side by side, the selector lies over the main window's right margin.
    ventana.selector()->raise();
    return QApplication::exec();
}

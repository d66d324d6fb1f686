#include "main_window/ventana_principal.h"
#include "ui/aplicacion.h"
#include "windows/selector.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    ui::iniciarAplicacion(app, QStringLiteral("Tomo"));

    VentanaPrincipal ventana;
    if (!ventana.Form_Load()) {
        return 1; // nothing to show; the reason has been given
    }
    ventana.show();
    // On a screen too narrow for both side by side, the selector lies over the main window's right margin.
    ventana.selector()->raise();
    return QApplication::exec();
}

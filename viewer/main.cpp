#include "main_window/frm_libro1.h"
#include "ui/aplicacion.h"
#include "windows/frm_libro2.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    ui::iniciarAplicacion(app, QStringLiteral("Tomo"));

    frmLibro1 ventana;
    if (!ventana.Form_Load()) {
        return 1; // nothing to show; the reason has been given
    }
    ventana.show();
    // On a screen too narrow for both side by side, the selector lies over the main window's right margin.
    ventana.libro2()->raise();
    return QApplication::exec();
}

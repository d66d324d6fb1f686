#include "main_window/al_frente.h"

#include <QWidget>

void mostrarAlFrente(QWidget* ventana) {
    ventana->setWindowState(ventana->windowState() & ~Qt::WindowMinimized);
    ventana->show();
    ventana->raise();
    ventana->activateWindow();
}

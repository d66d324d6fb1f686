#pragma once

class QWidget;

// Shows a modeless window of the viewer in front of the others, ready for the keyboard: a window the
// reader had minimized comes back as it was, since showing alone leaves a minimized window minimized.
void mostrarAlFrente(QWidget* ventana);

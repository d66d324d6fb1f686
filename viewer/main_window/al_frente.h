#pragma once

class QWidget;

// Shows a secondary window of the viewer in front of the others, ready for the keyboard: a window the
// reader had minimized comes back as it was, since showing alone leaves a minimized window minimized (and
// a minimized modal window would block the others unseen).
void mostrarAlFrente(QWidget* ventana);

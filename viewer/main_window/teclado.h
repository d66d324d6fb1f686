#pragma once

// Keys that a reader expects of a desktop program and that the windows' mouse handlers do not give:
// Enter on a list does what its double-click does, and Escape closes a secondary window as its close box
// does (hiding it, or discarding the dictionary).

#include <functional>

class QAbstractItemView;
class QWidget;

namespace teclado {

// Enter or Return while the list has the focus runs `accion`, the list's double-click handler.
void enterComoDobleClic(QAbstractItemView* lista, std::function<void()> accion);

// Escape in the window, not taken by the control that has the focus, closes it as its close box would.
void escapeCierra(QWidget* ventana);

} // namespace teclado

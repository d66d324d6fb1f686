#pragma once

// Windows that grow. Every window is designed at one size, in twips; the user may make it larger (never
// smaller), and then each anchored control keeps its designed distance from the edges it is anchored to:
// anchored left and right it widens, right only it moves along, neither it stays where it was designed
// (likewise top and bottom). At the designed size every control is exactly where it was designed.

#include <QFlags>
#include <QSize>

class QWidget;

namespace ui {

enum class Borde { Izquierdo = 1, Superior = 2, Derecho = 4, Inferior = 8 };
Q_DECLARE_FLAGS(Bordes, Borde)

// Records the control's present geometry as designed, anchored to the given edges of its parent. The
// parent's designed size is its size when its first control is anchored, unless fijarTamanoDeDiseno()
// set it before; the parent may not become smaller than it.
void anclar(QWidget* control, Bordes bordes);

// Sets the parent's designed size (and minimum size): the recorded geometries of its controls hold at
// this size. A window with two designed sizes (narrow and wide) switches between them with this.
void fijarTamanoDeDiseno(QWidget* padre, QSize tamano);
// The designed size set for the parent, or an invalid size when it has none.
QSize tamanoDeDiseno(const QWidget* padre);

// Remembers the window's size, position and maximized state for the user across runs: it is restored when
// the window is first shown and saved whenever it is hidden or closed and when the program ends. They are
// kept in the user's configuration directory (QSettings, "lumbre/<program>.conf"), under the window's
// objectName; never in an encyclopaedia. Does nothing until the program calls
// activarMemoriaDeVentanas(true), so that tests see each window at its designed size and place.
void recordarGeometria(QWidget* ventana);
void activarMemoriaDeVentanas(bool activa);

} // namespace ui

Q_DECLARE_OPERATORS_FOR_FLAGS(ui::Bordes)

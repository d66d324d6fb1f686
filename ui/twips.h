#pragma once

// Places and sizes of controls are designed in twips (1440 to the inch) and converted at the screen's
// logical resolution: 15 twips to the pixel at 96 dpi.

#include <QRect>

class QWidget;

namespace ui {

// Pixels for a length in twips at the primary screen's logical resolution (96 dpi when there is none).
int pixeles(int twips);
// Twips for a length in pixels, the inverse of pixeles() up to rounding.
int twips(int pixeles);
QRect rectTwips(int left, int top, int width, int height);

// Places the widget at the given twips inside its parent (left, top, width, height).
void colocar(QWidget* w, int left, int top, int width, int height);
// Moves the widget to the given twips without resizing it.
void mover(QWidget* w, int left, int top);
// Gives a window the client size given in twips.
void tamanoCliente(QWidget* ventana, int width, int height);

} // namespace ui

#pragma once

// Reading and double-clicking list boxes in window tests.

#include <QStringList>

class QAbstractItemView;

namespace prueba {

// The texts of every entry, in order.
QStringList textos(const QAbstractItemView* lista);

// A real double-click on entry `fila`: press, release, double-click, release (a double-click event alone does
// not make a list report itemDoubleClicked). Fails the current test when the entry cannot be shown.
void dobleClic(QAbstractItemView* lista, int fila);

} // namespace prueba

#pragma once

// Finding a window's controls in tests as users' tools do: by the object name of their place in the design.

#include <QObject>
#include <QString>
#include <QWidget>
#include <QtGlobal>

#include <type_traits>

namespace prueba {

// The control `nombre` of `ventana`. A window parented to it (the image window beside the main one) may hold
// controls of the same names: those of `ventana` itself come first. Ends the test run when there is none, so
// that a renamed control is told by its name.
template <class T> T* control(const QWidget& ventana, const char* nombre) {
    T* primero = nullptr;
    for (T* c : ventana.findChildren<T*>(QString::fromLatin1(nombre))) {
        if constexpr (std::is_base_of_v<QWidget, T>) {
            if (c->window() == &ventana) {
                return c;
            }
        }
        if (!primero) {
            primero = c;
        }
    }
    if (!primero) {
        qFatal("La ventana %s no tiene el control %s", qPrintable(ventana.objectName()), nombre);
    }
    return primero;
}

} // namespace prueba

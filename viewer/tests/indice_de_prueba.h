#pragma once

// Reading the viewer's article index in window tests.

#include "main_window/modelo_de_titulos.h"
#include "ui/texto.h"

#include <QStringList>
#include <QTest>

namespace prueba {

// The file names held, in order.
inline QStringList nombres(const ModeloDeTitulos* indice) {
    QStringList n;
    for (int i = 0; i < indice->cantidadNombres(); ++i) {
        n << ui::desdeStore(indice->nombre(i));
    }
    return n;
}

// Lets the event loop run until every listing asked for has ended; false after 20 seconds.
inline bool esperarListado(const ModeloDeTitulos* indice) {
    return QTest::qWaitFor([indice] { return !indice->listando(); }, 20000);
}

} // namespace prueba

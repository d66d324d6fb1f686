#include "editor/acciones_raiz.h"

#include "editor/comun.h"
#include "editor/estado.h"
#include "editor/resultado.h"
#include "store/enciclopedia.h"
#include "store/registro.h"
#include "store/rutas.h"
#include "ui/texto.h"

namespace forja {

bool rutaCompleta(const std::string& ruta, const QString& texto, Resultado& porque) {
    if (!esRutaCompleta(ruta)) {
        porque.rechazar(QStringLiteral("La ruta «%1» no es completa: escríbala con la letra de la unidad, como "
                                       "C:\\ENCICLO (U:\\RUTA).")
                            .arg(texto));
        return false;
    }
    // The store must be usable on Windows too, wherever it was made.
    if (!store::rutaValidaEnWindows(ruta)) {
        porque.rechazar(QStringLiteral("La ruta «%1» no es válida: ningún nombre de directorio puede llevar * ? \" < "
                                       "> | ni un «:» fuera del que sigue a la letra de la unidad, terminar en "
                                       "espacio o punto, ni ser un nombre reservado (CON, PRN, AUX, NUL, COM1 a "
                                       "COM9, LPT1 a LPT9).")
                            .arg(texto));
        return false;
    }
    return true;
}

std::optional<std::string> AccionesRaiz::raizActual(Resultado& porque) const {
    if (raiz_.ruta().isEmpty()) {
        porque.rechazar(QStringLiteral("No hay ninguna raíz: escriba su ruta y pulse «Crear Directorio de Raíz», o "
                                       "cárguela con «Cargar Directorio Existente»."));
        return std::nullopt;
    }
    auto raiz = aAlmacen(raiz_.ruta(), porque);
    if (raiz && !store::existeDirectorio(*raiz)) {
        porque.rechazar(QStringLiteral("El directorio de raíz «%1» no existe: créelo con «Crear Directorio de Raíz» "
                                       "o cargue la raíz existente.")
                            .arg(raiz_.ruta()));
        return std::nullopt;
    }
    return raiz;
}

Resultado AccionesRaiz::crearRaiz() {
    Resultado r;
    const QString texto = raiz_.ruta();
    if (texto.isEmpty()) {
        return r.rechazar(QStringLiteral("Escriba primero la ruta de la raíz (por ejemplo C:\\ENCICLO)."));
    }
    const auto raiz = aAlmacen(texto, r);
    if (!raiz || !rutaCompleta(*raiz, texto, r)) {
        return r;
    }
    bool reemplazar = false;
    if (store::existeRegistro()) {
        QString actual;
        if (const auto registro = store::leerRegistro()) {
            actual = QStringLiteral(" (raíz actual: %1)").arg(ui::desdeStore(store::raizDesdeLinea1(registro->actual)));
        }
        if (!autor_.confirmar(QStringLiteral("Ya existe el registro %1%2. ¿Desea reemplazarlo por la raíz «%3»?")
                                  .arg(ui::desdeStore(store::kArchivoRegistro), actual, texto))) {
            return r.cancelar();
        }
        reemplazar = true;
    }
    if (const auto estado = store::crearRegistro(*raiz, reemplazar); !estado) {
        return r.fallar(estado.error());
    }
    return r;
}

Resultado AccionesRaiz::cargarRaiz() {
    Resultado r;
    const auto registro = store::leerRegistro();
    if (!registro) {
        if (!store::existeRegistro()) {
            // The first run: nothing to load yet, and the author is told what to do instead.
            r.rechazar(QStringLiteral("Todavía no hay ninguna raíz: no existe el registro %1. "
                                      "Escriba la ruta de la raíz en «Raíz (U:\\RUTA):» y pulse "
                                      "«Crear Directorio de Raíz [sólo la primera vez]».")
                           .arg(ui::desdeStore(store::kArchivoRegistro)));
        } else {
            r.fallar(registro.error());
        }
        return r;
    }
    const std::string raiz = store::raizDesdeLinea1(registro->actual);
    auto tomos = store::leerEnciclopedias(raiz);
    store::Lineas lineas;
    if (tomos) {
        lineas = std::move(*tomos);
    } else if (tomos.error().causa == store::Causa::NoEncontrado && store::existeDirectorio(raiz)) {
        // A root to which no encyclopaedia has been added yet has no list: it is simply empty.
    } else {
        return r.fallar(tomos.error());
    }
    raiz_.ponerRuta(ui::desdeStore(raiz));
    raiz_.ponerTomos(listaDeLineas(lineas));
    return r;
}

} // namespace forja

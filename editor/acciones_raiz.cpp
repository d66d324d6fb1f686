#include "editor/acciones_raiz.h"

#include "editor/comun.h"
#include "editor/estado.h"
#include "store/enciclopedia.h"
#include "store/registro.h"
#include "store/rutas.h"
#include "ui/dialogos.h"
#include "ui/texto.h"

using ui::Dialogos;

namespace forja {

bool rutaCompleta(QWidget* ventana, const std::string& ruta, const QString& texto) {
    if (!esRutaCompleta(ruta)) {
        Dialogos::avisar(ventana, QStringLiteral("La ruta «%1» no es completa: escríbala con la letra de la unidad, "
                                                 "como C:\\ENCICLO (U:\\RUTA).")
                                      .arg(texto));
        return false;
    }
    // The store must be usable on Windows too, wherever it was made.
    if (!store::rutaValidaEnWindows(ruta)) {
        Dialogos::avisar(ventana, QStringLiteral("La ruta «%1» no es válida: ningún nombre de directorio puede "
                                                 "llevar * ? \" < > | ni un «:» fuera del que sigue a la letra de la "
                                                 "unidad, terminar en espacio o punto, ni ser un nombre reservado "
                                                 "(CON, PRN, AUX, NUL, COM1 a COM9, LPT1 a LPT9).")
                                      .arg(texto));
        return false;
    }
    return true;
}

std::optional<std::string> AccionesRaiz::raizActual() {
    if (raiz_.ruta().isEmpty()) {
        Dialogos::avisar(ventana_, QStringLiteral("No hay ninguna raíz: escriba su ruta y pulse «Crear Directorio de "
                                                  "Raíz», o cárguela con «Cargar Directorio Existente»."));
        return std::nullopt;
    }
    auto raiz = aAlmacen(ventana_, raiz_.ruta());
    if (raiz && !store::existeDirectorio(*raiz)) {
        Dialogos::avisar(ventana_, QStringLiteral("El directorio de raíz «%1» no existe: créelo con «Crear "
                                                  "Directorio de Raíz» o cargue la raíz existente.")
                                       .arg(raiz_.ruta()));
        return std::nullopt;
    }
    return raiz;
}

void AccionesRaiz::crearRaiz() {
    const QString texto = raiz_.ruta();
    if (texto.isEmpty()) {
        Dialogos::avisar(ventana_, QStringLiteral("Escriba primero la ruta de la raíz (por ejemplo C:\\ENCICLO)."));
        return;
    }
    const auto raiz = aAlmacen(ventana_, texto);
    if (!raiz || !rutaCompleta(ventana_, *raiz, texto)) {
        return;
    }
    bool reemplazar = false;
    if (store::existeRegistro()) {
        QString actual;
        if (const auto registro = store::leerRegistro()) {
            actual = QStringLiteral(" (raíz actual: %1)").arg(ui::desdeStore(store::raizDesdeLinea1(registro->actual)));
        }
        const auto respuesta =
            Dialogos::preguntar(ventana_,
                                QStringLiteral("Ya existe el registro %1%2. ¿Desea reemplazarlo por la raíz «%3»?")
                                    .arg(ui::desdeStore(store::kArchivoRegistro), actual, texto),
                                QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (respuesta != QMessageBox::Yes) {
            return;
        }
        reemplazar = true;
    }
    if (const auto estado = store::crearRegistro(*raiz, reemplazar); !estado) {
        Dialogos::error(ventana_, estado.error());
    }
}

void AccionesRaiz::cargarRaiz() {
    const auto registro = store::leerRegistro();
    if (!registro) {
        if (!store::existeRegistro()) {
            // The first run: nothing to load yet, and the author is told what to do instead.
            Dialogos::avisar(ventana_, QStringLiteral("Todavía no hay ninguna raíz: no existe el registro %1. "
                                                      "Escriba la ruta de la raíz en «Raíz (U:\\RUTA):» y pulse "
                                                      "«Crear Directorio de Raíz [sólo la primera vez]».")
                                           .arg(ui::desdeStore(store::kArchivoRegistro)));
        } else {
            Dialogos::error(ventana_, registro.error());
        }
        return;
    }
    const std::string raiz = store::raizDesdeLinea1(registro->actual);
    auto tomos = store::leerEnciclopedias(raiz);
    store::Lineas lineas;
    if (tomos) {
        lineas = std::move(*tomos);
    } else if (tomos.error().causa == store::Causa::NoEncontrado && store::existeDirectorio(raiz)) {
        // A root to which no encyclopaedia has been added yet has no list: it is simply empty.
    } else {
        Dialogos::error(ventana_, tomos.error());
        return;
    }
    raiz_.ponerRuta(ui::desdeStore(raiz));
    raiz_.ponerTomos(listaDeLineas(lineas));
}

} // namespace forja

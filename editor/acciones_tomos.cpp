#include "editor/acciones_tomos.h"

#include "editor/acciones_raiz.h"
#include "editor/comun.h"
#include "editor/estado.h"
#include "editor/lista_marcable.h"
#include "editor/sesion.h"
#include "editor/versiones.h"
#include "store/encoding.h"
#include "store/encyclopaedia.h"
#include "store/list_files.h"
#include "store/paths.h"
#include "store/registry.h"
#include "ui/aplicacion.h"
#include "ui/dialogos.h"
#include "ui/texto.h"

#include <QFile>
#include <QTextDocument>

#include <algorithm>

using ui::Dialogos;

namespace forja {

std::optional<std::string> directorioDelTomo(QWidget* ventana, const TomoEditado& tomo) {
    if (tomo.directorio().isEmpty()) {
        Dialogos::avisar(ventana, QStringLiteral("No hay ninguna enciclotomo cargada: selecciónela en la lista de "
                                                 "enciclotomos y pulse «Cargar Enciclotomo»."));
        return std::nullopt;
    }
    auto directorio = aAlmacen(ventana, tomo.directorio());
    if (directorio && !store::existeDirectorio(*directorio)) {
        Dialogos::avisar(ventana,
                         QStringLiteral("El directorio de la enciclotomo «%1» no existe.").arg(tomo.directorio()));
        return std::nullopt;
    }
    return directorio;
}

AccionesTomos::AccionesTomos(SesionForja& sesion, QWidget* ventana)
    : sesion_(sesion), raiz_(*sesion.raiz()), tomo_(*sesion.tomo()), ventana_(ventana) {}

bool AccionesTomos::agregarTomo(const QString& texto) {
    const auto raiz = AccionesRaiz(raiz_, ventana_).raizActual();
    if (!raiz) {
        return false;
    }
    if (texto.isEmpty()) {
        Dialogos::avisar(ventana_, QStringLiteral("Escriba la ruta de la nueva enciclotomo (por ejemplo C:\\ENCICLO\\"
                                                  "ASTRO) en «Ruta (U:\\RUTA):»."));
        return false;
    }
    const auto nuevo = aAlmacen(ventana_, texto);
    if (!nuevo || !rutaCompleta(ventana_, *nuevo, texto)) {
        return false;
    }
    if (const auto estado = store::verificarNuevaEnciclopedia(*nuevo); !estado) {
        Dialogos::error(ventana_, estado.error());
        return false;
    }

    // "All files" is "*": the dialog's "*.*" would hide every file whose name has no dot.
    const QString elegido =
        Dialogos::abrirArchivo(ventana_, QStringLiteral("Seleccionar un Icono"),
                               QStringLiteral("Iconos (*.ico);;Cursores (*.cur);;Todos los archivos (*)"));
    // The chosen icon's bytes are what the encyclopaedia's icon file receives. The store reads them (the file
    // the user chose, links followed): a FIFO or a device is refused at once instead of blocking, a huge file
    // unread, and either is reported.
    std::string icono = ui::iconoPropio().toStdString();
    if (!elegido.isEmpty()) {
        if (auto bytes = store::leerBytesNativos(QFile::encodeName(elegido).toStdString(), store::kLimiteImagen)) {
            icono = std::move(*bytes);
        } else {
            Dialogos::avisar(ventana_, QStringLiteral("No se pudo leer el icono «%1»; la enciclotomo recibe el "
                                                      "icono de Forja.")
                                           .arg(elegido));
        }
    }

    // The directory and its files come first, so that a failure there leaves the data root's lists as they
    // were; the encyclopaedia is registered only once it exists.
    if (const auto estado = store::crearEnciclopedia(*nuevo, std::nullopt, icono); !estado) {
        Dialogos::error(ventana_, estado.error());
        return false;
    }
    registrarVersion(ventana_, nullptr, *nuevo, {},
                     QStringLiteral("Creada la enciclotomo %1").arg(entreComillas(texto)));
    // An encyclopaedia made anew after its directory was removed is listed once.
    bool registrada = false;
    if (const auto tomos = store::leerEnciclopedias(*raiz)) {
        registrada = std::any_of(tomos->begin(), tomos->end(),
                                 [&](std::string_view tomo) { return store::igualesSinCaso(tomo, *nuevo); });
    }
    if (!registrada) {
        if (const auto estado = store::anexarEnciclopedia(*raiz, *nuevo); !estado) {
            Dialogos::error(ventana_, estado.error());
            return false;
        }
        raiz_.agregarTomo(texto);
    }
    if (const auto estado = store::escribirActualEnRaiz(*raiz, *nuevo); !estado) {
        Dialogos::error(ventana_, estado.error());
    }
    return true;
}

void AccionesTomos::cargarTomo(const QString& texto) {
    const std::string directorio = ui::haciaStore(texto).value_or(std::string());
    auto descripcion = store::leerDescripcion(directorio);
    if (!descripcion) {
        Dialogos::error(ventana_, descripcion.error());
        return;
    }
    auto completa = store::leerCompleta(directorio);
    if (!completa) {
        Dialogos::error(ventana_, completa.error());
        return;
    }
    auto listas = store::leerIndiceListas(directorio);
    if (!listas) {
        Dialogos::error(ventana_, listas.error());
        return;
    }
    tomo_.ponerDirectorio(texto);
    tomo_.descripcion()->setPlainText(textoDeLineas(*descripcion));
    // The complete list is put in one call; both article lists of the window show it.
    tomo_.articulos()->poner(listaDeLineas(*completa));
    tomo_.ponerListas(listaDeLineas(*listas));
    registrarAlCargar(ventana_, &tomo_, directorio);
}

void AccionesTomos::guardarDescripcion() {
    const auto directorio = directorioDelTomo(ventana_, tomo_);
    if (!directorio) {
        return;
    }
    const auto lineas = lineasAlmacen(ventana_, tomo_.descripcion()->toPlainText());
    if (!lineas) {
        return;
    }
    if (const auto estado = store::guardarDescripcion(*directorio, *lineas); !estado) {
        Dialogos::error(ventana_, estado.error());
        return;
    }
    sesion_.registrarVersion(ventana_, *directorio, {std::string(store::kDescrip)},
                             QStringLiteral("Guardada la descripción"));
}

} // namespace forja

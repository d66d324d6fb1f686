#include "editor/acciones_tomos.h"

#include "editor/acciones_raiz.h"
#include "editor/comun.h"
#include "editor/estado.h"
#include "editor/lista_marcable.h"
#include "editor/resultado.h"
#include "editor/sesion.h"
#include "editor/versiones.h"
#include "store/archivos_de_lista.h"
#include "store/codificacion.h"
#include "store/enciclopedia.h"
#include "store/registro.h"
#include "store/rutas.h"
#include "ui/aplicacion.h"
#include "ui/texto.h"

#include <QFile>
#include <QTextDocument>

#include <algorithm>

namespace forja {

std::optional<std::string> directorioDelTomo(const TomoEditado& tomo, Resultado& porque) {
    if (tomo.directorio().isEmpty()) {
        porque.rechazar(QStringLiteral("No hay ninguna enciclotomo cargada: selecciónela en la lista de "
                                       "enciclotomos y pulse «Cargar Enciclotomo»."));
        return std::nullopt;
    }
    auto directorio = aAlmacen(tomo.directorio(), porque);
    if (directorio && !store::existeDirectorio(*directorio)) {
        porque.rechazar(QStringLiteral("El directorio de la enciclotomo «%1» no existe.").arg(tomo.directorio()));
        return std::nullopt;
    }
    return directorio;
}

std::optional<std::string> directorioDelTomo(QWidget* ventana, const TomoEditado& tomo) {
    Resultado porque;
    auto directorio = directorioDelTomo(tomo, porque);
    mostrar(ventana, porque);
    return directorio;
}

AccionesTomos::AccionesTomos(SesionForja& sesion, Autor& autor)
    : sesion_(sesion), raiz_(*sesion.raiz()), tomo_(*sesion.tomo()), autor_(autor) {}

Resultado AccionesTomos::agregarTomo(const QString& texto) {
    Resultado r;
    const auto raiz = AccionesRaiz(raiz_, autor_).raizActual(r);
    if (!raiz) {
        return r;
    }
    if (texto.isEmpty()) {
        return r.rechazar(QStringLiteral("Escriba la ruta de la nueva enciclotomo (por ejemplo C:\\ENCICLO\\"
                                         "ASTRO) en «Ruta (U:\\RUTA):»."));
    }
    const auto nuevo = aAlmacen(texto, r);
    if (!nuevo || !rutaCompleta(*nuevo, texto, r)) {
        return r;
    }
    if (const auto estado = store::verificarNuevaEnciclopedia(*nuevo); !estado) {
        return r.fallar(estado.error());
    }

    // "All files" is "*": the dialog's "*.*" would hide every file whose name has no dot.
    const QString elegido =
        autor_.abrirArchivo(QStringLiteral("Seleccionar un Icono"),
                            QStringLiteral("Iconos (*.ico);;Cursores (*.cur);;Todos los archivos (*)"));
    // The chosen icon's bytes are what the encyclopaedia's icon file receives. The store reads them (the file
    // the user chose, links followed): a FIFO or a device is refused at once instead of blocking, a huge file
    // unread, and either is reported.
    std::string icono = ui::iconoPropio().toStdString();
    if (!elegido.isEmpty()) {
        if (auto bytes = store::leerBytesNativos(QFile::encodeName(elegido).toStdString(), store::kLimiteImagen)) {
            icono = std::move(*bytes);
        } else {
            r.avisar(QStringLiteral("No se pudo leer el icono «%1»; la enciclotomo recibe el "
                                    "icono de Forja.")
                         .arg(elegido));
        }
    }

    // The directory and its files come first, so that a failure there leaves the data root's lists as they
    // were; the encyclopaedia is registered only once it exists.
    if (const auto estado = store::crearEnciclopedia(*nuevo, std::nullopt, icono); !estado) {
        return r.fallar(estado.error());
    }
    registrarVersion(autor_.ventana(), nullptr, *nuevo, {},
                     QStringLiteral("Creada la enciclotomo %1").arg(entreComillas(texto)));
    // An encyclopaedia made anew after its directory was removed is listed once.
    bool registrada = false;
    if (const auto tomos = store::leerEnciclopedias(*raiz)) {
        registrada = std::any_of(tomos->begin(), tomos->end(),
                                 [&](std::string_view tomo) { return store::igualesSinCaso(tomo, *nuevo); });
    }
    if (!registrada) {
        if (const auto estado = store::anexarEnciclopedia(*raiz, *nuevo); !estado) {
            return r.fallar(estado.error());
        }
        raiz_.agregarTomo(texto);
    }
    if (const auto estado = store::escribirActualEnRaiz(*raiz, *nuevo); !estado) {
        r.avisar(estado.error());
    }
    return r;
}

Resultado AccionesTomos::cargarTomo(const QString& texto) {
    Resultado r;
    const std::string directorio = ui::haciaStore(texto).value_or(std::string());
    auto descripcion = store::leerDescripcion(directorio);
    if (!descripcion) {
        return r.fallar(descripcion.error());
    }
    auto completa = store::leerCompleta(directorio);
    if (!completa) {
        return r.fallar(completa.error());
    }
    auto listas = store::leerIndiceListas(directorio);
    if (!listas) {
        return r.fallar(listas.error());
    }
    tomo_.ponerDirectorio(texto);
    tomo_.descripcion()->setPlainText(textoDeLineas(*descripcion));
    // The complete list is put in one call; both article lists of the window show it.
    tomo_.articulos()->poner(listaDeLineas(*completa));
    tomo_.ponerListas(listaDeLineas(*listas));
    registrarAlCargar(autor_.ventana(), &tomo_, directorio);
    return r;
}

Resultado AccionesTomos::guardarDescripcion() {
    Resultado r;
    const auto directorio = directorioDelTomo(tomo_, r);
    if (!directorio) {
        return r;
    }
    const auto lineas = lineasAlmacen(tomo_.descripcion()->toPlainText(), r);
    if (!lineas) {
        return r;
    }
    if (const auto estado = store::guardarDescripcion(*directorio, *lineas); !estado) {
        return r.fallar(estado.error());
    }
    sesion_.registrarVersion(autor_.ventana(), *directorio, {std::string(store::kDescrip)},
                             QStringLiteral("Guardada la descripción"));
    return r;
}

} // namespace forja

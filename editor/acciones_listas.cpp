#include "editor/acciones_listas.h"

#include "editor/acciones_tomos.h"
#include "editor/comun.h"
#include "editor/estado.h"
#include "editor/lista_marcable.h"
#include "editor/resultado.h"
#include "editor/sesion.h"
#include "editor/versiones.h"
#include "store/archivos_de_lista.h"
#include "store/codificacion.h"
#include "store/enciclopedia.h"
#include "store/rutas.h"
#include "ui/texto.h"

#include <QHash>

namespace forja {

namespace {

// "ningún artículo", "un artículo", "3 artículos".
QString articulos(qsizetype cuantos, const QString& uno = QStringLiteral("un")) {
    if (cuantos == 0) {
        return QStringLiteral("ningún artículo");
    }
    return cuantos == 1 ? uno + QStringLiteral(" artículo") : QStringLiteral("%1 artículos").arg(cuantos);
}

std::string bytesDe(const QString& texto) {
    return ui::haciaStore(texto).value_or(std::string());
}

} // namespace

AccionesListas::AccionesListas(SesionForja& sesion, Autor& autor)
    : sesion_(sesion), tomo_(*sesion.tomo()), autor_(autor) {}

Resultado AccionesListas::agregarLista(const QString& texto) {
    Resultado r;
    const auto tomo = directorioDelTomo(tomo_, r);
    if (!tomo) {
        return r;
    }
    if (texto.isEmpty()) {
        return r.rechazar(QStringLiteral("Escriba el nombre de la nueva lista (sin extensión) en «Lista "
                                         "(NOMBRE):»."));
    }
    const auto nombre = aAlmacen(texto, r);
    if (!nombre) {
        return r;
    }
    if (const auto error = store::verificarNuevaLista(*tomo, *nombre)) {
        return r.fallar(*error);
    }
    const std::string archivo = *nombre + ".dat";
    bool repetida = store::esNombrePropio(archivo);
    for (qsizetype i = 0; i < tomo_.listas().size() && !repetida; ++i) {
        repetida = store::igualesSinCaso(bytesDe(tomo_.listas()[i]), *nombre);
    }
    for (int i = 0; i < tomo_.cuantosArticulos() && !repetida; ++i) {
        repetida = store::igualesSinCaso(bytesDe(tomo_.articulo(i)), archivo);
    }
    if (repetida) {
        return r.rechazar(QStringLiteral("El archivo de la lista, «%1.dat», sería el de otra lista o el de "
                                         "otro archivo de la enciclotomo; elija otro nombre.")
                              .arg(texto));
    }
    if (const auto estado = store::agregarLista(*tomo, *nombre); !estado) {
        return r.fallar(estado.error());
    }
    tomo_.agregarLista(texto);
    sesion_.registrarVersion(autor_.ventana(), *tomo, {std::string(store::kListas), archivo},
                             QStringLiteral("Agregada la lista %1").arg(entreComillas(texto)));
    return r;
}

Resultado AccionesListas::cargarLista(const QString& nombre) {
    Resultado r;
    const auto tomo = directorioDelTomo(tomo_, r);
    if (!tomo) {
        return r;
    }
    const auto lineas = store::leerLista(*tomo, bytesDe(nombre));
    if (!lineas) {
        return r.fallar(lineas.error());
    }
    // Each line ticks the first entry of exactly its text; the entries are indexed once, so that loading
    // a long list into thousands of articles does not compare every line with every entry.
    ArticulosMarcables* marcables = tomo_.articulos();
    marcables->desmarcarTodos();
    QHash<QString, int> primera;
    primera.reserve(marcables->rowCount());
    for (int i = marcables->rowCount() - 1; i >= 0; --i) { // from the last, so that the first one stays
        primera.insert(marcables->nombre(i), i);
    }
    for (const auto& linea : *lineas) {
        if (const auto encontrada = primera.constFind(ui::desdeStore(linea)); encontrada != primera.cend()) {
            marcables->marcar(*encontrada, true);
        }
    }
    tomo_.ponerListaActual(nombre + QStringLiteral(".dat"));
    return r;
}

Resultado AccionesListas::guardarLista() {
    Resultado r;
    const auto tomo = directorioDelTomo(tomo_, r);
    if (!tomo) {
        return r;
    }
    const QString texto = tomo_.listaActual();
    if (texto.isEmpty()) {
        return r.rechazar(QStringLiteral("No hay ninguna lista cargada: selecciónela en «Listas:» y pulse "
                                         "«Cargar Lista»."));
    }
    const auto archivo = aAlmacen(texto, r);
    if (!archivo) {
        return r;
    }
    if (!store::nombreArchivoValido(*archivo)) {
        return r.rechazar(QStringLiteral("«%1» no es un nombre de archivo válido para una lista.").arg(texto));
    }
    // The complete list is a list file like the others (the viewer loads it by the list name COMPLETA), so
    // the ticked articles may be saved as it; the other fixed files and the articles are not lists.
    bool ajeno = store::esNombrePropio(*archivo) && !store::igualesSinCaso(*archivo, store::kCompleta);
    for (int i = 0; i < tomo_.cuantosArticulos() && !ajeno; ++i) {
        ajeno = store::igualesSinCaso(bytesDe(tomo_.articulo(i)), *archivo);
    }
    if (ajeno) {
        return r.rechazar(QStringLiteral("«%1» no es el archivo de una lista sino otro archivo de la "
                                         "enciclotomo; no se sobrescribe.")
                              .arg(texto));
    }
    const ArticulosMarcables* marcables = tomo_.articulos();
    store::Lineas marcados;
    for (int i = 0; i < marcables->rowCount(); ++i) {
        if (marcables->marcado(i)) {
            marcados.push_back(bytesDe(marcables->nombre(i)));
        }
    }
    // Saving over the complete list drops every article not ticked from the encyclopaedia: asked first.
    if (store::igualesSinCaso(*archivo, store::kCompleta)) {
        const int respuesta = autor_.elegir(

            QStringLiteral("«%1» es la lista completa de la enciclotomo, que hoy tiene %2. Si la guarda, %3: los "
                           "artículos no marcados dejarán de aparecer en el visor. ¿Desea guardarla?")
                .arg(texto, articulos(tomo_.cuantosArticulos()),
                     marcados.empty()
                         ? QStringLiteral("no tendrá ningún artículo")
                         : QStringLiteral("tendrá %1")
                               .arg(articulos(static_cast<qsizetype>(marcados.size()), QStringLiteral("un solo")))),
            {QStringLiteral("Guardar la lista completa"), QStringLiteral("No guardar")}, 1, 1);
        if (respuesta != 0) {
            return r.cancelar();
        }
    }
    if (const auto estado = store::guardarLista(store::unir(*tomo, *archivo), marcados); !estado) {
        return r.fallar(estado.error());
    }
    const bool completa = store::igualesSinCaso(*archivo, store::kCompleta);
    QString nombre = texto;
    if (nombre.endsWith(QLatin1String(".dat"), Qt::CaseInsensitive)) {
        nombre.chop(4);
    }
    sesion_.registrarVersion(autor_.ventana(), *tomo, {*archivo},
                             completa ? QStringLiteral("Guardada la lista completa")
                                      : QStringLiteral("Guardada la lista %1").arg(entreComillas(nombre)));
    return r;
}

} // namespace forja

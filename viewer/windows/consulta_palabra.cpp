#include "windows/consulta_palabra.h"

#include "lexico/por_raiz.h"
#include "store/archivo_de_texto.h"
#include "store/codificacion.h"
#include "store/diccionario.h"
#include "store/rutas.h"
#include "ui/texto.h"

namespace consulta {

QString textoSinDiccionario(const store::Error& error) {
    const QString cabeza = (error.causa == store::Causa::NoEncontrado || error.causa == store::Causa::RutaNoEncontrada)
                               ? QStringLiteral("ESTA ENCICLOTOMO NO TIENE DICCIONARIO.")
                               : QStringLiteral("NO SE PUEDE LEER EL DICCIONARIO DE ESTA ENCICLOTOMO.");
    return cabeza + QLatin1Char('\n') + ui::mensajeDe(error);
}

std::optional<PorRaiz> buscarPorRaiz(const std::string& directorio, const std::string& palabra) {
    return lexico::buscarPorRaiz(directorio, palabra);
}

QString marcaDeRaiz(const std::string& palabra, const std::string& raiz) {
    return QStringLiteral("%1 → %2\n").arg(ui::desdeStore(palabra).trimmed(), ui::desdeStore(raiz));
}

QString definicionPara(const std::string& directorio, const std::string& palabra) {
    const auto hallada = store::buscarDefinicion(directorio, palabra);
    if (!hallada) {
        return textoSinDiccionario(hallada.error());
    }
    if (!hallada->has_value()) {
        if (const auto porRaiz = buscarPorRaiz(directorio, palabra)) {
            return marcaDeRaiz(palabra, porRaiz->raiz) + ui::desdeStore(porRaiz->definicion);
        }
        return QString::fromUtf16(kNoSeEncuentra);
    }
    return ui::desdeStore(**hallada);
}

void consultarPalabra(const QString& seleccion, const std::string& directorio, const Acciones& acciones) {
    const std::optional<std::string> bytes = ui::haciaStore(seleccion);
    if (!bytes) {
        // A character no store file can hold: no dictionary line can match it.
        acciones.mostrarDiccionario(seleccion.trimmed().toUpper(), QString::fromUtf16(kNoSeEncuentra));
        return;
    }
    const std::string palabra = store::limpiarPalabra(*bytes);
    const auto hallada = store::buscarDefinicion(directorio, palabra);
    if (!hallada) {
        acciones.mostrarDiccionario(ui::desdeStore(palabra), textoSinDiccionario(hallada.error()));
        return;
    }
    // A word without an entry of its own may have one under its stem ("PLANETAS" under "PLANETA").
    std::string definicion;
    QString marca;
    if (hallada->has_value()) {
        definicion = **hallada;
    } else if (const auto porRaiz = buscarPorRaiz(directorio, palabra)) {
        definicion = porRaiz->definicion;
        marca = marcaDeRaiz(palabra, porRaiz->raiz);
    } else {
        acciones.mostrarDiccionario(ui::desdeStore(palabra), QString::fromUtf16(kNoSeEncuentra));
        return;
    }
    const std::optional<std::string> referencia = store::referenciaDe(definicion);
    if (!referencia) {
        acciones.mostrarDiccionario(ui::desdeStore(palabra), marca + ui::desdeStore(definicion));
        return;
    }
    // Trailing spaces of the dictionary line are not part of the file name.
    const std::string nombre(store::sinEspaciosDerecha(*referencia));
    if (!store::nombreRelativoSeguro(nombre)) {
        acciones.avisar(QStringLiteral("La entrada del diccionario para «%1» remite a «%2», que no es un "
                                       "artículo de esta enciclotomo; no se abre.")
                            .arg(ui::desdeStore(palabra), ui::desdeStore(nombre)));
        return;
    }
    const std::string ruta = store::unir(directorio, nombre);
    if (!store::existeArchivo(ruta)) {
        acciones.avisar(QStringLiteral("La entrada del diccionario para «%1» remite al artículo %2, que no "
                                       "se encuentra.")
                            .arg(ui::desdeStore(palabra), ui::desdeStore(ruta)));
        return;
    }
    acciones.abrir(ruta);
}

} // namespace consulta

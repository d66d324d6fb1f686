#include "editor/orden_historial.h"

#include "editor/versiones.h"
#include "historial/historial.h"
#include "historial/sincronizar.h"
#include "store/archivo_de_texto.h"
#include "store/codificacion.h"
#include "store/rutas.h"
#include "ui/texto.h"

#include <QDir>
#include <QRegularExpression>

#include <cstdio>

namespace forja {

namespace {

QString desdeUtf8(const std::string& texto) {
    return QString::fromStdString(texto);
}

int errorDeUso(QString& errores, const QString& que) {
    errores += QStringLiteral("forja: %1\nPruebe «forja --help» para ver cómo se usa.\n").arg(que);
    return 2;
}

// The encyclopaedia directory as the store spells it: a drive path as typed, a path of this system absolute.
std::optional<std::string> directorioDe(const QString& ruta, QString& errores) {
    static const QRegularExpression unidad(QStringLiteral("^[A-Za-z]:"));
    const QString completa =
        unidad.match(ruta).hasMatch() ? ruta : QDir::cleanPath(QDir::current().absoluteFilePath(ruta));
    auto directorio = ui::haciaStore(completa);
    if (!directorio) {
        errores += QStringLiteral("forja: la ruta «%1» tiene caracteres que las enciclotomos no admiten.\n").arg(ruta);
        return std::nullopt;
    }
    if (!store::existeDirectorio(*directorio)) {
        errores += QStringLiteral("forja: no existe el directorio de la enciclotomo «%1».\n").arg(ruta);
        return std::nullopt;
    }
    return directorio;
}

std::unique_ptr<historial::Historial> historialAlDia(const std::string& directorio, const std::string& autor,
                                                     QString& errores);
std::string autorDeLineaDeOrdenes();

int mostrarHistorial(const std::string& directorio, const QString& articulo, QString& salida, QString& errores) {
    if (!historial::Historial::existe(directorio)) {
        errores += QStringLiteral("forja: la enciclotomo no tiene historial todavía: Forja lo empieza al abrirla.\n");
        return 1;
    }
    auto h = historial::Historial::abrir(directorio);
    if (!h) {
        errores += QStringLiteral("forja: %1\n").arg(ui::mensajeDe(h.error()));
        return 1;
    }
    const auto nombre = ui::haciaStore(articulo);
    if (!nombre) {
        errores += QStringLiteral("forja: «%1» no es un nombre de artículo.\n").arg(articulo);
        return 1;
    }
    const auto versiones = (*h)->versiones(*nombre);
    if (!versiones) {
        errores += QStringLiteral("forja: %1\n").arg(ui::mensajeDe(versiones.error()));
        return 1;
    }
    for (const historial::Version& v : *versiones) {
        salida += QStringLiteral("%1  %2  %3  %4\n")
                      .arg(desdeUtf8(v.corto), desdeUtf8(historial::fechaLegible(v)), desdeUtf8(v.autor),
                           desdeUtf8(v.resumen));
        if (articulo.isEmpty()) {
            for (const std::string& archivo : v.archivos) {
                salida += QStringLiteral("          %1\n").arg(ui::desdeStore(archivo));
            }
        }
    }
    if (versiones->empty()) {
        salida += articulo.isEmpty() ? QStringLiteral("La enciclotomo no tiene versiones todavía.\n")
                                     : QStringLiteral("Ninguna versión cambió «%1».\n").arg(articulo);
    }
    return 0;
}

int restaurar(const std::string& directorio, const QString& articulo, const QString& version, QString& salida,
              QString& errores) {
    const auto nombre = ui::haciaStore(articulo);
    if (!nombre || !store::nombreRelativoSeguro(*nombre)) {
        errores += QStringLiteral("forja: «%1» no es un nombre de artículo.\n").arg(articulo);
        return 1;
    }
    // What changed since the last version is kept first, so that the restore never hides it.
    const std::string firma = autorDeLineaDeOrdenes();
    const auto h = historialAlDia(directorio, firma, errores);
    if (!h) {
        return 1;
    }
    const auto hecha = h->restaurar(version.toStdString(), *nombre, firma);
    if (!hecha) {
        errores += QStringLiteral("forja: %1\n").arg(ui::mensajeDe(hecha.error()));
        return 1;
    }
    if (!*hecha) {
        salida += QStringLiteral("«%1» ya estaba como en la versión %2: no se cambió nada.\n").arg(articulo, version);
    } else {
        salida += QStringLiteral("Restaurado «%1» como estaba en la versión %2 (nueva versión %3).\n")
                      .arg(articulo, version, desdeUtf8(hecha->value().substr(0, 8)));
    }
    return 0;
}

// Opens the history (starting it when there is none) with what changed outside Forja recorded.
std::unique_ptr<historial::Historial> historialAlDia(const std::string& directorio, const std::string& autor,
                                                     QString& errores) {
    auto h = historial::Historial::abrir(directorio);
    if (!h) {
        errores += QStringLiteral("forja: %1\n").arg(ui::mensajeDe(h.error()));
        return nullptr;
    }
    if (const auto fuera = (*h)->registrarTodo(autor, (*h)->vacio() ? "Primera versión de la enciclotomo"
                                                                    : "Cambios hechos fuera de Forja");
        !fuera) {
        errores += QStringLiteral("forja: %1\n").arg(ui::mensajeDe(fuera.error()));
        return nullptr;
    }
    return std::move(*h);
}

std::string autorDeLineaDeOrdenes() {
    const QString autor = autorGuardado();
    return (autor.isEmpty() ? QStringLiteral("Autor sin nombre") : autor).toUtf8().toStdString();
}

int sincronizar(const std::string& directorio, const QString& destino, bool unir, QString& salida, QString& errores) {
    const std::string autor = autorDeLineaDeOrdenes();
    const auto h = historialAlDia(directorio, autor, errores);
    if (!h) {
        return 1;
    }
    static const QRegularExpression direccion(QStringLiteral("^[a-z]+://|^[^/]+@[^/]+:"));
    const QString otra =
        direccion.match(destino).hasMatch() ? destino : QDir::cleanPath(QDir::current().absoluteFilePath(destino));
    auto s = historial::Sincronizacion::preparar(*h, otra.toUtf8().toStdString(), unir);
    if (!s) {
        errores += QStringLiteral("forja: %1\n").arg(ui::mensajeDe(s.error()));
        return 1;
    }
    if ((*s)->caso() == historial::Sincronizacion::Caso::SinRelacion) {
        errores += QStringLiteral("forja: «%1» guarda una copia de la misma enciclotomo, hecha antes de que "
                                  "ninguna de las dos tuviera versiones. Para unirlas, repita la orden con --unir.\n")
                       .arg(destino);
        return 1;
    }
    if (!(*s)->conflictos().empty()) {
        for (const historial::ArchivoEnConflicto& c : (*s)->conflictos()) {
            errores += QStringLiteral("forja: las dos copias cambiaron las mismas líneas de «%1»; no se tocó.\n")
                           .arg(ui::desdeStore(c.nombre));
        }
        errores += QStringLiteral("forja: no se cambió nada. Decida los conflictos con «Sincronizar…» en la ventana "
                                  "de Forja.\n");
        return 1;
    }
    const auto hecho = (*s)->completar({}, autor);
    if (!hecho) {
        errores += QStringLiteral("forja: %1\n").arg(ui::mensajeDe(hecho.error()));
        return 1;
    }
    salida += QString::fromStdString(*hecho) + QLatin1Char('\n');
    return 0;
}

} // namespace

std::optional<int> ejecutarOrdenHistorial(const QStringList& argumentos, QString& salida, QString& errores) {
    if (argumentos.isEmpty()) {
        return std::nullopt;
    }
    const QString orden = argumentos.first();
    QStringList resto = argumentos.mid(1);
    if (!resto.isEmpty() && resto.first() == QLatin1String("--")) {
        resto.removeFirst();
    }
    if (orden == QLatin1String("--historial")) {
        if (resto.size() < 1 || resto.size() > 2 || resto.first().isEmpty()) {
            return errorDeUso(errores, QStringLiteral("--historial lleva la RUTA de la enciclotomo y, si se quiere, "
                                                      "el nombre de un ARTÍCULO."));
        }
        const auto directorio = directorioDe(resto[0], errores);
        return directorio ? mostrarHistorial(*directorio, resto.value(1), salida, errores) : 1;
    }
    if (orden == QLatin1String("--restaurar")) {
        if (resto.size() != 3 || resto[0].isEmpty() || resto[1].isEmpty() || resto[2].isEmpty()) {
            return errorDeUso(errores, QStringLiteral("--restaurar lleva la RUTA de la enciclotomo, el ARTÍCULO y la "
                                                      "VERSIÓN (como la muestra «forja --historial»)."));
        }
        const auto directorio = directorioDe(resto[0], errores);
        return directorio ? restaurar(*directorio, resto[1], resto[2], salida, errores) : 1;
    }
    if (orden == QLatin1String("--copiar-sin-historial")) {
        if (resto.size() != 2 || resto[0].isEmpty() || resto[1].isEmpty()) {
            return errorDeUso(errores, QStringLiteral("--copiar-sin-historial lleva la RUTA de la enciclotomo y el "
                                                      "DESTINO, un directorio nuevo o vacío."));
        }
        const auto directorio = directorioDe(resto[0], errores);
        if (!directorio) {
            return 1;
        }
        static const QRegularExpression unidad(QStringLiteral("^[A-Za-z]:"));
        const auto destino = ui::haciaStore(
            unidad.match(resto[1]).hasMatch() ? resto[1] : QDir::cleanPath(QDir::current().absoluteFilePath(resto[1])));
        if (!destino) {
            errores +=
                QStringLiteral("forja: la ruta «%1» tiene caracteres que las enciclotomos no admiten.\n").arg(resto[1]);
            return 1;
        }
        const auto copiados = historial::copiarSinHistorial(*directorio, *destino);
        if (!copiados) {
            errores += QStringLiteral("forja: %1\n").arg(ui::mensajeDe(copiados.error()));
            return 1;
        }
        salida += QStringLiteral("Se copiaron %1 archivos en «%2», sin el historial.\n").arg(*copiados).arg(resto[1]);
        return 0;
    }
    if (orden == QLatin1String("--sincronizar")) {
        const bool unir = resto.removeAll(QStringLiteral("--unir")) > 0;
        if (resto.size() != 2 || resto[0].isEmpty() || resto[1].isEmpty()) {
            return errorDeUso(errores, QStringLiteral("--sincronizar lleva la RUTA de la enciclotomo y el DESTINO: "
                                                      "una carpeta (como una memoria USB) o la dirección de un "
                                                      "servidor git."));
        }
        const auto directorio = directorioDe(resto[0], errores);
        return directorio ? sincronizar(*directorio, resto[1], unir, salida, errores) : 1;
    }
    return std::nullopt;
}

std::optional<int> atenderHistorial(int argc, char* argv[]) {
    QStringList argumentos;
    for (int i = 1; i < argc; ++i) {
        argumentos << QString::fromLocal8Bit(argv[i]);
    }
    QString salida;
    QString errores;
    const auto fin = ejecutarOrdenHistorial(argumentos, salida, errores);
    if (fin) {
        std::fputs(salida.toLocal8Bit().constData(), stdout);
        std::fputs(errores.toLocal8Bit().constData(), stderr);
    }
    return fin;
}

} // namespace forja

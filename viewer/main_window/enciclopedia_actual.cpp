#include "main_window/enciclopedia_actual.h"

#include "store/archivo_de_texto.h"
#include "store/enciclopedia.h"
#include "store/registro.h"
#include "store/rutas.h"
#include "ui/texto.h"

#include <QStringList>

namespace {
bool faltaArchivo(const store::Error& e) {
    return e.causa == store::Causa::NoEncontrado || e.causa == store::Causa::RutaNoEncontrada;
}

std::optional<std::string>& enciclopediaDeLaSesion() {
    static std::optional<std::string> directorio;
    return directorio;
}
} // namespace

bool tomarEnciclopediaDeLaSesion(const QString& ruta, QString* motivo) {
    QString sinUso;
    QString& m = motivo ? *motivo : sinUso;
    std::string ajenos;
    std::optional<std::string> directorio = store::rutaDeOrden(ruta.toStdString(), &ajenos);
    // A file manager may hand over a file of the encyclopaedia (its COMPLETA.DAT, an article): the
    // encyclopaedia is the directory holding it.
    if (directorio && !store::existeDirectorio(*directorio) && store::existeArchivo(*directorio)) {
        const std::size_t barra = directorio->find_last_of("\\/");
        directorio = barra == std::string::npos ? std::string() : directorio->substr(0, barra);
    }
    if (!directorio) {
        m = QStringLiteral("No se puede abrir «%1»: la ruta tiene caracteres que las enciclotomos no admiten (%2).")
                .arg(ruta, QString::fromStdString(ajenos));
        return false;
    }
    if (!store::existeDirectorio(*directorio)) {
        m = QStringLiteral("No se puede abrir «%1»: no existe ese directorio.").arg(ruta);
        return false;
    }
    QStringList faltan;
    for (const std::string_view nombre : {store::kCompleta, store::kListas}) {
        if (!store::existeArchivo(store::unir(*directorio, nombre))) {
            faltan << ui::desdeStore(nombre);
        }
    }
    if (!faltan.isEmpty()) {
        m = QStringLiteral("«%1» no es una enciclotomo: le falta %2. Una enciclotomo es un directorio creado con "
                           "Forja, con su lista de artículos COMPLETA.DAT y su índice de listas LISTAS.DAT.")
                .arg(ruta, faltan.join(QStringLiteral(" y ")));
        return false;
    }
    enciclopediaDeLaSesion() = *directorio;
    return true;
}

void olvidarEnciclopediaDeLaSesion() {
    enciclopediaDeLaSesion().reset();
}

std::optional<std::string> buscarEnciclopediaActual(QString* motivo) {
    QString sinUso;
    QString& m = motivo ? *motivo : sinUso;
    if (const auto& sesion = enciclopediaDeLaSesion()) {
        if (store::existeDirectorio(*sesion)) {
            return sesion;
        }
        m = QStringLiteral("No se encuentra el directorio de la enciclotomo %1.").arg(ui::desdeStore(*sesion));
        return std::nullopt;
    }
    const QString registro = ui::desdeStore(store::kArchivoRegistro);

    auto reg = store::leerRegistro();
    if (!reg) {
        if (faltaArchivo(reg.error())) {
            m = QStringLiteral("No se encuentra el registro de enciclotomos %1.").arg(registro);
        } else if (reg.error().causa == store::Causa::SinLineas) {
            m = QStringLiteral("El registro de enciclotomos %1 está vacío.").arg(registro);
        } else {
            m = ui::mensajeDe(reg.error());
        }
        return std::nullopt;
    }
    const std::string actual = reg->actual;
    if (actual.empty()) {
        m = QStringLiteral("El registro de enciclotomos %1 no nombra el archivo de la enciclotomo actual.")
                .arg(registro);
        return std::nullopt;
    }

    auto linea = store::leerPrimeraLinea(actual, store::kLimitePequeno, store::Enlaces::Seguir);
    if (!linea) {
        if (faltaArchivo(linea.error())) {
            m = QStringLiteral("No se encuentra el archivo de la enciclotomo actual %1 (nombrado en %2).")
                    .arg(ui::desdeStore(actual), registro);
        } else if (linea.error().causa == store::Causa::SinLineas) {
            m = QStringLiteral("El archivo de la enciclotomo actual %1 está vacío: no hay una enciclotomo actual.")
                    .arg(ui::desdeStore(actual));
        } else {
            m = ui::mensajeDe(linea.error());
        }
        return std::nullopt;
    }
    const std::string directorio = *linea;
    if (directorio.empty()) {
        m = QStringLiteral("El archivo de la enciclotomo actual %1 no nombra ninguna enciclotomo.")
                .arg(ui::desdeStore(actual));
        return std::nullopt;
    }
    if (!store::existeDirectorio(directorio)) {
        m = QStringLiteral("No se encuentra el directorio de la enciclotomo actual %1.")
                .arg(ui::desdeStore(directorio));
        return std::nullopt;
    }
    return directorio;
}

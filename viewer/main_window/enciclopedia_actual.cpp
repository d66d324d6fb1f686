#include "main_window/enciclopedia_actual.h"

#include "store/paths.h"
#include "store/registry.h"
#include "store/text_file.h"
#include "ui/texto.h"

namespace {
bool faltaArchivo(const store::Error& e) {
    return e.causa == store::Causa::NoEncontrado || e.causa == store::Causa::RutaNoEncontrada;
}
} // namespace

std::optional<std::string> buscarEnciclopediaActual(QString* motivo) {
    QString sinUso;
    QString& m = motivo ? *motivo : sinUso;
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

    auto linea = store::leerPrimeraLinea(actual);
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

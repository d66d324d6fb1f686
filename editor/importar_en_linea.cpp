#include "editor/importar_en_linea.h"

#include "importar/importacion.h"
#include "store/encoding.h"
#include "ui/texto.h"

#include <QDir>
#include <QRegularExpression>

#include <cstdio>

namespace forja {

namespace {

void decir(std::FILE* f, const std::string& utf8) {
    std::fputs(QString::fromStdString(utf8).toLocal8Bit().constData(), f);
}

} // namespace

std::optional<std::string> rutaDeTomo(const QString& ruta) {
    static const QRegularExpression unidad(QStringLiteral("^[A-Za-z]:"));
    return ui::haciaStore(unidad.match(ruta).hasMatch() ? ruta
                                                        : QDir::cleanPath(QDir::current().absoluteFilePath(ruta)));
}

int importarSinVentanas(const QString& origen, const QString& ruta) {
    const auto tomo = rutaDeTomo(ruta);
    if (!tomo) {
        decir(stderr,
              "forja: la ruta «" + ruta.toStdString() + "» tiene caracteres que las enciclotomos no admiten.\n");
        return 1;
    }
    const auto plan = importar::planear({std::filesystem::path(origen.toStdString())}, *tomo);
    if (!plan) {
        decir(stderr, "forja: " + store::cp1252AUtf8(plan.error().mensaje()) + "\n");
        return 1;
    }
    decir(stdout, importar::describir(*plan));
    if (plan->articulos.empty()) {
        decir(stderr, "forja: no hay ningún texto que importar en «" + origen.toStdString() + "».\n");
        return 1;
    }
    const importar::Informe informe = importar::ejecutar(*plan);
    decir(informe.error ? stderr : stdout, importar::describir(informe, *plan));
    return informe.error ? 1 : 0;
}

} // namespace forja

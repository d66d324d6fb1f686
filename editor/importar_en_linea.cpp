#include "editor/importar_en_linea.h"

#include "importar/importacion.h"
#include "importar/qt/imagenes.h"
#include "store/encoding.h"

#include "ui/texto.h"

#include <QDir>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace forja {

namespace {

void decir(std::FILE* f, const std::string& utf8) {
    std::fputs(QString::fromStdString(utf8).toLocal8Bit().constData(), f);
}

// The first bytes of a file (64 KiB at most), or nothing when it cannot be read.
std::string inicioDe(const std::filesystem::path& archivo) {
    std::ifstream f(archivo, std::ios::binary);
    std::string bytes(64 * 1024, '\0');
    f.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(0, f.gcount())));
    return bytes;
}

} // namespace

std::optional<std::string> rutaDeTomo(const QString& ruta) {
    static const QRegularExpression unidad(QStringLiteral("^[A-Za-z]:"));
    return ui::haciaStore(unidad.match(ruta).hasMatch() ? ruta
                                                        : QDir::cleanPath(QDir::current().absoluteFilePath(ruta)));
}

int importarSinVentanas(const QString& origen, const QString& ruta, const QStringList& opciones) {
    const auto tomo = rutaDeTomo(ruta);
    if (!tomo) {
        decir(stderr,
              "forja: la ruta «" + ruta.toStdString() + "» tiene caracteres que las enciclotomos no admiten.\n");
        return 1;
    }
    const std::filesystem::path entrada(origen.toStdString());
    std::error_code e;
    if (std::filesystem::is_regular_file(entrada, e)) {
        // What a file starts with tells a text from anything else before it is read whole.
        if (!importar::pareceTexto(inicioDe(entrada))) {
            decir(stderr, "forja: «" + origen.toStdString() +
                              "» no es un texto sino un archivo binario: no se importa nada.\n");
            return 1;
        }
    }
    importar::Opciones o;
    o.convertir = importar::convertirConQt;
    for (qsizetype i = 0; i + 1 < opciones.size(); i += 2) {
        if (opciones[i] == QLatin1String("imagenes-de")) {
            o.carpetasImagenes.emplace_back(opciones[i + 1].toStdString());
        }
    }
    const auto plan = importar::planear({entrada}, *tomo, o);
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

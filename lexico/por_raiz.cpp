#include "lexico/por_raiz.h"

#include "lexico/raices_espanolas.h"
#include "store/codificacion.h"
#include "store/diccionario.h"

#include <QString>

namespace lexico {

std::optional<PorRaiz> buscarPorRaiz(const std::string& directorio, const std::string& palabra) {
    return buscarPorRaiz(palabra, [&](const std::string& p) -> std::optional<std::string> {
        auto hallada = store::buscarDefinicion(directorio, p);
        return hallada ? *hallada : std::nullopt;
    });
}

std::optional<PorRaiz> buscarPorRaiz(const std::string& palabra, const BuscarEntrada& buscar) {
    // Only a single word is stemmed: a look-up with spaces in it asks for something else.
    const QString escrita = QString::fromStdString(store::cp1252AUtf8(palabra)).trimmed();
    if (escrita.isEmpty() || escrita.contains(QLatin1Char(' '))) {
        return std::nullopt;
    }
    const std::string sinEspacios = store::utf8ACp1252(escrita.toStdString()).value_or(std::string());
    for (const QString& raiz : lexico::de(escrita)) {
        const auto bytes = store::utf8ACp1252(raiz.toStdString());
        if (!bytes) {
            continue;
        }
        const std::string mayusculas = store::aMayusculas(*bytes);
        if (mayusculas == sinEspacios) {
            continue;
        }
        // The stem as a whole headword (followed by a space), not as the start of a longer one.
        if (auto hallada = buscar(mayusculas + ' ')) {
            return PorRaiz{mayusculas, std::move(*hallada)};
        }
    }
    return std::nullopt;
}

} // namespace lexico

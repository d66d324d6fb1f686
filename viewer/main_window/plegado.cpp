#include "main_window/plegado.h"

#include "ui/texto.h"

#include <array>

namespace plegado {

namespace {

QChar plegarSinTabla(QChar c) {
    // A canonical decomposition starts with the base letter ("é" is "e" + combining acute).
    if (c.decompositionTag() == QChar::Canonical) {
        const QString partes = c.decomposition();
        if (!partes.isEmpty() && !QChar::isSurrogate(partes.front().unicode())) {
            c = partes.front();
        }
    }
    return c.toCaseFolded();
}

// Latin-1, where nearly all article text lies, is looked up instead of decomposed.
const std::array<char16_t, 256>& tablaLatin1() {
    static const std::array<char16_t, 256> tabla = [] {
        std::array<char16_t, 256> t{};
        for (char16_t i = 0; i < 256; ++i) {
            t[i] = plegarSinTabla(QChar(i)).unicode();
        }
        return t;
    }();
    return tabla;
}

} // namespace

QChar plegar(QChar c) {
    return c.unicode() < 256 ? QChar(tablaLatin1()[c.unicode()]) : plegarSinTabla(c);
}

QString plegar(const QString& texto) {
    const auto& tabla = tablaLatin1();
    QString resultado(texto.size(), Qt::Uninitialized);
    QChar* destino = resultado.data();
    for (const QChar c : texto) {
        *destino++ = c.unicode() < 256 ? QChar(tabla[c.unicode()]) : plegarSinTabla(c);
    }
    return resultado;
}

const std::array<char16_t, 256>& tabla1252() {
    static const std::array<char16_t, 256> tabla = [] {
        std::array<char16_t, 256> t{};
        for (int i = 0; i < 256; ++i) {
            const char byte = static_cast<char>(i);
            const QString caracter = ui::desdeStore(std::string_view(&byte, 1));
            t[static_cast<std::size_t>(i)] = plegar(caracter.front()).unicode();
        }
        return t;
    }();
    return tabla;
}

} // namespace plegado

// COLOR.DAT: the reading from disk gives the slots its first ten lines give in memory (slots not read keep
// the built-in scheme, and a short or bad file says why); both written forms of every value read back to
// it; a scheme written reads back whole.

#include "comun.h"

#include "store/archivo_de_color.h"
#include "store/archivo_de_texto.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tamano) {
    const auto& enc = fuzz::enciclopedia();
    const std::string_view bytes(reinterpret_cast<const char*>(datos), tamano);

    fuzz::ponerArchivo(enc.nativa / "COLOR.DAT", bytes);
    const store::LecturaColores r = store::leerColores(enc.ruta);
    const store::Lineas lineas = store::partirLineas(bytes);
    int esperados = 0;
    for (; esperados < 10 && static_cast<std::size_t>(esperados) < lineas.size(); ++esperados) {
        const auto v = store::numeroDeLinea(lineas[static_cast<std::size_t>(esperados)]);
        if (!v)
            break;
        EXIGIR(r.valores[static_cast<std::size_t>(esperados)] == *v);
        EXIGIR(store::numeroDeLinea(store::formatoVisor(*v)) == v);
        EXIGIR(store::numeroDeLinea(store::formatoEditor(*v)) == v);
    }
    EXIGIR(r.leidos == esperados);
    EXIGIR(r.error.has_value() == (esperados < 10));
    for (std::size_t i = static_cast<std::size_t>(esperados); i < 10; ++i)
        EXIGIR(r.valores[i] == store::kEsquemaPredeterminado[i]);

    // Any ten 32-bit values (taken from the input's bytes) survive a write and a read.
    store::Esquema esquema = store::kEsquemaPredeterminado;
    std::memcpy(esquema.data(), datos, std::min(tamano, sizeof esquema));
    EXIGIR(store::escribirColores(enc.ruta, esquema).ok());
    const store::LecturaColores otra = store::leerColores(enc.ruta);
    EXIGIR(otra.leidos == 10 && !otra.error && otra.valores == esquema);
    return 0;
}

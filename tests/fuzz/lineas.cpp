// Line splitting: reading a file gives exactly the lines of its bytes split in memory, no line holds a CR,
// the lines never hold more bytes than the file, and writing the lines back and reading them again gives
// the same lines.

#include "comun.h"

#include "store/archivo_de_texto.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tamano) {
    const auto& enc = fuzz::enciclopedia();
    const std::string_view bytes(reinterpret_cast<const char*>(datos), tamano);

    const store::Lineas lineas = store::partirLineas(bytes);
    EXIGIR(lineas.size() <= bytes.size());
    std::size_t total = 0;
    for (const auto& l : lineas) {
        EXIGIR(l.find('\r') == std::string::npos);
        total += l.size();
    }
    const auto finales = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\r'));
    EXIGIR(lineas.size() == finales || lineas.size() == finales + 1);
    EXIGIR(total <= bytes.size() - finales);

    fuzz::ponerArchivo(enc.nativa / "LINEAS.TXT", bytes);
    EXIGIR(LEIDO(store::leerBytes(enc.ruta + "\\lineas.txt", store::kLimiteLista)) == bytes);
    EXIGIR(LEIDO(store::leerLineas(enc.ruta + "\\LINEAS.TXT")) == lineas);
    if (!lineas.empty())
        EXIGIR(LEIDO(store::leerPrimeraLinea(enc.ruta + "\\Lineas.txt")) == lineas.front());

    const std::string unidas = store::unirLineas(lineas);
    EXIGIR(store::partirLineas(unidas) == lineas);
    EXIGIR(store::escribirLineas(enc.ruta + "\\COPIA.TXT", lineas).ok());
    EXIGIR(LEIDO(store::leerBytes(enc.ruta + "\\COPIA.TXT", store::kLimiteLista)) == unidas);
    return 0;
}

// Caption files: the file read from disk gives what its bytes give in memory; the title is line 1 and the
// text never holds more than the rest of the file gives (each "/" line a CR LF).

#include "comun.h"

#include "store/articulo.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tamano) {
    const auto& enc = fuzz::enciclopedia();
    const std::string_view bytes(reinterpret_cast<const char*>(datos), tamano);

    const store::Lineas lineas = store::partirLineas(bytes);
    const store::Epigrafe e = store::analizarEpigrafe(lineas);
    EXIGIR(lineas.empty() ? e.titulo.empty() : e.titulo == lineas.front());
    EXIGIR(e.texto.size() <= bytes.size() + lineas.size());

    fuzz::ponerArchivo(enc.nativa / "Img" / "FOTO.TXT", bytes);
    const auto leido = LEIDO(store::leerEpigrafe(enc.ruta + "\\IMG\\foto.txt"));
    EXIGIR(leido.titulo == e.titulo);
    EXIGIR(leido.texto == e.texto);
    const auto ruta = store::rutaEpigrafeVisor(enc.ruta, "FOTO.BMP");
    EXIGIR(ruta && LEIDO(store::leerEpigrafe(*ruta)).texto == e.texto);
    return 0;
}

// The viewer's reading of an article: the file read from disk gives what its bytes give in memory, the
// title reader agrees with the full reading, and every picture and caption named by a safe name stays
// inside the encyclopaedia directory.

#include "comun.h"

#include "store/articulo.h"
#include "store/rutas.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tamano) {
    const auto& enc = fuzz::enciclopedia();
    const std::string_view bytes(reinterpret_cast<const char*>(datos), tamano);

    const store::Articulo a = store::analizarArticulo(store::partirLineas(bytes));
    fuzz::ponerArchivo(enc.nativa / "ART.TXT", bytes);
    const store::Articulo leido = LEIDO(store::leerArticulo(enc.ruta + "\\art.txt"));
    EXIGIR(leido.titulo == a.titulo);
    EXIGIR(leido.ilustraciones == a.ilustraciones);
    EXIGIR(leido.costados == a.costados);
    EXIGIR(leido.cuerpo == a.cuerpo);
    EXIGIR(LEIDO(store::leerTitulo(enc.ruta + "\\ART.TXT")) == a.titulo);
    EXIGIR(a.cuerpo.size() <= bytes.size() + 1); // a last line "/" without its ending gives CR LF

    auto nombres = a.ilustraciones;
    nombres.insert(nombres.end(), a.costados.begin(), a.costados.end());
    for (const std::string& n : nombres) {
        if (!store::nombreRelativoSeguro(n))
            continue;
        EXIGIR(fuzz::dentroDe(enc.nativa, store::rutaIlustracion(enc.ruta, n)));
        EXIGIR(fuzz::dentroDe(enc.nativa, store::rutaCostado(enc.ruta, n)));
        if (auto e = store::rutaEpigrafeVisor(enc.ruta, n))
            EXIGIR(fuzz::dentroDe(enc.nativa, *e));
    }
    return 0;
}

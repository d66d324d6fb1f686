// The editor's reading of an article: the file read from disk gives what its bytes give in memory, and an
// article saved as read reads back the same (title, illustrations and every body line).

#include "comun.h"

#include "store/articulo.h"
#include "store/rutas.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tamano) {
    const auto& enc = fuzz::enciclopedia();
    FuzzedDataProvider entrada(datos, tamano);
    const std::string archivo = entrada.ConsumeRandomLengthString(16);
    const std::string bytes = entrada.ConsumeRemainingBytesAsString();

    const store::ArticuloEditable a = store::analizarArticuloParaEditar(store::partirLineas(bytes), archivo);
    fuzz::ponerArchivo(enc.nativa / "ART.TXT", bytes);
    const auto leido = LEIDO(store::leerArticuloParaEditar(enc.ruta + "\\Art.Txt", archivo));
    EXIGIR(leido.titulo == a.titulo);
    EXIGIR(leido.ilustraciones == a.ilustraciones);
    EXIGIR(leido.cuerpo == a.cuerpo);

    if (a.titulo.find('\r') != std::string::npos)
        return 0; // a file name holding CR cannot stand as a title line
    EXIGIR(store::escribirArticulo(enc.ruta + "\\GUARDADO.TXT", a.titulo, a.ilustraciones, a.cuerpo).ok());
    const auto otra = LEIDO(store::leerArticuloParaEditar(enc.ruta + "\\GUARDADO.TXT", "otro nombre"));
    EXIGIR(otra.titulo == a.titulo);
    EXIGIR(otra.ilustraciones == a.ilustraciones);
    EXIGIR(otra.cuerpo == a.cuerpo);
    for (const std::string& n : a.ilustraciones) {
        if (!store::nombreRelativoSeguro(n))
            continue;
        EXIGIR(fuzz::dentroDe(enc.nativa, store::rutaIlustracion(enc.ruta, n)));
        if (auto e = store::rutaEpigrafeEditor(enc.ruta, n))
            EXIGIR(fuzz::dentroDe(enc.nativa, *e));
    }
    return 0;
}

// Dictionary look-up: the look-up in DICT.DAT on disk finds what the same lines find in memory; the
// definition found is a suffix of the upper-cased matching line; a cleaned word never starts or ends with
// what cleaning removes; a reference names a safe article only inside the directory.

#include "comun.h"

#include "store/codificacion.h"
#include "store/diccionario.h"
#include "store/rutas.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tamano) {
    const auto& enc = fuzz::enciclopedia();
    FuzzedDataProvider entrada(datos, tamano);
    const std::string seleccion = entrada.ConsumeRandomLengthString(32);
    const std::string bytes = entrada.ConsumeRemainingBytesAsString();

    const std::string palabra = store::limpiarPalabra(seleccion);
    EXIGIR(palabra.size() <= seleccion.size());
    EXIGIR(palabra.empty() || std::string_view(",;:.)!").find(palabra.back()) == std::string_view::npos);
    EXIGIR(palabra.empty() || (palabra.front() != '(' && palabra.front() != '\xA1'));
    EXIGIR(store::aMayusculas(palabra) == palabra);

    const store::Lineas lineas = store::partirLineas(bytes);
    const auto enMemoria = store::buscarEnLineas(lineas, palabra);
    fuzz::ponerArchivo(enc.nativa / "DICT.DAT", bytes);
    const auto enDisco = LEIDO(store::buscarDefinicion(enc.ruta, palabra));
    EXIGIR(enDisco == enMemoria);
    if (enMemoria) {
        bool hallada = false;
        for (const auto& l : lineas) {
            const std::string m = store::aMayusculas(l);
            if (m.rfind(palabra, 0) == 0) {
                EXIGIR(m.size() >= enMemoria->size() && m.substr(m.size() - enMemoria->size()) == *enMemoria);
                hallada = true;
                break;
            }
        }
        EXIGIR(hallada);
        if (auto articulo = store::referenciaDe(*enMemoria); articulo && store::nombreRelativoSeguro(*articulo))
            EXIGIR(fuzz::dentroDe(enc.nativa, store::unir(enc.ruta, *articulo)));
    }
    return 0;
}

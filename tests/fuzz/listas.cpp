// List files: COMPLETA.DAT, LISTAS.DAT and a list file read from disk give the lines of their bytes; a list
// saved as read reads back the same; a list name read from LISTAS.DAT that passes the name checks names a
// file inside the encyclopaedia directory.

#include "comun.h"

#include "store/archivos_de_lista.h"
#include "store/rutas.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tamano) {
    const auto& enc = fuzz::enciclopedia();
    FuzzedDataProvider entrada(datos, tamano);
    const std::string indice = entrada.ConsumeRandomLengthString(256);
    const std::string lista = entrada.ConsumeRemainingBytesAsString();

    fuzz::ponerArchivo(enc.nativa / "LISTAS.DAT", indice);
    fuzz::ponerArchivo(enc.nativa / "COMPLETA.DAT", lista);
    fuzz::ponerArchivo(enc.nativa / "planetas.dat", lista);
    const store::Lineas nombres = LEIDO(store::leerIndiceListas(enc.ruta));
    EXIGIR(nombres == store::partirLineas(indice));
    const store::Lineas articulos = LEIDO(store::leerCompleta(enc.ruta));
    EXIGIR(articulos == store::partirLineas(lista));
    EXIGIR(LEIDO(store::leerLista(enc.ruta, "PLANETAS")) == articulos);

    for (const std::string_view n : nombres) {
        if (store::nombreRelativoSeguro(n))
            EXIGIR(fuzz::dentroDe(enc.nativa, store::rutaLista(enc.ruta, n)));
        if (!store::verificarNuevaLista(enc.ruta, n)) {
            EXIGIR(store::nombreArchivoValido(std::string(n) + ".dat"));
            EXIGIR(fuzz::dentroDe(enc.nativa, store::rutaLista(enc.ruta, n)));
        }
    }
    for (const std::string_view a : articulos) {
        if (store::nombreRelativoSeguro(a))
            EXIGIR(fuzz::dentroDe(enc.nativa, store::unir(enc.ruta, a)));
    }

    EXIGIR(store::guardarLista(store::rutaLista(enc.ruta, "guardada"), articulos).ok());
    EXIGIR(LEIDO(store::leerLista(enc.ruta, "GUARDADA")) == articulos);
    return 0;
}

// The registry chain and name resolution: reading the registry and the current-encyclopaedia file never
// fails on a file that exists, and gives its lines; a name read from a store file that passes the safety
// check leads inside the encyclopaedia directory, both as written and as resolved on disk (where case
// folding picks among real entries), also when the system reads the name only up to a NUL byte.

#include "comun.h"

#include "store/archivo_de_texto.h"
#include "store/codificacion.h"
#include "store/registro.h"
#include "store/rutas.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

namespace fs = std::filesystem;

namespace {

// A few real entries, in other letter cases than the names will use, so that resolution has to look.
void prepararDirectorio(const fuzz::Enciclopedia& enc) {
    static const bool hecho = [&] {
        fs::create_directories(enc.nativa / "Sub" / "Mas");
        fuzz::ponerArchivo(enc.nativa / "Sol.Txt", "<TIT>Sol\r\n");
        fuzz::ponerArchivo(enc.nativa / "Img" / "Sol.Bmp", "BM");
        fuzz::ponerArchivo(enc.nativa / "Sub" / "Luna.txt", "luna\r\n");
        fs::create_directories(enc.unidad / "Fuera");
        return true;
    }();
    (void)hecho;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tamano) {
    const auto& enc = fuzz::enciclopedia();
    prepararDirectorio(enc);
    FuzzedDataProvider entrada(datos, tamano);
    const std::string nombre = entrada.ConsumeRandomLengthString(64);
    const std::string registro = entrada.ConsumeRandomLengthString(128);
    const std::string actual = entrada.ConsumeRemainingBytesAsString();

    if (store::nombreRelativoSeguro(nombre)) {
        const std::string ruta = store::unir(enc.ruta, nombre);
        EXIGIR(fuzz::dentroDe(enc.nativa, ruta));
        EXIGIR(fuzz::nativaDentroDe(enc.nativa, store::resolver(ruta)));
        EXIGIR(fuzz::nativaDentroDe(enc.nativa, store::resolver(store::aMayusculas(ruta))));
    }
    (void)store::nombreArchivoValido(nombre);
    (void)store::raizDesdeLinea1(nombre);

    // Registry line 1 names the current-encyclopaedia file; the fuzzed registry keeps it on the scratch
    // drive by starting every line with "C:\" so that nothing outside the scratch drive is read.
    std::string lineas;
    for (const std::string_view l : store::partirLineas(registro)) {
        lineas += "C:\\";
        lineas += l;
        lineas += "\r\n";
    }
    fuzz::ponerArchivo(enc.unidad / "LUMBRE" / "TOMOS.DAT", lineas);
    fuzz::ponerArchivo(enc.unidad / "LUMBRE" / "ACTUAL.DAT", actual);
    const auto r = store::leerRegistro();
    const store::Lineas esperadas = store::partirLineas(lineas);
    EXIGIR(r.ok() == !esperadas.empty());
    if (!r)
        return 0;
    EXIGIR(r->actual == esperadas[0]);
    EXIGIR(r->tomos == (esperadas.size() > 1 ? esperadas[1] : std::string()));
    if (store::igualesSinCaso(r->actual, "C:\\LUMBRE\\ACTUAL.DAT")) {
        const auto dir = store::directorioActual();
        const store::Lineas enActual = store::partirLineas(actual);
        EXIGIR(dir.ok() == !enActual.empty());
        if (dir)
            EXIGIR(*dir == enActual[0]);
    }
    (void)store::enciclopediasRegistradas();
    return 0;
}

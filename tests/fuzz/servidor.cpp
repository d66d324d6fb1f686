// The classroom server's own reading of a request (server/rutas.h): percent-decoding, the page a path names and
// the store name in it, the framing checks and what the log shows. Whatever the bytes, a name taken from a path
// holds no separator, NUL, "." or "..", leads inside the encyclopaedia when the store would take it, and comes
// back from its own segment; a log line holds no control character; decoding undoes encoding.

#include "comun.h"

#include "server/rutas.h"
#include "store/articulo.h"
#include "store/rutas.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

namespace {

QByteArray bytesDe(const std::string& s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

// No C0 control, DEL or C1 (U+0080 to U+009F in UTF-8) anywhere.
bool limpio(const QByteArray& l) {
    for (qsizetype i = 0; i < l.size(); ++i) {
        const auto c = static_cast<unsigned char>(l[i]);
        if (c < 0x20 || c == 0x7F || (c == 0xC2 && i + 1 < l.size() && static_cast<unsigned char>(l[i + 1]) < 0xA0)) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tamano) {
    const auto& enc = fuzz::enciclopedia();
    FuzzedDataProvider entrada(datos, tamano);
    const QByteArray ruta = bytesDe(entrada.ConsumeRandomLengthString(256));
    const QByteArray consulta = bytesDe(entrada.ConsumeRandomLengthString(256));
    const std::string nombre = entrada.ConsumeRandomLengthString(64);
    const QByteArray cabeceras = bytesDe(entrada.ConsumeRemainingBytesAsString());

    // The page a path names, and the name in it.
    const server::Destino d = server::destinoDe(ruta);
    if (d.pagina == server::Destino::Pagina::Articulo || d.pagina == server::Destino::Pagina::Imagen) {
        const std::string& n = d.nombre;
        EXIGIR(n.find('\0') == std::string::npos && n.find('/') == std::string::npos &&
               n.find('\\') == std::string::npos && n != "." && n != "..");
        if (store::nombreArchivoValido(n)) {
            EXIGIR(fuzz::dentroDe(enc.nativa, store::unir(enc.ruta, n)));
            EXIGIR(fuzz::dentroDe(enc.nativa, store::rutaIlustracion(enc.ruta, n)));
        }
    }
    server::bloquea(d);

    // A store name comes back from its own segment, unless it could never be one segment.
    const bool unSegmento =
        nombre.find_first_of(std::string("/\\\0", 3)) == std::string::npos && nombre != "." && nombre != "..";
    if (unSegmento) {
        const server::Destino vuelta = server::destinoDe("/e/x/a/" + bytesDe(server::segmento(nombre)));
        EXIGIR(vuelta.pagina == server::Destino::Pagina::Articulo && vuelta.nombre == nombre);
    }

    // Decoding undoes percent-encoding of every byte; a query's values are decoded, never more than sent.
    EXIGIR(server::decodificar(ruta.toPercentEncoding()) == ruta);
    EXIGIR(server::decodificar(consulta.toPercentEncoding(), true) == consulta);
    for (const QByteArray& v : server::parametros(consulta, "q")) {
        EXIGIR(v.size() <= consulta.size());
    }

    // The framing checks take any headers.
    server::Peticion p;
    p.metodo = "GET";
    p.destino = ruta;
    for (const QByteArray& linea : cabeceras.split('\n')) {
        const qsizetype dos = linea.indexOf(':');
        if (dos > 0) {
            p.cabeceras.append({linea.left(dos).toLower(), linea.mid(dos + 1).trimmed()});
        }
    }
    server::rechazoDeMarco(p, "HTTP/1.1");
    server::rechazoDeMarco(p, "HTTP/1.0");

    // What the log shows holds no control character.
    const QByteArray destino = server::paraElRegistro(ruta + '?' + consulta);
    EXIGIR(limpio(destino) && !destino.contains(' '));
    EXIGIR(limpio(server::destinoParaElRegistro(ruta + '?' + consulta, false)));
    EXIGIR(limpio(server::notaParaElRegistro(cabeceras)));
    return 0;
}

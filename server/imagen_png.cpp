// tomo-servidor-imagen: one picture in (standard input), the same picture as PNG out (standard output), as the
// exports convert a BMP, an ICO or a TIFF for a reader. The classroom server starts it for such a picture, so
// that the server itself links no image library of the toolkit, and a picture that cannot be decoded harms
// nothing but this process. Exit status 0 with the PNG; 1, writing nothing, when the bytes are not a picture
// that is converted (or already one a browser shows); 2 when the input is larger than a picture may be.

#include "publish/archivos.h"
#include "store/limites.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    // Read to the end of the pipe, which comes a piece at a time.
    QByteArray bytes;
    char trozo[65536];
    for (std::size_t n; (n = std::fread(trozo, 1, sizeof trozo, stdin)) > 0;) {
        bytes.append(trozo, static_cast<qsizetype>(n));
        if (static_cast<std::uint64_t>(bytes.size()) > store::kLimiteImagen) {
            return 2;
        }
    }
    const auto imagen = publish::convertirImagen(bytes);
    if (!imagen || imagen->tipo != QLatin1String("image/png") || imagen->bytes == bytes) {
        return 1;
    }
    QFile salida;
    if (!salida.open(stdout, QIODevice::WriteOnly) || salida.write(imagen->bytes) != imagen->bytes.size()) {
        return 1;
    }
    return 0;
}

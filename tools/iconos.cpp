// iconos: writes the kit's icon as PNG files for the hicolor icon theme, one per size:
//   iconos <icon.ico> <output-dir> <name> <size>...   ->  <output-dir>/<size>x<size>/apps/<name>.png
// The largest picture in the .ico is scaled: smoothly when shrinking, pixel by pixel when enlarging, so
// that a small drawing stays sharp at 256 × 256.
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QStringList>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 5) {
        std::fprintf(stderr, "Uso: iconos <icono.ico> <directorio> <nombre> <tamaño>...\n");
        return 2;
    }
    QImageReader lector(args.at(1));
    QImage mayor;
    do {
        const QImage imagen = lector.read();
        if (!imagen.isNull() && imagen.width() > mayor.width()) {
            mayor = imagen;
        }
    } while (lector.jumpToNextImage());
    if (mayor.isNull()) {
        std::fprintf(stderr, "No se puede leer el icono %s: %s\n", qPrintable(args.at(1)),
                     qPrintable(lector.errorString()));
        return 1;
    }
    mayor = mayor.convertToFormat(QImage::Format_ARGB32);
    for (qsizetype i = 4; i < args.size(); ++i) {
        bool ok = false;
        const int lado = args.at(i).toInt(&ok);
        if (!ok || lado <= 0) {
            std::fprintf(stderr, "Tamaño no válido: %s\n", qPrintable(args.at(i)));
            return 2;
        }
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(args.at(2)).arg(lado);
        const QString archivo = QStringLiteral("%1/%2.png").arg(dir, args.at(3));
        const Qt::TransformationMode modo = lado < mayor.width() ? Qt::SmoothTransformation : Qt::FastTransformation;
        if (!QDir().mkpath(dir) || !mayor.scaled(lado, lado, Qt::IgnoreAspectRatio, modo).save(archivo)) {
            std::fprintf(stderr, "No se puede escribir %s\n", qPrintable(archivo));
            return 1;
        }
    }
    return 0;
}

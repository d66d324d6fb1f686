// lumbre-bench [filtro...]
// lumbre-bench --millon DIR [filtro...]         the million-article measures, over a store made once in DIR
// lumbre-bench --medir <modo> [argumentos...]   (used by the measures themselves: see bench::ModoHijo)
//
// The toolkit's own messages (warnings and the like) never reach the output: they are appended to
// lumbre-bench-avisos.txt in the temporary directory.
//
// Runs every registered measure (or those whose name contains one of the given words), prints
//   name: ratio x (ours S s, floor F s)      for a measure against a floor
//   name: S s (target T s)                   for a measure against a fixed limit
// and exits 1 when any measure misses its target.

#include "measure.h"

#include <QApplication>
#include <QDir>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::FILE* avisos = nullptr;

void guardarAviso(QtMsgType, const QMessageLogContext&, const QString& texto) {
    if (!avisos) {
        avisos =
            std::fopen(QDir::temp().filePath(QStringLiteral("lumbre-bench-avisos.txt")).toLocal8Bit().constData(), "a");
    }
    if (avisos) {
        std::fprintf(avisos, "%s\n", texto.toLocal8Bit().constData());
        std::fflush(avisos);
    }
}

} // namespace

int main(int argc, char* argv[]) {
    qInstallMessageHandler(guardarAviso);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    bool millon = false;
    int primerFiltro = 1;
    if (argc >= 3 && std::string(argv[1]) == "--millon") {
        // The store of a million articles is kept in the directory named, made on the first run.
        std::error_code ec;
        const std::filesystem::path raiz = std::filesystem::absolute(argv[2], ec);
        ::setenv("LUMBRE_BENCH_RAIZ", raiz.c_str(), 1);
        millon = true;
        primerFiltro = 3;
    }
    QApplication app(argc, argv);
    if (argc >= 3 && std::string(argv[1]) == "--medir") {
        const bench::ModoHijo* modo = bench::modoHijo(argv[2]);
        return modo ? (*modo)(std::vector<std::string>(argv + 3, argv + argc)) : 2;
    }
    std::vector<std::string> filtros(argv + primerFiltro, argv + argc);

    int fallos = 0;
    int hechas = 0;
    for (const bench::Medida& m : bench::medidas()) {
        if (m.millon != millon) {
            continue;
        }
        bool elegida = filtros.empty();
        for (const std::string& f : filtros) {
            elegida = elegida || m.nombre.find(f) != std::string::npos;
        }
        if (!elegida) {
            continue;
        }
        ++hechas;
        const bench::Resultado r = m.medir();
        if (r.unidad.rfind("omitida", 0) == 0) { // a measure this machine cannot take, and why
            std::printf("%s: %s\n", m.nombre.c_str(), r.unidad.c_str());
            std::fflush(stdout);
            continue;
        }
        bool cumple = false;
        if (m.tipo == bench::Tipo::Razon) {
            const double razon = r.suelo > 0 ? r.nuestro / r.suelo : 0;
            cumple = r.suelo > 0 && razon <= m.objetivo;
            std::printf("%s: %.2f x (ours %.4g %s, floor %.4g %s) target <= %.2f x%s\n", m.nombre.c_str(), razon,
                        r.nuestro, r.unidad.c_str(), r.suelo, r.unidad.c_str(), m.objetivo, cumple ? "" : "  MISSED");
        } else {
            cumple = r.nuestro <= m.objetivo;
            if (r.suelo > 0) { // a floor shown for comparison only
                std::printf("%s: %.4g %s (floor %.4g %s) target <= %.4g %s%s\n", m.nombre.c_str(), r.nuestro,
                            r.unidad.c_str(), r.suelo, r.unidad.c_str(), m.objetivo, r.unidad.c_str(),
                            cumple ? "" : "  MISSED");
            } else {
                std::printf("%s: %.4g %s (target <= %.4g %s)%s\n", m.nombre.c_str(), r.nuestro, r.unidad.c_str(),
                            m.objetivo, r.unidad.c_str(), cumple ? "" : "  MISSED");
            }
        }
        if (!r.nota.empty()) {
            std::printf("  %s: %s\n", m.nombre.c_str(), r.nota.c_str());
        }
        std::fflush(stdout);
        fallos += cumple ? 0 : 1;
    }
    if (hechas == 0) {
        std::fprintf(stderr, "Ninguna medida coincide con lo pedido.\n");
        return 2;
    }
    return fallos == 0 ? 0 : 1;
}

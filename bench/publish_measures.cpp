// Publishing: one article rendered as a page, and whole exports to a web site, an e-book and a ZIM file, each
// export against what the machine needs at least to read the same articles and write (or deflate) as much.

#include "measure.h"
#include "synthetic_store.h"

#include "publish/exportacion.h"
#include "render/render.h"
#include "store/archivo_de_texto.h"
#include "store/archivos_de_lista.h"
#include "store/limites.h"
#include "store/rutas.h"

#include <QDir>
#include <QString>

#include <zlib.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

void salir(const std::string& que) {
    std::fprintf(stderr, "No se pudo preparar la medida: %s\n", que.c_str());
    std::exit(2);
}

// A fresh directory for the exports of one measure, removed with the object.
struct DirectorioDeSalida {
    fs::path dir;
    DirectorioDeSalida() {
        std::string plantilla = (fs::temp_directory_path() / "lumbre-bench-salida-XXXXXX").string();
        if (!::mkdtemp(plantilla.data())) {
            salir("mkdtemp");
        }
        dir = plantilla;
    }
    ~DirectorioDeSalida() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    // A destination that does not exist yet (the last one is removed first).
    QString nuevo(const char* nombre) {
        std::error_code ec;
        fs::remove_all(dir / nombre, ec);
        return QString::fromStdString((dir / nombre).string());
    }
};

void exportar(const std::string& enciclopedia, const char* formato, const QString& destino) {
    publish::registrarFormatosIncorporados();
    const publish::Informe informe = publish::exportar({QString::fromLatin1(formato), enciclopedia, destino, true});
    if (informe.fin != publish::Informe::Fin::Completo && informe.fin != publish::Informe::Fin::ConAvisos) {
        salir(informe.error.toStdString());
    }
}

std::vector<std::string> articulos(const bench::AlmacenSintetico& s) {
    std::vector<std::string> rutas;
    for (const std::string& n : s.nombres) {
        rutas.push_back(store::unir(s.directorio, n));
    }
    return rutas;
}

// Writes `bytes` to a new file with plain POSIX calls.
void escribirNuevo(const std::string& ruta, const std::string& bytes) {
    const int fd = ::open(ruta.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
        salir("escribir " + ruta);
    }
    ::close(fd);
}

// The median time of rendering each sample article as a page (with a picture callback that does no work, as
// an export's is once its pictures are converted), in milliseconds.
bench::Resultado renderArticle() {
    std::vector<double> tiempos;
    render::Opciones opciones;
    opciones.hojaDeEstilo = "../estilo.css";
    opciones.imagen = [](const render::Imagen& i) -> std::optional<std::string> { return "../img/" + i.nombre; };
    for (const char* enciclopedia : {"SOLAR", "RIOS"}) {
        const std::string dir = (fs::path(LUMBRE_MUESTRAS) / enciclopedia).string();
        const auto completa = store::leerCompleta(dir);
        if (!completa) {
            salir(dir);
        }
        for (const std::string_view nombre : *completa) {
            std::vector<double> vueltas;
            for (int i = 0; i < 30; ++i) {
                vueltas.push_back(bench::segundos([&] {
                    if (!render::renderizarArticulo(dir, nombre, opciones)) {
                        salir(std::string(nombre));
                    }
                }));
            }
            tiempos.push_back(bench::mediana(vueltas));
        }
    }
    return bench::Resultado{bench::mediana(tiempos) * 1000.0, 0, "ms"};
}
LUMBRE_MEDIDA("render_article", bench::Tipo::Absoluto, 1.0, renderArticle);

// The web site of 100,000 articles (index, title index, three lists, dictionary) against reading every article
// and writing as many bytes to one new file each.
LUMBRE_MEDIDA("export_html_100k", bench::Tipo::Razon, 2.0, [] {
    const bench::AlmacenSintetico& s = bench::almacen(100000);
    DirectorioDeSalida salida;
    const std::vector<std::string> rutas = articulos(s);
    return bench::intercalar(
        1, [&] { exportar(s.directorio, "html", salida.nuevo("sitio")); },
        [&] {
            const QString dir = salida.nuevo("suelo");
            fs::create_directories(dir.toStdString());
            std::size_t i = 0;
            for (const std::string& ruta : rutas) {
                const auto bytes = store::leerBytesDentro(s.directorio, ruta, store::kLimiteArticulo);
                if (!bytes) {
                    salir(ruta);
                }
                escribirNuevo(dir.toStdString() + "/" + std::to_string(i++) + ".html", *bytes);
            }
        });
});

// The e-book of 5,000 articles against reading every article and deflating the same bytes.
LUMBRE_MEDIDA("export_epub_5k", bench::Tipo::Razon, 2.0, [] {
    const bench::AlmacenSintetico& s = bench::almacen(5000);
    DirectorioDeSalida salida;
    const std::vector<std::string> rutas = articulos(s);
    std::string comprimido;
    return bench::intercalar(
        3, [&] { exportar(s.directorio, "epub", salida.nuevo("libro.epub")); },
        [&] {
            for (const std::string& ruta : rutas) {
                const auto bytes = store::leerBytesDentro(s.directorio, ruta, store::kLimiteArticulo);
                if (!bytes) {
                    salir(ruta);
                }
                uLongf n = compressBound(static_cast<uLong>(bytes->size()));
                comprimido.resize(n);
                if (compress2(reinterpret_cast<Bytef*>(comprimido.data()), &n,
                              reinterpret_cast<const Bytef*>(bytes->data()), static_cast<uLong>(bytes->size()),
                              6) != Z_OK) {
                    salir("deflate");
                }
            }
        });
});

// libzim writes lines of its own ("Resolve redirect", "set index") to the standard output: while it works they go
// to the benchmark's warnings file, so that the benchmark prints only its own lines.
class SalidaApartada {
public:
    SalidaApartada() {
        std::cout.flush();
        std::fflush(stdout);
        guardada_ = ::dup(STDOUT_FILENO);
        const QByteArray ruta = QDir::temp().filePath(QStringLiteral("lumbre-bench-avisos.txt")).toLocal8Bit();
        const int avisos = ::open(ruta.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (guardada_ >= 0 && avisos >= 0) {
            ::dup2(avisos, STDOUT_FILENO);
        }
        if (avisos >= 0) {
            ::close(avisos);
        }
    }
    ~SalidaApartada() {
        std::cout.flush();
        std::fflush(stdout);
        if (guardada_ >= 0) {
            ::dup2(guardada_, STDOUT_FILENO);
            ::close(guardada_);
        }
    }
    SalidaApartada(const SalidaApartada&) = delete;
    SalidaApartada& operator=(const SalidaApartada&) = delete;

private:
    int guardada_ = -1;
};

// The ZIM file of 100,000 articles with its title and full-text indexes: the time, against a fixed limit; the
// file's size is printed beside it.
bench::Resultado exportZim100k() {
    const bench::AlmacenSintetico& s = bench::almacen(100000);
    DirectorioDeSalida salida;
    const QString destino = salida.nuevo("enciclo.zim");
    const double t = bench::segundos([&] {
        const SalidaApartada apartada;
        exportar(s.directorio, "zim", destino);
    });
    std::printf("export_zim_100k: file size %.1f MB\n",
                static_cast<double>(fs::file_size(destino.toStdString())) / (1024.0 * 1024.0));
    return bench::Resultado{t, 0, "s"};
}
LUMBRE_MEDIDA("export_zim_100k", bench::Tipo::Absoluto, 90.0, exportZim100k);

} // namespace

#include "comun.h"

#include "store/rutas.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace fuzz {

namespace {

fs::path raizTemporal() {
    const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    return base / ("lumbre-fuzz-" + std::to_string(::getpid()));
}

void borrarRaiz() {
    std::error_code ec;
    fs::remove_all(raizTemporal(), ec);
}

} // namespace

const Enciclopedia& enciclopedia() {
    static const Enciclopedia e = [] {
        Enciclopedia r;
        const fs::path raiz = raizTemporal();
        ::setenv("LUMBRE_UNIDADES", raiz.c_str(), 1);
        r.unidad = store::directorioUnidad('C');
        r.ruta = "C:\\ENC";
        r.nativa = r.unidad / "ENC";
        fs::create_directories(r.nativa / "Img");
        fs::create_directories(r.unidad / "LUMBRE");
        std::atexit(borrarRaiz);
        return r;
    }();
    return e;
}

void ponerArchivo(const fs::path& nativa, std::string_view bytes) {
    const int fd = ::open(nativa.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        fallo(__FILE__, __LINE__, "abrir el archivo de la prueba", nativa.string());
    std::size_t hecho = 0;
    while (hecho < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + hecho, bytes.size() - hecho);
        if (n <= 0)
            fallo(__FILE__, __LINE__, "escribir el archivo de la prueba", nativa.string());
        hecho += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

void fallo(const char* archivo, int linea, const char* condicion, const std::string& detalle) {
    std::fprintf(stderr, "%s:%d: no se cumple: %s %s\n", archivo, linea, condicion, detalle.c_str());
    borrarRaiz();
    std::abort();
}

bool dentroDe(const fs::path& dir, std::string_view ruta) {
    return nativaDentroDe(dir, store::aNativa(ruta));
}

bool nativaDentroDe(const fs::path& dir, const fs::path& ruta) {
    std::string nativa = ruta.native();
    nativa = nativa.substr(0, nativa.find('\0'));
    const fs::path normal = fs::path(nativa).lexically_normal();
    const fs::path relativa = normal.lexically_relative(dir.lexically_normal());
    return !relativa.empty() && *relativa.begin() != "..";
}

} // namespace fuzz

// Failing disks, without privileges: every write of the store meets a full disk (a file-size limit) and an
// I/O error on each write, fsync, close or rename it makes in turn (the failing-call shim, preloaded). Each
// failure is reported, naming the file; every file holds its old or its new bytes, whole; no temporary file
// is left; and the next write works.

#include "store/archivo_de_color.h"
#include "store/archivo_de_texto.h"
#include "store/archivos_de_lista.h"
#include "store/articulo.h"
#include "store/enciclopedia.h"
#include "store/limites.h"
#include "store/registro.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Instantanea = std::map<std::string, std::optional<std::string>>; // relative path -> bytes (none: a directory)

const std::string kEnc = "C:\\R\\ENC";

struct Escritura {
    const char* nombre;
    std::function<store::Estado()> accion;
};

// Every write the programs make, each on the store prepared by `preparar`.
const std::vector<Escritura>& escrituras() {
    static const std::vector<Escritura> e = {
        {"artículo",
         [] {
             return store::escribirArticulo(kEnc + "\\SOL.TXT", "El Sol", {"SOL.BMP"}, {"Arde.", "/"});
         }},
        {"artículo nuevo", [] { return store::crearArticuloVacio(kEnc + "\\NUEVO.TXT"); }},
        {"COMPLETA.DAT", [] { return store::anexarACompleta(kEnc, "NUEVO.TXT"); }},
        {"colores",
         [] {
             return store::escribirColores(kEnc, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
         }},
        {"colores por omisión", [] { return store::crearColoresPredeterminados(kEnc); }},
        {"descripción",
         [] {
             return store::guardarDescripcion(kEnc, {"Astronomía", "Otra"});
         }},
        {"último", [] { return store::escribirUltimo(kEnc, "LUNA.TXT"); }},
        {"lista",
         [] {
             return store::guardarLista(store::rutaLista(kEnc, "Planetas"), {"SOL.TXT", "LUNA.TXT"});
         }},
        {"lista nueva", [] { return store::agregarLista(kEnc, "Lunas"); }},
        {"epígrafe",
         [] {
             return store::escribirLineas(kEnc + "\\IMG\\SOL.txt", {"El Sol", "Arde."});
         }},
        {"icono", [] { return store::copiarArchivo(kEnc + "\\SOL.TXT", kEnc + "\\ICONO.ICO", store::kLimiteImagen); }},
        {"vaciar", [] { return store::crearVacio(kEnc + "\\LISTAS.DAT"); }},
        {"enciclopedia nueva", [] { return store::crearEnciclopedia("C:\\R\\OTRA", std::nullopt, "ICO"); }},
        {"registro", [] { return store::crearRegistro("C:\\R", true); }},
        {"enciclopedia registrada", [] { return store::anexarEnciclopedia("C:\\R", "C:\\R\\OTRA"); }},
        {"actual en la raíz", [] { return store::escribirActualEnRaiz("C:\\R", "C:\\R\\OTRA"); }},
        {"elegir enciclopedia", [] { return store::elegirEnciclopedia("C:\\R\\OTRA"); }},
    };
    return e;
}

class DiscoFallido : public ::testing::Test {
protected:
    void SetUp() override {
        std::signal(SIGXFSZ, SIG_IGN);
        const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string plantilla = (base / "lumbre-disco-XXXXXX").string();
        ASSERT_NE(::mkdtemp(plantilla.data()), nullptr);
        raiz_ = plantilla;
        ::setenv("LUMBRE_UNIDADES", raiz_.c_str(), 1);
        armar_ =
            reinterpret_cast<void (*)(const char*, const char*, long, int)>(dlsym(RTLD_DEFAULT, "lumbre_fallo_armar"));
        disparos_ = reinterpret_cast<long (*)()>(dlsym(RTLD_DEFAULT, "lumbre_fallo_disparos"));
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(raiz_, ec);
    }

    // A registry, the root C:\R and the encyclopaedia C:\R\ENC with an article, a caption and a list.
    void preparar() {
        std::error_code ec;
        fs::remove_all(raiz_ / "c", ec);
        ASSERT_TRUE(store::crearRegistro("C:\\R", false).ok());
        ASSERT_TRUE(store::escribirActualEnRaiz("C:\\R", kEnc).ok());
        ASSERT_TRUE(store::anexarEnciclopedia("C:\\R", kEnc).ok());
        ASSERT_TRUE(store::crearEnciclopedia(kEnc, std::nullopt, "ICONO").ok());
        ASSERT_TRUE(store::escribirArticulo(kEnc + "\\SOL.TXT", "Sol", {}, {"Una estrella."}).ok());
        ASSERT_TRUE(store::escribirLineas(kEnc + "\\IMG\\SOL.txt", {"Sol"}).ok());
        ASSERT_TRUE(store::anexarACompleta(kEnc, "SOL.TXT").ok());
        ASSERT_TRUE(store::agregarLista(kEnc, "Planetas").ok());
    }

    Instantanea instantanea() const {
        Instantanea r;
        for (const auto& e : fs::recursive_directory_iterator(raiz_)) {
            const std::string rel = e.path().lexically_relative(raiz_).string();
            if (e.is_directory()) {
                r[rel] = std::nullopt;
            } else {
                std::ifstream f(e.path(), std::ios::binary);
                r[rel] = std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
            }
        }
        return r;
    }

    // Every file holds its bytes from before or after the write, whole, and nothing else is there.
    static void enteros(const Instantanea& antes, const Instantanea& despues, const Instantanea& ahora,
                        const std::string& caso) {
        for (const auto& [ruta, bytes] : ahora) {
            const auto a = antes.find(ruta);
            const auto d = despues.find(ruta);
            const bool comoAntes = a != antes.end() && a->second == bytes;
            const bool comoDespues = d != despues.end() && d->second == bytes;
            EXPECT_TRUE(comoAntes || comoDespues) << caso << ": " << ruta << " quedó a medias o sobra";
        }
        for (const auto& [ruta, bytes] : antes) {
            EXPECT_TRUE(ahora.contains(ruta) || !despues.contains(ruta)) << caso << ": " << ruta << " desapareció";
        }
    }

    fs::path raiz_;
    void (*armar_)(const char*, const char*, long, int) = nullptr;
    long (*disparos_)() = nullptr;
};

TEST_F(DiscoFallido, CadaLlamadaQueFallaSeInformaYDejaLosBytesEnteros) {
    ASSERT_TRUE(armar_ && disparos_) << "falta el módulo de fallos (LD_PRELOAD)";
    struct Llamada {
        const char* nombre;
        int error;
    };
    const Llamada llamadas[] = {{"write", ENOSPC}, {"fsync", EIO}, {"close", EIO}, {"rename", EIO}};
    int inyectados = 0;
    for (const Escritura& w : escrituras()) {
        preparar();
        const Instantanea antes = instantanea();
        ASSERT_TRUE(w.accion().ok()) << w.nombre;
        const Instantanea despues = instantanea();
        for (const Llamada& ll : llamadas) {
            for (long n = 1;; ++n) {
                preparar();
                const long previos = disparos_();
                armar_(raiz_.c_str(), ll.nombre, n, ll.error);
                const store::Estado r = w.accion();
                armar_("", "", 0, 0);
                const std::string caso = std::string(w.nombre) + ", " + ll.nombre + " nº " + std::to_string(n);
                if (disparos_() == previos) {
                    EXPECT_TRUE(r.ok()) << caso;
                    EXPECT_EQ(instantanea(), despues) << caso;
                    break;
                }
                ++inyectados;
                ASSERT_FALSE(r.ok()) << caso << ": el fallo no se informó";
                EXPECT_FALSE(r.error().ruta.empty()) << caso;
                EXPECT_NE(r.error().mensaje().find(r.error().ruta), std::string::npos) << caso;
                enteros(antes, despues, instantanea(), caso);
                EXPECT_TRUE(store::escribirLineas(kEnc + "\\DESPUES.TXT", {"sigue"}).ok()) << caso;
            }
        }
    }
    std::printf("%d fallos inyectados, todos informados, nada a medias\n", inyectados);
    EXPECT_GT(inyectados, 4 * static_cast<int>(escrituras().size()));
}

TEST_F(DiscoFallido, UnDiscoLlenoSeInformaYDejaLosBytesEnteros) {
    int llenos = 0;
    for (const Escritura& w : escrituras()) {
        preparar();
        const Instantanea antes = instantanea();
        ASSERT_TRUE(w.accion().ok()) << w.nombre;
        const Instantanea despues = instantanea();
        for (rlim_t limite : {rlim_t{0}, rlim_t{1}, rlim_t{40}}) {
            preparar();
            rlimit lim{};
            ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &lim), 0);
            const rlimit original = lim;
            lim.rlim_cur = limite;
            ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &lim), 0);
            const store::Estado r = w.accion();
            ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &original), 0);
            const std::string caso = std::string(w.nombre) + ", límite " + std::to_string(limite);
            if (r.ok()) {
                EXPECT_EQ(instantanea(), despues) << caso;
                continue;
            }
            ++llenos;
            EXPECT_EQ(r.error().causa, store::Causa::DiscoLleno) << caso << ": " << r.error().mensaje();
            enteros(antes, despues, instantanea(), caso);
        }
    }
    std::printf("%d escrituras con el disco lleno, todas informadas\n", llenos);
    EXPECT_GE(llenos, 2 * static_cast<int>(escrituras().size()));
}

} // namespace

// A writer killed at any moment: a child process replaces and appends (small and large) in one directory
// until it is sent SIGKILL at a random moment, over and over. After every kill each replaced file holds one
// of the contents it was ever given, whole; after the next append by a live writer the appended file holds
// whole lines only; after the next write no temporary file of a dead writer is left in the directory.

#include "store/archivo_de_texto.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kMuertes = 1000;

// A line that tells whether it is whole: its number, its length, then that many copies of one letter.
std::string lineaComprobable(unsigned numero, std::size_t largo) {
    return std::to_string(numero) + ":" + std::to_string(largo) + ":" +
           std::string(largo, static_cast<char>('a' + numero % 26));
}

bool lineaEntera(std::string_view l) {
    const auto a = l.find(':');
    const auto b = l.find(':', a + 1);
    if (a == std::string::npos || b == std::string::npos)
        return false;
    const unsigned numero = static_cast<unsigned>(std::stoul(std::string(l.substr(0, a))));
    const std::size_t largo = std::stoul(std::string(l.substr(a + 1, b - a - 1)));
    return l == lineaComprobable(numero, largo);
}

std::string leer(const fs::path& p) {
    std::ifstream f(p, std::ios::binary | std::ios::ate);
    std::string r(static_cast<std::size_t>(std::max<std::streamoff>(f.tellg(), 0)), '\0');
    f.seekg(0);
    f.read(r.data(), static_cast<std::streamsize>(r.size()));
    r.resize(static_cast<std::size_t>(f.gcount()));
    return r;
}

std::vector<std::string> temporales(const fs::path& dir) {
    std::vector<std::string> r;
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string n = e.path().filename().string();
        if (n.ends_with(".tmp"))
            r.push_back(n);
    }
    return r;
}

struct Destino {
    std::string nombre;
    std::vector<std::string> contenidos; // every content a writer gives it, in turn
};

class MatarEscritor : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string plantilla = (base / "lumbre-matar-XXXXXX").string();
        ASSERT_NE(::mkdtemp(plantilla.data()), nullptr);
        dir_ = plantilla;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string ruta(const std::string& nombre) const { return (dir_ / nombre).string(); }
    fs::path dir_;
};

TEST_F(MatarEscritor, CadaArchivoQuedaEnteroYNingunTemporalSobrevive) {
    const std::vector<Destino> destinos = {
        {"PEQUENO.TXT", {"<TIT>Sol\r\nuna\r\n", "<TIT>Luna\r\notra l\xEDnea m\xE1s larga\r\ny otra\r\n"}},
        {"VACIO.DAT", {"", "1\r\n2\r\n3\r\n"}},
        {"GRANDE.TXT", {std::string(3 << 20, 'x') + "\r\n", std::string(1 << 20, 'y') + "\r\n"}},
    };
    for (const auto& d : destinos)
        ASSERT_TRUE(store::escribirBytes(ruta(d.nombre), d.contenidos[0]).ok());
    const std::string anexos = ruta("ANEXOS.DAT");
    ASSERT_TRUE(store::crearVacio(anexos).ok());

    std::mt19937 azar(20261208);
    unsigned numeroDeLinea = 1000000; // the parent's own lines; each child numbers from its round
    int grandes = 0;
    for (int ronda = 0; ronda < kMuertes; ++ronda) {
        // One round in five works on large files and is killed later on average.
        const bool grande = ronda % 5 == 4;
        const unsigned semilla = azar();
        const pid_t hijo = ::fork();
        ASSERT_GE(hijo, 0);
        if (hijo == 0) {
            std::mt19937 a(semilla);
            for (unsigned paso = 0;; ++paso) {
                const unsigned numero = static_cast<unsigned>(ronda) * 1000 + paso % 1000;
                switch (a() % 4) {
                case 0:
                case 1: {
                    const Destino& d = destinos[grande ? 2 : a() % 2];
                    (void)store::escribirBytes((dir_ / d.nombre).string(), d.contenidos[a() % 2]);
                    break;
                }
                default:
                    (void)store::anexarLinea((dir_ / "ANEXOS.DAT").string(),
                                             lineaComprobable(numero, grande ? (1u << 20) + a() % 4096 : a() % 200));
                    break;
                }
            }
        }
        const auto espera = std::chrono::microseconds(grande ? azar() % 40000 : azar() % 3000);
        std::this_thread::sleep_for(espera);
        ::kill(hijo, SIGKILL);
        int estado = 0;
        ASSERT_EQ(::waitpid(hijo, &estado, 0), hijo);
        ASSERT_TRUE(WIFSIGNALED(estado)) << "el escritor terminó solo en la ronda " << ronda;
        grandes += grande;

        for (const auto& d : destinos) {
            const std::string ahora = leer(dir_ / d.nombre);
            ASSERT_TRUE(ahora == d.contenidos[0] || ahora == d.contenidos[1])
                << d.nombre << " quedó a medias en la ronda " << ronda << " (" << ahora.size() << " bytes)";
        }
        // A live writer appends and replaces once; then every line is whole and no temporary is left.
        ASSERT_TRUE(store::anexarLinea(anexos, lineaComprobable(++numeroDeLinea, 10)).ok()) << "ronda " << ronda;
        const auto lineas = store::leerLineas(anexos);
        ASSERT_TRUE(lineas.ok());
        ASSERT_TRUE(leer(dir_ / "ANEXOS.DAT").ends_with("\r\n"));
        for (const auto& l : *lineas) {
            ASSERT_TRUE(lineaEntera(l)) << "línea rota en ANEXOS.DAT en la ronda " << ronda << ": " << l.substr(0, 40)
                                        << " (" << l.size() << " bytes)";
        }
        if (lineas->size() > 500 || leer(dir_ / "ANEXOS.DAT").size() > (4u << 20)) {
            ASSERT_TRUE(store::crearVacio(anexos).ok());
        }
        ASSERT_TRUE(store::escribirBytes(ruta("PEQUENO.TXT"), destinos[0].contenidos[ronda % 2]).ok());
        const auto quedan = temporales(dir_);
        ASSERT_TRUE(quedan.empty()) << quedan.size() << " temporales tras la ronda " << ronda << ", p. ej. "
                                    << quedan.front();
    }
    EXPECT_EQ(grandes, kMuertes / 5);
    std::printf("%d escritores matados (%d sobre archivos grandes), nada perdido\n", kMuertes, grandes);
}

} // namespace

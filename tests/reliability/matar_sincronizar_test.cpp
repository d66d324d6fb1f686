// A sync killed at any moment: a child process joins two copies' versions (different articles changed on each
// side, both adding to the complete list) and is sent SIGKILL at a random moment, over and over. After every
// kill each store file holds its bytes from before or after the sync, whole; the history still opens and reads;
// and the next sync, run to its end, leaves the files exactly as an unbroken sync does.

#include "historial/historial.h"
#include "historial/sincronizar.h"
#include "store/archivo_de_texto.h"
#include "store/archivos_de_lista.h"
#include "store/enciclopedia.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kMuertes = 100;

std::map<std::string, std::string> archivos(const fs::path& dir) {
    std::map<std::string, std::string> r;
    for (auto it = fs::recursive_directory_iterator(dir); it != fs::recursive_directory_iterator(); ++it) {
        if (it->path().filename() == ".git") {
            it.disable_recursion_pending();
            continue;
        }
        if (it->is_regular_file()) {
            std::ifstream f(it->path(), std::ios::binary);
            r[fs::relative(it->path(), dir).string()] = {std::istreambuf_iterator<char>(f), {}};
        }
    }
    return r;
}

class MatarSincronizar : public ::testing::Test {
protected:
    void SetUp() override {
        std::string plantilla = (fs::temp_directory_path() / "lumbre-sincronizar-XXXXXX").string();
        ASSERT_NE(::mkdtemp(plantilla.data()), nullptr);
        raiz_ = plantilla;
        const std::string a = (raiz_ / "molde" / "A").string();
        const std::string b = (raiz_ / "molde" / "B").string();
        fs::create_directories(raiz_ / "molde");
        ASSERT_TRUE(store::crearEnciclopedia(a, std::nullopt, "ICONO"));
        for (int i = 0; i < 20; ++i) {
            const std::string nombre = "art" + std::to_string(i) + ".txt";
            ASSERT_TRUE(store::escribirBytes(a + "/" + nombre, "<TIT>Art\xED"
                                                               "culo " +
                                                                   std::to_string(i) + "\r\nUno.\r\n"));
            ASSERT_TRUE(store::anexarACompleta(a, nombre));
        }
        ASSERT_TRUE((*historial::Historial::abrir(a))->registrarTodo("Ana", "Primera"));
        fs::copy(a, b, fs::copy_options::recursive);
        // B sends its first versions to the folder, then each side changes its own half.
        sincronizar(b, carpetaMolde());
        for (int i = 0; i < 10; ++i) {
            cambiar(a, "art" + std::to_string(i) + ".txt", "A");
            cambiar(b, "art" + std::to_string(i + 10) + ".txt", "B");
        }
        for (const auto& [tomo, nuevo] : {std::pair{a, "deA.txt"}, std::pair{b, "deB.txt"}}) {
            ASSERT_TRUE(store::escribirBytes(tomo + "/" + nuevo, "<TIT>Nuevo\r\n"));
            ASSERT_TRUE(store::anexarACompleta(tomo, nuevo));
            ASSERT_TRUE((*historial::Historial::abrir(tomo))->registrar({nuevo, "COMPLETA.DAT"}, "Ana", "Agregado"));
        }
        sincronizar(b, carpetaMolde());
        antes_ = archivos(raiz_ / "molde" / "A");
        // What an unbroken sync leaves.
        reponer();
        sincronizar(tomo(), carpeta());
        despues_ = archivos(tomo());
        ASSERT_NE(antes_, despues_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(raiz_, ec);
    }

    static void cambiar(const std::string& tomo, const std::string& nombre, const std::string& quien) {
        ASSERT_TRUE(store::escribirBytes(tomo + "/" + nombre, "<TIT>Cambiado en " + quien + "\r\nUno.\r\n"));
        ASSERT_TRUE((*historial::Historial::abrir(tomo))->registrar({nombre}, "Ana", "Guardado"));
    }
    static void sincronizar(const std::string& tomo, const fs::path& carpeta) {
        auto h = historial::Historial::abrir(tomo);
        ASSERT_TRUE(h) << h.error().mensaje();
        const auto fuera = (*h)->registrarTodo("Ana", "Cambios hechos fuera de Forja");
        ASSERT_TRUE(fuera) << fuera.error().mensaje();
        auto s = historial::Sincronizacion::preparar(**h, carpeta.string());
        ASSERT_TRUE(s) << s.error().mensaje();
        ASSERT_TRUE((*s)->conflictos().empty());
        auto hecho = (*s)->completar({}, "Ana");
        ASSERT_TRUE(hecho) << hecho.error().mensaje();
    }
    fs::path carpetaMolde() const { return raiz_ / "molde" / "usb"; }
    fs::path carpeta() const { return raiz_ / "usb"; }
    std::string tomo() const { return (raiz_ / "A").string(); }
    void reponer() {
        fs::remove_all(raiz_ / "A");
        fs::remove_all(carpeta());
        fs::copy(raiz_ / "molde" / "A", raiz_ / "A", fs::copy_options::recursive);
        fs::copy(carpetaMolde(), carpeta(), fs::copy_options::recursive);
    }

    fs::path raiz_;
    std::map<std::string, std::string> antes_;
    std::map<std::string, std::string> despues_;
};

TEST_F(MatarSincronizar, killedAnywhere_filesWhole_historyReadable_nextSyncFinishes) {
    // How long an unbroken sync takes here, to spread the kills over it: the quickest of three, since a busy
    // machine can stretch one run far beyond what the killed ones take, and then most kills come too late.
    auto duracion = std::chrono::microseconds::max();
    for (int i = 0; i < 3; ++i) {
        reponer();
        const auto inicio = std::chrono::steady_clock::now();
        sincronizar(tomo(), carpeta());
        duracion = std::min(
            duracion, std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - inicio));
    }
    std::mt19937 azar(28);
    std::uniform_int_distribution<long> cuando(0, std::max<long>(duracion.count(), 1000));
    int muertas = 0;
    for (int vuelta = 0; vuelta < kMuertes; ++vuelta) {
        reponer();
        const pid_t hijo = ::fork();
        ASSERT_GE(hijo, 0);
        if (hijo == 0) {
            auto h = historial::Historial::abrir(tomo());
            if (h) {
                if (auto s = historial::Sincronizacion::preparar(**h, carpeta().string())) {
                    (void)(*s)->completar({}, "Ana");
                }
            }
            ::_exit(0);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(cuando(azar)));
        ::kill(hijo, SIGKILL);
        int estado = 0;
        ::waitpid(hijo, &estado, 0);
        muertas += WIFSIGNALED(estado) ? 1 : 0;

        for (const auto& [nombre, bytes] : archivos(tomo())) {
            const bool tmp = nombre.find(".lumbre-") != std::string::npos;
            if (tmp) {
                continue; // a dead writer's temporary, removed by the store's next write in that directory
            }
            const auto a = antes_.find(nombre);
            const auto d = despues_.find(nombre);
            EXPECT_TRUE((a != antes_.end() && a->second == bytes) || (d != despues_.end() && d->second == bytes))
                << "vuelta " << vuelta << ": " << nombre << " quedó a medias";
        }
        {
            auto h = historial::Historial::abrir(tomo());
            ASSERT_TRUE(h) << "vuelta " << vuelta << ": " << h.error().mensaje();
            ASSERT_TRUE((*h)->versiones()) << "vuelta " << vuelta;
        }
        sincronizar(tomo(), carpeta());
        auto final = archivos(tomo());
        std::erase_if(final, [](const auto& par) { return par.first.find(".lumbre-") != std::string::npos; });
        EXPECT_EQ(final, despues_) << "vuelta " << vuelta;
    }
    EXPECT_GT(muertas, kMuertes / 4); // most runs were really cut short
    EXPECT_EQ(std::system(("git --git-dir='" + tomo() + "/.git' fsck --no-dangling --no-progress").c_str()), 0);
}

} // namespace

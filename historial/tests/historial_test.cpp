#include "historial/historial.h"
#include "store/archivo_de_texto.h"
#include "store/archivos_de_lista.h"
#include "store/articulo.h"
#include "store/enciclopedia.h"
#include "store/tests/unidad_temporal.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>

using historial::Historial;
namespace fs = std::filesystem;

namespace {

// What a command prints on its standard output, and its exit status.
std::pair<std::string, int> ejecutar(const std::string& orden) {
    std::string salida;
    FILE* p = ::popen((orden + " 2>&1").c_str(), "r");
    std::array<char, 4096> trozo{};
    std::size_t leidos = 0;
    while (p && (leidos = std::fread(trozo.data(), 1, trozo.size(), p)) > 0) {
        salida.append(trozo.data(), leidos);
    }
    const int estado = p ? ::pclose(p) : -1;
    return {salida, WIFEXITED(estado) ? WEXITSTATUS(estado) : -1};
}

std::string bytesDe(const fs::path& ruta) {
    std::ifstream f(ruta, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

class HistorialTest : public prueba::ConUnidades {
protected:
    const std::string tomo = "C:\\ASTRO";
    fs::path nativa() const { return c() / "ASTRO"; }

    void SetUp() override {
        ConUnidades::SetUp();
        ASSERT_TRUE(store::crearEnciclopedia(tomo, std::nullopt, "ICONO"));
        ASSERT_TRUE(
            store::escribirBytes(tomo + "\\marte.txt", "<TIT>Marte\r\nEl planeta rojo, a\xF1o tras a\xF1o.\r\n"));
        ASSERT_TRUE(store::anexarACompleta(tomo, "marte.txt"));
        ASSERT_TRUE(store::escribirUltimo(tomo, "marte.txt"));
    }

    std::unique_ptr<Historial> abrir() {
        auto h = Historial::abrir(tomo);
        EXPECT_TRUE(h) << (h ? "" : h.error().mensaje());
        return h ? std::move(*h) : nullptr;
    }

    std::string git(const std::string& resto) { return "git -C '" + nativa().string() + "' " + resto; }
};

TEST_F(HistorialTest, eachSave_oneVersion_gitReadsIt_bytesExact) {
    auto h = abrir();
    ASSERT_TRUE(h);
    EXPECT_TRUE(h->vacio());
    const auto primera = h->registrarTodo("Ana", "Primera versión de la enciclotomo");
    ASSERT_TRUE(primera && *primera);
    const std::string antes = bytesDe(nativa() / "marte.txt");

    ASSERT_TRUE(store::escribirBytes(tomo + "\\marte.txt", "<TIT>Marte\r\nRojo y fr\xEDo.\r\n"));
    const auto segunda = h->registrar({"MARTE.TXT"}, "Ana", "Guardado el artículo «Marte»");
    ASSERT_TRUE(segunda && *segunda);
    // Saving the same bytes again is no version.
    const auto igual = h->registrar({"marte.txt"}, "Ana", "Guardado el artículo «Marte»");
    ASSERT_TRUE(igual);
    EXPECT_FALSE(*igual);

    const auto suyas = h->versiones("marte.txt");
    ASSERT_TRUE(suyas);
    ASSERT_EQ(suyas->size(), 2u);
    EXPECT_EQ((*suyas)[0].resumen, "Guardado el artículo «Marte»");
    EXPECT_EQ((*suyas)[0].autor, "Ana");
    EXPECT_EQ((*suyas)[0].archivos, std::vector<std::string>{"marte.txt"});
    const auto vieja = h->leer((*suyas)[1].corto, "Marte.txt");
    ASSERT_TRUE(vieja && *vieja);
    EXPECT_EQ(**vieja, antes);
    // Nothing else touched marte.txt; ULTIMO.DAT is never in a version.
    const auto todos = h->archivos("HEAD");
    ASSERT_TRUE(todos);
    EXPECT_EQ(std::count(todos->begin(), todos->end(), std::string("ULTIMO.DAT")), 0);
    EXPECT_EQ(std::count(todos->begin(), todos->end(), std::string("marte.txt")), 1);

    // The git command line reads it, the bytes as stored (CR LF, Windows-1252), and fsck finds nothing wrong.
    EXPECT_EQ(ejecutar(git("show HEAD:marte.txt")).first, bytesDe(nativa() / "marte.txt"));
    const auto log = ejecutar(git("log --format=%an:%s"));
    EXPECT_EQ(log.second, 0);
    EXPECT_EQ(log.first, "Ana:Guardado el artículo «Marte»\nAna:Primera versión de la enciclotomo\n");
    const auto fsck = ejecutar(git("fsck --strict"));
    EXPECT_EQ(fsck.second, 0) << fsck.first;
    EXPECT_FALSE(fs::exists(nativa() / ".gitignore"));
    EXPECT_NE(bytesDe(nativa() / ".git" / "info" / "attributes").find("-text"), std::string::npos);
}

TEST_F(HistorialTest, changesOutside_foundByTheScan_captionsInImg) {
    auto h = abrir();
    ASSERT_TRUE(h && h->registrarTodo("Ana", "Primera"));
    escribir(nativa() / "marte.txt", "<TIT>Marte\r\nCambiado a mano.\r\n");
    escribir(nativa() / "IMG" / "marte.txt", "Marte\r\nEl ep\xEDgrafe.\r\n");
    escribir(nativa() / "ULTIMO.DAT", "otro.txt\r\n");
    fs::remove(nativa() / "DICT.DAT");
    const auto fuera = h->registrarTodo("Ana", "Cambios hechos fuera de Forja");
    ASSERT_TRUE(fuera && *fuera);
    const auto v = h->versiones();
    ASSERT_TRUE(v);
    ASSERT_EQ(v->size(), 2u);
    EXPECT_EQ((*v)[0].archivos, (std::vector<std::string>{"DICT.DAT", "IMG\\marte.txt", "marte.txt"}));
    const auto otra = h->registrarTodo("Ana", "Cambios hechos fuera de Forja");
    ASSERT_TRUE(otra);
    EXPECT_FALSE(*otra);
    // A caption saved alone rewrites only the way to it.
    escribir(nativa() / "IMG" / "marte.txt", "Marte\r\nOtro.\r\n");
    ASSERT_TRUE(h->registrar({"IMG\\marte.txt"}, "Ana", "Guardado el epígrafe de «marte.bmp»"));
    EXPECT_EQ(**h->leer("HEAD", "img\\MARTE.TXT"), "Marte\r\nOtro.\r\n");
    EXPECT_EQ(**h->leer("HEAD", "marte.txt"), "<TIT>Marte\r\nCambiado a mano.\r\n");
    EXPECT_EQ(ejecutar(git("fsck --strict")).second, 0);
}

TEST_F(HistorialTest, deletedArticle_restoredAsANewVersion_andListedAgain) {
    auto h = abrir();
    ASSERT_TRUE(h && h->registrarTodo("Ana", "Primera"));
    const auto original = bytesDe(nativa() / "marte.txt");
    fs::remove(nativa() / "marte.txt");
    ASSERT_TRUE(store::guardarLista(tomo + "\\COMPLETA.DAT", {}));
    ASSERT_TRUE(h->registrarTodo("Ana", "Cambios hechos fuera de Forja"));
    EXPECT_FALSE(*h->leer("HEAD", "marte.txt"));

    const auto lista = h->versiones("marte.txt");
    ASSERT_TRUE(lista);
    ASSERT_EQ(lista->size(), 2u); // its deletion and its first version
    const auto restaurada = h->restaurar(lista->back().corto, "marte.txt", "Luis");
    ASSERT_TRUE(restaurada && *restaurada) << (restaurada ? "" : restaurada.error().mensaje());
    EXPECT_EQ(bytesDe(nativa() / "marte.txt"), original);
    EXPECT_EQ(bytesDe(nativa() / "COMPLETA.DAT"), "marte.txt\r\n");
    const auto v = h->versiones();
    ASSERT_EQ(v->size(), 3u);
    EXPECT_EQ((*v)[0].resumen.rfind("Restaurado «marte.txt» como estaba el ", 0), 0u) << (*v)[0].resumen;
    EXPECT_EQ((*v)[0].archivos, (std::vector<std::string>{"COMPLETA.DAT", "marte.txt"}));
    // A list dropped from the index comes back into it.
    ASSERT_TRUE(store::agregarLista(tomo, "Planetas"));
    ASSERT_TRUE(h->registrarTodo("Ana", "Agregada la lista"));
    const auto conLista = h->versiones()->front().corto;
    fs::remove(nativa() / "Planetas.dat");
    ASSERT_TRUE(store::escribirBytes(tomo + "\\LISTAS.DAT", ""));
    ASSERT_TRUE(h->registrarTodo("Ana", "Cambios hechos fuera de Forja"));
    ASSERT_TRUE(h->restaurar(conLista, "planetas.DAT", "Luis"));
    EXPECT_EQ(bytesDe(nativa() / "LISTAS.DAT"), "Planetas\r\n");
    EXPECT_EQ(bytesDe(nativa() / "Planetas.dat"), "\r\n"); // spelled as it was
    // A file that was not in that version cannot be restored from it.
    EXPECT_FALSE(h->restaurar(lista->back().corto, "venus.txt", "Luis"));
}

TEST_F(HistorialTest, damagedOrForeign_refusedAndLeftAlone) {
    struct Caso {
        const char* nombre;
        std::function<void(const fs::path& git)> danar;
    };
    const std::vector<Caso> casos = {
        {"HEAD names a missing version",
         [](const fs::path& git) {
             std::ofstream(git / "refs" / "heads" / "principal") << "0123456789012345678901234567890123456789\n";
         }},
        {"objects removed", [](const fs::path& git) { fs::remove_all(git / "objects"); }},
        {".git is a file",
         [](const fs::path& git) {
             fs::remove_all(git);
             std::ofstream(git) << "gitdir: /en/otra/parte\n";
         }},
    };
    for (const Caso& caso : casos) {
        fs::remove_all(nativa() / ".git");
        {
            auto h = abrir();
            ASSERT_TRUE(h && h->registrarTodo("Ana", "Primera"));
        }
        caso.danar(nativa() / ".git");
        const auto antes = fs::is_directory(nativa() / ".git");
        const auto h = Historial::abrir(tomo);
        EXPECT_FALSE(h) << caso.nombre;
        if (!h) {
            EXPECT_NE(h.error().mensaje().find(".git"), std::string::npos) << caso.nombre;
        }
        EXPECT_EQ(fs::is_directory(nativa() / ".git"), antes) << caso.nombre;
    }
}

TEST_F(HistorialTest, packing_removesLooseObjects_keepsEveryVersion) {
    auto h = abrir();
    ASSERT_TRUE(h && h->registrarTodo("Ana", "Primera"));
    const auto guardarVeces = [&](int desde, int hasta) {
        for (int i = desde; i < hasta; ++i) {
            ASSERT_TRUE(store::escribirBytes(tomo + "\\marte.txt", "<TIT>Marte\r\n" + std::to_string(i) + "\r\n"));
            ASSERT_TRUE(h->registrar({"marte.txt"}, "Ana", "Guardado"));
        }
    };
    guardarVeces(0, 30);
    EXPECT_EQ(h->sinEmpaquetar(), 31u);
    ASSERT_TRUE(h->empaquetar());
    EXPECT_EQ(h->sinEmpaquetar(), 0u);
    const auto sueltos = [&] { return ejecutar(git("count-objects -v")).first; };
    EXPECT_NE(sueltos().find("count: 0\n"), std::string::npos) << sueltos();
    guardarVeces(30, 40);
    EXPECT_EQ(h->sinEmpaquetar(), 10u);
    ASSERT_TRUE(h->empaquetar()); // only the new versions go into a second pack
    EXPECT_NE(sueltos().find("packs: 2\n"), std::string::npos) << sueltos();
    EXPECT_NE(sueltos().find("count: 0\n"), std::string::npos) << sueltos();
    const auto v = h->versiones("marte.txt");
    ASSERT_TRUE(v);
    ASSERT_EQ(v->size(), 41u);
    EXPECT_EQ(**h->leer(v->at(25).id, "marte.txt"), "<TIT>Marte\r\n14\r\n");
    EXPECT_EQ(ejecutar(git("fsck --strict --no-dangling")).second, 0);
}

TEST_F(HistorialTest, firstVersion_writtenAsOnePack_gitReadsEveryFile) {
    // Sizes that take one, two and three bytes in a pack entry's header, nothing at all, and the same bytes
    // under two names.
    std::string grande;
    for (unsigned i = 0, x = 7; i < 300000; ++i) {
        x = x * 1103515245u + 12345u;
        grande += static_cast<char>(x >> 24);
    }
    const std::vector<std::pair<std::string, std::string>> archivos = {
        {"vacio.txt", ""},
        {"corto.txt", "<TIT>Sol\r\n"},
        {"IMG\\grande.bmp", grande},
        {"copia1.txt", "<TIT>Luna\r\nLa misma.\r\n"},
        {"copia2.txt", "<TIT>Luna\r\nLa misma.\r\n"},
    };
    if (!store::existeDirectorio(tomo + "\\IMG")) {
        ASSERT_TRUE(store::crearDirectorio(tomo + "\\IMG"));
    }
    for (const auto& [nombre, bytes] : archivos) {
        ASSERT_TRUE(store::escribirBytes(tomo + "\\" + nombre, bytes));
    }
    auto h = abrir();
    ASSERT_TRUE(h && h->registrarTodo("Ana", "Primera"));
    const auto cuenta = ejecutar(git("count-objects -v")).first;
    EXPECT_NE(cuenta.find("packs: 1\n"), std::string::npos) << cuenta;
    EXPECT_EQ(ejecutar(git("fsck --strict --no-dangling")).second, 0);
    for (const auto& [nombre, bytes] : archivos) {
        std::string ruta = nombre;
        std::replace(ruta.begin(), ruta.end(), '\\', '/');
        const auto [salida, estado] = ejecutar(git("cat-file blob HEAD:" + ruta));
        EXPECT_EQ(estado, 0) << nombre;
        EXPECT_TRUE(salida == bytes) << nombre;
        EXPECT_EQ(**h->leer("HEAD", nombre), bytes) << nombre;
    }
}

TEST_F(HistorialTest, packingAsItGrows_keepsFewPacks_everyVersion) {
    auto h = abrir();
    ASSERT_TRUE(h && h->registrarTodo("Ana", "Primera"));
    int guardados = 0;
    for (int vuelta = 0; vuelta < 16; ++vuelta) {
        for (int i = 0; i < 3; ++i, ++guardados) {
            ASSERT_TRUE(
                store::escribirBytes(tomo + "\\marte.txt", "<TIT>Marte\r\n" + std::to_string(guardados) + "\r\n"));
            ASSERT_TRUE(h->registrar({"marte.txt"}, "Ana", "Guardado"));
        }
        ASSERT_TRUE(h->empaquetar());
    }
    // Merged in doubling steps: a few packs, never one per packing.
    const auto cuenta = ejecutar(git("count-objects -v")).first;
    EXPECT_NE(cuenta.find("count: 0\n"), std::string::npos) << cuenta;
    const auto paquetes = cuenta.find("packs: ");
    ASSERT_NE(paquetes, std::string::npos);
    EXPECT_LE(std::stoi(cuenta.substr(paquetes + 7)), 4) << cuenta;
    const auto v = h->versiones("marte.txt");
    ASSERT_TRUE(v);
    ASSERT_EQ(v->size(), 49u);
    EXPECT_EQ(**h->leer(v->at(10).id, "marte.txt"), "<TIT>Marte\r\n37\r\n");
    EXPECT_EQ(ejecutar(git("fsck --strict --no-dangling")).second, 0);
}

TEST_F(HistorialTest, insideAnotherRepository_keepsItsOwn) {
    ASSERT_EQ(ejecutar("git init -q '" + c().string() + "'").second, 0);
    auto h = abrir();
    ASSERT_TRUE(h && h->registrarTodo("Ana", "Primera"));
    EXPECT_TRUE(fs::is_directory(nativa() / ".git"));
    EXPECT_EQ(ejecutar("git -C '" + c().string() + "' rev-parse --verify -q HEAD").second, 1); // parent untouched
}

} // namespace

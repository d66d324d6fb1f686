#include "historial/historial.h"
#include "historial/sincronizar.h"
#include "store/archivo_de_texto.h"
#include "store/archivos_de_lista.h"
#include "store/enciclopedia.h"
#include "store/rutas.h"
#include "store/tests/unidad_temporal.h"

#include <cstdlib>

using historial::Decision;
using historial::Eleccion;
using historial::Historial;
using historial::Sincronizacion;
namespace fs = std::filesystem;

namespace {

std::string bytesDe(const fs::path& ruta) {
    std::ifstream f(ruta, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

TEST(UnirListas, bothSidesAdditionsKept_removalsFollowed_dictionarySorted) {
    struct Caso {
        const char* que;
        std::string base, mia, otra, esperado;
        bool ordenar = false;
    };
    const std::vector<Caso> casos = {
        {"both add at the end", "a\r\nb\r\n", "a\r\nb\r\nc\r\n", "a\r\nb\r\nd\r\n", "a\r\nb\r\nc\r\nd\r\n"},
        {"each keeps its order", "a\r\n", "a\r\nm1\r\nm2\r\n", "o1\r\na\r\no2\r\n", "o1\r\na\r\nm1\r\nm2\r\no2\r\n"},
        {"removed on one side", "a\r\nb\r\nc\r\n", "a\r\nc\r\n", "a\r\nb\r\nc\r\nd\r\n", "a\r\nc\r\nd\r\n"},
        {"added on both, kept once", "a\r\n", "a\r\nx\r\n", "a\r\nx\r\n", "a\r\nx\r\n"},
        {"no line end at the close", "a", "a\r\nb", "a\r\nc", "a\r\nb\r\nc\r\n"},
        {"dictionary sorted again", "BETA /b.txt\r\n", "BETA /b.txt\r\nDELTA x\r\n", "BETA /b.txt\r\nCETA y\r\n",
         "BETA /b.txt\r\nCETA y\r\nDELTA x\r\n", true},
        {"a list is not sorted", "BETA\r\n", "BETA\r\nDELTA\r\n", "BETA\r\nCETA\r\n", "BETA\r\nDELTA\r\nCETA\r\n"},
    };
    for (const Caso& c : casos) {
        EXPECT_EQ(historial::unirListas(c.base, c.mia, c.otra, c.ordenar), c.esperado) << c.que;
    }
}

class Sincronizar : public prueba::ConUnidades {
protected:
    const std::string a = "C:\\A\\ASTRO";
    const std::string b = "C:\\B\\ASTRO";
    fs::path carpeta() const { return c() / "USB" / "astro"; }

    void SetUp() override {
        ConUnidades::SetUp();
        ASSERT_TRUE(store::crearDirectorio("C:\\A"));
        ASSERT_TRUE(store::crearDirectorio("C:\\B"));
        ASSERT_TRUE(store::crearEnciclopedia(a, std::nullopt, "ICONO"));
        ASSERT_TRUE(store::guardarDescripcion(a, {"Astronom\xED"
                                                  "a",
                                                  "De la autora"}));
        poner(a, "marte.txt", "<TIT>Marte\r\nUno.\r\nDos.\r\nTres.\r\n");
        ASSERT_TRUE(store::anexarACompleta(a, "marte.txt"));
        ASSERT_TRUE(abrir(a)->registrarTodo("Ana", "Primera"));
        // The second author's copy: the directory copied whole, history and all.
        fs::copy(c() / "A" / "ASTRO", c() / "B" / "ASTRO", fs::copy_options::recursive);
    }

    static void poner(const std::string& tomo, const std::string& nombre, const std::string& bytes) {
        ASSERT_TRUE(store::escribirBytes(tomo + "\\" + nombre, bytes));
    }
    static std::unique_ptr<Historial> abrir(const std::string& tomo) {
        auto h = Historial::abrir(tomo);
        EXPECT_TRUE(h);
        return h ? std::move(*h) : nullptr;
    }
    static void guardar(const std::string& tomo, const std::string& nombre, const std::string& bytes) {
        poner(tomo, nombre, bytes);
        ASSERT_TRUE(abrir(tomo)->registrar({nombre}, "Ana", "Guardado"));
    }
    // Prepares a sync of `tomo` with the folder.
    std::unique_ptr<Sincronizacion> preparar(Historial& h, bool unir = false) {
        auto s = Sincronizacion::preparar(h, carpeta().string(), unir);
        EXPECT_TRUE(s) << (s ? "" : s.error().mensaje());
        return s ? std::move(*s) : nullptr;
    }
    std::string sincronizarSinConflictos(const std::string& tomo) {
        auto h = abrir(tomo);
        auto s = preparar(*h);
        if (!s) {
            return "fallo";
        }
        EXPECT_TRUE(s->conflictos().empty());
        auto hecho = s->completar({}, "Ana");
        EXPECT_TRUE(hecho) << (hecho ? "" : hecho.error().mensaje());
        return hecho ? *hecho : "fallo";
    }
    static std::string nativa(const std::string& tomo, const std::string& nombre) {
        return bytesDe(store::resolver(tomo + "\\" + nombre));
    }
    static int fsck(const fs::path& repo) {
        return std::system(("git --git-dir='" + repo.string() + "' fsck --strict --no-dangling --no-progress").c_str());
    }
};

TEST_F(Sincronizar, throughAFolder_differentFilesAndListsCombine) {
    EXPECT_EQ(sincronizarSinConflictos(a), "Se enviaron las versiones de esta copia.");
    // A adds luna.txt and changes marte.txt's first lines; B adds venus.txt and changes its last line.
    poner(a, "luna.txt", "<TIT>Luna\r\n");
    ASSERT_TRUE(store::anexarACompleta(a, "luna.txt"));
    ASSERT_TRUE(abrir(a)->registrar({"luna.txt", "COMPLETA.DAT"}, "Ana", "Agregado el artículo «luna.txt»"));
    guardar(a, "marte.txt", "<TIT>Marte\r\nUno, cambiado en A.\r\nDos.\r\nTres.\r\n");
    poner(b, "venus.txt", "<TIT>Venus\r\n");
    ASSERT_TRUE(store::anexarACompleta(b, "venus.txt"));
    ASSERT_TRUE(abrir(b)->registrar({"venus.txt", "COMPLETA.DAT"}, "Luis", "Agregado el artículo «venus.txt»"));
    guardar(b, "marte.txt", "<TIT>Marte\r\nUno.\r\nDos.\r\nTres, cambiado en B.\r\n");

    EXPECT_EQ(sincronizarSinConflictos(a), "Se enviaron las versiones de esta copia.");
    {
        auto h = abrir(b);
        auto s = preparar(*h);
        ASSERT_TRUE(s);
        EXPECT_EQ(s->caso(), Sincronizacion::Caso::Unir);
        ASSERT_TRUE(s->completar({}, "Luis"));
    }
    {
        auto h = abrir(a);
        auto s = preparar(*h);
        ASSERT_TRUE(s);
        EXPECT_EQ(s->caso(), Sincronizacion::Caso::Avanzar);
        ASSERT_TRUE(s->completar({}, "Ana"));
    }
    for (const std::string& tomo : {a, b}) {
        // B joined the two: its own addition first, then A's.
        EXPECT_EQ(nativa(tomo, "COMPLETA.DAT"), "marte.txt\r\nvenus.txt\r\nluna.txt\r\n") << tomo;
        EXPECT_EQ(nativa(tomo, "marte.txt"), "<TIT>Marte\r\nUno, cambiado en A.\r\nDos.\r\nTres, cambiado en B.\r\n");
        EXPECT_EQ(nativa(tomo, "luna.txt"), "<TIT>Luna\r\n");
        EXPECT_EQ(nativa(tomo, "venus.txt"), "<TIT>Venus\r\n");
        EXPECT_EQ(fsck(store::resolver(tomo) / ".git"), 0);
    }
    EXPECT_EQ(fsck(carpeta()), 0);
    EXPECT_EQ(sincronizarSinConflictos(b), "Las dos copias ya estaban al día.");
    // The folder holds a repository, not the store's files.
    EXPECT_FALSE(fs::exists(carpeta() / "marte.txt"));
    EXPECT_TRUE(fs::exists(carpeta() / "HEAD"));
}

TEST_F(Sincronizar, conflict_decidedEachWay_neverMarkers_otherTextKept) {
    struct Caso {
        Decision decision;
        std::string esperado;
    };
    const std::vector<Caso> casos = {
        {{Eleccion::Mia, {}}, "<TIT>Marte\r\nUno.\r\nDos seg\xFAn B.\r\nTres.\r\n"},
        {{Eleccion::Otra, {}}, "<TIT>Marte\r\nUno.\r\nDos seg\xFAn A.\r\nTres.\r\n"},
        {{Eleccion::Editada, "Dos, de los dos.\r\n"}, "<TIT>Marte\r\nUno.\r\nDos, de los dos.\r\nTres.\r\n"},
    };
    for (const Caso& caso : casos) {
        fs::remove_all(carpeta());
        guardar(a, "marte.txt", "<TIT>Marte\r\nUno.\r\nDos.\r\nTres.\r\n");
        fs::remove_all(c() / "B" / "ASTRO");
        fs::copy(c() / "A" / "ASTRO", c() / "B" / "ASTRO", fs::copy_options::recursive);
        sincronizarSinConflictos(a);
        guardar(a, "marte.txt", "<TIT>Marte\r\nUno.\r\nDos seg\xFAn A.\r\nTres.\r\n");
        sincronizarSinConflictos(a);
        guardar(b, "marte.txt", "<TIT>Marte\r\nUno.\r\nDos seg\xFAn B.\r\nTres.\r\n");
        const std::string antes = nativa(b, "marte.txt");

        auto h = abrir(b);
        auto s = preparar(*h);
        ASSERT_TRUE(s);
        ASSERT_EQ(s->conflictos().size(), 1u);
        const auto& conflicto = s->conflictos().front();
        EXPECT_EQ(conflicto.nombre, "marte.txt");
        EXPECT_EQ(std::count_if(conflicto.piezas.begin(), conflicto.piezas.end(),
                                [](const historial::Pieza& p) { return p.conflicto; }),
                  1);
        EXPECT_EQ(nativa(b, "marte.txt"), antes); // nothing written before the author decides
        EXPECT_FALSE(s->completar({}, "Luis"));   // an undecided conflict is never settled
        EXPECT_EQ(nativa(b, "marte.txt"), antes);
        ASSERT_TRUE(s->completar({{caso.decision}}, "Luis"));
        EXPECT_EQ(nativa(b, "marte.txt"), caso.esperado);
        EXPECT_EQ(nativa(b, "marte.txt").find("<<<<"), std::string::npos);
        // Both sides' texts stay in the history: the joining version has both as parents.
        EXPECT_EQ(**h->leer("HEAD^1", "marte.txt"), antes);
        EXPECT_EQ(**h->leer("HEAD^2", "marte.txt"), "<TIT>Marte\r\nUno.\r\nDos seg\xFAn A.\r\nTres.\r\n");
        EXPECT_EQ(fsck(store::resolver(b) / ".git"), 0);
    }
}

TEST_F(Sincronizar, anotherEncyclopaedia_orAForeignFolder_refusedBeforeWriting) {
    sincronizarSinConflictos(a);
    const std::string cabeza = bytesDe(carpeta() / "refs" / "heads" / "principal");
    const std::string otra = "C:\\B\\RIOS";
    ASSERT_TRUE(store::crearEnciclopedia(otra, std::nullopt, "ICONO"));
    ASSERT_TRUE(store::guardarDescripcion(otra, {"R\xEDos", "Otro"}));
    poner(otra, "ebro.txt", "<TIT>Ebro\r\n");
    auto h = abrir(otra);
    ASSERT_TRUE(h->registrarTodo("Luis", "Primera"));
    const auto s = Sincronizacion::preparar(*h, carpeta().string());
    ASSERT_FALSE(s);
    EXPECT_NE(s.error().mensaje().find("otra enciclotomo"), std::string::npos) << s.error().mensaje();
    EXPECT_EQ(bytesDe(carpeta() / "refs" / "heads" / "principal"), cabeza);
    EXPECT_EQ(nativa(otra, "ebro.txt"), "<TIT>Ebro\r\n");
    EXPECT_FALSE(fs::exists(store::resolver(otra) / "marte.txt"));

    // Nor another encyclopaedia's directory: the folder holds a repository, never a copy of the store.
    EXPECT_FALSE(Sincronizacion::preparar(*h, (c() / "A" / "ASTRO").string()));
    EXPECT_EQ(bytesDe(c() / "A" / "ASTRO" / ".git" / "refs" / "heads" / "principal"),
              bytesDe(carpeta() / "refs" / "heads" / "principal"));
    fs::create_directories(c() / "USB" / "fotos");
    std::ofstream(c() / "USB" / "fotos" / "playa.jpg") << "x";
    EXPECT_FALSE(Sincronizacion::preparar(*h, (c() / "USB" / "fotos").string()));
}

TEST_F(Sincronizar, copiesMadeBeforeVersions_joinedWhenTheAuthorAgrees) {
    // B's history is made anew: the same files, no common version.
    fs::remove_all(c() / "B" / "ASTRO" / ".git");
    guardar(a, "marte.txt", "<TIT>Marte\r\nUno.\r\nDos.\r\nTres.\r\nCuatro.\r\n");
    ASSERT_TRUE(abrir(b)->registrarTodo("Luis", "Primera"));
    sincronizarSinConflictos(a);
    auto h = abrir(b);
    auto s = preparar(*h);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->caso(), Sincronizacion::Caso::SinRelacion);
    s = preparar(*h, true);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->caso(), Sincronizacion::Caso::Unir);
    // marte.txt differs: with nothing in common to go by, its two texts are one conflict to decide.
    ASSERT_EQ(s->conflictos().size(), 1u);
    ASSERT_TRUE(s->completar({{Decision{Eleccion::Otra, {}}}}, "Luis"));
    EXPECT_EQ(nativa(b, "marte.txt"), "<TIT>Marte\r\nUno.\r\nDos.\r\nTres.\r\nCuatro.\r\n");
    sincronizarSinConflictos(a);
    EXPECT_EQ(nativa(a, "marte.txt"), nativa(b, "marte.txt"));
}

} // namespace

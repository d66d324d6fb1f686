#include "store/archivos_de_lista.h"
#include "store/enciclopedia.h"
#include "unidad_temporal.h"

using namespace store;
namespace fs = std::filesystem;

namespace {

class Listas : public prueba::ConUnidades {
protected:
    void SetUp() override {
        ConUnidades::SetUp();
        fs::create_directories(c() / "ENCICLO");
        ASSERT_TRUE(crearEnciclopedia(kEnc, std::nullopt, "ICO"));
    }
    fs::path dir() const { return c() / "ENCICLO" / "SOLAR"; }
    static constexpr const char* kEnc = "C:\\ENCICLO\\SOLAR";
};

TEST(LineasDeLista, walkingTheLinesGivesWhatSplittingGives) {
    const char* const casos[] = {
        "", "\r\n", "A.TXT", "A.TXT\r\nB.TXT\r\n", "A\rB\r\r\nC", "A\nB\r\n\nC", "\r\n\r\nX.TXT\r\n", "A\r\n\r"};
    for (const char* bytes : casos) {
        std::vector<std::string> recorridas;
        porCadaLinea(bytes, [&](std::string_view linea) { recorridas.emplace_back(linea); });
        const Lineas partidas = partirLineas(bytes);
        EXPECT_EQ(recorridas, std::vector<std::string>(partidas.begin(), partidas.end())) << '"' << bytes << '"';
    }
}

TEST_F(Listas, freshEncyclopaediaHasNoArticlesAndNoLists) {
    EXPECT_TRUE(leerCompleta(kEnc)->empty());
    EXPECT_TRUE(leerIndiceListas(kEnc)->empty());
    // The viewer reaches the complete list by its list name.
    EXPECT_TRUE(leerLista(kEnc, kNombreCompleta)->empty());
}

TEST_F(Listas, articlesAndListsKeepTheirOrderAndSpaces) {
    ASSERT_TRUE(anexarACompleta(kEnc, "SOL.TXT"));
    ASSERT_TRUE(anexarACompleta(kEnc, " luna.txt "));
    ASSERT_TRUE(anexarACompleta(kEnc, "SOL.TXT"));
    EXPECT_EQ(leerLista(kEnc, "COMPLETA").valor(), (Lineas{"SOL.TXT", " luna.txt ", "SOL.TXT"}));
    EXPECT_EQ(leer(dir() / "COMPLETA.DAT"), "SOL.TXT\r\n luna.txt \r\nSOL.TXT\r\n");

    ASSERT_TRUE(agregarLista(kEnc, "Planetas"));
    ASSERT_TRUE(agregarLista(kEnc, " Lunas"));
    EXPECT_EQ(leerIndiceListas(kEnc).valor(), (Lineas{"Planetas", " Lunas"}));
    EXPECT_EQ(leer(dir() / "Planetas.dat"), "\r\n");
    EXPECT_EQ(leer(dir() / " Lunas.dat"), "\r\n");
    EXPECT_EQ(leerLista(kEnc, "planetas").valor(), Lineas{""}); // a list never saved holds one empty item
}

TEST_F(Listas, savingReplacesTheWholeFile) {
    ASSERT_TRUE(agregarLista(kEnc, "Planetas"));
    const std::string ruta = rutaLista(kEnc, "Planetas");
    EXPECT_EQ(ruta, "C:\\ENCICLO\\SOLAR\\Planetas.dat");
    ASSERT_TRUE(guardarLista(ruta, {"SOL.TXT", "MARTE.TXT"}));
    EXPECT_EQ(leer(dir() / "Planetas.dat"), "SOL.TXT\r\nMARTE.TXT\r\n");
    ASSERT_TRUE(guardarLista(ruta, {}));
    EXPECT_EQ(leer(dir() / "Planetas.dat"), "");
    EXPECT_TRUE(leerLista(kEnc, "Planetas")->empty());
}

TEST_F(Listas, newArticleMayNotNameAnotherFileOfTheEncyclopaedia) {
    ASSERT_TRUE(agregarLista(kEnc, "Planetas"));
    ASSERT_TRUE(anexarACompleta(kEnc, "Sol.txt"));
    fs::create_directories(dir() / "FOTOS");
    escribir(dir() / "PERDIDO.TXT", "<TIT>Perdido\r\n"); // on disk, missing from the complete list
    using Tipo = ObjecionANombre::Tipo;
    struct Caso {
        std::string nombre;
        std::optional<Tipo> tipo;
        std::string quien;
    };
    const Caso casos[] = {
        {"SOL.TXT", Tipo::EnLaCompleta, "Sol.txt"},
        {"color.dat", Tipo::Propio, "color.dat"},
        {"Img", Tipo::Propio, "Img"},
        {"ULTIMO.DAT", Tipo::Propio, "ULTIMO.DAT"},
        {"fotos", Tipo::Directorio, "fotos"},
        {"PLANETAS.DAT", Tipo::ArchivoDeLista, "Planetas"},
        {"a\\b.txt", Tipo::NoValido, "a\\b.txt"},
        {"", Tipo::NoValido, ""},
        {"fin.", Tipo::NoValido, "fin."},
        {"PERDIDO.TXT", std::nullopt, ""},
        {"LUNA.TXT", std::nullopt, ""},
    };
    for (const auto& c : casos) {
        const auto objecion = verificarNuevoArticulo(kEnc, c.nombre);
        ASSERT_TRUE(objecion.ok()) << c.nombre;
        ASSERT_EQ(objecion->has_value(), c.tipo.has_value()) << c.nombre;
        if (c.tipo) {
            EXPECT_EQ((*objecion)->tipo, *c.tipo) << c.nombre;
            EXPECT_EQ((*objecion)->quien, c.quien) << c.nombre;
        }
    }
    fs::remove(dir() / "COMPLETA.DAT");
    fs::create_directory(dir() / "COMPLETA.DAT");
    EXPECT_FALSE(verificarNuevoArticulo(kEnc, "LUNA.TXT").ok());
}

TEST_F(Listas, newListMayNotNameAnExistingFile) {
    ASSERT_TRUE(agregarLista(kEnc, "Planetas"));
    escribir(dir() / "SOL.DAT", "<TIT>Sol\r\n");
    escribir(dir() / "ULTIMO.DAT", "SOL.DAT\r\n");
    struct Caso {
        std::string nombre;
        std::optional<Causa> causa;
    };
    const Caso casos[] = {
        {"COMPLETA", Causa::YaExiste},
        {"completa", Causa::YaExiste},
        {"Listas", Causa::YaExiste},
        {"color", Causa::YaExiste},
        {"DICT", Causa::YaExiste},
        {"Descrip", Causa::YaExiste},
        {"ultimo", Causa::YaExiste},
        {"PLANETAS", Causa::YaExiste},
        {"sol", Causa::YaExiste},
        {"img", std::nullopt},
        {"Lunas", std::nullopt},
        {" Lunas ", std::nullopt},
        {"", Causa::NombreNoValido},
        {"a\\b", Causa::NombreNoValido},
        {"a:b", Causa::NombreNoValido},
        {"x?", Causa::NombreNoValido},
        {"..\\..\\x", Causa::NombreNoValido},
    };
    for (const auto& c : casos) {
        const auto error = verificarNuevaLista(kEnc, c.nombre);
        EXPECT_EQ(error.has_value(), c.causa.has_value()) << c.nombre;
        if (error && c.causa) {
            EXPECT_EQ(error->causa, *c.causa) << c.nombre;
        }
    }
    // Refused before anything is written.
    const Estado e = agregarLista(kEnc, "Completa");
    ASSERT_FALSE(e);
    EXPECT_EQ(e.error().causa, Causa::YaExiste);
    EXPECT_EQ(leerIndiceListas(kEnc).valor(), Lineas{"Planetas"});
    EXPECT_EQ(leer(dir() / "COMPLETA.DAT"), "");
}

} // namespace

#include "store/comprobacion.h"
#include "unidad_temporal.h"

#include <functional>
#include <map>

using namespace store;
namespace fs = std::filesystem;

namespace {

const std::string kBmp = "BM" + std::string(60, '\0');

class Revision : public prueba::ConUnidades {
public:
    fs::path tomo() const { return c() / "ASTRO"; }

    // A sound encyclopaedia: two articles, one with an illustration and its caption, the other with a side
    // picture; a list; a dictionary with a reference.
    void SetUp() override {
        ConUnidades::SetUp();
        const std::map<std::string, std::string> archivos = {
            {"COLOR.DAT",
             "8427423\r\n16777215\r\n12636368\r\n0\r\n14673120\r\n0\r\n16777215\r\n0\r\n0\r\n14673120\r\n"},
            {"DICT.DAT", "SOL /sol.txt\r\nLuna sat\xE9"
                         "lite de la Tierra\r\n"},
            {"DESCRIP.DAT", "Astronom\xED"
                            "a\r\nDe la autora\r\n"},
            {"ICONO.ICO", std::string("\0\0\1\0\1\0", 6) + std::string(40, '\0')},
            {"COMPLETA.DAT", "sol.txt\r\nluna.txt\r\n"},
            {"LISTAS.DAT", "Cielo\r\n"},
            {"Cielo.dat", "luna.txt\r\n"},
            {"ULTIMO.DAT", "sol.txt\r\n"},
            {"sol.txt", "<TIT>Sol\r\n<IMG>sol.bmp\r\nEl Sol es una estrella.\r\n"},
            {"luna.txt", "<TIT>Luna\r\n<CST>fondo.gif\r\nGira.\r\n"},
            {"IMG/sol.bmp", kBmp},
            {"IMG/sol.txt", "El Sol\r\nNuestra estrella.\r\n"},
            {"IMG/fondo.gif", "GIF89a" + std::string(20, '\0')},
        };
        for (const auto& [nombre, bytes] : archivos) {
            escribir(tomo() / nombre, bytes);
        }
    }

    std::vector<Problema> revisar() {
        auto r = revisarEnciclopedia("C:\\ASTRO");
        EXPECT_TRUE(r.ok());
        return r ? *r : std::vector<Problema>{};
    }

    std::map<std::string, std::string> instantanea() const {
        std::map<std::string, std::string> r;
        for (const auto& e : fs::recursive_directory_iterator(tomo())) {
            r[e.path().string()] = e.is_regular_file() ? leer(e.path()).value_or("?") : "<dir>";
        }
        return r;
    }
};

TEST_F(Revision, aSoundEncyclopaediaHasNoProblemAndNothingIsWritten) {
    const auto antes = instantanea();
    const auto problemas = revisar();
    for (const Problema& p : problemas) {
        ADD_FAILURE() << describir(p);
    }
    fs::remove(tomo() / "IMG" / "sol.txt"); // a caption file the editor would create on a click
    EXPECT_EQ(revisar().size(), 1u);
    EXPECT_FALSE(fs::exists(tomo() / "IMG" / "sol.txt"));
    escribir(tomo() / "IMG" / "sol.txt", "El Sol\r\nNuestra estrella.\r\n");
    EXPECT_EQ(instantanea(), antes);
}

TEST_F(Revision, eachPlantedProblemIsFoundWhereItIs) {
    struct Caso {
        const char* nombre;
        std::function<void(Revision&)> plantar;
        TipoProblema tipo;
        std::string archivo;
        std::size_t linea;
        std::string articulo; // what the author would open
        std::string lista;
    };
    const auto poner = [](const char* nombre, std::string bytes) {
        return [nombre, bytes](Revision& r) { r.escribir(r.tomo() / nombre, bytes); };
    };
    const auto quitar = [](const char* nombre) { return [nombre](Revision& r) { fs::remove(r.tomo() / nombre); }; };
    const Caso casos[] = {
        {"own file missing", quitar("DESCRIP.DAT"), TipoProblema::ArchivoPropioFaltante, "DESCRIP.DAT", 0, "", ""},
        {"listed article missing", quitar("luna.txt"), TipoProblema::ArticuloFaltante, "COMPLETA.DAT", 2, "", ""},
        {"empty line in the complete list", poner("COMPLETA.DAT", "sol.txt\r\n\r\nluna.txt\r\n"),
         TipoProblema::ArticuloFaltante, "COMPLETA.DAT", 2, "", ""},
        {"article in no list", poner("marte.txt", "<TIT>Marte\r\n"), TipoProblema::ArticuloSinLista, "marte.txt", 0,
         "marte.txt", ""},
        {"list entry not in the complete list", poner("Cielo.dat", "luna.txt\r\nmarte.txt\r\n"),
         TipoProblema::EntradaFueraDeCompleta, "Cielo.dat", 2, "", "Cielo"},
        {"list entry spelled otherwise", poner("Cielo.dat", "LUNA.TXT\r\n"), TipoProblema::EntradaDistinta, "Cielo.dat",
         1, "", "Cielo"},
        {"listed list missing", quitar("Cielo.dat"), TipoProblema::ListaFaltante, "LISTAS.DAT", 1, "", ""},
        {"list file not in the index", poner("Mar.dat", "sol.txt\r\n"), TipoProblema::ListaSinIndice, "Mar.dat", 0, "",
         ""},
        {"side picture missing", quitar("IMG/fondo.gif"), TipoProblema::ImagenFaltante, "luna.txt", 2, "luna.txt", ""},
        {"picture that cannot be loaded", poner("IMG/sol.bmp", "no es una imagen"), TipoProblema::ImagenIlegible,
         "sol.txt", 2, "sol.txt", ""},
        {"caption missing", quitar("IMG/sol.txt"), TipoProblema::EpigrafeFaltante, "sol.txt", 2, "sol.txt", ""},
        {"illustration without a dot", poner("sol.txt", "<TIT>Sol\r\n<IMG>sol\r\n"), TipoProblema::IlustracionSinPunto,
         "sol.txt", 2, "sol.txt", ""},
        {"dictionary reference to nothing",
         poner("DICT.DAT", "Luna sat\xE9"
                           "lite\r\nSOL /marte.txt\r\n"),
         TipoProblema::ReferenciaRota, "DICT.DAT", 2, "", ""},
        {"dictionary headword twice", poner("DICT.DAT", "SOL /sol.txt\r\nsol estrella\r\n"),
         TipoProblema::EntradaRepetida, "DICT.DAT", 2, "", ""},
        {"article twice in the complete list", poner("COMPLETA.DAT", "sol.txt\r\nluna.txt\r\nSOL.TXT\r\n"),
         TipoProblema::EntradaRepetida, "COMPLETA.DAT", 3, "", ""},
        {"article twice in a list", poner("Cielo.dat", "luna.txt\r\nluna.txt\r\n"), TipoProblema::EntradaRepetida,
         "Cielo.dat", 2, "", "Cielo"},
        {"no title line", poner("luna.txt", "<CST>fondo.gif\r\nGira.\r\n"), TipoProblema::ArticuloSinTitulo, "luna.txt",
         0, "luna.txt", ""},
        {"NUL in an article", poner("sol.txt", std::string("<TIT>Sol\r\n<IMG>sol.bmp\r\nEl\0Sol\r\n", 29)),
         TipoProblema::BytesNoTexto, "sol.txt", 3, "sol.txt", ""},
        {"lone line feed in a list", poner("Cielo.dat", "luna.txt\nsol.txt\r\n"), TipoProblema::BytesNoTexto,
         "Cielo.dat", 1, "", "Cielo"},
        {"undefined byte in a caption", poner("IMG/sol.txt", "El Sol\r\n\x81\r\n"), TipoProblema::BytesNoTexto,
         "IMG\\sol.TXT", 2, "", ""},
        {"colour file beyond its limit", poner("COLOR.DAT", std::string(70000, '1')), TipoProblema::DemasiadoGrande,
         "COLOR.DAT", 0, "", ""},
        {"colour out of range", poner("COLOR.DAT", "1\r\n2\r\n16777216\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n"),
         TipoProblema::ColorFueraDeRango, "COLOR.DAT", 3, "", ""},
        {"colour not a number", poner("COLOR.DAT", "1\r\n2\r\n3\r\n4\r\nrojo\r\n6\r\n7\r\n8\r\n9\r\n10\r\n"),
         TipoProblema::ColorFueraDeRango, "COLOR.DAT", 5, "", ""},
        {"last article missing",
         poner("ULTIMO.DAT", "plut\xF3"
                             "n.txt\r\n"),
         TipoProblema::UltimoFaltante, "ULTIMO.DAT", 1, "", ""},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        TearDown();
        SetUp();
        caso.plantar(*this);
        const auto problemas = revisar();
        const auto hallado = std::find_if(problemas.begin(), problemas.end(), [&](const Problema& p) {
            return p.tipo == caso.tipo && p.archivo == caso.archivo && p.linea == caso.linea;
        });
        ASSERT_NE(hallado, problemas.end()) << (problemas.empty() ? "nada" : describir(problemas.front()));
        EXPECT_EQ(hallado->articulo, caso.articulo);
        EXPECT_EQ(hallado->lista, caso.lista);
        EXPECT_FALSE(hallado->explicacion.empty());
    }
}

// Text is passed over several bytes at a time: a byte that is not text must be found wherever it falls in
// such a run, and text bytes next to it (a line end split across runs, the defined high bytes) never are.
TEST_F(Revision, bytesThatAreNotTextAreFoundAtAnyOffset) {
    struct Caso {
        std::string cuerpo; // after the title line
        std::size_t linea;  // 0: no problem expected
        std::string explicacion;
    };
    std::vector<Caso> casos;
    for (std::size_t k = 0; k < 20; ++k) {
        std::string cuerpo(24, 'a');
        cuerpo[k] = '\x1F';
        casos.push_back({cuerpo, 2, "tiene 1 byte que no es texto de Windows-1252 (el primero, 0x1F, de control)"});
        cuerpo[k] = '\x9D';
        casos.push_back({cuerpo, 2, "tiene 1 byte que no es texto de Windows-1252 (el primero, 0x9D)"});
        cuerpo[k] = '\r';
        cuerpo.insert(k + 1, "\n");
        casos.push_back({cuerpo, 0, ""});
    }
    casos.push_back({"\x80\x82\x8E\x9C\x9F\xA0\xFF\t \x7F\x7F\r\nx\n", 2,
                     "tiene 3 bytes que no son texto de Windows-1252 (el primero, 0x7F, de control)"});
    casos.push_back({std::string(13, 'b') + "\r\n\r\n" + std::string(9, 'c') + std::string(1, '\0'), 4,
                     "tiene 1 byte que no es texto de Windows-1252 (el primero, 0x00, un NUL)"});
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.cuerpo);
        escribir(tomo() / "luna.txt", "<TIT>Luna\r\n" + caso.cuerpo);
        std::vector<Problema> hallados;
        for (const Problema& p : revisar()) {
            if (p.tipo == TipoProblema::BytesNoTexto) {
                hallados.push_back(p);
            }
        }
        if (caso.linea == 0) {
            EXPECT_TRUE(hallados.empty());
            continue;
        }
        ASSERT_EQ(hallados.size(), 1u);
        EXPECT_EQ(hallados[0].archivo, "luna.txt");
        EXPECT_EQ(hallados[0].linea, caso.linea);
        EXPECT_EQ(hallados[0].explicacion, caso.explicacion);
    }
}

TEST_F(Revision, theHistoryIsNoArticle) {
    escribir(tomo() / ".git" / "HEAD", "ref: refs/heads/principal\n");
    escribir(tomo() / ".git" / "objects" / "ab" / "cdef", "x");
    EXPECT_TRUE(revisar().empty());
    fs::remove_all(tomo() / ".git");
    escribir(tomo() / ".git", "gitdir: ../otro\n"); // a history kept elsewhere is named by a file
    EXPECT_TRUE(revisar().empty());
}

TEST_F(Revision, aMissingDirectoryFails) {
    EXPECT_FALSE(revisarEnciclopedia("C:\\NADA").ok());
}

} // namespace

#include "store/codificacion.h"
#include "store/diccionario.h"
#include "store/enciclopedia.h"
#include "store/limites.h"
#include "unidad_temporal.h"

#include <sys/stat.h>

using namespace store;
namespace fs = std::filesystem;

namespace {

TEST(Diccionario, firstLineBeginningWithTheWordWins) {
    const Lineas dict = {"CASA  Vivienda.",
                         "CASAR  Unir.",
                         "Casa lugar donde se vive",
                         "Sol  /sol.txt",
                         "r\xEDo  Corriente de agua.  ",
                         "  LUNA sat\xE9lite"};
    struct Caso {
        std::string palabra;
        std::optional<std::string> definicion;
    };
    const Caso casos[] = {
        {"CASA", "VIVIENDA."},   {"CASAR", "UNIR."},
        {"CAS", "A  VIVIENDA."}, {"casa", "VIVIENDA."},
        {"CASA ", "VIVIENDA."},  {"CASAMIENTO", std::nullopt},
        {"SOL", "/SOL.TXT"},     {"R\xCDO", "CORRIENTE DE AGUA.  "},
        {"LUNA", std::nullopt},  {"  LUNA", "SAT\xC9LITE"},
        {"", "CASA  VIVIENDA."},
    };
    for (const auto& c : casos)
        EXPECT_EQ(buscarEnLineas(dict, c.palabra), c.definicion) << '"' << c.palabra << '"';
}

TEST(Diccionario, newDictionaryFindsOnlyTheEmptyWord) {
    EXPECT_EQ(buscarEnLineas({""}, ""), std::optional<std::string>(""));
    EXPECT_EQ(buscarEnLineas({""}, "A"), std::nullopt);
    EXPECT_EQ(buscarEnLineas({}, ""), std::nullopt);
}

TEST(Diccionario, referenceEntriesNameAnArticle) {
    EXPECT_EQ(referenciaDe("/SOL.TXT"), std::optional<std::string>("SOL.TXT"));
    EXPECT_EQ(referenciaDe("/ SOL.TXT"), std::optional<std::string>(" SOL.TXT"));
    EXPECT_EQ(referenciaDe("VIVIENDA."), std::nullopt);
    EXPECT_EQ(referenciaDe("/"), std::nullopt);
    EXPECT_EQ(referenciaDe(""), std::nullopt);
}

// A listed entry shows what a look-up of its headword shows: capitals, accents included, the spaces between dropped.
TEST(Diccionario, listedEntryShowsWhatItsLookUpShows) {
    struct Caso {
        std::string linea, palabra, definicion;
    };
    const std::vector<Caso> casos = {
        {"meseta   Llanura alta", "MESETA", "LLANURA ALTA"},
        {"\xF1"
         "and\xFA"
         " Ave corredora",
         "\xD1"
         "AND\xDA",
         "AVE CORREDORA"},
        {"sol /sol.txt", "SOL", "/SOL.TXT"},
        {"solo", "SOLO", ""},
        {"eco ", "ECO", ""},
    };
    for (const Caso& c : casos) {
        const auto entrada = entradaDeDiccionario(c.linea);
        ASSERT_TRUE(entrada) << c.linea;
        EXPECT_EQ(entrada->palabra, c.palabra);
        EXPECT_EQ(entrada->definicion, c.definicion);
        Lineas una;
        una.push_back(c.linea);
        EXPECT_EQ(buscarEnLineas(una, entrada->palabra).value_or("(nada)"), c.definicion) << c.linea;
    }
    EXPECT_EQ(entradaDeDiccionario("  abad  Superior"), (EntradaDeDiccionario{"ABAD", "SUPERIOR"}));
    EXPECT_FALSE(entradaDeDiccionario("   "));
    EXPECT_FALSE(entradaDeDiccionario(""));
}

TEST(Diccionario, doubleClickedWordIsStrippedPassByPass) {
    struct Caso {
        std::string seleccion;
        std::string palabra;
    };
    const Caso casos[] = {
        {"(\xA1Hola!),", "HOLA"},
        {"\xBFQu\xE9?", "\xBFQU\xC9?"},
        {"  casa  ", "CASA"},
        {".", ""},
        {"", ""},
        {"\xA1\xA1"
         "Ay!!",
         "AY"},
        {"sol.", "SOL"},
        {"\"sol\"", "\"SOL\""},
        {"( casa )", " CASA "},
        {"x -", "X -"},
        {"((a))", "A"},
        {"a;:", "A"},
        {"\xA1"
         "a",
         "A"},
    };
    for (const auto& c : casos)
        EXPECT_EQ(limpiarPalabra(c.seleccion), c.palabra) << '"' << c.seleccion << '"';
}

// The rule as written: each whole line upper-cased, the first that begins with the word.
std::optional<std::string> definicionPorLaRegla(const Lineas& lineas, const std::string& palabra) {
    for (const std::string_view linea : lineas) {
        const std::string l = aMayusculas(linea);
        if (l.compare(0, palabra.size(), palabra) == 0 && l.size() >= palabra.size())
            return std::string(sinEspaciosIzquierda(std::string_view(l).substr(palabra.size())));
    }
    return std::nullopt;
}

TEST(Diccionario, aStreamCutAnywhereFindsWhatTheLinesFind) {
    const std::string archivo = "ABEJA  Insecto que hace miel.\r\nBARCO\r\r\nBARRO  Tierra y agua.\r"
                                "CASA  Vivienda.\r\n\ncasar  Unir.\rSOL  /sol.txt\r\n\r\n"
                                "r\xEDo  Corriente  \r\nCASAS";
    const Lineas lineas = partirLineas(archivo);
    const char* const palabras[] = {"",       "CASA", "\nCASAR", "CASAR", "SOL",  "R\xCDO", "CASAS", "CASAS ",
                                    "CASAST", "\n",   "X",       "CAS",   "BARR", "BARCO",  "ABEJA", "B"};
    for (const char* palabra : palabras) {
        const auto esperada = definicionPorLaRegla(lineas, palabra);
        EXPECT_EQ(buscarEnLineas(lineas, palabra), esperada) << '"' << palabra << '"';
        for (std::size_t largo = 1; largo <= archivo.size(); ++largo) {
            BusquedaEnDiccionario busqueda(palabra);
            for (std::size_t i = 0; i < archivo.size(); i += largo) {
                if (busqueda.leer(std::string_view(archivo).substr(i, largo)))
                    break;
            }
            ASSERT_EQ(busqueda.definicion(), esperada) << '"' << palabra << "\" in pieces of " << largo;
        }
    }
    EXPECT_EQ(buscarEnLineas(lineas, "\nCASAR"), std::optional<std::string>("UNIR."));
    EXPECT_EQ(buscarEnLineas(lineas, "CASAS"), std::optional<std::string>(""));
    EXPECT_EQ(BusquedaEnDiccionario("").definicion(), std::nullopt); // zero bytes hold no line
}

// Long stretches without the word's first letter are passed over many bytes at a time: the line that matches
// is still found wherever such a stretch ends, and a letter in the middle of a line never counts. The first
// letter's two forms may differ in one bit (C c, \x8A \x9A), in more (\x9F \xFF) or not at all (a digit).
TEST(Diccionario, longStretchesWithoutTheLetterAreCrossedWherevertheyEnd) {
    const struct { char mayuscula, minuscula; } letras[] = {{'C', 'c'}, {'\x8A', '\x9A'}, {'\x9F', '\xFF'}, {'1', '1'}};
    for (const auto& l : letras) {
        const std::string m(1, l.mayuscula), n(1, l.minuscula);
        for (std::size_t relleno = 0; relleno < 200; relleno += 7) {
            for (const char* fin : {"\r", "\r\n"}) {
                // The line in the other form comes first, after the stretch: nothing before it is the letter.
                const std::string archivo = std::string(relleno, 'x') + " " + n + " " + fin +
                                            std::string(relleno % 90, 'y') + fin + n + "ASB  Otra." + fin + m +
                                            "ASA  Vivienda." + fin;
                const Lineas lineas = partirLineas(archivo);
                for (const std::string& palabra : {m + "ASA", m + "ASB", m, std::string("X")}) {
                    const auto esperada = definicionPorLaRegla(lineas, palabra);
                    if (palabra == m + "ASB") { // found on the line in the other form
                        ASSERT_EQ(esperada, std::optional<std::string>("OTRA."));
                    }
                    BusquedaEnDiccionario busqueda(palabra);
                    busqueda.leer(archivo);
                    ASSERT_EQ(busqueda.definicion(), esperada) << palabra << " after " << relleno;
                }
            }
        }
    }
}

class ArchivoDeDiccionario : public prueba::ConUnidades {};

TEST_F(ArchivoDeDiccionario, looksUpTheEncyclopaediasFile) {
    fs::create_directories(c() / "ENCICLO");
    ASSERT_TRUE(crearEnciclopedia("C:\\ENCICLO\\SOLAR", std::nullopt, "ICO"));
    EXPECT_EQ(buscarDefinicion("C:\\ENCICLO\\SOLAR", "").valor(), std::optional<std::string>(""));
    escribir(c() / "ENCICLO" / "SOLAR" / "DICT.DAT", "SOL  /sol.txt\r\nLUNA  Sat\xE9lite.\r\n");
    EXPECT_EQ(buscarDefinicion("C:\\enciclo\\solar", "LUNA").valor(), std::optional<std::string>("SAT\xC9LITE."));
    EXPECT_EQ(buscarDefinicion("C:\\ENCICLO\\SOLAR", "MARTE").valor(), std::nullopt);
    const auto falta = buscarDefinicion("C:\\ENCICLO\\RIOS", "SOL");
    ASSERT_FALSE(falta);
    EXPECT_EQ(falta.error().causa, Causa::RutaNoEncontrada);
}

TEST_F(ArchivoDeDiccionario, refusesWhatItCannotReadWhole) {
    const fs::path dir = c() / "ENC";
    fs::create_directories(dir);
    { std::ofstream grande(dir / "DICT.DAT"); }
    fs::resize_file(dir / "DICT.DAT", kLimiteDiccionario + 1); // sparse: nothing is written
    const auto grande = buscarDefinicion("C:\\ENC", "SOL");
    ASSERT_FALSE(grande);
    EXPECT_EQ(grande.error().causa, Causa::DemasiadoGrande);
    EXPECT_NE(grande.error().mensaje().find("C:\\ENC\\DICT.DAT"), std::string::npos);
    fs::remove(dir / "DICT.DAT");
    ASSERT_EQ(::mkfifo((dir / "DICT.DAT").c_str(), 0600), 0); // refused at once, not waited on
    EXPECT_EQ(buscarDefinicion("C:\\ENC", "SOL").error().causa, Causa::AccesoDenegado);
}

} // namespace

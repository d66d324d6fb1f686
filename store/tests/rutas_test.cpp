#include "store/archivo_de_texto.h"
#include "store/codificacion.h"
#include "store/detalle.h"
#include "store/rutas.h"
#include "unidad_temporal.h"

#include <fcntl.h>
#include <sys/stat.h>

using namespace store;
namespace fs = std::filesystem;

namespace {

class Rutas : public prueba::ConUnidades {
protected:
    // Sets the directory's modification time an hour back, as for a directory nobody touched lately (or,
    // with a negative shift, an hour ahead, as for one copied from a machine whose clock runs fast).
    static void envejecer(const fs::path& dir, int segundos = 3600) {
        timespec tiempos[2];
        ::clock_gettime(CLOCK_REALTIME, &tiempos[0]);
        tiempos[0].tv_sec -= segundos;
        tiempos[1] = tiempos[0];
        ASSERT_EQ(::utimensat(AT_FDCWD, dir.c_str(), tiempos, 0), 0);
    }
};

// Restores one environment variable when it goes out of scope.
class Variable {
public:
    explicit Variable(const char* nombre) : nombre_(nombre) {
        if (const char* v = std::getenv(nombre))
            anterior_ = v;
    }
    ~Variable() {
        if (anterior_)
            ::setenv(nombre_, anterior_->c_str(), 1);
        else
            ::unsetenv(nombre_);
    }
    void poner(const char* valor) { valor ? ::setenv(nombre_, valor, 1) : ::unsetenv(nombre_); }

private:
    const char* nombre_;
    std::optional<std::string> anterior_;
};

TEST(Unir, concatenatesWithOneBackslashAndNormalisesNothing) {
    EXPECT_EQ(unir("C:\\ENCICLO", "SOL.TXT"), "C:\\ENCICLO\\SOL.TXT");
    EXPECT_EQ(unir("D:\\ENC\\", "ACTUAL.DAT"), "D:\\ENC\\\\ACTUAL.DAT");
    EXPECT_EQ(unir("", "A"), "\\A");
}

TEST_F(Rutas, nativePathsLiveUnderTheDriveDirectory) {
    struct Caso {
        std::string almacen;
        fs::path nativa;
    };
    const Caso casos[] = {
        {"C:\\LUMBRE\\TOMOS.DAT", raiz_ / "c" / "LUMBRE" / "TOMOS.DAT"},
        {"c:/lumbre/tomos.dat", raiz_ / "c" / "lumbre" / "tomos.dat"},
        {"D:\\ENC\\\\ACTUAL.DAT", raiz_ / "d" / "ENC" / "ACTUAL.DAT"},
        {"C:\\ENCICLO\\R\xCDOS\\r\xEDo.txt", raiz_ / "c" / "ENCICLO" / "R\u00CDOS" / "r\u00EDo.txt"},
        {"/home/ana/enc", "/home/ana/enc"},
        {"\\home\\ana\\enc", "/home/ana/enc"},
        {"SOL.TXT", "SOL.TXT"},
        {"Z:", raiz_ / "z"},
        // "." and ".." are read by the text, as Windows reads them, and never climb out of the drive.
        {"C:\\ENC\\.\\X\\..\\SOL.TXT", raiz_ / "c" / "ENC" / "SOL.TXT"},
        {"C:\\..\\..\\etc\\passwd", raiz_ / "c" / "etc" / "passwd"},
        {"C:..\\ENC", raiz_ / "c" / "ENC"},
        {"C:\\ENC\\..", raiz_ / "c"},
        {"\\..\\etc", "/etc"},
        {"..\\ENC\\..\\..\\SOL.TXT", "../../SOL.TXT"},
        {"ENC\\..", "."},
    };
    for (const auto& c : casos)
        EXPECT_EQ(aNativa(c.almacen), c.nativa) << c.almacen;
}

TEST_F(Rutas, driveDirectoryFallsBackToXdgDataHome) {
    Variable unidades("LUMBRE_UNIDADES"), xdg("XDG_DATA_HOME"), home("HOME");
    unidades.poner("/u");
    EXPECT_EQ(directorioUnidad('C'), fs::path("/u/c"));
    unidades.poner(nullptr);
    xdg.poner("/datos");
    home.poner("/home/ana");
    EXPECT_EQ(directorioUnidad('C'), fs::path("/datos/lumbre/unidades/c"));
    EXPECT_EQ(aNativa("C:\\LUMBRE\\TOMOS.DAT"), fs::path("/datos/lumbre/unidades/c/LUMBRE/TOMOS.DAT"));
    xdg.poner(nullptr);
    EXPECT_EQ(directorioUnidad('d'), fs::path("/home/ana/.local/share/lumbre/unidades/d"));
    unidades.poner("");
    xdg.poner("");
    EXPECT_EQ(directorioUnidad('c'), fs::path("/home/ana/.local/share/lumbre/unidades/c"));
}

TEST_F(Rutas, everyComponentIsMatchedWithoutRegardToCase) {
    escribir(c() / "ENCICLO" / "SOLAR" / "r\u00EDo.txt", "");
    escribir(c() / "ENCICLO" / "SOLAR" / "IMG" / "sol.txt", "");
    escribir(c() / "ENCICLO" / "SOLAR" / "COLOR.DAT", "");
    const fs::path solar = c() / "ENCICLO" / "SOLAR";
    struct Caso {
        std::string almacen;
        fs::path nativa;
    };
    const Caso casos[] = {
        {"C:\\ENCICLO\\SOLAR\\R\xCDO.TXT", solar / "r\u00EDo.txt"},
        {"c:\\enciclo\\solar\\r\xEDo.TXT", solar / "r\u00EDo.txt"},
        {"C:\\ENCICLO\\SOLAR\\Img\\sol.TXT", solar / "IMG" / "sol.txt"},
        {"C:\\ENCICLO\\SOLAR\\img\\SOL.txt", solar / "IMG" / "sol.txt"},
        {"C:\\ENCICLO\\SOLAR\\color.dat", solar / "COLOR.DAT"},
        {"C:\\Enciclo\\Solar\\Img\\nuevo.txt", solar / "IMG" / "nuevo.txt"},
        {"C:\\ENCICLO\\LUNAR\\Img\\X.txt", c() / "ENCICLO" / "LUNAR" / "Img" / "X.txt"},
        {"C:\\ENCICLO\\SOLAR\\RIO.TXT", solar / "RIO.TXT"},
    };
    for (const auto& c : casos)
        EXPECT_EQ(resolver(c.almacen), c.nativa) << c.almacen;
}

TEST_F(Rutas, rootsTypedWithDotsOrATrailingSeparatorStillWork) {
    fs::create_directories(c() / "ENCICLO");
    // A data root typed as "C:\\NADA\\..\\enciclo\\" gives doubled separators once a name is joined to it.
    const std::string raiz = "C:\\NADA\\..\\enciclo\\";
    ASSERT_TRUE(escribirLineas(unir(raiz, "ACTUAL.DAT"), {"C:\\ENCICLO\\SOLAR"}));
    ASSERT_TRUE(anexarLinea(unir(raiz, "TOMOS.DAT"), "C:\\ENCICLO\\SOLAR"));
    ASSERT_TRUE(crearDirectorio(unir(raiz, "SOLAR")));
    EXPECT_EQ(nombres(c()), std::vector<std::string>{"ENCICLO"});
    EXPECT_EQ(nombres(c() / "ENCICLO"), (std::vector<std::string>{"ACTUAL.DAT", "SOLAR", "TOMOS.DAT"}));
    EXPECT_EQ(leerPrimeraLinea("C:\\Enciclo\\.\\actual.dat").valor(), "C:\\ENCICLO\\SOLAR");
    // Climbing above the drive stays on the drive.
    ASSERT_TRUE(escribirLineas("C:\\..\\..\\..\\ARRIBA.DAT", {"x"}));
    EXPECT_TRUE(fs::exists(c() / "ARRIBA.DAT"));
    EXPECT_FALSE(fs::exists(raiz_ / "ARRIBA.DAT"));
}

TEST_F(Rutas, newFileReusesAnExistingSpellingAndOtherwiseKeepsTheOneAsked) {
    fs::create_directories(c() / "ENC" / "IMG");
    ASSERT_TRUE(escribirLineas("C:\\ENC\\Img\\Mapa.TXT", {"uno"}));
    ASSERT_TRUE(escribirLineas("C:\\enc\\IMG\\MAPA.txt", {"dos"}));
    ASSERT_TRUE(anexarLinea("C:\\ENC\\img\\mapa.txt", "tres"));
    EXPECT_EQ(nombres(c() / "ENC"), std::vector<std::string>{"IMG"});
    EXPECT_EQ(nombres(c() / "ENC" / "IMG"), std::vector<std::string>{"Mapa.TXT"});
    EXPECT_EQ(leer(c() / "ENC" / "IMG" / "Mapa.TXT"), "dos\r\ntres\r\n");
    ASSERT_TRUE(crearDirectorio("C:\\ENC\\Sub"));
    const Estado otra = crearDirectorio("C:\\enc\\SUB");
    ASSERT_FALSE(otra);
    EXPECT_EQ(otra.error().causa, Causa::YaExiste);
}

TEST_F(Rutas, filesMadeByAnotherProgramAreFoundAtOnce) {
    const fs::path dir = c() / "ENC";
    escribir(dir / "Uno.txt", "");
    EXPECT_EQ(resolver("C:\\ENC\\UNO.TXT"), dir / "Uno.txt");
    // A fresh directory: the next entry may land within the same clock tick as the index.
    escribir(dir / "Dos.txt", "");
    EXPECT_EQ(resolver("C:\\ENC\\DOS.TXT"), dir / "Dos.txt");
    // An old directory: its index is trusted until the directory changes.
    envejecer(dir);
    EXPECT_EQ(resolver("C:\\ENC\\UNO.TXT"), dir / "Uno.txt");
    escribir(dir / "Tres.txt", "");
    EXPECT_EQ(resolver("C:\\ENC\\TRES.TXT"), dir / "Tres.txt");
    envejecer(dir);
    fs::remove(dir / "Tres.txt");
    escribir(dir / "tres.TXT", "");
    EXPECT_EQ(resolver("C:\\ENC\\TRES.TXT"), dir / "tres.TXT");
}

TEST_F(Rutas, exactHitsNeverListAndOneListingServesManyLookUps) {
    const fs::path dir = c() / "MUCHOS";
    for (int i = 0; i < 200; ++i)
        escribir(dir / ("Art" + std::to_string(i) + ".txt"), "");
    envejecer(dir);
    const auto antes = detail::listadosDeDirectorio();
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(resolver("C:\\MUCHOS\\Art" + std::to_string(i) + ".txt"), dir / ("Art" + std::to_string(i) + ".txt"));
    EXPECT_EQ(detail::listadosDeDirectorio(), antes) << "an exact hit listed the directory";
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(resolver("C:\\muchos\\ART" + std::to_string(i) + ".TXT"), dir / ("Art" + std::to_string(i) + ".txt"));
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(resolver("C:\\MUCHOS\\FALTA" + std::to_string(i) + ".TXT"),
                  dir / ("FALTA" + std::to_string(i) + ".TXT"));
    // One listing for c/ (to find "muchos") and one for the directory itself.
    EXPECT_LE(detail::listadosDeDirectorio() - antes, 2u);
    // The index follows this program's own creations.
    ASSERT_TRUE(crearVacio("C:\\MUCHOS\\Nuevo.txt"));
    EXPECT_EQ(resolver("C:\\MUCHOS\\NUEVO.TXT"), dir / "Nuevo.txt");
    // A directory stamped in the future is trusted as well: misses do not list it again.
    envejecer(dir, -3600);
    const auto futuro = detail::listadosDeDirectorio();
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(resolver("C:\\MUCHOS\\OTRA" + std::to_string(i) + ".TXT"),
                  dir / ("OTRA" + std::to_string(i) + ".TXT"));
    EXPECT_LE(detail::listadosDeDirectorio() - futuro, 1u);
}

// An import writes thousands of new files into one directory, each looked up first: the index follows the
// writes instead of listing the directory again after each (which made a large import quadratic), and still
// sees what another program makes there.
TEST_F(Rutas, writingManyNewFilesListsTheirDirectoryOnlyAFewTimes) {
    ASSERT_TRUE(crearDirectorio("C:\\LLENO"));
    const auto antes = detail::listadosDeDirectorio();
    for (int i = 0; i < 300; ++i) {
        const std::string n = "C:\\LLENO\\ART\xCD"
                              "CULO " +
                              std::to_string(i) + ".TXT"; // not ASCII: no shortcut
        ASSERT_FALSE(existeArchivo(n));
        ASSERT_TRUE(escribirBytes(n, "x"));
        ASSERT_TRUE(anexarLinea("C:\\LLENO\\LISTA " + std::to_string(i % 3) + ".DAT", "l", Enlaces::Rechazar));
        if (i % 50 == 0) {
            ASSERT_TRUE(crearDirectorio("C:\\LLENO\\SUB" + std::to_string(i)));
        }
        ASSERT_TRUE(existeArchivo("C:\\lleno\\art\xED"
                                  "culo " +
                                  std::to_string(i) + ".txt"));
    }
    EXPECT_LE(detail::listadosDeDirectorio() - antes, 6u);
    envejecer(c() / "LLENO");
    escribir(c() / "LLENO" / "de_fuera.txt", "");
    EXPECT_EQ(resolver("C:\\LLENO\\DE_FUERA.TXT"), c() / "LLENO" / "de_fuera.txt");
}

TEST_F(Rutas, aNameInCapitalsOnDiskIsFoundWithoutListingItsDirectory) {
    const fs::path dir = c() / "MAYUS";
    for (const char* n : {"COMPLETA.DAT", "DOS.TXT", "Dos.txt", "Otra.txt"})
        escribir(dir / n, "");
    envejecer(dir);
    const auto antes = detail::listadosDeDirectorio();
    EXPECT_EQ(resolver("C:\\mayus\\completa.dat"), dir / "COMPLETA.DAT");
    EXPECT_EQ(resolver("C:\\Mayus\\dos.txt"), dir / "DOS.TXT"); // the spelling the case index chooses too
    EXPECT_TRUE(leerBytesDentro("C:\\MAYUS", "C:\\MAYUS\\completa.dat", 100)); // opened from the directory
    EXPECT_EQ(detail::listadosDeDirectorio(), antes);
    EXPECT_EQ(resolver("C:\\MAYUS\\OTRA.TXT"), dir / "Otra.txt");
    EXPECT_EQ(detail::listadosDeDirectorio(), antes + 1);
}

// The case index holds every name of a large directory through its growth; names sharing a key (in either
// order of arrival) are marked, and the smallest stands for them; what it hands out may be opened as it is.
TEST(IndiceDeNombres, findsEveryNameAndMarksSharedKeys) {
    detail::IndiceDeNombres indice;
    for (int i = 0; i < 5000; ++i)
        indice.agregar("ART" + std::to_string(i) + ".TXT", "Art" + std::to_string(i) + ".txt");
    for (const char* nombre : {"Dos.txt", "DOS.TXT", "TRES.TXT", "tres.txt"})
        indice.agregar(aMayusculas(nombre), nombre);
    EXPECT_EQ(indice.size(), 5002u);
    for (int i = 0; i < 5000; ++i) {
        const auto h = indice.buscar("ART" + std::to_string(i) + ".TXT");
        ASSERT_TRUE(h) << i;
        EXPECT_EQ(h->nombre, "Art" + std::to_string(i) + ".txt");
        EXPECT_EQ(h->nombre.data()[h->nombre.size()], '\0');
        EXPECT_FALSE(h->ambigua);
    }
    EXPECT_FALSE(indice.buscar("ART5000.TXT"));
    EXPECT_FALSE(indice.buscar("Art1.txt")); // keys are looked up as given
    EXPECT_FALSE(detail::IndiceDeNombres().buscar("A"));
    for (const auto& [clave, nombre] : {std::pair{"DOS.TXT", "DOS.TXT"}, std::pair{"TRES.TXT", "TRES.TXT"}}) {
        const auto h = indice.buscar(clave);
        ASSERT_TRUE(h) << clave;
        EXPECT_EQ(h->nombre, nombre);
        EXPECT_EQ(h->nombre.data()[h->nombre.size()], '\0');
        EXPECT_TRUE(h->ambigua) << clave;
    }
}

// What a command line names, as the store will name it whatever directory the program later works in.
TEST(RutaDeOrden, driveKeptAsTypedAndNativeMadeAbsolute) {
    const std::string actual = fs::current_path().generic_string();
    struct Caso {
        std::string dada, esperada;
    };
    const std::vector<Caso> casos = {
        {"C:\\ENCICLO\\SOLAR", "C:\\ENCICLO\\SOLAR"},
        {"c:/enciclo/./solar/", "c:/enciclo/./solar/"},
        {"/home/ana//enc/", "/home/ana/enc"},
        {"/home/ana/enc/otra/..", "/home/ana/enc"},
        {"/", "/"},
        {"enc", actual + "/enc"},
        {"./enc/../r\xC3\xADos", actual + "/r\xEDos"},
    };
    for (const Caso& c : casos) {
        EXPECT_EQ(rutaDeOrden(c.dada).value_or("(nada)"), c.esperada) << c.dada;
    }
    std::string malos;
    EXPECT_FALSE(rutaDeOrden("/enc/\xE2\x98\x83/\xCE\xB1\xE2\x98\x83", &malos));
    EXPECT_EQ(malos, "\xE2\x98\x83\xCE\xB1");
}

TEST(NombresSeguros, relativeNamesMayNotClimbOut) {
    struct Caso {
        std::string nombre;
        bool seguro;
    };
    const Caso casos[] = {
        {"SOL.TXT", true},
        {"planetas\\sol.txt", true},
        {"..SOL.TXT", true},
        {"sol..txt", true},
        {"", false},
        {"..", false},
        {"..\\..\\LUMBRE\\TOMOS.DAT", false},
        {"img/../../x", false},
        {"a\\..", false},
        {"a\\. .\\b", false},
        {"a\\...\\b", false},
        {"\\LUMBRE\\TOMOS.DAT", false},
        {"/etc/passwd", false},
        {"C:\\LUMBRE\\TOMOS.DAT", false},
        {"c:tomos.dat", false},
        {"a:b", false},
        {std::string("..\0x", 4), false},
        {std::string("SOL.TXT\0", 8), false},
        {"SOL\tTXT", false},
        {"sol\r.txt", false},
        {"R\xCDO\x7F.TXT", true},
    };
    for (const auto& c : casos)
        EXPECT_EQ(nombreRelativoSeguro(c.nombre), c.seguro) << c.nombre;
}

TEST(NombresSeguros, singleFileNames) {
    struct Caso {
        std::string nombre;
        bool valido;
    };
    const Caso casos[] = {
        {"Planetas.dat", true}, {" Lunas .dat", true}, {"R\xCDOS.dat", true}, {"", false},        {".", false},
        {"..", false},          {"a\\b", false},       {"a/b", false},        {"a:b", false},     {"a*b", false},
        {"a?b", false},         {"a\"b", false},       {"a<b", false},        {"a>b", false},     {"a|b", false},
        {"a\tb", false},        {"lista ", false},     {"lista.", false},     {"CON.dat", false}, {"nul", false},
        {"Com1.dat", false},    {"CONSOLA.dat", true},
    };
    for (const auto& c : casos)
        EXPECT_EQ(nombreArchivoValido(c.nombre), c.valido) << c.nombre;
}

// Roots and encyclopaedia directories as authors type them; each rejected row breaks one rule in one component.
TEST(NombresSeguros, directoryPathsWindowsAccepts) {
    struct Caso {
        std::string ruta;
        bool valida;
    };
    const Caso casos[] = {
        {"C:\\ENCICLO", true},    {"c:\\R\\ASTRO", true},    {"C:\\R\\R\xCDOS Y LAGOS", true},
        {"C:\\R\\", true},        {"C:\\R\\\\A", true},      {"/home/autor/enc", true},
        {"C:\\R\\CONSOLA", true}, {"C:\\ENC*ICLO", false},   {"C:\\R\\AS*TRO", false},
        {"C:\\R\\A|B", false},    {"C:\\R\\A?B", false},     {"C:\\R\\\"A\"", false},
        {"C:\\R\\A<B>", false},   {"C:\\R:X", false},        {"C:\\R\\D:\\X", false},
        {"CC:\\R", false},        {"1:\\R", false},          {"C:\\R \\A", false},
        {"C:\\R\\A.", false},     {"C:\\R\\..\\A", false},   {"C:\\R\\.\\A", false},
        {"C:\\CON", false},       {"C:\\R\\aux.txt", false}, {"C:\\R\\LPT9\\A", false},
        {"C:\\R\\com1", false},   {"C:\\R\\A\tB", false},
    };
    for (const auto& c : casos)
        EXPECT_EQ(rutaValidaEnWindows(c.ruta), c.valida) << c.ruta;
}

} // namespace

#include "store/enciclopedia.h"
#include "store/registro.h"
#include "store/rutas.h"
#include "unidad_temporal.h"

using namespace store;
namespace fs = std::filesystem;

namespace {

class Registro : public prueba::ConUnidades {
protected:
    void SetUp() override {
        ConUnidades::SetUp();
        fs::remove_all(c()); // a fresh machine: not even the drive directory exists
    }
};

TEST_F(Registro, createWritesTwoLinesAndTheRootOnly) {
    ASSERT_TRUE(crearRegistro("C:\\ENCICLO", false));
    EXPECT_EQ(leer(c() / "LUMBRE" / "TOMOS.DAT"), "C:\\ENCICLO\\ACTUAL.DAT\r\nC:\\ENCICLO\\TOMOS.DAT\r\n");
    EXPECT_TRUE(fs::is_directory(c() / "ENCICLO"));
    EXPECT_TRUE(fs::is_empty(c() / "ENCICLO"));
    const auto r = leerRegistro();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->actual, "C:\\ENCICLO\\ACTUAL.DAT");
    EXPECT_EQ(r->tomos, "C:\\ENCICLO\\TOMOS.DAT");
    EXPECT_EQ(raizDesdeLinea1(r->actual), "C:\\ENCICLO");
    // No encyclopaedia added yet: the list does not exist.
    EXPECT_EQ(leerEnciclopedias("C:\\ENCICLO").error().causa, Causa::NoEncontrado);
}

TEST_F(Registro, existingRegistryIsKeptUnlessReplacementIsAsked) {
    ASSERT_TRUE(crearRegistro("C:\\ENCICLO", false));
    const Estado otra = crearRegistro("C:\\OTRA", false);
    ASSERT_FALSE(otra);
    EXPECT_EQ(otra.error().causa, Causa::YaExiste);
    EXPECT_EQ(otra.error().ruta, "C:\\LUMBRE\\TOMOS.DAT");
    EXPECT_FALSE(fs::exists(c() / "OTRA"));
    EXPECT_EQ(leerRegistro()->actual, "C:\\ENCICLO\\ACTUAL.DAT");
    ASSERT_TRUE(crearRegistro("C:\\OTRA", true));
    EXPECT_EQ(leerRegistro()->actual, "C:\\OTRA\\ACTUAL.DAT");
    // Replacing with a root that exists already keeps that directory.
    ASSERT_TRUE(crearRegistro("c:\\enciclo", true));
    EXPECT_EQ(leerRegistro()->tomos, "c:\\enciclo\\TOMOS.DAT");
}

TEST_F(Registro, rootIsKeptAsTyped) {
    struct Caso {
        std::string raiz;
        std::string linea1;
    };
    const Caso casos[] = {
        {"D:\\ENC\\", "D:\\ENC\\\\ACTUAL.DAT"},
        {"D:\\Datos de Lumbre", "D:\\Datos de Lumbre\\ACTUAL.DAT"},
    };
    for (const auto& c : casos) {
        ASSERT_TRUE(crearRegistro(c.raiz, true)) << c.raiz;
        EXPECT_EQ(leerRegistro()->actual, c.linea1);
        EXPECT_EQ(raizDesdeLinea1(c.linea1), c.raiz);
        EXPECT_TRUE(existeDirectorio(c.raiz));
    }
    EXPECT_EQ(raizDesdeLinea1("\\ACTUAL.DAT"), "");
    EXPECT_EQ(raizDesdeLinea1("corta"), "");
}

TEST_F(Registro, refusedRootsWriteNothing) {
    struct Caso {
        std::string raiz;
        Causa causa;
    };
    const Caso casos[] = {{"", Causa::NombreNoValido}, {"D:\\NO\\ENC", Causa::RutaNoEncontrada}};
    for (const auto& c : casos) {
        const Estado e = crearRegistro(c.raiz, false);
        ASSERT_FALSE(e) << c.raiz;
        EXPECT_EQ(e.error().causa, c.causa) << c.raiz;
        EXPECT_FALSE(existeRegistro()) << c.raiz;
    }
}

TEST_F(Registro, missingOrEmptyRegistryFails) {
    EXPECT_FALSE(existeRegistro());
    EXPECT_EQ(leerRegistro().error().causa, Causa::RutaNoEncontrada);
    escribir(c() / "LUMBRE" / "TOMOS.DAT", "");
    EXPECT_EQ(leerRegistro().error().causa, Causa::SinLineas);
    escribir(c() / "LUMBRE" / "TOMOS.DAT", "D:\\ENC\\ACTUAL.DAT\r\n");
    EXPECT_EQ(leerRegistro()->tomos, "");
    EXPECT_FALSE(enciclopediasRegistradas());
}

TEST_F(Registro, chainLeadsTheViewerToTheCurrentEncyclopaedia) {
    ASSERT_TRUE(crearRegistro("C:\\ENCICLO", false));
    ASSERT_TRUE(anexarEnciclopedia("C:\\ENCICLO", "C:\\ENCICLO\\SOLAR"));
    ASSERT_TRUE(escribirActualEnRaiz("C:\\ENCICLO", "C:\\ENCICLO\\SOLAR"));
    ASSERT_TRUE(anexarEnciclopedia("C:\\ENCICLO", "D:\\RIOS"));
    EXPECT_EQ(directorioActual().valor(), "C:\\ENCICLO\\SOLAR");
    EXPECT_EQ(enciclopediasRegistradas().valor(), (Lineas{"C:\\ENCICLO\\SOLAR", "D:\\RIOS"}));
    EXPECT_EQ(leerEnciclopedias("C:\\ENCICLO").valor(), (Lineas{"C:\\ENCICLO\\SOLAR", "D:\\RIOS"}));
    ASSERT_TRUE(elegirEnciclopedia("D:\\RIOS"));
    EXPECT_EQ(directorioActual().valor(), "D:\\RIOS");
    EXPECT_EQ(leer(c() / "ENCICLO" / "ACTUAL.DAT"), "D:\\RIOS\r\n");
}

class Enciclopedia : public prueba::ConUnidades {
protected:
    void SetUp() override {
        ConUnidades::SetUp();
        fs::create_directories(c() / "ENCICLO");
    }
    fs::path dir() const { return c() / "ENCICLO" / "SOLAR"; }
};

TEST_F(Enciclopedia, newEncyclopaediaHoldsExactlyTheDefaultFiles) {
    escribir(c() / "iconos" / "sol.ico", std::string("\0\0\1\0icono", 9));
    ASSERT_TRUE(verificarNuevaEnciclopedia("C:\\ENCICLO\\SOLAR"));
    ASSERT_TRUE(crearEnciclopedia("C:\\ENCICLO\\SOLAR", std::string("C:\\ICONOS\\SOL.ICO"), "RESERVA"));
    EXPECT_EQ(nombres(dir()), (std::vector<std::string>{"COLOR.DAT", "COMPLETA.DAT", "DESCRIP.DAT", "DICT.DAT",
                                                        "ICONO.ICO", "IMG", "LISTAS.DAT"}));
    EXPECT_TRUE(fs::is_empty(dir() / "IMG"));
    EXPECT_EQ(leer(dir() / "COLOR.DAT"),
              "8427423\r\n16777215\r\n12636368\r\n0\r\n14673120\r\n0\r\n16777215\r\n0\r\n0\r\n14673120\r\n");
    EXPECT_EQ(leer(dir() / "DICT.DAT"), "\r\n");
    EXPECT_EQ(leer(dir() / "ICONO.ICO"), std::string("\0\0\1\0icono", 9));
    EXPECT_EQ(leer(dir() / "DESCRIP.DAT"), "");
    EXPECT_EQ(leer(dir() / "COMPLETA.DAT"), "");
    EXPECT_EQ(leer(dir() / "LISTAS.DAT"), "");
    EXPECT_EQ(leerDescripcion("C:\\ENCICLO\\SOLAR").valor(), Lineas{});
    EXPECT_EQ(leerUltimo("C:\\ENCICLO\\SOLAR"), std::nullopt);
}

TEST_F(Enciclopedia, missingIconFallsBackAndTheRestIsStillCreated) {
    const std::optional<std::string> iconos[] = {std::nullopt, std::string("C:\\NO\\EXISTE.ICO"), std::string()};
    int n = 0;
    for (const auto& icono : iconos) {
        const std::string e = "C:\\ENCICLO\\E" + std::to_string(n++);
        ASSERT_TRUE(crearEnciclopedia(e, icono, "RESERVA"));
        EXPECT_EQ(leerBytes(e + "\\icono.ico", kLimiteImagen).valor(), "RESERVA");
        EXPECT_TRUE(existeArchivo(e + "\\listas.dat"));
    }
}

TEST_F(Enciclopedia, newDirectoryIsCheckedBeforeAnythingIsWritten) {
    fs::create_directories(dir());
    struct Caso {
        std::string ruta;
        std::optional<Causa> causa;
    };
    const Caso casos[] = {
        {"C:\\ENCICLO\\SOLAR", Causa::YaExiste},    {"c:\\enciclo\\solar", Causa::YaExiste},
        {"C:\\NO\\SOLAR", Causa::RutaNoEncontrada}, {"", Causa::NombreNoValido},
        {"C:\\ENCICLO\\RIOS", std::nullopt},        {"D:\\RIOS", std::nullopt},
    };
    for (const auto& c : casos) {
        const Estado e = verificarNuevaEnciclopedia(c.ruta);
        EXPECT_EQ(e.ok(), !c.causa.has_value()) << c.ruta;
        if (!e && c.causa) {
            EXPECT_EQ(e.error().causa, *c.causa) << c.ruta;
        }
    }
    const Estado otra = crearEnciclopedia("C:\\ENCICLO\\SOLAR", std::nullopt, "X");
    ASSERT_FALSE(otra);
    EXPECT_EQ(otra.error().causa, Causa::YaExiste);
    EXPECT_TRUE(fs::is_empty(dir()));
}

TEST_F(Enciclopedia, descriptionAndLastArticleRoundTrip) {
    ASSERT_TRUE(crearEnciclopedia("C:\\ENCICLO\\SOLAR", std::nullopt, "X"));
    ASSERT_TRUE(guardarDescripcion("C:\\ENCICLO\\SOLAR", {"El Sistema Solar", "Por Ana."}));
    EXPECT_EQ(leer(dir() / "DESCRIP.DAT"), "El Sistema Solar\r\nPor Ana.\r\n");
    EXPECT_EQ(leerDescripcion("c:\\enciclo\\solar").valor(), (Lineas{"El Sistema Solar", "Por Ana."}));
    ASSERT_TRUE(escribirUltimo("C:\\ENCICLO\\SOLAR", "SOL.TXT"));
    EXPECT_EQ(leer(dir() / "ULTIMO.DAT"), "SOL.TXT\r\n");
    ASSERT_TRUE(escribirUltimo("C:\\ENCICLO\\SOLAR", "LUNA.TXT"));
    EXPECT_EQ(leerUltimo("C:\\ENCICLO\\SOLAR"), std::optional<std::string>("LUNA.TXT"));
    EXPECT_EQ(nombres(dir()).size(), 8u);
}

} // namespace

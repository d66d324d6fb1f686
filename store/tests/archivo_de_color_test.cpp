#include "store/archivo_de_color.h"
#include "unidad_temporal.h"

using namespace store;
namespace fs = std::filesystem;

namespace {

class ArchivoDeColores : public prueba::ConUnidades {
protected:
    void SetUp() override {
        ConUnidades::SetUp();
        fs::create_directories(dir());
    }
    fs::path dir() const { return c() / "ENC"; }
    // The viewer's spelling, as the only colour file of the directory.
    void poner(std::string_view bytes) const {
        fs::remove_all(dir());
        escribir(dir() / "color.dat", bytes);
    }
    static constexpr const char* kEnc = "C:\\ENC";
};

TEST(NumeroDeColor, readsSignedDecimalsBetweenSpaces) {
    struct Caso {
        std::string linea;
        std::optional<std::int32_t> valor;
    };
    const Caso casos[] = {
        {"8427423", 8427423},
        {" 8427423 ", 8427423},
        {"-5 ", -5},
        {"  -5", -5},
        {"+7", 7},
        {"0", 0},
        {"2147483647", 2147483647},
        {"-2147483648", std::numeric_limits<std::int32_t>::min()},
        {"99999999", 99999999},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"-", std::nullopt},
        {"abc", std::nullopt},
        {"12a", std::nullopt},
        {"1 2", std::nullopt},
        {"- 5", std::nullopt},
        {"\t5", std::nullopt},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt},
    };
    for (const auto& c : casos)
        EXPECT_EQ(numeroDeLinea(c.linea), c.valor) << '"' << c.linea << '"';
}

TEST(NumeroDeColor, writtenFormsOfEachProgram) {
    EXPECT_EQ(formatoVisor(0), " 0 ");
    EXPECT_EQ(formatoVisor(8427423), " 8427423 ");
    EXPECT_EQ(formatoVisor(-5), "-5 ");
    EXPECT_EQ(formatoEditor(8427423), "8427423");
    EXPECT_EQ(formatoEditor(0), "0");
}

TEST_F(ArchivoDeColores, bothWrittenFormsReadToTheSameScheme) {
    ASSERT_TRUE(crearColoresPredeterminados(kEnc));
    EXPECT_EQ(leer(dir() / "COLOR.DAT"),
              "8427423\r\n16777215\r\n12636368\r\n0\r\n14673120\r\n0\r\n16777215\r\n0\r\n0\r\n"
              "14673120\r\n");
    const LecturaColores editor = leerColores(kEnc);
    EXPECT_FALSE(editor.error.has_value());
    EXPECT_EQ(editor.leidos, 10);
    EXPECT_EQ(editor.valores, kEsquemaPredeterminado);

    ASSERT_TRUE(escribirColores("C:\\enc", editor.valores));
    EXPECT_EQ(leer(dir() / "COLOR.DAT"), " 8427423 \r\n 16777215 \r\n 12636368 \r\n 0 \r\n 14673120 \r\n 0 \r\n"
                                         " 16777215 \r\n 0 \r\n 0 \r\n 14673120 \r\n");
    EXPECT_EQ(leerColores(kEnc).valores, kEsquemaPredeterminado);
    EXPECT_EQ(nombres(dir()), std::vector<std::string>{"COLOR.DAT"});
}

TEST_F(ArchivoDeColores, valuesPassUnchangedAndExtraLinesAreIgnored) {
    const Esquema raro = {-1, 16777216, 2147483647, std::numeric_limits<std::int32_t>::min(), 0, 1, 2, 3, 4, 5};
    ASSERT_TRUE(escribirColores(kEnc, raro));
    const LecturaColores r = leerColores(kEnc);
    EXPECT_EQ(r.valores, raro);
    EXPECT_EQ(r.leidos, 10);

    poner("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\nbasura\r\n12\r\n");
    const LecturaColores once = leerColores(kEnc);
    EXPECT_FALSE(once.error.has_value());
    EXPECT_EQ(once.valores, (Esquema{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

TEST_F(ArchivoDeColores, failedReadKeepsTheSlotsReadSoFar) {
    struct Caso {
        const char* nombre;
        std::string bytes;
        int leidos;
        Causa causa;
    };
    const Caso casos[] = {
        {"three lines", "1\r\n2\r\n3\r\n", 3, Causa::SinLineas},
        {"empty file", "", 0, Causa::SinLineas},
        {"fifth line not a number", "1\r\n2\r\n3\r\n4\r\nrojo\r\n6\r\n7\r\n8\r\n9\r\n10\r\n", 4, Causa::NoEsNumero},
        {"empty first line", "\r\n2\r\n", 0, Causa::NoEsNumero},
    };
    for (const auto& c : casos) {
        poner(c.bytes);
        const LecturaColores r = leerColores(kEnc);
        EXPECT_EQ(r.leidos, c.leidos) << c.nombre;
        ASSERT_TRUE(r.error.has_value()) << c.nombre;
        EXPECT_EQ(r.error->causa, c.causa) << c.nombre;
        EXPECT_EQ(r.error->ruta, "C:\\ENC\\COLOR.DAT") << c.nombre;
        for (int i = 0; i < 10; ++i) {
            const std::int32_t esperado = i < c.leidos ? i + 1 : kEsquemaPredeterminado[static_cast<std::size_t>(i)];
            EXPECT_EQ(r.valores[static_cast<std::size_t>(i)], esperado) << c.nombre << " slot " << i;
        }
    }
    // A picture saved under the name: the message quotes only the start of the offending line.
    poner(std::string(60000, 'x') + "\r\n");
    const LecturaColores basura = leerColores(kEnc);
    ASSERT_TRUE(basura.error.has_value());
    EXPECT_EQ(basura.error->detalle, "l\xEDnea 1: \xAB" + std::string(40, 'x') + "\x85\xBB");
    fs::remove(dir() / "color.dat");
    const LecturaColores falta = leerColores(kEnc);
    EXPECT_EQ(falta.leidos, 0);
    ASSERT_TRUE(falta.error.has_value());
    EXPECT_EQ(falta.error->causa, Causa::NoEncontrado);
    EXPECT_EQ(falta.valores, kEsquemaPredeterminado);
}

} // namespace

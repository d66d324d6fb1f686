#include "store/articulo.h"
#include "store/codificacion.h"
#include "store/detalle.h"
#include "store/lector_de_titulos.h"
#include "store/limites.h"
#include "store/rutas.h"
#include "unidad_temporal.h"

#include <sys/stat.h>

#include <random>
#include <thread>

using namespace store;
namespace fs = std::filesystem;

namespace {

// The rule as written: split at CR (dropping one LF after it), build each line's whole key (upper case,
// spaces trimmed at both ends), and take the value of the last key that starts with "<TIT>".
std::string tituloPorLaRegla(std::string_view bytes) {
    std::string titulo;
    for (const std::string_view linea : partirLineas(bytes)) {
        const std::string clave(sinEspacios(aMayusculas(linea)));
        if (clave.size() >= 5 && clave.compare(0, 5, "<TIT>") == 0)
            titulo = std::string(sinEspaciosIzquierda(linea).substr(5));
    }
    return titulo;
}

struct Caso {
    const char* bytes;
    const char* titulo;
};
const Caso kCasos[] = {
    {"", ""},
    {"<TIT>Sol", "Sol"},                          // a tag at the end of the file, without a line end
    {"<TIT>Sol\r", "Sol"},                        // CR alone ends a line
    {"<TIT>Uno\r<TIT>Dos\r", "Dos"},              // the last title line wins
    {"<TIT>Uno\r\n<tit>Dos  \r\n", "Dos  "},      // any letter case; trailing spaces kept
    {"   <Tit>  Luna\r\n", "  Luna"},             // leading spaces before the tag only
    {"<TIT>Sol\n<TIT>Luna", "Sol\n<TIT>Luna"},    // a lone LF is an ordinary byte
    {"\r\n<TIT>Sol\r\n\n<TIT>Luna", "Sol"},       // so is an LF after the one a CR takes
    {"<TIT>A\r\n<TIT>", ""},                      // an empty last title still wins
    {"<TIT>A\r\n<TI\r\n<TITLE>x\r\n<TIT x", "A"}, // other tags
    {"\t<TIT>Sol\r\nTexto <TIT>no\r\n", ""},      // a tab is no space; a tag must start the key
    {"<IMG>a.bmp\r\n<TIT>\xC1guila\r\n/\r\n", "\xC1guila"},
    {"<TIT>Sol\r\r\n<t\xCDt>x\r\n", "Sol"}, // an accented I is no I
};

TEST(TituloDeArticulo, lastTitleLineByTheLineKey) {
    for (const Caso& c : kCasos) {
        EXPECT_EQ(tituloDeBytes(c.bytes), c.titulo) << '"' << c.bytes << '"';
        EXPECT_EQ(tituloDeLineas(partirLineas(c.bytes)), c.titulo) << '"' << c.bytes << '"';
    }
    // Random lines of the bytes that matter, against the rule as written.
    std::mt19937 azar(7);
    const std::string alfabeto = "  <<tTiI>>/\r\r\nx\xE9";
    for (int vuelta = 0; vuelta < 3000; ++vuelta) {
        std::string bytes;
        const int largo = static_cast<int>(azar() % 24);
        for (int i = 0; i < largo; ++i)
            bytes += alfabeto[azar() % alfabeto.size()];
        if (azar() % 2)
            bytes.insert(0, "<TIT>");
        ASSERT_EQ(tituloDeBytes(bytes), tituloPorLaRegla(bytes)) << '"' << bytes << '"';
    }
}

class LectorDeTitulos : public prueba::ConUnidades {};

TEST_F(LectorDeTitulos, readsLikeASingleReadingAndNeverBlocks) {
    const fs::path enc = c() / "ENC";
    for (std::size_t i = 0; i < std::size(kCasos); ++i)
        escribir(enc / ("A" + std::to_string(i) + ".TXT"), kCasos[i].bytes);
    escribir(enc / "SOL.TXT", "<TIT>Sol");
    escribir(enc / "\xC3\x81GUILA.TXT", "<TIT>\xC1guila"); // on disk in UTF-8
    escribir(enc / "SUB" / "LUNA.TXT", "<TIT>Luna");
    escribir(enc / "DOBLE.TXT", "<TIT>Mayor");
    escribir(enc / "doble.txt", "<TIT>menor"); // two spellings: the exact one is read
    fs::create_directories(enc / "CARPETA.TXT");
    ASSERT_EQ(::mkfifo((enc / "TUBO.TXT").c_str(), 0600), 0);
    { std::ofstream grande(enc / "GRANDE.TXT"); }
    fs::resize_file(enc / "GRANDE.TXT", kLimiteArticulo + 1); // sparse: nothing is written

    struct Fila {
        std::string nombre;
        std::string titulo;
        std::optional<Causa> causa;
    };
    std::vector<Fila> filas = {
        {"sol.txt", "Sol", {}},
        {"\xE1guila.Txt", "\xC1guila", {}},
        {"sub\\luna.txt", "Luna", {}},
        {"doble.txt", "menor", {}},
        {"DOBLE.TXT", "Mayor", {}},
        {"FALTA.TXT", "", Causa::NoEncontrado},
        {"..\\ENC\\SOL.TXT", "", Causa::NombreNoValido},
        {"C:\\ENC\\SOL.TXT", "", Causa::NombreNoValido},
        {"CARPETA.TXT", "", Causa::AccesoDenegado},
        {"tubo.txt", "", Causa::AccesoDenegado},
        {"GRANDE.TXT", "", Causa::DemasiadoGrande},
    };
    for (std::size_t i = 0; i < std::size(kCasos); ++i)
        filas.push_back({"a" + std::to_string(i) + ".txt", kCasos[i].titulo, {}});

    LectorTitulos lector("C:\\enc");
    for (const Fila& f : filas) {
        const auto leido = lector.titulo(f.nombre);
        const auto solo = leerTitulo(unir("C:\\ENC", f.nombre));
        if (f.causa) {
            ASSERT_FALSE(leido) << f.nombre;
            EXPECT_EQ(leido.error().causa, *f.causa) << f.nombre;
            EXPECT_EQ(leido.error().ruta, unir("C:\\enc", f.nombre));
            if (*f.causa != Causa::NombreNoValido) {
                ASSERT_FALSE(solo) << f.nombre;
                EXPECT_EQ(solo.error().causa, *f.causa) << f.nombre;
            }
        } else {
            ASSERT_TRUE(leido) << f.nombre << ": " << leido.error().mensaje();
            EXPECT_EQ(*leido, f.titulo) << f.nombre;
            ASSERT_TRUE(solo) << f.nombre;
            EXPECT_EQ(*solo, f.titulo) << f.nombre;
        }
    }

    // An article written after the reader took the directory's case index is still found.
    escribir(enc / "NUEVO.TXT", "<TIT>Nuevo");
    EXPECT_EQ(lector.titulo("nuevo.txt").valor(), "Nuevo");
    // A missing directory fails each name as its file would.
    EXPECT_EQ(LectorTitulos("C:\\FALTA").titulo("SOL.TXT").error().causa, Causa::RutaNoEncontrada);
}

TEST_F(LectorDeTitulos, oneReaderPerThreadGivesEveryThreadTheSameTitles) {
    const fs::path enc = c() / "ENC";
    std::vector<std::string> nombres;
    for (int i = 0; i < 400; ++i) {
        escribir(enc / ("ART" + std::to_string(i) + ".TXT"), "<TIT>T" + std::to_string(i) + "\r\ntexto\r\n");
        nombres.push_back((i % 2 ? "art" : "ART") + std::to_string(i) + ".txt");
    }
    std::vector<std::vector<std::string>> vistos(4);
    std::vector<std::thread> hilos;
    for (auto& visto : vistos) {
        hilos.emplace_back([&] {
            LectorTitulos lector("C:\\ENC");
            for (const std::string& n : nombres) {
                auto t = lector.titulo(n);
                visto.push_back(t ? *t : "?");
            }
        });
    }
    for (auto& h : hilos)
        h.join();
    for (const auto& visto : vistos) {
        ASSERT_EQ(visto.size(), nombres.size());
        for (std::size_t i = 0; i < visto.size(); ++i)
            EXPECT_EQ(visto[i], "T" + std::to_string(i));
    }
}

TEST_F(LectorDeTitulos, namesSpelledAsOnDiskNeverListTheDirectory) {
    const fs::path enc = c() / "ENC";
    for (const char* n : {"Sol.txt", "Luna.txt", "MARTE.TXT"})
        escribir(enc / n, std::string("<TIT>") + n);
    const auto antes = detail::listadosDeDirectorio();
    LectorTitulos lector("C:\\ENC");
    for (const char* n : {"Sol.txt", "Luna.txt", "MARTE.TXT"})
        EXPECT_EQ(lector.titulo(n).valor(), std::string(n));
    EXPECT_EQ(detail::listadosDeDirectorio(), antes);
    // Another spelling takes the case index once; the names after it are found through it.
    EXPECT_EQ(lector.titulo("SOL.TXT").valor(), "Sol.txt");
    EXPECT_EQ(lector.titulo("luna.TXT").valor(), "Luna.txt");
    EXPECT_EQ(lector.titulo("Marte.txt").valor(), "MARTE.TXT");
    EXPECT_LE(detail::listadosDeDirectorio(), antes + 1);
}

} // namespace

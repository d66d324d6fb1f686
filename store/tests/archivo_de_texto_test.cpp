#include "store/archivo_de_texto.h"
#include "store/archivos_de_lista.h"
#include "store/rutas.h"
#include "unidad_temporal.h"

#include <chrono>
#include <csignal>
#include <functional>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace store;
namespace fs = std::filesystem;

namespace {

class ArchivoDeTexto : public prueba::ConUnidades {};

// Each line as a string of its own, read through the iterators and through indexing.
std::vector<std::string> comoCadenas(const Lineas& lineas) {
    std::vector<std::string> r(lineas.begin(), lineas.end());
    for (std::size_t i = 0; i < lineas.size(); ++i)
        EXPECT_EQ(lineas[i], r[i]);
    return r;
}

TEST(Lineas, splitFollowsTheStoreLineRules) {
    struct Caso {
        const char* nombre;
        std::string bytes;
        std::vector<std::string> lineas;
    };
    const Caso casos[] = {
        {"zero bytes give no line", "", {}},
        {"CR LF alone is one empty line", "\r\n", {""}},
        {"two line ends, two empty lines", "\r\n\r\n", {"", ""}},
        {"last line without ending is read", "a\r\nb", {"a", "b"}},
        {"lone CR ends a line", "a\rb\r", {"a", "b"}},
        {"lone LF is an ordinary byte", "a\nb\r\n", {"a\nb"}},
        {"only one LF is dropped after CR", "a\r\n\nb", {"a", "\nb"}},
        {"CR CR LF", "a\r\r\nb", {"a", "", "b"}},
        {"spaces are kept", "  a  \r\n \r\n", {"  a  ", " "}},
        {"high bytes and NUL pass", std::string("\xE1\xF1\x81\x00z\r\n", 7), {std::string("\xE1\xF1\x81\x00z", 5)}},
    };
    for (const auto& c : casos) {
        const Lineas partidas = partirLineas(c.bytes);
        EXPECT_EQ(comoCadenas(partidas), c.lineas) << c.nombre;
        // Built line by line, as the writers build them, the lines are the same and write back the same bytes.
        Lineas unaAUna;
        for (const std::string& l : c.lineas)
            unaAUna.push_back(l);
        EXPECT_EQ(partidas, unaAUna) << c.nombre;
        EXPECT_EQ(unirLineas(partidas), unirLineas(unaAUna)) << c.nombre;
    }
}

// The split looks at many bytes at a time: line ends on either side of those steps, a CR at the end of one
// and its LF at the start of the next, must split as the line walker that looks at one byte at a time.
TEST(Lineas, splitAgreesWithTheLineWalkerAcrossEveryStep) {
    std::uint32_t semilla = 12345;
    auto azar = [&semilla] {
        semilla = semilla * 1103515245u + 12345u;
        return semilla >> 16;
    };
    const char alfabeto[] = {'a', '\r', '\n', '\r', 'b'};
    std::vector<std::string> casos;
    for (int caso = 0; caso < 2000; ++caso) {
        std::string bytes(static_cast<std::size_t>(caso % 70), 'x');
        for (char& c : bytes)
            c = alfabeto[azar() % (caso % 3 == 0 ? 2 : 5)];
        casos.push_back(bytes);
    }
    // Runs of blank lines, which are split many at a time, starting anywhere and ending in a LF or a text.
    for (std::size_t antes = 0; antes < 18; ++antes) {
        for (const char* corrida : {"\r", "\r\n"}) {
            for (const char* despues : {"", "\n", "\nb", "b\r\n"}) {
                std::string bytes(antes, 'a');
                for (int k = 0; k < 33; ++k)
                    bytes += corrida;
                casos.push_back(bytes + despues);
            }
        }
    }
    for (const std::string& bytes : casos) {
        std::vector<std::string> esperadas;
        porCadaLinea(bytes, [&](std::string_view l) { esperadas.emplace_back(l); });
        ASSERT_EQ(comoCadenas(partirLineas(bytes)), esperadas) << testing::PrintToString(bytes);
    }
}

// Ten megabytes of line ends are millions of lines: each may cost its bytes and a few more, not a string.
TEST(Lineas, manyShortLinesCostASmallMultipleOfTheFile) {
    struct Caso {
        const char* nombre;
        std::string_view linea; // repeated to 10 MB
        std::string_view leida; // each line as read
        std::size_t porByte;    // the most memory per byte of file
    };
    const Caso casos[] = {
        {"lone CRs", "\r", "", 5},
        {"CR LF pairs", "\r\n", "", 3},
        {"one byte lines", "x\r\n", "x", 3},
    };
    constexpr std::size_t kTamano = 10u << 20;
    for (const auto& c : casos) {
        std::string bytes;
        bytes.reserve(kTamano);
        while (bytes.size() + c.linea.size() <= kTamano)
            bytes += c.linea;
        const std::size_t cuantas = bytes.size() / c.linea.size();
        const Lineas lineas = partirLineas(bytes);
        ASSERT_EQ(lineas.size(), cuantas) << c.nombre;
        EXPECT_EQ(lineas.front(), c.leida) << c.nombre;
        EXPECT_EQ(lineas[cuantas / 2], c.leida) << c.nombre;
        EXPECT_EQ(lineas.back(), c.leida) << c.nombre;
        EXPECT_EQ(lineas.bytesDeTexto(), cuantas * c.leida.size()) << c.nombre;
        EXPECT_LE(lineas.memoriaOcupada(), c.porByte * bytes.size()) << c.nombre;
        EXPECT_EQ(unirLineas(lineas).size(), cuantas * (c.leida.size() + 2)) << c.nombre;
    }
}

TEST(Lineas, everyWrittenLineEndsInCrLf) {
    EXPECT_EQ(unirLineas({}), "");
    EXPECT_EQ(unirLineas({""}), "\r\n");
    EXPECT_EQ(unirLineas({"a", "", "b "}), "a\r\n\r\nb \r\n");
}

TEST_F(ArchivoDeTexto, writtenLinesReadBackExactly) {
    const Lineas lineas = {"<TIT>R\xEDo", "",
                           "  sangr\xED"
                           "a  ",
                           "\x80\x81\xFF"};
    ASSERT_TRUE(escribirLineas("C:\\A.TXT", lineas));
    EXPECT_EQ(leer(c() / "A.TXT"), unirLineas(lineas));
    const auto leidas = leerLineas("C:\\A.TXT");
    ASSERT_TRUE(leidas);
    EXPECT_EQ(*leidas, lineas);
}

TEST_F(ArchivoDeTexto, firstLineOfEmptyAndOneLineFiles) {
    escribir(c() / "VACIO.DAT", "");
    escribir(c() / "UNA.DAT", "\r\n");
    escribir(c() / "DOS.DAT", "uno\r\ndos\r\n");
    const auto vacio = leerPrimeraLinea("C:\\VACIO.DAT");
    ASSERT_FALSE(vacio);
    EXPECT_EQ(vacio.error().causa, Causa::SinLineas);
    EXPECT_EQ(leerPrimeraLinea("C:\\UNA.DAT").valor(), "");
    EXPECT_EQ(leerPrimeraLinea("C:\\DOS.DAT").valor(), "uno");
}

TEST_F(ArchivoDeTexto, failuresCarryTheirCauseAndPathAsTyped) {
    fs::create_directories(c() / "DIR");
    escribir(c() / "ARCH.TXT", "x\r\n");
    ASSERT_EQ(::mkfifo((c() / "TUBO.TXT").c_str(), 0600), 0); // reading it must not wait for a writer
    struct Caso {
        const char* nombre;
        std::function<Estado()> operacion;
        const char* ruta;
        Causa causa;
    };
    auto leerComoEstado = [](const char* r) -> std::function<Estado()> {
        return [r]() -> Estado {
            auto l = leerLineas(r);
            return l ? Estado() : Estado(l.error());
        };
    };
    const Caso casos[] = {
        {"read missing file", leerComoEstado("C:\\NO.TXT"), "C:\\NO.TXT", Causa::NoEncontrado},
        {"read in missing dir", leerComoEstado("C:\\NODIR\\A.TXT"), "C:\\NODIR\\A.TXT", Causa::RutaNoEncontrada},
        {"read a directory", leerComoEstado("C:\\DIR"), "C:\\DIR", Causa::AccesoDenegado},
        {"read a FIFO", leerComoEstado("C:\\tubo.txt"), "C:\\tubo.txt", Causa::AccesoDenegado},
        {"read under a file", leerComoEstado("C:\\ARCH.TXT\\A"), "C:\\ARCH.TXT\\A", Causa::RutaNoEncontrada},
        {"write in missing dir", [] { return escribirLineas("C:\\NODIR\\A.TXT", {"x"}); }, "C:\\NODIR\\A.TXT",
         Causa::RutaNoEncontrada},
        {"write over a directory", [] { return escribirLineas("C:\\dir", {"x"}); }, "C:\\dir", Causa::AccesoDenegado},
        {"append in missing dir", [] { return anexarLinea("C:\\NODIR\\A.TXT", "x"); }, "C:\\NODIR\\A.TXT",
         Causa::RutaNoEncontrada},
        {"make existing directory", [] { return crearDirectorio("C:\\Dir"); }, "C:\\Dir", Causa::YaExiste},
        {"make directory over a file", [] { return crearDirectorio("C:\\ARCH.TXT"); }, "C:\\ARCH.TXT", Causa::YaExiste},
        {"make directory, parent missing", [] { return crearDirectorio("C:\\NODIR\\SUB"); }, "C:\\NODIR\\SUB",
         Causa::RutaNoEncontrada},
        {"copy from missing file", [] { return copiarArchivo("C:\\NO.ICO", "C:\\B.ICO", kLimiteImagen); }, "C:\\NO.ICO",
         Causa::NoEncontrado},
    };
    for (const auto& c : casos) {
        const Estado e = c.operacion();
        ASSERT_FALSE(e) << c.nombre;
        EXPECT_EQ(e.error().causa, c.causa) << c.nombre;
        EXPECT_EQ(e.error().ruta, c.ruta) << c.nombre;
    }
    EXPECT_FALSE(fs::exists(c() / "B.ICO"));
}

// A file of an encyclopaedia is read through no symbolic link, which could lead out of its directory; the way to
// the directory itself (a linked data root) and the registry chain are followed.
TEST_F(ArchivoDeTexto, filesOfAnEncyclopaediaAreNotReadThroughLinks) {
    escribir(c() / "FUERA" / "SECRETO.TXT", "secreto\r\n");
    escribir(c() / "FUERA" / "IMG" / "A.PNG", "secreto\r\n");
    escribir(c() / "DATOS" / "ENC" / "COLOR.DAT", "propio\r\n");
    escribir(c() / "DATOS" / "ENC" / "IMG" / "B.PNG", "propio\r\n");
    fs::create_directory_symlink(c() / "DATOS", c() / "RAIZ");
    fs::create_symlink(c() / "FUERA" / "SECRETO.TXT", c() / "DATOS" / "ENC" / "ENLACE.TXT");
    fs::create_symlink("COLOR.DAT", c() / "DATOS" / "ENC" / "DENTRO.DAT");
    fs::create_directory_symlink(c() / "FUERA" / "IMG", c() / "DATOS" / "ENC" / "FOTOS");
    struct Caso {
        const char* nombre;
        const char* ruta;
        std::optional<Causa> causa; // nothing: read
    };
    const Caso casos[] = {
        {"a file, its directory reached through a linked root", "C:\\RAIZ\\ENC\\color.dat", {}},
        {"a file in a subdirectory, spelled in another case", "C:\\RAIZ\\ENC\\img\\b.png", {}},
        {"the file is a link out", "C:\\RAIZ\\ENC\\ENLACE.TXT", Causa::AccesoDenegado},
        {"the file is a link within", "C:\\RAIZ\\ENC\\DENTRO.DAT", Causa::AccesoDenegado},
        {"a directory on the way is a link out", "C:\\RAIZ\\ENC\\fotos\\A.PNG", Causa::AccesoDenegado},
        {"a name climbing out", "C:\\RAIZ\\ENC\\..\\..\\FUERA\\SECRETO.TXT", Causa::NombreNoValido},
        {"a path not under the directory", "C:\\FUERA\\SECRETO.TXT", Causa::NombreNoValido},
        {"a missing file", "C:\\RAIZ\\ENC\\NO.TXT", Causa::NoEncontrado},
        {"under a missing directory", "C:\\RAIZ\\ENC\\NO\\A.TXT", Causa::RutaNoEncontrada},
    };
    for (const auto& c : casos) {
        const auto leido = leerBytesDentro("C:\\RAIZ\\ENC", c.ruta, kLimiteLista);
        if (!c.causa) {
            ASSERT_TRUE(leido) << c.nombre << ": " << leido.error().mensaje();
            EXPECT_EQ(*leido, "propio\r\n") << c.nombre;
            continue;
        }
        ASSERT_FALSE(leido) << c.nombre;
        EXPECT_EQ(leido.error().causa, *c.causa) << c.nombre;
        EXPECT_EQ(leido.error().ruta, c.ruta) << c.nombre;
    }
    // Read by its path, the file is refused as a link too, and says why; in the registry chain it is followed.
    const auto enlace = leerLineas("C:\\RAIZ\\ENC\\ENLACE.TXT");
    ASSERT_FALSE(enlace);
    EXPECT_EQ(enlace.error().mensaje(), "No se pudo leer el archivo \xAB"
                                        "C:\\RAIZ\\ENC\\ENLACE.TXT\xBB: acceso denegado (dentro de una "
                                        "enciclotomo no se siguen enlaces simb\xF3licos).");
    EXPECT_EQ(leerPrimeraLinea("C:\\RAIZ\\ENC\\ENLACE.TXT", kLimitePequeno, Enlaces::Seguir).valor(), "secreto");
}

// Appending to a file of an encyclopaedia writes through no link either (COMPLETA.DAT, LISTAS.DAT, a caption
// touched into being), whether the link leads to a file outside or to none yet; the registry's TOMOS.DAT,
// which users may link, is still appended to through its link.
TEST_F(ArchivoDeTexto, appendsToAnEncyclopaediaFollowNoLink) {
    escribir(c() / "FUERA" / "SECRETO.TXT", "secreto\r\n");
    escribir(c() / "FUERA" / "TOMOS.DAT", "C:\\ENC\r\n");
    fs::create_directories(c() / "ENC");
    fs::create_symlink(c() / "FUERA" / "SECRETO.TXT", c() / "ENC" / "COMPLETA.DAT");
    fs::create_symlink(c() / "FUERA" / "NUEVO.TXT", c() / "ENC" / "LISTAS.DAT");
    fs::create_symlink(c() / "FUERA" / "PIE.TXT", c() / "ENC" / "A.TXT");
    fs::create_symlink(c() / "FUERA" / "TOMOS.DAT", c() / "TOMOS.DAT");
    const std::pair<const char*, std::function<Estado()>> rechazados[] = {
        {"a line added to the complete list", [] { return anexarACompleta("C:\\ENC", "B.TXT"); }},
        {"a new list", [] { return agregarLista("C:\\ENC", "NUEVA"); }},
        {"a large line through the replace path",
         [] { return anexarLinea("C:\\ENC\\COMPLETA.DAT", std::string(9000, 'x'), Enlaces::Rechazar); }},
        {"a caption touched", [] { return tocar("C:\\ENC\\A.TXT", Enlaces::Rechazar); }},
    };
    for (const auto& [nombre, operacion] : rechazados) {
        const Estado e = operacion();
        ASSERT_FALSE(e) << nombre;
        EXPECT_EQ(e.error().causa, Causa::AccesoDenegado) << nombre;
    }
    EXPECT_EQ(leer(c() / "FUERA" / "SECRETO.TXT"), "secreto\r\n");
    EXPECT_EQ(nombres(c() / "FUERA"), (std::vector<std::string>{"SECRETO.TXT", "TOMOS.DAT"}));
    ASSERT_TRUE(anexarLinea("C:\\TOMOS.DAT", "C:\\OTRA"));
    EXPECT_EQ(leer(c() / "FUERA" / "TOMOS.DAT"), "C:\\ENC\r\nC:\\OTRA\r\n");
}

TEST_F(ArchivoDeTexto, pathsHoldingControlBytesOpenNothing) {
    escribir(c() / "ARCH.TXT", "viejo\r\n");
    fs::create_directories(c() / "DIR");
    // Cut at the NUL, each of these would name ARCH.TXT or DIR.
    const std::string arch("C:\\ARCH.TXT\0\\x", 14);
    const std::string dir("C:\\DIR\0", 7);
    const std::pair<const char*, std::function<Estado()>> casos[] = {
        {"read",
         [&] {
             const auto r = leerBytes(arch, kLimitePequeno);
             return r ? Estado() : Estado(r.error());
         }},
        {"write", [&] { return escribirLineas(arch, {"nuevo"}); }},
        {"append", [&] { return anexarLinea(arch, "nuevo"); }},
        {"touch", [&] { return tocar(arch); }},
        {"make directory", [&] { return crearDirectorio(std::string("C:\\NUEVO\x01", 9)); }},
    };
    for (const auto& [nombre, operacion] : casos) {
        const Estado e = operacion();
        ASSERT_FALSE(e) << nombre;
        EXPECT_EQ(e.error().causa, Causa::NombreNoValido) << nombre;
    }
    EXPECT_FALSE(existeArchivo(arch));
    EXPECT_FALSE(existeDirectorio(dir));
    EXPECT_EQ(leer(c() / "ARCH.TXT"), "viejo\r\n");
    EXPECT_EQ(nombres(c()), (std::vector<std::string>{"ARCH.TXT", "DIR"}));
}

TEST(MensajeDeError, isASpanishSentenceInWindows1252) {
    const Error e{"leer el archivo", "C:\\ENCICLO\\SOLAR\\COLOR.DAT", Causa::NoEncontrado, {}};
    EXPECT_EQ(e.mensaje(), "No se pudo leer el archivo \xAB"
                           "C:\\ENCICLO\\SOLAR\\COLOR.DAT\xBB: el archivo no existe.");
    const Error lleno{"escribir el archivo", "C:\\A", Causa::DiscoLleno, {}};
    EXPECT_EQ(lleno.mensaje(), "No se pudo escribir el archivo \xAB"
                               "C:\\A\xBB: el disco est\xE1 lleno.");
    const Error numero{"leer el archivo", "C:\\C", Causa::NoEsNumero, "l\xEDnea 3"};
    EXPECT_NE(numero.mensaje().find("(l\xEDnea 3)."), std::string::npos);
}

TEST_F(ArchivoDeTexto, appendAddsWholeLinesAndCreatesTheFile) {
    ASSERT_TRUE(anexarLinea("C:\\L.DAT", "uno"));
    ASSERT_TRUE(anexarLinea("C:\\l.dat", ""));
    ASSERT_TRUE(anexarLinea("C:\\L.dat", " tres "));
    EXPECT_EQ(leer(c() / "L.DAT"), "uno\r\n\r\n tres \r\n");
    EXPECT_EQ(nombres(c()), std::vector<std::string>{"L.DAT"});
    // A last line saved without its ending is ended first, so the new line stands on its own.
    const std::pair<std::string, std::string> finales[] = {
        {"a.txt", "a.txt\r\nb.txt\r\n"},     {"a.txt\r\n", "a.txt\r\nb.txt\r\n"}, {"a.txt\r", "a.txt\rb.txt\r\n"},
        {"a.txt\n", "a.txt\n\r\nb.txt\r\n"}, {"\n", "\n\r\nb.txt\r\n"},           {"", "b.txt\r\n"},
    };
    for (const auto& [antes, despues] : finales) {
        escribir(c() / "COMPLETA.DAT", antes);
        ASSERT_TRUE(anexarLinea("C:\\completa.dat", "b.txt"));
        EXPECT_EQ(leer(c() / "COMPLETA.DAT"), despues) << antes;
    }
}

TEST_F(ArchivoDeTexto, touchKeepsContentAndCreatesMissingFile) {
    escribir(c() / "IMG" / "sol.txt", "Sol\r\nTexto\r\n");
    ASSERT_TRUE(tocar("C:\\Img\\SOL.TXT"));
    EXPECT_EQ(leer(c() / "IMG" / "sol.txt"), "Sol\r\nTexto\r\n");
    ASSERT_TRUE(tocar("C:\\Img\\luna.txt"));
    EXPECT_EQ(leer(c() / "IMG" / "luna.txt"), "");
    EXPECT_TRUE(existeArchivo("C:\\IMG\\LUNA.TXT"));
}

TEST_F(ArchivoDeTexto, createEmptyTruncatesAndCopyIsExact) {
    escribir(c() / "D.DAT", "viejo\r\n");
    ASSERT_TRUE(crearVacio("C:\\D.DAT"));
    EXPECT_EQ(leer(c() / "D.DAT"), "");
    std::string todos;
    for (int b = 0; b < 256; ++b)
        todos += static_cast<char>(b);
    escribir(c() / "origen.ico", todos);
    escribir(c() / "ICONO.ICO", "antes");
    ASSERT_TRUE(copiarArchivo("C:\\ORIGEN.ICO", "C:\\icono.ico", kLimiteImagen));
    EXPECT_EQ(leer(c() / "ICONO.ICO"), todos);
    ASSERT_TRUE(escribirBytes("C:\\B.BIN", todos));
    EXPECT_EQ(leerBytes("C:\\b.bin", kLimitePequeno).valor(), todos);
}

TEST_F(ArchivoDeTexto, writesLeaveNoTemporaryFilesBehind) {
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(escribirLineas("C:\\A.DAT", {std::to_string(i)}));
        ASSERT_TRUE(crearVacio("C:\\B.DAT"));
        ASSERT_TRUE(escribirBytes("C:\\C.DAT", "x"));
    }
    EXPECT_EQ(nombres(c()), (std::vector<std::string>{"A.DAT", "B.DAT", "C.DAT"}));
}

TEST_F(ArchivoDeTexto, existenceChecksTellFilesFromDirectories) {
    fs::create_directories(c() / "ENCICLO");
    escribir(c() / "ENCICLO" / "TOMOS.DAT", "");
    EXPECT_TRUE(existeDirectorio("C:\\enciclo"));
    EXPECT_FALSE(existeArchivo("C:\\enciclo"));
    EXPECT_TRUE(existeArchivo("C:\\Enciclo\\tomos.dat"));
    EXPECT_FALSE(existeDirectorio("C:\\Enciclo\\tomos.dat"));
    EXPECT_FALSE(existeArchivo("C:\\Enciclo\\actual.dat"));
    ASSERT_TRUE(crearDirectorio("C:\\ENCICLO\\NUEVA"));
    EXPECT_TRUE(existeDirectorio("C:\\Enciclo\\Nueva"));
}

// Runs `operacion` in a child process whose files may not grow beyond `limite` bytes, as on a full disk.
// Returns 0 when it succeeded, 1 when it failed with DiscoLleno, 2 for any other failure.
int conDiscoLleno(rlim_t limite, const std::function<Estado()>& operacion) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit lim{limite, limite};
        ::setrlimit(RLIMIT_FSIZE, &lim);
        const Estado e = operacion();
        ::_exit(e ? 0 : e.error().causa == Causa::DiscoLleno ? 1 : 2);
    }
    int estado = 0;
    ::waitpid(pid, &estado, 0);
    return WIFEXITED(estado) ? WEXITSTATUS(estado) : 3;
}

TEST_F(ArchivoDeTexto, failedWriteLeavesTheOldFileWhole) {
    const std::string viejo = "8427423\r\n16777215\r\n";
    const std::string grande(64 * 1024, 'x');
    escribir(c() / "ORIGEN.BIN", grande);
    struct Caso {
        const char* nombre;
        std::function<Estado()> operacion;
    };
    const Caso casos[] = {
        {"write lines", [&] { return escribirLineas("C:\\color.dat", {grande}); }},
        {"write bytes", [&] { return escribirBytes("C:\\COLOR.DAT", grande); }},
        {"copy", [] { return copiarArchivo("C:\\ORIGEN.BIN", "C:\\Color.Dat", kLimiteImagen); }},
        {"append", [&] { return anexarLinea("C:\\COLOR.DAT", grande); }},
        {"append a line that only partly fits", [] { return anexarLinea("C:\\COLOR.DAT", "123456789012345"); }},
    };
    for (const auto& c : casos) {
        escribir(this->c() / "COLOR.DAT", viejo);
        EXPECT_EQ(conDiscoLleno(viejo.size() + 4, c.operacion), 1) << c.nombre;
        EXPECT_EQ(leer(this->c() / "COLOR.DAT"), viejo) << c.nombre;
        EXPECT_EQ(nombres(this->c()), (std::vector<std::string>{"COLOR.DAT", "ORIGEN.BIN"})) << c.nombre;
    }
    // The same operations succeed without the limit, so the failures above came from the limit.
    EXPECT_EQ(conDiscoLleno(RLIM_INFINITY, casos[0].operacion), 0);
    // An append that fails on a file it had to create leaves no empty file behind.
    EXPECT_EQ(conDiscoLleno(0, [] { return anexarLinea("C:\\TOMOS.DAT", "C:\\ENCICLO\\SOLAR"); }), 1);
    EXPECT_FALSE(fs::exists(c() / "TOMOS.DAT"));
}

// Writers killed between creating their temporary file and renaming it leave it behind; the next writer in
// the directory removes those of processes that no longer run, and a later process that gets the same
// process id still writes.
TEST_F(ArchivoDeTexto, temporariesOfWritersThatNoLongerRunAreRemoved) {
    const pid_t muerto = ::fork();
    if (muerto == 0)
        ::_exit(0);
    ::waitpid(muerto, nullptr, 0);
    const std::string yo = std::to_string(::getpid());
    const std::string vivo = std::to_string(::getppid());
    const std::string d = std::to_string(muerto);
    const std::vector<std::string> quedan = {".lumbre-" + vivo + "-7.tmp", ".lumbre-x-1.tmp", "otro.tmp", "SOL.TXT"};
    const std::pair<const char*, std::function<Estado()>> escrituras[] = {
        {"replace", [] { return escribirLineas("C:\\SOL.TXT", {"Sol"}); }},
        {"append", [] { return anexarLinea("C:\\COMPLETA.DAT", "SOL.TXT"); }},
        {"long append", [] { return anexarLinea("C:\\COMPLETA.DAT", std::string(10000, 's')); }},
        {"create empty", [] { return crearVacio("C:\\LISTAS.DAT"); }},
    };
    for (const auto& [nombre, escribirAlgo] : escrituras) {
        for (const auto& f : fs::directory_iterator(c()))
            fs::remove(f.path());
        for (const std::string& n : quedan)
            escribir(c() / n, "x");
        escribir(c() / (".lumbre-" + d + "-0.tmp"), std::string(1000, 'x'));
        escribir(c() / (".lumbre-" + d + "-5f3a9c.tmp"), "x");
        // Names an earlier process of this id could have left (one per write it made).
        for (int k = 0; k < 1000; ++k)
            escribir(c() / (".lumbre-" + yo + "-" + std::to_string(k) + ".tmp"), "");
        ASSERT_TRUE(escribirAlgo()) << nombre;
        const std::vector<std::string> hay = nombres(c());
        for (const std::string& n : quedan)
            EXPECT_TRUE(std::count(hay.begin(), hay.end(), n)) << nombre << ": " << n;
        EXPECT_FALSE(fs::exists(c() / (".lumbre-" + d + "-0.tmp"))) << nombre;
        EXPECT_FALSE(fs::exists(c() / (".lumbre-" + d + "-5f3a9c.tmp"))) << nombre;
        EXPECT_EQ(hay.size(), quedan.size() + 1000 + (std::string(nombre) == "replace" ? 0 : 1)) << nombre;
    }
}

// Appends of long lines killed at random moments: every line in the file is whole, the next append stands on
// its own line, and no temporary file outlives it.
TEST_F(ArchivoDeTexto, aKilledAppendLeavesOnlyWholeLines) {
    constexpr std::size_t kLargo = 1 << 20;
    std::mt19937 azar(20261208);
    for (int vuelta = 0; vuelta < 60; ++vuelta) {
        escribir(c() / "COMPLETA.DAT", "SOL.TXT\r\n");
        const pid_t hijo = ::fork();
        if (hijo == 0) {
            for (int i = 0;; ++i)
                (void)anexarLinea("C:\\COMPLETA.DAT", std::string(kLargo, static_cast<char>('a' + i % 26)));
        }
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 15000)(azar)));
        ::kill(hijo, SIGKILL);
        ::waitpid(hijo, nullptr, 0);
        ASSERT_TRUE(anexarLinea("C:\\COMPLETA.DAT", "LUNA.TXT")) << vuelta;
        const auto lineas = leerLineas("C:\\COMPLETA.DAT");
        ASSERT_TRUE(lineas) << vuelta;
        ASSERT_GE(lineas->size(), 2u) << vuelta;
        EXPECT_EQ(lineas->front(), "SOL.TXT") << vuelta;
        EXPECT_EQ(lineas->back(), "LUNA.TXT") << vuelta;
        for (std::size_t i = 1; i + 1 < lineas->size(); ++i) {
            const auto& l = (*lineas)[i];
            ASSERT_TRUE(l.size() == kLargo && l.find_first_not_of(l[0]) == std::string::npos)
                << "vuelta " << vuelta << ", l\xEDnea " << i << " de " << l.size() << " bytes";
        }
        EXPECT_EQ(nombres(c()), std::vector<std::string>{"COMPLETA.DAT"}) << vuelta;
    }
}

TEST_F(ArchivoDeTexto, appendingOrTouchingAFifoFailsAtOnce) {
    ASSERT_EQ(::mkfifo((c() / "DICT.DAT").c_str(), 0666), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(10); // a hang ends the child instead of the test run
        const Estado a = anexarLinea("C:\\DICT.DAT", "x");
        const Estado t = tocar("C:\\dict.dat");
        const bool bien =
            !a && a.error().causa == Causa::AccesoDenegado && !t && t.error().causa == Causa::AccesoDenegado;
        ::_exit(bien ? 0 : 1);
    }
    int estado = 0;
    ::waitpid(pid, &estado, 0);
    EXPECT_TRUE(WIFEXITED(estado) && WEXITSTATUS(estado) == 0) << "status " << estado;
}

} // namespace

#include "store/archivo_de_color.h"
#include "store/archivo_de_texto.h"
#include "store/archivos_de_lista.h"
#include "store/articulo.h"
#include "store/enciclopedia.h"
#include "store/registro.h"
#include "unidad_temporal.h"

#include <functional>
#include <unistd.h>

using namespace store;
namespace fs = std::filesystem;

namespace {

class LimitesDeTamano : public prueba::ConUnidades {
protected:
    // A sparse file of `tamano` bytes: it claims the size without using the disk.
    static void disperso(const fs::path& nativa, std::uint64_t tamano) {
        escribir(nativa, "");
        ASSERT_EQ(::truncate(nativa.c_str(), static_cast<off_t>(tamano)), 0) << nativa;
    }
};

// Each reader refuses a file beyond the limit of its kind, unread, with a message naming the file; a file
// of 200 GB made the programs reserve its whole size and end.
TEST_F(LimitesDeTamano, everyReaderRefusesAFileBeyondItsLimitUnread) {
    const std::string enc = "C:\\ENC";
    const fs::path dir = c() / "ENC";
    escribir(c() / "LUMBRE" / "TOMOS.DAT", "C:\\DATOS\\ACTUAL.DAT\r\nC:\\DATOS\\TOMOS.DAT\r\n");
    using Lectura = std::function<std::optional<Error>()>;
    auto error = [](const auto& r) { return r ? std::nullopt : std::optional<Error>(r.error()); };
    struct Caso {
        const char* nombre;
        fs::path archivo;
        std::string ruta;
        std::uint64_t limite;
        Lectura leer;
    };
    const Caso casos[] = {
        {"article", dir / "SOL.TXT", enc + "\\SOL.TXT", kLimiteArticulo,
         [&] { return error(leerArticulo(enc + "\\SOL.TXT")); }},
        {"article title", dir / "SOL.TXT", enc + "\\SOL.TXT", kLimiteArticulo,
         [&] { return error(leerTitulo(enc + "\\SOL.TXT")); }},
        {"article to edit", dir / "SOL.TXT", enc + "\\SOL.TXT", kLimiteArticulo,
         [&] { return error(leerArticuloParaEditar(enc + "\\SOL.TXT", "SOL.TXT")); }},
        {"caption", dir / "IMG" / "SOL.TXT", enc + "\\Img\\SOL.TXT", kLimiteEpigrafe,
         [&] { return error(leerEpigrafe(enc + "\\Img\\SOL.TXT")); }},
        {"full list", dir / "COMPLETA.DAT", enc + "\\COMPLETA.DAT", kLimiteLista,
         [&] { return error(leerCompleta(enc)); }},
        {"list index", dir / "LISTAS.DAT", enc + "\\LISTAS.DAT", kLimiteIndiceListas,
         [&] { return error(leerIndiceListas(enc)); }},
        {"list", dir / "LUNAS.dat", enc + "\\LUNAS.dat", kLimiteLista, [&] { return error(leerLista(enc, "LUNAS")); }},
        {"colours", dir / "COLOR.DAT", enc + "\\COLOR.DAT", kLimiteColores, [&] { return leerColores(enc).error; }},
        {"description", dir / "DESCRIP.DAT", enc + "\\DESCRIP.DAT", kLimitePequeno,
         [&] { return error(leerDescripcion(enc)); }},
        {"encyclopaedias", c() / "DATOS" / "TOMOS.DAT", "C:\\DATOS\\TOMOS.DAT", kLimitePequeno,
         [&] { return error(enciclopediasRegistradas()); }},
        {"current encyclopaedia", c() / "DATOS" / "ACTUAL.DAT", "C:\\DATOS\\ACTUAL.DAT", kLimitePequeno,
         [&] { return error(directorioActual()); }},
        {"registry", c() / "LUMBRE" / "TOMOS.DAT", "C:\\LUMBRE\\TOMOS.DAT", kLimitePequeno,
         [&] { return error(leerRegistro()); }},
    };
    for (const auto& c : casos) {
        for (const std::uint64_t tamano : {c.limite + 1, std::uint64_t{200} << 30}) {
            disperso(c.archivo, tamano);
            const std::optional<Error> e = c.leer();
            ASSERT_TRUE(e) << c.nombre << " " << tamano;
            EXPECT_EQ(e->causa, Causa::DemasiadoGrande) << c.nombre << " " << tamano;
            EXPECT_EQ(e->ruta, c.ruta) << c.nombre;
            EXPECT_NE(e->mensaje().find("\xBB: el archivo es demasiado grande (m\xE1s de "), std::string::npos)
                << e->mensaje();
        }
        fs::remove(c.archivo);
    }
    // (The registry row comes last: the rows before it read through the registry.) The last article is only
    // named when ULTIMO.DAT can be read; a file at its limit is still read.
    disperso(dir / "ULTIMO.DAT", std::uint64_t{200} << 30);
    EXPECT_EQ(leerUltimo(enc), std::nullopt);
    escribir(dir / "DESCRIP.DAT", "Sol\r\n" + std::string(kLimitePequeno - 5, 'x'));
    ASSERT_TRUE(leerDescripcion(enc));
    EXPECT_EQ(leerDescripcion(enc)->size(), 2u);
}

} // namespace

#include "store/archivo_de_texto.h"
#include "store/articulo.h"
#include "store/rutas.h"
#include "unidad_temporal.h"

using namespace store;
namespace fs = std::filesystem;

namespace {

using Nombres = std::vector<std::string>;

TEST(ArticuloVisor, lineKeysClassifyEveryLine) {
    struct Caso {
        const char* nombre;
        Lineas lineas;
        std::string titulo;
        Nombres ilustraciones;
        Nombres costados;
        std::string cuerpo;
    };
    const Caso casos[] = {
        {"lower-case title keeps its spaces", {"<tit>  Casa  "}, "  Casa  ", {}, {}, ""},
        {"indented illustration", {"   <IMG>mapa.bmp"}, "", {"mapa.bmp"}, {}, ""},
        {"indented and padded tag", {"  <Img>  Mapa.BMP  "}, "", {"  Mapa.BMP  "}, {}, ""},
        {"bare tag has an empty value", {"<TIT>", "<IMG>"}, "", {""}, {}, ""},
        {"other tags are dropped", {"<B>negrita", "<", "  <tITULO>x", "texto"}, "", {}, {}, "texto"},
        {"two titles, the last wins", {"<TIT>Uno", "<TIT>Dos"}, "Dos", {}, {}, ""},
        {"duplicates are kept", {"<IMG>a.bmp", "<IMG>a.bmp"}, "", {"a.bmp", "a.bmp"}, {}, ""},
        {"side pictures in order", {"<CST>a.bmp", "<cst>b.gif"}, "", {}, {"a.bmp", "b.gif"}, ""},
        {"text lines join with nothing between", {"Uno", "", "Dos"}, "", {}, {}, "UnoDos"},
        {"leading space carries the gap",
         {"Era un d\xED"
          "a",
          " de sol"},
         "",
         {},
         {},
         "Era un d\xED"
         "a de sol"},
        {"break line between spaces", {"Uno", "  /  ", "Dos"}, "", {}, {}, "Uno\r\nDos"},
        {"two breaks give an empty line", {"a", "/", "/", "b"}, "", {}, {}, "a\r\n\r\nb"},
        {"slash with text is text", {"a/b", "//"}, "", {}, {}, "a/b//"},
        {"tab before a tag makes text", {"\t<TIT>x"}, "", {}, {}, "\t<TIT>x"},
        {"spaces-only lines are text", {"   ", "x"}, "", {}, {}, "   x"},
        {"tags anywhere",
         {"Uno", "<TIT>T\xEDtulo", " dos", "<IMG>sol.bmp", "<CST>fondo.bmp", "/", "tres"},
         "T\xEDtulo",
         {"sol.bmp"},
         {"fondo.bmp"},
         "Uno dos\r\ntres"},
    };
    for (const auto& c : casos) {
        const Articulo a = analizarArticulo(c.lineas);
        EXPECT_EQ(a.titulo, c.titulo) << c.nombre;
        EXPECT_EQ(a.ilustraciones, c.ilustraciones) << c.nombre;
        EXPECT_EQ(a.costados, c.costados) << c.nombre;
        EXPECT_EQ(a.cuerpo, c.cuerpo) << c.nombre;
        EXPECT_EQ(tituloDeLineas(c.lineas), c.titulo) << c.nombre;

        // Read straight from the file's bytes in one pass, the body handed over piece by piece.
        std::string cuerpo;
        const Articulo deBytes = analizarArticulo(unirLineas(c.lineas), [&](std::string_view p) { cuerpo += p; });
        EXPECT_EQ(deBytes.titulo, c.titulo) << c.nombre;
        EXPECT_EQ(deBytes.ilustraciones, c.ilustraciones) << c.nombre;
        EXPECT_EQ(deBytes.costados, c.costados) << c.nombre;
        EXPECT_EQ(cuerpo, c.cuerpo) << c.nombre;
    }
}

TEST(ArticuloVisor, bytesAreSplitAsEveryFileOfTheStoreIs) {
    const char* const casos[] = {
        "", "\r\n", "sin final", "<TIT>T\r\nuno\rdos\r\n\ntres\n\r\n/\r\ncuatro\r", "\r\r\n/\r<IMG>a.bmp\rfin",
    };
    for (const std::string bytes : casos) {
        const Articulo esperado = analizarArticulo(partirLineas(bytes));
        std::string cuerpo;
        const Articulo a = analizarArticulo(bytes, [&](std::string_view p) { cuerpo += p; });
        EXPECT_EQ(a.titulo, esperado.titulo) << bytes;
        EXPECT_EQ(a.ilustraciones, esperado.ilustraciones) << bytes;
        EXPECT_EQ(cuerpo, esperado.cuerpo) << bytes;
    }
}

TEST(ArticuloEditor, readingKeepsBodyLinesAndDropsOtherTags) {
    struct Caso {
        const char* nombre;
        Lineas lineas;
        std::string titulo;
        Nombres ilustraciones;
        Lineas cuerpo;
    };
    const Caso casos[] = {
        {"no title line: the file name", {"Texto"}, "SOL.TXT", {}, {"Texto"}},
        {"any case, indented", {"  <tit>Sol", " <img>a.bmp"}, "Sol", {"a.bmp"}, {}},
        {"body lines kept whole",
         {"  sangr\xED"
          "a",
          "", "/"},
         "SOL.TXT",
         {},
         {"  sangr\xED"
          "a",
          "", "/"}},
        {"side picture and other tags dropped", {"<CST>f.bmp", "<B>x", "<TIT", "y"}, "SOL.TXT", {}, {"y"}},
        {"last title wins", {"<TIT>a", "<TIT>b"}, "b", {}, {}},
        {"empty file", {}, "SOL.TXT", {}, {}},
    };
    for (const auto& c : casos) {
        const ArticuloEditable a = analizarArticuloParaEditar(c.lineas, "SOL.TXT");
        EXPECT_EQ(a.titulo, c.titulo) << c.nombre;
        EXPECT_EQ(a.ilustraciones, c.ilustraciones) << c.nombre;
        EXPECT_EQ(a.cuerpo, c.cuerpo) << c.nombre;
    }
}

class ArchivoDeArticulo : public prueba::ConUnidades {};

TEST_F(ArchivoDeArticulo, editorWritesExactBytesAndReadsThemBack) {
    fs::create_directories(c() / "ENC");
    ASSERT_TRUE(escribirArticulo("C:\\ENC\\SOL.TXT", "Sol", {"sol.bmp", "luna.bmp"}, {"Texto"}));
    EXPECT_EQ(leer(c() / "ENC" / "SOL.TXT"), "<TIT>Sol\r\n<IMG>sol.bmp\r\n<IMG>luna.bmp\r\nTexto\r\n");

    const Lineas cuerpo = {"Primera l\xEDnea", "  sangrada", "", "/", "<CST>fondo.bmp", "fin"};
    ASSERT_TRUE(escribirArticulo("C:\\enc\\sol.txt", "El Sol ", {"a.bmp"}, cuerpo));
    const auto editado = leerArticuloParaEditar("C:\\ENC\\Sol.txt", "Sol.txt");
    ASSERT_TRUE(editado);
    EXPECT_EQ(editado->titulo, "El Sol ");
    EXPECT_EQ(editado->ilustraciones, Nombres{"a.bmp"});
    EXPECT_EQ(editado->cuerpo, (Lineas{"Primera l\xEDnea", "  sangrada", "", "/", "fin"}));

    const auto visto = leerArticulo("C:\\ENC\\SOL.TXT");
    ASSERT_TRUE(visto);
    EXPECT_EQ(visto->titulo, "El Sol ");
    EXPECT_EQ(visto->costados, Nombres{"fondo.bmp"});
    EXPECT_EQ(visto->cuerpo, "Primera l\xEDnea  sangrada\r\nfin");
    EXPECT_EQ(leerTitulo("C:\\ENC\\sol.TXT").valor(), "El Sol ");
}

TEST_F(ArchivoDeArticulo, newArticleIsOneEmptyLine) {
    fs::create_directories(c() / "ENC");
    ASSERT_TRUE(crearArticuloVacio("C:\\ENC\\NUEVO.TXT"));
    EXPECT_EQ(leer(c() / "ENC" / "NUEVO.TXT"), "\r\n");
    EXPECT_EQ(leerTitulo("C:\\ENC\\NUEVO.TXT").valor(), "");
    EXPECT_EQ(leerArticuloParaEditar("C:\\ENC\\NUEVO.TXT", "NUEVO.TXT")->titulo, "NUEVO.TXT");
    EXPECT_EQ(leerArticulo("C:\\ENC\\FALTA.TXT").error().causa, Causa::NoEncontrado);
}

TEST(Epigrafe, namesByEachProgramsRule) {
    struct Caso {
        std::string ilustracion;
        std::optional<std::string> visor;
        std::optional<std::string> editor;
    };
    const Caso casos[] = {
        {"sol.bmp", "E\\Img\\sol.TXT", "E\\Img\\sol.txt"},
        {"MAPA.BMP", "E\\Img\\MAPA.TXT", "E\\Img\\MAPA.txt"},
        {"sol.jpeg", "E\\Img\\sol.jTXT", "E\\Img\\sol.txt"},
        {"a.b.gif", "E\\Img\\a.b.TXT", "E\\Img\\a.txt"},
        {"mapa", "E\\Img\\mTXT", std::nullopt},
        {"abc", "E\\Img\\TXT", std::nullopt},
        {"ab", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
        {".x", std::nullopt, "E\\Img\\.txt"},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(rutaEpigrafeVisor("E", c.ilustracion), c.visor) << c.ilustracion;
        EXPECT_EQ(rutaEpigrafeEditor("E", c.ilustracion), c.editor) << c.ilustracion;
    }
    EXPECT_EQ(rutaIlustracion("E", "sol.bmp"), "E\\Img\\sol.bmp");
    EXPECT_EQ(rutaCostado("E", "f.bmp"), "E\\img\\f.bmp");
}

TEST(Epigrafe, firstLineIsTheTitleAndTheRestFollowsTheBodyRule) {
    EXPECT_EQ(analizarEpigrafe({}).titulo, "");
    EXPECT_EQ(analizarEpigrafe({}).texto, "");
    const Epigrafe e = analizarEpigrafe({"<TIT>Mapa", "l\xEDnea <b>", " / ", "m\xE1s", "", " fin"});
    EXPECT_EQ(e.titulo, "<TIT>Mapa");
    EXPECT_EQ(e.texto, "l\xEDnea <b>\r\nm\xE1s fin");
}

TEST_F(ArchivoDeArticulo, captionWrittenByTheEditorIsFoundByTheViewer) {
    fs::create_directories(c() / "ENC" / "IMG");
    const auto editor = rutaEpigrafeEditor("C:\\ENC", "sol.bmp");
    const auto visor = rutaEpigrafeVisor("C:\\ENC", "sol.bmp");
    ASSERT_TRUE(editor && visor);
    ASSERT_TRUE(tocar(*editor));
    ASSERT_TRUE(escribirLineas(*editor, {"El Sol", "Estrella", "/", "central."}));
    const auto e = leerEpigrafe(*visor);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->titulo, "El Sol");
    EXPECT_EQ(e->texto, "Estrella\r\ncentral.");
    EXPECT_EQ(nombres(c() / "ENC" / "IMG"), Nombres{"sol.txt"});
}

} // namespace

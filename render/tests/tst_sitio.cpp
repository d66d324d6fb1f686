// The site around the article pages: where every link of each of the three containers leads, which pictures
// pass as they are, and the names files get.

#include "render/sitio.h"

#include <gtest/gtest.h>

namespace {

using render::Enlaces;
using render::Lugar;

TEST(Sitio, everyLinkOfEachContainerLeadsToItsFile) {
    Enlaces archivos = Enlaces::archivos();
    Enlaces libro = Enlaces::libro();
    Enlaces servidor = Enlaces::servidor("solar");
    struct Caso {
        const char* que;
        std::string url, esperada;
    };
    const Caso casos[] = {
        // The exported site: relative links, one folder down from articles and lists.
        {"articulo", archivos.url(Lugar::Raiz, archivos.articulo("SOL.TXT")), "articulos/SOL.TXT.html"},
        {"articulo", archivos.url(Lugar::Carpeta, archivos.articulo("sol.txt")), "../articulos/SOL.TXT.html"},
        {"lista", archivos.url(Lugar::Raiz, archivos.lista("PLANETAS INTERIORES")), "listas/PLANETAS_INTERIORES.html"},
        {"imagen", archivos.url(Lugar::Carpeta, archivos.imagen("SOL.BMP", ".png")), "../img/SOL.png"},
        {"estilo", archivos.hojaDeEstilo(Lugar::Carpeta), "../estilo.css"},
        {"indice", archivos.listaDeTitulos(Lugar::Carpeta), "../index.html"},
        {"diccionario", archivos.diccionario(Lugar::Raiz), "diccionario.html"},
        {"guion", archivos.guion(Lugar::Raiz), "filtro.js"},
        {"titulos", archivos.titulosDelGuion(Lugar::Raiz), "titulos.js"},
        // The e-book: the same shape, its own names, no dictionary.
        {"articulo", libro.url(Lugar::Raiz, libro.articulo("SOL.TXT")), "articulos/SOL.TXT.xhtml"},
        {"imagen", libro.url(Lugar::Carpeta, libro.imagen("CIELO.JPG", ".jpg")), "../img/CIELO.jpg"},
        {"estilo", libro.hojaDeEstilo(Lugar::Raiz), "estilo.css"},
        {"indice", libro.listaDeTitulos(Lugar::Carpeta), "../indice.xhtml"},
        {"diccionario", libro.diccionario(Lugar::Raiz), ""},
        {"portada", libro.portada(Lugar::Raiz), "portada.xhtml"},
        // The server: absolute addresses, the store's own names percent-encoded, wherever the page is.
        {"articulo", servidor.url(Lugar::Carpeta, servidor.articulo("MI\xD1O.TXT")), "/e/solar/a/MI%C3%91O.TXT"},
        {"imagen", servidor.url(Lugar::Raiz, servidor.imagen("SOL.BMP", ".png")), "/e/solar/img/SOL.BMP"},
        {"lista", servidor.url(Lugar::Raiz, servidor.lista("VERTIENTE ATL\xC1NTICA")),
         "/e/solar/?lista=VERTIENTE%20ATL%C3%81NTICA"},
        {"estilo", servidor.hojaDeEstilo(Lugar::Carpeta), "/recursos/estilo.css"},
        {"indice", servidor.listaDeTitulos(Lugar::Carpeta), "/e/solar/"},
        {"diccionario", servidor.diccionario(Lugar::Raiz), "/e/solar/diccionario"},
        {"guion", servidor.guion(Lugar::Carpeta), "/recursos/lumbre.js"},
    };
    for (const Caso& c : casos) {
        EXPECT_EQ(c.url, c.esperada) << c.que;
    }
}

TEST(Sitio, fileNamesAreAsciiUniqueWithoutCaseAndStable) {
    Enlaces e = Enlaces::archivos();
    const struct {
        std::string nombre, archivo;
    } casos[] = {
        {"R\xCDO.TXT", "articulos/RIO.TXT.html"},
        {"rio.txt", "articulos/rio.txt-2.html"},  // meets RIO.TXT.html without
                                                  // regard to case
        {"r\xEDo.txt", "articulos/RIO.TXT.html"}, // the first name again, in another case
        {".oculto", "articulos/_oculto.html"},
        {"..oculto", "articulos/_.oculto.html"},
        {"a/b?c", "articulos/a_b_c.html"},
        {"", "articulos/_.html"},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(e.articulo(c.nombre), c.archivo) << c.nombre;
    }
    // Pictures keep their base name with what they hold; two pictures of one base get apart names.
    EXPECT_EQ(e.imagen("MAPA.BMP", ".png"), "img/MAPA.png");
    EXPECT_EQ(e.imagen("MAPA.PNG", ".png"), "img/MAPA-2.png");
    EXPECT_EQ(e.imagen("MAPA.GIF", ".gif"), "img/MAPA.gif");
    EXPECT_EQ(e.imagen("mapa.bmp", ".png"), "img/MAPA.png");
    EXPECT_EQ(e.imagen("OTRO.TIF", ".png"), "img/OTRO.png");
    // Articles, lists and pictures are named apart: a list may share an article's base name.
    EXPECT_EQ(e.lista("R\xCDO.TXT"), "listas/RIO.TXT.html");
}

TEST(Sitio, browsersShowSomePicturesAsTheyAreAndTheRestAsPng) {
    const struct {
        std::string archivo;
        const char* tipo; // nullptr: not a picture
        bool pasa;
    } casos[] = {
        {"SOL.PNG", "image/png", true},
        {"cielo.jpg", "image/jpeg", true},
        {"C.Jpeg", "image/jpeg", true},
        {"E.GIF", "image/gif", true},
        {"W.webp", "image/webp", true},
        {"SOL.BMP", "image/bmp", false},
        {"ICONO.ICO", "image/x-icon", false},
        {"M.TIF", "image/tiff", false},
        {"M.tiff", "image/tiff", false},
        {".PNG", nullptr, false},
        {"SOL", nullptr, false},
        {"SOL.TXT", nullptr, false},
        {"SOL.PNG.TXT", nullptr, false},
        {"SOL.PN\xC7", nullptr, false},
    };
    for (const auto& c : casos) {
        const render::FormatoDeImagen* f = render::formatoPorExtension(c.archivo);
        if (!c.tipo) {
            EXPECT_EQ(f, nullptr) << c.archivo;
            continue;
        }
        ASSERT_NE(f, nullptr) << c.archivo;
        EXPECT_EQ(f->tipo, c.tipo) << c.archivo;
        EXPECT_EQ(f->pasa, c.pasa) << c.archivo;
        // The decoder's name of the same format leads to the same rule.
        EXPECT_EQ(render::formatoDeImagen(f->nombre), f) << c.archivo;
    }
    EXPECT_EQ(render::formatoDeImagen("JPG"), render::formatoPorExtension("a.jpeg"));
    EXPECT_EQ(render::formatoDeImagen("xpm"), nullptr);
    EXPECT_TRUE(render::formatoPng().pasa);
}

} // namespace

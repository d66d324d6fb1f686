// Importing real Spanish texts in Markdown, HTML and plain text, with pictures, into an encyclopaedia.

#include "importar/documento.h"
#include "importar/importacion.h"
#include "importar/windows1252.h"

#include "store/tests/unidad_temporal.h"

#include <gtest/gtest.h>

#include <map>

namespace {

namespace fs = std::filesystem;
using importar::Bloque;
using importar::Formato;

// A picture as a file holds it (a PNG of one pixel): importing only copies its bytes.
const std::string kPng("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01\0\0\0\x01\x08\x02\0\0\0\x90wS\xde", 33);

// The blocks of a document as text: "P:" paragraph, "I:" picture source|alt|caption.
std::vector<std::string> bloques(const importar::Documento& d) {
    std::vector<std::string> r;
    for (const Bloque& b : d.bloques) {
        r.push_back(b.tipo == Bloque::Tipo::Parrafo
                        ? "P:" + b.texto
                        : "I:" + b.imagen.fuente + "|" + b.imagen.alternativo + "|" + b.imagen.epigrafe);
    }
    return r;
}

struct CasoLectura {
    const char* nombre;
    Formato formato;
    std::string texto;
    std::string titulo;
    std::vector<std::string> bloques;
    std::map<std::string, int> perdidas;
};

TEST(Lectores, TitleParagraphsPicturesAndLossesOfEachFormat) {
    const CasoLectura casos[] = {
        {"markdown: first heading is the title, later ones paragraphs; soft breaks join",
         Formato::Markdown,
         "# El río Ebro\n\nEl Ebro nace en Fontibre,\nen Cantabria.\n\n## Curso\n\nDesemboca en el "
         "*Mediterráneo*.\n",
         "El río Ebro",
         {"P:El Ebro nace en Fontibre, en Cantabria.", "P:Curso", "P:Desemboca en el Mediterráneo."},
         {}},
        {"markdown: a picture follows its paragraph, alt and title kept; links keep their text",
         Formato::Markdown,
         "# Delta\n\nVista del [delta](https://es.wikipedia.org/wiki/Delta) ![Delta del Ebro](img/delta.png "
         "\"Desde el aire\") al amanecer.\n",
         "Delta",
         {"P:Vista del delta al amanecer.", "I:img/delta.png|Delta del Ebro|Desde el aire"},
         {{"enlaces", 1}}},
        {"markdown: lists, hard breaks and code lines",
         Formato::Markdown,
         "Afluentes:\n\n- Aragón\n- Segre\n\n1. Uno\n2. Dos\n\nPrimera línea  \nsegunda\n\n    código  x\n",
         "",
         {"P:Afluentes:", "P:- Aragón", "P:- Segre", "P:1. Uno", "P:2. Dos", "P:Primera línea", "P:segunda",
          "P:código  x"},
         {}},
        {"markdown: an HTML table inside is read as HTML",
         Formato::Markdown,
         "# Caudal\n\n<table><tr><th>Río</th><th>m³/s</th></tr><tr><td>Ebro</td><td>426</td></tr></table>\n",
         "Caudal",
         {"P:Río | m³/s", "P:Ebro | 426"},
         {{"tablas", 1}}},
        {"markdown: a table written with | keeps its rows, not the row of dashes",
         Formato::Markdown,
         "| Río | Longitud |\n|:---|---:|\n| Tajo | 1007 km |\n",
         "",
         {"P:| Río | Longitud |", "P:| Tajo | 1007 km |"},
         {{"tablas", 1}}},
        {"html: head title is a fall-back, h1 wins; entities, figure caption, script skipped",
         Formato::Html,
         "<!DOCTYPE html><html><head><title>Página</title><style>p{}</style></head><body><h1>Gu&iacute;a del "
         "Duero</h1><script>var a = '<p>no</p>';</script><p>El Duero &mdash; r&iacute;o\n  ib&eacute;rico.</p>"
         "<figure><img src=\"fotos/duero.jpeg\" alt=\"Arribes\"><figcaption>Los Arribes del "
         "Duero</figcaption></figure><p>Fin<br>de l&#237;nea</p><!-- <p>oculto</p> --></body></html>",
         "Guía del Duero",
         {"P:El Duero — río ibérico.", "I:fotos/duero.jpeg|Arribes|Los Arribes del Duero", "P:Fin", "P:de línea"},
         {}},
        {"html: no heading takes the page title; list items, links, a table row by row",
         Formato::Html,
         "<html><head><title>Ríos</title></head><body><ul><li>Tajo</li><li><a href=\"g.html\">Guadiana</a></li>"
         "</ul><table><tr><td>a</td><td>b</td></tr></table><p>&lt;b&gt; no es etiqueta</p></body></html>",
         "Ríos",
         {"P:- Tajo", "P:- Guadiana", "P:a | b", "P:<b> no es etiqueta"},
         {{"enlaces", 1}, {"tablas", 1}}},
        {"plain text: empty lines part paragraphs, lines of one paragraph join",
         Formato::Texto,
         "El Guadalquivir es navegable\r\nhasta Sevilla.\r\n\r\n\r\nSu nombre viene del árabe.\n",
         "",
         {"P:El Guadalquivir es navegable hasta Sevilla.", "P:Su nombre viene del árabe."},
         {}},
    };
    for (const CasoLectura& c : casos) {
        SCOPED_TRACE(c.nombre);
        const importar::Documento d = importar::leer(c.formato, c.texto);
        EXPECT_EQ(d.titulo, c.titulo);
        EXPECT_EQ(bloques(d), c.bloques);
        EXPECT_EQ(d.perdidas, c.perdidas);
    }
}

TEST(Lectores, WikiShapedHtmlKeepsTheReadingAndDropsTheMachinery) {
    struct Caso {
        const char* nombre;
        std::string html;
        std::vector<std::string> bloques;
    };
    const Caso casos[] = {
        {"sections, edit links, navigation and hidden text",
         "<h1>Año</h1><section><h2>Campaña<span class=\"mw-editsection\">[editar]</span></h2><p>Pingüino "
         "ñandú.</p><div role=\"navigation\" class=\"navbox\">Planetas: Marte</div><p style=\"display: "
         "none\">oculto</p><nav>menú</nav><p hidden>también</p></section>",
         {"P:Campaña", "P:Pingüino ñandú."}},
        {"references become marks and numbered notes at the end, the back links dropped",
         "<p>Ácido<sup class=\"mw-ref reference\" typeof=\"mw:Extension/ref\"><a href=\"./A#cite_note-b\">"
         "[9]</a></sup> y óxido<sup class=\"reference\"><a href=\"#cite_note-a\">[7]</a></sup>.</p>"
         "<ol class=\"mw-references references\"><li id=\"cite_note-a\"><span class=\"mw-cite-backlink\">"
         "↑</span> Segunda.</li><li id=\"cite_note-b\"><span class=\"mw-cite-backlink\">↑</span> "
         "Primera.</li></ol>",
         {"P:Ácido[1] y óxido[2].", "P:Notas", "P:1. Primera.", "P:2. Segunda."}},
        {"an infobox is rows, a cell's paragraphs and lists stay in its row",
         "<table class=\"infobox\"><caption>Júpiter</caption><tr><th>Lunas</th><td><p>95</p><p>conocidas"
         "</p></td></tr><tr><th>Anillos</th><td><ul><li>halo</li><li>gossamer</li></ul></td></tr></table>",
         {"P:Júpiter", "P:Lunas | 95 conocidas", "P:Anillos | halo gossamer"}},
        {"a figure with typeof and figcaption; a formula by its alternative text; icons are no pictures",
         "<p>Masa <span class=\"mwe-math-element\"><math style=\"display:none\">m</math><img "
         "class=\"mwe-math-fallback-image-inline\" src=\"f.svg\" alt=\"E=mc^2\"></span> <img "
         "src=\"bandera.png\" width=\"20\"></p><figure typeof=\"mw:File/Thumb\"><a href=\"./Archivo:X\">"
         "<img src=\"../I/Orión.webp\" alt=\"\"></a><figcaption>La constelación de Orión</figcaption></figure>",
         {"P:Masa E=mc^2", "I:../I/Orión.webp|La constelación de Orión|"}},
    };
    importar::OpcionesHtml wiki;
    wiki.soloFiguras = true;
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        EXPECT_EQ(bloques(importar::leerHtml(c.html, wiki)), c.bloques);
    }
    // Links are kept with their text, in order; a link within the page is none.
    const auto d = importar::leerHtml("<p><a href=\"./Sol\">Sol</a>, <a href=\"#x\">arriba</a> y <a "
                                      "href=\"./Sistema_Solar\">el  sistema\nsolar</a></p>");
    ASSERT_EQ(d.enlaces.size(), 2u);
    EXPECT_EQ(d.enlaces[0].texto, "Sol");
    EXPECT_EQ(d.enlaces[1].texto, "el sistema solar");
    EXPECT_EQ(d.enlaces[1].destino, "./Sistema_Solar");
    // Broken and deeply nested HTML still gives its text, and the walk stays bounded.
    std::string hondo;
    for (int i = 0; i < 5000; ++i) {
        hondo += "<div><span>";
    }
    EXPECT_EQ(bloques(importar::leerHtml("<p>uno</b></i> dos<p>tres" + hondo + "fin")).front(), "P:uno dos");
}

TEST(Codificacion, Windows1252AndUtf8AreTold) {
    struct Caso {
        std::string bytes;
        bool utf8;
        std::string texto;
    };
    const Caso casos[] = {
        {"Espa\xF1"
         "a, a\xF1o \x80",
         false, "España, año €"},
        {"España, año €", true, "España, año €"},
        {"\xEF\xBB\xBF"
         "canción",
         true, "canción"},
        {"\xC3", false, "Ã"}, // a cut sequence is no UTF-8
    };
    for (const Caso& c : casos) {
        bool utf8 = !c.utf8;
        EXPECT_EQ(importar::comoUtf8(c.bytes, &utf8), c.texto);
        EXPECT_EQ(utf8, c.utf8) << c.texto;
    }
    importar::Conversor a1252;
    EXPECT_EQ(a1252("Łódź → Kraków: 5 km² ≤ π"), "L\xF3"
                                                 "dz -> Krak\xF3w: 5 km\xB2 <= pi");
    EXPECT_EQ(a1252.reemplazos().size(), 5u); // Ł, ź, →, ≤, π
}

class Importacion : public prueba::ConUnidades {
protected:
    void SetUp() override {
        ConUnidades::SetUp();
        tomo_ = c() / "ENC" / "RIOS";
        escribir(tomo_ / "COMPLETA.DAT", "EBRO.TXT\r\n");
        escribir(tomo_ / "LISTAS.DAT", "");
        escribir(tomo_ / "EBRO.TXT", "<TIT>Ebro\r\nviejo\r\n");
        escribir(tomo_ / "IMG" / "delta.bmp", "BM");
        escribir(tomo_ / "IMG" / "delta.txt", "Delta viejo\r\n");
        fuentes_ = raiz_ / "textos";
        escribir(fuentes_ / "ebro.md", "# El río Ebro\n\nNace en Fontibre.\n\n![El delta](fotos/delta.png)\n\n"
                                       "Tiene [afluentes](https://x.es) → muchos.\n");
        escribir(fuentes_ / "fotos" / "delta.png", kPng);
        escribir(fuentes_ / "duero.html",
                 "<h1>Duero</h1><p>Cruza Castilla.</p><figure><img src=\"fotos/delta.png\" alt=\"El delta\">"
                 "<figcaption>Visto desde el aire</figcaption></figure><img src=\"https://x.es/a.png\">"
                 "<img src=\"falta.gif\">");
        escribir(fuentes_ / "tajo.txt", "El Tajo pasa por Toledo\r\ny por Lisboa.\r\n\r\n<b> negrita\r\n");
        escribir(fuentes_ / "notas.odt", "no es un texto");
    }

    std::string tomo() const { return "C:\\ENC\\RIOS"; }
    std::string bytes(const fs::path& p) const { return leer(p).value_or("<ninguno>"); }

    fs::path tomo_;
    fs::path fuentes_;
};

TEST_F(Importacion, AFolderOfMarkdownHtmlAndTextBecomesArticlesWithPicturesAndCaptions) {
    const auto antes = bytes(tomo_ / "COMPLETA.DAT");
    auto plan = importar::planear({fuentes_}, tomo());
    ASSERT_TRUE(plan) << plan.error().mensaje();
    // Planning writes nothing.
    EXPECT_EQ(bytes(tomo_ / "COMPLETA.DAT"), antes);
    EXPECT_FALSE(fs::exists(tomo_ / "EBRO_2.TXT"));
    ASSERT_EQ(plan->articulos.size(), 3u);
    EXPECT_EQ(plan->articulos[0].nombre, "DUERO.TXT");
    EXPECT_EQ(plan->articulos[1].nombre, "EBRO_2.TXT"); // EBRO.TXT is taken
    EXPECT_EQ(plan->articulos[2].nombre, "TAJO.TXT");
    const std::string descripcion = importar::describir(*plan);
    for (const char* debe : {"red", "Falta la imagen «falta.gif»", "1 enlace", "«→» se cambia por «->»", "«‹»"}) {
        EXPECT_NE(descripcion.find(debe), std::string::npos) << debe << "\n" << descripcion;
    }

    const importar::Informe informe = importar::ejecutar(*plan);
    ASSERT_FALSE(informe.error) << informe.error->mensaje();
    EXPECT_EQ(informe.importados, (std::vector<std::string>{"DUERO.TXT", "EBRO_2.TXT", "TAJO.TXT"}));
    EXPECT_EQ(bytes(tomo_ / "COMPLETA.DAT"), "EBRO.TXT\r\nDUERO.TXT\r\nEBRO_2.TXT\r\nTAJO.TXT\r\n");
    // The one picture both texts show is copied once, beside the old delta under a name of its own.
    EXPECT_EQ(bytes(tomo_ / "DUERO.TXT"), "<TIT>Duero\r\n<IMG>delta_2.png\r\nCruza Castilla.\r\n");
    EXPECT_EQ(bytes(tomo_ / "EBRO_2.TXT"), "<TIT>El r\xEDo Ebro\r\n<IMG>delta_2.png\r\nNace en Fontibre.\r\n/\r\n"
                                           "Tiene afluentes -> muchos.\r\n");
    EXPECT_EQ(bytes(tomo_ / "TAJO.TXT"), "<TIT>tajo\r\nEl Tajo pasa por Toledo y por Lisboa.\r\n/\r\n\x8b"
                                         "b> negrita\r\n");
    EXPECT_EQ(bytes(tomo_ / "IMG" / "delta_2.png"), kPng);
    EXPECT_EQ(bytes(tomo_ / "IMG" / "delta_2.txt"), "El delta\r\nVisto desde el aire\r\n");
    // What was there is untouched.
    EXPECT_EQ(bytes(tomo_ / "EBRO.TXT"), "<TIT>Ebro\r\nviejo\r\n");
    EXPECT_EQ(bytes(tomo_ / "IMG" / "delta.txt"), "Delta viejo\r\n");
    EXPECT_EQ(bytes(tomo_ / "LISTAS.DAT"), "");
    EXPECT_FALSE(fs::exists(tomo_ / "ULTIMO.DAT"));
}

TEST_F(Importacion, AFileThatAppearsMeanwhileStopsItAndTheArticleThatFailedLeavesNothing) {
    auto plan = importar::planear({fuentes_ / "tajo.txt", fuentes_ / "ebro.md"}, tomo());
    ASSERT_TRUE(plan);
    ASSERT_EQ(plan->articulos.size(), 2u);
    // Someone writes the second article's file between the preview and the acceptance.
    escribir(tomo_ / "EBRO_2.TXT", "ajeno\r\n");
    const importar::Informe informe = importar::ejecutar(*plan);
    ASSERT_TRUE(informe.error);
    EXPECT_EQ(informe.error->causa, store::Causa::YaExiste);
    EXPECT_EQ(informe.importados, std::vector<std::string>{"TAJO.TXT"});
    EXPECT_EQ(bytes(tomo_ / "COMPLETA.DAT"), "EBRO.TXT\r\nTAJO.TXT\r\n");
    EXPECT_EQ(bytes(tomo_ / "EBRO_2.TXT"), "ajeno\r\n");
    // Its picture and caption, written before the article failed, are taken back.
    EXPECT_FALSE(fs::exists(tomo_ / "IMG" / "delta_2.png"));
    EXPECT_FALSE(fs::exists(tomo_ / "IMG" / "delta_2.txt"));
    const std::string texto = importar::describir(informe, *plan);
    EXPECT_NE(texto.find("Se importó 1 artículo de 2. Importados: TAJO.TXT."), std::string::npos) << texto;
}

TEST_F(Importacion, PicturesOnlyFromInsideTheFolderGivenAndOnlyIfTheyArePictures) {
    const fs::path fuera = raiz_ / "fuera";
    escribir(fuera / "lejos.png", kPng);
    escribir(fuentes_ / "fotos" / "falsa.png", "esto no es una imagen, es texto");
    const std::string lejos = fs::absolute(fuera / "lejos.png").string();
    const std::string dentro = fs::absolute(fuentes_ / "fotos" / "delta.png").string();
    fs::create_directories(raiz_ / "solo");
    escribir(raiz_ / "solo" / "rutas.html", "<p>Rutas</p><img src=\"../fuera/lejos.png\"><img src=\"" + lejos +
                                                "\"><img src=\"file://" + lejos +
                                                "\"><img src=\"fotos/falsa.png\"><img src=\"file://" + dentro + "\">");
    // The text sits in "solo"; its pictures are looked for from there, and "textos" is another folder.
    fs::rename(raiz_ / "solo" / "rutas.html", fuentes_ / "rutas.html");
    auto plan = importar::planear({fuentes_ / "rutas.html"}, tomo());
    ASSERT_TRUE(plan);
    ASSERT_EQ(plan->articulos.size(), 1u);
    const auto& a = plan->articulos[0];
    ASSERT_EQ(a.ilustraciones.size(), 1u); // only the one inside, given by its file:// address
    EXPECT_EQ(a.ilustraciones[0].origen, fs::path(dentro));
    const std::string texto = importar::describir(*plan);
    for (const char* debe : {"«../fuera/lejos.png» sube fuera de la carpeta", "lejos.png» está fuera de la carpeta",
                             "«fotos/falsa.png» no se puede leer como imagen", dentro.c_str()}) {
        EXPECT_NE(texto.find(debe), std::string::npos) << debe << "\n" << texto;
    }
    // Another folder named by the author lets its pictures in, still never through "..".
    importar::Opciones opciones;
    opciones.carpetasImagenes = {fuera};
    plan = importar::planear({fuentes_ / "rutas.html"}, tomo(), opciones);
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->articulos[0].ilustraciones.size(), 2u); // lejos.png once (two spellings), delta.png
    // A binary file is no text to import.
    escribir(raiz_ / "foto.txt", std::string("\x89PNG\0\0\x01binario", 13));
    plan = importar::planear({raiz_ / "foto.txt"}, tomo());
    ASSERT_TRUE(plan);
    EXPECT_TRUE(plan->articulos.empty());
    ASSERT_EQ(plan->omitidos.size(), 1u);
    EXPECT_NE(plan->omitidos[0].find("no es un texto"), std::string::npos);
}

TEST_F(Importacion, NoEncyclopaediaNoPlan) {
    EXPECT_FALSE(importar::planear({fuentes_}, "C:\\ENC\\NADA"));
    fs::remove(tomo_ / "COMPLETA.DAT");
    EXPECT_FALSE(importar::planear({fuentes_}, tomo()));
}

} // namespace

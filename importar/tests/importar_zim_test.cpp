// Articles from ZIM files written here with libzim's writer, shaped as the large wikis publish their HTML, in
// Spanish with every accent and ñ: metadata, suggestions, search, choosing by titles, query and topic, the
// conversion with pictures, captions, notes and credits, and the files that are no ZIM or are cut short.

#include "importar/documento.h"
#include "importar/importacion.h"
#include "importar/tests/zim_prueba.h"
#include "importar/zim.h"

#include "importar/diccionario.h"

#include "store/codificacion.h"
#include "store/diccionario.h"
#include "store/tests/unidad_temporal.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

namespace fs = std::filesystem;
using importar::FuenteZim;
using importar::PaginaZim;

const std::string kPng("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01\0\0\0\x01\x08\x02\0\0\0\x90wS\xde", 33);

std::string pagina(const std::string& titulo, const std::string& cuerpo) {
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + titulo +
           "</title></head><body><h1 id=\"firstHeading\">" + titulo + "</h1>" + cuerpo + "</body></html>";
}

prueba::ArchivoZim solar(bool conLicencia) {
    prueba::ArchivoZim z;
    z.metadatos = {{"Name", "vikidia_es_solar"}, {"Title", "Vikidia en español"},
                   {"Language", "spa"},          {"Description", "Artículos para niños y niñas"},
                   {"Creator", "Vikidia"},       {"Publisher", "Kiwix"},
                   {"Date", "2024-05-01"}};
    if (conLicencia) {
        z.metadatos["License"] = "CC BY-SA 4.0";
    }
    z.entradas = {
        {"Sistema_Solar", "Sistema Solar", "text/html",
         pagina("Sistema Solar",
                "<section><p>El <a href=\"./Sol\" rel=\"mw:WikiLink\">Sol</a> y sus planetas: la <a "
                "href=\"Tierra\">Tierra</a>, <a href=\"./Jupiter\">Júpiter</a> y <a href=\"J%C3%BApiter\">el "
                "gigante</a>.<sup class=\"mw-ref reference\" typeof=\"mw:Extension/ref\"><a "
                "href=\"#cite_note-1\">[1]</a></sup> <a href=\"https://es.vikidia.org/\">Vikidia</a></p>"
                "<figure typeof=\"mw:File/Thumb\"><a href=\"./Archivo:Orbitas.png\"><img "
                "src=\"./I/Órbitas.png\" alt=\"\"></a><figcaption>Las órbitas de los planetas</figcaption>"
                "</figure><figure typeof=\"mw:File/Thumb\"><img src=\"I/falsa.png\"><figcaption>Rota"
                "</figcaption></figure><table class=\"navbox\"><tr><td><a href=\"./Plutón\">Plutón</a></td></tr>"
                "</table></section><section><h2>Notas<span class=\"mw-editsection\">editar</span></h2><ol "
                "class=\"mw-references references\"><li id=\"cite_note-1\"><span "
                "class=\"mw-cite-backlink\">↑</span> Según la Unión Astronómica.</li></ol></section>")},
        {"Sol", "Sol", "text/html",
         pagina("Sol", "<p>Estrella de tipo G. Ilumina la <a href=\"./Tierra\">Tierra</a>.</p>")},
        {"Tierra", "Tierra", "text/html",
         pagina("Tierra", "<table class=\"infobox\"><tr><th>Satélites</th><td>1</td></tr></table><p>Tiene una <a "
                          "href=\"./Luna\">Luna</a>; su año dura 365 días.</p>")},
        {"Luna", "Luna", "text/html", pagina("Luna", "<p>Satélite natural.</p>")},
        {"Júpiter", "Júpiter", "text/html",
         pagina("Júpiter", "<p>El mayor planeta; año, cañón, pingüino: ÁÉÍÓÚ áéíóú Ññ Üü ¿¡.</p>")},
        {"Plutón", "Plutón", "text/html", pagina("Plutón", "<p>Planeta enano.</p>")},
        {"Cigüeña", "Cigüeña", "text/html", pagina("Cigüeña", "<p>La cigüeña blanca anida en campanarios.</p>")},
        {"I/Órbitas.png", "", "image/png", kPng},
        {"I/falsa.png", "", "image/png", "esto es texto, no una imagen"},
    };
    z.redirecciones = {{"Jupiter", "Jupiter", "Júpiter"}};
    return z;
}

std::vector<std::string> titulos(const std::vector<PaginaZim>& p) {
    std::vector<std::string> r;
    for (const PaginaZim& x : p) {
        r.push_back(x.titulo);
    }
    return r;
}

std::vector<std::string> enlacesDe(const std::string& html) {
    std::vector<std::string> r;
    for (const importar::Enlace& e : importar::leerHtml(html).enlaces) {
        r.push_back(e.destino);
    }
    return r;
}

class ImportarZim : public prueba::ConUnidades {
protected:
    void SetUp() override {
        ConUnidades::SetUp();
        tomo_ = c() / "ENC" / "SOLAR";
        escribir(tomo_ / "COMPLETA.DAT", "SOL.TXT\r\n");
        escribir(tomo_ / "LISTAS.DAT", "");
        escribir(tomo_ / "SOL.TXT", "<TIT>Sol\r\nm\xEDo\r\n");
        escribir(tomo_ / "DESCRIP.DAT", "El Sistema Solar\r\nPara la clase de 5.\xBA\r\n");
        archivo_ = raiz_ / "solar.zim";
        prueba::escribirZim(archivo_.string(), solar(true));
    }

    std::unique_ptr<FuenteZim> abrir(const fs::path& p) {
        std::string error;
        auto f = FuenteZim::abrir(p, error);
        EXPECT_TRUE(f) << error;
        return f;
    }
    std::string bytes(const fs::path& p) const { return leer(p).value_or("<ninguno>"); }

    fs::path tomo_;
    fs::path archivo_;
};

TEST_F(ImportarZim, MetadataSuggestionsAndSearch) {
    const auto f = abrir(archivo_);
    ASSERT_TRUE(f);
    const importar::DatosZim& d = f->datos();
    EXPECT_EQ(d.nombre, "vikidia_es_solar");
    EXPECT_EQ(d.titulo, "Vikidia en español");
    EXPECT_EQ(d.idioma, "spa");
    EXPECT_EQ(d.descripcion, "Artículos para niños y niñas");
    EXPECT_EQ(d.licencia, "CC BY-SA 4.0");
    EXPECT_EQ(d.articulos, 8u); // the redirect is one
    EXPECT_TRUE(d.indiceCompleto);
    const auto sugeridas = titulos(f->sugerir("Jú", 10));
    EXPECT_NE(std::find(sugeridas.begin(), sugeridas.end(), "Júpiter"), sugeridas.end());
    const auto halladas = f->buscar("campanarios", 10);
    ASSERT_TRUE(halladas);
    EXPECT_EQ(titulos(*halladas), std::vector<std::string>{"Cigüeña"});
    // A redirect leads to its target; a picture is no article.
    EXPECT_EQ(f->articulo("Jupiter")->ruta, "Júpiter");
    EXPECT_FALSE(f->articulo("I/Órbitas.png"));
    EXPECT_EQ(FuenteZim::resolver("A/Sol", "../I/x%20y.png#a"), "I/x y.png");
    EXPECT_EQ(FuenteZim::resolver("Sol", "./Tierra"), "Tierra");
    EXPECT_FALSE(FuenteZim::resolver("Sol", "https://es.vikidia.org/wiki/Sol"));
    EXPECT_FALSE(FuenteZim::resolver("Sol", "#Historia"));
    EXPECT_EQ(importar::credito(d), "Fuente: Vikidia en español, de Vikidia, publicado por Kiwix, 2024-05-01 — "
                                    "licencia CC BY-SA 4.0");

    // Without an index only titles can choose, and the selection says so.
    auto sinIndice = solar(false);
    sinIndice.indice = false;
    prueba::escribirZim((raiz_ / "sin.zim").string(), sinIndice);
    const auto g = abrir(raiz_ / "sin.zim");
    ASSERT_TRUE(g);
    EXPECT_FALSE(g->datos().indiceCompleto);
    EXPECT_FALSE(g->buscar("campanarios", 10));
    importar::SeleccionZim s;
    s.consulta = "campanarios";
    s.titulos = {"Luna"};
    const auto r = importar::seleccionar(*g, s, enlacesDe);
    EXPECT_EQ(titulos(r.paginas), std::vector<std::string>{"Luna"});
    ASSERT_EQ(r.avisos.size(), 1u);
    EXPECT_NE(r.avisos[0].find("no tiene índice de texto completo"), std::string::npos);
    EXPECT_EQ(importar::credito(g->datos()).substr(importar::credito(g->datos()).rfind("—")),
              "— licencia no indicada en el archivo");
}

TEST_F(ImportarZim, SelectionByTitlesQueryAndTopicNeverTwiceMinusExclusions) {
    const auto f = abrir(archivo_);
    ASSERT_TRUE(f);
    struct Caso {
        const char* nombre;
        importar::SeleccionZim seleccion;
        std::vector<std::string> titulos;
    };
    const auto tema = [](int profundidad, std::size_t maximo, std::vector<std::string> excluir = {}) {
        importar::SeleccionZim s;
        s.temas = {"Sistema Solar"};
        s.profundidad = profundidad;
        s.maximoTema = maximo;
        s.excluir = std::move(excluir);
        return s;
    };
    importar::SeleccionZim porTitulos;
    porTitulos.titulos = {"Jupiter", "Júpiter", "Sol", "Nadie"};
    porTitulos.consulta = "cigüeña";
    const Caso casos[] = {
        {"titles, a redirect to one already chosen, a missing one, then the query",
         porTitulos,
         {"Júpiter", "Sol", "Cigüeña"}},
        // Navigation boxes are no links to follow: Plutón is only there.
        {"a topic one link deep, the redirect and the direct link one article",
         tema(1, 500),
         {"Sistema Solar", "Sol", "Tierra", "Júpiter"}},
        {"two links deep", tema(2, 500), {"Sistema Solar", "Sol", "Tierra", "Júpiter", "Luna"}},
        {"the count cuts what is farthest", tema(2, 3), {"Sistema Solar", "Sol", "Tierra"}},
        {"an excluded title is not followed either", tema(2, 500, {"tierra"}), {"Sistema Solar", "Sol", "Júpiter"}},
        {"a word excludes the titles holding it", tema(2, 500, {"SOLAR"}), {}},
        {"an exclusion typed without its accent, as the search folds it",
         tema(2, 500, {"JUPITER"}),
         {"Sistema Solar", "Sol", "Tierra", "Luna"}},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        EXPECT_EQ(titulos(importar::seleccionar(*f, c.seleccion, enlacesDe).paginas), c.titulos);
    }
    const auto r = importar::seleccionar(*f, porTitulos, enlacesDe);
    ASSERT_EQ(r.avisos.size(), 1u);
    EXPECT_NE(r.avisos[0].find("«Nadie»"), std::string::npos);
}

TEST_F(ImportarZim, ArticlesWithFiguresCaptionsNotesAndCreditsAndTheDescriptionCredited) {
    const auto f = abrir(archivo_);
    ASSERT_TRUE(f);
    const std::vector<PaginaZim> paginas = {*f->articulo("Sistema Solar"), *f->articulo("Sol"),
                                            *f->articulo("Júpiter")};
    const auto antes = bytes(tomo_ / "COMPLETA.DAT");
    escribir(tomo_ / "DICT.DAT", "SOL  estrella\r\n");
    importar::Opciones opciones;
    // The whole selection in one list; a second list asked under the same name (letter case aside) adds
    // nothing twice; a list of part of the selection gets only the entries named, in their order.
    opciones.listas = {
        {"Planetas y más", {}}, {"PLANETAS Y MÁS", {"Sol"}}, {"Gigantes", {"Júpiter", "Nadie", "Sistema_Solar"}}};
    auto plan = importar::planearZim(*f, paginas, "C:\\ENC\\SOLAR", opciones);
    ASSERT_TRUE(plan) << plan.error().mensaje();
    EXPECT_EQ(bytes(tomo_ / "COMPLETA.DAT"), antes); // the plan writes nothing
    EXPECT_EQ(bytes(tomo_ / "DICT.DAT"), "SOL  estrella\r\n");
    const std::string texto = importar::describir(*plan);
    for (const char* debe : {"SISTEMA SOLAR.TXT: «Sistema Solar» (de la entrada Sistema_Solar)",
                             "ilustración Órbitas.png: «Las órbitas de los planetas» (de la entrada I/Órbitas.png",
                             "«I/falsa.png» no se puede leer como imagen", "SOL_2.TXT"}) {
        EXPECT_NE(texto.find(debe), std::string::npos) << debe << "\n" << texto;
    }
    const importar::Informe informe = importar::ejecutar(*plan);
    ASSERT_FALSE(informe.error) << informe.error->mensaje();
    EXPECT_EQ(bytes(tomo_ / "COMPLETA.DAT"), "SOL.TXT\r\nSISTEMA SOLAR.TXT\r\nSOL_2.TXT\r\nJ\xDAPITER.TXT\r\n");
    const std::string credito = "Fuente: Vikidia en espa\xF1ol, de Vikidia, publicado por Kiwix, 2024-05-01 \x97 "
                                "licencia CC BY-SA 4.0";
    EXPECT_EQ(bytes(tomo_ / "SISTEMA SOLAR.TXT"),
              "<TIT>Sistema Solar\r\n<IMG>\xD3rbitas.png\r\nEl Sol y sus planetas: la Tierra, J\xFApiter y el "
              "gigante.[1] Vikidia\r\n/\r\nNotas\r\n/\r\n1. Seg\xFAn la Uni\xF3n Astron\xF3mica.\r\n/\r\n" +
                  credito + "\r\n");
    EXPECT_EQ(bytes(tomo_ / "JÚPITER.TXT"),
              "<TIT>J\xFA"
              "piter\r\nEl mayor planeta; a\xF1o, ca\xF1\xF3n, ping\xFCino: \xC1\xC9\xCD\xD3\xDA "
              "\xE1\xE9\xED\xF3\xFA \xD1\xF1 \xDC\xFC \xBF\xA1.\r\n/\r\n" +
                  credito + "\r\n");
    EXPECT_EQ(bytes(tomo_ / "IMG" / "Órbitas.png"), kPng);
    EXPECT_EQ(bytes(tomo_ / "IMG" / "Órbitas.txt"), "Las \xF3rbitas de los planetas\r\n");
    EXPECT_EQ(bytes(tomo_ / "SOL.TXT"), "<TIT>Sol\r\nm\xEDo\r\n"); // the author's article is untouched
    // "Sol" is taken by the author's entry; "Júpiter", through its redirect, becomes one. "Tierra" was not imported.
    EXPECT_EQ(bytes(tomo_ / "DICT.DAT"), "J\xDA"
                                         "PITER  /J\xDA"
                                         "PITER.TXT\r\nSOL  estrella\r\n");
    EXPECT_EQ(bytes(tomo_ / "LISTAS.DAT"), "Planetas y m\xE1s\r\nGigantes\r\n");
    EXPECT_EQ(bytes(tomo_ / "Gigantes.dat"), "J\xDAPITER.TXT\r\nSISTEMA SOLAR.TXT\r\n");
    EXPECT_EQ(bytes(tomo_ / "Planetas y más.dat"), "SISTEMA SOLAR.TXT\r\nSOL_2.TXT\r\nJ\xDA"
                                                   "PITER.TXT\r\n");
    EXPECT_EQ(bytes(tomo_ / "DESCRIP.DAT"), "El Sistema Solar\r\nPara la clase de 5.\xBA Contiene art\xED"
                                            "culos de " +
                                                credito.substr(8) + ".\r\n");
}

TEST_F(ImportarZim, ANewerFileReplacesWhatTheAuthorLeftKeepsWhatTheAuthorChangedAndAddsWhatIsNew) {
    const auto importarTema = [&](const fs::path& archivo) {
        const auto f = abrir(archivo);
        importar::SeleccionZim s;
        s.temas = {"Sistema Solar"};
        s.profundidad = 1;
        const auto elegidas = importar::seleccionar(*f, s, enlacesDe);
        auto plan = importar::planearZim(*f, elegidas.paginas, "C:\\ENC\\SOLAR");
        EXPECT_TRUE(plan);
        const importar::Informe informe = importar::ejecutar(*plan);
        EXPECT_FALSE(informe.error) << informe.error->mensaje();
        return importar::describir(*plan);
    };
    importarTema(archivo_);
    EXPECT_EQ(bytes(tomo_ / "COMPLETA.DAT"), "SOL.TXT\r\nSISTEMA SOLAR.TXT\r\nSOL_2.TXT\r\nTIERRA.TXT\r\nJ\xDA"
                                             "PITER.TXT\r\n");
    EXPECT_NE(bytes(tomo_ / "IMPORTADOS.REG").find("A\tTIERRA.TXT\tvikidia_es_solar\tTierra\t"), std::string::npos);
    // The author corrects one article.
    escribir(tomo_ / "TIERRA.TXT", "<TIT>Tierra\r\nNuestro planeta, corregido en clase.\r\n");

    // A newer edition, elsewhere: the same Name, every article rewritten, one more planet linked.
    auto nueva = solar(true);
    for (auto& e : nueva.entradas) {
        if (e.tipo == "text/html") {
            e.bytes = pagina(e.titulo, "<p>Edición de 2025 de " + e.titulo + ".</p>" +
                                           (e.ruta == "Sistema_Solar" ? "<p><a href=\"Sol\">Sol</a> <a href=\"Tierra\">"
                                                                        "Tierra</a> <a href=\"Marte\">Marte</a></p>"
                                                                        "<figure><img src=\"I/Órbitas.png\"></figure>"
                                                                      : ""));
        }
    }
    nueva.entradas.push_back({"Marte", "Marte", "text/html", pagina("Marte", "<p>El planeta rojo.</p>")});
    fs::create_directories(raiz_ / "nuevo");
    prueba::escribirZim((raiz_ / "nuevo" / "solar-2025.zim").string(), nueva);
    const std::string plan = importarTema(raiz_ / "nuevo" / "solar-2025.zim");
    EXPECT_NE(plan.find("se conserva: TIERRA.TXT: «Tierra» cambió desde que se importó"), std::string::npos) << plan;

    // Replaced in place, never listed twice; the author's article kept; the new one added; nothing deleted.
    EXPECT_EQ(bytes(tomo_ / "COMPLETA.DAT"), "SOL.TXT\r\nSISTEMA SOLAR.TXT\r\nSOL_2.TXT\r\nTIERRA.TXT\r\nJ\xDA"
                                             "PITER.TXT\r\nMARTE.TXT\r\n");
    EXPECT_NE(bytes(tomo_ / "SISTEMA SOLAR.TXT").find("Edici\xF3n de 2025 de Sistema Solar."), std::string::npos);
    EXPECT_NE(bytes(tomo_ / "SISTEMA SOLAR.TXT").find("<IMG>\xD3rbitas.png"), std::string::npos);
    EXPECT_FALSE(fs::exists(tomo_ / "IMG" / "Órbitas_2.png")); // the picture imported before is kept, not copied
    EXPECT_NE(bytes(tomo_ / "SOL_2.TXT").find("Edici\xF3n de 2025 de Sol."), std::string::npos);
    EXPECT_EQ(bytes(tomo_ / "TIERRA.TXT"), "<TIT>Tierra\r\nNuestro planeta, corregido en clase.\r\n");
    EXPECT_NE(bytes(tomo_ / "JÚPITER.TXT").find("El mayor planeta"), std::string::npos); // no longer reached, kept
    EXPECT_NE(bytes(tomo_ / "MARTE.TXT").find("El planeta rojo."), std::string::npos);
    EXPECT_EQ(bytes(tomo_ / "SOL.TXT"), "<TIT>Sol\r\nm\xEDo\r\n");
}

// An import stopped between writing an article and listing it, or between recording it and listing it: run again,
// it finishes the job and never leaves a second copy.
TEST_F(ImportarZim, AnImportStoppedMidwayRunAgainLeavesNoSecondCopy) {
    const auto importarTema = [&] {
        const auto f = abrir(archivo_);
        importar::SeleccionZim s;
        s.temas = {"Sistema Solar"};
        s.profundidad = 1;
        auto plan = importar::planearZim(*f, importar::seleccionar(*f, s, enlacesDe).paginas, "C:\\ENC\\SOLAR");
        ASSERT_TRUE(plan);
        const importar::Informe informe = importar::ejecutar(*plan);
        ASSERT_FALSE(informe.error) << informe.error->mensaje();
    };
    importarTema();
    const std::string completa = bytes(tomo_ / "COMPLETA.DAT");
    const std::string registro = bytes(tomo_ / "IMPORTADOS.REG");
    const std::string tierra = bytes(tomo_ / "TIERRA.TXT");
    const auto sin = [](std::string texto, const std::string& linea) {
        const std::size_t donde = texto.find(linea);
        return donde == std::string::npos ? texto : texto.erase(donde, texto.find("\r\n", donde) + 2 - donde);
    };
    // Stopped after TIERRA.TXT was written: neither recorded nor listed. Then stopped after JÚPITER.TXT was
    // recorded, before it was listed.
    escribir(tomo_ / "COMPLETA.DAT", sin(sin(completa, "TIERRA.TXT"), "J\xDAPITER.TXT"));
    escribir(tomo_ / "IMPORTADOS.REG", sin(registro, "A\tTIERRA.TXT\t"));
    importarTema();
    EXPECT_EQ(bytes(tomo_ / "COMPLETA.DAT"),
              sin(sin(completa, "TIERRA.TXT"), "J\xDAPITER.TXT") + "TIERRA.TXT\r\nJ\xDAPITER.TXT\r\n");
    EXPECT_FALSE(fs::exists(tomo_ / "TIERRA_2.TXT"));
    EXPECT_FALSE(fs::exists(tomo_ / "JÚPITER_2.TXT"));
    EXPECT_EQ(bytes(tomo_ / "TIERRA.TXT"), tierra);
    EXPECT_NE(bytes(tomo_ / "IMPORTADOS.REG").find("A\tTIERRA.TXT\t"), std::string::npos);

    // An unlisted file of the author's own under that name is no leftover: it is kept, and the article goes beside it.
    escribir(tomo_ / "COMPLETA.DAT", sin(bytes(tomo_ / "COMPLETA.DAT"), "TIERRA.TXT"));
    escribir(tomo_ / "IMPORTADOS.REG", sin(bytes(tomo_ / "IMPORTADOS.REG"), "A\tTIERRA.TXT\t"));
    escribir(tomo_ / "TIERRA.TXT", "<TIT>Tierra\r\nMis notas.\r\n");
    importarTema();
    EXPECT_EQ(bytes(tomo_ / "TIERRA.TXT"), "<TIT>Tierra\r\nMis notas.\r\n");
    EXPECT_NE(bytes(tomo_ / "TIERRA_2.TXT").find("<TIT>Tierra"), std::string::npos);
}

TEST_F(ImportarZim, TitlesTheStoreCannotNameGetNamesItCanAndBrokenHtmlStillReads) {
    prueba::ArchivoZim z;
    z.metadatos = {{"Name", "raros_es"}, {"Title", "Raros"}};
    const std::pair<const char*, const char*> casos[] = {
        {"Αθήνα", "_THETA__ALFA.TXT"},                     // Greek, spelled as Windows-1252 can
        {"CON", "CON_.TXT"},                               // a device name of Windows
        {"Año 1/2: ¿qué? <sí>", "AÑO 1_2_ ¿QUÉ_ _SÍ.TXT"}, // characters no file name holds
        {"Capítulo 1. Inicio.", "CAPÍTULO 1_ INICIO.TXT"}, // one dot only, the extension's
    };
    for (const auto& [titulo, nombre] : casos) {
        z.entradas.push_back({titulo, titulo, "text/html", "<p>Texto sin cerrar <b><i>de " + std::string(titulo)});
    }
    prueba::escribirZim((raiz_ / "raros.zim").string(), z);
    const auto f = abrir(raiz_ / "raros.zim");
    ASSERT_TRUE(f);
    std::vector<PaginaZim> paginas;
    for (const auto& c : casos) {
        paginas.push_back(*f->articulo(c.first));
    }
    auto plan = importar::planearZim(*f, paginas, "C:\\ENC\\SOLAR");
    ASSERT_TRUE(plan);
    ASSERT_FALSE(importar::ejecutar(*plan).error);
    for (const auto& [titulo, nombre] : casos) {
        SCOPED_TRACE(titulo);
        EXPECT_NE(bytes(tomo_ / nombre).find("Texto sin cerrar de "), std::string::npos) << bytes(tomo_ / nombre);
    }
}

TEST(Diccionario, ReferencesHideNoHeadwordAndEachWordFindsItsOwn) {
    // Not all in order, as authors leave them: a look-up takes the first line that begins with the word.
    store::Lineas dict;
    for (const char* l : {"ASTRO  cuerpo celeste", "SO  nota musical", "SOLAR  del Sol", "SOL  estrella",
                          "TIERRA  /TIERRA.TXT", "", "LUNA  sat\xE9lite"}) {
        dict.push_back(l);
    }
    const std::vector<importar::Referencia> refs = {
        {"Sol", "SOL_2.TXT"}, {"Tierra", "T2.TXT"}, {"Ast", "AST.TXT"},     {"Sola", "SOLA.TXT"},  {"Sole", "SOLE.TXT"},
        {"S", "S.TXT"},       {"Lu", "LU.TXT"},     {"Zorro", "ZORRO.TXT"}, {"\xC1rbol", "A.TXT"}, {"Sole", "OTRA.TXT"},
    };
    const importar::Colocacion c = importar::colocarReferencias(dict, refs);
    // Every headword that was there finds what it found.
    for (const std::string_view l : dict) {
        const std::string palabra = store::aMayusculas(l.substr(0, l.find(' ')));
        if (!palabra.empty()) {
            EXPECT_EQ(store::buscarEnLineas(c.lineas, palabra), store::buscarEnLineas(dict, palabra)) << palabra;
        }
    }
    // Each entry placed is found by its word; the others would have been hidden by an older line.
    std::vector<std::string> puestas;
    for (const importar::Referencia& r : c.puestas) {
        puestas.push_back(r.palabra);
        EXPECT_EQ(store::buscarEnLineas(c.lineas, store::aMayusculas(r.palabra)), "/" + r.articulo) << r.palabra;
    }
    EXPECT_EQ(puestas, (std::vector<std::string>{"Ast", "Sole", "S", "Lu", "Zorro", "\xC1rbol"}));
    EXPECT_EQ(c.omitidas.size(), refs.size() - puestas.size());
}

TEST_F(ImportarZim, FilesThatAreNoZimOrAreCutShortAreRefusedByName) {
    std::string todo = bytes(archivo_);
    escribir(raiz_ / "texto.zim", "No soy un ZIM, solo un texto.\n");
    escribir(raiz_ / "cortado.zim", todo.substr(0, todo.size() / 2));
    escribir(raiz_ / "cabecera.zim", todo.substr(0, 40));
    struct Caso {
        const char* archivo;
        const char* dice;
    };
    const Caso casos[] = {{"texto.zim", "no es un archivo ZIM"},
                          {"cortado.zim", "está cortado o dañado"},
                          {"cabecera.zim", "está cortado o dañado"},
                          {"falta.zim", "no existe"}};
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.archivo);
        std::string error;
        EXPECT_FALSE(FuenteZim::abrir(raiz_ / c.archivo, error));
        EXPECT_NE(error.find(c.dice), std::string::npos) << error;
        EXPECT_NE(error.find(c.archivo), std::string::npos) << error;
    }
}

} // namespace

// Articles rendered as pages: the body's paragraphs and breaks, escaping, the illustrations with their captions
// and warnings, and the colours.

#include "render/render.h"

#include "store/articulo.h"
#include "store/codificacion.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The inside of <div class="cuerpo"> of a page.
std::string cuerpo(const std::string& xhtml) {
    const std::string abre = "<div class=\"cuerpo\">";
    const auto desde = xhtml.find(abre);
    if (desde == std::string::npos) {
        return "(sin cuerpo)";
    }
    const auto hasta = xhtml.find("</div>", desde);
    return xhtml.substr(desde + abre.size(), hasta - desde - abre.size());
}

// The text a reader gets back from the paragraphs: "\n" for <br/>, "\n\n" between paragraphs.
std::string textoDeParrafos(std::string x) {
    std::string s;
    for (std::size_t i = 0; i < x.size();) {
        const auto es = [&](const char* m) {
            const std::size_t n = std::char_traits<char>::length(m);
            if (x.compare(i, n, m) == 0) {
                i += n;
                return true;
            }
            return false;
        };
        if (es("</p><p>")) {
            s += "\n\n";
        } else if (es("<br/>")) {
            s += "\n";
        } else if (es("<p>") || es("</p>")) {
        } else if (es("&amp;")) {
            s += "&";
        } else if (es("&lt;")) {
            s += "<";
        } else if (es("&gt;")) {
            s += ">";
        } else if (es("&quot;")) {
            s += "\"";
        } else if (es("&#39;")) {
            s += "'";
        } else {
            s += x[i++];
        }
    }
    return s;
}

// The viewer's text for a body as the store assembles it: CR LF shown as one new line.
std::string textoDelVisor(const std::string& cuerpoStore) {
    std::string s;
    for (std::size_t i = 0; i < cuerpoStore.size(); ++i) {
        if (cuerpoStore[i] == '\r' && i + 1 < cuerpoStore.size() && cuerpoStore[i + 1] == '\n') {
            continue;
        }
        s += cuerpoStore[i];
    }
    return store::cp1252AUtf8(s);
}

class Enciclopedia : public ::testing::Test {
protected:
    void SetUp() override {
        std::string plantilla = (fs::temp_directory_path() / "lumbre-render-XXXXXX").string();
        ASSERT_NE(::mkdtemp(plantilla.data()), nullptr);
        dir_ = plantilla;
        fs::create_directories(dir_ / "IMG");
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    void poner(const std::string& relativa, const std::string& bytes) {
        fs::create_directories((dir_ / relativa).parent_path());
        std::ofstream f(dir_ / relativa, std::ios::binary);
        f << bytes;
    }
    std::string dir() const { return dir_.string(); }
    fs::path dir_;
};

TEST(Parrafos, BreaksAndParagraphsFollowTheViewersAssembly) {
    struct Caso {
        const char* articulo; // article bytes (Windows-1252)
        const char* esperado; // the inside of the body's division
    };
    const Caso casos[] = {
        {"", ""},
        {"<TIT>Solo t\xEDtulo\r\n", ""},
        {"Uno\r\n\r\nDos\r\n", "<p>UnoDos</p>"}, // an empty line adds nothing
        {"Era un d\xED"
         "a\r\n de sol\r\n",
         "<p>Era un d\xC3\xAD"
         "a de sol</p>"},
        {"Uno\r\n  /  \r\nDos", "<p>Uno<br/>Dos</p>"},      // a break line with spaces around
        {"A\r\n/\r\n/\r\nB", "<p>A</p><p>B</p>"},           // two breaks: a new paragraph
        {"A\r\n/\r\n/\r\n/\r\nB", "<p>A</p><p><br/>B</p>"}, // three: one more line
        {"A\r\n/\r\n/\r\n/\r\n/\r\nB", "<p>A</p><p></p><p>B</p>"},
        {"/\r\nA", "<p><br/>A</p>"},                      // a body that starts with a break
        {"A\r\n/", "<p>A<br/></p>"},                      // and one that ends with one
        {"A\nB", "<p>A<br/>B</p>"},                       // a lone LF stays inside its line, shown as a new line
        {"<B>negrita\r\ntexto\r\n<\r\n", "<p>texto</p>"}, // other tag lines are dropped
        {"  dos  espacios ", "<p>  dos  espacios </p>"},  // spaces as typed
        {"a < b & c > \"d\" 'e'", "<p>a &lt; b &amp; c &gt; &quot;d&quot; &#39;e&#39;</p>"},
        {"x\x01y\x81z\x7F\t.", "<p>x\xEF\xBF\xBDy\xEF\xBF\xBDz\xEF\xBF\xBD\t.</p>"},
        {"\x80 \x93"
         "comillas\x94 \xF1\xD1",
         "<p>\xE2\x82\xAC \xE2\x80\x9C"
         "comillas\xE2\x80\x9D \xC3\xB1\xC3\x91</p>"},
        {"<img>x.png\r\ntexto<tit>no es t\xEDtulo", "<p>texto&lt;tit&gt;no es t\xC3\xADtulo</p>"},
    };
    for (const Caso& c : casos) {
        const render::Pagina p = render::renderizarBytes("/nada", "A.TXT", c.articulo, {});
        EXPECT_EQ(cuerpo(p.xhtml), c.esperado) << c.articulo;
    }
}

TEST(Parrafos, TheTextReadBackIsTheViewersTextForAnyMixOfLines) {
    // Bodies made of every kind of line in random order: the page's paragraphs must give back exactly the text
    // the viewer assembles with the store's own reading.
    const std::vector<std::string> piezas = {"/", " / ", "", "  ", "a", " b ", "<x>", "<TIT>t", "c\nd", "\xF1", "&"};
    std::mt19937 azar(16);
    for (int vuelta = 0; vuelta < 2000; ++vuelta) {
        std::string articulo;
        const int n = static_cast<int>(azar() % 12);
        for (int i = 0; i < n; ++i) {
            articulo += piezas[azar() % piezas.size()];
            articulo += "\r\n";
        }
        std::string cuerpoStore;
        store::analizarArticulo(articulo, [&](std::string_view pieza) { cuerpoStore += pieza; });
        const render::Pagina p = render::renderizarBytes("/nada", "A.TXT", articulo, {});
        ASSERT_EQ(textoDeParrafos(cuerpo(p.xhtml)), textoDelVisor(cuerpoStore)) << articulo;
    }
}

TEST(Colores, EachValueIsReadAsTheViewerReadsIt) {
    const std::map<std::int32_t, std::string> casos = {
        {8427423, "#9F9780"}, {0, "#000000"},  {16777215, "#FFFFFF"}, {255, "#FF0000"},    {65280, "#00FF00"},
        {77055, "#FF2C01"},   {-1, "#000000"}, {16777216, "#000000"}, {-65536, "#000000"}, {2147483647, "#FFFFFF"},
    };
    for (const auto& [valor, css] : casos) {
        EXPECT_EQ(render::colorCss(valor), css) << valor;
    }
    store::Esquema esquema = store::kEsquemaPredeterminado;
    esquema[0] = 255;      // title strip background
    esquema[9] = 16711680; // caption text
    const std::string hoja = render::estiloDeColores(esquema);
    EXPECT_NE(hoja.find(".titulo{background:#FF0000;"), std::string::npos);
    EXPECT_NE(hoja.find(".epigrafe{background:#000000;color:#0000FF;"), std::string::npos);
}

TEST_F(Enciclopedia, IllustrationsInOrderWithTheirCaptionsAndEachProblemToldOnce) {
    poner("SOL.TXT", "<TIT>El <Sol>\r\n<IMG>sol.bmp\r\n<IMG>FALTA.PNG\r\n<IMG>x\r\n<IMG>..\\fuera.png\r\n"
                     "<IMG>FALTA.PNG\r\n<CST>costado.png\r\nTexto.\r\n");
    poner("IMG/sol.bmp", "BM");
    poner("IMG/SOL.txt", "Sol & luz\r\nPrimera\r\n/\r\n<segunda>\r\n");
    poner("IMG/costado.png", "PNG");

    std::vector<std::string> pedidas;
    render::Opciones o;
    o.enciclopedia = "Astronom\xC3\xAD"
                     "a";
    o.imagen = [&](const render::Imagen& i) -> std::optional<std::string> {
        pedidas.push_back(i.ruta);
        if (i.nombre == "FALTA.PNG") {
            return std::nullopt;
        }
        return "img/" + i.nombre + "?a=1&b=2";
    };
    const auto p = render::renderizarArticulo(dir(), "SOL.TXT", o);
    ASSERT_TRUE(p.ok());
    const std::string& x = p->xhtml;
    EXPECT_EQ(p->titulo, "El <Sol>");
    EXPECT_NE(x.find("<title>El &lt;Sol&gt; \xE2\x80\x94 Astronom\xC3\xAD"
                     "a</title>"),
              std::string::npos);
    EXPECT_NE(x.find("<h1>El &lt;Sol&gt;</h1>"), std::string::npos);

    // The figures in file order, the picture named as the container says, the caption by the body rule.
    const auto f1 = x.find("id=\"ilustracion-1\"");
    const auto f2 = x.find("id=\"ilustracion-2\"");
    const auto f5 = x.find("id=\"ilustracion-5\"");
    ASSERT_NE(f1, std::string::npos);
    EXPECT_LT(f1, f2);
    EXPECT_LT(f2, f5);
    EXPECT_NE(x.find("<img src=\"img/sol.bmp?a=1&amp;b=2\" alt=\"Sol &amp; luz\"/><figcaption><div "
                     "class=\"titulo-imagen\">Sol &amp; luz</div><div class=\"epigrafe\"><p>Primera<br/>&lt;segunda&gt;"
                     "</p></div>"),
              std::string::npos);
    EXPECT_NE(x.find("<div class=\"imagen-no-disponible\">FALTA.PNG</div><figcaption><div class=\"titulo-imagen\">"
                     "Imagen no disponible</div>"),
              std::string::npos);
    EXPECT_NE(x.find("<div class=\"costado\"><img src=\"img/costado.png?a=1&amp;b=2\" alt=\"\"/></div>"),
              std::string::npos);
    EXPECT_NE(x.find("<a href=\"#ilustracion-4\">..\\fuera.png</a>"), std::string::npos);

    // An unsafe name is never asked for; the missing picture is asked for each time it is shown.
    for (const std::string& r : pedidas) {
        EXPECT_EQ(r.find("fuera"), std::string::npos);
    }
    std::map<render::Aviso::Tipo, int> cuantos;
    for (const auto& a : p->avisos) {
        ++cuantos[a.tipo];
        EXPECT_FALSE(a.mensaje.empty());
    }
    EXPECT_EQ(cuantos[render::Aviso::Tipo::ImagenFaltante], 1);   // FALTA.PNG, twice in the article
    EXPECT_EQ(cuantos[render::Aviso::Tipo::EpigrafeFaltante], 2); // FALTA.TXT missing, "x" too short
    EXPECT_EQ(cuantos[render::Aviso::Tipo::NombreNoValido], 1);
    EXPECT_EQ(cuantos[render::Aviso::Tipo::BytesNoValidos], 0);
}

TEST_F(Enciclopedia, OptionsShapeTheDocument) {
    poner("A.TXT", "<TIT>T\x01tulo\r\n<IMG>a.png\r\n<CST>c.png\r\nTexto\r\n");
    struct Caso {
        const char* que;
        render::Opciones opciones;
        std::vector<const char*> hay;
        std::vector<const char*> falta;
    };
    render::Opciones fragmento;
    fragmento.documentoCompleto = false;
    fragmento.prefijoId = "a7-";
    fragmento.costado = false;
    fragmento.esquema = false;
    render::Opciones libro;
    libro.declaracionXml = true;
    libro.hojaDeEstilo = "../estilo.css";
    libro.cabeza = "<meta name=\"x\"/>";
    libro.antes = "<nav>antes</nav>";
    libro.despues = "<footer>despu\xC3\xA9s</footer>";
    const Caso casos[] = {
        {"predeterminado",
         {},
         {"<!DOCTYPE html>", "<style>", "lang=\"es\"", "<title>T\xEF\xBF\xBDtulo</title>"},
         {"<?xml", "<link"}},
        {"fragmento",
         fragmento,
         {"<article", "id=\"a7-ilustracion-1\""},
         {"<html", "<!DOCTYPE", "costado", "class=\"esquema\""}},
        {"libro",
         libro,
         {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>",
          "<link rel=\"stylesheet\" href=\"../estilo.css\"/>", "<meta name=\"x\"/></head>",
          "<body>\n<nav>antes</nav><article", "</article>\n<footer>despu\xC3\xA9s</footer></body>"},
         {"<style>"}},
    };
    for (const Caso& c : casos) {
        const auto p = render::renderizarArticulo(dir(), "A.TXT", c.opciones);
        ASSERT_TRUE(p.ok()) << c.que;
        for (const char* h : c.hay) {
            EXPECT_NE(p->xhtml.find(h), std::string::npos) << c.que << ": " << h;
        }
        for (const char* f : c.falta) {
            EXPECT_EQ(p->xhtml.find(f), std::string::npos) << c.que << ": " << f;
        }
        // A control byte in the title is replaced and told once.
        int bytes = 0;
        for (const auto& a : p->avisos) {
            bytes += a.tipo == render::Aviso::Tipo::BytesNoValidos;
        }
        EXPECT_EQ(bytes, 1) << c.que;
    }
}

TEST_F(Enciclopedia, AnArticleThatCannotBeReadIsAnErrorNamingIt) {
    fs::create_directories(dir_ / "DIR.TXT");
    fs::create_symlink("/etc/passwd", dir_ / "ENLACE.TXT");
    for (const char* nombre : {"NOEXISTE.TXT", "DIR.TXT", "ENLACE.TXT", "..\\SALIR.TXT", ""}) {
        const auto p = render::renderizarArticulo(dir(), nombre, {});
        ASSERT_FALSE(p.ok()) << nombre;
        EXPECT_NE(p.error().ruta.find(nombre), std::string::npos) << nombre;
    }
}

} // namespace

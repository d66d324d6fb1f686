// The sample encyclopaedias, installed by tools/instalar-muestras.sh into a private drive root, read back
// through the store exactly as they were written: the registry chain, every article, illustration,
// caption, side picture, list, colour scheme, dictionary entry and description, and the bytes of every
// text file (Windows-1252, CR LF only).

#include "store/archivo_de_color.h"
#include "store/archivo_de_texto.h"
#include "store/archivos_de_lista.h"
#include "store/articulo.h"
#include "store/codificacion.h"
#include "store/diccionario.h"
#include "store/enciclopedia.h"
#include "store/registro.h"
#include "store/rutas.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;
using store::Lineas;

namespace {

const fs::path kFuente = LUMBRE_SOURCE_DIR;

std::string comillas(const fs::path& p) {
    std::string r = "'";
    for (char c : p.string()) {
        if (c == '\'')
            r += "'\\''";
        else
            r += c;
    }
    return r + "'";
}

int instalar(const fs::path& unidades) {
    const std::string orden =
        "bash " + comillas(kFuente / "tools" / "instalar-muestras.sh") + " " + comillas(unidades) + " >/dev/null 2>&1";
    const int r = std::system(orden.c_str());
    return WIFEXITED(r) ? WEXITSTATUS(r) : -1;
}

std::string bytesDe(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

bool esImagen(const fs::path& p) {
    const std::string ext = store::aMayusculas(p.extension().string());
    return ext == ".BMP" || ext == ".GIF" || ext == ".JPG" || ext == ".PNG" || ext == ".ICO";
}

// Why these bytes are not Windows-1252 text with CR LF line ends, or nothing when they are.
std::optional<std::string> faltaDeTexto(std::string_view b) {
    for (size_t i = 0; i < b.size(); ++i) {
        const auto c = static_cast<unsigned char>(b[i]);
        if (c == '\r') {
            if (i + 1 >= b.size() || b[i + 1] != '\n')
                return "CR without LF at byte " + std::to_string(i);
            ++i;
            continue;
        }
        if (c == '\n')
            return "LF without CR at byte " + std::to_string(i);
        if (c < 0x20 || c == 0x7F)
            return "control byte at " + std::to_string(i);
        if (c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D)
            return "byte undefined in Windows-1252 at " + std::to_string(i);
        // "Ã" followed by a continuation byte is UTF-8 text saved as if it were Windows-1252.
        if (c == 0xC3 && i + 1 < b.size() && static_cast<unsigned char>(b[i + 1]) >= 0x80 &&
            static_cast<unsigned char>(b[i + 1]) <= 0xBF)
            return "UTF-8 sequence at byte " + std::to_string(i);
    }
    if (!b.empty() && !b.ends_with("\r\n"))
        return std::string("last line without CR LF");
    return std::nullopt;
}

// An illustration name the way this system writes them: one dot and a three-letter extension, so the
// viewer's and the editor's caption names agree.
bool nombreDeIlustracion(std::string_view n) {
    const auto punto = n.find('.');
    return punto != std::string_view::npos && punto > 0 && n.find('.', punto + 1) == std::string_view::npos &&
           n.size() - punto - 1 == 3 && store::nombreRelativoSeguro(n);
}

class Muestras : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* v = std::getenv("LUMBRE_UNIDADES"))
            anterior_ = v;
        std::string plantilla = (fs::temp_directory_path() / "lumbre-muestras-XXXXXX").string();
        ASSERT_NE(::mkdtemp(plantilla.data()), nullptr);
        unidades_ = plantilla;
        ::setenv("LUMBRE_UNIDADES", unidades_.c_str(), 1);
        ASSERT_EQ(instalar(unidades_), 0);
    }

    void TearDown() override {
        std::error_code ec;
        fs::remove_all(unidades_, ec);
        if (anterior_)
            ::setenv("LUMBRE_UNIDADES", anterior_->c_str(), 1);
        else
            ::unsetenv("LUMBRE_UNIDADES");
    }

    fs::path unidades_;

private:
    std::optional<std::string> anterior_;
};

class CadaMuestra : public Muestras, public ::testing::WithParamInterface<const char*> {
protected:
    std::string dir() const { return GetParam(); }

    Lineas completa() const {
        auto r = store::leerCompleta(dir());
        EXPECT_TRUE(r.ok()) << r.error().mensaje();
        return r.ok() ? *r : Lineas{};
    }

    bool enCompleta(std::string_view articulo) const {
        const Lineas c = completa();
        return std::any_of(c.begin(), c.end(), [&](std::string_view a) { return store::igualesSinCaso(a, articulo); });
    }
};

TEST_F(Muestras, registryChainLeadsToSolarAndListsBoth) {
    auto registro = store::leerRegistro();
    ASSERT_TRUE(registro.ok()) << registro.error().mensaje();
    EXPECT_EQ(registro->actual, "C:\\ENCICLO\\ACTUAL.DAT");
    EXPECT_EQ(registro->tomos, "C:\\ENCICLO\\TOMOS.DAT");
    EXPECT_EQ(store::raizDesdeLinea1(registro->actual), "C:\\ENCICLO");

    auto actual = store::directorioActual();
    ASSERT_TRUE(actual.ok()) << actual.error().mensaje();
    EXPECT_EQ(*actual, "C:\\ENCICLO\\SOLAR");

    auto todas = store::enciclopediasRegistradas();
    ASSERT_TRUE(todas.ok()) << todas.error().mensaje();
    EXPECT_EQ(*todas, (Lineas{"C:\\ENCICLO\\SOLAR", "C:\\ENCICLO\\RIOS"}));
}

TEST_F(Muestras, reinstallingRestoresTheSamplesAndWritesOnlyTheDriveDirectory) {
    const fs::path solar = unidades_ / "c" / "ENCICLO" / "SOLAR";
    fs::remove(solar / "SOL.TXT");
    std::ofstream(solar / "SOBRANTE.TXT") << "x";
    ASSERT_TRUE(store::elegirEnciclopedia("C:\\ENCICLO\\RIOS").ok());

    ASSERT_EQ(instalar(unidades_), 0);

    EXPECT_FALSE(fs::exists(solar / "SOBRANTE.TXT"));
    EXPECT_EQ(*store::directorioActual(), "C:\\ENCICLO\\SOLAR");
    std::vector<std::string> arriba;
    for (const auto& e : fs::directory_iterator(unidades_))
        arriba.push_back(e.path().filename().string());
    EXPECT_EQ(arriba, std::vector<std::string>{"c"});

    // Every file of the repository's samples is installed byte for byte, and nothing else.
    for (const char* tomo : {"SOLAR", "RIOS"}) {
        const fs::path origen = kFuente / "samples" / tomo;
        const fs::path destino = unidades_ / "c" / "ENCICLO" / tomo;
        size_t enOrigen = 0, enDestino = 0;
        for (const auto& e : fs::recursive_directory_iterator(origen)) {
            if (!e.is_regular_file())
                continue;
            ++enOrigen;
            const fs::path copia = destino / fs::relative(e.path(), origen);
            EXPECT_EQ(bytesDe(copia), bytesDe(e.path())) << copia;
        }
        for (const auto& e : fs::recursive_directory_iterator(destino))
            enDestino += e.is_regular_file();
        EXPECT_EQ(enDestino, enOrigen) << tomo;
    }
}

TEST(InstalarMuestras, refusesAMissingDirectoryArgument) {
    const std::string orden = "bash " + comillas(kFuente / "tools" / "instalar-muestras.sh") + " >/dev/null 2>&1";
    const int r = std::system(orden.c_str());
    EXPECT_TRUE(WIFEXITED(r) && WEXITSTATUS(r) != 0);
}

TEST_P(CadaMuestra, everyTextFileIsWindows1252WithCrLf) {
    const fs::path nativo = store::resolver(dir());
    size_t textos = 0;
    for (const auto& e : fs::recursive_directory_iterator(nativo)) {
        if (!e.is_regular_file() || esImagen(e.path()))
            continue;
        ++textos;
        const std::string b = bytesDe(e.path());
        EXPECT_FALSE(b.empty()) << e.path();
        const auto falta = faltaDeTexto(b);
        EXPECT_FALSE(falta.has_value()) << e.path() << ": " << falta.value_or("");
    }
    EXPECT_GT(textos, 8u);
}

TEST_P(CadaMuestra, descriptionHasTitleAndCommentAndTheIconIsAnIco) {
    auto d = store::leerDescripcion(dir());
    ASSERT_TRUE(d.ok()) << d.error().mensaje();
    ASSERT_EQ(d->size(), 2u);
    EXPECT_FALSE((*d)[0].empty());
    EXPECT_FALSE((*d)[1].empty());

    auto icono = store::leerBytes(store::unir(dir(), store::kIcono), store::kLimiteImagen);
    ASSERT_TRUE(icono.ok()) << icono.error().mensaje();
    EXPECT_EQ(icono->substr(0, 4), std::string("\0\0\1\0", 4));
}

TEST_P(CadaMuestra, everyListedArticleReadsWithTitleAndBody) {
    const Lineas articulos = completa();
    ASSERT_FALSE(articulos.empty());
    std::set<std::string> vistos;
    for (const auto& nombre : articulos) {
        EXPECT_TRUE(store::nombreRelativoSeguro(nombre)) << nombre;
        EXPECT_TRUE(vistos.insert(store::aMayusculas(nombre)).second) << "listed twice: " << nombre;
        auto a = store::leerArticulo(store::unir(dir(), nombre));
        ASSERT_TRUE(a.ok()) << a.error().mensaje();
        EXPECT_FALSE(a->titulo.empty()) << nombre;
        EXPECT_GT(a->cuerpo.size(), 200u) << nombre;
        auto titulo = store::leerTitulo(store::unir(dir(), nombre));
        ASSERT_TRUE(titulo.ok());
        EXPECT_EQ(*titulo, a->titulo) << nombre;
    }

    // Every article file of the directory is in the complete list (none forgotten).
    for (const auto& e : fs::directory_iterator(store::resolver(dir()))) {
        if (store::aMayusculas(e.path().extension().string()) != ".TXT")
            continue;
        const auto nombre = store::utf8ACp1252(e.path().filename().string());
        ASSERT_TRUE(nombre.has_value());
        EXPECT_TRUE(enCompleta(*nombre)) << e.path();
    }

    const auto ultimo = store::leerUltimo(dir());
    ASSERT_TRUE(ultimo.has_value());
    EXPECT_TRUE(enCompleta(*ultimo)) << *ultimo;
    auto primero = store::leerArticulo(store::unir(dir(), *ultimo));
    ASSERT_TRUE(primero.ok());
    EXPECT_FALSE(primero->ilustraciones.empty()) << "the article opened at start shows illustrations";
}

TEST_P(CadaMuestra, everyIllustrationHasItsPictureAndACaption) {
    for (const auto& nombre : completa()) {
        auto a = store::leerArticulo(store::unir(dir(), nombre));
        ASSERT_TRUE(a.ok()) << a.error().mensaje();
        for (const auto& ilustracion : a->ilustraciones) {
            SCOPED_TRACE(std::string(nombre) + " / " + ilustracion);
            EXPECT_TRUE(nombreDeIlustracion(ilustracion));
            EXPECT_TRUE(store::existeArchivo(store::rutaIlustracion(dir(), ilustracion)));

            const auto visor = store::rutaEpigrafeVisor(dir(), ilustracion);
            const auto editor = store::rutaEpigrafeEditor(dir(), ilustracion);
            ASSERT_TRUE(visor && editor);
            EXPECT_EQ(store::resolver(*visor), store::resolver(*editor)) << "viewer and editor name one caption";
            auto lineas = store::leerLineas(*visor);
            ASSERT_TRUE(lineas.ok()) << lineas.error().mensaje();
            const store::Epigrafe e = store::analizarEpigrafe(*lineas);
            EXPECT_FALSE(e.titulo.empty());
            EXPECT_FALSE(e.texto.empty());
        }
        for (const auto& costado : a->costados) {
            EXPECT_TRUE(nombreDeIlustracion(costado)) << costado;
            EXPECT_TRUE(store::existeArchivo(store::rutaCostado(dir(), costado))) << costado;
        }
    }
}

TEST_P(CadaMuestra, listsNameOnlyListedArticlesInTheCompleteListsOrder) {
    auto indice = store::leerIndiceListas(dir());
    ASSERT_TRUE(indice.ok()) << indice.error().mensaje();
    ASSERT_FALSE(indice->empty());
    const Lineas todos = completa();
    for (const auto& lista : *indice) {
        ASSERT_TRUE(store::nombreArchivoValido(std::string(lista) + ".dat")) << lista;
        auto articulos = store::leerLista(dir(), lista);
        ASSERT_TRUE(articulos.ok()) << articulos.error().mensaje();
        EXPECT_FALSE(articulos->empty()) << lista;
        size_t desde = 0;
        for (const auto& articulo : *articulos) {
            // Exactly as in the complete list: the editor ticks by exact, case-sensitive comparison.
            const auto en = std::find(todos.begin(), todos.end(), articulo);
            ASSERT_NE(en, todos.end()) << lista << ": " << articulo;
            const auto pos = static_cast<size_t>(en - todos.begin());
            EXPECT_GE(pos, desde) << lista << ": " << articulo << " out of order";
            desde = pos + 1;
        }
    }
}

TEST_P(CadaMuestra, colourFileReadsTenRealColours) {
    const store::LecturaColores c = store::leerColores(dir());
    EXPECT_EQ(c.leidos, 10);
    EXPECT_FALSE(c.error.has_value()) << (c.error ? c.error->mensaje() : "");
    for (const auto v : c.valores) {
        EXPECT_GE(v, 0);
        EXPECT_LE(v, 16777215);
    }
    EXPECT_NE(c.valores, store::kEsquemaPredeterminado) << "each sample has a scheme of its own";
}

TEST_P(CadaMuestra, everyDictionaryEntryIsFoundAndReferencesNameArticles) {
    auto lineas = store::leerLineas(store::unir(dir(), store::kDict));
    ASSERT_TRUE(lineas.ok()) << lineas.error().mensaje();
    ASSERT_GE(lineas->size(), 10u);
    size_t referencias = 0;
    for (const auto& linea : *lineas) {
        SCOPED_TRACE(linea);
        const auto hueco = linea.find("  ");
        ASSERT_NE(hueco, std::string::npos) << "headword, spaces, definition";
        const std::string palabra = store::aMayusculas(linea.substr(0, hueco));
        ASSERT_FALSE(palabra.empty());
        ASSERT_EQ(palabra.find(' '), std::string::npos) << "a headword is one word";
        // Looking the headword up (as the window does, and with the space a double-click never adds)
        // finds this very line: no earlier entry shadows it.
        const auto definicion = store::buscarEnLineas(*lineas, palabra);
        ASSERT_TRUE(definicion.has_value());
        EXPECT_EQ(*definicion, store::aMayusculas(store::sinEspaciosIzquierda(linea.substr(hueco))));
        if (const auto articulo = store::referenciaDe(*definicion)) {
            ++referencias;
            EXPECT_TRUE(enCompleta(*articulo)) << *articulo;
            EXPECT_TRUE(store::existeArchivo(store::unir(dir(), *articulo))) << *articulo;
        }
    }
    EXPECT_GE(referencias, 3u);
}

INSTANTIATE_TEST_SUITE_P(SolarYRios, CadaMuestra, ::testing::Values("C:\\ENCICLO\\SOLAR", "C:\\ENCICLO\\RIOS"),
                         [](const auto& info) { return std::string(info.index == 0 ? "SOLAR" : "RIOS"); });

// The larger sample is the one the viewer opens first and the one its tests lean on: it must keep
// exercising every kind of line and picture the reader knows.
TEST_F(Muestras, solarCoversEveryKindOfLineAndPicture) {
    const std::string dir = "C:\\ENCICLO\\SOLAR";
    auto articulos = store::leerCompleta(dir);
    ASSERT_TRUE(articulos.ok());
    EXPECT_GE(articulos->size(), 10u);

    std::set<std::string> formatos;
    std::set<size_t> cuantasIlustraciones;
    size_t costados = 0, saltos = 0, etiquetasRaras = 0;
    for (const auto& nombre : *articulos) {
        const std::string ruta = store::unir(dir, nombre);
        auto a = store::leerArticulo(ruta);
        ASSERT_TRUE(a.ok());
        cuantasIlustraciones.insert(std::min<size_t>(a->ilustraciones.size(), 2));
        for (const auto& i : a->ilustraciones)
            formatos.insert(store::aMayusculas(i.substr(i.size() - 3)));
        costados += a->costados.size();
        saltos += a->cuerpo.find("\r\n") != std::string::npos;
        auto lineas = store::leerLineas(ruta);
        ASSERT_TRUE(lineas.ok());
        for (const auto& linea : *lineas) {
            // Tags the editor never writes itself: indented, in lower case, or unknown.
            const std::string_view l = linea;
            etiquetasRaras += store::sinEspacios(l).starts_with("<") && !l.starts_with("<TIT>") &&
                              !l.starts_with("<IMG>") && !l.starts_with("<CST>");
        }
    }
    EXPECT_EQ(formatos, (std::set<std::string>{"BMP", "GIF", "JPG", "PNG"}));
    EXPECT_EQ(cuantasIlustraciones, (std::set<size_t>{0, 1, 2}));
    EXPECT_GE(costados, 1u);
    EXPECT_EQ(saltos, articulos->size()) << "every body has break lines";
    EXPECT_GE(etiquetasRaras, 3u) << "lower-case and indented tags";

    auto indice = store::leerIndiceListas(dir);
    ASSERT_TRUE(indice.ok());
    EXPECT_EQ(indice->size(), 2u);
    auto diccionario = store::leerLineas(store::unir(dir, store::kDict));
    ASSERT_TRUE(diccionario.ok());
    EXPECT_GE(diccionario->size(), 30u);
}

} // namespace

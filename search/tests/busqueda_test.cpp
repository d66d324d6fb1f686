// The search index through its two entry points, on a small encyclopaedia of real Spanish sentences.

#include "search/buscador.h"
#include "search/indice.h"
#include "store/codificacion.h"
#include "store/tests/unidad_temporal.h"

#include <xapian.h>

#include <chrono>
#include <map>
#include <set>

namespace {

namespace fs = std::filesystem;
using Nombres = std::set<std::string>;

const char* const kDirectorio = "C:\\ENCICLO\\GEO";

struct ArticuloDePrueba {
    const char* nombre;
    const char* titulo; // UTF-8 here, Windows-1252 on disk
    const char* cuerpo;
};

const ArticuloDePrueba kArticulos[] = {
    {"rios.txt", "Ríos de España",
     "Los ríos de España desembocan en tres mares. El Guadalquivir pasa por Sevilla y riega la vega."},
    {"montana.txt", "La montaña",
     "La montaña más alta de la península es el Mulhacén, en Sierra Nevada. Los niños suben en verano."},
    {"antartida.txt", "Antártida", "En la Antártida vive el pingüino emperador, que soporta inviernos durísimos."},
    {"ciudades.txt", "Ciudades antiguas", "Las ciudades romanas de Hispania tenían foro, teatro y termas."},
    {"madrid.txt", "Madrid",
     "Madrid es la ciudad más poblada del país y la capital desde el siglo XVI. La cruza un río pequeño, "
     "el Manzanares."},
    {"planeta.txt", "Planeta", "Un planeta es un cuerpo que gira alrededor de una estrella."},
    {"sistema.txt", "Sistema solar",
     "El sistema solar tiene ocho planetas. Los planetas interiores son rocosos; los planetas exteriores son "
     "gigantes. Cada planeta sigue su órbita y ningún planeta tiene luz propia."},
    {"agua.txt", "El agua", "Los embalses de España recogen el agua de los ríos del norte."},
    {"signos.txt", "Signos", "Las \"desigualdades\" como 3 < 5 & 5 > 3 son sencillas."},
};

std::string cp1252(const char* utf8) {
    return store::utf8ACp1252(utf8).value();
}

class Busqueda : public prueba::ConUnidades {
protected:
    void SetUp() override {
        ConUnidades::SetUp();
        ::setenv("XDG_CACHE_HOME", (raiz_ / "cache").c_str(), 1);
        std::string completa;
        for (const auto& a : kArticulos) {
            escribirArticulo(a.nombre, a.titulo, a.cuerpo);
            completa += std::string(a.nombre) + "\r\n";
        }
        escribir(dir() / "COMPLETA.DAT", completa);
        escribir(dir() / "ULTIMO.DAT", "rios.txt\r\n");
    }

    void TearDown() override {
        ::unsetenv("XDG_CACHE_HOME");
        ConUnidades::TearDown();
    }

    fs::path dir() const { return c() / "ENCICLO" / "GEO"; }

    search::Reparto reparto_;

    void escribirArticulo(const std::string& nombre, const char* titulo, const char* cuerpo) {
        escribir(dir() / nombre, "<TIT>" + cp1252(titulo) + "\r\n<IMG>mapa.bmp\r\n" + cp1252(cuerpo) + "\r\n");
    }

    search::Informe actualizar() {
        search::Informe informe = search::actualizarIndice(kDirectorio, {}, nullptr, reparto_);
        EXPECT_EQ(informe.error, "");
        return informe;
    }

    static std::vector<std::string> nombresDe(const search::Resultados& r) {
        std::vector<std::string> v;
        for (const auto& a : r.aciertos) {
            v.push_back(a.nombre);
        }
        return v;
    }

    Nombres buscar(const char* consulta) {
        const auto r = search::Buscador(kDirectorio).buscar(consulta);
        EXPECT_EQ(r.encontrados, r.aciertos.size()) << consulta;
        const auto v = nombresDe(r);
        return Nombres(v.begin(), v.end());
    }

    // Every file under a directory with its bytes and modification time.
    using Foto = std::map<std::string, std::pair<std::string, fs::file_time_type>>;
    static Foto foto(const fs::path& raiz) {
        Foto r;
        for (const auto& e : fs::recursive_directory_iterator(raiz)) {
            r[e.path().string()] = {e.is_regular_file() ? leer(e.path()).value_or("") : "<dir>",
                                    fs::last_write_time(e.path())};
        }
        return r;
    }

    void actualizarYCambiar(const Foto& antes);
};

TEST_F(Busqueda, wordsMeetInEveryFormAccentAndCase) {
    actualizar();
    const struct {
        const char* consulta;
        Nombres esperados;
    } casos[] = {
        // ñ and ü folded alike in the text and in the query, typed either way.
        {"montaña", {"montana.txt"}},
        {"MONTANA", {"montana.txt"}},
        {"niño", {"montana.txt"}},
        {"pingüino", {"antartida.txt"}},
        {"PINGUINOS", {"antartida.txt"}},
        {"Antartida", {"antartida.txt"}},
        // Plural and singular meet although the stemmer alone parts them.
        {"ciudades", {"ciudades.txt", "madrid.txt"}},
        {"ciudad", {"ciudades.txt", "madrid.txt"}},
        {"ríos", {"rios.txt", "madrid.txt", "agua.txt"}},
        {"rio", {"rios.txt", "madrid.txt", "agua.txt"}},
        {"planetas", {"planeta.txt", "sistema.txt"}},
        // Every word must be found.
        {"ríos España", {"rios.txt", "agua.txt"}},
        {"montaña niños", {"montana.txt"}},
        {"montaña pingüino", {}},
        // A phrase needs its words side by side and in order.
        {"\"ríos de España\"", {"rios.txt"}},
        {"\"España de ríos\"", {}},
        {"\"la montaña más alta\" Nevada", {"montana.txt"}},
        // Prefixes are expanded against the words in the index.
        {"guadal*", {"rios.txt"}},
        {"planet*", {"planeta.txt", "sistema.txt"}},
        {"manzan* ciudad", {"madrid.txt"}},
        {"ciudade*", {"ciudades.txt"}},
        {"xyz*", {}},
        {"", {}},
        {"\"\" * ;", {}},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(buscar(c.consulta), c.esperados) << c.consulta;
    }
}

TEST_F(Busqueda, titleWordsRankFirstAndPassagesShowTheWordsInBold) {
    actualizar();
    const struct {
        const char* consulta;
        const char* primero;
        const char* enElPasaje; // UTF-8 HTML
    } casos[] = {
        // "Sistema solar" says planeta five times in its body; "Planeta" has the word in its title.
        {"planeta", "planeta.txt", "Un <b>planeta</b> es"},
        {"planetas", "planeta.txt", "<b>planeta</b>"},
        {"ciudad", "ciudades.txt", "Las <b>ciudades</b> romanas"},
        {"pinguino", "antartida.txt", "el <b>pingüino</b> emperador"},
        {"\"ríos de España\"", "rios.txt", "Los <b>ríos</b> <b>de</b> <b>España</b> desembocan"},
        {"guadal*", "rios.txt", "El <b>Guadalquivir</b> pasa"},
        {"desigualdades", "signos.txt",
         "Las &quot;<b>desigualdades</b>&quot; como 3 &lt; 5 &amp; 5 &gt; 3 son sencillas."},
    };
    for (const auto& c : casos) {
        const auto r = search::Buscador(kDirectorio).buscar(c.consulta);
        ASSERT_FALSE(r.aciertos.empty()) << c.consulta;
        EXPECT_EQ(r.aciertos.front().nombre, c.primero) << c.consulta;
        EXPECT_NE(r.aciertos.front().pasaje.find(c.enElPasaje), std::string::npos)
            << c.consulta << ": " << r.aciertos.front().pasaje;
    }
    const auto r = search::Buscador(kDirectorio).buscar("montaña");
    ASSERT_EQ(r.aciertos.size(), 1u);
    EXPECT_EQ(r.aciertos.front().titulo, "La montaña");
}

// The index in one part or in many: written by one writer that changes documents where they are, or by
// several at once, each filling parts of its own.
TEST_F(Busqueda, updateIndexesOnlyWhatChangedAndLeavesTheEncyclopaediaAlone) {
    const struct {
        const char* nombre;
        search::Reparto reparto;
    } casos[] = {
        {"one part", {}},
        {"parts of two, one writer", {2, 100, 1}},
        {"parts of three, two writers", {3, 1, 2}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        reparto_ = c.reparto;
        fs::remove_all(search::rutaIndice(kDirectorio));
        for (const auto& a : kArticulos) {
            escribirArticulo(a.nombre, a.titulo, a.cuerpo);
        }
        std::string completa;
        for (const auto& a : kArticulos) {
            completa += std::string(a.nombre) + "\r\n";
        }
        escribir(dir() / "COMPLETA.DAT", completa);
        actualizarYCambiar(foto(dir()));
    }
}

void Busqueda::actualizarYCambiar(const Foto& antes) {
    const search::Informe primero = actualizar();
    EXPECT_EQ(primero.agregados, std::size(kArticulos));
    EXPECT_TRUE(fs::exists(search::rutaIndice(kDirectorio)));
    EXPECT_EQ(search::rutaIndice(kDirectorio).string().rfind((raiz_ / "cache" / "lumbre").string(), 0), 0u);

    const search::Informe igual = actualizar();
    EXPECT_EQ(igual.agregados + igual.cambiados + igual.quitados, 0u);
    EXPECT_EQ(igual.articulos, std::size(kArticulos));
    buscar("montaña");
    EXPECT_EQ(foto(dir()), antes);
    for (const auto& a : kArticulos) {
        EXPECT_TRUE(buscar(a.titulo).count(a.nombre)) << a.nombre;
    }

    // A changed body, one of the same size with only a new time, a new article, one dropped from the
    // list and one whose file is gone.
    escribirArticulo("madrid.txt", "Madrid", "Madrid está en la meseta, a orillas del Manzanares.");
    const std::string planeta = leer(dir() / "planeta.txt").value();
    escribir(dir() / "planeta.txt", std::string(planeta).replace(planeta.find("estrella"), 8, "estrellu"));
    fs::last_write_time(dir() / "planeta.txt", fs::last_write_time(dir() / "planeta.txt") + std::chrono::seconds(2));
    escribirArticulo("volcan.txt", "Volcán", "El Teide es un volcán de Tenerife.");
    std::string completa = leer(dir() / "COMPLETA.DAT").value();
    completa.replace(completa.find("agua.txt\r\n"), 10, "volcan.txt\r\n");
    escribir(dir() / "COMPLETA.DAT", completa);
    fs::remove(dir() / "signos.txt");

    const search::Informe despues = actualizar();
    EXPECT_EQ(despues.cambiados, 2u);
    EXPECT_EQ(despues.agregados, 1u);
    EXPECT_EQ(despues.quitados, 2u);
    EXPECT_EQ(buscar("meseta"), Nombres{"madrid.txt"});
    EXPECT_EQ(buscar("poblada"), Nombres{});
    EXPECT_EQ(buscar("estrellu"), Nombres{"planeta.txt"});
    EXPECT_EQ(buscar("volcanes"), Nombres{"volcan.txt"});
    EXPECT_EQ(buscar("embalses"), Nombres{});
    EXPECT_EQ(buscar("desigualdades"), Nombres{});
}

TEST_F(Busqueda, searchKeptOpenFindsWhatAPartAddedMeanwhileHolds) {
    reparto_ = {1, 100, 1};
    actualizar();
    search::Buscador abierto(kDirectorio);
    EXPECT_EQ(nombresDe(abierto.buscar("montaña")), std::vector<std::string>{"montana.txt"});
    escribirArticulo("volcan.txt", "Volcán", "El Teide es un volcán de Tenerife.");
    escribir(dir() / "COMPLETA.DAT", leer(dir() / "COMPLETA.DAT").value() + "volcan.txt\r\n");
    EXPECT_EQ(actualizar().agregados, 1u);
    EXPECT_EQ(nombresDe(abierto.buscar("volcanes")), std::vector<std::string>{"volcan.txt"});
}

TEST_F(Busqueda, updateFollowsTheListInAnyOrderRepetitionAndLetterCase) {
    const std::string completa = leer(dir() / "COMPLETA.DAT").value();
    const struct {
        const char* nombre;
        std::string lista;
        std::size_t agregados, quitados;
        const char* consulta;
        Nombres esperados;
    } casos[] = {
        {"reversed",
         "signos.txt\r\nagua.txt\r\nsistema.txt\r\nplaneta.txt\r\nmadrid.txt\r\nciudades.txt\r\n"
         "antartida.txt\r\nmontana.txt\r\nrios.txt\r\n",
         0,
         0,
         "Guadalquivir",
         {"rios.txt"}},
        {"every name twice", completa + completa, 0, 0, "Manzanares", {"madrid.txt"}},
        {"one name in another letter case than on disk",
         std::string(completa).replace(completa.find("rios.txt"), 8, "RIOS.TXT"),
         1,
         1,
         "Guadalquivir",
         {"RIOS.TXT"}},
    };
    for (const auto& c : casos) {
        escribir(dir() / "COMPLETA.DAT", completa);
        actualizar();
        escribir(dir() / "COMPLETA.DAT", c.lista);
        const search::Informe informe = actualizar();
        EXPECT_EQ(informe.articulos, std::size(kArticulos)) << c.nombre;
        EXPECT_EQ(informe.agregados, c.agregados) << c.nombre;
        EXPECT_EQ(informe.cambiados, 0u) << c.nombre;
        EXPECT_EQ(informe.quitados, c.quitados) << c.nombre;
        EXPECT_EQ(buscar(c.consulta), c.esperados) << c.nombre;
    }
}

TEST_F(Busqueda, damagedOrOlderIndexIsRebuiltNeverTrusted) {
    const struct {
        const char* nombre;
        void (*estropear)(const fs::path& indice);
    } casos[] = {
        {"every file overwritten",
         [](const fs::path& indice) {
             for (const auto& e : fs::recursive_directory_iterator(indice)) {
                 if (e.is_regular_file()) {
                     escribir(e.path(), std::string(e.file_size(), 'x'));
                 }
             }
         }},
        {"tables emptied",
         [](const fs::path& indice) {
             for (const auto& e : fs::recursive_directory_iterator(indice)) {
                 if (e.path().extension() == ".glass") {
                     fs::resize_file(e.path(), 0);
                 }
             }
         }},
        {"parts named outside the index",
         [](const fs::path& indice) { escribir(indice / "XAPIANDB", "glass ../../otro\n"); }},
        {"a part named that is not there",
         [](const fs::path& indice) { escribir(indice / "XAPIANDB", "glass 0\nglass 1\n"); }},
        {"the stub gone", [](const fs::path& indice) { fs::remove(indice / "XAPIANDB"); }},
        {"an older format",
         [](const fs::path& indice) {
             Xapian::WritableDatabase db(indice.string());
             db.set_metadata("lumbre.formato", "0");
             db.commit();
         }},
    };
    for (const auto& c : casos) {
        fs::remove_all(search::rutaIndice(kDirectorio));
        actualizar();
        c.estropear(search::rutaIndice(kDirectorio));
        search::Buscador(kDirectorio).buscar("montaña"); // must not throw, nor find through a bad index
        const search::Informe informe = actualizar();
        EXPECT_TRUE(informe.reconstruido) << c.nombre;
        EXPECT_EQ(informe.agregados, std::size(kArticulos)) << c.nombre;
        EXPECT_EQ(buscar("montaña"), Nombres{"montana.txt"}) << c.nombre;
    }
}

} // namespace

// A search within bounds: the terms beyond them are left out (and it says so), a prefix stands for no more words
// than allowed, and a page deep in the results lists that page, with its passages, and the same articles as the
// first search listed there.
TEST_F(Busqueda, boundsLeaveTermsOutAndADeepPageListsOnlyItself) {
    actualizar();
    search::Cotas cotas;
    cotas.terminos = 2;
    cotas.prefijos = 1;
    search::Buscador b(kDirectorio);
    const auto recortada = b.buscar("planeta sistema zzxxqq", 0, 10, cotas);
    EXPECT_TRUE(recortada.recortada);
    EXPECT_EQ(nombresDe(recortada), std::vector<std::string>{"sistema.txt"});
    const auto prefijos = b.buscar("p* zzxx*", 0, 10, cotas);
    EXPECT_TRUE(prefijos.recortada);
    EXPECT_FALSE(prefijos.aciertos.empty());
    EXPECT_FALSE(b.buscar("planeta sistema", 0, 10, cotas).recortada);

    cotas = {};
    cotas.expansion = 1;
    // "r*" stands for its most frequent word only: fewer articles than with the viewer's bound.
    EXPECT_LT(b.buscar("r*", 0, 20, cotas).aciertos.size(), b.buscar("r*", 0, 20, {}).aciertos.size());

    const auto todas = b.buscar("de", 0, 20, {});
    ASSERT_GE(todas.aciertos.size(), 4u);
    const auto pagina = b.buscar("de", 2, 2, {});
    ASSERT_EQ(pagina.aciertos.size(), 2u);
    EXPECT_EQ(pagina.aciertos[0].nombre, todas.aciertos[2].nombre);
    EXPECT_EQ(pagina.aciertos[1].nombre, todas.aciertos[3].nombre);
    EXPECT_FALSE(pagina.aciertos[0].pasaje.empty());
    EXPECT_EQ(pagina.encontrados, todas.encontrados);
}

// A folder of the encyclopaedia that is a link leading out of it is never read, whether the list names a file
// below it as spelled on disk or in another letter case; a file below a real folder is indexed.
TEST_F(Busqueda, aFolderLinkingOutIsNeverIndexed) {
    fs::create_directories(raiz_ / "fuera");
    escribir(raiz_ / "fuera" / "SECRETO.TXT", "<TIT>Secreto\r\nzarzaparrillaoculta\r\n");
    fs::create_directory_symlink(raiz_ / "fuera", dir() / "ENLACE");
    fs::create_directories(dir() / "DENTRO");
    escribir(dir() / "DENTRO" / "BIEN.TXT", "<TIT>Bien\r\nzarzaparrillavisible\r\n");
    escribir(dir() / "COMPLETA.DAT", leer(dir() / "COMPLETA.DAT").value() +
                                         "ENLACE\\SECRETO.TXT\r\nenlace\\secreto.txt\r\nDENTRO\\BIEN.TXT\r\n");
    actualizar();
    EXPECT_EQ(buscar("zarzaparrillaoculta"), Nombres{});
    EXPECT_EQ(buscar("zarzaparrillavisible"), Nombres{"DENTRO\\BIEN.TXT"});
}

#include "importar/zim.h"

#include "render/texto_web.h"
#include "search/plegado.h"
#include "store/codificacion.h"

#include <zim/archive.h>
#include <zim/entry.h>
#include <zim/error.h>
#include <zim/item.h>
#include <zim/search.h>
#include <zim/suggestion.h>

#include <algorithm>
#include <cctype>
#include <deque>
#include <fstream>
#include <set>
#include <unordered_set>

namespace importar {

namespace fs = std::filesystem;

struct FuenteZim::Impl {
    explicit Impl(const std::string& ruta) : archivo(ruta) {}
    zim::Archive archivo;
};

namespace {

std::string utf8DeRuta(const fs::path& p) {
    const auto u = p.u8string();
    return std::string(u.begin(), u.end());
}

std::string metadato(const zim::Archive& a, const char* nombre) {
    try {
        return a.getMetadata(nombre);
    } catch (const std::exception&) {
        return {};
    }
}

// A title or a query folded as the search index folds words (search/plegado.h): lower case without marks
// (Á -> a, ñ -> n, ü -> u), as libzim's indexes hold their words too. A letter Windows-1252 cannot hold is kept
// as it is.
std::string plegadoDe(std::string_view utf8) {
    if (const auto cp = store::utf8ACp1252(utf8)) {
        return search::plegar(*cp);
    }
    std::string r;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const std::size_t largo = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        const std::string_view letra = utf8.substr(i, largo);
        if (const auto cp = store::utf8ACp1252(letra)) {
            r += search::plegar(*cp);
        } else {
            r += letra;
        }
        i += largo;
    }
    return r;
}

bool esPalabra(unsigned char c) {
    return std::isalnum(c) || c >= 0x80;
}

bool excluida(const std::string& titulo, const std::vector<std::string>& excluir) {
    const std::string t = plegadoDe(titulo);
    for (const std::string& e : excluir) {
        const std::string x = plegadoDe(e);
        if (x.empty()) {
            continue;
        }
        if (t == x) {
            return true;
        }
        if (x.find(' ') != std::string::npos) {
            continue;
        }
        for (std::size_t p = t.find(x); p != std::string::npos; p = t.find(x, p + 1)) {
            const bool antes = p == 0 || !esPalabra(static_cast<unsigned char>(t[p - 1]));
            const bool despues = p + x.size() == t.size() || !esPalabra(static_cast<unsigned char>(t[p + x.size()]));
            if (antes && despues) {
                return true;
            }
        }
    }
    return false;
}

bool esArticulo(const zim::Item& item) {
    return item.getMimetype().rfind("text/html", 0) == 0;
}

} // namespace

bool pareceZim(std::string_view bytes) {
    return bytes.substr(0, 4) == std::string_view("ZIM\x04", 4);
}

FuenteZim::FuenteZim(std::unique_ptr<Impl> impl, fs::path archivo, DatosZim datos)
    : impl_(std::move(impl)), archivo_(std::move(archivo)), datos_(std::move(datos)) {}

FuenteZim::~FuenteZim() = default;

std::unique_ptr<FuenteZim> FuenteZim::abrir(const fs::path& archivo, std::string& error) {
    const std::string nombre = "\xC2\xAB" + utf8DeRuta(archivo) + "\xC2\xBB";
    std::error_code e;
    if (!fs::is_regular_file(archivo, e)) {
        error = "El archivo " + nombre + " no existe.";
        return nullptr;
    }
    {
        std::ifstream f(archivo, std::ios::binary);
        char inicio[4] = {};
        f.read(inicio, 4);
        if (!pareceZim(std::string_view(inicio, static_cast<std::size_t>(f.gcount())))) {
            error = nombre + " no es un archivo ZIM.";
            return nullptr;
        }
    }
    try {
        auto impl = std::make_unique<Impl>(archivo.string());
        const zim::Archive& a = impl->archivo;
        // A file cut short loses its end first, where the checksum is.
        if (a.hasChecksum()) {
            (void)a.getChecksum();
        }
        DatosZim d;
        d.nombre = metadato(a, "Name");
        d.titulo = metadato(a, "Title");
        d.idioma = metadato(a, "Language");
        d.descripcion = metadato(a, "Description");
        d.creador = metadato(a, "Creator");
        d.editor = metadato(a, "Publisher");
        d.fecha = metadato(a, "Date");
        d.licencia = metadato(a, "License");
        d.fuente = metadato(a, "Source");
        d.articulos = a.getArticleCount();
        d.indiceCompleto = a.hasFulltextIndex();
        if (d.titulo.empty()) {
            d.titulo = utf8DeRuta(archivo.stem());
        }
        return std::unique_ptr<FuenteZim>(new FuenteZim(std::move(impl), archivo, std::move(d)));
    } catch (const std::exception&) {
        error = "El archivo ZIM " + nombre +
                " est\xC3\xA1 cortado o da\xC3\xB1"
                "ado: no se puede leer.";
        return nullptr;
    }
}

std::vector<PaginaZim> FuenteZim::sugerir(const std::string& texto, int cuantas) const {
    // Titles that begin as typed come first (the file's list of titles, in its order); then the words of the
    // file's title index, which holds them without accents.
    std::vector<PaginaZim> r;
    std::unordered_set<std::string> vistas;
    const auto agregar = [&](const std::string& ruta, const std::string& titulo) {
        if (static_cast<int>(r.size()) < cuantas && vistas.insert(ruta).second) {
            r.push_back({ruta, titulo});
        }
    };
    if (texto.empty() || cuantas <= 0) {
        return r;
    }
    try {
        std::string mayuscula = texto;
        mayuscula[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(mayuscula[0])));
        for (const std::string& prefijo : {texto, mayuscula}) {
            for (const zim::Entry& e : impl_->archivo.findByTitle(prefijo)) {
                if (static_cast<int>(r.size()) >= cuantas) {
                    break;
                }
                if (const auto p = articulo(e.getPath())) {
                    agregar(p->ruta, p->titulo);
                }
            }
        }
        if (impl_->archivo.hasTitleIndex()) {
            zim::SuggestionSearcher buscador(impl_->archivo);
            const auto resultado = buscador.suggest(plegadoDe(texto)).getResults(0, cuantas);
            for (auto it = resultado.begin(); it != resultado.end(); ++it) {
                agregar(it->getPath(), it->getTitle());
            }
        }
    } catch (const std::exception&) {
    }
    return r;
}

std::optional<std::vector<PaginaZim>> FuenteZim::buscar(const std::string& consulta, int cuantos) const {
    if (!datos_.indiceCompleto) {
        return std::nullopt;
    }
    std::vector<PaginaZim> r;
    try {
        zim::Searcher buscador(impl_->archivo);
        const auto resultado = buscador.search(zim::Query(plegadoDe(consulta))).getResults(0, cuantos);
        for (auto it = resultado.begin(); it != resultado.end(); ++it) {
            r.push_back({it.getPath(), it.getTitle()});
        }
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return r;
}

std::optional<PaginaZim> FuenteZim::articulo(const std::string& tituloORuta) const {
    const auto desde = [&](const zim::Entry& entrada) -> std::optional<PaginaZim> {
        const zim::Item item = entrada.getItem(true);
        if (!esArticulo(item)) {
            return std::nullopt;
        }
        return PaginaZim{item.getPath(), item.getTitle()};
    };
    try {
        return desde(impl_->archivo.getEntryByPath(tituloORuta));
    } catch (const std::exception&) {
    }
    try {
        return desde(impl_->archivo.getEntryByTitle(tituloORuta));
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

std::optional<std::string> FuenteZim::contenido(const std::string& ruta, std::uint64_t limite,
                                                std::string* tipo) const {
    try {
        const zim::Item item = impl_->archivo.getEntryByPath(ruta).getItem(true);
        if (item.getSize() > limite) {
            return std::nullopt;
        }
        if (tipo) {
            *tipo = item.getMimetype();
        }
        const zim::Blob b = item.getData();
        return std::string(b.data(), b.size());
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<std::string> FuenteZim::resolver(const std::string& desde, const std::string& enlace) {
    std::string e = enlace.substr(0, enlace.find_first_of("#?"));
    if (e.empty()) {
        return std::nullopt;
    }
    const std::size_t dosPuntos = e.find(':');
    if (e.rfind("//", 0) == 0 || (dosPuntos != std::string::npos && e.find('/') > dosPuntos &&
                                  std::all_of(e.begin(), e.begin() + static_cast<std::ptrdiff_t>(dosPuntos),
                                              [](unsigned char c) { return std::isalpha(c); }))) {
        return std::nullopt; // an address with a scheme: out of the file
    }
    e = render::decodificarUrl(e);
    std::vector<std::string> partes;
    if (e.front() != '/') {
        std::size_t i = 0;
        const std::size_t fin = desde.rfind('/');
        while (fin != std::string::npos && i < fin) {
            const std::size_t b = std::min(desde.find('/', i), fin);
            partes.push_back(desde.substr(i, b - i));
            i = b + 1;
        }
    }
    std::size_t i = 0;
    while (i <= e.size()) {
        const std::size_t b = std::min(e.find('/', i), e.size());
        const std::string p = e.substr(i, b - i);
        if (p == "..") {
            if (!partes.empty()) {
                partes.pop_back();
            }
        } else if (!p.empty() && p != ".") {
            partes.push_back(p);
        }
        i = b + 1;
    }
    if (partes.empty()) {
        return std::nullopt;
    }
    std::string r;
    for (const std::string& p : partes) {
        r += (r.empty() ? "" : "/") + p;
    }
    return r;
}

Seleccionadas seleccionar(const FuenteZim& fuente, const SeleccionZim& s, const EnlacesDe& enlaces,
                          const std::function<void(std::size_t)>& avance) {
    Seleccionadas r;
    std::unordered_set<std::string> vistas;
    const auto agregar = [&](const PaginaZim& p) {
        if (!vistas.insert(p.ruta).second) {
            return false;
        }
        if (excluida(p.titulo, s.excluir)) {
            r.avisos.push_back("Se excluye \xC2\xAB" + p.titulo + "\xC2\xBB.");
            return false;
        }
        r.paginas.push_back(p);
        if (avance) {
            avance(r.paginas.size());
        }
        return true;
    };
    for (const std::string& t : s.titulos) {
        if (const auto p = fuente.articulo(t)) {
            agregar(*p);
        } else {
            r.avisos.push_back("El archivo no tiene ning\xC3\xBAn art\xC3\xAD"
                               "culo \xC2\xAB" +
                               t + "\xC2\xBB.");
        }
    }
    if (!s.consulta.empty()) {
        if (const auto encontradas = fuente.buscar(s.consulta, static_cast<int>(s.maximoConsulta))) {
            for (const PaginaZim& p : *encontradas) {
                if (const auto a = fuente.articulo(p.ruta)) {
                    r.consulta.push_back(a->ruta);
                    agregar(*a);
                }
            }
        } else {
            r.avisos.push_back("El archivo no tiene \xC3\xADndice de texto completo: no se puede buscar \xC2\xAB" +
                               s.consulta +
                               "\xC2\xBB; solo se eligen art\xC3\xAD"
                               "culos por su t\xC3\xADtulo.");
        }
    }
    if (!s.temas.empty()) {
        // Breadth first, so that what is nearer the topic comes first and the count cuts the farthest.
        std::deque<std::pair<PaginaZim, int>> cola;
        std::size_t delTema = 0;
        std::set<std::string> enTema;
        const auto alcanzar = [&](const PaginaZim& p, int nivel) {
            if (delTema >= s.maximoTema || !enTema.insert(p.ruta).second) {
                return;
            }
            if (excluida(p.titulo, s.excluir)) {
                if (vistas.insert(p.ruta).second) {
                    r.avisos.push_back("Se excluye \xC2\xAB" + p.titulo + "\xC2\xBB.");
                }
                return;
            }
            ++delTema;
            r.tema.push_back(p.ruta);
            agregar(p);
            cola.emplace_back(p, nivel);
        };
        for (const std::string& t : s.temas) {
            if (const auto p = fuente.articulo(t)) {
                alcanzar(*p, 0);
            } else {
                r.avisos.push_back("El archivo no tiene ning\xC3\xBAn art\xC3\xAD"
                                   "culo \xC2\xAB" +
                                   t + "\xC2\xBB.");
            }
        }
        while (!cola.empty() && delTema < s.maximoTema) {
            const auto [p, nivel] = cola.front();
            cola.pop_front();
            if (nivel >= s.profundidad) {
                continue;
            }
            const auto html = fuente.contenido(p.ruta, 64ull << 20);
            if (!html) {
                continue;
            }
            for (const std::string& enlace : enlaces(*html)) {
                const auto destino = FuenteZim::resolver(p.ruta, enlace);
                if (!destino) {
                    continue;
                }
                if (const auto a = fuente.articulo(*destino)) {
                    alcanzar(*a, nivel + 1);
                }
                if (delTema >= s.maximoTema) {
                    break;
                }
            }
        }
    }
    return r;
}

std::string describir(const DatosZim& d) {
    std::string t = "Archivo ZIM \xC2\xAB" + d.titulo + "\xC2\xBB";
    if (!d.nombre.empty()) {
        t += " (" + d.nombre + ")";
    }
    t += ": " + std::to_string(d.articulos) +
         " art\xC3\xAD"
         "culos";
    if (!d.idioma.empty()) {
        t += ", idioma " + d.idioma;
    }
    if (!d.fecha.empty()) {
        t += ", del " + d.fecha;
    }
    t += ".\n";
    if (!d.descripcion.empty()) {
        t += d.descripcion + "\n";
    }
    if (!d.creador.empty() || !d.editor.empty()) {
        t += "Creado por " + (d.creador.empty() ? std::string("(sin nombre)") : d.creador) +
             (d.editor.empty() ? std::string() : "; publicado por " + d.editor) + ".\n";
    }
    t += d.licencia.empty() ? std::string("Licencia no indicada en el archivo.\n") : "Licencia: " + d.licencia + ".\n";
    t += d.indiceCompleto
             ? std::string("Tiene \xC3\xADndice de texto completo: se puede elegir por una b\xC3\xBAsqueda.\n")
             : std::string("No tiene \xC3\xADndice de texto completo: solo se eligen art\xC3\xAD"
                           "culos por "
                           "su t\xC3\xADtulo o por sus enlaces.\n");
    return t;
}

std::string credito(const DatosZim& d) {
    std::string c = "Fuente: " + d.titulo;
    if (!d.fuente.empty()) {
        c += " (" + d.fuente + ")";
    }
    if (!d.creador.empty()) {
        c += ", de " + d.creador;
    }
    if (!d.editor.empty() && d.editor != d.creador) {
        c += ", publicado por " + d.editor;
    }
    if (!d.fecha.empty()) {
        c += ", " + d.fecha;
    }
    c += d.licencia.empty() ? std::string(" \xE2\x80\x94 licencia no indicada en el archivo")
                            : " \xE2\x80\x94 licencia " + d.licencia;
    return c;
}

} // namespace importar

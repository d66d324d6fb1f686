#pragma once

// A ZIM file (the offline format of Wikipedia, Wiktionary, Vikidia...) as a source of articles, through libzim's
// reading API (Debian libzim-dev): its metadata, its titles with suggestions as one types, its full text where
// it has an index, and the articles a selection reaches: by titles, by a full-text query, by following links
// to a depth, minus exclusions, redirects followed to their target and never an article twice.
//
// Everything here is UTF-8, as the file holds it. Nothing is written.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace importar {

struct DatosZim {
    std::string nombre; // the Name metadata, the same for every edition of one encyclopaedia
    std::string titulo;
    std::string idioma;
    std::string descripcion;
    std::string creador;
    std::string editor;
    std::string fecha;
    std::string licencia; // empty when the file names none
    std::string fuente;   // the Source metadata, where the content came from, or empty
    std::uint64_t articulos = 0;
    bool indiceCompleto = false; // whether full-text search is possible
};

// One article of the file: its path (inside the file, as links name it) and its title.
struct PaginaZim {
    std::string ruta;
    std::string titulo;
};

class FuenteZim {
public:
    // Nothing, and a Spanish sentence naming the file in `error`, for a file that is missing, is no ZIM file,
    // or is cut short or damaged.
    static std::unique_ptr<FuenteZim> abrir(const std::filesystem::path& archivo, std::string& error);
    ~FuenteZim();

    const DatosZim& datos() const { return datos_; }
    const std::filesystem::path& archivo() const { return archivo_; }

    // Titles that begin like `texto` (libzim's suggestion search), at most `cuantas`.
    std::vector<PaginaZim> sugerir(const std::string& texto, int cuantas) const;
    // The articles that match a full-text query, best first, at most `cuantos`; nothing when the file has no
    // full-text index.
    std::optional<std::vector<PaginaZim>> buscar(const std::string& consulta, int cuantos) const;
    // The article of a title or a path, its redirects followed; nothing when the file has none (or the entry
    // is no article).
    std::optional<PaginaZim> articulo(const std::string& tituloORuta) const;
    // An entry's bytes (redirects followed), at most `limite` of them; nothing when missing or larger.
    std::optional<std::string> contenido(const std::string& ruta, std::uint64_t limite,
                                         std::string* tipo = nullptr) const;

    // The path a link written in the page at `desde` leads to ("../A/Sol", "./Sol#Historia", "Sol%20rojo"), or
    // nothing for a link out of the file.
    static std::optional<std::string> resolver(const std::string& desde, const std::string& enlace);

private:
    struct Impl;
    FuenteZim(std::unique_ptr<Impl> impl, std::filesystem::path archivo, DatosZim datos);
    std::unique_ptr<Impl> impl_;
    std::filesystem::path archivo_;
    DatosZim datos_;
};

struct SeleccionZim {
    std::vector<std::string> titulos; // titles or paths, typed or from a file of titles
    std::string consulta;             // a full-text query, or empty
    std::size_t maximoConsulta = 100;
    std::vector<std::string> temas; // articles whose links are followed
    int profundidad = 2;
    std::size_t maximoTema = 500;
    // Titles left out: a whole title (letter case ignored), or a word that, found in a title, leaves it out.
    std::vector<std::string> excluir;
};

struct Seleccionadas {
    std::vector<PaginaZim> paginas;    // in the order they were reached
    std::vector<std::string> avisos;   // Spanish sentences: titles not found, exclusions, a missing index
    std::vector<std::string> consulta; // the paths the query gave (for a list), in order
    std::vector<std::string> tema;     // the paths the topics reached, in order
};

// The links of an article's HTML, as written.
using EnlacesDe = std::function<std::vector<std::string>(const std::string& html)>;

// The articles a selection reaches. `avance`, when given, hears how many are chosen so far.
Seleccionadas seleccionar(const FuenteZim& fuente, const SeleccionZim& seleccion, const EnlacesDe& enlaces,
                          const std::function<void(std::size_t)>& avance = {});

// The credit every imported article ends with, and the encyclopaedia's description gets: the file's title,
// source, creator and publisher, and its licence ("licencia no indicada en el archivo" when it names none).
std::string credito(const DatosZim& datos);

// The file's metadata as lines for the author (UTF-8).
std::string describir(const DatosZim& datos);

// Whether these bytes start as a ZIM file does.
bool pareceZim(std::string_view bytes);

} // namespace importar

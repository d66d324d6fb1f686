#pragma once

// Importing texts into an encyclopaedia: each file of plain text, Markdown or HTML becomes one article, its
// pictures illustrations copied into the encyclopaedia's IMG directory with their caption files, and its name
// is appended to COMPLETA.DAT.
//
// It happens in two steps so that the author sees everything before anything is written: planear() reads the
// texts and the encyclopaedia and decides every name, writing nothing; ejecutar() writes what the plan says.
// No existing file is ever replaced: names are chosen free, and a file that appeared in between stops the
// import. Every file is written whole (the store writes through a temporary file), and an article whose files
// cannot all be written is taken back, so a failure leaves the articles imported before it complete and
// listed, and nothing of the article that failed.

#include "documento.h"

#include "store/lines.h"
#include "store/result.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace importar {

struct IlustracionPlaneada {
    std::string nombre;                // the name in IMG and in the article (Windows-1252), one dot, three letters
    std::filesystem::path origen;      // the picture file
    std::string titulo;                // line 1 of its caption file (Windows-1252)
    std::vector<std::string> epigrafe; // the caption's further lines (Windows-1252)
    bool copiar = true;                // false when an earlier article of the same import copies it
};

struct ArticuloPlaneado {
    std::filesystem::path origen;
    Formato formato = Formato::Texto;
    std::string nombre; // the article's file name (Windows-1252), as it goes into COMPLETA.DAT
    std::string titulo; // Windows-1252
    store::Lineas cuerpo;
    std::vector<IlustracionPlaneada> ilustraciones;
    // What is not kept, and what was replaced, one Spanish sentence each (UTF-8).
    std::vector<std::string> avisos;
};

struct Plan {
    std::string tomo; // the encyclopaedia directory, as the store spells it
    std::vector<ArticuloPlaneado> articulos;
    std::vector<std::string> omitidos; // files left out, one Spanish sentence each (UTF-8)
};

// The texts to import from what the author gave: the files of a directory whose extension names a format
// (.txt, .md, .markdown, .htm, .html), in the order of their names; a file given by itself is taken whatever its
// extension says, read as plain text unless it names another format. Fails when `tomo` is no encyclopaedia.
store::Resultado<Plan> planear(const std::vector<std::filesystem::path>& entradas, std::string_view tomo);

struct Informe {
    std::vector<std::string> importados; // the names of the articles written and listed, in order
    std::optional<store::Error> error;   // what stopped the import, or nothing when every article was imported
};

// Writes the plan, article after article. `avance`, when given, hears how many articles are done after each;
// returning false stops before the next one (what was written stays, complete).
Informe ejecutar(const Plan& plan, const std::function<bool(std::size_t hechos)>& avance = {});

// The plan as text for the author (UTF-8): each article's name, title, illustrations and warnings, then the
// files left out.
std::string describir(const Plan& plan);
// The outcome as text (UTF-8).
std::string describir(const Informe& informe, const Plan& plan);

} // namespace importar

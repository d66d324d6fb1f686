#pragma once

// The check of one encyclopaedia: every problem a reader of it would meet, found by reading its files and
// writing nothing. Each problem says which file is at fault and where, and names the article or the list
// the author would open to put it right.

#include "resultado.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace store {

enum class TipoProblema {
    ArchivoPropioFaltante,  // COMPLETA.DAT, LISTAS.DAT, COLOR.DAT, DICT.DAT, DESCRIP.DAT or IMG is missing
    ArticuloFaltante,       // a line of COMPLETA.DAT names no article file that can be read
    ArticuloSinLista,       // an article file on disk that no list names
    EntradaFueraDeCompleta, // a named list's entry that COMPLETA.DAT does not hold
    EntradaDistinta,        // a named list's entry spelled otherwise than in COMPLETA.DAT
    ListaFaltante,          // a list of LISTAS.DAT whose file is missing
    ListaSinIndice,         // a list file on disk that LISTAS.DAT does not name
    ImagenFaltante,         // an illustration's or side picture's picture is missing
    ImagenIlegible,         // ... or cannot be loaded
    EpigrafeFaltante,       // an illustration without the caption file the viewer looks for
    IlustracionSinPunto,    // an illustration name without a "."
    ReferenciaRota,         // a dictionary entry referring to an article that does not exist
    EntradaRepetida,        // the same entry twice in a list, the list index or the dictionary
    ArticuloSinTitulo,      // an article without a title line
    BytesNoTexto,           // control characters, NUL or bytes Windows-1252 does not define
    DemasiadoGrande,        // a file beyond the size the programs read for its kind
    ColorFueraDeRango,      // a COLOR.DAT line that is no colour (out of range, not a number, missing)
    UltimoFaltante,         // ULTIMO.DAT names an article that does not exist
};

struct Problema {
    TipoProblema tipo;
    std::string archivo;     // the file at fault, as the store names it inside the encyclopaedia ("COMPLETA.DAT")
    std::size_t linea = 0;   // its line, from 1; 0 for the file as a whole
    std::string explicacion; // a Spanish sentence, Windows-1252
    std::string articulo;    // the article to open to put it right, or empty
    std::string lista;       // the named list to load to put it right, or empty
};

// "COMPLETA.DAT, línea 3: ..." (Windows-1252).
std::string describir(const Problema& problema);

struct OpcionesRevision {
    // Whether a picture's bytes can be loaded; by default its first bytes must be those of a picture format
    // the viewer reads (BMP, GIF, JPEG, PNG, ICO, CUR). May be called from several threads at once.
    std::function<bool(std::string_view bytes)> imagenLegible;
    // Called now and then with the articles read so far and their number, from the calling thread.
    std::function<void(std::size_t hechos, std::size_t total)> progreso;
    // Set from anywhere to stop early; what was found so far is returned.
    const std::atomic<bool>* cancelar = nullptr;
    unsigned hilos = 2; // threads reading articles
};

// Fails only when the directory itself cannot be found. The problems come in a stable order: the
// encyclopaedia's own files, the complete list and its articles, the named lists, the dictionary, files no
// list names.
Resultado<std::vector<Problema>> revisarEnciclopedia(std::string_view directorio,
                                                     const OpcionesRevision& opciones = {});

// The default test of imagenLegible.
bool pareceImagen(std::string_view bytes);

} // namespace store

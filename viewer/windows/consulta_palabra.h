#pragma once

// The look-up of a word double-clicked in the article text: the selection is upper-cased and stripped
// of surrounding punctuation, then looked up in the encyclopaedia's dictionary. A reference entry opens
// the article it names (without touching the last-article file); anything else is shown in the
// dictionary window, with the definition or the "not found" message.

#include "lexico/por_raiz.h"

#include <QString>

#include <functional>
#include <optional>
#include <string>

namespace store {
struct Error;
}

namespace consulta {

inline constexpr char16_t kNoSeEncuentra[] = u"NO SE ENCUENTRA LA PALABRA BUSCADA";

struct Acciones {
    // Opens the article at this full stored path.
    std::function<void(const std::string& ruta)> abrir;
    // Shows the dictionary window holding the word and the text.
    std::function<void(const QString& palabra, const QString& texto)> mostrarDiccionario;
    // Tells the reader why a reference could not be followed; the article shown stays.
    std::function<void(const QString& mensaje)> avisar;
};

// The entry found under a stem of a word that has none of its own (see lexico/por_raiz.h).
using PorRaiz = lexico::PorRaiz;
std::optional<PorRaiz> buscarPorRaiz(const std::string& directorio, const std::string& palabra);

// The first line shown above a definition found under a stem: "PLANETAS → PLANETA".
QString marcaDeRaiz(const std::string& palabra, const std::string& raiz);

// The text for the definition box when the dictionary itself cannot be read (a missing file says that
// the encyclopaedia has no dictionary).
QString textoSinDiccionario(const store::Error& error);

// What the dictionary window shows for `palabra` (Windows-1252, already in capitals): the definition,
// the definition found under a stem below the line naming the stem, the "not found" message, or why the
// dictionary could not be read.
QString definicionPara(const std::string& directorio, const std::string& palabra);

void consultarPalabra(const QString& seleccion, const std::string& directorio, const Acciones& acciones);

} // namespace consulta

#pragma once

// DICT.DAT: one entry per line, headword then spaces then definition. A word (already in capitals) is
// looked up by prefix: the first line whose upper-cased text begins with the word wins, and the rest of
// that line, without its leading spaces, is the definition (in capitals). A definition that begins with
// "/" is a reference to the article file named by the characters after it.

#include "archivo_de_texto.h"
#include "resultado.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace store {

// The definition for `palabra` in the given lines, or nothing when no line matches.
std::optional<std::string> buscarEnLineas(const Lineas& lineas, std::string_view palabra);
// The same over directorio + "\DICT.DAT", read as a stream: the file is never held whole, and a line is
// only looked at as far as the word goes. Fails when the file cannot be read or is larger than a dictionary
// may be (limits.h).
Resultado<std::optional<std::string>> buscarDefinicion(std::string_view directorio, std::string_view palabra);

// The look-up over a file given piece by piece, cut anywhere (even between a CR and its LF): the lines are
// those the store reads from the whole file. Each line is compared with the word byte by byte, upper-cased
// as it goes, and left as soon as a byte differs.
class BusquedaEnDiccionario {
public:
    explicit BusquedaEnDiccionario(std::string_view palabra);
    // Takes the next bytes of the file; true once the answer is known and nothing more need be given.
    bool leer(std::string_view trozo);
    // The definition, after the whole file was given or leer() returned true.
    std::optional<std::string> definicion() const;

private:
    enum class Estado { Comparando, Saltando, Copiando, Hecho };
    void finDeLinea();

    std::string palabra_;
    Estado estado_ = Estado::Comparando;
    std::size_t columna_ = 0; // bytes of the current line that matched the word so far
    bool crAntes_ = false;    // the last byte given was the CR ending a line: an LF opening the next piece goes
    std::string definicion_;
    std::optional<std::array<char, 2>> iniciales_; // the bytes a matching line starts with, for a quick pass
};

// One line of the dictionary as a reader sees it listed: the headword (the line without its leading spaces, up
// to the first space) and its definition (the rest, without its leading spaces), both in capitals, as a look-up
// of that headword shows them. Nothing for a line of spaces only.
struct EntradaDeDiccionario {
    std::string palabra;
    std::string definicion;
    bool operator==(const EntradaDeDiccionario&) const = default;
};
std::optional<EntradaDeDiccionario> entradaDeDiccionario(std::string_view linea);

// The article named by a reference definition ("/SOL.TXT" gives "SOL.TXT"), or nothing.
std::optional<std::string> referenciaDe(std::string_view definicion);

// The word of a double-click: the selection upper-cased, spaces removed at both ends, then, until a pass
// removes nothing, one trailing "," ";" ":" "." ")" "!" and then one leading "(" or "¡" per pass.
std::string limpiarPalabra(std::string_view seleccion);

} // namespace store

#pragma once

// COLOR.DAT: ten lines, line n holding slot n - 1 as a signed 32-bit decimal integer (red + green * 256 +
// blue * 65536). Spaces around the digits are ignored on reading; nothing checks the range.

#include "resultado.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace store {

using Esquema = std::array<std::int32_t, 10>;

inline constexpr Esquema kEsquemaPredeterminado = {8427423, 16777215, 12636368, 0, 14673120,
                                                   0,       16777215, 0,        0, 14673120};

// A line's value: optional spaces, an optional sign, digits, optional spaces, within 32 bits.
std::optional<std::int32_t> numeroDeLinea(std::string_view linea);

// The viewer's form: " 8427423 " (space for the sign, digits, one space); "-5 " for a negative value.
std::string formatoVisor(std::int32_t valor);
// The editor's form: bare digits.
std::string formatoEditor(std::int32_t valor);

struct LecturaColores {
    Esquema valores = kEsquemaPredeterminado; // slots not read keep the built-in scheme
    int leidos = 0;                           // how many slots came from the file (0 to 10)
    std::optional<Error> error;               // why reading stopped before ten, if it did
};
// Reads lines 1 to 10 of directorio + "\COLOR.DAT". Lines after the tenth are never read.
LecturaColores leerColores(std::string_view directorio);

// Ten lines in the viewer's form, replacing the file atomically.
Estado escribirColores(std::string_view directorio, const Esquema& esquema);
// Ten lines in the editor's form holding the default scheme.
Estado crearColoresPredeterminados(std::string_view directorio);

} // namespace store

#pragma once

// Windows-1252 text. Every std::string that crosses the store's interface holds Windows-1252 bytes:
// file contents, paths as typed, messages. Conversion to Unicode happens only at the user-interface
// edge (and for names on disk, which are UTF-8 on Linux).

#include <optional>
#include <string>
#include <string_view>

namespace store {

// Upper case of one Windows-1252 byte: a-z, the accented letters (á->Á, ñ->Ñ), š->Š, œ->Œ, ž->Ž, ÿ->Ÿ.
// ß, µ and every other byte stay. One byte to one byte, so lengths never change.
unsigned char mayuscula(unsigned char c);
std::string aMayusculas(std::string_view texto);

// Equal without regard to letter case, by the mapping above.
bool igualesSinCaso(std::string_view a, std::string_view b);

// Spaces only (not tabs), as the store's line rules remove them.
std::string_view sinEspaciosIzquierda(std::string_view s);
std::string_view sinEspaciosDerecha(std::string_view s);
std::string_view sinEspacios(std::string_view s);

// Every byte maps to one code point; the five bytes Windows-1252 leaves undefined (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) map to the C1 control of the same value, so all 256 byte values round-trip.
char32_t aUnicode(unsigned char c);
std::optional<unsigned char> desdeUnicode(char32_t u);

std::string cp1252AUtf8(std::string_view cp1252);

// Converts UTF-8 to Windows-1252. Returns nothing when some character has no Windows-1252 byte;
// then `noRepresentables`, when given, receives those characters (UTF-8, each once, in order).
// Invalid UTF-8 is refused the same way.
std::optional<std::string> utf8ACp1252(std::string_view utf8, std::string* noRepresentables = nullptr);

} // namespace store

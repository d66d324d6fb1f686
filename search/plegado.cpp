#include "search/plegado.h"

#include <array>

namespace search {

namespace {

struct Tabla {
    std::array<std::string_view, 256> letras{};

    Tabla() {
        for (int c = '0'; c <= '9'; ++c) {
            letras[c] = kAscii.substr(static_cast<std::size_t>(c - '0'), 1);
        }
        for (int c = 'a'; c <= 'z'; ++c) {
            letras[c] = letras[c - 'a' + 'A'] = kAscii.substr(static_cast<std::size_t>(10 + c - 'a'), 1);
        }
        // Windows-1252 letters beyond ASCII, upper case at 0xC0..0xDE and lower case 0x20 above.
        const char* const acentuadas[] = {
            "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i",  "i",
            "d", "n", "o", "o", "o", "o", "o",  "",  "o", "u", "u", "u", "u", "y", "th", "ss",
        };
        for (int i = 0; i < 32; ++i) {
            letras[0xC0 + i] = acentuadas[i];
            if (i != 31) { // 0xFF is ÿ, not the lower case of ß
                letras[0xE0 + i] = acentuadas[i];
            }
        }
        letras[0xF7] = ""; // ÷, as × above
        letras[0xFF] = "y";
        letras[0x8A] = letras[0x9A] = "s";  // Š š
        letras[0x8C] = letras[0x9C] = "oe"; // Œ œ
        letras[0x8E] = letras[0x9E] = "z";  // Ž ž
        letras[0x9F] = "y";                 // Ÿ
    }

    static constexpr std::string_view kAscii = "0123456789abcdefghijklmnopqrstuvwxyz";
};

const Tabla& tabla() {
    static const Tabla t;
    return t;
}

} // namespace

std::string_view plegarLetra(unsigned char c) {
    return tabla().letras[c];
}

std::string plegar(std::string_view cp1252) {
    std::string r;
    r.reserve(cp1252.size());
    for (const char c : cp1252) {
        const std::string_view p = plegarLetra(static_cast<unsigned char>(c));
        if (p.empty()) {
            r += c;
        } else {
            r += p;
        }
    }
    return r;
}

} // namespace search

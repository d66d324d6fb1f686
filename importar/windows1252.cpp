#include "windows1252.h"

#include "store/codificacion.h"

#include <cstdint>

namespace importar {

namespace {

// The letters of Latin Extended-A (U+0100 to U+017F) without their marks.
constexpr std::string_view kLatinExtendidaA = "AaAaAaCcCcCcCcDd"
                                              "DdEeEeEeEeEeGgGg"
                                              "GgGgHhHhIiIiIiIi"
                                              "IiJjJjKkkLlLlLlL"
                                              "lLlNnNnNnnNnOoOo"
                                              "OoOoRrRrRrSsSsSs"
                                              "SsTtTtTtUuUuUuUu"
                                              "UuUuWwYyYZzZzZzs";

struct Sustituto {
    char32_t codigo;
    const char* por; // Windows-1252
};

constexpr Sustituto kSustitutos[] = {
    {0x2190, "<-"},
    {0x2192, "->"},
    {0x2194, "<->"},
    {0x21D2, "=>"},
    {0x21D0, "<="},
    {0x2191, "^"},
    {0x2193, "v"},
    {0x2264, "<="},
    {0x2265, ">="},
    {0x2260, "!="},
    {0x2248, "~"},
    {0x2212, "-"},
    {0x2010, "-"},
    {0x2011, "-"},
    {0x2012, "-"},
    {0x2015, "\x97"},
    {0x2032, "'"},
    {0x2033, "\""},
    {0x2002, " "},
    {0x2003, " "},
    {0x2009, " "},
    {0x200A, " "},
    {0x202F, " "},
    {0x2007, " "},
    {0x2008, " "},
    {0x2005, " "},
    {0x2006, " "},
    {0x2004, " "},
    {0x200B, ""},
    {0x200C, ""},
    {0x200D, ""},
    {0x2060, ""},
    {0xFEFF, ""},
    {0x221E, "infinito"},
    {0x2713, "v"},
    {0x2022, "\x95"},
    {0x25CF, "\x95"},
    {0x2043, "-"},
    {0x00AD, ""},
    {0x03B1, "alfa"},
    {0x03B2, "beta"},
    {0x03B3, "gamma"},
    {0x03B4, "delta"},
    {0x03B5, "\xE9psilon"},
    {0x03B8, "theta"},
    {0x03BB, "lambda"},
    {0x03BC, "\xB5"},
    {0x03C0, "pi"},
    {0x03C3, "sigma"},
    {0x03C9, "omega"},
    {0x0394, "Delta"},
    {0x03A3, "Sigma"},
    {0x03A9, "Omega"},
    {0x2116, "N.\xBA"},
    {0x2103, "\xB0"
             "C"},
    {0x2153, "1/3"},
    {0x2154, "2/3"},
    {0x215B, "1/8"},
    {0x2070, "\xB0"},
    {0x2074, "4"},
    {0x00A0, " "},
};

char32_t siguiente(std::string_view s, std::size_t& i) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t n = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 0;
    if (c >= 0x80 && n == 0) {
        ++i;
        return 0xFFFD;
    }
    char32_t u = n == 0 ? c : c & (0x3F >> n);
    std::size_t k = 1;
    for (; k <= n && i + k < s.size(); ++k) {
        const auto d = static_cast<unsigned char>(s[i + k]);
        if ((d & 0xC0) != 0x80) {
            break;
        }
        u = (u << 6) | (d & 0x3F);
    }
    if (k <= n) {
        i += k;
        return 0xFFFD;
    }
    i += n + 1;
    return u;
}

} // namespace

std::string reemplazoDe(char32_t u) {
    if (u >= 0x100 && u <= 0x17F) {
        return std::string(1, kLatinExtendidaA[u - 0x100]);
    }
    for (const Sustituto& s : kSustitutos) {
        if (s.codigo == u) {
            return s.por;
        }
    }
    return "?";
}

std::string Conversor::operator()(std::string_view utf8) {
    std::string r;
    r.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const std::size_t desde = i;
        const char32_t u = siguiente(utf8, i);
        if (u == '\t') {
            r += ' ';
            continue;
        }
        if (u < 0x20 || u == 0x7F || (u >= 0x80 && u <= 0x9F)) {
            continue;
        }
        // U+00A0 is in the code page, but a no-break space would make a word the store splits nowhere else.
        if (u != 0xA0) {
            if (const auto b = store::desdeUnicode(u)) {
                r += static_cast<char>(*b);
                continue;
            }
        }
        const std::string por = reemplazoDe(u);
        r += por;
        if (u != 0xA0) {
            Reemplazo& x = reemplazos_[std::string(utf8.substr(desde, i - desde))];
            x.por = por;
            ++x.veces;
        }
    }
    return r;
}

std::vector<std::string> Conversor::reemplazos() const {
    std::vector<std::string> frases;
    for (const auto& [de, r] : reemplazos_) {
        std::string frase = "\xC2\xAB" + de + "\xC2\xBB se cambia por ";
        frase += r.por.empty() ? std::string("nada") : "\xC2\xAB" + store::cp1252AUtf8(r.por) + "\xC2\xBB";
        if (r.veces > 1) {
            frase += " (" + std::to_string(r.veces) + " veces)";
        }
        frases.push_back(std::move(frase));
    }
    return frases;
}

} // namespace importar

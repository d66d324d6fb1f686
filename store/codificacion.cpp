#include "codificacion.h"

#include <array>

namespace store {

namespace {

// Code points of the bytes 0x80 to 0x9F; the five undefined bytes keep their C1 control value.
constexpr std::array<char32_t, 32> kAltos = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void anexarUtf8(std::string& s, char32_t u) {
    if (u < 0x80) {
        s += static_cast<char>(u);
    } else if (u < 0x800) {
        s += static_cast<char>(0xC0 | (u >> 6));
        s += static_cast<char>(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        s += static_cast<char>(0xE0 | (u >> 12));
        s += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (u >> 18));
        s += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (u & 0x3F));
    }
}

// Decodes one UTF-8 sequence at s[i]; advances i. Nothing for an invalid sequence (then i skips one byte).
std::optional<char32_t> siguienteUtf8(std::string_view s, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int extra = 0;
    char32_t u = 0;
    char32_t minimo = 0;
    if ((b0 & 0xE0) == 0xC0) {
        extra = 1;
        u = b0 & 0x1F;
        minimo = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2;
        u = b0 & 0x0F;
        minimo = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3;
        u = b0 & 0x07;
        minimo = 0x10000;
    } else {
        ++i;
        return std::nullopt;
    }
    if (i + static_cast<std::size_t>(extra) >= s.size()) {
        ++i;
        return std::nullopt;
    }
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return std::nullopt;
        }
        u = (u << 6) | (b & 0x3F);
    }
    if (u < minimo || u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF)) {
        ++i;
        return std::nullopt;
    }
    i += extra + 1;
    return u;
}

} // namespace

unsigned char mayuscula(unsigned char c) {
    if (c >= 'a' && c <= 'z')
        return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<unsigned char>(c - 32);
    switch (c) {
    case 0x9A: // š
        return 0x8A;
    case 0x9C: // œ
        return 0x8C;
    case 0x9E: // ž
        return 0x8E;
    case 0xFF: // ÿ
        return 0x9F;
    default:
        return c;
    }
}

std::string aMayusculas(std::string_view texto) {
    std::string r(texto);
    for (char& c : r)
        c = static_cast<char>(mayuscula(static_cast<unsigned char>(c)));
    return r;
}

bool igualesSinCaso(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (mayuscula(static_cast<unsigned char>(a[i])) != mayuscula(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::string_view sinEspaciosIzquierda(std::string_view s) {
    const auto p = s.find_first_not_of(' ');
    return p == std::string_view::npos ? std::string_view() : s.substr(p);
}

std::string_view sinEspaciosDerecha(std::string_view s) {
    const auto p = s.find_last_not_of(' ');
    return p == std::string_view::npos ? std::string_view() : s.substr(0, p + 1);
}

std::string_view sinEspacios(std::string_view s) {
    return sinEspaciosDerecha(sinEspaciosIzquierda(s));
}

char32_t aUnicode(unsigned char c) {
    if (c >= 0x80 && c <= 0x9F)
        return kAltos[c - 0x80];
    return c;
}

std::optional<unsigned char> desdeUnicode(char32_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<unsigned char>(u);
    for (std::size_t i = 0; i < kAltos.size(); ++i) {
        if (kAltos[i] == u)
            return static_cast<unsigned char>(0x80 + i);
    }
    return std::nullopt;
}

std::string cp1252AUtf8(std::string_view cp1252) {
    std::string r;
    r.reserve(cp1252.size() + cp1252.size() / 4);
    for (char c : cp1252)
        anexarUtf8(r, aUnicode(static_cast<unsigned char>(c)));
    return r;
}

std::optional<std::string> utf8ACp1252(std::string_view utf8, std::string* noRepresentables) {
    std::string r;
    r.reserve(utf8.size());
    std::u32string malos;
    bool ok = true;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto u = siguienteUtf8(utf8, i);
        const char32_t malo = u ? *u : U'\uFFFD';
        if (u) {
            if (const auto b = desdeUnicode(*u)) {
                r += static_cast<char>(*b);
                continue;
            }
        }
        ok = false;
        if (malos.find(malo) == std::u32string::npos)
            malos += malo;
    }
    if (ok)
        return r;
    if (noRepresentables) {
        noRepresentables->clear();
        for (char32_t m : malos)
            anexarUtf8(*noRepresentables, m);
    }
    return std::nullopt;
}

} // namespace store

#include "store/codificacion.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cwctype>

using namespace store;

namespace {

TEST(Cp1252, everyByteRoundTripsThroughUnicodeAndUtf8) {
    std::string todos;
    for (int b = 0; b < 256; ++b) {
        const auto c = static_cast<unsigned char>(b);
        todos += static_cast<char>(c);
        const auto vuelta = desdeUnicode(aUnicode(c));
        ASSERT_TRUE(vuelta.has_value()) << "byte " << b;
        EXPECT_EQ(*vuelta, c) << "byte " << b;
    }
    const auto utf8 = cp1252AUtf8(todos);
    const auto vuelta = utf8ACp1252(utf8);
    ASSERT_TRUE(vuelta.has_value());
    EXPECT_EQ(*vuelta, todos);
}

TEST(Cp1252, mapsTheWindowsSpecificRange) {
    struct Caso {
        unsigned char byte;
        char32_t unicode;
    };
    const Caso casos[] = {
        {0x80, U'\u20AC'}, {0x81, 0x81},      {0x8A, U'\u0160'}, {0x8D, 0x8D},      {0x8F, 0x8F},
        {0x90, 0x90},      {0x93, U'\u201C'}, {0x9D, 0x9D},      {0x9F, U'\u0178'}, {0xA0, 0xA0},
        {0xE1, U'\u00E1'}, {0xFF, U'\u00FF'}, {0x00, 0x00},      {0x7F, 0x7F},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(aUnicode(c.byte), c.unicode) << int(c.byte);
        EXPECT_EQ(desdeUnicode(c.unicode), c.byte) << int(c.byte);
    }
    EXPECT_FALSE(desdeUnicode(U'\u03A9').has_value());
    EXPECT_FALSE(desdeUnicode(0x100).has_value());
    EXPECT_EQ(cp1252AUtf8("R\xCDO \x80"), "R\u00CDO \u20AC");
}

TEST(Cp1252, refusesWhatItCannotHoldAndNamesEachCharacterOnce) {
    struct Caso {
        const char* nombre;
        std::string utf8;
        std::string faltan;
    };
    const Caso casos[] = {
        {"greek and chinese", "\u03A9 y \u4E2D y \u03A9", "\u03A9\u4E2D"},
        {"emoji", "sol \U0001F31E", "\U0001F31E"},
        {"truncated sequence", "a\xC3", "\uFFFD"},
        {"overlong slash", "\xC0\xAF", "\uFFFD"},
        {"surrogate", "\xED\xA0\x80", "\uFFFD"},
        {"stray continuation", "\x80", "\uFFFD"},
    };
    for (const auto& c : casos) {
        std::string faltan = "previous";
        EXPECT_FALSE(utf8ACp1252(c.utf8, &faltan).has_value()) << c.nombre;
        EXPECT_EQ(faltan, c.faltan) << c.nombre;
    }
    EXPECT_EQ(utf8ACp1252("a\u20ACb \u00F1"), std::optional<std::string>("a\x80"
                                                                         "b \xF1"));
    EXPECT_EQ(utf8ACp1252(""), std::optional<std::string>(""));
}

TEST(Mayusculas, namedLettersMapOneByteToOne) {
    const std::pair<unsigned char, unsigned char> casos[] = {
        {'a', 'A'},   {'z', 'Z'},   {'A', 'A'},   {0xE1, 0xC1}, {0xF1, 0xD1}, {0xFF, 0x9F},
        {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9E, 0x8E}, {0xDF, 0xDF}, {0xB5, 0xB5}, {0xF7, 0xF7},
        {0xFE, 0xDE}, {0xE6, 0xC6}, {'1', '1'},   {'<', '<'},   {0xA1, 0xA1}, {0xBF, 0xBF},
    };
    for (const auto& [minuscula, esperada] : casos)
        EXPECT_EQ(mayuscula(minuscula), esperada) << int(minuscula);
    EXPECT_EQ(aMayusculas("r\xEDo se\xF1or \xDF"), "R\xCDO SE\xD1OR \xDF");
}

// The whole table, byte by byte, against the upper case of Windows-1252 written out here: the lower-case
// letters whose upper case the code page also holds, in runs and singles; every other byte (ß, µ, ƒ, the
// upper-case letters, digits, signs) maps to itself. Where the C library has a Unicode locale, the written
// table is checked against its upper case too.
TEST(Mayusculas, wholeTableAgreesWithUnicode) {
    struct Tramo {
        unsigned char desde, hasta, mayuscula;
    };
    const Tramo tramos[] = {
        {'a', 'z', 'A'},    {0xE0, 0xF6, 0xC0}, {0xF8, 0xFE, 0xD8},                     // a-z, à-ö, ø-þ
        {0x9A, 0x9A, 0x8A}, {0x9C, 0x9C, 0x8C}, {0x9E, 0x9E, 0x8E}, {0xFF, 0xFF, 0x9F}, // š œ ž ÿ
    };
    unsigned char tabla[256];
    for (int b = 0; b < 256; ++b)
        tabla[b] = static_cast<unsigned char>(b);
    for (const auto& t : tramos)
        for (int b = t.desde; b <= t.hasta; ++b)
            tabla[b] = static_cast<unsigned char>(t.mayuscula + (b - t.desde));
    const bool unicode = std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr;
    for (int b = 0; b < 256; ++b) {
        const auto c = static_cast<unsigned char>(b);
        EXPECT_EQ(mayuscula(c), tabla[b]) << "byte " << b;
        if (unicode) {
            const auto superior = static_cast<char32_t>(std::towupper(static_cast<wint_t>(aUnicode(c))));
            EXPECT_EQ(desdeUnicode(superior).value_or(c), tabla[b]) << "byte " << b;
        }
    }
    std::setlocale(LC_CTYPE, "C");
}

TEST(Mayusculas, comparisonsIgnoreCaseOnly) {
    EXPECT_TRUE(igualesSinCaso("R\xCDO.TXT", "r\xEDo.txt"));
    EXPECT_TRUE(igualesSinCaso("Img", "IMG"));
    EXPECT_FALSE(igualesSinCaso("RIO.TXT", "R\xCDO.TXT"));
    EXPECT_FALSE(igualesSinCaso("SOL", "SOL "));
    EXPECT_TRUE(igualesSinCaso("", ""));
}

TEST(Espacios, onlySpacesAreRemoved) {
    EXPECT_EQ(sinEspacios("  a b  "), "a b");
    EXPECT_EQ(sinEspacios("\ta\t"), "\ta\t");
    EXPECT_EQ(sinEspacios("    "), "");
    EXPECT_EQ(sinEspaciosIzquierda("  a  "), "a  ");
    EXPECT_EQ(sinEspaciosDerecha("  a  "), "  a");
}

} // namespace

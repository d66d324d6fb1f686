// JSON strings and URL parts as browsers parse them: what must be escaped is, and nothing else moves.

#include "render/texto_web.h"

#include <gtest/gtest.h>

namespace {

TEST(TextoWeb, jsonEscapesWhatWouldEndOrBreakTheLiteral) {
    const struct {
        std::string texto, json;
    } casos[] = {
        {"", "\"\""},
        {"Río \"Ebro\"", "\"Río \\\"Ebro\\\"\""},
        {"a\\b", "\"a\\\\b\""},
        {"</script>", "\"\\u003c/script>\""},
        {std::string("\x01\n\t\x1f", 4), "\"\\u0001\\u000a\\u0009\\u001f\""},
        {"ñandú €", "\"ñandú €\""},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(render::escaparJson(c.texto), c.json) << c.texto;
    }
}

TEST(TextoWeb, urlKeepsOnlyUnreservedAndWhatIsAsked) {
    const struct {
        std::string texto, ademas, url;
    } casos[] = {
        {"articulos/SOL.TXT.html", "/", "articulos/SOL.TXT.html"},
        {"articulos/SOL.TXT.html", "", "articulos%2FSOL.TXT.html"},
        {"a b+c&d=e?f#g%h~i_j-k", "", "a%20b%2Bc%26d%3De%3Ff%23g%25h~i_j-k"},
        {"Río Ñ", "", "R%C3%ADo%20%C3%91"},
        {"..\\x", "/", "..%5Cx"},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(render::codificarUrl(c.texto, c.ademas), c.url) << c.texto;
    }
}

TEST(TextoWeb, decodingUndoesEncodingAndKeepsABrokenEscape) {
    for (const std::string texto : {"Río Ñ/a b+c&d%e~", "", "%", "100%", "\x01\x7f"}) {
        EXPECT_EQ(render::decodificarUrl(render::codificarUrl(texto, "/")), texto) << texto;
    }
    const struct {
        std::string url, texto;
    } casos[] = {{"%41%4a%4A", "AJJ"}, {"%", "%"}, {"%4", "%4"}, {"%zz%41", "%zzA"}, {"a%2", "a%2"}, {"%%41", "%A"}};
    for (const auto& c : casos) {
        EXPECT_EQ(render::decodificarUrl(c.url), c.texto) << c.url;
    }
}

} // namespace

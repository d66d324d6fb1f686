#include "render/texto_web.h"

namespace render {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";
constexpr char kHexJson[] = "0123456789abcdef";

bool sinReservar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

} // namespace

std::string escaparJson(std::string_view utf8) {
    std::string s = "\"";
    s.reserve(utf8.size() + 2);
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            s += '\\';
            s += c;
        } else if (u < 0x20) {
            s += "\\u00";
            s += kHexJson[u >> 4];
            s += kHexJson[u & 15];
        } else if (c == '<') {
            s += "\\u003c";
        } else {
            s += c;
        }
    }
    return s + '"';
}

std::string codificarUrl(std::string_view utf8, std::string_view ademas) {
    std::string s;
    s.reserve(utf8.size());
    for (const char c : utf8) {
        if (sinReservar(c) || ademas.find(c) != std::string_view::npos) {
            s += c;
        } else {
            const auto u = static_cast<unsigned char>(c);
            s += '%';
            s += kHex[u >> 4];
            s += kHex[u & 15];
        }
    }
    return s;
}

std::string decodificarUrl(std::string_view texto) {
    const auto valor = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    std::string s;
    s.reserve(texto.size());
    for (std::size_t i = 0; i < texto.size(); ++i) {
        if (texto[i] == '%' && i + 2 < texto.size() && valor(texto[i + 1]) >= 0 && valor(texto[i + 2]) >= 0) {
            s += static_cast<char>(valor(texto[i + 1]) * 16 + valor(texto[i + 2]));
            i += 2;
        } else {
            s += texto[i];
        }
    }
    return s;
}

} // namespace render

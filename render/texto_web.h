#pragma once

// Text written into what browsers and readers parse besides markup: a JSON string and a percent-encoded URL
// part. One rule each for every page, site and answer that needs them.

#include <string>
#include <string_view>

namespace render {

// A JSON string literal of UTF-8 text, quotes included: '"' and '\' escaped, control characters as \u00XX, and
// '<' as \u003c so that the literal never closes a <script> it stands in.
std::string escaparJson(std::string_view utf8);

// The bytes of `utf8` as they may stand in a URL: letters, digits, "-", ".", "_", "~" and the characters of
// `ademas` as they are, every other byte as %XX (upper-case hex). With `ademas` "/" a path keeps its folders.
std::string codificarUrl(std::string_view utf8, std::string_view ademas = {});

// `texto` with each "%" followed by two hex digits made the byte they name; any other "%" is kept as it is.
std::string decodificarUrl(std::string_view texto);

} // namespace render

#pragma once

// The forms under which a folded Spanish word is indexed and looked for. The Spanish stemmer alone does
// not bring a plural and its singular together everywhere ("ciudad" stems to "ciud" but "ciudades" to
// "ciudad"; "ríos" stays "rios" while "río" is "rio"), so every word stands for two stems: its own and
// that of its singular. A query word meets an indexed word when the two share one of them.

#include <xapian.h>

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace search {

// The singular of a folded Spanish word by the regular rules ("luces"->"luz", "ciudades"->"ciudad",
// "planetas"->"planeta"); words of three letters or less and words that do not look plural are kept.
std::string singular(std::string_view plegada);

// Term prefixes in the index: stems carry "Z" (the word's own stem carries its positions, for
// phrases); the stems of title words carry "T" as well.
inline constexpr std::string_view kPrefijoRaiz = "Z";
inline constexpr std::string_view kPrefijoTitulo = "T";

class Formas;

// The stem prefixes (with kPrefijoRaiz) that stand for a folded word prefix: the prefix itself, and its
// stems, for a prefix that runs past the stem of the words it begins ("ciudade" begins "ciudades",
// indexed as "ciudad" and "ciud").
std::vector<std::string> prefijosDeRaiz(std::string_view prefijo, Formas& formas);

class Formas {
public:
    Formas();

    // The index terms of a folded word's one or two stems, each with kPrefijoRaiz: first the word's own
    // stem, then that of its singular when it differs. The reference stays valid until the next call.
    const std::vector<std::string>& raices(std::string_view plegada);

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    Xapian::Stem raiz_;
    std::unordered_map<std::string, std::vector<std::string>, Hash, std::equal_to<>> cache_;
};

} // namespace search

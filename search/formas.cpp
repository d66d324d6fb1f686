#include "search/formas.h"

#include <algorithm>

namespace search {

namespace {

bool terminaEn(std::string_view p, std::string_view fin) {
    return p.size() >= fin.size() && p.substr(p.size() - fin.size()) == fin;
}

bool esVocal(char c) {
    return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u';
}

// Words of text run into a few hundred thousand at most; past this the cache starts afresh.
constexpr std::size_t kMaximoEnCache = 500000;

} // namespace

std::string singular(std::string_view p) {
    const std::size_t n = p.size();
    if (n <= 3) {
        return std::string(p);
    }
    if (terminaEn(p, "ces")) {
        return std::string(p.substr(0, n - 3)) + "z";
    }
    if (terminaEn(p, "es") && std::string_view("lrndjy").find(p[n - 3]) != std::string_view::npos) {
        return std::string(p.substr(0, n - 2));
    }
    if (p[n - 1] == 's' && esVocal(p[n - 2])) {
        return std::string(p.substr(0, n - 1));
    }
    return std::string(p);
}

std::vector<std::string> prefijosDeRaiz(std::string_view prefijo, Formas& formas) {
    std::vector<std::string> r{std::string(kPrefijoRaiz) + std::string(prefijo)};
    for (const std::string& raiz : formas.raices(prefijo)) {
        if (std::find(r.begin(), r.end(), raiz) == r.end()) {
            r.push_back(raiz);
        }
    }
    return r;
}

Formas::Formas() : raiz_("spanish") {}

const std::vector<std::string>& Formas::raices(std::string_view plegada) {
    if (const auto hallada = cache_.find(plegada); hallada != cache_.end()) {
        return hallada->second;
    }
    if (cache_.size() >= kMaximoEnCache) {
        cache_.clear();
    }
    const std::string clave(plegada);
    std::vector<std::string> r{std::string(kPrefijoRaiz) + raiz_(clave)};
    if (std::string deSingular = std::string(kPrefijoRaiz) + raiz_(singular(plegada)); deSingular != r.front()) {
        r.push_back(std::move(deSingular));
    }
    return cache_.emplace(clave, std::move(r)).first->second;
}

} // namespace search

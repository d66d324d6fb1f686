#pragma once

// An encyclopaedia's DICT.DAT with an index of its own, for the classroom server: a look-up costs a few
// comparisons whether the word is there or not, where reading the file through would cost the whole file for
// every word it lacks. The answer is the file's own: the first line whose upper-cased text begins with the word
// wins, the lines split as the store splits them, and the definition is what the store's look-up takes from that
// line. The index is made at the first look-up and again whenever the file changes (another file in its
// place, another size or time); a file larger than kIndexable is looked up through the store, as before.

#include "store/resultado.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace server {

inline constexpr std::uint64_t kIndexable = 64ull << 20;

class DiccionarioIndexado {
public:
    // `directorio`: the encyclopaedia as the store names it.
    explicit DiccionarioIndexado(std::string directorio);
    ~DiccionarioIndexado();

    // As store::buscarDefinicion(directorio, palabra): the definition, nothing for no entry, or why the file
    // could not be read. Any number of threads at once.
    store::Resultado<std::optional<std::string>> buscar(std::string_view palabra);

    struct Indice;

private:
    std::string directorio_;
    std::mutex mutex_;
    std::shared_ptr<const Indice> indice_;
};

} // namespace server

#include "lines.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace store {

Lineas::Lineas(std::initializer_list<std::string_view> lineas) {
    std::size_t bytes = 0;
    for (const std::string_view l : lineas)
        bytes += l.size();
    reserve(lineas.size(), bytes);
    for (const std::string_view l : lineas)
        push_back(l);
}

Lineas Lineas::partir(std::string_view bytes) {
    if (bytes.size() > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("Lineas: more than 4 GiB of lines");
    // Room is made once for the most there can be: one line per CR and one after the last, holding all bytes
    // but the CRs. The text is written in place, then cut to what was written (its room stays, at most the
    // file's size).
    const auto crs = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\r'));
    Lineas l;
    l.texto_.resize(bytes.size() - crs);
    l.fines_.reserve(crs + 1);
    char* const texto = l.texto_.data();
    std::size_t escrito = 0;
    porCadaLinea(bytes, [&](std::string_view linea) {
        if (!linea.empty()) {
            std::memcpy(texto + escrito, linea.data(), linea.size());
            escrito += linea.size();
        }
        l.fines_.push_back(static_cast<std::uint32_t>(escrito));
    });
    l.texto_.resize(escrito);
    return l;
}

void Lineas::push_back(std::string_view linea) {
    if (linea.size() > std::numeric_limits<std::uint32_t>::max() - texto_.size())
        throw std::length_error("Lineas: more than 4 GiB of lines");
    texto_.append(linea);
    fines_.push_back(static_cast<std::uint32_t>(texto_.size()));
}

void Lineas::agregar(const Lineas& otras) {
    if (otras.texto_.size() > std::numeric_limits<std::uint32_t>::max() - texto_.size())
        throw std::length_error("Lineas: more than 4 GiB of lines");
    const auto base = static_cast<std::uint32_t>(texto_.size());
    texto_.append(otras.texto_);
    // By index, so that adding a Lineas to itself reads its ends as they were.
    const std::size_t n = otras.fines_.size();
    for (std::size_t i = 0; i < n; ++i)
        fines_.push_back(base + otras.fines_[i]);
}

void Lineas::reserve(std::size_t lineas, std::size_t bytes) {
    fines_.reserve(fines_.size() + lineas);
    texto_.reserve(texto_.size() + bytes);
}

void Lineas::clear() {
    texto_.clear();
    fines_.clear();
}

} // namespace store

#include "lines.h"

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
    for (const std::uint32_t fin : otras.fines_)
        fines_.push_back(base + fin);
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

#include "main_window/historial.h"

void Historial::registrar(const std::string& ruta) {
    if (lugar_ >= 0 && entradas_[static_cast<std::size_t>(lugar_)] == ruta) {
        return;
    }
    entradas_.resize(static_cast<std::size_t>(lugar_ + 1));
    entradas_.push_back(ruta);
    lugar_ = static_cast<int>(entradas_.size()) - 1;
}

const std::string* Historial::vecino(int paso) const {
    const int destino = lugar_ + paso;
    if (lugar_ < 0 || destino < 0 || destino >= static_cast<int>(entradas_.size())) {
        return nullptr;
    }
    return &entradas_[static_cast<std::size_t>(destino)];
}

void Historial::mover(int paso) {
    if (vecino(paso)) {
        lugar_ += paso;
    }
}

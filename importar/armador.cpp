#include "armador.h"

namespace importar {

namespace {

bool blanco(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

} // namespace

std::string recortado(std::string_view s) {
    std::size_t a = 0;
    std::size_t b = s.size();
    while (a < b && blanco(s[a])) {
        ++a;
    }
    while (b > a && blanco(s[b - 1])) {
        --b;
    }
    return std::string(s.substr(a, b - a));
}

void Armador::texto(std::string_view s) {
    for (const char c : s) {
        if (blanco(c)) {
            if (!actual_.empty() && actual_.back() != ' ') {
                actual_ += ' ';
            }
        } else {
            if (actual_.empty() && !prefijo_.empty()) {
                actual_ = prefijo_;
                prefijo_.clear();
            }
            actual_ += c;
        }
    }
}

void Armador::literal(std::string_view s) {
    if (actual_.empty() && !prefijo_.empty()) {
        actual_ = prefijo_;
        prefijo_.clear();
    }
    actual_ += s;
}

void Armador::cortar() {
    std::string parrafo = recortado(actual_);
    actual_.clear();
    if (!parrafo.empty()) {
        Bloque b;
        b.texto = std::move(parrafo);
        documento_.bloques.push_back(std::move(b));
    }
    for (Imagen& i : imagenes_) {
        Bloque b;
        b.tipo = Bloque::Tipo::Imagen;
        b.imagen = std::move(i);
        documento_.bloques.push_back(std::move(b));
    }
    imagenes_.clear();
}

void Armador::imagen(Imagen imagen) {
    imagenes_.push_back(std::move(imagen));
}

std::string Armador::tomar() {
    std::string t = recortado(actual_);
    actual_.clear();
    return t;
}

void Armador::encabezado(std::string texto) {
    if (texto.empty()) {
        return;
    }
    if (documento_.titulo.empty()) {
        documento_.titulo = std::move(texto);
    } else {
        actual_ = std::move(texto);
        cortar();
    }
}

} // namespace importar

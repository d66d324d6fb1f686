#include "historial/diferencia.h"

#include "historial/git.h"

#include <cctype>

namespace historial {

namespace {

// Words (letters, digits and every byte of a multi-byte character), runs of blanks, and single other
// characters; a line end is a piece of its own.
std::vector<std::string> piezas(std::string_view texto) {
    const auto dePalabra = [](unsigned char c) { return c >= 0x80 || std::isalnum(c) || c == '_'; };
    const auto blanco = [](unsigned char c) { return c == ' ' || c == '\t'; };
    std::vector<std::string> lista;
    std::size_t i = 0;
    while (i < texto.size()) {
        const auto c = static_cast<unsigned char>(texto[i]);
        std::size_t j = i + 1;
        if (dePalabra(c)) {
            while (j < texto.size() && dePalabra(static_cast<unsigned char>(texto[j]))) {
                ++j;
            }
        } else if (blanco(c)) {
            while (j < texto.size() && blanco(static_cast<unsigned char>(texto[j]))) {
                ++j;
            }
        }
        lista.emplace_back(texto.substr(i, j - i));
        i = j;
    }
    return lista;
}

// One piece a line; a line end stands as a line of its own mark, so that no piece holds '\n'.
std::string comoLineas(const std::vector<std::string>& lista) {
    std::string s;
    for (const std::string& p : lista) {
        s += p == "\n" ? std::string("\x01") : p;
        s += '\n';
    }
    return s;
}

struct Recorrido {
    const std::vector<std::string>* antes = nullptr;
    const std::vector<std::string>* despues = nullptr;
    std::size_t enAntes = 0;
    std::size_t enDespues = 0;
    std::vector<Trozo> trozos;

    void poner(Trozo::Tipo tipo, const std::string& texto) {
        if (!trozos.empty() && trozos.back().tipo == tipo) {
            trozos.back().texto += texto;
        } else {
            trozos.push_back({tipo, texto});
        }
    }
    // The pieces both texts share up to piece `hasta` (from 0) of `despues`.
    void igualesHasta(std::size_t hasta) {
        while (enDespues < hasta && enDespues < despues->size()) {
            poner(Trozo::Tipo::Igual, (*despues)[enDespues]);
            ++enDespues;
            ++enAntes;
        }
    }
};

int alTrozo(const git_diff_delta*, const git_diff_hunk* hunk, void* datos) {
    auto& r = *static_cast<Recorrido*>(datos);
    // With no context, a hunk that only removes comes after new_start lines of the new text; any other starts
    // at line new_start (from 1).
    const std::size_t desde = hunk->new_lines == 0 ? static_cast<std::size_t>(hunk->new_start)
                                                   : static_cast<std::size_t>(hunk->new_start - 1);
    r.igualesHasta(desde);
    for (int k = 0; k < hunk->old_lines && r.enAntes < r.antes->size(); ++k) {
        r.poner(Trozo::Tipo::Quitado, (*r.antes)[r.enAntes++]);
    }
    for (int k = 0; k < hunk->new_lines && r.enDespues < r.despues->size(); ++k) {
        r.poner(Trozo::Tipo::Agregado, (*r.despues)[r.enDespues++]);
    }
    return 0;
}

} // namespace

std::vector<Trozo> diferenciaPorPalabras(std::string_view antes, std::string_view despues) {
    detalle::iniciar();
    const auto a = piezas(antes);
    const auto d = piezas(despues);
    const std::string la = comoLineas(a);
    const std::string ld = comoLineas(d);
    Recorrido r;
    r.antes = &a;
    r.despues = &d;
    git_diff_options opciones = GIT_DIFF_OPTIONS_INIT;
    opciones.context_lines = 0;
    opciones.interhunk_lines = 0;
    opciones.flags = GIT_DIFF_FORCE_TEXT | GIT_DIFF_MINIMAL;
    if (git_diff_buffers(la.data(), la.size(), nullptr, ld.data(), ld.size(), nullptr, &opciones, nullptr, nullptr,
                         alTrozo, nullptr, &r) != 0) {
        // No difference could be made: the whole of each, as removed and added.
        return {{Trozo::Tipo::Quitado, std::string(antes)}, {Trozo::Tipo::Agregado, std::string(despues)}};
    }
    r.igualesHasta(d.size());
    return r.trozos;
}

} // namespace historial

#include "search/pasaje.h"

#include "search/formas.h"
#include "search/plegado.h"
#include "store/codificacion.h"

#include <algorithm>
#include <bit>
#include <cstdint>

namespace search {

namespace {

constexpr std::size_t kPalabrasAntes = 4;

struct Palabra {
    std::size_t inicio;
    std::size_t fin;
    std::uint64_t elementos; // bit k: the word is one of those element k seeks
};

bool comparten(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    return std::any_of(a.begin(), a.end(),
                       [&](const std::string& x) { return std::find(b.begin(), b.end(), x) != b.end(); });
}

// Text between words: escaped, and every run of line ends, tabs and spaces made one space.
void agregarTexto(std::string& html, std::string_view texto) {
    for (const char c : texto) {
        switch (c) {
        case '&':
            html += "&amp;";
            break;
        case '<':
            html += "&lt;";
            break;
        case '>':
            html += "&gt;";
            break;
        case '"':
            html += "&quot;";
            break;
        case '\r':
        case '\n':
        case '\t':
        case ' ':
            if (html.empty() || html.back() != ' ') {
                html += ' ';
            }
            break;
        default:
            html += c;
        }
    }
}

} // namespace

std::string pasaje(std::string_view cuerpo, const std::vector<Elemento>& consulta, Formas& formas,
                   std::size_t palabras) {
    // What each element looks for: stems for a word, each word's own stem for a phrase, stem prefixes
    // for a prefix; copied, as Formas hands out one answer at a time.
    const std::size_t n = std::min<std::size_t>(consulta.size(), 64);
    std::vector<std::vector<std::string>> claves(n);
    for (std::size_t k = 0; k < n; ++k) {
        const Elemento& e = consulta[k];
        switch (e.tipo) {
        case Elemento::Tipo::Palabra:
            claves[k] = formas.raices(e.palabras.front());
            break;
        case Elemento::Tipo::Frase:
            for (const std::string& p : e.palabras) {
                claves[k].push_back(formas.raices(p).front());
            }
            break;
        case Elemento::Tipo::Prefijo:
            claves[k] = prefijosDeRaiz(e.palabras.front(), formas);
            break;
        }
    }

    std::vector<Palabra> texto;
    recorrerPalabras(cuerpo, [&](std::string_view plegada, std::size_t inicio, std::size_t fin) {
        const std::vector<std::string>& propias = formas.raices(plegada);
        std::uint64_t elementos = 0;
        for (std::size_t k = 0; k < n; ++k) {
            bool es = false;
            switch (consulta[k].tipo) {
            case Elemento::Tipo::Palabra:
                es = comparten(propias, claves[k]);
                break;
            case Elemento::Tipo::Frase:
                es = std::find(claves[k].begin(), claves[k].end(), propias.front()) != claves[k].end();
                break;
            case Elemento::Tipo::Prefijo:
                es = std::any_of(claves[k].begin(), claves[k].end(), [&](const std::string& prefijo) {
                    return std::any_of(propias.begin(), propias.end(),
                                       [&](const std::string& raiz) { return raiz.starts_with(prefijo); });
                });
                break;
            }
            if (es) {
                elementos |= std::uint64_t{1} << k;
            }
        }
        texto.push_back({inicio, fin, elementos});
    });
    if (texto.empty()) {
        return {};
    }

    // The window that holds the most elements, then the most words found; the first of equals.
    std::size_t mejor = 0;
    long mejorValor = -1;
    for (std::size_t m = 0; m < texto.size(); ++m) {
        if (texto[m].elementos == 0) {
            continue;
        }
        const std::size_t desde = m > kPalabrasAntes ? m - kPalabrasAntes : 0;
        std::uint64_t cubiertos = 0;
        long halladas = 0;
        for (std::size_t i = desde; i < texto.size() && i < desde + palabras; ++i) {
            cubiertos |= texto[i].elementos;
            halladas += texto[i].elementos != 0;
        }
        const long valor = std::popcount(cubiertos) * 1000L + halladas;
        if (valor > mejorValor) {
            mejorValor = valor;
            mejor = desde;
        }
    }
    const std::size_t hasta = std::min(texto.size(), mejor + palabras);

    std::string html;
    if (mejor > 0) {
        html += "\xE2\x80\xA6 "; // …
    }
    std::string tramo; // Windows-1252 until converted
    for (std::size_t i = mejor; i < hasta; ++i) {
        if (i > mejor) {
            agregarTexto(tramo, cuerpo.substr(texto[i - 1].fin, texto[i].inicio - texto[i - 1].fin));
        }
        const std::string_view palabra = cuerpo.substr(texto[i].inicio, texto[i].fin - texto[i].inicio);
        if (texto[i].elementos != 0) {
            tramo += "<b>";
            agregarTexto(tramo, palabra);
            tramo += "</b>";
        } else {
            agregarTexto(tramo, palabra);
        }
    }
    // The punctuation right after the last word belongs with it.
    if (hasta < texto.size()) {
        const std::string_view resto = cuerpo.substr(texto[hasta - 1].fin, texto[hasta].inicio - texto[hasta - 1].fin);
        const std::size_t signos = resto.find_first_of(" \r\n\t");
        agregarTexto(tramo, resto.substr(0, signos));
    } else {
        agregarTexto(tramo, cuerpo.substr(texto[hasta - 1].fin));
    }
    html += store::cp1252AUtf8(tramo);
    while (!html.empty() && html.back() == ' ') {
        html.pop_back();
    }
    if (hasta < texto.size()) {
        html += " \xE2\x80\xA6";
    }
    return html;
}

} // namespace search

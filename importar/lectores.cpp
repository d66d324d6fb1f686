#include "armador.h"
#include "documento.h"

#include "store/encoding.h"

#include <cmark.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace importar {

namespace {

std::string minusculas(std::string_view s) {
    std::string r(s);
    std::transform(r.begin(), r.end(), r.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return r;
}

bool utf8Valido(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = 0;
        std::uint32_t minimo = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            n = 1;
            minimo = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            n = 2;
            minimo = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            n = 3;
            minimo = 0x10000;
        } else {
            return false;
        }
        std::uint32_t u = c & (0x3F >> n);
        for (std::size_t k = 1; k <= n; ++k) {
            if (i + k >= s.size()) {
                return false;
            }
            const auto d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) {
                return false;
            }
            u = (u << 6) | (d & 0x3F);
        }
        if (u < minimo || u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF)) {
            return false;
        }
        i += n + 1;
    }
    return true;
}

void agregarUtf8(std::string& s, std::uint32_t u) {
    if (u < 0x80) {
        s += static_cast<char>(u);
    } else if (u < 0x800) {
        s += static_cast<char>(0xC0 | (u >> 6));
        s += static_cast<char>(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        s += static_cast<char>(0xE0 | (u >> 12));
        s += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (u >> 18));
        s += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (u & 0x3F));
    }
}

// ---------------------------------------------------------------- HTML

struct Entidad {
    const char* nombre;
    std::uint32_t codigo;
};

// The named references a simple page uses: the Latin-1 letters and signs, and the common typographic ones.
constexpr Entidad kEntidades[] = {
    {"amp", '&'},       {"lt", '<'},        {"gt", '>'},        {"quot", '"'},      {"apos", '\''},
    {"nbsp", 0xA0},     {"iexcl", 0xA1},    {"cent", 0xA2},     {"pound", 0xA3},    {"curren", 0xA4},
    {"yen", 0xA5},      {"brvbar", 0xA6},   {"sect", 0xA7},     {"uml", 0xA8},      {"copy", 0xA9},
    {"ordf", 0xAA},     {"laquo", 0xAB},    {"not", 0xAC},      {"shy", 0xAD},      {"reg", 0xAE},
    {"macr", 0xAF},     {"deg", 0xB0},      {"plusmn", 0xB1},   {"sup2", 0xB2},     {"sup3", 0xB3},
    {"acute", 0xB4},    {"micro", 0xB5},    {"para", 0xB6},     {"middot", 0xB7},   {"cedil", 0xB8},
    {"sup1", 0xB9},     {"ordm", 0xBA},     {"raquo", 0xBB},    {"frac14", 0xBC},   {"frac12", 0xBD},
    {"frac34", 0xBE},   {"iquest", 0xBF},   {"Agrave", 0xC0},   {"Aacute", 0xC1},   {"Acirc", 0xC2},
    {"Atilde", 0xC3},   {"Auml", 0xC4},     {"Aring", 0xC5},    {"AElig", 0xC6},    {"Ccedil", 0xC7},
    {"Egrave", 0xC8},   {"Eacute", 0xC9},   {"Ecirc", 0xCA},    {"Euml", 0xCB},     {"Igrave", 0xCC},
    {"Iacute", 0xCD},   {"Icirc", 0xCE},    {"Iuml", 0xCF},     {"ETH", 0xD0},      {"Ntilde", 0xD1},
    {"Ograve", 0xD2},   {"Oacute", 0xD3},   {"Ocirc", 0xD4},    {"Otilde", 0xD5},   {"Ouml", 0xD6},
    {"times", 0xD7},    {"Oslash", 0xD8},   {"Ugrave", 0xD9},   {"Uacute", 0xDA},   {"Ucirc", 0xDB},
    {"Uuml", 0xDC},     {"Yacute", 0xDD},   {"THORN", 0xDE},    {"szlig", 0xDF},    {"agrave", 0xE0},
    {"aacute", 0xE1},   {"acirc", 0xE2},    {"atilde", 0xE3},   {"auml", 0xE4},     {"aring", 0xE5},
    {"aelig", 0xE6},    {"ccedil", 0xE7},   {"egrave", 0xE8},   {"eacute", 0xE9},   {"ecirc", 0xEA},
    {"euml", 0xEB},     {"igrave", 0xEC},   {"iacute", 0xED},   {"icirc", 0xEE},    {"iuml", 0xEF},
    {"eth", 0xF0},      {"ntilde", 0xF1},   {"ograve", 0xF2},   {"oacute", 0xF3},   {"ocirc", 0xF4},
    {"otilde", 0xF5},   {"ouml", 0xF6},     {"divide", 0xF7},   {"oslash", 0xF8},   {"ugrave", 0xF9},
    {"uacute", 0xFA},   {"ucirc", 0xFB},    {"uuml", 0xFC},     {"yacute", 0xFD},   {"thorn", 0xFE},
    {"yuml", 0xFF},     {"OElig", 0x152},   {"oelig", 0x153},   {"Scaron", 0x160},  {"scaron", 0x161},
    {"Yuml", 0x178},    {"fnof", 0x192},    {"circ", 0x2C6},    {"tilde", 0x2DC},   {"ndash", 0x2013},
    {"mdash", 0x2014},  {"lsquo", 0x2018},  {"rsquo", 0x2019},  {"sbquo", 0x201A},  {"ldquo", 0x201C},
    {"rdquo", 0x201D},  {"bdquo", 0x201E},  {"dagger", 0x2020}, {"Dagger", 0x2021}, {"bull", 0x2022},
    {"hellip", 0x2026}, {"permil", 0x2030}, {"lsaquo", 0x2039}, {"rsaquo", 0x203A}, {"euro", 0x20AC},
    {"trade", 0x2122},  {"larr", 0x2190},   {"rarr", 0x2192},   {"le", 0x2264},     {"ge", 0x2265},
    {"minus", 0x2212},  {"alpha", 0x3B1},   {"beta", 0x3B2},    {"pi", 0x3C0},      {"mu", 0x3BC},
};

// The text with its character references resolved; an unknown reference stays as written.
std::string sinReferencias(std::string_view s) {
    std::string r;
    r.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        if (s[i] != '&') {
            r += s[i++];
            continue;
        }
        const std::size_t fin = s.find(';', i + 1);
        if (fin == std::string_view::npos || fin - i > 12) {
            r += s[i++];
            continue;
        }
        const std::string_view nombre = s.substr(i + 1, fin - i - 1);
        std::uint32_t u = 0;
        bool hallada = false;
        if (nombre.size() > 1 && nombre[0] == '#') {
            const bool hex = nombre[1] == 'x' || nombre[1] == 'X';
            const std::string cifras(nombre.substr(hex ? 2 : 1));
            char* resto = nullptr;
            const unsigned long v = std::strtoul(cifras.c_str(), &resto, hex ? 16 : 10);
            hallada =
                !cifras.empty() && resto && *resto == '\0' && v > 0 && v <= 0x10FFFF && (v < 0xD800 || v > 0xDFFF);
            u = static_cast<std::uint32_t>(v);
        } else {
            for (const Entidad& e : kEntidades) {
                if (nombre == e.nombre) {
                    u = e.codigo;
                    hallada = true;
                    break;
                }
            }
        }
        if (!hallada) {
            r += s[i++];
            continue;
        }
        agregarUtf8(r, u);
        i = fin + 1;
    }
    return r;
}

struct Etiqueta {
    std::string nombre; // lower case
    bool cierre = false;
    std::vector<std::pair<std::string, std::string>> atributos; // names in lower case, values resolved

    std::string atributo(std::string_view n) const {
        for (const auto& [a, v] : atributos) {
            if (a == n) {
                return v;
            }
        }
        return {};
    }
    bool tiene(std::string_view n) const {
        return std::any_of(atributos.begin(), atributos.end(), [n](const auto& a) { return a.first == n; });
    }
};

// Reads the tag starting at s[i] == '<'; `i` ends after its '>'.
Etiqueta leerEtiqueta(std::string_view s, std::size_t& i) {
    Etiqueta e;
    std::size_t j = i + 1;
    if (j < s.size() && s[j] == '/') {
        e.cierre = true;
        ++j;
    }
    while (j < s.size() && (std::isalnum(static_cast<unsigned char>(s[j])) || s[j] == '-' || s[j] == ':')) {
        e.nombre += static_cast<char>(std::tolower(static_cast<unsigned char>(s[j])));
        ++j;
    }
    while (j < s.size() && s[j] != '>') {
        if (std::isspace(static_cast<unsigned char>(s[j])) || s[j] == '/') {
            ++j;
            continue;
        }
        std::string nombre;
        while (j < s.size() && !std::isspace(static_cast<unsigned char>(s[j])) && s[j] != '=' && s[j] != '>' &&
               s[j] != '/') {
            nombre += static_cast<char>(std::tolower(static_cast<unsigned char>(s[j])));
            ++j;
        }
        while (j < s.size() && std::isspace(static_cast<unsigned char>(s[j]))) {
            ++j;
        }
        std::string valor;
        if (j < s.size() && s[j] == '=') {
            ++j;
            while (j < s.size() && std::isspace(static_cast<unsigned char>(s[j]))) {
                ++j;
            }
            if (j < s.size() && (s[j] == '"' || s[j] == '\'')) {
                const char comilla = s[j++];
                const std::size_t fin = s.find(comilla, j);
                const std::size_t hasta = fin == std::string_view::npos ? s.size() : fin;
                valor = sinReferencias(s.substr(j, hasta - j));
                j = hasta == s.size() ? hasta : hasta + 1;
            } else {
                const std::size_t desde = j;
                while (j < s.size() && !std::isspace(static_cast<unsigned char>(s[j])) && s[j] != '>') {
                    ++j;
                }
                valor = sinReferencias(s.substr(desde, j - desde));
            }
        }
        if (!nombre.empty()) {
            e.atributos.emplace_back(std::move(nombre), std::move(valor));
        } else if (j < s.size() && s[j] != '>') {
            ++j;
        }
    }
    i = j < s.size() ? j + 1 : s.size();
    return e;
}

bool esBloque(const std::string& n) {
    static const char* const kBloques[] = {"p",       "div",    "section", "article",    "header", "footer", "main",
                                           "aside",   "nav",    "ul",      "ol",         "li",     "dl",     "dt",
                                           "dd",      "table",  "tr",      "blockquote", "pre",    "figure", "hr",
                                           "address", "center", "body",    "html",       "form",   "caption"};
    return std::find(std::begin(kBloques), std::end(kBloques), n) != std::end(kBloques);
}

bool esEncabezado(const std::string& n) {
    return n.size() == 2 && n[0] == 'h' && n[1] >= '1' && n[1] <= '6';
}

class LectorHtml {
public:
    LectorHtml(Documento& d) : d_(d), a_(d) {}

    void leer(std::string_view s) {
        std::size_t i = 0;
        while (i < s.size()) {
            if (s[i] != '<') {
                const std::size_t fin = std::min(s.find('<', i), s.size());
                textoCrudo(s.substr(i, fin - i));
                i = fin;
                continue;
            }
            if (s.substr(i, 4) == "<!--") {
                const std::size_t fin = s.find("-->", i + 4);
                i = fin == std::string_view::npos ? s.size() : fin + 3;
                continue;
            }
            if (i + 1 < s.size() && (s[i + 1] == '!' || s[i + 1] == '?')) {
                const std::size_t fin = s.find('>', i);
                i = fin == std::string_view::npos ? s.size() : fin + 1;
                continue;
            }
            if (i + 1 >= s.size() || !(std::isalpha(static_cast<unsigned char>(s[i + 1])) || s[i + 1] == '/')) {
                textoCrudo(s.substr(i, 1));
                ++i;
                continue;
            }
            const Etiqueta e = leerEtiqueta(s, i);
            if (!e.cierre && (e.nombre == "script" || e.nombre == "style" || e.nombre == "template")) {
                // Their content is not text; skipped to their closing tag.
                const std::string cierre = "</" + e.nombre;
                std::size_t j = i;
                while (j < s.size()) {
                    const std::size_t k = s.find("</", j);
                    if (k == std::string_view::npos) {
                        j = s.size();
                        break;
                    }
                    if (minusculas(s.substr(k, cierre.size())) == cierre) {
                        j = k;
                        break;
                    }
                    j = k + 2;
                }
                i = j;
                continue;
            }
            etiqueta(e);
        }
        a_.cortar();
        if (d_.titulo.empty()) {
            d_.titulo = recortado(tituloPagina_);
        }
    }

private:
    void textoCrudo(std::string_view crudo) {
        const std::string t = sinReferencias(crudo);
        if (enTituloPagina_) {
            tituloPagina_ += t;
            return;
        }
        if (enCabeza_) {
            return;
        }
        if (enFigcaption_) {
            figcaption_ += t;
            return;
        }
        if (pre_ > 0) {
            // Preformatted text keeps its lines: each one is a paragraph.
            std::size_t desde = 0;
            while (true) {
                const std::size_t nl = t.find('\n', desde);
                a_.literal(std::string_view(t).substr(desde, nl == std::string::npos ? std::string::npos : nl - desde));
                if (nl == std::string::npos) {
                    break;
                }
                a_.cortar();
                desde = nl + 1;
            }
            return;
        }
        a_.texto(t);
    }

    void etiqueta(const Etiqueta& e) {
        const std::string& n = e.nombre;
        if (n == "head") {
            enCabeza_ = !e.cierre;
            return;
        }
        if (n == "title") {
            enTituloPagina_ = !e.cierre;
            return;
        }
        if (n == "body") {
            enCabeza_ = false;
        }
        if (esEncabezado(n)) {
            if (!e.cierre) {
                a_.cortar();
            } else {
                a_.encabezado(a_.tomar());
            }
            return;
        }
        if (n == "br") {
            a_.cortar();
            return;
        }
        if (n == "img") {
            if (e.cierre) {
                return;
            }
            Imagen im;
            im.fuente = recortado(e.atributo("src"));
            im.alternativo = recortado(e.atributo("alt"));
            im.epigrafe = recortado(e.atributo("title"));
            if (im.fuente.empty()) {
                return;
            }
            if (figura_ > 0) {
                figuras_.push_back(std::move(im));
            } else {
                a_.imagen(std::move(im));
            }
            return;
        }
        if (n == "figure") {
            a_.cortar();
            if (!e.cierre) {
                ++figura_;
            } else if (figura_ > 0 && --figura_ == 0) {
                for (Imagen& im : figuras_) {
                    if (!recortado(figcaption_).empty()) {
                        const std::string pie = colapsado(figcaption_);
                        if (im.alternativo.empty()) {
                            im.alternativo = pie;
                        } else if (pie != im.alternativo) {
                            im.epigrafe = pie;
                        }
                    }
                    a_.imagen(std::move(im));
                }
                a_.cortar();
                figuras_.clear();
                figcaption_.clear();
            }
            return;
        }
        if (n == "figcaption") {
            enFigcaption_ = !e.cierre && figura_ > 0;
            return;
        }
        if (n == "a") {
            if (!e.cierre && e.tiene("href")) {
                const std::string destino = e.atributo("href");
                if (!destino.empty() && destino[0] != '#') {
                    a_.perdida("enlaces");
                }
            }
            return;
        }
        if (n == "table") {
            a_.cortar();
            if (!e.cierre) {
                ++tabla_;
                a_.perdida("tablas");
            } else if (tabla_ > 0) {
                --tabla_;
            }
            return;
        }
        if (tabla_ > 0 && (n == "td" || n == "th")) {
            if (!e.cierre && celdas_++ > 0) {
                a_.texto(" | ");
            }
            return;
        }
        if (n == "tr") {
            a_.cortar();
            celdas_ = 0;
            return;
        }
        if (n == "ul" || n == "ol") {
            a_.cortar();
            if (!e.cierre) {
                listas_.push_back(n == "ol" ? 1 : 0);
            } else if (!listas_.empty()) {
                listas_.pop_back();
            }
            return;
        }
        if (n == "li") {
            a_.cortar();
            if (!e.cierre) {
                std::string sangria(listas_.empty() ? 0 : 2 * (listas_.size() - 1), ' ');
                if (!listas_.empty() && listas_.back() > 0) {
                    a_.prefijo(sangria + std::to_string(listas_.back()++) + ". ");
                } else {
                    a_.prefijo(sangria + "- ");
                }
            }
            return;
        }
        if (n == "pre") {
            a_.cortar();
            pre_ = e.cierre ? std::max(0, pre_ - 1) : pre_ + 1;
            return;
        }
        if (esBloque(n)) {
            a_.cortar();
        }
    }

    static std::string colapsado(const std::string& s) {
        Documento d;
        Armador a(d);
        a.texto(s);
        return a.tomar();
    }

    Documento& d_;
    Armador a_;
    bool enCabeza_ = false;
    bool enTituloPagina_ = false;
    bool enFigcaption_ = false;
    std::string tituloPagina_;
    std::string figcaption_;
    std::vector<Imagen> figuras_;
    int figura_ = 0;
    int tabla_ = 0;
    int celdas_ = 0;
    int pre_ = 0;
    std::vector<int> listas_; // 0 for a list with bullets, otherwise the next number
};

// ---------------------------------------------------------------- Markdown

struct Nodos {
    void operator()(cmark_node* n) const { cmark_node_free(n); }
};

class LectorMarkdown {
public:
    explicit LectorMarkdown(Documento& d) : d_(d), a_(d) {}

    void leer(std::string_view s) {
        std::unique_ptr<cmark_node, Nodos> raiz(cmark_parse_document(s.data(), s.size(), CMARK_OPT_DEFAULT));
        if (!raiz) {
            return;
        }
        bloques(raiz.get());
        a_.cortar();
    }

private:
    void bloques(cmark_node* padre) {
        for (cmark_node* n = cmark_node_first_child(padre); n; n = cmark_node_next(n)) {
            bloque(n);
        }
    }

    void bloque(cmark_node* n) {
        switch (cmark_node_get_type(n)) {
        case CMARK_NODE_HEADING:
            a_.cortar();
            enLinea(n);
            a_.encabezado(a_.tomar());
            a_.cortar();
            break;
        case CMARK_NODE_PARAGRAPH: {
            // A table written with "|" (not CommonMark's own) is kept row by row, as those of HTML.
            cmark_node* primero = cmark_node_first_child(n);
            const char* inicio = primero ? cmark_node_get_literal(primero) : nullptr;
            filas_ = inicio && *inicio == '|';
            if (filas_) {
                a_.perdida("tablas");
            }
            enLinea(n);
            if (filas_) {
                fila();
            }
            filas_ = false;
            a_.cortar();
            break;
        }
        case CMARK_NODE_LIST: {
            a_.cortar();
            const bool numerada = cmark_node_get_list_type(n) == CMARK_ORDERED_LIST;
            int numero = numerada ? cmark_node_get_list_start(n) : 0;
            ++nivel_;
            for (cmark_node* item = cmark_node_first_child(n); item; item = cmark_node_next(item)) {
                const std::string sangria(static_cast<std::size_t>(2 * (nivel_ - 1)), ' ');
                a_.prefijo(numerada ? sangria + std::to_string(numero++) + ". " : sangria + "- ");
                bloques(item);
                a_.cortar();
                a_.prefijo({});
            }
            --nivel_;
            break;
        }
        case CMARK_NODE_BLOCK_QUOTE:
            a_.cortar();
            bloques(n);
            break;
        case CMARK_NODE_CODE_BLOCK: {
            a_.cortar();
            const std::string codigo = cmark_node_get_literal(n) ? cmark_node_get_literal(n) : "";
            std::size_t desde = 0;
            while (desde < codigo.size()) {
                const std::size_t nl = std::min(codigo.find('\n', desde), codigo.size());
                a_.literal(std::string_view(codigo).substr(desde, nl - desde));
                a_.cortar();
                desde = nl + 1;
            }
            break;
        }
        case CMARK_NODE_HTML_BLOCK: {
            a_.cortar();
            // A block of HTML inside Markdown is read as HTML, into the same document.
            Documento parte;
            LectorHtml(parte).leer(cmark_node_get_literal(n) ? cmark_node_get_literal(n) : "");
            if (!parte.titulo.empty()) {
                a_.encabezado(parte.titulo);
            }
            for (Bloque& b : parte.bloques) {
                d_.bloques.push_back(std::move(b));
            }
            for (const auto& [tipo, veces] : parte.perdidas) {
                d_.perdidas[tipo] += veces;
            }
            break;
        }
        case CMARK_NODE_THEMATIC_BREAK:
            a_.cortar();
            break;
        default:
            bloques(n);
            break;
        }
    }

    void enLinea(cmark_node* padre) {
        for (cmark_node* n = cmark_node_first_child(padre); n; n = cmark_node_next(n)) {
            const char* literal = cmark_node_get_literal(n);
            switch (cmark_node_get_type(n)) {
            case CMARK_NODE_TEXT:
            case CMARK_NODE_CODE:
                a_.texto(literal ? literal : "");
                break;
            case CMARK_NODE_SOFTBREAK:
                if (filas_) {
                    fila();
                } else {
                    a_.texto(" ");
                }
                break;
            case CMARK_NODE_LINEBREAK:
                a_.cortar();
                break;
            case CMARK_NODE_HTML_INLINE: {
                const std::string html = minusculas(literal ? literal : "");
                if (html.rfind("<br", 0) == 0) {
                    a_.cortar();
                }
                break;
            }
            case CMARK_NODE_LINK: {
                const char* url = cmark_node_get_url(n);
                if (url && *url && *url != '#') {
                    a_.perdida("enlaces");
                }
                enLinea(n);
                break;
            }
            case CMARK_NODE_IMAGE: {
                Imagen im;
                im.fuente = recortado(cmark_node_get_url(n) ? cmark_node_get_url(n) : "");
                im.epigrafe = recortado(cmark_node_get_title(n) ? cmark_node_get_title(n) : "");
                Documento alt;
                Armador textoAlt(alt);
                textoDe(n, textoAlt);
                im.alternativo = textoAlt.tomar();
                if (!im.fuente.empty()) {
                    a_.imagen(std::move(im));
                }
                break;
            }
            default:
                enLinea(n);
                break;
            }
        }
    }

    static void textoDe(cmark_node* padre, Armador& a) {
        for (cmark_node* n = cmark_node_first_child(padre); n; n = cmark_node_next(n)) {
            const char* literal = cmark_node_get_literal(n);
            if (literal && (cmark_node_get_type(n) == CMARK_NODE_TEXT || cmark_node_get_type(n) == CMARK_NODE_CODE)) {
                a.texto(literal);
            } else if (cmark_node_get_type(n) == CMARK_NODE_SOFTBREAK ||
                       cmark_node_get_type(n) == CMARK_NODE_LINEBREAK) {
                a.texto(" ");
            } else {
                textoDe(n, a);
            }
        }
    }

    // One row of a table written with "|": its cells as written, the row of dashes under the heads left out.
    void fila() {
        const std::string texto = a_.tomar();
        if (texto.find_first_not_of("|-: ") != std::string::npos) {
            a_.texto(texto);
        }
        a_.cortar();
    }

    Documento& d_;
    Armador a_;
    int nivel_ = 0;
    bool filas_ = false;
};

} // namespace

bool formatoDeNombre(std::string_view nombre, Formato& formato) {
    const std::size_t punto = nombre.rfind('.');
    if (punto == std::string_view::npos) {
        return false;
    }
    const std::string ext = minusculas(nombre.substr(punto + 1));
    if (ext == "txt") {
        formato = Formato::Texto;
    } else if (ext == "md" || ext == "markdown") {
        formato = Formato::Markdown;
    } else if (ext == "htm" || ext == "html" || ext == "xhtml") {
        formato = Formato::Html;
    } else {
        return false;
    }
    return true;
}

std::string comoUtf8(std::string_view bytes, bool* eraUtf8) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    const bool utf8 = utf8Valido(bytes);
    if (eraUtf8) {
        *eraUtf8 = utf8;
    }
    return utf8 ? std::string(bytes) : store::cp1252AUtf8(bytes);
}

Documento leerTextoPlano(std::string_view utf8) {
    Documento d;
    Armador a(d);
    std::size_t desde = 0;
    while (desde <= utf8.size()) {
        std::size_t fin = utf8.find_first_of("\r\n", desde);
        if (fin == std::string_view::npos) {
            fin = utf8.size();
        }
        const std::string_view linea = utf8.substr(desde, fin - desde);
        if (recortado(linea).empty()) {
            a.cortar();
        } else {
            a.texto(linea);
            a.texto(" ");
        }
        if (fin == utf8.size()) {
            break;
        }
        desde = fin + (utf8.substr(fin, 2) == "\r\n" ? 2 : 1);
    }
    a.cortar();
    return d;
}

Documento leerMarkdown(std::string_view utf8) {
    Documento d;
    LectorMarkdown(d).leer(utf8);
    return d;
}

Documento leerHtml(std::string_view utf8) {
    Documento d;
    LectorHtml(d).leer(utf8);
    return d;
}

Documento leer(Formato formato, std::string_view utf8) {
    switch (formato) {
    case Formato::Markdown:
        return leerMarkdown(utf8);
    case Formato::Html:
        return leerHtml(utf8);
    case Formato::Texto:
        break;
    }
    return leerTextoPlano(utf8);
}

} // namespace importar

// HTML through gumbo, Google's HTML5 parser (Debian libgumbo-dev): the tree it builds is walked once, each
// element doing what the table below says its tag does, after the rules that drop whole elements (hidden text,
// navigation, edit links) and those that give wiki markup its meaning (references, figures, formulas).

#include "armador.h"
#include "documento.h"

#include <gumbo.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

namespace importar {

namespace {

// What an element is to the reader.
enum class Papel {
    EnLinea,    // its text joins the paragraph under way (also every tag not in the table)
    Bloque,     // a paragraph of its own: the one under way ends before and after it
    Encabezado, // h1..h6: the first is the title, the others paragraphs
    Salto,      // br: the paragraph ends
    Imagen,
    Figura, // a picture with its caption
    Pie,    // figcaption, read by its figure
    Tabla,
    Fila,
    Celda,
    Lista,
    Elemento,
    Pre,
    Enlace,
    Omitir, // neither text nor pictures: scripts, styles, forms' controls, embedded objects
};

struct Regla {
    GumboTag tag;
    Papel papel;
};

constexpr Regla kReglas[] = {
    {GUMBO_TAG_P, Papel::Bloque},        {GUMBO_TAG_DIV, Papel::Bloque},      {GUMBO_TAG_SECTION, Papel::Bloque},
    {GUMBO_TAG_ARTICLE, Papel::Bloque},  {GUMBO_TAG_HEADER, Papel::Bloque},   {GUMBO_TAG_FOOTER, Papel::Bloque},
    {GUMBO_TAG_MAIN, Papel::Bloque},     {GUMBO_TAG_ASIDE, Papel::Bloque},    {GUMBO_TAG_BLOCKQUOTE, Papel::Bloque},
    {GUMBO_TAG_ADDRESS, Papel::Bloque},  {GUMBO_TAG_CENTER, Papel::Bloque},   {GUMBO_TAG_BODY, Papel::Bloque},
    {GUMBO_TAG_HTML, Papel::Bloque},     {GUMBO_TAG_FORM, Papel::Bloque},     {GUMBO_TAG_HR, Papel::Bloque},
    {GUMBO_TAG_DL, Papel::Bloque},       {GUMBO_TAG_DT, Papel::Bloque},       {GUMBO_TAG_DD, Papel::Bloque},
    {GUMBO_TAG_DETAILS, Papel::Bloque},  {GUMBO_TAG_SUMMARY, Papel::Bloque},  {GUMBO_TAG_CAPTION, Papel::Bloque},
    {GUMBO_TAG_H1, Papel::Encabezado},   {GUMBO_TAG_H2, Papel::Encabezado},   {GUMBO_TAG_H3, Papel::Encabezado},
    {GUMBO_TAG_H4, Papel::Encabezado},   {GUMBO_TAG_H5, Papel::Encabezado},   {GUMBO_TAG_H6, Papel::Encabezado},
    {GUMBO_TAG_BR, Papel::Salto},        {GUMBO_TAG_IMG, Papel::Imagen},      {GUMBO_TAG_FIGURE, Papel::Figura},
    {GUMBO_TAG_FIGCAPTION, Papel::Pie},  {GUMBO_TAG_TABLE, Papel::Tabla},     {GUMBO_TAG_TR, Papel::Fila},
    {GUMBO_TAG_TD, Papel::Celda},        {GUMBO_TAG_TH, Papel::Celda},        {GUMBO_TAG_UL, Papel::Lista},
    {GUMBO_TAG_OL, Papel::Lista},        {GUMBO_TAG_LI, Papel::Elemento},     {GUMBO_TAG_PRE, Papel::Pre},
    {GUMBO_TAG_A, Papel::Enlace},        {GUMBO_TAG_SCRIPT, Papel::Omitir},   {GUMBO_TAG_STYLE, Papel::Omitir},
    {GUMBO_TAG_TEMPLATE, Papel::Omitir}, {GUMBO_TAG_NOSCRIPT, Papel::Omitir}, {GUMBO_TAG_NAV, Papel::Omitir},
    {GUMBO_TAG_HEAD, Papel::Omitir},     {GUMBO_TAG_BUTTON, Papel::Omitir},   {GUMBO_TAG_SELECT, Papel::Omitir},
    {GUMBO_TAG_TEXTAREA, Papel::Omitir}, {GUMBO_TAG_INPUT, Papel::Omitir},    {GUMBO_TAG_OBJECT, Papel::Omitir},
    {GUMBO_TAG_IFRAME, Papel::Omitir},   {GUMBO_TAG_AUDIO, Papel::Omitir},    {GUMBO_TAG_VIDEO, Papel::Omitir},
    {GUMBO_TAG_MATH, Papel::Omitir},     {GUMBO_TAG_SVG, Papel::Omitir},      {GUMBO_TAG_LINK, Papel::Omitir},
    {GUMBO_TAG_META, Papel::Omitir},
};

Papel papel(GumboTag tag) {
    for (const Regla& r : kReglas) {
        if (r.tag == tag) {
            return r.papel;
        }
    }
    return Papel::EnLinea;
}

// Classes of the wikis' markup whose elements are not part of the article's text: navigation boxes and bars,
// edit links, skip links, the back links of references, print-only and empty elements.
constexpr const char* kClasesOmitidas[] = {"navbox",        "vertical-navbox", "navbar",           "mw-editsection",
                                           "mw-jump-link",  "noprint",         "mw-cite-backlink", "mw-empty-elt",
                                           "sistersitebox", "metadata",        "portal",           "catlinks"};

// Deeper than this, elements are left out: no page that a person reads nests so far, and the walk stays bounded.
constexpr int kProfundidadMaxima = 200;

const char* atributo(const GumboElement& e, const char* nombre) {
    const GumboAttribute* a = gumbo_get_attribute(&e.attributes, nombre);
    return a ? a->value : nullptr;
}

bool tieneClase(const GumboElement& e, std::string_view clase) {
    const char* c = atributo(e, "class");
    if (!c) {
        return false;
    }
    const std::string_view clases(c);
    std::size_t i = 0;
    while (i < clases.size()) {
        while (i < clases.size() && clases[i] == ' ') {
            ++i;
        }
        const std::size_t fin = std::min(clases.find(' ', i), clases.size());
        if (clases.substr(i, fin - i) == clase) {
            return true;
        }
        i = fin;
    }
    return false;
}

bool contiene(const char* valor, const char* parte) {
    return valor && std::strstr(valor, parte) != nullptr;
}

std::string sinEspaciosNiMayusculas(const char* s) {
    std::string r;
    for (; s && *s; ++s) {
        if (*s != ' ' && *s != '\t' && *s != '\n' && *s != '\r') {
            r += static_cast<char>(std::tolower(static_cast<unsigned char>(*s)));
        }
    }
    return r;
}

bool oculto(const GumboElement& e) {
    if (gumbo_get_attribute(&e.attributes, "hidden")) {
        return true;
    }
    if (const char* estilo = atributo(e, "style")) {
        const std::string s = sinEspaciosNiMayusculas(estilo);
        if (s.find("display:none") != std::string::npos || s.find("visibility:hidden") != std::string::npos) {
            return true;
        }
    }
    if (const char* rol = atributo(e, "role"); rol && (std::strcmp(rol, "navigation") == 0)) {
        return true;
    }
    for (const char* c : kClasesOmitidas) {
        if (tieneClase(e, c)) {
            return true;
        }
    }
    return false;
}

bool esReferencia(const GumboElement& e) {
    return (e.tag == GUMBO_TAG_SUP || e.tag == GUMBO_TAG_SPAN) &&
           (tieneClase(e, "reference") || tieneClase(e, "mw-ref") ||
            contiene(atributo(e, "typeof"), "mw:Extension/ref"));
}

bool esListaDeReferencias(const GumboElement& e) {
    return (e.tag == GUMBO_TAG_OL || e.tag == GUMBO_TAG_DIV) &&
           (tieneClase(e, "references") || tieneClase(e, "mw-references") ||
            contiene(atributo(e, "typeof"), "mw:Extension/references"));
}

// An old-style thumbnail: a box with the picture and a caption box.
bool esMiniatura(const GumboElement& e) {
    return e.tag == GUMBO_TAG_DIV && (tieneClase(e, "thumb") || tieneClase(e, "thumbinner"));
}

bool esFormula(const GumboElement& e) {
    const char* c = atributo(e, "class");
    return contiene(c, "mwe-math-fallback") || contiene(atributo(e, "typeof"), "mw:Extension/math");
}

std::string fuenteDe(const GumboElement& e) {
    for (const char* n : {"src", "data-src"}) {
        if (const char* v = atributo(e, n); v && *v) {
            return recortado(v);
        }
    }
    return {};
}

class LectorHtml {
public:
    LectorHtml(Documento& d, const OpcionesHtml& o) : d_(d), a_(d), opciones_(o) {}

    void leer(std::string_view s) {
        GumboOptions opciones = kGumboDefaultOptions;
        opciones.max_errors = 0; // errors are not wanted, only the tree
        GumboOutput* salida = gumbo_parse_with_options(&opciones, s.data(), s.size());
        if (!salida) {
            return;
        }
        tituloPagina(salida->root);
        nodo(salida->root, 0);
        a_.cortar();
        notas();
        gumbo_destroy_output(&opciones, salida);
        if (d_.titulo.empty()) {
            d_.titulo = tituloPagina_;
        }
    }

private:
    void tituloPagina(const GumboNode* n) {
        if (n->type != GUMBO_NODE_ELEMENT) {
            return;
        }
        for (unsigned i = 0; i < n->v.element.children.length; ++i) {
            const auto* h = static_cast<const GumboNode*>(n->v.element.children.data[i]);
            if (h->type == GUMBO_NODE_ELEMENT && h->v.element.tag == GUMBO_TAG_HEAD) {
                for (unsigned j = 0; j < h->v.element.children.length; ++j) {
                    const auto* t = static_cast<const GumboNode*>(h->v.element.children.data[j]);
                    if (t->type == GUMBO_NODE_ELEMENT && t->v.element.tag == GUMBO_TAG_TITLE) {
                        tituloPagina_ = textoDe(t);
                        return;
                    }
                }
            }
        }
    }

    void hijos(const GumboNode* n, int profundidad) {
        const GumboVector& v = n->v.element.children;
        for (unsigned i = 0; i < v.length; ++i) {
            nodo(static_cast<const GumboNode*>(v.data[i]), profundidad + 1);
        }
    }

    // The paragraph under way ends, except inside a table's cell, where the parts of a cell stay one row.
    void cortar() {
        if (celda_ > 0) {
            a_.texto(" ");
        } else {
            a_.cortar();
        }
    }

    void nodo(const GumboNode* n, int profundidad) {
        switch (n->type) {
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_CDATA:
        case GUMBO_NODE_WHITESPACE:
            texto(n->v.text.text);
            return;
        case GUMBO_NODE_DOCUMENT:
            for (unsigned i = 0; i < n->v.document.children.length; ++i) {
                nodo(static_cast<const GumboNode*>(n->v.document.children.data[i]), profundidad + 1);
            }
            return;
        case GUMBO_NODE_ELEMENT:
        case GUMBO_NODE_TEMPLATE:
            break;
        default:
            return; // comments
        }
        if (profundidad > kProfundidadMaxima || n->type == GUMBO_NODE_TEMPLATE) {
            return;
        }
        const GumboElement& e = n->v.element;
        if (oculto(e)) {
            return;
        }
        if (esReferencia(e)) {
            referencia(n);
            return;
        }
        if (esListaDeReferencias(e)) {
            listaDeReferencias(n, profundidad);
            return;
        }
        if (esMiniatura(e) && figura_ == 0) {
            figura(n, profundidad);
            return;
        }
        switch (papel(e.tag)) {
        case Papel::Omitir:
            return;
        case Papel::EnLinea:
            hijos(n, profundidad);
            return;
        case Papel::Bloque:
            cortar();
            hijos(n, profundidad);
            cortar();
            return;
        case Papel::Encabezado:
            if (celda_ > 0 || figura_ > 0) {
                hijos(n, profundidad);
                return;
            }
            a_.cortar();
            hijos(n, profundidad);
            a_.encabezado(a_.tomar());
            return;
        case Papel::Salto:
            cortar();
            return;
        case Papel::Imagen:
            imagen(e);
            return;
        case Papel::Figura:
            figura(n, profundidad);
            return;
        case Papel::Pie:
            return; // read by its figure; a caption outside any figure is not the text's
        case Papel::Tabla: {
            a_.perdida("tablas");
            const int celda = celda_;
            celda_ = 0;
            a_.cortar();
            hijos(n, profundidad);
            a_.cortar();
            celda_ = celda;
            return;
        }
        case Papel::Fila: {
            if (celda_ > 0) {
                hijos(n, profundidad);
                return;
            }
            a_.cortar();
            const int celdas = celdas_;
            celdas_ = 0;
            hijos(n, profundidad);
            celdas_ = celdas;
            // A row of empty cells (pictures and links of a layout) is no row of text.
            const std::string fila = a_.tomar();
            if (fila.find_first_not_of("| ") != std::string::npos) {
                a_.texto(fila);
            }
            a_.cortar();
            return;
        }
        case Papel::Celda:
            if (celda_ == 0 && celdas_++ > 0) {
                a_.texto(" | ");
            }
            ++celda_;
            hijos(n, profundidad);
            --celda_;
            return;
        case Papel::Lista: {
            cortar();
            listas_.push_back(e.tag == GUMBO_TAG_OL ? 1 : 0);
            if (const char* inicio = atributo(e, "start"); inicio && e.tag == GUMBO_TAG_OL) {
                listas_.back() = std::max(1, std::atoi(inicio));
            }
            hijos(n, profundidad);
            listas_.pop_back();
            cortar();
            return;
        }
        case Papel::Elemento:
            cortar();
            if (celda_ == 0) {
                const std::string sangria(listas_.empty() ? 0 : 2 * (listas_.size() - 1), ' ');
                if (!listas_.empty() && listas_.back() > 0) {
                    a_.prefijo(sangria + std::to_string(listas_.back()++) + ". ");
                } else {
                    a_.prefijo(sangria + "- ");
                }
            }
            hijos(n, profundidad);
            cortar();
            a_.prefijo({});
            return;
        case Papel::Pre:
            cortar();
            ++pre_;
            hijos(n, profundidad);
            --pre_;
            cortar();
            return;
        case Papel::Enlace:
            enlace(n, profundidad);
            return;
        }
    }

    void texto(const char* t) {
        if (pre_ > 0 && celda_ == 0) {
            // Preformatted text keeps its lines: each one is a paragraph.
            const std::string_view s(t);
            std::size_t desde = 0;
            while (true) {
                const std::size_t nl = s.find('\n', desde);
                a_.literal(s.substr(desde, nl == std::string_view::npos ? std::string_view::npos : nl - desde));
                if (nl == std::string_view::npos) {
                    break;
                }
                a_.cortar();
                desde = nl + 1;
            }
            return;
        }
        a_.texto(t);
    }

    void enlace(const GumboNode* n, int profundidad) {
        const char* destino = atributo(n->v.element, "href");
        if (destino && *destino && *destino != '#') {
            a_.perdida("enlaces");
            d_.enlaces.push_back({textoDe(n), destino});
        }
        hijos(n, profundidad);
    }

    void imagen(const GumboElement& e) {
        if (esFormula(e)) {
            // A formula drawn as a picture: its alternative text says it.
            if (const char* alt = atributo(e, "alt")) {
                a_.texto(alt);
            }
            return;
        }
        if (opciones_.soloFiguras && figura_ == 0) {
            return; // icons and flags of the text
        }
        Imagen im;
        im.fuente = fuenteDe(e);
        im.alternativo = recortado(atributo(e, "alt") ? atributo(e, "alt") : "");
        im.epigrafe = recortado(atributo(e, "title") ? atributo(e, "title") : "");
        if (im.fuente.empty()) {
            return;
        }
        if (figura_ > 0) {
            figuras_.push_back(std::move(im));
        } else {
            a_.imagen(std::move(im));
        }
    }

    // A figure (or an old-style thumbnail): its pictures become illustrations with its caption, after the
    // paragraph before it; the caption is not a paragraph of the text.
    void figura(const GumboNode* n, int profundidad) {
        cortar();
        ++figura_;
        std::string pie;
        buscarPie(n, pie, profundidad);
        const GumboVector& v = n->v.element.children;
        for (unsigned i = 0; i < v.length; ++i) {
            figuraHijo(static_cast<const GumboNode*>(v.data[i]), profundidad + 1);
        }
        --figura_;
        if (figura_ > 0) {
            return; // a figure inside a figure is read as part of it
        }
        for (Imagen& im : figuras_) {
            if (!pie.empty()) {
                if (im.alternativo.empty()) {
                    im.alternativo = pie;
                } else if (pie != im.alternativo) {
                    im.epigrafe = pie;
                }
            }
            a_.imagen(std::move(im));
        }
        figuras_.clear();
        cortar();
    }

    // Inside a figure only its pictures count; its caption was read apart.
    void figuraHijo(const GumboNode* n, int profundidad) {
        if (n->type != GUMBO_NODE_ELEMENT || profundidad > kProfundidadMaxima) {
            return;
        }
        const GumboElement& e = n->v.element;
        if (e.tag == GUMBO_TAG_FIGCAPTION || tieneClase(e, "thumbcaption") || oculto(e)) {
            return;
        }
        if (e.tag == GUMBO_TAG_IMG) {
            imagen(e);
            return;
        }
        for (unsigned i = 0; i < e.children.length; ++i) {
            figuraHijo(static_cast<const GumboNode*>(e.children.data[i]), profundidad + 1);
        }
    }

    void buscarPie(const GumboNode* n, std::string& pie, int profundidad) {
        if (n->type != GUMBO_NODE_ELEMENT || !pie.empty() || profundidad > kProfundidadMaxima) {
            return;
        }
        const GumboElement& e = n->v.element;
        if (e.tag == GUMBO_TAG_FIGCAPTION || tieneClase(e, "thumbcaption")) {
            pie = textoDe(n);
            return;
        }
        for (unsigned i = 0; i < e.children.length; ++i) {
            buscarPie(static_cast<const GumboNode*>(e.children.data[i]), pie, profundidad + 1);
        }
    }

    // The number of the note a reference mark points to, given the first time the mark is met.
    int numeroDe(const std::string& id) {
        const auto [it, nuevo] = numeros_.emplace(id, static_cast<int>(numeros_.size()) + 1);
        (void)nuevo;
        return it->second;
    }

    void referencia(const GumboNode* n) {
        const std::string destino = primerDestino(n, 0);
        if (destino.empty() || destino[0] != '#') {
            a_.texto(textoDe(n));
            return;
        }
        a_.texto("[" + std::to_string(numeroDe(destino.substr(1))) + "]");
    }

    std::string primerDestino(const GumboNode* n, int profundidad) {
        if (n->type != GUMBO_NODE_ELEMENT || profundidad > kProfundidadMaxima) {
            return {};
        }
        if (n->v.element.tag == GUMBO_TAG_A) {
            if (const char* h = atributo(n->v.element, "href")) {
                // Some wikis write the page's own address before the fragment.
                const std::string_view s(h);
                const std::size_t almohadilla = s.find('#');
                return almohadilla == std::string_view::npos ? std::string() : std::string(s.substr(almohadilla));
            }
        }
        for (unsigned i = 0; i < n->v.element.children.length; ++i) {
            std::string d =
                primerDestino(static_cast<const GumboNode*>(n->v.element.children.data[i]), profundidad + 1);
            if (!d.empty()) {
                return d;
            }
        }
        return {};
    }

    // The list of references: each item a note, kept for the end of the article under its number.
    void listaDeReferencias(const GumboNode* n, int profundidad) {
        if (profundidad > kProfundidadMaxima) {
            return;
        }
        const GumboVector& v = n->v.element.children;
        for (unsigned i = 0; i < v.length; ++i) {
            const auto* h = static_cast<const GumboNode*>(v.data[i]);
            if (h->type != GUMBO_NODE_ELEMENT) {
                continue;
            }
            if (h->v.element.tag == GUMBO_TAG_LI) {
                const char* id = atributo(h->v.element, "id");
                const int numero = id ? numeroDe(id) : static_cast<int>(numeros_.size()) + 1 + sinId_++;
                std::string texto = textoDe(h);
                if (!texto.empty()) {
                    notas_[numero] = std::move(texto);
                }
            } else {
                listaDeReferencias(h, profundidad + 1);
            }
        }
    }

    void notas() {
        if (notas_.empty()) {
            return;
        }
        // Under the page's own heading of its notes, when that is the last thing read; otherwise under one.
        const bool conEncabezado = !d_.bloques.empty() && d_.bloques.back().tipo == Bloque::Tipo::Parrafo &&
                                   (d_.bloques.back().texto == "Notas" || d_.bloques.back().texto == "Referencias");
        if (!conEncabezado) {
            a_.texto("Notas");
            a_.cortar();
        }
        for (const auto& [numero, texto] : notas_) {
            a_.texto(std::to_string(numero) + ". " + texto);
            a_.cortar();
        }
    }

    // The text of an element as one line, read by the same rules (hidden parts dropped).
    std::string textoDe(const GumboNode* n) {
        std::string r;
        juntar(n, r, 0);
        Documento d;
        Armador a(d);
        a.texto(r);
        return a.tomar();
    }

    void juntar(const GumboNode* n, std::string& r, int profundidad) {
        if (profundidad > kProfundidadMaxima) {
            return;
        }
        if (n->type == GUMBO_NODE_TEXT || n->type == GUMBO_NODE_WHITESPACE || n->type == GUMBO_NODE_CDATA) {
            r += n->v.text.text;
            return;
        }
        if (n->type != GUMBO_NODE_ELEMENT) {
            return;
        }
        const GumboElement& e = n->v.element;
        if (oculto(e) || papel(e.tag) == Papel::Omitir) {
            return;
        }
        if (e.tag == GUMBO_TAG_IMG) {
            if (esFormula(e) && atributo(e, "alt")) {
                r += atributo(e, "alt");
            }
            return;
        }
        if (esReferencia(e)) {
            const std::string destino = primerDestino(n, 0);
            if (!destino.empty() && destino[0] == '#') {
                r += "[" + std::to_string(numeroDe(destino.substr(1))) + "]";
            }
            return;
        }
        if (papel(e.tag) == Papel::Bloque || papel(e.tag) == Papel::Salto || papel(e.tag) == Papel::Elemento) {
            r += ' ';
        }
        for (unsigned i = 0; i < e.children.length; ++i) {
            juntar(static_cast<const GumboNode*>(e.children.data[i]), r, profundidad + 1);
        }
    }

    Documento& d_;
    Armador a_;
    OpcionesHtml opciones_;
    std::string tituloPagina_;
    std::vector<Imagen> figuras_;
    int figura_ = 0;
    int celda_ = 0;  // depth of table cells the walk is in
    int celdas_ = 0; // cells of the row under way
    int pre_ = 0;
    int sinId_ = 0;
    std::vector<int> listas_; // 0 for a list with bullets, otherwise the next number
    std::map<std::string, int> numeros_;
    std::map<int, std::string> notas_;
};

} // namespace

Documento leerHtml(std::string_view utf8, const OpcionesHtml& opciones) {
    Documento d;
    LectorHtml(d, opciones).leer(utf8);
    return d;
}

std::vector<std::string> enlacesDeArticuloZim(const std::string& html) {
    OpcionesHtml wiki;
    wiki.soloFiguras = true;
    std::vector<std::string> r;
    for (const Enlace& e : leerHtml(comoUtf8(html), wiki).enlaces) {
        r.push_back(e.destino);
    }
    return r;
}

} // namespace importar

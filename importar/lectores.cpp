#include "armador.h"
#include "documento.h"

#include "store/codificacion.h"

#include <cmark.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
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
            Documento parte = leerHtml(cmark_node_get_literal(n) ? cmark_node_get_literal(n) : "");
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

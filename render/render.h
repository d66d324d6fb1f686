#pragma once

// An article of an encyclopaedia as an XHTML 5 page in UTF-8, for every container that shows articles outside
// the viewer: a static web site, an e-book, a ZIM file, a PDF, a server, the editor's preview. Standard C++ over
// the store; nothing here knows where the page or its pictures will live.
//
// What a page holds, in order (each part a class the style sheet of estiloDeColores() styles):
//
//   <header class="titulo"><h1>TITLE</h1></header>             the article's title (the last title line)
//   <div class="costado"><img .../></div>                     the side picture (the last side picture line), when
//                                                             Opciones::costado and it can be shown
//   <nav class="esquema">...</nav>                             the illustrations' names as links to the figures
//                                                             below, when Opciones::esquema and there are any
//   <div class="cuerpo"><p>...</p>...</div>                    the body
//   <figure class="ilustracion" id="ilustracion-N">            each illustration in file order (N from 1):
//     <img .../>  <figcaption><span class="titulo-imagen">      its picture, its title (caption file line 1)
//     ...</span><span class="epigrafe">...</span></figcaption>  and its caption text
//   </figure>
//
// The body is the viewer's: the store's own reading of the article (store::analizarArticulo) gives the text with
// each break as CR LF; a lone LF inside a line, which the viewer's text box also shows as a new line, counts as a
// break too. The text is then cut into paragraphs at every pair of breaks, from the left: a single break inside
// a paragraph is a <br/>, and k breaks in a row give k / 2 paragraph ends followed by k % 2 <br/>. So the text of
// a page's body, read back with "\n" for each <br/> and "\n\n" between paragraphs, is exactly the viewer's text.
// Spaces are kept as typed (the style sheet says white-space: pre-wrap), so nothing of the text is lost either.
// Captions are assembled the same way.
//
// Text (titles, names, body, captions) is converted from Windows-1252 to UTF-8 and escaped (& < > " '). A byte no
// XHTML page may hold (a control byte other than tab, DEL, or one of the five bytes Windows-1252 leaves undefined)
// becomes U+FFFD and is reported once per article and part as a warning. A picture the container cannot supply,
// a name that may not be used inside the encyclopaedia directory, and a caption file that is missing, unreadable
// or cannot be named are each reported once per article as a warning; the page is still rendered, the missing
// picture shown by its name and "Imagen no disponible" as the viewer does.

#include "store/archivo_de_color.h"
#include "store/resultado.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace render {

// A picture the page refers to.
struct Imagen {
    enum class Tipo { Ilustracion, Costado };
    Tipo tipo = Tipo::Ilustracion;
    std::string nombre; // as written in the article (Windows-1252)
    std::string ruta;   // the store's path of the picture: store::rutaIlustracion or store::rutaCostado
};

// Where a picture is found by whoever reads the page: a URL (UTF-8, not yet escaped for an attribute; the
// renderer escapes it), or nothing when the picture cannot be had (missing, unreadable): the page then says so.
// Each container decides: a file beside the page, an entry of a book, a data: URL, a server's path.
using UrlDeImagen = std::function<std::optional<std::string>(const Imagen& imagen)>;

struct Opciones {
    // A whole document (<!DOCTYPE html><html>...) or only the <article> element, to embed in a page of one's own.
    bool documentoCompleto = true;
    // With documentoCompleto: begin with <?xml version="1.0" encoding="UTF-8"?> (e-books; an HTML parser calls it
    // an error, so a web page leaves it out).
    bool declaracionXml = false;
    // With documentoCompleto: the style sheet's URL for a <link>; empty puts estiloDeColores() inline in <style>.
    std::string hojaDeEstilo;
    // With documentoCompleto: the colours for the inline style sheet.
    store::Esquema colores = store::kEsquemaPredeterminado;
    // With documentoCompleto: extra markup at the end of <head> and at the start and the end of <body>, already
    // XHTML (links back to an index, a script). Inserted as given.
    std::string cabeza;
    std::string antes;
    std::string despues;
    // The encyclopaedia's name (UTF-8, escaped here): with documentoCompleto, it follows the article's title in
    // <title> ("Sol — Sistema solar"), and it is shown above the article as the viewer's subtitle strip.
    std::string enciclopedia;
    // Put before every id of the page ("ilustracion-1"), so that several articles can share one document.
    std::string prefijoId;
    bool costado = true; // show the side picture (a format with no room for it says false)
    bool esquema = true; // list the illustrations before the body, each a link to its figure
    UrlDeImagen imagen;  // none: every picture is "not available"
    // When given, a picture or caption file (its store path) for which this says false is taken as missing
    // without being opened: a container exporting thousands of articles lists the picture directory once
    // instead of failing to open each missing file. Saying true only lets the file be read as usual.
    std::function<bool(const std::string& ruta)> puedeExistir;
};

struct Aviso {
    enum class Tipo { ImagenFaltante, EpigrafeFaltante, NombreNoValido, BytesNoValidos };
    Tipo tipo;
    std::string ruta;    // the file concerned, as the store names it (Windows-1252)
    std::string mensaje; // a Spanish sentence (UTF-8) naming the file
};

struct Pagina {
    std::string titulo; // the article's title, UTF-8, not escaped, bytes no page may hold as U+FFFD
    std::string xhtml;  // the page
    std::vector<Aviso> avisos;
    std::int64_t modificado = 0; // the time of the article file that was read (seconds since 1970), or 0
};

// Renders the article `nombre` (as a list names it) of the encyclopaedia `directorio`, read through the store
// (no symbolic link below the directory followed). Fails only when the article itself cannot be read or its name
// may not be used; everything else is a warning of the page.
store::Resultado<Pagina> renderizarArticulo(std::string_view directorio, std::string_view nombre,
                                            const Opciones& opciones);
// The same for an article's bytes held in memory (the editor's unsaved text), `nombre` naming it in warnings.
Pagina renderizarBytes(std::string_view directorio, std::string_view nombre, std::string_view bytes,
                       const Opciones& opciones);

// The style sheet for the ten colours (slot 0 title strip background ... slot 9 caption text), each value read as
// the viewer reads it (red in the low byte, each component cut to 0..255), plus the page's layout.
std::string estiloDeColores(const store::Esquema& colores);
// "#RRGGBB" for a colour value, as the viewer shows it.
std::string colorCss(std::int32_t valor);

// Windows-1252 text as UTF-8 escaped for XHTML text and attributes; bytes no page may hold become U+FFFD, and
// `invalidos` (when given) is set when there was one. Line ends are not touched.
std::string escapar(std::string_view cp1252, bool* invalidos = nullptr);
// UTF-8 text escaped for XHTML (& < > " ').
std::string escaparUtf8(std::string_view utf8);

// A body or caption text (breaks as CR LF) as the inside of <div class="cuerpo">: paragraphs and <br/>, by the
// rule above. Sets `invalidos` like escapar().
std::string parrafos(std::string_view cp1252, bool* invalidos = nullptr);

} // namespace render

#pragma once

// A page of the renderer (XHTML in UTF-8) as Qt's rich-text engine reads it, for print, PDF and the editor's
// preview. That engine knows the blocks of HTML 4 only, takes colours from "background-color" alone and would
// show an XML declaration as text; the page says the same in words it knows.

#include <QString>

#include <string_view>

namespace render_qt {

// Without the XML declaration; the sectioning elements of HTML 5 as divisions (the page escapes its text, so
// "<" only ever opens a tag); "background" in the page's own style sheet as "background-color". The text of
// the article is left exactly as it is.
QString paraDocumentoDeTexto(std::string_view xhtml);

} // namespace render_qt

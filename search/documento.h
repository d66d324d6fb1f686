#pragma once

// How one article is laid out in the index: its title as the document's data, its file name and
// signature as values, the stems of every word of title and body (see formas.h), the first of them with
// the word's position for phrases (a gap between title and body keeps a phrase from running from one
// into the other), and the stems of the title's words once more under their own prefix, so that a query
// can weigh them more.

#include "search/formas.h"

#include <xapian.h>

#include <string>
#include <string_view>

namespace search {

inline constexpr Xapian::valueno kValorNombre = 0; // the file name as the complete list gives it
inline constexpr Xapian::valueno kValorFirma = 1;  // size and modification time when it was indexed

inline constexpr const char* kMetaFormato = "lumbre.formato";
inline constexpr const char* kMetaDirectorio = "lumbre.directorio";

// Title and body in Windows-1252, as the viewer reads them.
Xapian::Document documento(const std::string& nombre, const std::string& firma, std::string_view titulo,
                           std::string_view cuerpo, Formas& formas);

} // namespace search

#pragma once

// The About box: the viewer's credit line, a line break, and the author's comment (line 2 of the
// encyclopaedia's description file). A missing description file, or one of fewer than two lines,
// gives the credit line and an empty comment.

#include <QString>

#include <string>

class QWidget;

namespace acerca {

inline constexpr char16_t kCredito[] = u"Tomo, visor de enciclotomos, por los autores de Lumbre, 2026";
inline constexpr char16_t kTitulo[] = u"Acerca de . . .";

QString textoAcercaDe(const std::string& directorio);
// Shows the box (information icon, OK) and returns when the reader closes it.
void mostrarAcercaDe(QWidget* padre, const std::string& directorio);

} // namespace acerca

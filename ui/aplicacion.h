#pragma once

#include <QByteArray>

class QApplication;
class QString;

namespace ui {

// What both programs set up before their first window: the program's name (used as the title of
// warnings), the kit's own window icon (kept by every window that is given no other), and the Spanish
// texts of the standard dialog buttons ("Aceptar", "Sí", "No", "Cancelar").
//
// No application display name is set: on some platforms it would be appended to every window caption,
// and the captions are the windows' own ("S E L E C T O R", "Configuración", ...).
void iniciarAplicacion(QApplication& app, const QString& nombre);

// The bytes of the kit's own icon (an .ico file), e.g. for an encyclopaedia created without one.
QByteArray iconoPropio();

} // namespace ui

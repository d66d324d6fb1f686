#pragma once

// Taking on the look of an encyclopaedia: its colours (color.dat), its icon (icono.ico) on every window
// of the viewer, and its name (line 1 of descrip.dat) as the main window's caption and on lblSubtitulo.
//
// No failure stops the other steps. A colour file that is missing, short or holds a line that is not a
// number keeps the slots read before the fault and gives the rest their built-in colours; a missing or
// unreadable icon leaves the program's own icon; a missing description gives an empty caption. The
// reader is told once, in one message, about everything that went wrong.

#include <QIcon>

#include <functional>
#include <string>

class QWidget;
class Configuracion;

namespace apariencia {

struct VentanasVisor {
    QWidget* principal = nullptr;
    QWidget* selector = nullptr;
    QWidget* imagen = nullptr;
    Configuracion* configuracion = nullptr;
    QWidget* diccionario = nullptr; // made anew on each use, so usually nothing
    QWidget* elector = nullptr;
};

// The icon stored in the encyclopaedia's ICONO.ICO, or a null icon (and the reason in `porque`) when it cannot be
// read.
QIcon leerIcono(const std::string& directorio, QString* porque = nullptr);

// Applies the encyclopaedia in `directorio` to the windows, then calls `actuaLbl` (the selector's count
// line). Returns the problems met, already shown to the reader; empty when all went well.
QString DarEntorno(const std::string& directorio, const VentanasVisor& ventanas, const std::function<void()>& actuaLbl);

} // namespace apariencia

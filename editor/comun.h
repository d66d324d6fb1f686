#pragma once

// Small pieces both editor windows use at the edge between their controls and the store.

#include "store/archivo_de_texto.h"

#include <QFont>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <string_view>

class QLabel;
class QPushButton;
class QWidget;

namespace forja {

// A new control of the window with its object name (the control's name) and its name for screen readers.
template <class T> T* control(QWidget* padre, const QString& nombre, const QString& accesible) {
    auto* w = new T(padre);
    w->setObjectName(nombre);
    w->setAccessibleName(accesible);
    return w;
}
// A label showing `texto` from its top left corner, wrapped only when asked.
QLabel* etiqueta(QWidget* padre, const QString& nombre, const QString& texto, bool variasLineas = false);
// A button that Enter presses, as Space does, while it has the focus.
QPushButton* boton(QWidget* padre, const QString& nombre, const QString& texto);

// The text as Windows-1252, or nothing after telling the author which characters cannot be stored.
std::optional<std::string> aAlmacen(QWidget* padre, const QString& texto);

// The lines of a multi-line box as store lines, under the same rule.
std::optional<store::Lineas> lineasAlmacen(QWidget* padre, const QString& texto);

// The lines shown one per line in a multi-line box, each followed by a line end, as the editor loads
// descriptions, captions and article bodies.
QString textoDeLineas(const store::Lineas& lineas);
QStringList listaDeLineas(const store::Lineas& lineas);

// True for a full path as the store keeps them: a drive letter, ":" and a separator ("C:\\ENCICLO"), or a
// native absolute path. A relative path would depend on the directory each program happens to start in.
bool esRutaCompleta(std::string_view ruta);

// The windows were laid out for "MS Sans Serif" 8.25 points, a Windows bitmap font; Liberation Sans at the
// same size is close enough in width for every caption to fit its control.
QFont fuenteDeVentana();
QFont fuenteNegrita(double puntos);

// Labels size themselves to their text: every label of the window keeps its place and grows, when its text
// needs it, to the whole width and height of a one-line text, or to the height of its wrapped lines.
void ajustarEtiquetas(QWidget* ventana);

} // namespace forja

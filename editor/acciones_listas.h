#pragma once

// The named lists of the encyclopaedia being edited: adding one, ticking the articles of one, and saving the
// ticked articles as a list file.

class QString;
class QWidget;
class SesionForja;
class TomoEditado;

namespace forja {

class AccionesListas {
public:
    AccionesListas(SesionForja& sesion, QWidget* ventana);

    // Registers the list `texto` and makes its file; true once it is listed.
    bool agregarLista(const QString& texto);
    // Ticks the articles of the list `nombre` and makes its file the current list.
    void cargarLista(const QString& nombre);
    // Writes the ticked articles, in the complete list's order, as the current list file.
    void guardarLista();

private:
    SesionForja& sesion_;
    TomoEditado& tomo_;
    QWidget* ventana_;
};

} // namespace forja

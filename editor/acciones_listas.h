#pragma once

// The named lists of the encyclopaedia being edited: adding one, ticking the articles of one, and saving the
// ticked articles as a list file.

class QString;
class SesionForja;
class TomoEditado;

namespace forja {

class Autor;
class Resultado;

class AccionesListas {
public:
    AccionesListas(SesionForja& sesion, Autor& autor);

    // Registers the list `texto` and makes its file; done once it is listed.
    Resultado agregarLista(const QString& texto);
    // Ticks the articles of the list `nombre` and makes its file the current list.
    Resultado cargarLista(const QString& nombre);
    // Writes the ticked articles, in the complete list's order, as the current list file (asking first when
    // it is the complete list).
    Resultado guardarLista();

private:
    SesionForja& sesion_;
    TomoEditado& tomo_;
    Autor& autor_;
};

} // namespace forja

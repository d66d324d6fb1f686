#pragma once

// The viewer's ten-colour scheme and where each colour goes.
//
// A colour value is red + green * 256 + blue * 65536. A slot may hold any 32-bit value (the colour file
// is not range-checked), but a control can only show a real colour, so every value is shown as the
// colour its red, green and blue scroll bars in the configuration window would show: MAM(BGR(n, value))
// for each component. That is the value's low 24 bits for values above 16777215, and black for every
// negative value (its components are remainders between -255 and 0, which clamp to 0).
//
// Colours are set and read through the palette: the background is QPalette::Window on strips, panels and
// labels (with autoFillBackground) and QPalette::Base on list and text boxes; the text is
// QPalette::WindowText on labels and QPalette::Text on list and text boxes.

#include "store/archivo_de_color.h"

#include <QColor>

#include <array>
#include <cstdint>

class QWidget;

namespace apariencia {

enum class Propiedad { Fondo, Texto };
enum class Ventana { Principal, Imagen };

struct Control {
    int ranura;
    Propiedad propiedad;
    Ventana ventana;
    const char* nombre; // objectName of the control in its window
};

// Which controls take which slot, in the order they are painted.
inline constexpr std::array<Control, 21> kTablaControles = {{
    {0, Propiedad::Fondo, Ventana::Principal, "pctTitulo"},
    {1, Propiedad::Texto, Ventana::Principal, "lblTitulo"},
    {2, Propiedad::Fondo, Ventana::Principal, "pctSubtitulo"},
    {2, Propiedad::Fondo, Ventana::Principal, "pctEpigrafe"},
    {2, Propiedad::Fondo, Ventana::Principal, "pctTitImag"},
    {3, Propiedad::Texto, Ventana::Principal, "lblSubtitulo"},
    {3, Propiedad::Texto, Ventana::Principal, "lblTitImag"},
    {4, Propiedad::Fondo, Ventana::Principal, "pctEsquema"},
    {4, Propiedad::Fondo, Ventana::Principal, "lstEsquema"},
    {4, Propiedad::Fondo, Ventana::Principal, "pctAbrir"},
    {4, Propiedad::Fondo, Ventana::Principal, "pctPie"},
    {5, Propiedad::Texto, Ventana::Principal, "txtEsquema"},
    {5, Propiedad::Texto, Ventana::Principal, "lstEsquema"},
    {5, Propiedad::Texto, Ventana::Principal, "lblAbrir"},
    {5, Propiedad::Texto, Ventana::Principal, "lblPie"},
    {6, Propiedad::Fondo, Ventana::Principal, "txtArticulo"},
    {7, Propiedad::Texto, Ventana::Principal, "txtArticulo"},
    {8, Propiedad::Fondo, Ventana::Principal, "txtEpigrafe"},
    {8, Propiedad::Fondo, Ventana::Imagen, "txtEpigrafe"},
    {9, Propiedad::Texto, Ventana::Principal, "txtEpigrafe"},
    {9, Propiedad::Texto, Ventana::Imagen, "txtEpigrafe"},
}};

struct Lectura {
    Propiedad propiedad;
    const char* nombre; // in the main window
};
// The one property each slot is read back from.
inline constexpr std::array<Lectura, 10> kTablaLectura = {{
    {Propiedad::Fondo, "pctTitulo"},
    {Propiedad::Texto, "lblTitulo"},
    {Propiedad::Fondo, "pctSubtitulo"},
    {Propiedad::Texto, "lblSubtitulo"},
    {Propiedad::Fondo, "pctEsquema"},
    {Propiedad::Texto, "lstEsquema"},
    {Propiedad::Fondo, "txtArticulo"},
    {Propiedad::Texto, "txtArticulo"},
    {Propiedad::Fondo, "txtEpigrafe"},
    {Propiedad::Texto, "txtEpigrafe"},
}};

// Built-in label positions (twips from the top of their strip or panel).
inline constexpr int kTopSubtitulo = 20;
inline constexpr int kTopAbrir = 30;
inline constexpr int kTopPie = 30;

// One component of a colour value: red for Numero 1, green for 2, blue for anything else. Each step is
// the remainder (sign of the dividend) after a floor division by 256, so a negative value gives
// components from -255 to 0.
int BGR(int Numero, std::int32_t Kolor);
// Numero limited to 0..255.
int MAM(int Numero);

// The colour a value is shown as (see the top of this file).
QColor colorDe(std::int32_t valor);
// The value of a colour: red + green * 256 + blue * 65536.
std::int32_t valorDe(const QColor& color);

// The control of that name inside the window, without looking into other windows parented to it.
QWidget* buscarControl(QWidget* ventana, const char* nombre);

// Sets or reads one property of one control through its palette.
void ponerColor(QWidget* control, Propiedad propiedad, const QColor& color);
QColor colorActual(const QWidget* control, Propiedad propiedad);

// Paints every control of the slot's rows. Missing windows or controls are skipped.
void aplicarRanura(QWidget* principal, QWidget* imagen, int ranura, std::int32_t valor);
void aplicarEsquema(QWidget* principal, QWidget* imagen, const store::Esquema& esquema);
// Every slot read back from the main window; a missing control reads as the built-in value.
store::Esquema leerEsquema(QWidget* principal);

// The built-in scheme on every control plus the three built-in label positions.
void Colorear(QWidget* principal, QWidget* imagen);

} // namespace apariencia

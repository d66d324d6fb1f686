#pragma once

// The registry file C:\LUMBRE\TOMOS.DAT and the data root: TOMOS.DAT (the encyclopaedia list) and
// ACTUAL.DAT (the current-encyclopaedia file).

#include "archivo_de_texto.h"
#include "resultado.h"

#include <string>
#include <string_view>

namespace store {

struct Registro {
    std::string actual; // line 1: data root + "\ACTUAL.DAT"
    std::string tomos;  // line 2: data root + "\TOMOS.DAT" (empty when the file has one line)
};

bool existeRegistro();
// Lines 1 and 2. Fails when the file is missing or has no line.
Resultado<Registro> leerRegistro();

// The data root from registry line 1: the line without its last 11 characters ("\ACTUAL.DAT").
std::string raizDesdeLinea1(std::string_view linea1);

// Creates C:\LUMBRE (when missing), writes the registry with R + "\ACTUAL.DAT" and R + "\TOMOS.DAT", then
// creates the directory R. Refuses an empty root. Refuses with YaExiste when the registry exists and
// `reemplazar` is false, before anything is written.
Estado crearRegistro(std::string_view raiz, bool reemplazar);

// The encyclopaedia list of a data root: every line of raiz + "\TOMOS.DAT".
Resultado<Lineas> leerEnciclopedias(std::string_view raiz);
Estado anexarEnciclopedia(std::string_view raiz, std::string_view directorio);
// Writes `directorio` as the single line of raiz + "\ACTUAL.DAT".
Estado escribirActualEnRaiz(std::string_view raiz, std::string_view directorio);

// The viewer's registry chain: registry line 1 names the current-encyclopaedia file, whose line 1 is the
// current encyclopaedia directory.
Resultado<std::string> directorioActual();
// The viewer's chooser: every line of the list named by registry line 2.
Resultado<Lineas> enciclopediasRegistradas();
// The viewer's chooser: replaces the current-encyclopaedia file named by registry line 1 with `directorio`.
Estado elegirEnciclopedia(std::string_view directorio);

} // namespace store

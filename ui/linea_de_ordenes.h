#pragma once

// The programs' command line: "--help" and "--version" for both, for the viewer one encyclopaedia
// directory to open for this run, and for the editor "--importar ORIGEN RUTA", which imports texts into an
// encyclopaedia without opening any window, and "--revisar RUTA", the check of one encyclopaedia.

#include <QString>
#include <QStringList>

#include <optional>

namespace ui {

enum class Programa { Tomo, Forja };

struct Orden {
    enum class Tipo { Abrir, Ayuda, Version, Error, Importar, Revisar };
    Tipo tipo = Tipo::Abrir;
    QString ruta;    // Abrir: the encyclopaedia directory given (viewer only), or empty; Importar: the encyclopaedia;
                     // Revisar: the one to check
    QString mensaje; // Ayuda and Version: the text to print; Error: what is wrong, with a hint to "--help"
    QString origen;  // Importar: the folder or file of texts
    // Importar: the import's options as given, each name (without its dashes) followed by its value.
    QStringList opciones;
};

// The options of "--importar" that take a value (written "--name VALUE" or "--name=VALUE").
const QStringList& opcionesDeImportar();

// Reads the arguments after the program's name. "--" ends the options, so that a path starting with "-"
// can be given. The first of "--help" or "--version" wins over anything else on the line.
Orden leerLineaDeOrdenes(const QStringList& argumentos, Programa programa);

// Answers the command line before any window exists, so that it works without a display: "--help" and
// "--version" print their text (exit status 0), and a mistake is told on the error output (exit status
// 2). Returns nothing when the program should go on (also for Orden::Tipo::Importar and Revisar, which the editor
// answers). A line holding an option of the toolkit's own
// ("-platform offscreen", "--style=fusion") is left for leerLineaDeOrdenes() on the arguments the toolkit
// has not taken for itself, except for "--help" and "--version".
std::optional<int> atenderSinVentanas(int argc, char* argv[], Programa programa);

} // namespace ui

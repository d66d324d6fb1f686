#pragma once

// The editor's command line for exports, answered before any window exists so that it needs no display:
//
//   forja --exportar FORMATO RUTA DESTINO [--reemplazar]
//
// RUTA is the encyclopaedia directory, as the store writes it (C:\ENCICLO\SOLAR) or as a path of this system;
// DESTINO a path of this system. Progress and warnings go to the error output. Exit status: 0 when everything was
// written with nothing to report; 3 when the result is in place but something was reported (a missing picture,
// an article that could not be read); 1 when nothing was written (a failure, a refused destination, Ctrl+C);
// 2 for a mistake on the command line.

#include <QStringList>

#include <optional>

namespace publish {

// The exit status when the arguments ask for an export, or nothing when they do not.
std::optional<int> atenderExportacion(int argc, char* argv[]);

// The same over the arguments after the program's name (for tests); progress and messages are appended to
// `salida` instead of the error output when it is given.
std::optional<int> ejecutarOrdenExportar(const QStringList& argumentos, QString* salida = nullptr);

// The lines of "forja --help" that tell about exports.
QString ayudaExportar();

} // namespace publish

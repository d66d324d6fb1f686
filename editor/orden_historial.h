#pragma once

// The editor's command line for the history, answered before any window exists so that it needs no display:
//
//   forja --historial RUTA [ARTÍCULO]          the versions, newest first (of one article, when given)
//   forja --restaurar RUTA ARTÍCULO VERSIÓN    writes the article back as it was in VERSIÓN, as a new version
//   forja --sincronizar RUTA DESTINO [--unir]  brings this copy and the one in DESTINO (a folder or a git
//                                              address) into step; stops, changing nothing, on a conflict
//   forja --copiar-sin-historial RUTA DESTINO  the encyclopaedia's files without its history, to give away
//
// RUTA is the encyclopaedia directory, as the store writes it (C:\ENCICLO\SOLAR) or as a path of this system.
// Exit status: 0 done; 1 nothing done (a failure, said on the error output); 2 a mistake on the command line.

#include <QString>
#include <QStringList>

#include <optional>

namespace forja {

// The exit status when the arguments ask for the history, or nothing when they do not.
std::optional<int> atenderHistorial(int argc, char* argv[]);
// The same over the arguments after the program's name, writing to `salida` and `errores` (for tests).
std::optional<int> ejecutarOrdenHistorial(const QStringList& argumentos, QString& salida, QString& errores);

} // namespace forja

#pragma once

#include <QString>

#include <optional>
#include <string>

// The viewer's registry chain: line 1 of C:\LUMBRE\TOMOS.DAT names the current-encyclopaedia file,
// whose line 1 is the directory of the encyclopaedia to show. Read anew on every call.
//
// Returns the directory (Windows-1252, as stored), or nothing with a Spanish sentence in `motivo` that
// says which link of the chain is missing: the registry, the current-encyclopaedia file, a line in
// either, or the directory itself.
std::optional<std::string> buscarEnciclopediaActual(QString* motivo);

// An encyclopaedia given on the command line stands in for the current-encyclopaedia file during this run,
// so that buscarEnciclopediaActual() returns it; nothing is written to the store. Choosing another
// encyclopaedia in the chooser ends it (olvidarEnciclopediaDeLaSesion()).
//
// `ruta` is as the user typed it: a Windows path ("C:\ENCICLO\SOLAR", found under the drive directories) or
// a native one (absolute, or relative to the working directory); a file names the directory that holds it.
// Returns false, with a Spanish sentence in `motivo`, when it is not an encyclopaedia directory (missing, or
// without its complete list and list index) or cannot be written in the store's code page.
bool tomarEnciclopediaDeLaSesion(const QString& ruta, QString* motivo);
void olvidarEnciclopediaDeLaSesion();

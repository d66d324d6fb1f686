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

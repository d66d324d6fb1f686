#pragma once

// The editor's side of the history (historial/historial.h): one version for each change the author makes,
// signed with the author's name (asked once and kept in forja.ini), the changes made outside Forja recorded
// when an encyclopaedia is loaded, and a history that cannot be kept told to the author without ever
// stopping a save.

#include <QString>

#include <string>
#include <vector>

class QWidget;
class TomoEditado;

namespace forja {

// The author's name kept in forja.ini, or empty.
QString autorGuardado();
void guardarAutor(const QString& nombre);
// The name to sign a version with: the kept one, or asked once (through the dialog seam) and kept. When the
// author gives none, versions are signed "Autor sin nombre" and the question is not asked again in this run.
QString autorDeLaVersion(QWidget* ventana);

// Records one version of the encyclopaedia `directorio` (store spelling) with the files `nombres` as they
// are now, or, for its first version, with every file. A history that cannot be kept is told through
// `tomo`'s notice (and the save stands). True when the history took it (also when nothing had changed).
bool registrarVersion(QWidget* ventana, TomoEditado* tomo, const std::string& directorio,
                      const std::vector<std::string>& nombres, const QString& resumen);

// When an encyclopaedia is loaded: makes its history when it has none, and records what changed since the
// last version ("Cambios hechos fuera de Forja"). That reads every file of the encyclopaedia, so it runs on a
// thread of its own and the load does not wait for it; `tomo` hears versionRegistrada() when it made a version.
// A damaged history is told in a message box, once.
void registrarAlCargar(QWidget* ventana, TomoEditado* tomo, const std::string& directorio);
// Waits until what registrarAlCargar() started is recorded. Everything that reads or writes the history calls it
// first, so that a version is never made beside it nor a list of versions read without it.
void esperarHistorial();

// For the end of an import (or any change of many files): every change since the last version, as one
// version signed with the kept author. Empty on success, else what went wrong, in Spanish.
QString registrar(const QString& directorio, const QString& resumen);

// Before the command line writes into `directorio` (store spelling): what the editor does on loading it, its first
// version or the changes made outside Forja, so that the version of what it writes holds only that. Empty on
// success, else what went wrong, in Spanish.
QString registrarAntesDeEscribir(const std::string& directorio);

// After an import into `directorio` (store spelling): what it wrote as one version, "Importados 12 artículos de
// «vikidia_es»" (`archivoZim` the ZIM file's Name, empty for texts). Empty when nothing was imported or the
// history took it; else what went wrong, in Spanish.
QString registrarImportacion(const std::string& directorio, std::size_t articulos, const std::string& archivoZim);

// "Guardado el artículo «Marte»": names as the author reads them.
QString entreComillas(const QString& nombre);

} // namespace forja

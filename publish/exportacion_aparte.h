#pragma once

// An export run by the editor's own command line ("forja --exportar") in a process of its own, reported as if
// it had run here: its progress as it comes, its warnings, how it ended. The ZIM export changes a compression
// setting for the whole process it runs in (see formato_zim.cpp), so a window never runs it itself.

#include "publish/exportacion.h"

namespace publish {

// True when a window should run this format in a process of its own.
bool exportaEnOtroProceso(const QString& formato);

// The editor's program, to start with "--exportar": this program when it is the editor, otherwise the editor
// built beside it (a test's program under tests/ finds bin/forja). Empty when there is none.
QString programaDeExportacion();

// Runs the export in `programa` and waits for it, calling `alAvanzar` from this thread. Setting `cancelar`
// asks the process to stop (as Ctrl+C would), and the export leaves nothing behind.
Informe exportarEnOtroProceso(const QString& programa, const Encargo& encargo, const AlAvanzar& alAvanzar,
                              const std::atomic_bool* cancelar);

} // namespace publish

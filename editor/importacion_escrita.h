#pragma once

// What both import windows do once the author presses "Importar": the plan written on the window's worker thread,
// the bar told how far it has come, what was written recorded as one version of the history, and the window told
// at the end, on its own thread.

#include "importar/importacion.h"

#include <QString>

#include <atomic>
#include <functional>

class QObject;
class QProgressBar;

namespace forja {

// The work to run on the window's thread. `parar` stops it between two articles. `alTerminar` runs on the window's
// thread with the report and, when the history could not keep the version, a Spanish sentence saying so and why
// (empty otherwise).
std::function<void()> escribirImportacion(QObject* ventana, const importar::Plan* plan, QProgressBar* barra,
                                          const std::atomic<bool>* parar,
                                          std::function<void(const importar::Informe&, const QString&)> alTerminar);

} // namespace forja

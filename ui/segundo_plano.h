#pragma once

// Long work (an export, a book of every article) on a thread of its own while a progress dialog shows how far
// it has come; its "Cancelar" asks the work to stop. The windows stay drawn and answer meanwhile; the one the
// dialog belongs to is blocked until the work has returned.

#include <QString>

#include <atomic>
#include <functional>

class QWidget;

namespace ui {

struct Avance {
    qint64 hecho = 0;
    qint64 total = 0; // 0 while unknown: the bar then only shows that something is happening
    QString paso;     // what is being done, in Spanish
};

// Called by the work from its thread, as often as it likes: the dialog shows the latest.
using Avanzar = std::function<void(const Avance&)>;

// Runs `trabajo` on a new thread and returns once it has returned. The dialog (object name "dlgProgreso",
// window title `titulo`) is shown over `padre`, modal to the whole program, from the start; pressing its
// "Cancelar" button, Escape or its close box sets the flag that `trabajo` is given and says "Cancelando…"
// until the work returns. True when the flag was set.
bool ejecutarConProgreso(QWidget* padre, const QString& titulo,
                         const std::function<void(const Avanzar&, const std::atomic_bool&)>& trabajo);

} // namespace ui

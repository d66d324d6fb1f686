#include "editor/importacion_escrita.h"

#include "editor/versiones.h"

#include <QMetaObject>
#include <QProgressBar>

namespace forja {

std::function<void()> escribirImportacion(QObject* ventana, const importar::Plan* plan, QProgressBar* barra,
                                          const std::atomic<bool>* parar,
                                          std::function<void(const importar::Informe&, const QString&)> alTerminar) {
    return [ventana, plan, barra, parar, alTerminar = std::move(alTerminar)] {
        const importar::Informe informe = importar::ejecutar(*plan, [ventana, barra, parar](std::size_t hechos) {
            QMetaObject::invokeMethod(
                ventana, [barra, hechos] { barra->setValue(static_cast<int>(hechos)); }, Qt::QueuedConnection);
            return !parar->load();
        });
        // What was written is one version of the history, recorded here, off the window's thread.
        const QString error = registrarImportacion(plan->tomo, informe.importados.size(), plan->archivoZim);
        const QString sinVersion =
            error.isEmpty() ? QString()
                            : QStringLiteral("No se guardó la versión de lo importado en el historial: %1").arg(error);
        QMetaObject::invokeMethod(
            ventana, [alTerminar, informe, sinVersion] { alTerminar(informe, sinVersion); }, Qt::QueuedConnection);
    };
}

} // namespace forja

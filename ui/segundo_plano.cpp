#include "ui/segundo_plano.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

#include <memory>
#include <mutex>

namespace ui {

namespace {

// The latest progress, written by the work's thread and read by the dialog's timer.
struct Ultimo {
    std::mutex cerrojo;
    Avance avance;
    bool nuevo = false;
};

} // namespace

bool ejecutarConProgreso(QWidget* padre, const QString& titulo,
                         const std::function<void(const Avanzar&, const std::atomic_bool&)>& trabajo) {
    std::atomic_bool cancelar = false;
    auto ultimo = std::make_shared<Ultimo>();

    QProgressDialog dialogo(padre);
    dialogo.setObjectName(QStringLiteral("dlgProgreso"));
    dialogo.setWindowTitle(titulo);
    dialogo.setLabelText(QStringLiteral("Preparando…"));
    dialogo.setCancelButtonText(QStringLiteral("Cancelar"));
    dialogo.setRange(0, 0);
    dialogo.setAutoClose(false);
    dialogo.setAutoReset(false);
    dialogo.setMinimumDuration(0);
    dialogo.setWindowModality(Qt::ApplicationModal);
    dialogo.setMinimumWidth(420);
    QObject::connect(&dialogo, &QProgressDialog::canceled, &dialogo, [&] {
        cancelar = true;
        dialogo.setLabelText(QStringLiteral("Cancelando…"));
        dialogo.show(); // Escape and the close box hide it; it stays until the work has stopped
    });

    QTimer reloj;
    reloj.setInterval(50);
    QObject::connect(&reloj, &QTimer::timeout, &dialogo, [&] {
        Avance a;
        {
            const std::lock_guard<std::mutex> l(ultimo->cerrojo);
            if (!ultimo->nuevo) {
                return;
            }
            ultimo->nuevo = false;
            a = ultimo->avance;
        }
        if (cancelar) {
            return;
        }
        // The bar counts in thousandths, so that totals beyond what an int holds fit.
        if (a.total > 0) {
            dialogo.setRange(0, 1000);
            dialogo.setValue(static_cast<int>(std::min<qint64>(a.hecho, a.total) * 1000 / a.total));
        }
        if (!a.paso.isEmpty()) {
            dialogo.setLabelText(a.paso);
        }
    });

    const Avanzar avanzar = [ultimo](const Avance& a) {
        const std::lock_guard<std::mutex> l(ultimo->cerrojo);
        ultimo->avance = a;
        ultimo->nuevo = true;
    };
    std::unique_ptr<QThread> hilo(QThread::create([&] { trabajo(avanzar, cancelar); }));
    QEventLoop bucle;
    QObject::connect(hilo.get(), &QThread::finished, &bucle, &QEventLoop::quit);
    dialogo.show();
    reloj.start();
    hilo->start();
    bucle.exec();
    hilo->wait();
    reloj.stop();
    return cancelar;
}

} // namespace ui

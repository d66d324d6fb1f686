#pragma once

// What both import windows share: their work (reading, planning, writing) runs on one thread at a time off the
// window's, which the window can be asked to stop; closing waits for what is being written, so that no article
// is left half-made; and the end of an import tells which articles were written, once per plan.

#include "importar/importacion.h"

#include <QDialog>
#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>
#include <string>

class QPlainTextEdit;
class QProgressBar;
class QThread;

class VentanaDeImportacion : public QDialog {
    Q_OBJECT

public:
    ~VentanaDeImportacion() override;

    // True while texts are read or articles written.
    bool ocupada() const { return hilo_ != nullptr; }
    const std::optional<importar::Plan>& plan() const { return plan_; }

signals:
    // Articles were written and appended to COMPLETA.DAT (names as the store spells them, in order).
    void importados(const QStringList& nombres);
    // The plan is shown, or the import is over.
    void listo();

protected:
    // `tomo`: the encyclopaedia directory as the store spells it.
    VentanaDeImportacion(QWidget* padre, std::string tomo);

    // Runs `trabajo` on a thread of its own; habilitar() is called as it starts and once it is over.
    void empezar(std::function<void()> trabajo);
    // Asks the work under way to stop and waits for it: a window whose work reads what it holds calls it before
    // that is destroyed.
    void detener();
    // Enables the window's controls as ocupada() allows.
    virtual void habilitar() = 0;
    // "Importar": writes the plan shown, `barra` following it, and then adds what was written to `salida`; the
    // plan is never written twice, and an import that stopped on an error says so in a message box.
    void escribirPlan(QProgressBar* barra, QPlainTextEdit* salida);

    void closeEvent(QCloseEvent* evento) override;
    void reject() override;

    std::string tomo_;
    std::optional<importar::Plan> plan_;
    std::atomic<bool> parar_{false};

private:
    void terminado();
    void mostrarInforme(const importar::Informe& informe, QPlainTextEdit* salida);

    QThread* hilo_ = nullptr;
};

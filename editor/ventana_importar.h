#pragma once

// "Importar artículos…": the author picks a folder or files of texts; the window shows, before anything is
// written, every article, title and picture the import will create and what it cannot keep; "Importar" then
// writes it all. Reading the texts and writing the articles run off the window's thread, with progress.

#include "importar/importacion.h"

#include <QDialog>

#include <atomic>
#include <memory>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QThread;

class VentanaImportar : public QDialog {
    Q_OBJECT

public:
    // `tomo`: the encyclopaedia directory as the store spells it.
    VentanaImportar(QWidget* padre, std::string tomo);
    ~VentanaImportar() override;

    // Reads the texts of these folders or files and shows what importing them would create.
    void planear(const QStringList& rutas);
    void cmdCarpeta_Click();
    void cmdArchivos_Click();
    void cmdImportar_Click();

    // True while texts are read or articles written.
    bool ocupada() const { return hilo_ != nullptr; }
    const std::optional<importar::Plan>& plan() const { return plan_; }

    QLabel* lblOrigen;
    QLineEdit* txtOrigen;
    QPushButton* cmdCarpeta;
    QPushButton* cmdArchivos;
    QLabel* lblPlan;
    QPlainTextEdit* txtPlan;
    QProgressBar* barAvance;
    QPushButton* cmdImportar;
    QPushButton* cmdCerrar;

signals:
    // Articles were written and appended to COMPLETA.DAT (names as the store spells them, in order).
    void importados(const QStringList& nombres);
    // The plan is shown, or the import is over.
    void listo();

protected:
    void closeEvent(QCloseEvent* evento) override;
    void reject() override;

private:
    void empezar(std::function<void()> trabajo);
    void terminado();
    void mostrarPlan(store::Resultado<importar::Plan> resultado);
    void mostrarInforme(const importar::Informe& informe);

    std::string tomo_;
    std::optional<importar::Plan> plan_;
    QThread* hilo_ = nullptr;
    std::atomic<bool> parar_{false};
};

#pragma once

// "Importar artículos…": the author picks a folder or files of texts; the window shows, before anything is
// written, every article, title and picture the import will create and what it cannot keep; "Importar" then
// writes it all. Reading the texts and writing the articles run off the window's thread, with progress.

#include "editor/ventana_de_importacion.h"
#include "importar/importacion.h"

#include <memory>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

class VentanaImportar : public VentanaDeImportacion {
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

    QLabel* lblOrigen;
    QLineEdit* txtOrigen;
    QPushButton* cmdCarpeta;
    QPushButton* cmdArchivos;
    QLabel* lblPlan;
    QPlainTextEdit* txtPlan;
    QProgressBar* barAvance;
    QPushButton* cmdImportar;
    QPushButton* cmdCerrar;

private:
    void habilitar() override;
    void mostrarPlan(store::Resultado<importar::Plan> resultado);
};

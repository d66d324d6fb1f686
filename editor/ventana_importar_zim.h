#pragma once

// "Importar desde un archivo ZIM…": the author opens a ZIM file (Wikipedia, Vikidia... offline), sees what it is
// (title, language, licence, articles, whether it can be searched), chooses articles by titles (typed, with the
// file's suggestions as one types, or from a file of titles), by a full-text query or by a topic's links, minus
// exclusions, and sees the plan before anything is written; "Importar" then writes it. Choosing, planning and
// writing run off the window's thread, with progress.

#include "editor/ventana_de_importacion.h"
#include "importar/importacion.h"
#include "importar/zim.h"

#include <memory>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;

class VentanaImportarZim : public VentanaDeImportacion {
    Q_OBJECT

public:
    // `tomo`: the encyclopaedia directory as the store spells it.
    VentanaImportarZim(QWidget* padre, std::string tomo);
    ~VentanaImportarZim() override;

    // Opens the file and shows what it is; false (and says why) when it is no ZIM file or cannot be read.
    bool abrir(const QString& archivo);
    void cmdArchivo_Click();
    void cmdAgregarTitulo_Click();
    void cmdQuitarTitulo_Click();
    void cmdListaTitulos_Click();
    void cmdPlanear_Click();
    void cmdImportar_Click();

    QLabel* lblArchivo;
    QLineEdit* txtArchivo;
    QPushButton* cmdArchivo;
    QLabel* lblDatos;
    QLabel* lblTitulo;
    QLineEdit* txtTitulo;
    QListWidget* lstSugerencias;
    QPushButton* cmdAgregarTitulo;
    QListWidget* lstElegidos;
    QPushButton* cmdQuitarTitulo;
    QPushButton* cmdListaTitulos;
    QLabel* lblConsulta;
    QLineEdit* txtConsulta;
    QSpinBox* spnMaximoConsulta;
    QLabel* lblTema;
    QLineEdit* txtTema;
    QSpinBox* spnProfundidad;
    QSpinBox* spnMaximoTema;
    QLabel* lblExcluir;
    QLineEdit* txtExcluir;
    QLabel* lblLista;
    QLineEdit* txtLista;
    QLabel* lblListaBusqueda;
    QLineEdit* txtListaBusqueda;
    QLabel* lblListaTema;
    QLineEdit* txtListaTema;
    QPushButton* cmdPlanear;
    QPlainTextEdit* txtPlan;
    QProgressBar* barAvance;
    QPushButton* cmdImportar;
    QPushButton* cmdCerrar;

private:
    void sugerir(const QString& texto);
    void habilitar() override;
    void mostrarPlan(store::Resultado<importar::Plan> resultado, const std::vector<std::string>& avisos);

    std::unique_ptr<importar::FuenteZim> fuente_;
};

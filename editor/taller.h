#pragma once

// The editor's main window: the data root, the registered encyclopaedias, and the current encyclopaedia's
// description, articles and lists. Everything the window knows stands in its controls; each handler reads
// them when it runs, asks the store, and puts the answer back into the controls.

#include <QPointer>
#include <QWidget>

#include <array>
#include <optional>
#include <string>

class QGroupBox;
class QLabel;
class QLineEdit;
class ListaMarcable;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class TallerArt;

class Taller : public QWidget {
    Q_OBJECT

public:
    explicit Taller(QWidget* parent = nullptr);
    ~Taller() override;

    // The article editor while it is open, or null.
    TallerArt* tallerArt() const;

    // The bytes of the icon the program ships, written when no icon is chosen for a new encyclopaedia.
    static std::string iconoDeReserva();

    void cmdCrearRaiz_Click();
    void cmdCargarRaiz_Click();
    void cmdTomoAdd_Click();
    void cmdTomoLoad_Click();
    void cmdSave_Click();
    void cmdSalir_Click();
    void cmdLstAdd_Click();
    void cmdLstLoad_Click();
    void cmdLstSave_Click();
    void txtArtAdd_Click();
    void txtArtLoad_Click();

    // Frame "Raíz"
    QGroupBox* fraRaiz;
    std::array<QLabel*, 2> lblRaiz;
    QLineEdit* txtRaiz;
    QPushButton* cmdCrearRaiz;
    QPushButton* cmdCargarRaiz;

    // Frame "Enciclotomos"
    QGroupBox* fraTomos;
    QLabel* lblTomos;
    QListWidget* lstTomos;
    QLabel* lblTomoNew;
    QLineEdit* txtNewTomo;
    QPushButton* cmdTomoAdd;
    QPushButton* cmdTomoLoad;

    // Frame "Enciclotomo"
    QGroupBox* fraTomo;
    QLineEdit* txtTomo;
    QPlainTextEdit* txtMsg;
    QPushButton* cmdSave;
    QLabel* Label2;
    QListWidget* lstArticulos;
    QLabel* lblArtNew;
    QLineEdit* txtNewArt;
    QPushButton* txtArtAdd;
    QPushButton* txtArtLoad;
    QLineEdit* txtArticulo;
    QLabel* lblListas;
    QListWidget* lstListas;
    QLabel* Label1;
    QLineEdit* txtLstNew;
    QPushButton* cmdLstAdd;
    QPushButton* cmdLstLoad;
    QLabel* lblLstArts;
    ListaMarcable* lstLstArts;
    QLineEdit* txtLista;
    QPushButton* cmdLstSave;
    QPushButton* cmdSalir;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void construir();
    void conectar();

    // The text of a box as Windows-1252, or nothing after telling the author which characters cannot be
    // stored.
    std::optional<std::string> textoAlmacen(const QString& texto);
    // True for a full path; otherwise says that the path must carry its drive letter.
    bool rutaCompleta(const std::string& ruta, const QString& texto);
    // The current encyclopaedia (txtTomo) when it is filled in and its directory exists; otherwise says why
    // and gives nothing.
    std::optional<std::string> tomoActual();
    // The data root (txtRaiz), under the same rules.
    std::optional<std::string> raizActual();
    // The article editor, created on first use.
    TallerArt* abrirTallerArt();

    QPointer<TallerArt> art_;
};

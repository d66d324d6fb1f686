#pragma once

// The editor's main window: the data root, the registered encyclopaedias, and the current encyclopaedia's
// description, articles and lists. It shows the root and the encyclopaedia of the session (editor/sesion.h)
// and puts what the author types back into them; its buttons run the actions on them. It opens the editor's
// other windows, each on the session, and answers what they ask of each other through it.

#include <QPointer>
#include <QWidget>

#include "editor/acciones_articulos.h"
#include "editor/acciones_listas.h"
#include "editor/acciones_raiz.h"
#include "editor/acciones_tomos.h"
#include "editor/lista_marcable.h"
#include "editor/resultado.h"

#include <array>
#include <string>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QPlainTextEdit;
class QPushButton;
class RaizEditada;
class SesionForja;
class TallerArt;
class TomoEditado;
class VentanaRevision;
class VentanaHistorialArticulo;
class VentanaHistorialTomo;
class VentanaSincronizar;

class Taller : public QWidget {
    Q_OBJECT

public:
    explicit Taller(SesionForja& sesion, QWidget* parent = nullptr);
    ~Taller() override;

    // The article editor while it is open, or null.
    TallerArt* tallerArt() const;

    SesionForja& sesion() const { return sesion_; }
    // What the window shows: the data root and the encyclopaedia being edited.
    RaizEditada* raiz() const { return raiz_; }
    TomoEditado* tomo() const { return tomo_; }

    // Opens the article `nombre` of the encyclopaedia being edited in the article editor, as "Cargar
    // Artículo" does with the selected one.
    void abrirArticulo(const QString& nombre);
    // Ticks the articles of the list `nombre`, as "Cargar Lista" does with the selected one.
    void abrirLista(const QString& nombre);
    // Shows the check of the encyclopaedia being edited, started anew.
    void revisarEnciclotomo();
    // The check's window while it is open, or null.
    VentanaRevision* ventanaRevision() const;

    // "Historial del artículo…" for the article being edited, and "Historial de la enciclotomo…".
    void abrirHistorialArticulo();
    void abrirHistorialTomo();
    VentanaHistorialArticulo* ventanaHistorialArticulo() const;
    VentanaHistorialTomo* ventanaHistorialTomo() const;
    // "Sincronizar…" for the encyclopaedia being edited, and its window while open.
    void abrirSincronizar();
    VentanaSincronizar* ventanaSincronizar() const;
    // "Copiar sin historial…": the encyclopaedia's files into a new directory the author names, without its
    // history, to give it to others.
    void copiarSinHistorial();
    // Reads the article `nombre` anew into a fresh article editor (after a restore), whatever the old one held.
    void volverALeerArticulo(const QString& nombre);
    // Loads the encyclopaedia being edited again (its lists after a restore).
    void recargarTomo();

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
    QListView* lstTomos; // a view over the root's encyclopaedias
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
    ListaNombres* lstArticulos;
    QLabel* lblArtNew;
    QLineEdit* txtNewArt;
    QPushButton* txtArtAdd;
    QPushButton* txtArtLoad;
    QLineEdit* txtArticulo;
    QLabel* lblListas;
    QListView* lstListas; // a view over the encyclopaedia's lists
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
    // Which controls take the room of a window made larger than designed.
    void crecer();
    void conectar();
    // Ties the controls to what they show, both ways.
    void mostrarEstado();
    // The article editor, created on first use.
    TallerArt* abrirTallerArt();

    SesionForja& sesion_;
    RaizEditada* raiz_;
    TomoEditado* tomo_;
    // The actions ask the author through this window's dialogs; the window tells what they return.
    forja::AutorEnVentana autor_;
    forja::AccionesRaiz accionesRaiz_;
    forja::AccionesTomos accionesTomos_;
    forja::AccionesArticulos accionesArticulos_;
    forja::AccionesListas accionesListas_;
    QPointer<TallerArt> art_;
    QPointer<VentanaRevision> revision_;
    QPointer<VentanaHistorialArticulo> historialArticulo_;
    QPointer<VentanaHistorialTomo> historialTomo_;
    QPointer<VentanaSincronizar> sincronizar_;
};

#pragma once

#include "main_window/articulo_mostrado.h"
#include "windows/caja_articulo.h" // txtArticulo is used as the text box it is

#include <QMainWindow>

#include <string>

class QAction;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class CajaImagen;
class Etiqueta;
class ModeloDeTitulos;
class MenuIr;
class Tira;
class Selector;
class VentanaImagen;
class Configuracion;
class Elector;

// The viewer's main window: one article at a time (title strip, body text, outline of illustrations,
// one illustration with its title and caption, side picture). It creates the selector and the image
// window and runs the viewer's start-up.
class VentanaPrincipal : public QMainWindow, public ArticuloMostrado {
    Q_OBJECT
public:
    explicit VentanaPrincipal(QWidget* parent = nullptr);
    ~VentanaPrincipal() override;

    // The whole start-up: takes up the current encyclopaedia, lists its articles in the selector, opens
    // the article read last, shows the selector. Returns false, after a Spanish message box saying what
    // is missing, when there is no encyclopaedia to show (no registry, no current-encyclopaedia file,
    // no current encyclopaedia); the program then ends.
    bool Form_Load();

    // Reads one article (full stored path, Windows-1252) and shows it. A missing or unreadable article,
    // or a name that leaves the encyclopaedia directory, is reported and the article shown stays.
    void Abrir(const std::string& archivo);
    // As Abrir; true when the article was read and is now shown.
    bool abrirArticulo(const std::string& archivo) override;
    // Opens the article `nombre` (a file name as the lists give it) and records it in ultimo.dat, as a
    // double-click on its title in the selector does; false when it could not be read.
    bool leerArticulo(const std::string& nombre);

    // Starts listing, in the article index, the title of every name it holds (see ModeloDeTitulos::listar).
    // Files that cannot be read get an empty title and are reported together in one message.
    void Actualizar();

    // Shows the selector, takes up the current encyclopaedia from the registry and appends the names of
    // the list file NOMBRE + ".dat" to the article index (see ModeloDeTitulos::cargarLista); then lists
    // the titles when Actualiza is true. Clears nothing.
    void Cargar(const std::string& NOMBRE, bool Actualiza);

    // Shows the illustration selected in the outline: picture, title and caption. Nothing when none is
    // selected.
    void lstEsquema_DblClick();

    void lblAbrir_Click();
    void pctAbrir_Click();
    void lblPie_Click();
    void pctPie_Click();

    void mnuSalir_Click();
    void mnuBuscar_Click();

    // Takes on the current encyclopaedia's colours, icon and name (the last step of the start-up, and
    // after switching encyclopaedias).
    void DarEntorno();
    // The built-in colours and label positions.
    void Colorear();
    // Looks up the word double-clicked in the article text.
    void txtArticulo_DblClick();
    void mnuConfig_Click();
    void mnuSeleki_Click();
    void mnuDict_Click();
    void mnuAbout_Click();

    ModeloDeTitulos* titulos() const { return indice_; }
    Selector* selector() const { return selector_; }
    VentanaImagen* ventanaImagen() const { return ventanaImagen_; }
    Configuracion* configuracion() const { return configuracion_; }
    Elector* elector() const { return elector_; }
    MenuIr* menuIr() const { return menuIr_; } // the menu "Ir": history, find in the article, text size

    // The current encyclopaedia directory (held by the article index).
    std::string directorio() const override;
    QString tituloMostrado() const override;
    QString nombreDeLaEnciclopedia() const override;

signals:
    // An article (full stored path) has been read and is now shown, whichever route opened it.
    void articuloAbierto(const std::string& ruta);
    // The chooser made another encyclopaedia current; directorio() is already the new one.
    void enciclopediaCambiada();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    // Adds "Buscar en el texto…" (Ctrl+Shift+F) to the menu "Ir"; its window is made on first use.
    void instalarBusquedaEnTexto();
    // Controls.
    CajaArticulo* txtArticulo = nullptr;
    Tira* pctTitulo = nullptr;
    Etiqueta* lblTitulo = nullptr;
    Tira* pctEsquema = nullptr;
    QListWidget* lstEsquema = nullptr;
    Etiqueta* txtEsquema = nullptr;
    Tira* pctContiene = nullptr;
    CajaImagen* pctImagen = nullptr;
    Tira* pctEpigrafe = nullptr;
    Tira* pctPie = nullptr;
    Etiqueta* lblPie = nullptr;
    Tira* pctAbrir = nullptr;
    Etiqueta* lblAbrir = nullptr;
    QPlainTextEdit* txtEpigrafe = nullptr;
    Tira* pctTitImag = nullptr;
    Etiqueta* lblTitImag = nullptr;
    Tira* pctSubtitulo = nullptr;
    Etiqueta* lblSubtitulo = nullptr;
    Etiqueta* imgCostado = nullptr;

    // Menu.
    QMenu* menuFile = nullptr; // the submenu of mnuFile
    QAction* mnuFile = nullptr;
    QAction* mnuConfig = nullptr;
    QAction* mnuSeleki = nullptr;
    QAction* mnuSeparar = nullptr;
    QAction* mnuSalir = nullptr;
    QAction* mnuBuscar = nullptr;
    QAction* mnuDict = nullptr;
    QAction* mnuAbout = nullptr;

    void crearControles();
    void crearMenu();
    // Empties what Abrir fills: body, outline, side picture; hides both panels.
    void vaciarArticulo();
    void terminar();
    // Makes the configuration window and the chooser when they do not exist yet.
    void crearVentanasSecundarias();
    // Puts the main window and the selector side by side, inside the screen, before they are shown.
    void colocarVentanas();
    // The selector's double-click: opens the article of index row `fila` and records it in ultimo.dat.
    void abrirElegido(int fila);
    // The chooser made `directorio` current: the selector and the index start over with it.
    void cambiarEnciclopedia(const std::string& directorio);

    ModeloDeTitulos* indice_ = nullptr;
    Selector* selector_ = nullptr;
    VentanaImagen* ventanaImagen_ = nullptr;
    Configuracion* configuracion_ = nullptr; // configuration window, made in the start-up
    Elector* elector_ = nullptr;             // chooser, made in the start-up
    MenuIr* menuIr_ = nullptr;
    std::string rutaImagen_; // the stored path of the illustration shown, for saying that it is missing
};

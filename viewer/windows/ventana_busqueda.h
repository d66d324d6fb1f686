#pragma once

// The window "Buscar en el texto": the reader types words, and the articles that hold them appear as
// they type, best first, each with its title and a passage with the words in bold. Enter or a
// double-click opens the article as the selector does. Opened from the menu "Ir" (Ctrl+Shift+F).

#include <QWidget>

class QLabel;
class QLineEdit;
class QListView;
class QProgressBar;
class QTimer;
class BusquedaEnTexto;
class VentanaPrincipal;

class VentanaBusqueda : public QWidget {
    Q_OBJECT
public:
    explicit VentanaBusqueda(VentanaPrincipal* principal);

    // Shows the window in front, takes up the current encyclopaedia and brings its index up to date.
    void mostrar();
    // Opens the chosen result (the first when none is chosen) in the main window, as the selector does.
    void abrirElegido();

    BusquedaEnTexto* modelo() const { return modelo_; }

    QLineEdit* txtBuscado = nullptr;
    QListView* lstResultados = nullptr;
    QLabel* lblEncontrados = nullptr;
    QLabel* lblIndice = nullptr;
    QProgressBar* prgIndice = nullptr;

protected:
    void changeEvent(QEvent* e) override;

private:
    // Takes up another encyclopaedia when the main window has switched since.
    void seguirEnciclopedia();
    void mostrarResultados();

    VentanaPrincipal* principal_;
    BusquedaEnTexto* modelo_;
    QTimer* espera_;             // a search starts once the reader pauses typing
    bool abrirAlLlegar_ = false; // Enter came before the results of what was typed
};

// Adds "Buscar en el texto…" (Ctrl+Shift+F) to the main window's menu "Ir"; the window is made on first use.
void instalarBusquedaEnTexto(VentanaPrincipal* principal);

#pragma once

// The window "Buscar en el texto": the reader types words, and the articles that hold them appear as
// they type, best first, each with its title and a passage with the words in bold. Enter or a
// double-click opens the article as the selector does. Opened from the menu "Ir" (Ctrl+Shift+F).

#include <QWidget>

#include <functional>
#include <string>

class QLabel;
class QLineEdit;
class QListView;
class QProgressBar;
class QTimer;
class BusquedaEnTexto;

class VentanaBusqueda : public QWidget {
    Q_OBJECT
public:
    // `directorio` tells the encyclopaedia the window that owns this one shows (store spelling).
    VentanaBusqueda(QWidget* padre, std::function<std::string()> directorio);

    // Shows the window in front, takes up the current encyclopaedia and brings its index up to date.
    void mostrar();
    // Opens the chosen result (the first when none is chosen) in the main window, as the selector does.
    void abrirElegido();

    BusquedaEnTexto* modelo() const { return modelo_; }

    // The owner switched encyclopaedia: while the window is open it searches the new one for what is typed.
    void enciclopediaCambiada();

    QLineEdit* txtBuscado = nullptr;
    QListView* lstResultados = nullptr;
    QLabel* lblEncontrados = nullptr;
    QLabel* lblIndice = nullptr;
    QProgressBar* prgIndice = nullptr;

protected:
    void changeEvent(QEvent* e) override;

signals:
    // The reader chose a result: the article of that name (as the complete list names it) is to be shown.
    void articuloElegido(const std::string& nombre);

private:
    // Takes up another encyclopaedia when the main window has switched since.
    void seguirEnciclopedia();
    void mostrarResultados();

    std::function<std::string()> directorio_;
    BusquedaEnTexto* modelo_;
    QTimer* espera_;             // a search starts once the reader pauses typing
    bool abrirAlLlegar_ = false; // Enter came before the results of what was typed
};

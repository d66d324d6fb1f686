#pragma once

// The main window's menu "Ir" and the reading aids behind it: going back and forward over the articles
// opened in this run (Alt+Left, Alt+Right and the mouse's back and forward buttons; taking up another
// encyclopaedia starts the history anew), finding in the
// article (Ctrl+F, then F3 / Shift+F3), and the text size (Ctrl++, Ctrl+-, Ctrl+0, Ctrl+wheel).

#include "main_window/historial.h"

#include <QObject>

#include <string>

class ArticuloMostrado;
class QAction;
class QMainWindow;
class QMenu;
class QPlainTextEdit;
class BuscadorArticulo;
class TamanoTexto;

class MenuIr : public QObject {
    Q_OBJECT
public:
    // Adds the menu after the main window's own menus; finding works in `articulo`, the text size in both
    // boxes, going back and forward through `mostrado`.
    MenuIr(QMainWindow* ventana, ArticuloMostrado& mostrado, QPlainTextEdit* articulo, QPlainTextEdit* epigrafe);

    // An article (full stored path) has been opened, whichever route opened it.
    void registrar(const std::string& ruta);

    void atras();
    void adelante();

    QMenu* menu = nullptr; // "mnuIr"; other windows may add their items to it
    QAction* mnuAtras = nullptr;
    QAction* mnuAdelante = nullptr;
    QAction* mnuBuscarArticulo = nullptr;

    const Historial& historial() const { return historial_; }
    BuscadorArticulo* buscador() const { return buscador_; }
    TamanoTexto* tamano() const { return tamano_; }

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    void ir(int paso);
    void actualizarAcciones();

    QMainWindow* ventana_;
    ArticuloMostrado& mostrado_;
    Historial historial_;
    std::string directorio_; // the encyclopaedia whose articles the history holds
    bool yendo_ = false;     // an article is being opened by going back or forward
    BuscadorArticulo* buscador_ = nullptr;
    TamanoTexto* tamano_ = nullptr;
};

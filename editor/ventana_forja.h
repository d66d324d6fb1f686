#pragma once

// The editor's window on screen: the form Taller, at its designed size and with every control where it was
// designed, under a menu bar of its own. The bar adds to the window's height what it takes, so the form's
// client area stays as designed; the form keeps its caption, which the window shows.

#include <QMainWindow>

class MenuArticulos;
class MenuPublicar;
class QMenu;
class SesionForja;
class Taller;

class VentanaForja : public QMainWindow {
    Q_OBJECT
public:
    explicit VentanaForja(SesionForja& sesion, QWidget* parent = nullptr);
    ~VentanaForja() override;

    Taller* taller() const { return taller_; }
    MenuArticulos* menuArticulos() const { return articulos_; }
    MenuPublicar* menuPublicar() const { return publicar_; }
    QMenu* menuEnciclotomo() const { return enciclotomo_; }

protected:
    // Closing the window closes the form, which may keep itself open (an article with unsaved changes).
    void closeEvent(QCloseEvent* e) override;

private:
    Taller* taller_ = nullptr;
    MenuArticulos* articulos_ = nullptr;
    MenuPublicar* publicar_ = nullptr;
    QMenu* enciclotomo_ = nullptr;
};

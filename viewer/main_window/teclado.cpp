#include "main_window/teclado.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

#include <initializer_list>
#include <utility>
#include <vector>

namespace teclado {

namespace {

// Watches one widget's key presses and runs `accion` for one key without modifiers (the keypad's
// Enter carries the keypad modifier, which does not count).
class Filtro : public QObject {
public:
    Filtro(QObject* vigilado, std::initializer_list<int> teclas, std::function<void()> accion)
        : QObject(vigilado), teclas_(teclas), accion_(std::move(accion)) {
        vigilado->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (evento->type() == QEvent::KeyPress) {
            const auto* tecla = static_cast<const QKeyEvent*>(evento);
            const bool sinModificadores = (tecla->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
            for (const int t : teclas_) {
                if (tecla->key() == t && sinModificadores) {
                    accion_();
                    return true;
                }
            }
        }
        return QObject::eventFilter(objeto, evento);
    }

private:
    std::vector<int> teclas_;
    std::function<void()> accion_;
};

} // namespace

void enterComoDobleClic(QAbstractItemView* lista, std::function<void()> accion) {
    new Filtro(lista, {Qt::Key_Return, Qt::Key_Enter}, std::move(accion));
}

void escapeCierra(QWidget* ventana) {
    // Keys that the focused control leaves alone travel up to the window, where this filter sees them.
    new Filtro(ventana, {Qt::Key_Escape}, [ventana] { ventana->close(); });
}

} // namespace teclado

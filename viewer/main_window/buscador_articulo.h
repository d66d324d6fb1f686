#pragma once

// The find box over the article text: a small bar at the top right of the text box. Every match of what
// is typed is highlighted as the reader types, letter case and accents ignored ("arbol" finds "Árbol");
// the current one is selected and scrolled into view. Enter or F3 goes to the next, Shift+Enter or
// Shift+F3 to the previous (wrapping round); Escape closes the bar and clears the highlights. Opening
// another article while the bar is open searches the new text.

#include <QFrame>

#include <vector>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

class BuscadorArticulo : public QFrame {
    Q_OBJECT
public:
    explicit BuscadorArticulo(QPlainTextEdit* caja);

    // Shows the bar with its text selected and gives it the focus.
    void abrir();
    // Hides the bar, clears the highlights and gives the focus back to the text.
    void cerrar();
    void siguiente();
    void anterior();

    // Start offsets of the matches in the text, in order, and the index of the current one (-1: none).
    const std::vector<int>& coincidencias() const { return coincidencias_; }
    int actual() const { return actual_; }

    QLineEdit* campo = nullptr; // what is sought
    QLabel* cuenta = nullptr;   // "2 de 5", "Sin resultados"

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    void buscar();
    void irA(int indice);
    void resaltar();
    void colocar();

    QPlainTextEdit* caja_;
    std::vector<int> coincidencias_;
    int actual_ = -1;
    int largo_ = 0;
};

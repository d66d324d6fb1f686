#pragma once

// The article text box. A double-click selects the run of characters between white space (spaces, tabs
// and line breaks) under the pointer, punctuation included, instead of the toolkit's own word rule, so
// that "(¡Hola!)," is selected whole; then palabraElegida() is emitted and the look-up reads the
// selection.

#include <QPlainTextEdit>

class CajaArticulo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CajaArticulo(QWidget* parent = nullptr);

    // Selects the run touching the text position nearest to `punto` (viewport coordinates). Nothing is
    // selected when white space lies on both sides of that position.
    void seleccionarCorrida(const QPoint& punto);

signals:
    void palabraElegida();

protected:
    void mouseDoubleClickEvent(QMouseEvent* evento) override;
};

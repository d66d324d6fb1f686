#pragma once

#include <QLabel>

// A label that sizes itself to its text (when asked to) and reports a click of the left button.
class Etiqueta : public QLabel {
    Q_OBJECT
public:
    explicit Etiqueta(const QString& texto, QWidget* parent = nullptr, bool ajustarAlTexto = true);

    // Sets the text and, for a self-sizing label, its size.
    void ponerTexto(const QString& texto);

signals:
    void pulsado();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
};

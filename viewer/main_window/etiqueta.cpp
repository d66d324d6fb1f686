#include "main_window/etiqueta.h"

#include <QMouseEvent>

Etiqueta::Etiqueta(const QString& texto, QWidget* parent, bool ajustarAlTexto) : QLabel(texto, parent) {
    setProperty("ajustarAlTexto", ajustarAlTexto);
    setAutoFillBackground(false); // stands transparent on its strip
    if (ajustarAlTexto) {
        adjustSize();
    }
}

void Etiqueta::ponerTexto(const QString& texto) {
    setText(texto);
    if (property("ajustarAlTexto").toBool()) {
        adjustSize();
    }
}

void Etiqueta::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        e->accept();
        return;
    }
    QLabel::mousePressEvent(e);
}

void Etiqueta::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) {
        emit pulsado();
        return;
    }
    QLabel::mouseReleaseEvent(e);
}

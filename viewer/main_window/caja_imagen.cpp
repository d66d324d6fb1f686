#include "main_window/caja_imagen.h"

#include <QMouseEvent>
#include <QPainter>

CajaImagen::CajaImagen(Modo modo, QWidget* parent) : QFrame(parent), modo_(modo) {
    setAutoFillBackground(true);
}

void CajaImagen::ponerImagen(const QPixmap& imagen) {
    imagen_ = imagen;
    if (modo_ == Modo::AjustarALaImagen) {
        resize(imagen_.deviceIndependentSize().toSize());
    }
    update();
}

void CajaImagen::paintEvent(QPaintEvent* e) {
    QFrame::paintEvent(e);
    if (imagen_.isNull()) {
        return;
    }
    QPainter p(this);
    if (modo_ == Modo::Estirar) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawPixmap(rect(), imagen_);
    } else {
        p.drawPixmap(0, 0, imagen_);
    }
}

void CajaImagen::resizeEvent(QResizeEvent* e) {
    QFrame::resizeEvent(e);
    emit redimensionada();
}

void CajaImagen::mousePressEvent(QMouseEvent* e) {
    emit botonPulsado(e->button(), e->globalPosition().toPoint());
    QFrame::mousePressEvent(e);
}

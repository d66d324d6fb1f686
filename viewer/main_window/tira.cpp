#include "main_window/tira.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

Tira::Tira(QWidget* parent) : QFrame(parent) {
    setAutoFillBackground(true);
}

bool Tira::event(QEvent* e) {
    // A label without a layout asks its parent for a new geometry when its text changes.
    if (e->type() == QEvent::LayoutRequest) {
        for (QLabel* etiqueta : findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
            if (etiqueta->property("ajustarAlTexto").toBool()) {
                etiqueta->adjustSize();
            }
        }
    }
    return QFrame::event(e);
}

void Tira::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        e->accept();
        return;
    }
    QFrame::mousePressEvent(e);
}

void Tira::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) {
        emit pulsado();
        return;
    }
    QFrame::mouseReleaseEvent(e);
}

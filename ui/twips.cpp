#include "ui/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace ui {

namespace {
double dpi() {
    const QScreen* s = QGuiApplication::primaryScreen();
    const double d = s ? s->logicalDotsPerInchX() : 96.0;
    return d > 0 ? d : 96.0;
}
} // namespace

int pixeles(int twips) {
    return static_cast<int>(std::lround(twips * dpi() / 1440.0));
}

int twips(int pixeles) {
    return static_cast<int>(std::lround(pixeles * 1440.0 / dpi()));
}

QRect rectTwips(int left, int top, int width, int height) {
    return QRect(pixeles(left), pixeles(top), pixeles(width), pixeles(height));
}

void colocar(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(rectTwips(left, top, width, height));
}

void mover(QWidget* w, int left, int top) {
    w->move(pixeles(left), pixeles(top));
}

void tamanoCliente(QWidget* ventana, int width, int height) {
    ventana->resize(pixeles(width), pixeles(height));
}

} // namespace ui

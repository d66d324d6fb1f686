#pragma once

// Stand-ins for the main window and the image window: plain widget trees holding controls of the
// names the colour scheme looks for, so the scheme and the configuration window can be tested without
// the real windows.

#include "appearance/esquema.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QWidget>

namespace prueba {

template <class T> T* hijo(QWidget* padre, const char* nombre) {
    auto* w = new T(padre);
    w->setObjectName(QLatin1StringView(nombre));
    return w;
}

inline QFrame* tira(QWidget* padre, const char* nombre, QRect r) {
    auto* f = hijo<QFrame>(padre, nombre);
    f->setAutoFillBackground(true);
    f->setGeometry(r);
    return f;
}

inline QLabel* etiqueta(QWidget* padre, const char* nombre, const char* texto) {
    auto* l = hijo<QLabel>(padre, nombre);
    l->setText(QString::fromUtf8(texto));
    l->adjustSize();
    return l;
}

struct Ventanas {
    QWidget principal;
    QWidget* imagen = nullptr; // a window parented to the main one, like the real image window

    Ventanas() {
        principal.resize(800, 580);
        etiqueta(tira(&principal, "pctTitulo", {0, 0, 792, 33}), "lblTitulo", "Título");
        auto* txt = hijo<QPlainTextEdit>(&principal, "txtArticulo");
        txt->setGeometry(448, 64, 329, 497);
        auto* esquema = tira(&principal, "pctEsquema", {0, 32, 193, 537});
        hijo<QListWidget>(esquema, "lstEsquema")->setGeometry(8, 24, 177, 496);
        etiqueta(esquema, "txtEsquema", "Imágenes");
        auto* contiene = tira(&principal, "pctContiene", {208, 40, 225, 329});
        auto* epigrafe = tira(contiene, "pctEpigrafe", {0, 224, 225, 17});
        etiqueta(tira(epigrafe, "pctPie", {152, 0, 73, 17}), "lblPie", "Pie de Foto");
        etiqueta(tira(epigrafe, "pctAbrir", {0, 0, 41, 17}), "lblAbrir", "Abrir");
        hijo<QPlainTextEdit>(contiene, "txtEpigrafe")->setGeometry(0, 240, 225, 81);
        etiqueta(tira(contiene, "pctTitImag", {0, 0, 225, 17}), "lblTitImag", "Imagen");
        etiqueta(tira(&principal, "pctSubtitulo", {448, 40, 329, 17}), "lblSubtitulo", "");

        imagen = new QWidget(&principal, Qt::Window);
        imagen->setObjectName(QStringLiteral("frmLibro3"));
        hijo<QPlainTextEdit>(imagen, "txtEpigrafe");
    }

    QWidget* control(const char* nombre) { return apariencia::buscarControl(&principal, nombre); }
    QWidget* controlImagen() const { return imagen->findChild<QWidget*>(QStringLiteral("txtEpigrafe")); }
};

} // namespace prueba

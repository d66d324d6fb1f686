#include "editor/ventana_forja.h"

#include "editor/menu_articulos.h"
#include "editor/menu_publicar.h"
#include "editor/taller.h"
#include "editor/ventana_importar.h" // MenuArticulos holds a pointer to it
#include "ui/anclas.h"

#include <QCloseEvent>
#include <QMenuBar>

VentanaForja::VentanaForja(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("VentanaForja"));
    taller_ = new Taller(this);
    setCentralWidget(taller_);
    setWindowTitle(taller_->windowTitle());
    connect(taller_, &QWidget::windowTitleChanged, this, &QWidget::setWindowTitle);
    setWindowIcon(taller_->windowIcon());
    menuBar()->setObjectName(QStringLiteral("barraForja"));
    articulos_ = new MenuArticulos(taller_, menuBar());
    publicar_ = new MenuPublicar(taller_, menuBar());
    // The form's own size, plus the bar above it.
    resize(taller_->width(), taller_->height() + menuBar()->sizeHint().height());
    ui::recordarGeometria(this);
}

VentanaForja::~VentanaForja() = default;

void VentanaForja::closeEvent(QCloseEvent* e) {
    if (taller_->isVisible() && !taller_->close()) {
        e->ignore();
        return;
    }
    e->accept();
}

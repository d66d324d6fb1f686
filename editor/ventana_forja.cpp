#include "editor/ventana_forja.h"

#include "editor/estado.h"
#include "editor/menu_articulos.h"
#include "editor/menu_publicar.h"
#include "editor/menu_revisar.h"
#include "editor/sesion.h"
#include "editor/taller.h"
#include "editor/ventana_importar.h" // MenuArticulos holds a pointer to it
#include "ui/anclas.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QStatusBar>

VentanaForja::VentanaForja(SesionForja& sesion, QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("VentanaForja"));
    taller_ = new Taller(sesion, this);
    setCentralWidget(taller_);
    setWindowTitle(taller_->windowTitle());
    connect(taller_, &QWidget::windowTitleChanged, this, &QWidget::setWindowTitle);
    setWindowIcon(taller_->windowIcon());
    menuBar()->setObjectName(QStringLiteral("barraForja"));
    articulos_ = new MenuArticulos(sesion, taller_, menuBar());
    publicar_ = new MenuPublicar(sesion, taller_, menuBar());
    enciclotomo_ = forja::agregarMenuEnciclotomo(taller_, menuBar());
    // A history that cannot be kept is told below the form for as long as it lasts; saving goes on.
    connect(taller_->tomo(), &TomoEditado::avisoHistorialCambiado, this, [this](const QString& aviso) {
        statusBar()->setObjectName(QStringLiteral("avisoHistorial"));
        statusBar()->setVisible(!aviso.isEmpty());
        statusBar()->showMessage(aviso);
        resize(taller_->width(), taller_->height() + menuBar()->sizeHint().height() +
                                     (aviso.isEmpty() ? 0 : statusBar()->sizeHint().height()));
    });
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

#include "main_window/menu_ir.h"

#include "main_window/articulo_mostrado.h"
#include "main_window/buscador_articulo.h"
#include "main_window/tamano_texto.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>

namespace {

QAction* accion(QWidget* ventana, const QString& texto, const char* nombre, QList<QKeySequence> teclas) {
    auto* a = new QAction(texto, ventana);
    a->setObjectName(QString::fromLatin1(nombre));
    a->setShortcuts(teclas);
    ventana->addAction(a); // its keys work in the window without the menu
    return a;
}

} // namespace

MenuIr::MenuIr(QMainWindow* ventana, ArticuloMostrado& mostrado, QPlainTextEdit* articulo, QPlainTextEdit* epigrafe)
    : QObject(ventana), ventana_(ventana), mostrado_(mostrado) {
    menu = ventana->menuBar()->addMenu(QStringLiteral("Ir"));
    menu->setObjectName(QStringLiteral("mnuIr"));
    menu->menuAction()->setObjectName(QStringLiteral("mnuIrAccion"));

    mnuAtras = accion(ventana, QStringLiteral("Atrás"), "mnuAtras", {QKeySequence(Qt::ALT | Qt::Key_Left)});
    mnuAdelante = accion(ventana, QStringLiteral("Adelante"), "mnuAdelante", {QKeySequence(Qt::ALT | Qt::Key_Right)});
    mnuBuscarArticulo = accion(ventana, QStringLiteral("Buscar en el artículo…"), "mnuBuscarArticulo",
                               {QKeySequence(Qt::CTRL | Qt::Key_F)});
    menu->addAction(mnuAtras);
    menu->addAction(mnuAdelante);
    menu->addSeparator();
    menu->addAction(mnuBuscarArticulo);

    buscador_ = new BuscadorArticulo(articulo);
    auto* siguiente = accion(ventana, QStringLiteral("Siguiente coincidencia"), "accSiguienteCoincidencia",
                             {QKeySequence(Qt::Key_F3)});
    auto* anterior = accion(ventana, QStringLiteral("Coincidencia anterior"), "accCoincidenciaAnterior",
                            {QKeySequence(Qt::SHIFT | Qt::Key_F3)});

    tamano_ = new TamanoTexto({articulo, epigrafe}, this);
    auto* agrandar = accion(ventana, QStringLiteral("Texto más grande"), "accTextoMasGrande",
                            {QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    auto* achicar = accion(ventana, QStringLiteral("Texto más pequeño"), "accTextoMasPequeno", {QKeySequence::ZoomOut});
    auto* restablecer = accion(ventana, QStringLiteral("Texto del tamaño normal"), "accTextoNormal",
                               {QKeySequence(Qt::CTRL | Qt::Key_0)});

    connect(mnuAtras, &QAction::triggered, this, &MenuIr::atras);
    connect(mnuAdelante, &QAction::triggered, this, &MenuIr::adelante);
    connect(mnuBuscarArticulo, &QAction::triggered, buscador_, &BuscadorArticulo::abrir);
    connect(siguiente, &QAction::triggered, this,
            [this] { buscador_->isVisible() ? buscador_->siguiente() : buscador_->abrir(); });
    connect(anterior, &QAction::triggered, this,
            [this] { buscador_->isVisible() ? buscador_->anterior() : buscador_->abrir(); });
    connect(agrandar, &QAction::triggered, tamano_, &TamanoTexto::agrandar);
    connect(achicar, &QAction::triggered, tamano_, &TamanoTexto::achicar);
    connect(restablecer, &QAction::triggered, tamano_, &TamanoTexto::restablecer);

    // The mouse's back and forward buttons anywhere over the main window.
    qApp->installEventFilter(this);
    actualizarAcciones();
}

void MenuIr::atras() {
    ir(-1);
}

void MenuIr::adelante() {
    ir(+1);
}

void MenuIr::registrar(const std::string& ruta) {
    if (yendo_) {
        return;
    }
    // An article of another encyclopaedia starts the history anew: the earlier ones would be shown with
    // the pictures of the encyclopaedia taken up since.
    if (const std::string directorio = mostrado_.directorio(); directorio != directorio_) {
        historial_ = Historial();
        directorio_ = directorio;
    }
    historial_.registrar(ruta);
    actualizarAcciones();
}

void MenuIr::ir(int paso) {
    const std::string* destino = historial_.vecino(paso);
    if (!destino) {
        return;
    }
    // The last article read (ultimo.dat) stays as the selector recorded it, as with any article not
    // opened from the selector. One that cannot be opened any more is reported and the place stays.
    yendo_ = true;
    const bool abierto = mostrado_.abrirArticulo(*destino);
    yendo_ = false;
    if (abierto) {
        historial_.mover(paso);
    }
    actualizarAcciones();
}

void MenuIr::actualizarAcciones() {
    mnuAtras->setEnabled(historial_.vecino(-1) != nullptr);
    mnuAdelante->setEnabled(historial_.vecino(+1) != nullptr);
}

bool MenuIr::eventFilter(QObject* objeto, QEvent* evento) {
    if (evento->type() == QEvent::MouseButtonPress && objeto->isWidgetType() &&
        static_cast<QWidget*>(objeto)->window() == ventana_) {
        const auto* raton = static_cast<const QMouseEvent*>(evento);
        if (raton->button() == Qt::BackButton || raton->button() == Qt::ForwardButton) {
            ir(raton->button() == Qt::BackButton ? -1 : +1);
            return true;
        }
    }
    return QObject::eventFilter(objeto, evento);
}

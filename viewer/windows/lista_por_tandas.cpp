#include "windows/lista_por_tandas.h"

#include <QAbstractItemModel>
#include <QKeyEvent>
#include <QListView>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTimer>

#include <algorithm>

namespace lista_por_tandas {

namespace {

// A turn of the event loop at a time, about a second.
constexpr int kIntentosDeMostrar = 1000;

void mostrarOtraVez(const QPointer<QAbstractItemView>& vista, const QPersistentModelIndex& indice, int intentos) {
    if (!vista || !indice.isValid() || vista->currentIndex() != indice) {
        return; // the reader went elsewhere meanwhile
    }
    vista->scrollTo(indice);
    if (intentos > 0 && !vista->viewport()->rect().intersects(vista->visualRect(indice))) {
        QTimer::singleShot(1, vista, [vista, indice, intentos] { mostrarOtraVez(vista, indice, intentos - 1); });
    }
}

class TeclasPorFilas : public QObject {
public:
    explicit TeclasPorFilas(QListView* lista) : QObject(lista), lista_(lista) { lista_->installEventFilter(this); }

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (objeto == lista_ && evento->type() == QEvent::KeyPress) {
            const int fila = destino(*static_cast<const QKeyEvent*>(evento));
            if (fila >= 0) {
                const QModelIndex indice = lista_->model()->index(fila, lista_->modelColumn(), lista_->rootIndex());
                lista_->setCurrentIndex(indice); // selects it too, as the view's own keys do
                mostrar(lista_, indice);
                return true;
            }
        }
        return QObject::eventFilter(objeto, evento);
    }

private:
    // The row a key goes to while the list is still being laid out; -1 when the view is left to handle it.
    int destino(const QKeyEvent& tecla) const {
        const QAbstractItemModel* modelo = lista_->model();
        const QModelIndex raiz = lista_->rootIndex();
        const int filas = modelo ? modelo->rowCount(raiz) : 0;
        if (filas == 0 || !lista_->visualRect(modelo->index(filas - 1, lista_->modelColumn(), raiz)).isEmpty()) {
            return -1; // all of it laid out (the first batch is laid out now if it was still to come)
        }
        const Qt::KeyboardModifiers modificadores = tecla.modifiers() & ~Qt::KeypadModifier;
        const bool sinModificadores = modificadores == Qt::NoModifier;
        const QModelIndex actual = lista_->currentIndex();
        // With no current row, a key that moves from it goes to the first, as in the view.
        const int desde = actual.isValid() ? actual.row() : 0;
        const int cuantas = actual.isValid() ? 1 : 0;
        switch (tecla.key()) {
        case Qt::Key_Home:
        case Qt::Key_End:
            if (!sinModificadores && modificadores != Qt::ControlModifier) {
                return -1;
            }
            return tecla.key() == Qt::Key_Home ? 0 : filas - 1;
        case Qt::Key_Up:
            return sinModificadores ? std::max(desde - cuantas, 0) : -1;
        case Qt::Key_Down:
            return sinModificadores ? std::min(desde + cuantas, filas - 1) : -1;
        case Qt::Key_PageUp:
            return sinModificadores ? std::max(desde - cuantas * filasPorPagina(), 0) : -1;
        case Qt::Key_PageDown:
            return sinModificadores ? std::min(desde + cuantas * filasPorPagina(), filas - 1) : -1;
        default:
            return -1;
        }
    }

    // The rows the view shows at once; the first row is always laid out.
    int filasPorPagina() const {
        const QModelIndex primera = lista_->model()->index(0, lista_->modelColumn(), lista_->rootIndex());
        const int alto = std::max(lista_->visualRect(primera).height(), 1);
        return std::max(lista_->viewport()->height() / alto, 1);
    }

    QListView* lista_;
};

} // namespace

void mostrar(QAbstractItemView* vista, const QPersistentModelIndex& indice) {
    mostrarOtraVez(vista, indice, kIntentosDeMostrar);
}

void moverPorFilas(QListView* lista) {
    new TeclasPorFilas(lista);
}

} // namespace lista_por_tandas

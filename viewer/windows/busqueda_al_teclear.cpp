#include "windows/busqueda_al_teclear.h"

#include "main_window/plegado.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QTimer>

#include <algorithm>
#include <iterator>

BusquedaAlTeclear::BusquedaAlTeclear(QAbstractItemView* vista) : QObject(vista), vista_(vista) {
    vista_->installEventFilter(this);
    vigilar(vista_->model());
}

void BusquedaAlTeclear::vigilar(QAbstractItemModel* modelo) {
    if (modelo_) {
        disconnect(modelo_, nullptr, this, nullptr);
    }
    modelo_ = modelo;
    invalidarDesde(0);
    if (!modelo) {
        return;
    }
    // Rows appended at the end (titles listed a batch at a time) leave the rows before them folded.
    const auto desdePrimera = [this](const QModelIndex&, int primera, int) { invalidarDesde(primera); };
    const auto todas = [this] { invalidarDesde(0); };
    connect(modelo, &QAbstractItemModel::rowsInserted, this, desdePrimera);
    connect(modelo, &QAbstractItemModel::rowsRemoved, this, desdePrimera);
    connect(modelo, &QAbstractItemModel::rowsMoved, this, todas);
    connect(modelo, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& desde, const QModelIndex&) { invalidarDesde(desde.row()); });
    connect(modelo, &QAbstractItemModel::modelReset, this, todas);
    connect(modelo, &QAbstractItemModel::layoutChanged, this, todas);
}

void BusquedaAlTeclear::invalidarDesde(int fila) {
    hechas_ = std::min(hechas_, std::max(fila, 0));
    candidatas_.clear();
    candidatasDe_.clear();
    for (auto& [inicial, filas] : porInicial_) {
        while (!filas.empty() && filas.back() >= hechas_) {
            filas.pop_back();
        }
    }
    // The titles are folded as soon as the program is idle after the change (a new listing), not when
    // the reader types the first letter.
    if (!pendiente_) {
        pendiente_ = true;
        QTimer::singleShot(0, this, [this] {
            pendiente_ = false;
            if (vista_->model() == modelo_ && modelo_) {
                llenar();
            }
        });
    }
}

void BusquedaAlTeclear::llenar() {
    const QAbstractItemModel* modelo = vista_->model();
    const QModelIndex raiz = vista_->rootIndex();
    const int filas = modelo->rowCount(raiz);
    hechas_ = std::min(hechas_, filas);
    plegados_.resize(static_cast<std::size_t>(hechas_));
    plegados_.reserve(static_cast<std::size_t>(filas));
    for (int fila = hechas_; fila < filas; ++fila) {
        plegados_.push_back(plegado::plegar(modelo->data(modelo->index(fila, 0, raiz), Qt::DisplayRole).toString()));
        if (!plegados_.back().isEmpty()) {
            porInicial_[plegados_.back().front().unicode()].push_back(fila);
        }
    }
    hechas_ = filas;
}

bool BusquedaAlTeclear::teclear(const QString& texto) {
    if (vista_->model() != modelo_) {
        vigilar(vista_->model());
    }
    if (!modelo_) {
        return false;
    }
    if (escrito_.isEmpty() || !ultimaTecla_.isValid() || ultimaTecla_.elapsed() > kPausaMs) {
        escrito_.clear();
    }
    ultimaTecla_.start();
    escrito_ += plegado::plegar(texto);
    if (escrito_.isEmpty()) {
        return false;
    }
    if (hechas_ != modelo_->rowCount(vista_->rootIndex())) {
        llenar();
        candidatas_.clear();
        candidatasDe_.clear();
    }
    // Each letter narrows the rows that matched the letters before it, so a key never goes through the
    // whole list: the first one starts from the rows of its initial.
    std::vector<int> nuevas;
    const qsizetype n = escrito_.size();
    const auto coincide = [&](int fila) {
        const QString& titulo = plegados_[static_cast<std::size_t>(fila)];
        return titulo.size() >= n && QStringView(titulo).first(n) == QStringView(escrito_);
    };
    if (!candidatasDe_.isEmpty() && escrito_.startsWith(candidatasDe_)) {
        std::copy_if(candidatas_.begin(), candidatas_.end(), std::back_inserter(nuevas), coincide);
    } else if (const auto bucket = porInicial_.find(escrito_.front().unicode()); bucket != porInicial_.end()) {
        std::copy_if(bucket->second.begin(), bucket->second.end(), std::back_inserter(nuevas), coincide);
    }
    candidatas_ = std::move(nuevas);
    candidatasDe_ = escrito_;
    if (candidatas_.empty()) {
        return false;
    }
    const QModelIndex indice = modelo_->index(candidatas_.front(), 0, vista_->rootIndex());
    vista_->setCurrentIndex(indice); // selects it too, as a click does
    vista_->scrollTo(indice);
    return true;
}

bool BusquedaAlTeclear::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == vista_ && evento->type() == QEvent::KeyPress) {
        const auto* tecla = static_cast<const QKeyEvent*>(evento);
        const QString texto = tecla->text();
        const bool conOrden = tecla->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        const bool imprimible = !texto.isEmpty() && texto.front().isPrint();
        // A space continues a title being typed ("sistema solar"); alone it is left to the list.
        const bool seguido = ultimaTecla_.isValid() && ultimaTecla_.elapsed() <= kPausaMs && !escrito_.isEmpty();
        if (!conOrden && imprimible && (!texto.front().isSpace() || seguido)) {
            teclear(texto);
            return true;
        }
        // Any other key (an arrow, Home, Enter) ends the typing; a modifier pressed alone does not.
        if (!texto.isEmpty() || tecla->key() < Qt::Key_Shift || tecla->key() > Qt::Key_ScrollLock) {
            escrito_.clear();
        }
    } else if (objeto == vista_ && evento->type() == QEvent::FocusOut) {
        escrito_.clear();
    }
    return QObject::eventFilter(objeto, evento);
}

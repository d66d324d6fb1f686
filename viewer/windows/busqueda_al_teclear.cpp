#include "windows/busqueda_al_teclear.h"

#include "main_window/plegado.h"
#include "windows/lista_por_tandas.h"

#include <QAbstractItemView>
#include <QKeyEvent>

BusquedaAlTeclear::BusquedaAlTeclear(QAbstractItemView* vista) : QObject(vista), vista_(vista) {
    vista_->installEventFilter(this);
    vigilar(vista_->model());
}

void BusquedaAlTeclear::leerTextosDe(const QAbstractItemModel* modelo, TextoDeFila texto) {
    modeloDeBytes_ = modelo;
    textoDeFila_ = std::move(texto);
    olvidarCandidatas();
}

void BusquedaAlTeclear::vigilar(QAbstractItemModel* modelo) {
    if (modelo_) {
        disconnect(modelo_, nullptr, this, nullptr);
    }
    modelo_ = modelo;
    olvidarCandidatas();
    if (!modelo) {
        return;
    }
    // Any change to the rows (titles appended as they are listed, a new listing) may change which match.
    const auto olvidar = [this] { olvidarCandidatas(); };
    connect(modelo, &QAbstractItemModel::rowsInserted, this, olvidar);
    connect(modelo, &QAbstractItemModel::rowsRemoved, this, olvidar);
    connect(modelo, &QAbstractItemModel::rowsMoved, this, olvidar);
    connect(modelo, &QAbstractItemModel::dataChanged, this, olvidar);
    connect(modelo, &QAbstractItemModel::modelReset, this, olvidar);
    connect(modelo, &QAbstractItemModel::layoutChanged, this, olvidar);
}

void BusquedaAlTeclear::olvidarCandidatas() {
    candidatas_.clear();
    candidatasDe_.clear();
}

std::vector<int> BusquedaAlTeclear::coincidentes(const std::vector<int>* filas) const {
    const QModelIndex raiz = vista_->rootIndex();
    const int cuantas = filas ? static_cast<int>(filas->size()) : modelo_->rowCount(raiz);
    const auto fila = [&](int i) { return filas ? (*filas)[static_cast<std::size_t>(i)] : i; };
    const qsizetype n = escrito_.size();
    const char16_t* buscado = reinterpret_cast<const char16_t*>(escrito_.constData());
    std::vector<int> halladas;
    if (modelo_ == modeloDeBytes_ && textoDeFila_ && !raiz.isValid()) {
        const auto& tabla = plegado::tabla1252();
        for (int i = 0; i < cuantas; ++i) {
            const std::string_view texto = textoDeFila_(fila(i));
            if (static_cast<qsizetype>(texto.size()) < n) {
                continue;
            }
            qsizetype k = 0;
            while (k < n && tabla[static_cast<unsigned char>(texto[static_cast<std::size_t>(k)])] == buscado[k]) {
                ++k;
            }
            if (k == n) {
                halladas.push_back(fila(i));
            }
        }
        return halladas;
    }
    for (int i = 0; i < cuantas; ++i) {
        const QString texto = modelo_->data(modelo_->index(fila(i), 0, raiz), Qt::DisplayRole).toString();
        if (texto.size() < n) {
            continue;
        }
        qsizetype k = 0;
        while (k < n && plegado::plegar(texto[k]).unicode() == buscado[k]) {
            ++k;
        }
        if (k == n) {
            halladas.push_back(fila(i));
        }
    }
    return halladas;
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
    // Each letter narrows the rows that matched the letters before it, so only the first one goes through
    // the whole list.
    const bool sigue = !candidatasDe_.isEmpty() && escrito_.startsWith(candidatasDe_);
    candidatas_ = coincidentes(sigue ? &candidatas_ : nullptr);
    candidatasDe_ = escrito_;
    if (candidatas_.empty()) {
        return false;
    }
    const QModelIndex indice = modelo_->index(candidatas_.front(), 0, vista_->rootIndex());
    vista_->setCurrentIndex(indice);           // selects it too, as a click does
    lista_por_tandas::mostrar(vista_, indice); // once laid out, in a long list laid out a batch at a time
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

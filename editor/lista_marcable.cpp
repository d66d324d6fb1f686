#include "editor/lista_marcable.h"

ArticulosMarcables::ArticulosMarcables(QObject* parent) : QAbstractListModel(parent) {}

void ArticulosMarcables::poner(QStringList nombres) {
    beginResetModel();
    nombres_ = std::move(nombres);
    marcas_.assign(static_cast<std::size_t>(nombres_.size()), false);
    endResetModel();
}

void ArticulosMarcables::agregar(const QString& nombre) {
    const int fila = rowCount();
    beginInsertRows({}, fila, fila);
    nombres_.append(nombre);
    marcas_.push_back(false);
    endInsertRows();
}

void ArticulosMarcables::marcar(int fila, bool marcado) {
    if (marcas_[static_cast<std::size_t>(fila)] != marcado) {
        marcas_[static_cast<std::size_t>(fila)] = marcado;
        const QModelIndex i = index(fila);
        emit dataChanged(i, i, {Qt::CheckStateRole});
    }
}

void ArticulosMarcables::desmarcarTodos() {
    if (!marcas_.empty()) {
        marcas_.assign(marcas_.size(), false);
        emit dataChanged(index(0), index(rowCount() - 1), {Qt::CheckStateRole});
    }
}

int ArticulosMarcables::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(nombres_.size());
}

QVariant ArticulosMarcables::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case Qt::AccessibleTextRole:
        return nombres_.at(index.row());
    case Qt::CheckStateRole:
        return marcado(index.row()) ? Qt::Checked : Qt::Unchecked;
    default:
        return {};
    }
}

bool ArticulosMarcables::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !index.isValid() || index.row() >= rowCount()) {
        return false;
    }
    marcar(index.row(), static_cast<Qt::CheckState>(value.toInt()) == Qt::Checked);
    return true;
}

Qt::ItemFlags ArticulosMarcables::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren;
}

ListaMarcable::ListaMarcable(QWidget* parent) : QListView(parent), articulos_(new ArticulosMarcables(this)) {
    setModel(articulos_);
    setUniformItemSizes(true);
}

void ListaMarcable::verArticulos(ArticulosMarcables* articulos) {
    if (articulos == articulos_) {
        return;
    }
    ArticulosMarcables* propio = articulos_->parent() == this ? articulos_ : nullptr;
    articulos_ = articulos;
    setModel(articulos_);
    delete propio;
}

QVariant SinMarcas::data(const QModelIndex& index, int role) const {
    return role == Qt::CheckStateRole ? QVariant() : QIdentityProxyModel::data(index, role);
}

Qt::ItemFlags SinMarcas::flags(const QModelIndex& index) const {
    return QIdentityProxyModel::flags(index) & ~Qt::ItemIsUserCheckable;
}

ListaNombres::ListaNombres(QWidget* parent)
    : QListView(parent), articulos_(new ArticulosMarcables(this)), nombres_(new SinMarcas(this)) {
    nombres_->setSourceModel(articulos_);
    setModel(nombres_);
    setUniformItemSizes(true);
}

void ListaNombres::verArticulos(ArticulosMarcables* articulos) {
    if (articulos == articulos_) {
        return;
    }
    ArticulosMarcables* propio = articulos_->parent() == this ? articulos_ : nullptr;
    articulos_ = articulos;
    nombres_->setSourceModel(articulos_);
    delete propio;
}

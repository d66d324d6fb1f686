#pragma once

// The articles of the list being edited: every article of the encyclopaedia, each with a check box. The names
// (shared with the article list, not copied) and one bit per entry for its box make the model; a list view
// with uniform item sizes shows it. Filling it with 100,000 articles costs no object per entry, and its
// boxes are clicked, and read by screen readers, as those of any checkable list.

#include <QAbstractListModel>
#include <QIdentityProxyModel>
#include <QListView>
#include <QStringList>

#include <vector>

class ArticulosMarcables : public QAbstractListModel {
    Q_OBJECT
public:
    explicit ArticulosMarcables(QObject* parent = nullptr);

    // Every entry anew, none ticked.
    void poner(QStringList nombres);
    // One more entry at the end, not ticked.
    void agregar(const QString& nombre);

    QString nombre(int fila) const { return nombres_.at(fila); }
    const QStringList& nombres() const { return nombres_; }
    bool marcado(int fila) const { return marcas_[static_cast<std::size_t>(fila)]; }
    void marcar(int fila, bool marcado);
    void desmarcarTodos();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QStringList nombres_;
    std::vector<bool> marcas_;
};

class ListaMarcable : public QListView {
    Q_OBJECT
public:
    explicit ListaMarcable(QWidget* parent = nullptr);
    ArticulosMarcables* articulos() const { return articulos_; }
    // Shows `articulos` (kept by someone else) instead.
    void verArticulos(ArticulosMarcables* articulos);
    int count() const { return articulos_->rowCount(); }

private:
    ArticulosMarcables* articulos_;
};

// The same articles by name alone, without boxes: a view over the model the checkable list shows, so that
// the complete list of a long encyclopaedia costs no item per entry either.
class SinMarcas : public QIdentityProxyModel {
    Q_OBJECT
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
};

class ListaNombres : public QListView {
    Q_OBJECT
public:
    explicit ListaNombres(QWidget* parent = nullptr);
    ArticulosMarcables* articulos() const { return articulos_; }
    // Shows the names of `articulos` (kept by someone else) instead.
    void verArticulos(ArticulosMarcables* articulos);
    int count() const { return articulos_->rowCount(); }

private:
    ArticulosMarcables* articulos_;
    SinMarcas* nombres_;
};

#pragma once

// Type-ahead for a list of titles: letters typed while the list has the focus move the current entry to
// the first one (in list order) whose text begins with them, letter case and accents ignored ("arbol"
// finds "Árbol"). Letters typed less than a second apart add up; after a pause, another key or leaving
// the list the typing starts anew.
// Works on any item view and its model. Nothing is kept per row: texts are folded as they are compared,
// straight from a model's Windows-1252 bytes when it keeps its texts so (see leerTextosDe), and each letter
// only looks again at the rows that matched the letters before it.

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <string_view>
#include <vector>

class QAbstractItemModel;
class QAbstractItemView;

class BusquedaAlTeclear : public QObject {
    Q_OBJECT
public:
    // Installs itself on the view, which owns it.
    explicit BusquedaAlTeclear(QAbstractItemView* vista);

    static constexpr int kPausaMs = 1000;

    // The text of each row of `modelo` (the one its display role shows) as Windows-1252 bytes, read without
    // asking the model; used while the view shows that model.
    using TextoDeFila = std::function<std::string_view(int fila)>;
    void leerTextosDe(const QAbstractItemModel* modelo, TextoDeFila texto);

    // Adds `texto` to what has been typed (or starts anew after a pause) and moves to the first entry that
    // begins with it. False, with the current entry left as it was, when none does.
    bool teclear(const QString& texto);

    const QString& escrito() const { return escrito_; }

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    void vigilar(QAbstractItemModel* modelo);
    void olvidarCandidatas();
    // The rows among `filas` (all rows when null), in order, whose folded text begins with escrito_.
    std::vector<int> coincidentes(const std::vector<int>* filas) const;

    QAbstractItemView* vista_;
    QPointer<QAbstractItemModel> modelo_;
    const QAbstractItemModel* modeloDeBytes_ = nullptr;
    TextoDeFila textoDeFila_;
    std::vector<int> candidatas_; // the rows, in order, that begin with candidatasDe_
    QString candidatasDe_;
    QString escrito_; // folded
    QElapsedTimer ultimaTecla_;
};

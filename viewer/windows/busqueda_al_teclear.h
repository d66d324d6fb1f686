#pragma once

// Type-ahead for a list of titles: letters typed while the list has the focus move the current entry to
// the first one (in list order) whose text begins with them, letter case and accents ignored ("arbol"
// finds "Árbol"). Letters typed less than a second apart add up; after a pause, another key or leaving
// the list the typing starts anew.
// Works on any item view and its model; the folded texts are cached, and made again from the first row
// that changes.

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>

#include <unordered_map>
#include <vector>

class QAbstractItemModel;
class QAbstractItemView;

class BusquedaAlTeclear : public QObject {
    Q_OBJECT
public:
    // Installs itself on the view, which owns it.
    explicit BusquedaAlTeclear(QAbstractItemView* vista);

    static constexpr int kPausaMs = 1000;

    // Adds `texto` to what has been typed (or starts anew after a pause) and moves to the first entry that
    // begins with it. False, with the current entry left as it was, when none does.
    bool teclear(const QString& texto);

    const QString& escrito() const { return escrito_; }

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    void vigilar(QAbstractItemModel* modelo);
    // The folded texts from row `fila` on no longer hold.
    void invalidarDesde(int fila);
    void llenar();

    QAbstractItemView* vista_;
    QPointer<QAbstractItemModel> modelo_;
    std::vector<QString> plegados_;                             // the folded text of each row, in order
    int hechas_ = 0;                                            // rows whose folded text in plegados_ holds
    std::unordered_map<char16_t, std::vector<int>> porInicial_; // folded rows by their first letter, in order
    std::vector<int> candidatas_;                               // the rows, in order, that begin with candidatasDe_
    QString candidatasDe_;
    bool pendiente_ = false; // a folding is due as soon as the program is idle
    QString escrito_;        // folded
    QElapsedTimer ultimaTecla_;
};

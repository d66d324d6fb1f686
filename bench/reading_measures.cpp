// Measures of the viewer's reading aids.
//
// typeahead_100k: typing a title's first letters in a list of 100,000 Spanish titles, through real key
// events to the view. The titles are kept as Windows-1252 bytes and read from them, as the viewer's article
// index keeps them. Each round starts with the list just refilled, as a new listing does; then it types the
// six first letters of the last title and one letter more that no title has. The measure is the slowest key of the
// round, the median over the rounds; the target is 0.02 s.

#include "measure.h"
#include "synthetic_store.h"

#include "ui/texto.h"
#include "windows/busqueda_al_teclear.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QKeyEvent>
#include <QListView>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Titles as Windows-1252 bytes, shown through the display role.
class ModeloDeTitulos : public QAbstractListModel {
public:
    void poner(std::vector<std::string> titulos) {
        beginResetModel();
        titulos_ = std::move(titulos);
        endResetModel();
    }
    std::string_view titulo(int fila) const { return titulos_[static_cast<std::size_t>(fila)]; }
    int rowCount(const QModelIndex& padre = QModelIndex()) const override {
        return padre.isValid() ? 0 : static_cast<int>(titulos_.size());
    }
    QVariant data(const QModelIndex& indice, int rol) const override {
        return rol == Qt::DisplayRole ? QVariant(ui::desdeStore(titulo(indice.row()))) : QVariant();
    }

private:
    std::vector<std::string> titulos_;
};

std::vector<std::string> titulosEspanoles(int cuantos) {
    std::vector<std::string> titulos;
    titulos.reserve(static_cast<std::size_t>(cuantos));
    for (int i = 0; i < cuantos; ++i) {
        const std::string texto = bench::textoEspanol(48, static_cast<unsigned>(i) + 1);
        std::string titulo = texto.substr(0, texto.find('\r'));
        while (!titulo.empty() && titulo.back() == ' ') {
            titulo.pop_back();
        }
        if (!titulo.empty() && titulo[0] >= 'a' && titulo[0] <= 'z') {
            titulo[0] = static_cast<char>(titulo[0] - 32);
        }
        titulos.push_back(std::move(titulo));
    }
    return titulos;
}

bench::Resultado escribirTitulo(int cuantos) {
    const std::vector<std::string> titulos = titulosEspanoles(cuantos);
    ModeloDeTitulos modelo;
    QListView vista;
    vista.setUniformItemSizes(true);
    vista.setModel(&modelo);
    auto* busqueda = new BusquedaAlTeclear(&vista);
    busqueda->leerTextosDe(&modelo, [&modelo](int fila) { return modelo.titulo(fila); });
    const QString buscado = ui::desdeStore(titulos.back()).left(6);

    std::vector<double> peores;
    for (int ronda = 0; ronda < 7; ++ronda) {
        modelo.poner(titulos); // a new listing
        QCoreApplication::processEvents();
        QKeyEvent inicio(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier); // ends the typing before
        QApplication::sendEvent(&vista, &inicio);
        double peor = 0;
        for (const QChar c : buscado) {
            QKeyEvent tecla(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            peor = std::max(peor, bench::segundos([&] { QApplication::sendEvent(&vista, &tecla); }));
        }
        if (busqueda->escrito().size() != buscado.size() ||
            !vista.currentIndex().data().toString().startsWith(buscado, Qt::CaseInsensitive)) {
            std::fprintf(stderr, "typeahead: el título buscado no quedó elegido\n");
            return bench::Resultado{1e9, 0, "s"};
        }
        // One letter more that no title has: the whole list is searched in vain.
        QKeyEvent ninguno(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("\u00FF"));
        peor = std::max(peor, bench::segundos([&] { QApplication::sendEvent(&vista, &ninguno); }));
        peores.push_back(peor);
    }
    return bench::Resultado{bench::mediana(peores), 0, "s"};
}

} // namespace

LUMBRE_MEDIDA("typeahead_100k", bench::Tipo::Absoluto, 0.02, [] { return escribirTitulo(100000); });
LUMBRE_MEDIDA_MILLON("typeahead_1m", bench::Tipo::Absoluto, 0.02, [] { return escribirTitulo(1000000); });

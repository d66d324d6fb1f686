// Measures of the viewer's reading aids.
//
// typeahead_100k: typing a title's first letters in a list of 100,000 Spanish titles, through real key
// events to the view. Each round starts with the list just refilled, as a new listing does, and lets the
// program go idle once (when the titles are folded, as in the viewer after a listing); then it types the
// six first letters of the last title and one letter more that no title has. The measure is the slowest key of the
// round, the median over the rounds; the target is 0.02 s. The time the folding takes is printed too, for the record.

#include "measure.h"
#include "synthetic_store.h"

#include "ui/texto.h"
#include "windows/busqueda_al_teclear.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListView>
#include <QStringListModel>

#include <algorithm>
#include <cstdio>

namespace {

QStringList titulosEspanoles(int cuantos) {
    QStringList titulos;
    titulos.reserve(cuantos);
    for (int i = 0; i < cuantos; ++i) {
        const std::string texto = bench::textoEspanol(48, static_cast<unsigned>(i) + 1);
        QString titulo = ui::desdeStore(texto.substr(0, texto.find('\r'))).trimmed();
        if (!titulo.isEmpty()) {
            titulo[0] = titulo[0].toUpper();
        }
        titulos << titulo;
    }
    return titulos;
}

bench::Resultado escribirTitulo100k() {
    const QStringList titulos = titulosEspanoles(100000);
    QStringListModel modelo;
    QListView vista;
    vista.setUniformItemSizes(true);
    vista.setModel(&modelo);
    auto* busqueda = new BusquedaAlTeclear(&vista);
    const QString buscado = titulos.back().left(6);

    std::vector<double> peores;
    std::vector<double> plegado;
    for (int ronda = 0; ronda < 7; ++ronda) {
        modelo.setStringList(titulos); // a new listing: the folded titles are made again
        plegado.push_back(bench::segundos([] { QCoreApplication::processEvents(); }));
        QKeyEvent inicio(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier); // ends the typing before
        QApplication::sendEvent(&vista, &inicio);
        double peor = 0;
        for (const QChar c : buscado) {
            QKeyEvent tecla(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            peor = std::max(peor, bench::segundos([&] { QApplication::sendEvent(&vista, &tecla); }));
        }
        if (busqueda->escrito().size() != buscado.size() ||
            !vista.currentIndex().data().toString().startsWith(buscado, Qt::CaseInsensitive)) {
            std::fprintf(stderr, "typeahead_100k: el título buscado no quedó elegido\n");
            return bench::Resultado{1e9, 0, "s"};
        }
        // One letter more that no title has: the whole list is searched in vain.
        QKeyEvent ninguno(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("\u00FF"));
        peor = std::max(peor, bench::segundos([&] { QApplication::sendEvent(&vista, &ninguno); }));
        peores.push_back(peor);
    }
    std::printf("typeahead_100k: folding the 100,000 titles after a listing takes %.4g s\n", bench::mediana(plegado));
    return bench::Resultado{bench::mediana(peores), 0, "s"};
}

} // namespace

LUMBRE_MEDIDA("typeahead_100k", bench::Tipo::Absoluto, 0.02, escribirTitulo100k);

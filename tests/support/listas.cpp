#include "tests/support/listas.h"

#include <QAbstractItemView>
#include <QTest>

namespace prueba {

QStringList textos(const QAbstractItemView* lista) {
    const QAbstractItemModel* modelo = lista->model();
    QStringList t;
    for (int i = 0; i < modelo->rowCount(); ++i) {
        t << modelo->index(i, 0).data().toString();
    }
    return t;
}

void dobleClic(QAbstractItemView* lista, int fila) {
    QVERIFY(QTest::qWaitForWindowExposed(lista->window()));
    const QModelIndex indice = lista->model()->index(fila, 0);
    lista->scrollTo(indice);
    const QRect r = lista->visualRect(indice);
    QVERIFY(r.isValid());
    QTest::mouseClick(lista->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(lista->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseRelease(lista->viewport(), Qt::LeftButton, {}, r.center());
}

} // namespace prueba

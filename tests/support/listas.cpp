#include "tests/support/listas.h"

#include <QListWidget>
#include <QTest>

namespace prueba {

QStringList textos(const QListWidget* lista) {
    QStringList t;
    for (int i = 0; i < lista->count(); ++i) {
        t << lista->item(i)->text();
    }
    return t;
}

void dobleClic(QListWidget* lista, int fila) {
    QVERIFY(QTest::qWaitForWindowExposed(lista->window()));
    lista->scrollToItem(lista->item(fila));
    const QRect r = lista->visualItemRect(lista->item(fila));
    QVERIFY(r.isValid());
    QTest::mouseClick(lista->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(lista->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseRelease(lista->viewport(), Qt::LeftButton, {}, r.center());
}

} // namespace prueba

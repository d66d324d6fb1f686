#include "editor/tests/ayudas.h"

#include "editor/taller.h"
#include "tests/support/unidades.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <algorithm>

namespace prueba {

QMap<QString, QByteArray> instantanea(const Unidades& unidades) {
    const QDir raiz(QFileInfo(unidades.unidad('c')).absolutePath());
    QMap<QString, QByteArray> todo;
    QDirIterator it(raiz.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString ruta = it.next();
        const QFileInfo info(ruta);
        if (info.isDir()) {
            todo.insert(raiz.relativeFilePath(ruta) + QLatin1Char('/'), QByteArray());
        } else {
            QFile f(ruta);
            QByteArray b = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<ilegible>");
            if (b.isNull()) {
                b = QByteArray("");
            }
            todo.insert(raiz.relativeFilePath(ruta), b);
        }
    }
    return todo;
}

void pulsar(QPushButton* boton) {
    QTest::mouseClick(boton, Qt::LeftButton);
}

void escribir(QLineEdit* caja, const QString& texto) {
    caja->clear();
    const bool tecleable = std::all_of(texto.begin(), texto.end(), [](QChar c) { return c.unicode() < 0x100; });
    if (tecleable) {
        QTest::keyClicks(caja, texto);
    } else {
        caja->insert(texto); // as pasted: the keyboard simulation only types Latin-1
    }
}

bool elegir(QListWidget* lista, const QString& texto) {
    for (int i = 0; i < lista->count(); ++i) {
        if (lista->item(i)->text() == texto) {
            lista->scrollToItem(lista->item(i));
            QTest::mouseClick(lista->viewport(), Qt::LeftButton, {}, lista->visualItemRect(lista->item(i)).center());
            return lista->currentRow() == i && lista->item(i)->isSelected();
        }
    }
    return false;
}

void crearRaiz(Taller& t, const QString& raiz) {
    escribir(t.txtRaiz, raiz);
    pulsar(t.cmdCrearRaiz);
}

void agregarTomo(Taller& t, const QString& ruta) {
    escribir(t.txtNewTomo, ruta);
    pulsar(t.cmdTomoAdd);
}

void cargarTomo(Taller& t, const QString& ruta) {
    if (elegir(t.lstTomos, ruta)) {
        pulsar(t.cmdTomoLoad);
    }
}

} // namespace prueba

#include "editor/tests/ayudas.h"

#include "editor/taller.h"
#include "tests/support/unidades.h"
#include "ui/dialogos.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

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

void escribir(QWidget* caja, const QString& texto) {
    if (auto* linea = qobject_cast<QLineEdit*>(caja)) {
        linea->clear();
    }
    teclear(caja, texto);
}

void teclear(QWidget* caja, const QString& texto) {
    for (const QChar c : texto) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(caja, static_cast<char>(c.unicode()));
        } else {
            // The keyboard simulation maps only ASCII to keys; other characters arrive as text, as from a
            // keyboard layout or an input method.
            QTest::sendKeyEvent(QTest::Click, caja, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
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

void agregarArticulo(Taller& t, const QString& nombre) {
    escribir(t.txtNewArt, nombre);
    pulsar(t.txtArtAdd);
}

void cargarArticulo(Taller& t, const QString& nombre) {
    if (elegir(t.lstArticulos, nombre)) {
        pulsar(t.txtArtLoad);
    }
}

void agregarLista(Taller& t, const QString& nombre) {
    escribir(t.txtLstNew, nombre);
    pulsar(t.cmdLstAdd);
}

void cargarLista(Taller& t, const QString& nombre) {
    if (elegir(t.lstListas, nombre)) {
        pulsar(t.cmdLstLoad);
    }
}

void prepararTomo(Taller& t) {
    crearRaiz(t, QStringLiteral("C:\\ENC"));
    agregarTomo(t, QStringLiteral("C:\\ENC\\ASTRO"));
    cargarTomo(t, QStringLiteral("C:\\ENC\\ASTRO"));
    ui::Dialogos::limpiar();
}

void borrarPendientes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace prueba

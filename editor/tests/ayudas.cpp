#include "editor/tests/ayudas.h"

#include "editor/lista_marcable.h"
#include "editor/versiones.h"

#include <QAbstractItemView>

#include "editor/taller.h"
#include "editor/taller_art.h"
#include "tests/support/unidades.h"
#include "ui/dialogos.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace prueba {

QMap<QString, QByteArray> instantanea(const Unidades& unidades) {
    const QDir raiz(QFileInfo(unidades.unidad('c')).absolutePath());
    QMap<QString, QByteArray> todo;
    QDirIterator it(raiz.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString ruta = it.next();
        // The history's repository is not the store's: its own tests look at it.
        if (ruta.endsWith(QLatin1String("/.git")) || ruta.contains(QLatin1String("/.git/"))) {
            continue;
        }
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
        if (c == QLatin1Char('\n')) {
            QTest::keyClick(caja, Qt::Key_Return);
        } else if (c.unicode() < 0x80) {
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

bool elegir(QAbstractItemView* lista, const QString& texto) {
    const QAbstractItemModel* modelo = lista->model();
    for (int i = 0; i < modelo->rowCount(); ++i) {
        const QModelIndex entrada = modelo->index(i, 0);
        if (entrada.data(Qt::DisplayRole).toString() == texto) {
            lista->scrollTo(entrada);
            QTest::mouseClick(lista->viewport(), Qt::LeftButton, {}, lista->visualRect(entrada).center());
            return lista->currentIndex() == entrada && lista->selectionModel()->isSelected(entrada);
        }
    }
    return false;
}

void marcar(QAbstractItemView* lista, int fila) {
    const QModelIndex i = lista->model()->index(fila, 0);
    lista->scrollTo(i);
    const QRect r = lista->visualRect(i);
    QTest::mouseClick(lista->viewport(), Qt::LeftButton, {}, QPoint(r.left() + r.height() / 2, r.center().y()));
}

QList<int> marcados(const QAbstractItemView* lista) {
    QList<int> filas;
    for (int i = 0; i < lista->model()->rowCount(); ++i) {
        if (lista->model()->index(i, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked) {
            filas << i;
        }
    }
    return filas;
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
        // What loading records runs on a thread of its own; its outcome is told to the application object.
        forja::esperarHistorial();
        QCoreApplication::sendPostedEvents(QCoreApplication::instance(), QEvent::MetaCall);
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

void sesionCompleta(const Unidades& u, Taller& t) {
    // The pictures are put into IMG by hand; the author's own icon waits outside the store.
    QImage icono(16, 16, QImage::Format_ARGB32);
    icono.fill(QColor(200, 120, 0));
    QDir().mkpath(QFileInfo(u.nativa("C:\\ICONOS\\astro.ico")).absolutePath());
    icono.save(u.nativa("C:\\ICONOS\\astro.ico"), "ICO");

    crearRaiz(t, QStringLiteral("C:\\ENCICLO"));
    ui::Dialogos::siguienteArchivo(u.nativa("C:\\ICONOS\\astro.ico"));
    agregarTomo(t, QStringLiteral("C:\\ENCICLO\\ASTRO"));
    agregarTomo(t, QStringLiteral("C:\\ENCICLO\\RIOS")); // icon dialog cancelled
    cargarTomo(t, QStringLiteral("C:\\ENCICLO\\ASTRO"));
    t.txtMsg->clear();
    teclear(t.txtMsg, QStringLiteral("Astronomía para todos\nPor la autora"));
    pulsar(t.cmdSave);

    const struct {
        const char* archivo;
        QColor color;
        const char* formato;
    } imagenes[] = {{"sol.bmp", QColor(250, 200, 0), "BMP"},
                    {"luna.bmp", QColor(180, 180, 190), "BMP"},
                    {"marte.png", QColor(190, 60, 20), "PNG"}};
    for (const auto& i : imagenes) {
        QImage img(64, 48, QImage::Format_RGB32);
        img.fill(i.color);
        img.save(u.nativa(std::string("C:\\ENCICLO\\ASTRO\\IMG\\") + i.archivo), i.formato);
    }

    agregarArticulo(t, QStringLiteral("sol.txt"));
    agregarArticulo(t, QStringLiteral("luna.txt"));
    agregarArticulo(t, QStringLiteral("marte.txt"));

    struct Articulo {
        QString archivo, titulo, cuerpo;
        QStringList imagenes, epigrafes;
    };
    const Articulo articulos[] = {
        {QStringLiteral("sol.txt"),
         QStringLiteral("El Sol"),
         QStringLiteral("El Sol es una estrella.\n/\nDa luz."),
         {QStringLiteral("sol.bmp")},
         {QStringLiteral("El Sol\nNuestra estrella.")}},
        {QStringLiteral("luna.txt"),
         QStringLiteral("La Luna"),
         QStringLiteral("La Luna gira alrededor de la Tierra."),
         {QStringLiteral("luna.bmp"), QStringLiteral("sol.bmp")},
         {QStringLiteral("La Luna\nSatélite natural."), QString()}},
        {QStringLiteral("marte.txt"),
         QStringLiteral("Marte"),
         QStringLiteral("El planeta rojo."),
         {QStringLiteral("marte.png")},
         {QStringLiteral("Marte\nVisto desde la Tierra.\n/\nColor de óxido.")}},
    };
    for (const Articulo& a : articulos) {
        cargarArticulo(t, a.archivo);
        TallerArt* art = t.tallerArt();
        escribir(art->txtTitulo, a.titulo);
        for (int i = 0; i < a.imagenes.size(); ++i) {
            escribir(art->txtImgNew, a.imagenes[i]);
            pulsar(art->cmdImgAdd);
            if (!a.epigrafes[i].isEmpty()) {
                elegir(art->lstImagenes, a.imagenes[i]);
                teclear(art->txtSub, a.epigrafes[i]);
                pulsar(art->cmdSaveSub);
            }
        }
        art->txtArtText->clear();
        teclear(art->txtArtText, a.cuerpo);
        pulsar(art->cmdSaveArt);
        borrarPendientes();
    }

    agregarLista(t, QStringLiteral("Cuerpos visibles"));
    agregarLista(t, QStringLiteral("Satélites"));
    cargarLista(t, QStringLiteral("Cuerpos visibles"));
    marcar(t.lstLstArts, 2);
    marcar(t.lstLstArts, 0);
    pulsar(t.cmdLstSave);
    cargarLista(t, QStringLiteral("Satélites"));
    marcar(t.lstLstArts, 1);
    pulsar(t.cmdLstSave);
}

} // namespace prueba

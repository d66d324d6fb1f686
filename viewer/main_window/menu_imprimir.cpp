#include "main_window/menu_imprimir.h"

#include "main_window/articulo_mostrado.h"
#include "print/articulo.h"
#include "print/paginas.h"
#include "ui/dialogos.h"
#include "ui/segundo_plano.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

MenuImprimir::DialogoDeImpresion& dialogoDeImpresion() {
    static MenuImprimir::DialogoDeImpresion dialogo = [](QPrinter& impresora, QWidget* padre) {
        QPrintDialog d(&impresora, padre);
        d.setWindowTitle(QStringLiteral("Imprimir"));
        return d.exec() == QDialog::Accepted;
    };
    return dialogo;
}

// A file name for the title: what no file name may hold becomes a space.
QString nombreDeArchivo(const QString& titulo) {
    QString nombre;
    for (const QChar c : titulo) {
        nombre += (c.unicode() < 32 || QStringLiteral("\\/:*?\"<>|").contains(c)) ? QChar(u' ') : c;
    }
    nombre = nombre.simplified();
    return nombre.isEmpty() || nombre.startsWith(u'.') ? QStringLiteral("artículo") : nombre;
}

QString paso(int pagina, int total) {
    return QStringLiteral("Página %1 de %2").arg(pagina).arg(total);
}

} // namespace

void MenuImprimir::usarDialogoDeImpresion(DialogoDeImpresion dialogo) {
    dialogoDeImpresion() = std::move(dialogo);
}

MenuImprimir::MenuImprimir(QMainWindow* ventana, ArticuloMostrado& mostrado, QMenu* menu, QAction* antesDe)
    : QObject(ventana), ventana_(ventana), mostrado_(mostrado) {
    mnuImprimir = new QAction(QStringLiteral("Imprimir…"), ventana);
    mnuImprimir->setObjectName(QStringLiteral("mnuImprimir"));
    mnuImprimir->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    ventana->addAction(mnuImprimir); // its keys work in the window without the menu
    mnuExportarPdf = new QAction(QStringLiteral("Exportar a PDF…"), ventana);
    mnuExportarPdf->setObjectName(QStringLiteral("mnuExportarPdf"));
    menu->insertAction(antesDe, mnuImprimir);
    menu->insertAction(antesDe, mnuExportarPdf);
    menu->insertSeparator(mnuImprimir)->setObjectName(QStringLiteral("mnuSepararImprimir"));

    connect(mnuImprimir, &QAction::triggered, this, &MenuImprimir::imprimir);
    connect(mnuExportarPdf, &QAction::triggered, this, &MenuImprimir::exportarPdf);
}

bool MenuImprimir::hayArticulo() {
    if (ruta_.empty()) {
        ui::Dialogos::avisar(ventana_, QStringLiteral("No hay ningún artículo abierto que imprimir."));
        return false;
    }
    return true;
}

void MenuImprimir::imprimir() {
    if (!hayArticulo()) {
        return;
    }
    QPrinter impresora(QPrinter::HighResolution);
    print::prepararA4(impresora);
    impresora.setDocName(mostrado_.tituloMostrado());
    impresora.setCreator(QStringLiteral("Tomo"));
    if (!dialogoDeImpresion()(impresora, ventana_)) {
        return;
    }
    const std::string directorio = mostrado_.directorio();
    const std::string ruta = ruta_;
    const QString enciclopedia = mostrado_.nombreDeLaEnciclopedia();
    print::ArticuloImpreso fin;
    ui::ejecutarConProgreso(
        ventana_, QStringLiteral("Imprimir"), [&](const ui::Avanzar& avanzar, const std::atomic_bool& cancelar) {
            fin = print::imprimirArticulo(
                impresora, directorio, ruta, enciclopedia, [&](const QString& titulo) { impresora.setDocName(titulo); },
                [&](int p, int t) {
                    avanzar({p, t, paso(p, t)});
                },
                &cancelar);
        });
    if (fin.lectura) {
        ui::Dialogos::error(ventana_, *fin.lectura);
    } else if (!fin.error.isEmpty()) {
        ui::Dialogos::avisar(ventana_, fin.error);
    }
}

void MenuImprimir::exportarPdf() {
    if (!hayArticulo()) {
        return;
    }
    QString carpeta = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (carpeta.isEmpty() || !QFileInfo(carpeta).isDir()) {
        carpeta = QDir::homePath();
    }
    const QString propuesto =
        QDir(carpeta).filePath(nombreDeArchivo(mostrado_.tituloMostrado()) + QStringLiteral(".pdf"));
    QString destino = ui::Dialogos::guardarArchivo(ventana_, QStringLiteral("Exportar a PDF"),
                                                   QStringLiteral("Documentos PDF (*.pdf)"), propuesto);
    if (destino.isEmpty()) {
        return;
    }
    if (QFileInfo(destino).suffix().isEmpty()) {
        destino += QStringLiteral(".pdf");
    }
    const QFileInfo info(destino);
    if (info.isDir()) {
        ui::Dialogos::avisar(ventana_, QStringLiteral("«%1» es un directorio: elija un nombre de archivo para el "
                                                      "PDF.")
                                           .arg(destino));
        return;
    }
    if (info.exists() &&
        ui::Dialogos::preguntar(ventana_, QStringLiteral("«%1» ya existe. ¿Desea reemplazarlo?").arg(destino),
                                QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes) {
        return;
    }

    const std::string directorio = mostrado_.directorio();
    const std::string ruta = ruta_;
    const QString enciclopedia = mostrado_.nombreDeLaEnciclopedia();
    print::ArticuloImpreso fin;
    QString escritura; // why the file could not be written
    ui::ejecutarConProgreso(
        ventana_, QStringLiteral("Exportar a PDF"), [&](const ui::Avanzar& avanzar, const std::atomic_bool& cancelar) {
            // Written under a temporary name beside the destination and put in its place only when whole.
            QSaveFile archivo(destino);
            if (!archivo.open(QIODevice::WriteOnly)) {
                escritura = archivo.errorString();
                return;
            }
            {
                QPdfWriter pdf(&archivo);
                pdf.setCreator(QStringLiteral("Tomo"));
                print::prepararA4(pdf);
                fin = print::imprimirArticulo(
                    pdf, directorio, ruta, enciclopedia, [&](const QString& titulo) { pdf.setTitle(titulo); },
                    [&](int p, int t) {
                        avanzar({p, t, paso(p, t)});
                    },
                    &cancelar);
            }
            if (!fin.hecho) {
                archivo.cancelWriting();
            } else if (!archivo.commit()) {
                escritura = archivo.errorString();
            }
        });
    if (fin.lectura) {
        ui::Dialogos::error(ventana_, *fin.lectura);
    } else if (!escritura.isEmpty()) {
        ui::Dialogos::avisar(ventana_, QStringLiteral("No se pudo escribir «%1»: %2").arg(destino, escritura));
    } else if (!fin.error.isEmpty()) {
        ui::Dialogos::avisar(ventana_, QStringLiteral("No se pudo escribir «%1»: %2").arg(destino, fin.error));
    }
}

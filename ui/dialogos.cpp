#include "ui/dialogos.h"

#include "store/resultado.h"
#include "ui/texto.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QList>
#include <QPushButton>

namespace ui {

namespace {
struct Estado {
    bool prueba = false;
    QList<QMessageBox::StandardButton> respuestas;
    QStringList archivos;
    QStringList botones;
    QStringList textos;
    int textosPedidos = 0;
    QList<DialogoMostrado> mostrados;
};
Estado& estado() {
    static Estado e;
    return e;
}

QMessageBox::StandardButton registrar(const QString& titulo, const QString& texto, QMessageBox::Icon icono,
                                      QMessageBox::StandardButton porDefecto) {
    Estado& e = estado();
    e.mostrados.append({titulo, texto, icono, {}, -1});
    if (!e.respuestas.isEmpty()) {
        return e.respuestas.takeFirst();
    }
    return porDefecto;
}

QString tituloPrograma() {
    const QString nombre = QApplication::applicationDisplayName();
    return nombre.isEmpty() ? QApplication::applicationName() : nombre;
}
} // namespace

void Dialogos::informar(QWidget* padre, const QString& titulo, const QString& texto, QMessageBox::Icon icono) {
    if (estado().prueba) {
        registrar(titulo, texto, icono, QMessageBox::Ok);
        return;
    }
    QMessageBox caja(icono, titulo, texto, QMessageBox::Ok, padre);
    caja.exec();
}

void Dialogos::avisar(QWidget* padre, const QString& texto) {
    informar(padre, tituloPrograma(), texto, QMessageBox::Warning);
}

void Dialogos::error(QWidget* padre, const store::Error& e) {
    informar(padre, tituloPrograma(), mensajeDe(e), QMessageBox::Critical);
}

QMessageBox::StandardButton Dialogos::preguntar(QWidget* padre, const QString& texto,
                                                QMessageBox::StandardButtons botones,
                                                QMessageBox::StandardButton porDefecto) {
    if (estado().prueba) {
        return registrar(tituloPrograma(), texto, QMessageBox::Question, porDefecto);
    }
    QMessageBox caja(QMessageBox::Question, tituloPrograma(), texto, botones, padre);
    caja.setDefaultButton(porDefecto);
    return static_cast<QMessageBox::StandardButton>(caja.exec());
}

int Dialogos::elegir(QWidget* padre, const QString& texto, const QStringList& botones, int porDefecto, int alSalir) {
    Estado& e = estado();
    if (e.prueba) {
        e.mostrados.append({tituloPrograma(), texto, QMessageBox::Question, botones, porDefecto});
        if (e.botones.isEmpty()) {
            return porDefecto;
        }
        const auto elegido = static_cast<int>(botones.indexOf(e.botones.takeFirst()));
        return elegido >= 0 ? elegido : alSalir;
    }
    QMessageBox caja(QMessageBox::Question, tituloPrograma(), texto, QMessageBox::NoButton, padre);
    QList<QPushButton*> pulsables;
    for (const QString& b : botones) {
        // The roles only order the buttons as the platform does; the answer is the button itself.
        pulsables.append(caja.addButton(b, pulsables.isEmpty() ? QMessageBox::AcceptRole : QMessageBox::ActionRole));
    }
    if (porDefecto >= 0 && porDefecto < pulsables.size()) {
        caja.setDefaultButton(pulsables[porDefecto]);
    }
    if (alSalir >= 0 && alSalir < pulsables.size()) {
        caja.setEscapeButton(pulsables[alSalir]);
    }
    caja.exec();
    const auto elegido = static_cast<int>(pulsables.indexOf(qobject_cast<QPushButton*>(caja.clickedButton())));
    return elegido >= 0 ? elegido : alSalir;
}

QString Dialogos::abrirArchivo(QWidget* padre, const QString& titulo, const QString& filtros) {
    Estado& e = estado();
    if (e.prueba) {
        e.mostrados.append({titulo, filtros, QMessageBox::NoIcon, {}, -1});
        return e.archivos.isEmpty() ? QString() : e.archivos.takeFirst();
    }
    return QFileDialog::getOpenFileName(padre, titulo, QString(), filtros);
}

QString Dialogos::guardarArchivo(QWidget* padre, const QString& titulo, const QString& filtros,
                                 const QString& propuesto) {
    Estado& e = estado();
    if (e.prueba) {
        e.mostrados.append({titulo, filtros, QMessageBox::NoIcon, {}, -1});
        return e.archivos.isEmpty() ? QString() : e.archivos.takeFirst();
    }
    return QFileDialog::getSaveFileName(padre, titulo, propuesto, filtros, nullptr, QFileDialog::DontConfirmOverwrite);
}

QStringList Dialogos::abrirArchivos(QWidget* padre, const QString& titulo, const QString& filtros) {
    Estado& e = estado();
    if (e.prueba) {
        e.mostrados.append({titulo, filtros, QMessageBox::NoIcon, {}, -1});
        return e.archivos.isEmpty() ? QStringList() : QStringList{e.archivos.takeFirst()};
    }
    return QFileDialog::getOpenFileNames(padre, titulo, QString(), filtros);
}

QString Dialogos::abrirDirectorio(QWidget* padre, const QString& titulo) {
    Estado& e = estado();
    if (e.prueba) {
        e.mostrados.append({titulo, QString(), QMessageBox::NoIcon, {}, -1});
        return e.archivos.isEmpty() ? QString() : e.archivos.takeFirst();
    }
    return QFileDialog::getExistingDirectory(padre, titulo);
}

QString Dialogos::pedirTexto(QWidget* padre, const QString& texto, const QString& propuesto) {
    Estado& e = estado();
    if (e.prueba) {
        ++e.textosPedidos;
        return e.textos.isEmpty() ? QString() : e.textos.takeFirst();
    }
    return QInputDialog::getText(padre, tituloPrograma(), texto, QLineEdit::Normal, propuesto).trimmed();
}

void Dialogos::siguienteTexto(const QString& texto) {
    estado().textos.append(texto);
}

int Dialogos::textosPedidos() {
    return estado().textosPedidos;
}

void Dialogos::modoPrueba(bool activo) {
    estado().prueba = activo;
}

void Dialogos::siguienteRespuesta(QMessageBox::StandardButton respuesta) {
    estado().respuestas.append(respuesta);
}

void Dialogos::siguienteArchivo(const QString& ruta) {
    estado().archivos.append(ruta);
}

void Dialogos::siguienteBoton(const QString& texto) {
    estado().botones.append(texto);
}

const QList<DialogoMostrado>& Dialogos::mostrados() {
    return estado().mostrados;
}

void Dialogos::limpiar() {
    Estado& e = estado();
    e.respuestas.clear();
    e.archivos.clear();
    e.botones.clear();
    e.textos.clear();
    e.textosPedidos = 0;
    e.mostrados.clear();
}

} // namespace ui

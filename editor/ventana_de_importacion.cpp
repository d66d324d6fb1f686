#include "editor/ventana_de_importacion.h"

#include "ui/dialogos.h"

#include <QCloseEvent>
#include <QThread>

#include <utility>

using ui::Dialogos;

VentanaDeImportacion::VentanaDeImportacion(QWidget* padre, std::string tomo) : QDialog(padre), tomo_(std::move(tomo)) {}

VentanaDeImportacion::~VentanaDeImportacion() {
    detener();
}

void VentanaDeImportacion::detener() {
    if (hilo_) {
        parar_ = true;
        hilo_->wait();
    }
}

void VentanaDeImportacion::empezar(std::function<void()> trabajo) {
    parar_ = false;
    hilo_ = QThread::create(std::move(trabajo));
    connect(hilo_, &QThread::finished, this, &VentanaDeImportacion::terminado);
    habilitar();
    hilo_->start();
}

void VentanaDeImportacion::terminado() {
    if (hilo_) {
        hilo_->wait();
        delete hilo_;
        hilo_ = nullptr;
    }
    habilitar();
    emit listo();
}

void VentanaDeImportacion::terminarImportacion(const QString& texto, const QStringList& nuevos, bool huboError) {
    plan_.reset(); // done: the same plan is never written twice
    if (!nuevos.isEmpty()) {
        emit importados(nuevos);
    }
    if (huboError) {
        Dialogos::avisar(this, texto.trimmed());
    }
}

void VentanaDeImportacion::closeEvent(QCloseEvent* evento) {
    if (hilo_) {
        // What is being written is finished first; no article is left half-made.
        parar_ = true;
        evento->ignore();
        return;
    }
    QDialog::closeEvent(evento);
}

void VentanaDeImportacion::reject() {
    if (!hilo_) {
        QDialog::reject();
    } else {
        parar_ = true;
    }
}

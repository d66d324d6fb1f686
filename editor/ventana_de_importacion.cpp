#include "editor/ventana_de_importacion.h"

#include "editor/importacion_escrita.h"
#include "ui/dialogos.h"
#include "ui/texto.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
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

void VentanaDeImportacion::escribirPlan(QProgressBar* barra, QPlainTextEdit* salida) {
    if (ocupada() || !plan_ || plan_->articulos.empty()) {
        return;
    }
    barra->setRange(0, static_cast<int>(plan_->articulos.size()));
    barra->setValue(0);
    empezar(forja::escribirImportacion(this, &*plan_, barra, &parar_,
                                       [this, salida](const importar::Informe& informe, const QString& sinVersion) {
                                           mostrarInforme(informe, salida);
                                           if (!sinVersion.isEmpty()) {
                                               salida->appendPlainText(sinVersion);
                                           }
                                       }));
}

void VentanaDeImportacion::mostrarInforme(const importar::Informe& informe, QPlainTextEdit* salida) {
    const QString texto = QString::fromStdString(importar::describir(informe, *plan_));
    salida->appendPlainText(QStringLiteral("\n") + texto);
    QStringList escritos;
    for (const std::string& n : informe.importados) {
        escritos << ui::desdeStore(n);
    }
    // What was written and is new to COMPLETA.DAT: articles that replaced an earlier import are listed already.
    QStringList nuevos;
    for (const importar::ArticuloPlaneado& a : plan_->articulos) {
        if (a.agregarACompleta && escritos.contains(ui::desdeStore(a.nombre))) {
            nuevos << ui::desdeStore(a.nombre);
        }
    }
    plan_.reset(); // done: the same plan is never written twice
    if (!nuevos.isEmpty()) {
        emit importados(nuevos);
    }
    if (informe.error) {
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

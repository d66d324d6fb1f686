#include "editor/ventana_historial_tomo.h"

#include "editor/comun.h"
#include "editor/estado.h"
#include "editor/sesion.h"
#include "editor/versiones.h"
#include "historial/historial.h"
#include "ui/dialogos.h"
#include "ui/texto.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

using forja::boton;
using forja::control;
using ui::Dialogos;

VentanaHistorialTomo::VentanaHistorialTomo(SesionForja& sesion, QWidget* parent)
    : QWidget(parent, Qt::Window), sesion_(sesion) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("VentanaHistorialTomo"));
    setWindowTitle(QStringLiteral("Historial de la enciclotomo %1").arg(sesion.tomo()->directorio()));
    directorio_ = ui::haciaStore(sesion.tomo()->directorio()).value_or(std::string());

    lblAviso = forja::etiqueta(this, QStringLiteral("lblAviso"), QString(), true);
    lstVersiones = control<QListWidget>(this, QStringLiteral("lstVersiones"), QStringLiteral("Versiones"));
    auto* lblArchivos =
        forja::etiqueta(this, QStringLiteral("lblArchivos"), QStringLiteral("Archivos que cambió esta versión:"));
    lstArchivos = control<QListWidget>(this, QStringLiteral("lstArchivos"), QStringLiteral("Archivos que cambió"));
    cmdRecuperar = boton(this, QStringLiteral("cmdRecuperar"), QStringLiteral("&Recuperar el archivo como estaba"));
    cmdCerrar = boton(this, QStringLiteral("cmdCerrar"), QStringLiteral("&Cerrar"));

    auto* columna = new QVBoxLayout(this);
    columna->addWidget(lblAviso);
    columna->addWidget(lstVersiones, 3);
    columna->addWidget(lblArchivos);
    columna->addWidget(lstArchivos, 1);
    auto* botones = new QHBoxLayout;
    botones->addStretch();
    botones->addWidget(cmdRecuperar);
    botones->addWidget(cmdCerrar);
    columna->addLayout(botones);
    resize(680, 520);

    connect(lstVersiones, &QListWidget::currentRowChanged, this, &VentanaHistorialTomo::mostrarArchivos);
    connect(cmdRecuperar, &QPushButton::clicked, this, &VentanaHistorialTomo::cmdRecuperar_Click);
    connect(cmdCerrar, &QPushButton::clicked, this, &QWidget::close);
    connect(sesion.tomo(), &TomoEditado::versionRegistrada, this, &VentanaHistorialTomo::cargar);
    cargar();
}

VentanaHistorialTomo::~VentanaHistorialTomo() = default;

void VentanaHistorialTomo::cargar() {
    versiones_.clear();
    lblAviso->clear();
    forja::esperarHistorial();
    auto h = historial::Historial::abrir(directorio_);
    if (!h) {
        lblAviso->setText(QStringLiteral("No se puede leer el historial: %1").arg(ui::mensajeDe(h.error())));
    } else if (auto v = (*h)->versiones(); !v) {
        lblAviso->setText(QStringLiteral("No se puede leer el historial: %1").arg(ui::mensajeDe(v.error())));
    } else {
        versiones_ = std::move(*v);
    }
    const QSignalBlocker bloqueo(lstVersiones);
    lstVersiones->clear();
    for (const historial::Version& v : versiones_) {
        lstVersiones->addItem(QStringLiteral("%1 · %2 · %3 · %4 (%5)")
                                  .arg(QString::fromStdString(historial::fechaLegible(v)),
                                       QString::fromStdString(v.autor), QString::fromStdString(v.resumen),
                                       QString::fromStdString(v.corto),
                                       v.archivos.size() == 1 ? QStringLiteral("1 archivo")
                                       : v.archivos.empty()   ? QStringLiteral("toda la enciclotomo")
                                                              : QStringLiteral("%1 archivos").arg(v.archivos.size())));
    }
    lstVersiones->setCurrentRow(versiones_.empty() ? -1 : 0);
    mostrarArchivos();
}

void VentanaHistorialTomo::mostrarArchivos() {
    lstArchivos->clear();
    const int fila = lstVersiones->currentRow();
    if (fila < 0 || fila >= static_cast<int>(versiones_.size())) {
        return;
    }
    const historial::Version& v = versiones_[static_cast<std::size_t>(fila)];
    std::vector<std::string> archivos = v.archivos;
    // A first version, or one of many files, is listed from its tree.
    if (archivos.empty()) {
        if (auto h = historial::Historial::abrir(directorio_)) {
            if (auto todos = (*h)->archivos(v.id)) {
                archivos = std::move(*todos);
            }
        }
    }
    for (const std::string& a : archivos) {
        lstArchivos->addItem(ui::desdeStore(a));
    }
    lstArchivos->setCurrentRow(0);
}

void VentanaHistorialTomo::cmdRecuperar_Click() {
    const int fila = lstVersiones->currentRow();
    const QListWidgetItem* archivo = lstArchivos->currentItem();
    if (fila < 0 || fila >= static_cast<int>(versiones_.size()) || !archivo) {
        Dialogos::avisar(this, QStringLiteral("Elija una versión y, debajo, el archivo que quiere recuperar."));
        return;
    }
    auto h = historial::Historial::abrir(directorio_);
    if (!h) {
        Dialogos::error(this, h.error());
        return;
    }
    const std::string nombre = ui::haciaStore(archivo->text()).value_or(std::string());
    // A file this version deleted comes back as it was just before.
    std::string version = versiones_[static_cast<std::size_t>(fila)].id;
    if (const auto ahi = (*h)->leer(version, nombre); ahi && !*ahi) {
        version += "~1";
    }
    const auto hecha = (*h)->restaurar(version, nombre, forja::autorDeLaVersion(this).toUtf8().toStdString());
    if (!hecha) {
        Dialogos::error(this, hecha.error());
        return;
    }
    sesion_.pedirRecargarTomo();
    emit sesion_.tomo()->versionRegistrada();
}

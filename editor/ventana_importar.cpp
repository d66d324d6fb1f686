#include "editor/ventana_importar.h"

#include "editor/importacion_escrita.h"
#include "importar/qt/imagenes.h"

#include "editor/comun.h"
#include "store/codificacion.h"
#include "ui/dialogos.h"
#include "ui/texto.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

using forja::boton;
using forja::control;
using forja::etiqueta;
using ui::Dialogos;

namespace {

QString deUtf8(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

VentanaImportar::VentanaImportar(QWidget* padre, std::string tomo) : VentanaDeImportacion(padre, std::move(tomo)) {
    setObjectName(QStringLiteral("VentanaImportar"));
    setWindowTitle(QStringLiteral("Importar artículos"));
    setFont(forja::fuenteDeVentana());
    auto* rejilla = new QGridLayout(this);
    lblOrigen = etiqueta(this, QStringLiteral("lblOrigen"), QStringLiteral("Textos que importar:"));
    txtOrigen = control<QLineEdit>(this, QStringLiteral("txtOrigen"), QStringLiteral("Textos que importar"));
    txtOrigen->setReadOnly(true);
    lblOrigen->setBuddy(txtOrigen);
    cmdCarpeta = boton(this, QStringLiteral("cmdCarpeta"), QStringLiteral("Carpeta…"));
    cmdArchivos = boton(this, QStringLiteral("cmdArchivos"), QStringLiteral("Archivos…"));
    lblPlan = etiqueta(
        this, QStringLiteral("lblPlan"),
        QStringLiteral("Lo que se creará en %1 (nada se escribe hasta pulsar «Importar»):").arg(ui::desdeStore(tomo_)));
    txtPlan = control<QPlainTextEdit>(this, QStringLiteral("txtPlan"), QStringLiteral("Lo que se creará"));
    txtPlan->setReadOnly(true);
    txtPlan->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    lblPlan->setBuddy(txtPlan);
    barAvance = control<QProgressBar>(this, QStringLiteral("barAvance"), QStringLiteral("Avance"));
    barAvance->setRange(0, 1);
    barAvance->setValue(0);
    cmdImportar = boton(this, QStringLiteral("cmdImportar"), QStringLiteral("Importar"));
    cmdImportar->setEnabled(false);
    cmdCerrar = boton(this, QStringLiteral("cmdCerrar"), QStringLiteral("Cerrar"));
    rejilla->addWidget(lblOrigen, 0, 0, 1, 3);
    rejilla->addWidget(txtOrigen, 1, 0);
    rejilla->addWidget(cmdCarpeta, 1, 1);
    rejilla->addWidget(cmdArchivos, 1, 2);
    rejilla->addWidget(lblPlan, 2, 0, 1, 3);
    rejilla->addWidget(txtPlan, 3, 0, 1, 3);
    rejilla->addWidget(barAvance, 4, 0, 1, 3);
    auto* botones = new QHBoxLayout;
    botones->addStretch();
    botones->addWidget(cmdImportar);
    botones->addWidget(cmdCerrar);
    rejilla->addLayout(botones, 5, 0, 1, 3);
    resize(640, 480);

    connect(cmdCarpeta, &QPushButton::clicked, this, &VentanaImportar::cmdCarpeta_Click);
    connect(cmdArchivos, &QPushButton::clicked, this, &VentanaImportar::cmdArchivos_Click);
    connect(cmdImportar, &QPushButton::clicked, this, &VentanaImportar::cmdImportar_Click);
    connect(cmdCerrar, &QPushButton::clicked, this, &VentanaImportar::close);
}

VentanaImportar::~VentanaImportar() = default;

void VentanaImportar::cmdCarpeta_Click() {
    const QString carpeta = Dialogos::abrirDirectorio(this, QStringLiteral("Importar artículos: carpeta de textos"));
    if (!carpeta.isEmpty()) {
        planear({carpeta});
    }
}

void VentanaImportar::cmdArchivos_Click() {
    const QStringList archivos =
        Dialogos::abrirArchivos(this, QStringLiteral("Importar artículos: textos"),
                                QStringLiteral("Textos (*.txt *.md *.markdown *.htm *.html);;Todos los archivos (*)"));
    if (!archivos.isEmpty()) {
        planear(archivos);
    }
}

void VentanaImportar::habilitar() {
    const bool libre = !ocupada();
    cmdCarpeta->setEnabled(libre);
    cmdArchivos->setEnabled(libre);
    if (!libre) {
        cmdImportar->setEnabled(false);
    }
}

void VentanaImportar::planear(const QStringList& rutas) {
    if (ocupada()) {
        return;
    }
    plan_.reset();
    txtOrigen->setText(rutas.join(QStringLiteral("; ")));
    txtPlan->setPlainText(QStringLiteral("Leyendo los textos…"));
    barAvance->setRange(0, 0); // busy, for as long as it takes
    std::vector<std::filesystem::path> entradas;
    for (const QString& r : rutas) {
        entradas.emplace_back(r.toStdString());
    }
    empezar([this, entradas, tomo = tomo_] {
        importar::Opciones opciones;
        opciones.convertir = importar::convertirConQt;
        auto resultado = importar::planear(entradas, tomo, opciones);
        QMetaObject::invokeMethod(
            this,
            [this, r = std::make_shared<store::Resultado<importar::Plan>>(std::move(resultado))] {
                mostrarPlan(std::move(*r));
            },
            Qt::QueuedConnection);
    });
}

void VentanaImportar::mostrarPlan(store::Resultado<importar::Plan> resultado) {
    barAvance->setRange(0, 1);
    barAvance->setValue(0);
    if (!resultado) {
        txtPlan->setPlainText(ui::desdeStore(resultado.error().mensaje()));
        return;
    }
    plan_ = std::move(*resultado);
    if (plan_->articulos.empty()) {
        txtPlan->setPlainText(QStringLiteral("No hay ningún texto que importar.\n") +
                              deUtf8(importar::describir(*plan_)));
        return;
    }
    const qsizetype n = static_cast<qsizetype>(plan_->articulos.size());
    txtPlan->setPlainText(
        (n == 1 ? QStringLiteral("Se creará 1 artículo:\n") : QStringLiteral("Se crearán %1 artículos:\n").arg(n)) +
        deUtf8(importar::describir(*plan_)));
    cmdImportar->setEnabled(true);
}

void VentanaImportar::cmdImportar_Click() {
    escribirPlan(barAvance, txtPlan);
}

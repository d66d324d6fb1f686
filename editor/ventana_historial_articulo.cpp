#include "editor/ventana_historial_articulo.h"

#include "editor/comun.h"
#include "editor/estado.h"
#include "editor/sesion.h"
#include "editor/versiones.h"
#include "historial/diferencia.h"
#include "historial/historial.h"
#include "store/archivo_de_texto.h"
#include "ui/dialogos.h"
#include "ui/texto.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

using forja::boton;
using forja::control;
using ui::Dialogos;

namespace {

QString lineaDeVersion(const historial::Version& v) {
    return QStringLiteral("%1 · %2 · %3 · %4")
        .arg(QString::fromStdString(historial::fechaLegible(v)), QString::fromStdString(v.autor),
             QString::fromStdString(v.resumen), QString::fromStdString(v.corto));
}

// The word-level difference as rich text: removed words struck out on red, added ones on green.
QString comoHtml(const std::vector<historial::Trozo>& trozos) {
    QString html = QStringLiteral("<p style=\"white-space: pre-wrap\">");
    for (const historial::Trozo& t : trozos) {
        QString texto = QString::fromStdString(t.texto).toHtmlEscaped();
        texto.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
        switch (t.tipo) {
        case historial::Trozo::Tipo::Igual:
            html += texto;
            break;
        case historial::Trozo::Tipo::Quitado:
            html += QStringLiteral("<span style=\"background-color:#f6c6c6; text-decoration:line-through\">%1</span>")
                        .arg(texto);
            break;
        case historial::Trozo::Tipo::Agregado:
            html += QStringLiteral("<span style=\"background-color:#c6ecc6\">%1</span>").arg(texto);
            break;
        }
    }
    return html + QStringLiteral("</p>");
}

} // namespace

VentanaHistorialArticulo::VentanaHistorialArticulo(SesionForja& sesion, QWidget* parent, const QString& articulo)
    : QWidget(parent, Qt::Window), sesion_(sesion), articulo_(articulo) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("VentanaHistorialArticulo"));
    setWindowTitle(QStringLiteral("Historial del artículo «%1»").arg(articulo));
    directorio_ = ui::haciaStore(sesion.tomo()->directorio()).value_or(std::string());

    lblAviso = forja::etiqueta(this, QStringLiteral("lblAviso"), QString(), true);
    lstVersiones = control<QListWidget>(this, QStringLiteral("lstVersiones"), QStringLiteral("Versiones"));
    auto* lblComparar = forja::etiqueta(this, QStringLiteral("lblComparar"), QStringLiteral("Comparar con:"));
    cmbComparar = control<QComboBox>(this, QStringLiteral("cmbComparar"), QStringLiteral("Comparar con"));
    optDiferencias = control<QRadioButton>(this, QStringLiteral("optDiferencias"), QStringLiteral("Diferencias"));
    optDiferencias->setText(QStringLiteral("&Diferencias"));
    optDiferencias->setChecked(true);
    optLadoALado = control<QRadioButton>(this, QStringLiteral("optLadoALado"), QStringLiteral("Lado a lado"));
    optLadoALado->setText(QStringLiteral("&Lado a lado"));
    pilaVista = new QStackedWidget(this);
    txtDiferencias = control<QTextBrowser>(pilaVista, QStringLiteral("txtDiferencias"), QStringLiteral("Diferencias"));
    auto* lado = new QWidget(pilaVista);
    txtAntes = control<QPlainTextEdit>(lado, QStringLiteral("txtAntes"), QStringLiteral("Versión de antes"));
    txtDespues = control<QPlainTextEdit>(lado, QStringLiteral("txtDespues"), QStringLiteral("Versión elegida"));
    for (QPlainTextEdit* t : {txtAntes, txtDespues}) {
        t->setReadOnly(true);
    }
    auto* filaLado = new QHBoxLayout(lado);
    filaLado->setContentsMargins(0, 0, 0, 0);
    filaLado->addWidget(txtAntes);
    filaLado->addWidget(txtDespues);
    pilaVista->addWidget(txtDiferencias);
    pilaVista->addWidget(lado);
    cmdRestaurar = boton(this, QStringLiteral("cmdRestaurar"), QStringLiteral("&Restaurar esta versión"));
    cmdCerrar = boton(this, QStringLiteral("cmdCerrar"), QStringLiteral("&Cerrar"));

    auto* columna = new QVBoxLayout(this);
    columna->addWidget(lblAviso);
    columna->addWidget(lstVersiones, 1);
    auto* filaComparar = new QHBoxLayout;
    filaComparar->addWidget(lblComparar);
    filaComparar->addWidget(cmbComparar, 1);
    filaComparar->addWidget(optDiferencias);
    filaComparar->addWidget(optLadoALado);
    columna->addLayout(filaComparar);
    columna->addWidget(pilaVista, 2);
    auto* botones = new QHBoxLayout;
    botones->addStretch();
    botones->addWidget(cmdRestaurar);
    botones->addWidget(cmdCerrar);
    columna->addLayout(botones);
    resize(760, 560);

    connect(lstVersiones, &QListWidget::currentRowChanged, this, [this](int fila) {
        // The version just before the chosen one is what it is compared with, until the author picks another.
        const QSignalBlocker bloqueo(cmbComparar);
        cmbComparar->setCurrentIndex(fila + 1 < cmbComparar->count() ? fila + 1 : cmbComparar->count() - 1);
        mostrar();
    });
    connect(cmbComparar, &QComboBox::currentIndexChanged, this, &VentanaHistorialArticulo::mostrar);
    connect(optDiferencias, &QRadioButton::toggled, this, &VentanaHistorialArticulo::mostrar);
    connect(cmdRestaurar, &QPushButton::clicked, this, &VentanaHistorialArticulo::cmdRestaurar_Click);
    connect(cmdCerrar, &QPushButton::clicked, this, &QWidget::close);
    connect(sesion.tomo(), &TomoEditado::versionRegistrada, this, &VentanaHistorialArticulo::cargar);
    cargar();
}

VentanaHistorialArticulo::~VentanaHistorialArticulo() = default;

void VentanaHistorialArticulo::cargar() {
    versiones_.clear();
    lblAviso->clear();
    forja::esperarHistorial();
    const auto nombre = ui::haciaStore(articulo_);
    auto h = historial::Historial::abrir(directorio_);
    if (!h) {
        lblAviso->setText(QStringLiteral("No se puede leer el historial: %1").arg(ui::mensajeDe(h.error())));
    } else if (auto v = (*h)->versiones(nombre.value_or(std::string())); !v) {
        lblAviso->setText(QStringLiteral("No se puede leer el historial: %1").arg(ui::mensajeDe(v.error())));
    } else {
        versiones_ = std::move(*v);
    }
    if (versiones_.empty() && lblAviso->text().isEmpty()) {
        lblAviso->setText(QStringLiteral("El artículo no tiene versiones todavía."));
    }
    const QSignalBlocker b1(lstVersiones);
    const QSignalBlocker b2(cmbComparar);
    lstVersiones->clear();
    cmbComparar->clear();
    for (const historial::Version& v : versiones_) {
        lstVersiones->addItem(lineaDeVersion(v));
        cmbComparar->addItem(lineaDeVersion(v));
    }
    cmbComparar->addItem(QStringLiteral("(ninguna: el artículo entero)"));
    lstVersiones->setCurrentRow(versiones_.empty() ? -1 : 0);
    cmbComparar->setCurrentIndex(versiones_.size() > 1 ? 1 : cmbComparar->count() - 1);
    cmdRestaurar->setEnabled(!versiones_.empty());
    mostrar();
}

QString VentanaHistorialArticulo::texto(int version) const {
    if (version < 0 || version >= static_cast<int>(versiones_.size())) {
        return QString();
    }
    auto h = historial::Historial::abrir(directorio_);
    if (!h) {
        return QString();
    }
    const auto bytes =
        (*h)->leer(versiones_[static_cast<std::size_t>(version)].id, ui::haciaStore(articulo_).value_or(std::string()));
    return bytes && *bytes ? forja::textoDeLineas(store::partirLineas(**bytes)) : QString();
}

void VentanaHistorialArticulo::mostrar() {
    const QString despues = texto(lstVersiones->currentRow());
    const QString antes = texto(cmbComparar->currentIndex());
    pilaVista->setCurrentIndex(optDiferencias->isChecked() ? 0 : 1);
    txtAntes->setPlainText(antes);
    txtDespues->setPlainText(despues);
    txtDiferencias->setHtml(
        comoHtml(historial::diferenciaPorPalabras(antes.toUtf8().toStdString(), despues.toUtf8().toStdString())));
}

void VentanaHistorialArticulo::cmdRestaurar_Click() {
    const int fila = lstVersiones->currentRow();
    if (fila < 0 || fila >= static_cast<int>(versiones_.size())) {
        Dialogos::avisar(this, QStringLiteral("Elija en la lista la versión que quiere restaurar."));
        return;
    }
    const bool abierto = sesion_.articulo() && sesion_.tomo()->articuloActual() == articulo_;
    if (abierto && sesion_.articuloConCambios()) {
        const int respuesta = Dialogos::elegir(
            this,
            QStringLiteral("El artículo «%1» tiene cambios sin guardar en el editor. Si restaura esta versión, esos "
                           "cambios se pierden.")
                .arg(articulo_),
            {QStringLiteral("Restaurar y descartar los cambios"), QStringLiteral("No restaurar")}, 1, 1);
        if (respuesta != 0) {
            return;
        }
    }
    auto h = historial::Historial::abrir(directorio_);
    if (!h) {
        Dialogos::error(this, h.error());
        return;
    }
    const auto hecha = (*h)->restaurar(versiones_[static_cast<std::size_t>(fila)].id,
                                       ui::haciaStore(articulo_).value_or(std::string()),
                                       forja::autorDeLaVersion(this).toUtf8().toStdString());
    if (!hecha) {
        Dialogos::error(this, hecha.error());
        return;
    }
    if (abierto) {
        sesion_.pedirReleerArticulo(articulo_);
    }
    emit sesion_.tomo()->versionRegistrada();
}

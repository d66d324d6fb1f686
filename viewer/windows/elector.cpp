#include "windows/elector.h"

#include "main_window/enciclopedia_actual.h"
#include "main_window/fuentes.h"
#include "main_window/teclado.h"
#include "store/archivo_de_texto.h"
#include "store/enciclopedia.h"
#include "store/registro.h"
#include "store/rutas.h"
#include "ui/dialogos.h"
#include "ui/texto.h"
#include "ui/twips.h"

#include <QCloseEvent>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>

Elector::Elector(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmLibro6"));
    setWindowTitle(QStringLiteral("Seleccionar enciclotomo"));
    instalarSustitucionesDeFuentes();
    setFont(fuente(QStringLiteral("MS Sans Serif"), 8.25));
    ui::tamanoCliente(this, 4680, 2190);

    lstTomos = new QListWidget(this);
    lstTomos->setObjectName(QStringLiteral("lstTomos"));
    lstTomos->setAccessibleName(QStringLiteral("Enciclotomos instaladas"));
    lstTomos->setSelectionMode(QAbstractItemView::SingleSelection);
    ui::colocar(lstTomos, 120, 120, 4455, 1620);

    cmdAceptar = new QPushButton(QStringLiteral("Aceptar"), this);
    cmdAceptar->setObjectName(QStringLiteral("cmdAceptar"));
    cmdAceptar->setAccessibleName(QStringLiteral("Aceptar"));
    ui::colocar(cmdAceptar, 120, 1800, 4455, 375);
    cmdAceptar->setAutoDefault(true); // Enter on the button that has the focus presses it, as Space does

    connect(lstTomos, &QListWidget::itemDoubleClicked, this, [this] { lstTomos_DblClick(); });
    connect(cmdAceptar, &QPushButton::clicked, this, &Elector::cmdAceptar_Click);
    teclado::enterComoDobleClic(lstTomos, [this] { lstTomos_DblClick(); });
    teclado::escapeCierra(this);

    Form_Load();
}

void Elector::Form_Load() {
    const auto tomos = store::enciclopediasRegistradas();
    if (!tomos) {
        // Without a registry the viewer can only be showing an encyclopaedia given on its command line:
        // there is nothing to choose from, and nothing wrong to say.
        if (store::existeRegistro()) {
            ui::Dialogos::error(parentWidget(), tomos.error());
        }
        return;
    }
    QStringList entradas;
    for (const std::string_view linea : *tomos) {
        entradas << ui::desdeStore(linea);
    }
    lstTomos->addItems(entradas);
}

void Elector::lstTomos_DblClick() {
    QListWidgetItem* elegido = lstTomos->currentItem();
    if (!elegido || !elegido->isSelected()) {
        return;
    }
    // The entry came from the store, so it always converts back.
    const std::string directorio = ui::haciaStore(elegido->text()).value_or(std::string());

    // Checked before anything is written: a directory without its list files would leave the viewer
    // pointing at an encyclopaedia it cannot show.
    QStringList faltan;
    for (const std::string_view nombre : {store::kListas, store::kCompleta}) {
        const std::string ruta = store::unir(directorio, nombre);
        if (!store::existeArchivo(ruta)) {
            faltan << ui::desdeStore(ruta);
        }
    }
    if (directorio.empty() || !faltan.isEmpty()) {
        ui::Dialogos::avisar(this, QStringLiteral("No se puede elegir la enciclotomo %1: falta %2. "
                                                  "Se sigue mostrando la enciclotomo actual.")
                                       .arg(elegido->text(), faltan.join(QStringLiteral(" y "))));
        return;
    }
    const store::Estado escrito = store::elegirEnciclopedia(directorio);
    if (!escrito) {
        ui::Dialogos::error(this, escrito.error());
        return;
    }
    olvidarEnciclopediaDeLaSesion(); // the one given on the command line gives way to the reader's choice

    emit enciclopediaElegida(directorio);
    hide();
}

void Elector::cmdAceptar_Click() {
    lstTomos_DblClick();
}

void Elector::closeEvent(QCloseEvent* evento) {
    evento->ignore();
    hide();
}

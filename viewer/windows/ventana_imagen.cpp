#include "windows/ventana_imagen.h"

#include "main_window/caja_imagen.h"
#include "main_window/fuentes.h"
#include "main_window/teclado.h"
#include "ui/twips.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPlainTextEdit>

VentanaImagen::VentanaImagen(QWidget* parent) : QWidget(parent, Qt::Window) {
    instalarSustitucionesDeFuentes();
    setObjectName(QStringLiteral("frmLibro3"));
    setWindowTitle(QStringLiteral("Imagen"));
    setFont(fuente(QStringLiteral("MS Sans Serif"), 8.25));

    pctLlena = new CajaImagen(CajaImagen::Modo::AjustarALaImagen, this);
    pctLlena->setObjectName(QStringLiteral("pctLlena"));
    pctLlena->setAccessibleName(QStringLiteral("Imagen en su tamaño"));
    ui::colocar(pctLlena, 0, 0, 3915, 2655);

    txtEpigrafe = new QPlainTextEdit(this);
    txtEpigrafe->setObjectName(QStringLiteral("txtEpigrafe"));
    txtEpigrafe->setAccessibleName(QStringLiteral("Pie de foto"));
    txtEpigrafe->setReadOnly(true);
    txtEpigrafe->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtEpigrafe->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtEpigrafe->setFont(fuente(QStringLiteral("MS Sans Serif"), 9.75, true));
    txtEpigrafe->setPlainText(QStringLiteral("Epigrafe de Ilustración"));
    ui::colocar(txtEpigrafe, 0, 2640, 3855, 1215);

    mnuPopup = new QMenu(QStringLiteral("Contextual"), this);
    mnuPopup->setObjectName(QStringLiteral("mnuPopup"));
    mnuCopiar = mnuPopup->addAction(QStringLiteral("Copiar imagen"));
    mnuCopiar->setObjectName(QStringLiteral("mnuCopiar"));
    mnuSeparar = mnuPopup->addSeparator();
    mnuSeparar->setObjectName(QStringLiteral("mnuSeparar"));
    mnuCerrar = mnuPopup->addAction(QStringLiteral("Cerrar"));
    mnuCerrar->setObjectName(QStringLiteral("mnuCerrar"));

    ui::tamanoCliente(this, 3915 + 100, 2655 + 1615);

    connect(pctLlena, &CajaImagen::redimensionada, this, &VentanaImagen::pctLlena_Resize);
    connect(pctLlena, &CajaImagen::botonPulsado, this, &VentanaImagen::pctLlena_MouseDown);
    connect(mnuCopiar, &QAction::triggered, this, &VentanaImagen::mnuCopiar_Click);
    connect(mnuCerrar, &QAction::triggered, this, &VentanaImagen::mnuCerrar_Click);
    teclado::escapeCierra(this);
}

void VentanaImagen::pctLlena_Resize() {
    const int ancho = pctLlena->width();
    const int alto = pctLlena->height();
    resize(ancho + ui::pixeles(100), alto + ui::pixeles(1615));
    txtEpigrafe->setGeometry(0, alto, ancho, ui::pixeles(1215));
    mnuCopiar->setEnabled(!pctLlena->imagen().isNull());
}

void VentanaImagen::pctLlena_MouseDown(Qt::MouseButton boton, const QPoint& posicionGlobal) {
    if (boton == Qt::RightButton) {
        mnuPopup->popup(posicionGlobal);
    }
}

void VentanaImagen::mnuCopiar_Click() {
    if (pctLlena->imagen().isNull()) {
        return;
    }
    QGuiApplication::clipboard()->setPixmap(pctLlena->imagen());
}

void VentanaImagen::mnuCerrar_Click() {
    hide();
}

void VentanaImagen::closeEvent(QCloseEvent* e) {
    e->ignore();
    hide();
}

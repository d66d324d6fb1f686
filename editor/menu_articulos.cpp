#include "editor/menu_articulos.h"

#include "editor/estado.h"
#include "editor/lista_marcable.h"
#include "editor/ortografia.h"
#include "editor/sesion.h"
#include "editor/ventana_importar.h"
#include "editor/ventana_importar_zim.h"
#include "store/archivo_de_texto.h"
#include "ui/dialogos.h"
#include "ui/texto.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

MenuArticulos::MenuArticulos(SesionForja& sesion, QWidget* ventana, QMenuBar* barra)
    : QObject(barra), sesion_(sesion), ventana_(ventana) {
    menu = barra->addMenu(QStringLiteral("&Artículos"));
    menu->setObjectName(QStringLiteral("mnuArticulos"));
    mnuImportar = menu->addAction(QStringLiteral("&Importar artículos…"));
    mnuImportar->setObjectName(QStringLiteral("mnuImportar"));
    connect(mnuImportar, &QAction::triggered, this, &MenuArticulos::mnuImportar_Click);
    mnuImportarZim = menu->addAction(QStringLiteral("Importar desde un archivo &ZIM…"));
    mnuImportarZim->setObjectName(QStringLiteral("mnuImportarZim"));
    connect(mnuImportarZim, &QAction::triggered, this, &MenuArticulos::mnuImportarZim_Click);
    menu->addSeparator();
    auto& ortografia = ortografia::Ortografia::compartida();
    mnuOrtografia = menu->addAction(QStringLiteral("Revisar la &ortografía al escribir"));
    mnuOrtografia->setObjectName(QStringLiteral("mnuOrtografia"));
    mnuOrtografia->setCheckable(true);
    mnuOrtografia->setEnabled(ortografia.disponible());
    mnuOrtografia->setChecked(ortografia.activa() && ortografia.disponible());
    connect(mnuOrtografia, &QAction::toggled, &ortografia, &ortografia::Ortografia::activar);
    connect(&ortografia, &ortografia::Ortografia::cambiada, mnuOrtografia,
            [this, &ortografia] { mnuOrtografia->setChecked(ortografia.activa() && ortografia.disponible()); });
}

VentanaImportar* MenuArticulos::ventanaImportar() const {
    return importar_;
}

VentanaImportarZim* MenuArticulos::ventanaImportarZim() const {
    return importarZim_;
}

std::optional<std::string> MenuArticulos::tomoCargado() {
    const QString texto = sesion_.tomo()->directorio();
    if (texto.isEmpty()) {
        ui::Dialogos::avisar(ventana_, QStringLiteral("No hay ninguna enciclotomo cargada: selecciónela en la lista de "
                                                      "enciclotomos y pulse «Cargar Enciclotomo»."));
        return std::nullopt;
    }
    const auto tomo = ui::haciaStore(texto);
    if (!tomo || !store::existeDirectorio(*tomo)) {
        ui::Dialogos::avisar(ventana_, QStringLiteral("El directorio de la enciclotomo «%1» no existe.").arg(texto));
        return std::nullopt;
    }
    return tomo;
}

void MenuArticulos::mnuImportarZim_Click() {
    if (importarZim_) {
        importarZim_->raise();
        importarZim_->activateWindow();
        return;
    }
    const auto tomo = tomoCargado();
    if (!tomo) {
        return;
    }
    const QString texto = sesion_.tomo()->directorio();
    importarZim_ = new VentanaImportarZim(ventana_, *tomo);
    importarZim_->setAttribute(Qt::WA_DeleteOnClose);
    connect(importarZim_, &VentanaImportarZim::importados, ventana_, [this, texto](const QStringList& nombres) {
        if (sesion_.tomo()->directorio() == texto) {
            for (const QString& n : nombres) {
                sesion_.tomo()->articulos()->agregar(n);
            }
        }
    });
    importarZim_->show();
}

void MenuArticulos::mnuImportar_Click() {
    if (importar_) {
        importar_->raise();
        importar_->activateWindow();
        return;
    }
    const auto tomo = tomoCargado();
    if (!tomo) {
        return;
    }
    const QString texto = sesion_.tomo()->directorio();
    importar_ = new VentanaImportar(ventana_, *tomo);
    importar_->setAttribute(Qt::WA_DeleteOnClose);
    // The articles imported join the main window's lists as "Agregar Artículo" adds them.
    connect(importar_, &VentanaImportar::importados, ventana_, [this, texto](const QStringList& nombres) {
        if (sesion_.tomo()->directorio() == texto) {
            for (const QString& n : nombres) {
                sesion_.tomo()->articulos()->agregar(n);
            }
        }
    });
    importar_->show();
}

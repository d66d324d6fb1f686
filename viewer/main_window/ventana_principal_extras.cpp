// The main window's appearance, word look-up and the menu commands that open the secondary windows.

#include "appearance/configuracion.h"
#include "appearance/entorno.h"
#include "appearance/esquema.h"
#include "main_window/al_frente.h"
#include "main_window/modelo_de_titulos.h"
#include "main_window/ventana_principal.h"
#include "store/enciclopedia.h"
#include "ui/dialogos.h"
#include "windows/acerca_de.h"
#include "windows/caja_articulo.h"
#include "windows/consulta_palabra.h"
#include "windows/diccionario.h"
#include "windows/elector.h"
#include "windows/selector.h"
#include "windows/ventana_imagen.h"

void VentanaPrincipal::crearVentanasSecundarias() {
    if (!configuracion_) {
        configuracion_ = new Configuracion(this, ventanaImagen_, this);
        configuracion_->setDirectorio([this] { return directorio(); });
    }
    if (!elector_) {
        elector_ = new Elector(this);
        connect(elector_, &Elector::enciclopediaElegida, this, &VentanaPrincipal::cambiarEnciclopedia);
    }
}

void VentanaPrincipal::cambiarEnciclopedia(const std::string& directorio) {
    selector_->recargarFiltros();
    indice_->setDirectorio(directorio);
    indice_->vaciar();
    Cargar(std::string(store::kNombreCompleta), false);
    DarEntorno();
    selector_->recargar();
    emit enciclopediaCambiada();
}

void VentanaPrincipal::DarEntorno() {
    crearVentanasSecundarias();
    apariencia::DarEntorno(directorio(), {this, selector_, ventanaImagen_, configuracion_, nullptr, elector_},
                           [this] { selector_->ActuaLbl(); });
}

void VentanaPrincipal::Colorear() {
    apariencia::Colorear(this, ventanaImagen_);
}

void VentanaPrincipal::txtArticulo_DblClick() {
    consulta::Acciones acciones;
    acciones.abrir = [this](const std::string& ruta) { Abrir(ruta); }; // ultimo.dat stays as it is
    acciones.mostrarDiccionario = [this](const QString& palabra, const QString& texto) {
        Diccionario::mostrar(this, directorio(), palabra, texto);
    };
    acciones.avisar = [this](const QString& mensaje) { ui::Dialogos::avisar(this, mensaje); };
    consulta::consultarPalabra(txtArticulo->textCursor().selectedText(), directorio(), acciones);
}

void VentanaPrincipal::mnuConfig_Click() {
    crearVentanasSecundarias();
    configuracion_->setWindowModality(Qt::ApplicationModal);
    mostrarAlFrente(configuracion_);
}

void VentanaPrincipal::mnuSeleki_Click() {
    crearVentanasSecundarias();
    mostrarAlFrente(elector_);
}

void VentanaPrincipal::mnuDict_Click() {
    Diccionario::mostrar(this, directorio());
}

void VentanaPrincipal::mnuAbout_Click() {
    acerca::mostrarAcercaDe(this, directorio());
}

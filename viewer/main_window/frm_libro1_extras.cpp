// The main window's appearance, word look-up and the menu commands that open the secondary windows.

#include "appearance/entorno.h"
#include "appearance/esquema.h"
#include "appearance/frm_libro4.h"
#include "main_window/al_frente.h"
#include "main_window/frm_libro1.h"
#include "ui/dialogos.h"
#include "windows/acerca_de.h"
#include "windows/caja_articulo.h"
#include "windows/consulta_palabra.h"
#include "windows/frm_libro2.h"
#include "windows/frm_libro3.h"
#include "windows/frm_libro5.h"
#include "windows/frm_libro6.h"

void frmLibro1::crearVentanasSecundarias() {
    if (!libro4_) {
        libro4_ = new frmLibro4(this, libro3_, this);
        libro4_->setDirectorio([this] { return directorio(); });
    }
    if (!libro6_) {
        libro6_ = new frmLibro6(this);
    }
}

void frmLibro1::DarEntorno() {
    crearVentanasSecundarias();
    apariencia::DarEntorno(directorio(), {this, libro2_, libro3_, libro4_, nullptr, libro6_},
                           [this] { libro2_->ActuaLbl(); });
}

void frmLibro1::Colorear() {
    apariencia::Colorear(this, libro3_);
}

void frmLibro1::txtArticulo_DblClick() {
    consulta::Acciones acciones;
    acciones.abrir = [this](const std::string& ruta) { Abrir(ruta); }; // ultimo.dat stays as it is
    acciones.mostrarDiccionario = [this](const QString& palabra, const QString& texto) {
        frmLibro5::mostrar(this, directorio(), palabra, texto);
    };
    acciones.avisar = [this](const QString& mensaje) { ui::Dialogos::avisar(this, mensaje); };
    consulta::consultarPalabra(txtArticulo->textCursor().selectedText(), directorio(), acciones);
}

void frmLibro1::mnuConfig_Click() {
    crearVentanasSecundarias();
    libro4_->setWindowModality(Qt::ApplicationModal);
    mostrarAlFrente(libro4_);
}

void frmLibro1::mnuSeleki_Click() {
    crearVentanasSecundarias();
    mostrarAlFrente(libro6_);
}

void frmLibro1::mnuDict_Click() {
    frmLibro5::mostrar(this, directorio());
}

void frmLibro1::mnuAbout_Click() {
    acerca::mostrarAcercaDe(this, directorio());
}

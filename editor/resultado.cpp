#include "editor/resultado.h"

#include "ui/dialogos.h"
#include "ui/texto.h"

using ui::Dialogos;

namespace forja {

Resultado& Resultado::avisar(const Resultado& otro) {
    mensajes_.insert(mensajes_.end(), otro.mensajes_.begin(), otro.mensajes_.end());
    return *this;
}

Resultado& Resultado::rechazar(const QString& porque) {
    hecho_ = false;
    return avisar(porque);
}

Resultado& Resultado::fallar(const store::Error& error) {
    hecho_ = false;
    return avisar(error);
}

Resultado& Resultado::cancelar() {
    hecho_ = false;
    return *this;
}

Resultado& Resultado::avisar(const QString& texto) {
    mensajes_.push_back({texto, std::nullopt});
    return *this;
}

Resultado& Resultado::avisar(const store::Error& error) {
    mensajes_.push_back({QString(), error});
    return *this;
}

bool mostrar(QWidget* ventana, const Resultado& resultado) {
    for (const Resultado::Mensaje& m : resultado.mensajes()) {
        if (m.error) {
            Dialogos::error(ventana, *m.error);
        } else {
            Dialogos::avisar(ventana, m.texto);
        }
    }
    return resultado.hecho();
}

std::optional<std::string> aAlmacen(const QString& texto, Resultado& porque) {
    QString malos;
    auto bytes = ui::haciaStore(texto, &malos);
    if (!bytes) {
        porque.rechazar(ui::mensajeNoRepresentable(malos));
    }
    return bytes;
}

std::optional<store::Lineas> lineasAlmacen(const QString& texto, Resultado& porque) {
    QString malos;
    auto lineas = ui::lineasDeTexto(texto, &malos);
    if (!lineas) {
        porque.rechazar(ui::mensajeNoRepresentable(malos));
    }
    return lineas;
}

int AutorEnVentana::elegir(const QString& texto, const QStringList& botones, int porDefecto, int alSalir) {
    return Dialogos::elegir(ventana_, texto, botones, porDefecto, alSalir);
}

bool AutorEnVentana::confirmar(const QString& texto) {
    return Dialogos::preguntar(ventana_, texto, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

QString AutorEnVentana::abrirArchivo(const QString& titulo, const QString& filtros) {
    return Dialogos::abrirArchivo(ventana_, titulo, filtros);
}

} // namespace forja

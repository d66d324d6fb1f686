#include "windows/acerca_de.h"

#include "store/enciclopedia.h"
#include "ui/dialogos.h"
#include "ui/texto.h"

namespace acerca {

QString textoAcercaDe(const std::string& directorio) {
    QString comentario;
    const auto descripcion = store::leerDescripcion(directorio);
    if (descripcion && descripcion->size() >= 2) {
        comentario = ui::desdeStore((*descripcion)[1]);
    }
    return QString::fromUtf16(kCredito) + QStringLiteral("\r\n") + comentario;
}

void mostrarAcercaDe(QWidget* padre, const std::string& directorio) {
    ui::Dialogos::informar(padre, QString::fromUtf16(kTitulo), textoAcercaDe(directorio), QMessageBox::Information);
}

} // namespace acerca

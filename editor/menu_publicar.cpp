#include "editor/menu_publicar.h"

#include "editor/estado.h"
#include "editor/sesion.h"
#include "publish/exportacion.h"
#include "publish/exportacion_aparte.h"
#include "store/archivo_de_texto.h"
#include "ui/dialogos.h"
#include "ui/segundo_plano.h"
#include "ui/texto.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QStandardPaths>

using ui::Dialogos;

namespace {

// At most this many warnings are listed at the end; the rest are counted.
constexpr qsizetype kAvisosMostrados = 15;

QString conMayuscula(QString texto) {
    if (!texto.isEmpty()) {
        texto[0] = texto[0].toUpper();
    }
    return texto;
}

// What a format writes, in a few words: its description up to a colon ("sitio web estático").
QString queEs(const publish::Formato& formato) {
    return formato.descripcion().section(u':', 0, 0).trimmed();
}

// The last component of a stored path ("C:\ENCICLO\SOLAR" gives "SOLAR").
QString ultimoNombre(const QString& ruta) {
    QString limpia = ruta;
    while (limpia.endsWith(u'\\') || limpia.endsWith(u'/')) {
        limpia.chop(1);
    }
    const qsizetype corte = std::max(limpia.lastIndexOf(u'\\'), limpia.lastIndexOf(u'/'));
    const QString nombre = limpia.mid(corte + 1);
    return nombre.isEmpty() || nombre.endsWith(u':') ? QStringLiteral("enciclotomo") : nombre;
}

QString informeDeAvisos(const QStringList& avisos) {
    QString texto;
    for (qsizetype i = 0; i < avisos.size() && i < kAvisosMostrados; ++i) {
        texto += QStringLiteral("\n• ") + avisos[i];
    }
    if (avisos.size() > kAvisosMostrados) {
        texto += QStringLiteral("\n… y %1 avisos más.").arg(avisos.size() - kAvisosMostrados);
    }
    return texto;
}

} // namespace

MenuPublicar::MenuPublicar(SesionForja& sesion, QWidget* ventana, QMenuBar* barra)
    : QObject(ventana), sesion_(sesion), ventana_(ventana) {
    publish::registrarFormatosIncorporados();
    menu = barra->addMenu(QStringLiteral("Publicar"));
    menu->setObjectName(QStringLiteral("mnuPublicar"));
    menu->menuAction()->setObjectName(QStringLiteral("mnuPublicarAccion"));
    const publish::RegistroDeFormatos& registro = publish::RegistroDeFormatos::global();
    for (const QString& nombre : registro.nombres()) {
        const publish::Formato* formato = registro.buscar(nombre);
        QAction* a = menu->addAction(QStringLiteral("%1 (%2)…").arg(conMayuscula(queEs(*formato)), nombre));
        a->setObjectName(QStringLiteral("mnuPublicar_") + nombre);
        a->setData(nombre);
        connect(a, &QAction::triggered, this, [this, nombre] { publicar(nombre); });
    }
}

QAction* MenuPublicar::accion(const QString& nombre) const {
    for (QAction* a : menu->actions()) {
        if (a->data().toString() == nombre) {
            return a;
        }
    }
    return nullptr;
}

void MenuPublicar::publicar(const QString& nombre) {
    const publish::Formato* formato = publish::RegistroDeFormatos::global().buscar(nombre);
    if (!formato) {
        return;
    }
    const QString textoTomo = sesion_.tomo()->directorio();
    if (textoTomo.isEmpty()) {
        Dialogos::avisar(ventana_, QStringLiteral("No hay ninguna enciclotomo cargada que publicar: selecciónela en la "
                                                  "lista de enciclotomos y pulse «Cargar Enciclotomo»."));
        return;
    }
    const std::optional<std::string> tomo = ui::haciaStore(textoTomo);
    if (!tomo || !store::existeDirectorio(*tomo)) {
        Dialogos::avisar(ventana_, QStringLiteral("El directorio de la enciclotomo «%1» no existe.").arg(textoTomo));
        return;
    }

    QString carpeta = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (carpeta.isEmpty() || !QFileInfo(carpeta).isDir()) {
        carpeta = QDir::homePath();
    }
    const QString propuesto = QDir(carpeta).filePath(ultimoNombre(textoTomo) + formato->extension());
    const QString filtro = formato->escribeDirectorio()
                               ? QStringLiteral("Directorios (*)")
                               : QStringLiteral("%1 (*%2)").arg(conMayuscula(queEs(*formato)), formato->extension());
    QString destino = Dialogos::guardarArchivo(
        ventana_, QStringLiteral("Publicar «%1» como %2").arg(textoTomo, queEs(*formato)), filtro, propuesto);
    if (destino.isEmpty()) {
        return;
    }
    if (!formato->extension().isEmpty() && !destino.endsWith(formato->extension(), Qt::CaseInsensitive) &&
        QFileInfo(destino).suffix().isEmpty()) {
        destino += formato->extension();
    }
    destino = QFileInfo(destino).absoluteFilePath();

    bool reemplazar = false;
    if (QFileInfo::exists(destino) || QFileInfo(destino).isSymLink()) {
        const auto respuesta = Dialogos::preguntar(
            ventana_, QStringLiteral("«%1» ya existe. ¿Desea reemplazarlo por lo que se publique ahora?").arg(destino),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (respuesta != QMessageBox::Yes) {
            return;
        }
        reemplazar = true;
    }
    if (const auto motivo = publish::verificarDestino(*tomo, destino, reemplazar)) {
        Dialogos::avisar(ventana_, *motivo);
        return;
    }

    const publish::Encargo encargo{nombre, *tomo, destino, reemplazar};
    publish::Informe informe;
    ui::ejecutarConProgreso(
        ventana_, QStringLiteral("Publicar"), [&](const ui::Avanzar& avanzar, const std::atomic_bool& cancelar) {
            const auto alAvanzar = [&avanzar](const publish::Progreso& p) { avanzar({p.hecho, p.total, p.paso}); };
            informe =
                publish::exportaEnOtroProceso(nombre)
                    ? publish::exportarEnOtroProceso(publish::programaDeExportacion(), encargo, alAvanzar, &cancelar)
                    : publish::exportar(encargo, alAvanzar, &cancelar);
        });

    const QString que = QStringLiteral("«%1» como %2").arg(textoTomo, queEs(*formato));
    switch (informe.fin) {
    case publish::Informe::Fin::Completo:
        Dialogos::informar(ventana_, QStringLiteral("Publicar"),
                           QStringLiteral("Se publicó %1 en «%2»: %3.")
                               .arg(que, destino,
                                    informe.articulos == 1 ? QStringLiteral("un artículo")
                                                           : QStringLiteral("%1 artículos").arg(informe.articulos)));
        break;
    case publish::Informe::Fin::ConAvisos:
        Dialogos::informar(ventana_, QStringLiteral("Publicar"),
                           QStringLiteral("Se publicó %1 en «%2» (%3 artículos), con %4 avisos:%5")
                               .arg(que, destino)
                               .arg(informe.articulos)
                               .arg(informe.avisos.size())
                               .arg(informeDeAvisos(informe.avisos)),
                           QMessageBox::Warning);
        break;
    case publish::Informe::Fin::Cancelado:
        Dialogos::informar(
            ventana_, QStringLiteral("Publicar"),
            QStringLiteral("Se canceló la publicación de %1: no se escribió nada en «%2».").arg(que, destino));
        break;
    case publish::Informe::Fin::Fallido:
        Dialogos::informar(ventana_, QStringLiteral("Publicar"),
                           QStringLiteral("No se pudo publicar %1 en «%2»: %3").arg(que, destino, informe.error),
                           QMessageBox::Critical);
        break;
    }
}

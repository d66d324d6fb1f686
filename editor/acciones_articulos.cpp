#include "editor/acciones_articulos.h"

#include "editor/acciones_tomos.h"
#include "editor/comun.h"
#include "editor/estado.h"
#include "editor/lista_marcable.h"
#include "editor/sesion.h"
#include "editor/versiones.h"
#include "store/article.h"
#include "store/encoding.h"
#include "store/encyclopaedia.h"
#include "store/list_files.h"
#include "store/paths.h"
#include "ui/dialogos.h"
#include "ui/texto.h"

#include <QTextDocument>

#include <vector>

using ui::Dialogos;

namespace forja {

AccionesArticulos::AccionesArticulos(SesionForja& sesion, QWidget* ventana)
    : sesion_(sesion), tomo_(*sesion.tomo()), ventana_(ventana) {}

bool AccionesArticulos::agregarArticulo(const QString& texto) {
    const auto tomo = directorioDelTomo(ventana_, tomo_);
    if (!tomo) {
        return false;
    }
    if (texto.isEmpty()) {
        Dialogos::avisar(ventana_, QStringLiteral("Escriba el nombre del nuevo artículo (NOMBRE.EXT) en «Artículo "
                                                  "(NOMBRE.EXT):»."));
        return false;
    }
    const auto nombre = aAlmacen(ventana_, texto);
    if (!nombre) {
        return false;
    }
    const auto objecion = store::verificarNuevoArticulo(*tomo, *nombre);
    if (!objecion) {
        Dialogos::error(ventana_, objecion.error());
        return false;
    }
    if (*objecion) {
        using Tipo = store::ObjecionANombre::Tipo;
        const QString quien = ui::desdeStore((*objecion)->quien);
        switch ((*objecion)->tipo) {
        case Tipo::NoValido:
            Dialogos::avisar(ventana_,
                             QStringLiteral("«%1» no es un nombre de archivo válido: no puede llevar \\ / : "
                                            "* ? \" < > |, ni ser «.» o «..», ni terminar en espacio o punto.")
                                 .arg(texto));
            break;
        case Tipo::Propio:
            Dialogos::avisar(ventana_, QStringLiteral("«%1» es el nombre de un archivo propio de la enciclotomo; "
                                                      "elija otro nombre para el artículo.")
                                           .arg(texto));
            break;
        case Tipo::EnLaCompleta:
            Dialogos::avisar(ventana_, QStringLiteral("El artículo «%1» ya está en la lista de artículos.").arg(quien));
            break;
        case Tipo::Directorio:
            Dialogos::avisar(ventana_, QStringLiteral("Ya existe un directorio llamado «%1» en %2 (sin distinguir "
                                                      "mayúsculas de minúsculas); elija otro nombre para el artículo.")
                                           .arg(texto, tomo_.directorio()));
            break;
        case Tipo::ArchivoDeLista:
            Dialogos::avisar(ventana_, QStringLiteral("«%1» es el archivo de la lista «%2»; elija otro nombre para "
                                                      "el artículo.")
                                           .arg(texto, quien));
            break;
        }
        return false;
    }
    const std::string ruta = store::unir(*tomo, *nombre);

    // A file that exists but is missing from the complete list is an article that was dropped from it: it may
    // be listed again as it is, which is how a complete list saved too short is repaired.
    const bool existente = store::existeArchivo(ruta);
    if (existente) {
        const int respuesta = Dialogos::elegir(
            ventana_,
            QStringLiteral("Ya existe un archivo llamado «%1» en %2 (sin distinguir mayúsculas de minúsculas), pero "
                           "no está en la lista de artículos. ¿Desea agregarlo a la lista tal como está? Su contenido "
                           "no se modifica.")
                .arg(texto, tomo_.directorio()),
            {QStringLiteral("Agregar el artículo existente"), QStringLiteral("No agregar")}, 1, 1);
        if (respuesta != 0) {
            return false;
        }
    }

    if (const auto estado = existente ? store::Estado{} : store::crearArticuloVacio(ruta); !estado) {
        Dialogos::error(ventana_, estado.error());
        return false;
    }
    if (const auto estado = store::anexarACompleta(*tomo, *nombre); !estado) {
        Dialogos::error(ventana_, estado.error());
        return false;
    }
    tomo_.articulos()->agregar(texto);
    if (const auto estado = store::escribirUltimo(*tomo, *nombre); !estado) {
        Dialogos::error(ventana_, estado.error());
    }
    sesion_.registrarVersion(ventana_, *tomo, {*nombre, std::string(store::kCompleta)},
                             QStringLiteral("Agregado el artículo %1").arg(entreComillas(texto)));
    return true;
}

std::optional<ContenidoLeido> AccionesArticulos::leerArticulo(const QString& texto) {
    const auto tomo = directorioDelTomo(ventana_, tomo_);
    if (!tomo) {
        return std::nullopt;
    }
    const std::string nombre = ui::haciaStore(texto).value_or(std::string());
    if (!store::nombreRelativoSeguro(nombre)) {
        Dialogos::avisar(ventana_, QStringLiteral("«%1» no es un nombre de artículo que se pueda abrir.").arg(texto));
        return std::nullopt;
    }
    const auto articulo = store::leerArticuloParaEditar(store::unir(*tomo, nombre), nombre);
    if (!articulo) {
        Dialogos::error(ventana_, articulo.error());
        return std::nullopt;
    }
    tomo_.ponerArticuloActual(texto);
    ContenidoLeido leido{ui::desdeStore(articulo->titulo), {}, textoDeLineas(articulo->cuerpo)};
    for (const std::string& ilustracion : articulo->ilustraciones) {
        leido.ilustraciones << ui::desdeStore(ilustracion);
    }
    return leido;
}

bool AccionesArticulos::agregarImagen(ArticuloEditado& articulo, const QString& texto) {
    const auto nombre = aAlmacen(ventana_, texto);
    if (!nombre) {
        return false;
    }
    if (nombre->find('.') == std::string::npos) {
        Dialogos::avisar(ventana_, QStringLiteral("El nombre de la imagen debe llevar su extensión, como «mapa.bmp»: "
                                                  "el epígrafe se guarda con el nombre que va antes del punto, y sin "
                                                  "punto no lo hay."));
        return false;
    }
    if (!store::nombreArchivoValido(*nombre)) {
        Dialogos::avisar(ventana_, QStringLiteral("«%1» no es un nombre de archivo válido: no puede llevar \\ / : * "
                                                  "? \" < > |, ni terminar en espacio o punto.")
                                       .arg(texto));
        return false;
    }
    articulo.agregarIlustraciones({texto});
    // The name stands in the article either way; the author is only told that the picture is still to come.
    const QString tomoTexto = tomo_.directorio();
    const auto tomo = ui::haciaStore(tomoTexto);
    if (!tomoTexto.isEmpty() && tomo && !store::existeArchivo(store::unir(store::unir(*tomo, store::kImg), *nombre))) {
        Dialogos::avisar(ventana_, QStringLiteral("Se agregó «%1», pero la imagen todavía no está en el directorio "
                                                  "IMG de la enciclotomo (%2\\IMG): cópiela allí para que el visor "
                                                  "la muestre.")
                                       .arg(texto, tomoTexto));
    }
    return true;
}

std::optional<std::string> AccionesArticulos::rutaEpigrafe(const QString& ilustracion) {
    if (tomo_.directorio().isEmpty()) {
        Dialogos::avisar(ventana_, QStringLiteral("No hay ninguna enciclotomo cargada en la ventana principal."));
        return std::nullopt;
    }
    const auto tomo = aAlmacen(ventana_, tomo_.directorio());
    const auto nombre = aAlmacen(ventana_, ilustracion);
    if (!tomo || !nombre) {
        return std::nullopt;
    }
    auto ruta = store::rutaEpigrafeEditor(*tomo, *nombre);
    if (!ruta) {
        Dialogos::avisar(ventana_, QStringLiteral("La ilustración «%1» no lleva un punto en su nombre: no se puede "
                                                  "formar el nombre de su archivo de epígrafe.")
                                       .arg(ilustracion));
    }
    return ruta;
}

void AccionesArticulos::leerEpigrafe(ArticuloEditado& articulo) {
    const std::optional<QString> seleccionada = articulo.ilustracionSeleccionada();
    articulo.ponerEpigrafe(QString());
    if (!seleccionada) {
        return;
    }
    const auto ruta = rutaEpigrafe(*seleccionada);
    if (!ruta) {
        return;
    }
    const bool existia = store::existeArchivo(*ruta);
    if (const auto estado = store::tocar(*ruta, store::Enlaces::Rechazar); !estado) {
        Dialogos::error(ventana_, estado.error());
        return;
    }
    if (!existia) {
        sesion_.registrarVersion(ventana_, ui::haciaStore(tomo_.directorio()).value_or(std::string()),
                                 {dentroDelTomo(*ruta)},
                                 QStringLiteral("Creado el epígrafe de %1").arg(entreComillas(*seleccionada)));
    }
    const auto lineas = store::leerLineas(*ruta, store::kLimiteEpigrafe);
    if (!lineas) {
        Dialogos::error(ventana_, lineas.error());
        return;
    }
    articulo.ponerEpigrafe(textoDeLineas(*lineas));
}

std::string AccionesArticulos::dentroDelTomo(const std::string& ruta) const {
    const std::string tomo = ui::haciaStore(tomo_.directorio()).value_or(std::string());
    return ruta.size() > tomo.size() + 1 ? ruta.substr(tomo.size() + 1) : ruta;
}

bool AccionesArticulos::guardarEpigrafe(ArticuloEditado& articulo) {
    const std::optional<QString> seleccionada = articulo.ilustracionSeleccionada();
    const auto escrito = escribirEpigrafe(articulo, seleccionada);
    if (escrito) {
        sesion_.registrarVersion(ventana_, ui::haciaStore(tomo_.directorio()).value_or(std::string()), {*escrito},
                                 QStringLiteral("Guardado el epígrafe de %1").arg(entreComillas(*seleccionada)));
    }
    return escrito.has_value();
}

std::optional<std::string> AccionesArticulos::escribirEpigrafe(ArticuloEditado& articulo,
                                                               const std::optional<QString>& seleccionada) {
    if (!seleccionada) {
        return std::nullopt;
    }
    const auto ruta = rutaEpigrafe(*seleccionada);
    if (!ruta) {
        return std::nullopt;
    }
    const auto lineas = lineasAlmacen(ventana_, articulo.epigrafe()->toPlainText());
    if (!lineas) {
        return std::nullopt;
    }
    if (const auto estado = store::escribirLineas(*ruta, *lineas); !estado) {
        Dialogos::error(ventana_, estado.error());
        return std::nullopt;
    }
    articulo.ponerEpigrafe(QString());
    return dentroDelTomo(*ruta);
}

bool AccionesArticulos::guardarArticulo(ArticuloEditado& articulo) {
    const std::optional<QString> seleccionada = articulo.ilustracionSeleccionada();
    const QString tomoTexto = tomo_.directorio();
    const QString articuloTexto = tomo_.articuloActual();
    if (tomoTexto.isEmpty() || articuloTexto.isEmpty()) {
        Dialogos::avisar(ventana_, QStringLiteral("Para guardar el artículo, la ventana principal debe tener cargadas "
                                                  "la enciclotomo y el artículo."));
        return false;
    }
    const auto tomo = aAlmacen(ventana_, tomoTexto);
    const auto nombre = tomo ? aAlmacen(ventana_, articuloTexto) : std::nullopt;
    if (!nombre) {
        return false;
    }
    if (!store::nombreRelativoSeguro(*nombre)) {
        Dialogos::avisar(ventana_, QStringLiteral("«%1» no es un nombre de artículo válido.").arg(articuloTexto));
        return false;
    }
    const auto titulo = aAlmacen(ventana_, articulo.titulo());
    if (!titulo) {
        return false;
    }
    std::vector<std::string> ilustraciones;
    for (const QString& ilustracion : articulo.ilustraciones()) {
        const auto bytes = aAlmacen(ventana_, ilustracion);
        if (!bytes) {
            return false;
        }
        ilustraciones.push_back(*bytes);
    }
    const auto cuerpo = lineasAlmacen(ventana_, articulo.cuerpo()->toPlainText());
    if (!cuerpo) {
        return false;
    }
    std::optional<std::string> epigrafe; // the caption written with the article, by its name in the encyclopaedia
    // Only "Guardar Epígrafe" writes captions unasked. A caption typed and not saved is offered; whether it
    // can be stored or not, the article is saved.
    if (articulo.cambiosEpigrafe() && seleccionada) {
        const int respuesta = Dialogos::elegir(
            ventana_,
            QStringLiteral("El epígrafe de «%1» tiene cambios sin guardar. ¿Desea guardarlo también, junto con "
                           "el artículo?")
                .arg(*seleccionada),
            {QStringLiteral("Guardar también el epígrafe"), QStringLiteral("Guardar sólo el artículo"),
             QStringLiteral("Seguir editando")},
            2, 2);
        if (respuesta == 2) {
            return false;
        }
        if (respuesta == 0) {
            epigrafe = escribirEpigrafe(articulo, seleccionada);
        }
    }
    if (const auto estado = store::escribirArticulo(store::unir(*tomo, *nombre), *titulo, ilustraciones, *cuerpo);
        !estado) {
        Dialogos::error(ventana_, estado.error());
        if (epigrafe) {
            sesion_.registrarVersion(ventana_, *tomo, {*epigrafe},
                                     QStringLiteral("Guardado el epígrafe de %1").arg(entreComillas(*seleccionada)));
        }
        return false;
    }
    articulo.articuloGuardado();
    const QString cual = articulo.titulo().trimmed().isEmpty() ? articuloTexto : articulo.titulo().trimmed();
    std::vector<std::string> tocados{*nombre};
    QString resumen = QStringLiteral("Guardado el artículo %1").arg(entreComillas(cual));
    if (epigrafe) {
        tocados.push_back(*epigrafe);
        resumen += QStringLiteral(" y el epígrafe de %1").arg(entreComillas(*seleccionada));
    }
    sesion_.registrarVersion(ventana_, *tomo, tocados, resumen);
    return true;
}

} // namespace forja

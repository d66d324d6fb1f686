#include "editor/acciones_articulos.h"

#include "editor/acciones_tomos.h"
#include "editor/comun.h"
#include "editor/estado.h"
#include "editor/lista_marcable.h"
#include "editor/resultado.h"
#include "editor/sesion.h"
#include "editor/versiones.h"
#include "store/archivos_de_lista.h"
#include "store/articulo.h"
#include "store/codificacion.h"
#include "store/enciclopedia.h"
#include "store/rutas.h"
#include "ui/texto.h"

#include <QTextDocument>

#include <vector>

namespace forja {

AccionesArticulos::AccionesArticulos(SesionForja& sesion, Autor& autor)
    : sesion_(sesion), tomo_(*sesion.tomo()), autor_(autor) {}

Resultado AccionesArticulos::agregarArticulo(const QString& texto) {
    Resultado r;
    const auto tomo = directorioDelTomo(tomo_, r);
    if (!tomo) {
        return r;
    }
    if (texto.isEmpty()) {
        return r.rechazar(QStringLiteral("Escriba el nombre del nuevo artículo (NOMBRE.EXT) en «Artículo "
                                         "(NOMBRE.EXT):»."));
    }
    const auto nombre = aAlmacen(texto, r);
    if (!nombre) {
        return r;
    }
    const auto objecion = store::verificarNuevoArticulo(*tomo, *nombre);
    if (!objecion) {
        return r.fallar(objecion.error());
    }
    if (*objecion) {
        using Tipo = store::ObjecionANombre::Tipo;
        const QString quien = ui::desdeStore((*objecion)->quien);
        switch ((*objecion)->tipo) {
        case Tipo::NoValido:
            r.rechazar(QStringLiteral("«%1» no es un nombre de archivo válido: no puede llevar \\ / : "
                                      "* ? \" < > |, ni ser «.» o «..», ni terminar en espacio o punto.")
                           .arg(texto));
            break;
        case Tipo::Propio:
            r.rechazar(QStringLiteral("«%1» es el nombre de un archivo propio de la enciclotomo; "
                                      "elija otro nombre para el artículo.")
                           .arg(texto));
            break;
        case Tipo::EnLaCompleta:
            r.rechazar(QStringLiteral("El artículo «%1» ya está en la lista de artículos.").arg(quien));
            break;
        case Tipo::Directorio:
            r.rechazar(QStringLiteral("Ya existe un directorio llamado «%1» en %2 (sin distinguir "
                                      "mayúsculas de minúsculas); elija otro nombre para el artículo.")
                           .arg(texto, tomo_.directorio()));
            break;
        case Tipo::ArchivoDeLista:
            r.rechazar(QStringLiteral("«%1» es el archivo de la lista «%2»; elija otro nombre para "
                                      "el artículo.")
                           .arg(texto, quien));
            break;
        }
        return r;
    }
    const std::string ruta = store::unir(*tomo, *nombre);

    // A file that exists but is missing from the complete list is an article that was dropped from it: it may
    // be listed again as it is, which is how a complete list saved too short is repaired.
    const bool existente = store::existeArchivo(ruta);
    if (existente) {
        const int respuesta = autor_.elegir(

            QStringLiteral("Ya existe un archivo llamado «%1» en %2 (sin distinguir mayúsculas de minúsculas), pero "
                           "no está en la lista de artículos. ¿Desea agregarlo a la lista tal como está? Su contenido "
                           "no se modifica.")
                .arg(texto, tomo_.directorio()),
            {QStringLiteral("Agregar el artículo existente"), QStringLiteral("No agregar")}, 1, 1);
        if (respuesta != 0) {
            return r.cancelar();
        }
    }

    if (const auto estado = existente ? store::Estado{} : store::crearArticuloVacio(ruta); !estado) {
        return r.fallar(estado.error());
    }
    if (const auto estado = store::anexarACompleta(*tomo, *nombre); !estado) {
        return r.fallar(estado.error());
    }
    tomo_.articulos()->agregar(texto);
    if (const auto estado = store::escribirUltimo(*tomo, *nombre); !estado) {
        r.avisar(estado.error());
    }
    sesion_.registrarVersion(autor_.ventana(), *tomo, {*nombre, std::string(store::kCompleta)},
                             QStringLiteral("Agregado el artículo %1").arg(entreComillas(texto)));
    return r;
}

std::optional<ContenidoLeido> AccionesArticulos::leerArticulo(const QString& texto, Resultado& r) {
    const auto tomo = directorioDelTomo(tomo_, r);
    if (!tomo) {
        return std::nullopt;
    }
    const std::string nombre = ui::haciaStore(texto).value_or(std::string());
    if (!store::nombreRelativoSeguro(nombre)) {
        r.rechazar(QStringLiteral("«%1» no es un nombre de artículo que se pueda abrir.").arg(texto));
        return std::nullopt;
    }
    const auto articulo = store::leerArticuloParaEditar(store::unir(*tomo, nombre), nombre);
    if (!articulo) {
        r.fallar(articulo.error());
        return std::nullopt;
    }
    tomo_.ponerArticuloActual(texto);
    ContenidoLeido leido{ui::desdeStore(articulo->titulo), {}, textoDeLineas(articulo->cuerpo)};
    for (const std::string& ilustracion : articulo->ilustraciones) {
        leido.ilustraciones << ui::desdeStore(ilustracion);
    }
    return leido;
}

Resultado AccionesArticulos::agregarImagen(ArticuloEditado& articulo, const QString& texto) {
    Resultado r;
    const auto nombre = aAlmacen(texto, r);
    if (!nombre) {
        return r;
    }
    if (nombre->find('.') == std::string::npos) {
        return r.rechazar(QStringLiteral("El nombre de la imagen debe llevar su extensión, como «mapa.bmp»: "
                                         "el epígrafe se guarda con el nombre que va antes del punto, y sin "
                                         "punto no lo hay."));
    }
    if (!store::nombreArchivoValido(*nombre)) {
        return r.rechazar(QStringLiteral("«%1» no es un nombre de archivo válido: no puede llevar \\ / : * "
                                         "? \" < > |, ni terminar en espacio o punto.")
                              .arg(texto));
    }
    articulo.agregarIlustraciones({texto});
    // The name stands in the article either way; the author is only told that the picture is still to come.
    const QString tomoTexto = tomo_.directorio();
    const auto tomo = ui::haciaStore(tomoTexto);
    if (!tomoTexto.isEmpty() && tomo && !store::existeArchivo(store::unir(store::unir(*tomo, store::kImg), *nombre))) {
        r.avisar(QStringLiteral("Se agregó «%1», pero la imagen todavía no está en el directorio "
                                "IMG de la enciclotomo (%2\\IMG): cópiela allí para que el visor "
                                "la muestre.")
                     .arg(texto, tomoTexto));
    }
    return r;
}

std::optional<std::string> AccionesArticulos::rutaEpigrafe(const QString& ilustracion, Resultado& r) {
    if (tomo_.directorio().isEmpty()) {
        r.rechazar(QStringLiteral("No hay ninguna enciclotomo cargada en la ventana principal."));
        return std::nullopt;
    }
    const auto tomo = aAlmacen(tomo_.directorio(), r);
    const auto nombre = aAlmacen(ilustracion, r);
    if (!tomo || !nombre) {
        return std::nullopt;
    }
    auto ruta = store::rutaEpigrafeEditor(*tomo, *nombre);
    if (!ruta) {
        r.rechazar(QStringLiteral("La ilustración «%1» no lleva un punto en su nombre: no se puede "
                                  "formar el nombre de su archivo de epígrafe.")
                       .arg(ilustracion));
    }
    return ruta;
}

Resultado AccionesArticulos::leerEpigrafe(ArticuloEditado& articulo) {
    Resultado r;
    const std::optional<QString> seleccionada = articulo.ilustracionSeleccionada();
    articulo.ponerEpigrafe(QString());
    if (!seleccionada) {
        return r;
    }
    const auto ruta = rutaEpigrafe(*seleccionada, r);
    if (!ruta) {
        return r;
    }
    const bool existia = store::existeArchivo(*ruta);
    if (const auto estado = store::tocar(*ruta, store::Enlaces::Rechazar); !estado) {
        return r.fallar(estado.error());
    }
    if (!existia) {
        sesion_.registrarVersion(autor_.ventana(), ui::haciaStore(tomo_.directorio()).value_or(std::string()),
                                 {dentroDelTomo(*ruta)},
                                 QStringLiteral("Creado el epígrafe de %1").arg(entreComillas(*seleccionada)));
    }
    const auto lineas = store::leerLineas(*ruta, store::kLimiteEpigrafe);
    if (!lineas) {
        return r.fallar(lineas.error());
    }
    articulo.ponerEpigrafe(textoDeLineas(*lineas));
    return r;
}

std::string AccionesArticulos::dentroDelTomo(const std::string& ruta) const {
    const std::string tomo = ui::haciaStore(tomo_.directorio()).value_or(std::string());
    return ruta.size() > tomo.size() + 1 ? ruta.substr(tomo.size() + 1) : ruta;
}

Resultado AccionesArticulos::guardarEpigrafe(ArticuloEditado& articulo) {
    Resultado r;
    const std::optional<QString> seleccionada = articulo.ilustracionSeleccionada();
    const auto escrito = escribirEpigrafe(articulo, seleccionada, r);
    if (!escrito) {
        return r.hecho() ? r.cancelar() : r;
    }
    sesion_.registrarVersion(autor_.ventana(), ui::haciaStore(tomo_.directorio()).value_or(std::string()), {*escrito},
                             QStringLiteral("Guardado el epígrafe de %1").arg(entreComillas(*seleccionada)));
    return r;
}

std::optional<std::string> AccionesArticulos::escribirEpigrafe(ArticuloEditado& articulo,
                                                               const std::optional<QString>& seleccionada,
                                                               Resultado& r) {
    if (!seleccionada) {
        return std::nullopt;
    }
    const auto ruta = rutaEpigrafe(*seleccionada, r);
    if (!ruta) {
        return std::nullopt;
    }
    const auto lineas = lineasAlmacen(articulo.epigrafe()->toPlainText(), r);
    if (!lineas) {
        return std::nullopt;
    }
    if (const auto estado = store::escribirLineas(*ruta, *lineas); !estado) {
        r.fallar(estado.error());
        return std::nullopt;
    }
    articulo.ponerEpigrafe(QString());
    return dentroDelTomo(*ruta);
}

Resultado AccionesArticulos::guardarArticulo(ArticuloEditado& articulo) {
    Resultado r;
    const std::optional<QString> seleccionada = articulo.ilustracionSeleccionada();
    const QString tomoTexto = tomo_.directorio();
    const QString articuloTexto = tomo_.articuloActual();
    if (tomoTexto.isEmpty() || articuloTexto.isEmpty()) {
        return r.rechazar(QStringLiteral("Para guardar el artículo, la ventana principal debe tener cargadas "
                                         "la enciclotomo y el artículo."));
    }
    const auto tomo = aAlmacen(tomoTexto, r);
    const auto nombre = tomo ? aAlmacen(articuloTexto, r) : std::nullopt;
    if (!nombre) {
        return r;
    }
    if (!store::nombreRelativoSeguro(*nombre)) {
        return r.rechazar(QStringLiteral("«%1» no es un nombre de artículo válido.").arg(articuloTexto));
    }
    const auto titulo = aAlmacen(articulo.titulo(), r);
    if (!titulo) {
        return r;
    }
    std::vector<std::string> ilustraciones;
    for (const QString& ilustracion : articulo.ilustraciones()) {
        const auto bytes = aAlmacen(ilustracion, r);
        if (!bytes) {
            return r;
        }
        ilustraciones.push_back(*bytes);
    }
    const auto cuerpo = lineasAlmacen(articulo.cuerpo()->toPlainText(), r);
    if (!cuerpo) {
        return r;
    }
    std::optional<std::string> epigrafe; // the caption written with the article, by its name in the encyclopaedia
    // Only "Guardar Epígrafe" writes captions unasked. A caption typed and not saved is offered; whether it
    // can be stored or not, the article is saved.
    if (articulo.cambiosEpigrafe() && seleccionada) {
        const int respuesta = autor_.elegir(

            QStringLiteral("El epígrafe de «%1» tiene cambios sin guardar. ¿Desea guardarlo también, junto con "
                           "el artículo?")
                .arg(*seleccionada),
            {QStringLiteral("Guardar también el epígrafe"), QStringLiteral("Guardar sólo el artículo"),
             QStringLiteral("Seguir editando")},
            2, 2);
        if (respuesta == 2) {
            return r.cancelar();
        }
        if (respuesta == 0) {
            // What stopped the caption is told; the article is saved all the same.
            Resultado delEpigrafe;
            epigrafe = escribirEpigrafe(articulo, seleccionada, delEpigrafe);
            r.avisar(delEpigrafe);
        }
    }
    if (const auto estado = store::escribirArticulo(store::unir(*tomo, *nombre), *titulo, ilustraciones, *cuerpo);
        !estado) {
        r.fallar(estado.error());
        if (epigrafe) {
            sesion_.registrarVersion(autor_.ventana(), *tomo, {*epigrafe},
                                     QStringLiteral("Guardado el epígrafe de %1").arg(entreComillas(*seleccionada)));
        }
        return r;
    }
    articulo.articuloGuardado();
    const QString cual = articulo.titulo().trimmed().isEmpty() ? articuloTexto : articulo.titulo().trimmed();
    std::vector<std::string> tocados{*nombre};
    QString resumen = QStringLiteral("Guardado el artículo %1").arg(entreComillas(cual));
    if (epigrafe) {
        tocados.push_back(*epigrafe);
        resumen += QStringLiteral(" y el epígrafe de %1").arg(entreComillas(*seleccionada));
    }
    sesion_.registrarVersion(autor_.ventana(), *tomo, tocados, resumen);
    return r;
}

} // namespace forja

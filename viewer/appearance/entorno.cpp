#include "appearance/entorno.h"

#include "appearance/configuracion.h"
#include "appearance/esquema.h"
#include "store/archivo_de_color.h"
#include "store/articulo.h"
#include "store/enciclopedia.h"
#include "store/rutas.h"
#include "ui/dialogos.h"
#include "ui/texto.h"

#include <QApplication>
#include <QBuffer>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QStringList>
#include <QWidget>

namespace apariencia {

QIcon leerIcono(const std::string& directorio, QString* porque) {
    // The bytes come through the store, which reads only a regular file of sensible size and no symbolic link,
    // and are decoded from memory: the toolkit opening the file itself would wait for ever on a FIFO.
    const std::string ruta = store::unir(directorio, "icono.ico");
    const auto bytes = store::leerImagenDentro(directorio, ruta);
    if (!bytes) {
        if (porque) {
            const store::Causa causa = bytes.error().causa;
            *porque = causa == store::Causa::NoEncontrado || causa == store::Causa::RutaNoEncontrada
                          ? QStringLiteral("No se encuentra el icono %1.").arg(ui::desdeStore(ruta))
                          : ui::mensajeDe(bytes.error());
        }
        return {};
    }
    QByteArray datos = QByteArray::fromRawData(bytes->data(), static_cast<qsizetype>(bytes->size()));
    QBuffer bufer(&datos);
    bufer.open(QIODevice::ReadOnly);
    QImageReader lector(&bufer);
    QIcon icono;
    // An icon file may hold several sizes; every one that reads is kept.
    do {
        const QImage imagen = lector.read();
        if (!imagen.isNull()) {
            icono.addPixmap(QPixmap::fromImage(imagen));
        }
    } while (lector.jumpToNextImage());
    if (icono.isNull() && porque) {
        *porque = QStringLiteral("No se puede leer el icono %1.").arg(ui::desdeStore(ruta));
    }
    return icono;
}

QString DarEntorno(const std::string& directorio, const VentanasVisor& v, const std::function<void()>& actuaLbl) {
    QStringList problemas;

    // 1. Colours: the slots read before a fault are kept, the rest take the built-in scheme.
    if (v.configuracion) {
        const store::LecturaColores lectura = store::leerColores(directorio);
        for (std::size_t i = 0; i < lectura.valores.size(); ++i) {
            v.configuracion->setRanura(static_cast<int>(i), lectura.valores[i]);
        }
        v.configuracion->cmdAceptar_Click();
        if (lectura.leidos < static_cast<int>(lectura.valores.size())) {
            const QString porque = lectura.error ? ui::mensajeDe(*lectura.error)
                                                 : QStringLiteral("El archivo de colores no tiene diez colores.");
            problemas << porque + QStringLiteral(" Los colores que faltan se toman de los colores predeterminados.");
        }
    }

    // 2. The icon on all six windows; the program's own when the file cannot be read.
    QString porqueIcono;
    QIcon icono = leerIcono(directorio, &porqueIcono);
    if (icono.isNull()) {
        icono = QApplication::windowIcon();
        problemas << porqueIcono + QStringLiteral(" Se usa el icono del programa.");
    }
    for (QWidget* w :
         {v.principal, v.selector, v.imagen, static_cast<QWidget*>(v.configuracion), v.diccionario, v.elector}) {
        if (w) {
            w->setWindowIcon(icono);
        }
    }

    // 3. The name: line 1 of the description, empty when the file is empty or cannot be read.
    QString nombre;
    const store::Resultado<store::Lineas> descripcion = store::leerDescripcion(directorio);
    if (!descripcion) {
        problemas << ui::mensajeDe(descripcion.error()) + QStringLiteral(" La enciclotomo queda sin nombre.");
    } else if (!descripcion->empty()) {
        nombre = ui::desdeStore(descripcion->front());
    }
    if (v.principal) {
        v.principal->setWindowTitle(nombre);
        if (auto* etiqueta = qobject_cast<QLabel*>(buscarControl(v.principal, "lblSubtitulo"))) {
            etiqueta->setText(nombre);
            etiqueta->adjustSize();
        }
    }

    // 4. The selector's count line.
    if (actuaLbl) {
        actuaLbl();
    }

    const QString texto = problemas.join(QStringLiteral("\n\n"));
    if (!texto.isEmpty()) {
        ui::Dialogos::avisar(v.principal, texto);
    }
    return texto;
}

} // namespace apariencia

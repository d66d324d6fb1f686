#include "editor/revision.h"

#include "store/archivo_de_texto.h"
#include "store/codificacion.h"
#include "store/rutas.h"
#include "ui/texto.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QThread>

namespace forja {

bool imagenCargable(std::string_view bytes) {
    QByteArray datos = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer bufer(&datos);
    bufer.open(QIODevice::ReadOnly);
    QImageReader lector(&bufer);
    lector.setDecideFormatFromContent(true);
    return !lector.read().isNull();
}

store::OpcionesRevision opcionesDeRevision() {
    store::OpcionesRevision opciones;
    opciones.imagenLegible = imagenCargable;
    opciones.hilos = std::max(1u, std::min(4u, static_cast<unsigned>(QThread::idealThreadCount())));
    return opciones;
}

std::optional<std::string> directorioDeOrden(const QString& ruta, QString* motivo) {
    std::string ajenos;
    auto directorio = store::rutaDeOrden(ruta.toStdString(), &ajenos);
    if (!directorio) {
        *motivo = QStringLiteral("la ruta «%1» tiene caracteres que las enciclotomos no admiten (%2).")
                      .arg(ruta, QString::fromStdString(ajenos));
        return std::nullopt;
    }
    if (!store::existeDirectorio(*directorio)) {
        *motivo = QStringLiteral("no existe el directorio «%1».").arg(ruta);
        return std::nullopt;
    }
    return directorio;
}

int revisarEnConsola(const QString& ruta, std::FILE* salida, std::FILE* errores) {
    QString motivo;
    const auto directorio = directorioDeOrden(ruta, &motivo);
    if (!directorio) {
        std::fputs(QStringLiteral("forja: %1\n").arg(motivo).toLocal8Bit().constData(), errores);
        return 2;
    }
    const auto problemas = store::revisarEnciclopedia(*directorio, opcionesDeRevision());
    if (!problemas) {
        std::fputs(
            QStringLiteral("forja: %1\n").arg(ui::desdeStore(problemas.error().mensaje())).toLocal8Bit().constData(),
            errores);
        return 2;
    }
    for (const store::Problema& p : *problemas) {
        std::fputs((ui::desdeStore(store::describir(p)) + QLatin1Char('\n')).toLocal8Bit().constData(), salida);
    }
    std::fflush(salida);
    return problemas->empty() ? 0 : 1;
}

Revisor::Revisor(QObject* parent) : QObject(parent) {}

Revisor::~Revisor() {
    esperar();
}

void Revisor::cancelar() {
    cancelar_ = true;
}

void Revisor::esperar() {
    if (hilo_) {
        cancelar_ = true;
        hilo_->wait();
        delete hilo_;
        hilo_ = nullptr;
    }
}

void Revisor::empezar(const std::string& directorio) {
    esperar();
    cancelar_ = false;
    problemas_.clear();
    error_.clear();
    hilo_ = QThread::create([this, directorio] {
        store::OpcionesRevision opciones = opcionesDeRevision();
        opciones.cancelar = &cancelar_;
        opciones.progreso = [this](std::size_t hechos, std::size_t total) {
            QMetaObject::invokeMethod(
                this, [this, hechos, total] { emit avance(hechos, total); }, Qt::QueuedConnection);
        };
        auto resultado = store::revisarEnciclopedia(directorio, opciones);
        if (resultado) {
            problemas_ = std::move(*resultado);
        } else {
            error_ = ui::desdeStore(resultado.error().mensaje());
        }
    });
    QThread* hilo = hilo_;
    connect(hilo, &QThread::finished, this, [this, hilo] {
        if (hilo_ != hilo) {
            return; // a check that was replaced by another
        }
        hilo_->wait();
        delete hilo_;
        hilo_ = nullptr;
        emit terminada();
    });
    hilo_->start();
}

} // namespace forja

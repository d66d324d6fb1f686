#include "windows/busqueda_en_texto.h"

#include "ui/texto.h"

#include <QMetaObject>

void ResultadosDeBusqueda::poner(std::vector<search::Acierto> aciertos) {
    beginResetModel();
    aciertos_ = std::move(aciertos);
    endResetModel();
}

int ResultadosDeBusqueda::rowCount(const QModelIndex& padre) const {
    return padre.isValid() ? 0 : static_cast<int>(aciertos_.size());
}

QVariant ResultadosDeBusqueda::data(const QModelIndex& indice, int rol) const {
    if (!indice.isValid() || indice.row() >= rowCount()) {
        return {};
    }
    const search::Acierto& a = acierto(indice.row());
    const QString titulo = QString::fromStdString(a.titulo);
    const QString pasaje = QString::fromStdString(a.pasaje);
    switch (rol) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: {
        QString plano = pasaje;
        plano.remove(QStringLiteral("<b>")).remove(QStringLiteral("</b>"));
        plano.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
            .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
            .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
            .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        return plano.isEmpty() ? titulo : titulo + QStringLiteral(". ") + plano;
    }
    case Html:
        return QStringLiteral("<div><b>%1</b></div><div>%2</div>").arg(titulo.toHtmlEscaped(), pasaje);
    case Nombre:
        return ui::desdeStore(a.nombre);
    default:
        return {};
    }
}

BusquedaEnTexto::BusquedaEnTexto(QObject* padre) : QObject(padre), resultados_(this) {
    busquedas_.setMaxThreadCount(1);
}

BusquedaEnTexto::~BusquedaEnTexto() {
    cancelar_ = true;
    esperar();
    busquedas_.waitForDone();
}

void BusquedaEnTexto::esperar() {
    if (hilo_.joinable()) {
        hilo_.join();
    }
}

void BusquedaEnTexto::abrir(const std::string& directorio) {
    if (directorio != directorio_) {
        cancelar_ = true;
        esperar();
        directorio_ = directorio;
        buscador_ = std::make_shared<search::Buscador>(directorio);
        resultados_.poner({});
        encontrados_ = 0;
        emit resultadosCambiados();
    }
    if (!indexando()) {
        actualizarIndice();
    }
}

void BusquedaEnTexto::actualizarIndice() {
    esperar();
    cancelar_ = false;
    terminado_ = false;
    hilo_ = std::thread([this, directorio = directorio_] {
        const search::Informe informe = search::actualizarIndice(
            directorio,
            [this](std::size_t hechos, std::size_t total) {
                QMetaObject::invokeMethod(
                    this, [this, hechos, total] { emit avance(hechos, total); }, Qt::QueuedConnection);
            },
            &cancelar_);
        QString mensaje = QString::fromStdString(informe.error);
        if (mensaje.isEmpty() && !informe.sinLeer.empty()) {
            mensaje = QStringLiteral("No se pudieron leer %1 artículos, que no se encontrarán: %2")
                          .arg(informe.sinLeer.size())
                          .arg(ui::desdeStore(informe.sinLeer.front()) +
                               (informe.sinLeer.size() > 1 ? QStringLiteral("…") : QString()));
        }
        terminado_ = true;
        QMetaObject::invokeMethod(
            this,
            [this, mensaje, cancelado = informe.cancelado] {
                if (!cancelado) {
                    emit indiceAlDia(mensaje);
                }
                terminarActualizacion();
            },
            Qt::QueuedConnection);
    });
}

void BusquedaEnTexto::terminarActualizacion() {
    if (otraVez_ && terminado_) {
        otraVez_ = false;
        actualizarIndice();
        return;
    }
    // What is found may have grown: search again.
    if (!consulta_.isEmpty()) {
        buscar(consulta_);
    }
}

void BusquedaEnTexto::buscar(const QString& consulta) {
    consulta_ = consulta;
    const quint64 generacion = ++generacion_;
    if (consulta.trimmed().isEmpty() || !buscador_) {
        resultados_.poner({});
        encontrados_ = 0;
        exacto_ = true;
        emit resultadosCambiados();
        return;
    }
    busquedas_.start([this, generacion, buscador = buscador_, texto = consulta.toStdString()] {
        if (generacion != generacion_) {
            return; // a newer search was asked for meanwhile
        }
        auto r = std::make_shared<search::Resultados>(buscador->buscar(texto, kListados));
        QMetaObject::invokeMethod(
            this,
            [this, generacion, r] {
                if (generacion != generacion_) {
                    return;
                }
                if (r->danado && !indexando()) {
                    actualizarIndice(); // rebuilt, never trusted
                } else if (r->danado) {
                    otraVez_ = true;
                }
                encontrados_ = r->encontrados;
                exacto_ = r->exacto;
                resultados_.poner(std::move(r->aciertos));
                emit resultadosCambiados();
            },
            Qt::QueuedConnection);
    });
}

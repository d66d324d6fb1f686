#include "editor/estado.h"

#include "editor/lista_marcable.h"

#include <QPlainTextDocumentLayout>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// A document the editor's multi-line boxes can show.
QTextDocument* documentoDeTexto(QObject* padre) {
    auto* d = new QTextDocument(padre);
    d->setDocumentLayout(new QPlainTextDocumentLayout(d));
    return d;
}

} // namespace

RaizEditada::RaizEditada(QObject* parent) : QObject(parent) {}

void RaizEditada::ponerRuta(const QString& ruta) {
    if (ruta != ruta_) {
        ruta_ = ruta;
        emit rutaCambiada(ruta_);
    }
}

void RaizEditada::ponerTomos(QStringList tomos) {
    tomos_ = std::move(tomos);
    emit tomosPuestos();
}

void RaizEditada::agregarTomo(const QString& tomo) {
    tomos_ << tomo;
    emit tomoAgregado(tomo);
}

TomoEditado::TomoEditado(QObject* parent)
    : QObject(parent), descripcion_(documentoDeTexto(this)), articulos_(new ArticulosMarcables(this)) {
    descripcion_->setPlainText(QStringLiteral("Acerca de . . .\nComentario del autor\n"));
}

int TomoEditado::cuantosArticulos() const {
    return articulos_->rowCount();
}

QString TomoEditado::articulo(int fila) const {
    return articulos_->nombre(fila);
}

void TomoEditado::ponerDirectorio(const QString& directorio) {
    if (directorio != directorio_) {
        directorio_ = directorio;
        emit directorioCambiado(directorio_);
    }
}

void TomoEditado::ponerListas(QStringList listas) {
    listas_ = std::move(listas);
    emit listasPuestas();
}

void TomoEditado::agregarLista(const QString& lista) {
    listas_ << lista;
    emit listaAgregada(lista);
}

void TomoEditado::ponerArticuloActual(const QString& nombre) {
    if (nombre != articuloActual_) {
        articuloActual_ = nombre;
        emit articuloActualCambiado(articuloActual_);
    }
}

void TomoEditado::ponerListaActual(const QString& archivo) {
    if (archivo != listaActual_) {
        listaActual_ = archivo;
        emit listaActualCambiada(listaActual_);
    }
}

void TomoEditado::ponerAvisoHistorial(const QString& aviso) {
    if (aviso != avisoHistorial_) {
        avisoHistorial_ = aviso;
        emit avisoHistorialCambiado(avisoHistorial_);
    }
}

ArticuloEditado::ArticuloEditado(QObject* parent)
    : QObject(parent), cuerpo_(documentoDeTexto(this)), epigrafe_(documentoDeTexto(this)) {
    connect(cuerpo_, &QTextDocument::contentsChanged, this, [this] {
        if (!cargando_) {
            cambiosArticulo_ = true;
        }
    });
    // A caption box the author has emptied holds nothing to save.
    connect(epigrafe_, &QTextDocument::contentsChanged, this, [this] {
        if (!cargando_) {
            cambiosEpigrafe_ = !epigrafe_->isEmpty();
        }
    });
    ponerEpigrafe(QStringLiteral("Epígrafe de ilustración\n"));
}

void ArticuloEditado::ponerTitulo(const QString& titulo) {
    if (titulo != titulo_) {
        titulo_ = titulo;
        if (!cargando_) {
            cambiosArticulo_ = true;
        }
        emit tituloCambiado(titulo_);
    }
}

void ArticuloEditado::agregarIlustraciones(const QStringList& nombres) {
    ilustraciones_ << nombres;
    if (!cargando_) {
        cambiosArticulo_ = true;
    }
    emit ilustracionesAgregadas(nombres);
}

void ArticuloEditado::agregarContenido(const QString& titulo, const QStringList& ilustraciones, const QString& cuerpo) {
    cargando_ = true;
    ponerTitulo(titulo);
    agregarIlustraciones(ilustraciones);
    QTextCursor cursor(cuerpo_);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(cuerpo);
    cargando_ = false;
}

void ArticuloEditado::ponerEpigrafe(const QString& texto) {
    cargando_ = true;
    epigrafe_->setPlainText(texto);
    cargando_ = false;
    cambiosEpigrafe_ = false;
}

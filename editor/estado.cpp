#include "editor/estado.h"

#include "editor/lista_marcable.h"

#include <QPlainTextDocumentLayout>
#include <QStringListModel>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// A document the editor's multi-line boxes can show.
QTextDocument* documentoDeTexto(QObject* padre) {
    auto* d = new QTextDocument(padre);
    d->setDocumentLayout(new QPlainTextDocumentLayout(d));
    return d;
}

// Appends `nombres` to the model, leaving the rows before them (and what a view has selected there) alone.
void anexar(QStringListModel* modelo, const QStringList& nombres) {
    if (nombres.isEmpty()) {
        return;
    }
    const int fila = modelo->rowCount();
    modelo->insertRows(fila, static_cast<int>(nombres.size()));
    for (int i = 0; i < nombres.size(); ++i) {
        modelo->setData(modelo->index(fila + i), nombres[i]);
    }
}

} // namespace

RaizEditada::RaizEditada(QObject* parent) : QObject(parent), tomos_(new QStringListModel(this)) {}

QStringList RaizEditada::tomos() const {
    return tomos_->stringList();
}

QAbstractItemModel* RaizEditada::modeloTomos() const {
    return tomos_;
}

void RaizEditada::ponerRuta(const QString& ruta) {
    if (ruta != ruta_) {
        ruta_ = ruta;
        emit rutaCambiada(ruta_);
    }
}

void RaizEditada::ponerTomos(const QStringList& tomos) {
    tomos_->setStringList(tomos);
}

void RaizEditada::agregarTomo(const QString& tomo) {
    anexar(tomos_, {tomo});
}

TomoEditado::TomoEditado(QObject* parent)
    : QObject(parent), descripcion_(documentoDeTexto(this)), articulos_(new ArticulosMarcables(this)),
      listas_(new QStringListModel(this)) {
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

QStringList TomoEditado::listas() const {
    return listas_->stringList();
}

QAbstractItemModel* TomoEditado::modeloListas() const {
    return listas_;
}

void TomoEditado::ponerListas(const QStringList& listas) {
    listas_->setStringList(listas);
}

void TomoEditado::agregarLista(const QString& lista) {
    anexar(listas_, {lista});
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
    : QObject(parent), ilustraciones_(new QStringListModel(this)), cuerpo_(documentoDeTexto(this)),
      epigrafe_(documentoDeTexto(this)) {
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

QStringList ArticuloEditado::ilustraciones() const {
    return ilustraciones_->stringList();
}

QAbstractItemModel* ArticuloEditado::modeloIlustraciones() const {
    return ilustraciones_;
}

std::optional<QString> ArticuloEditado::ilustracionSeleccionada() const {
    if (seleccionada_ < 0) {
        return std::nullopt;
    }
    return ilustraciones_->index(seleccionada_).data().toString();
}

void ArticuloEditado::seleccionar(int fila) {
    if (fila < 0 || fila >= ilustraciones_->rowCount()) {
        fila = -1;
    }
    if (fila != seleccionada_) {
        seleccionada_ = fila;
        emit seleccionCambiada(seleccionada_);
    }
}

void ArticuloEditado::agregarIlustraciones(const QStringList& nombres) {
    anexar(ilustraciones_, nombres);
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

#include "editor/sesion.h"

#include "editor/estado.h"
#include "editor/versiones.h"

SesionForja::SesionForja(QObject* parent)
    : QObject(parent), raiz_(new RaizEditada(this)), tomo_(new TomoEditado(this)) {}

SesionForja::~SesionForja() = default;

ArticuloEditado* SesionForja::empezarArticulo() {
    if (!articulo_) {
        articulo_ = new ArticuloEditado(this);
    }
    return articulo_;
}

void SesionForja::terminarArticulo() {
    delete articulo_;
    articulo_ = nullptr;
}

bool SesionForja::articuloConCambios() const {
    return articulo_ && articulo_->hayCambios();
}

bool SesionForja::registrarVersion(QWidget* ventana, const std::string& directorio,
                                   const std::vector<std::string>& nombres, const QString& resumen) {
    return forja::registrarVersion(ventana, tomo_, directorio, nombres, resumen);
}

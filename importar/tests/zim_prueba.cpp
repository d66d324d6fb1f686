#include "importar/tests/zim_prueba.h"

#include <zim/writer/creator.h>
#include <zim/writer/item.h>

namespace prueba {

void escribirZim(const std::string& archivo, const ArchivoZim& zim) {
    zim::writer::Creator creador;
    creador.configIndexing(zim.indice, "spa");
    creador.configNbWorkers(1);
    creador.startZimCreation(archivo);
    for (const EntradaZim& e : zim.entradas) {
        const bool articulo = e.tipo.rfind("text/html", 0) == 0;
        creador.addItem(zim::writer::StringItem::create(
            e.ruta, e.tipo, e.titulo, zim::writer::Hints{{zim::writer::HintKeys::FRONT_ARTICLE, articulo ? 1u : 0u}},
            e.bytes));
    }
    for (const RedireccionZim& r : zim.redirecciones) {
        creador.addRedirection(r.ruta, r.titulo, r.destino, {{zim::writer::HintKeys::FRONT_ARTICLE, 1u}});
    }
    for (const auto& [nombre, valor] : zim.metadatos) {
        creador.addMetadata(nombre, valor);
    }
    if (!zim.entradas.empty()) {
        creador.setMainPath(zim.entradas.front().ruta);
    }
    creador.finishZimCreation();
}

} // namespace prueba

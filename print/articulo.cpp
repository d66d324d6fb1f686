#include "print/articulo.h"

#include "print/documento.h"
#include "print/imagenes.h"
#include "print/paginas.h"
#include "render/render.h"
#include "store/archivo_de_texto.h"
#include "store/limites.h"

#include <QTextDocument>

namespace print {

ArticuloImpreso imprimirArticulo(QPagedPaintDevice& destino, const std::string& directorio, const std::string& ruta,
                                 const QString& enciclopedia, const std::function<void(const QString&)>& titular,
                                 const std::function<void(int, int)>& avanzar, const std::atomic_bool* cancelar) {
    ArticuloImpreso fin;
    ImagenesImpresas imagenes(directorio);
    render::Opciones opciones;
    opciones.hojaDeEstilo = kHojaDeImpresionUrl;
    opciones.enciclopedia = enciclopedia.toStdString();
    opciones.costado = false; // a picture behind the text has no place on paper
    opciones.esquema = false; // nor links to the figures below
    opciones.imagen = imagenes.direcciones();

    // An article of the encyclopaedia is read by its name inside it; one from elsewhere by its path.
    render::Pagina pagina;
    const std::string prefijo = directorio + '\\';
    if (!directorio.empty() && ruta.size() > prefijo.size() && ruta.compare(0, prefijo.size(), prefijo) == 0) {
        auto leida = render::renderizarArticulo(directorio, ruta.substr(prefijo.size()), opciones);
        if (!leida) {
            fin.lectura = leida.error();
            return fin;
        }
        pagina = std::move(*leida);
    } else {
        const auto bytes = store::leerBytes(ruta, store::kLimiteArticulo);
        if (!bytes) {
            fin.lectura = bytes.error();
            return fin;
        }
        pagina = render::renderizarBytes(directorio, ruta, *bytes, opciones);
    }
    if (titular) {
        titular(QString::fromStdString(pagina.titulo));
    }

    const std::unique_ptr<QTextDocument> documento = documentoDePagina(pagina.xhtml, imagenes.imagenes());
    Paginas paginas(destino);
    if (!paginas.activo()) {
        fin.error = QStringLiteral("No se pudo empezar a imprimir.");
        return fin;
    }
    paginas.preparar(*documento);
    ajustarImagenes(*documento, paginas.area().width());
    const int total = Paginas::paginasDe(*documento);
    int pagina_ = 0;
    const bool completo = paginas.pintar(*documento, [&] {
        if (cancelar && cancelar->load()) {
            return false;
        }
        if (avanzar) {
            avanzar(++pagina_, total);
        }
        return true;
    });
    fin.paginas = pagina_;
    if (!paginas.terminar()) {
        fin.error = QStringLiteral("No se pudo terminar de imprimir.");
        return fin;
    }
    fin.cancelado = !completo;
    fin.hecho = completo;
    return fin;
}

} // namespace print

#include "search/documento.h"

#include "search/plegado.h"

namespace search {

namespace {
constexpr Xapian::termpos kSaltoTrasTitulo = 100;
}

Xapian::Document documento(const std::string& nombre, const std::string& firma, std::string_view titulo,
                           std::string_view cuerpo, Formas& formas) {
    Xapian::Document doc;
    doc.set_data(std::string(titulo));
    doc.add_value(kValorNombre, nombre);
    doc.add_value(kValorFirma, firma);

    Xapian::termpos posicion = 0;
    auto agregar = [&](std::string_view plegada, bool enTitulo) {
        const std::vector<std::string>& raices = formas.raices(plegada);
        doc.add_posting(raices.front(), ++posicion);
        if (raices.size() > 1) {
            doc.add_term(raices.back());
        }
        for (const std::string& raiz : raices) {
            if (enTitulo) {
                std::string termino(kPrefijoTitulo);
                termino += std::string_view(raiz).substr(kPrefijoRaiz.size());
                doc.add_term(termino);
            }
        }
    };
    recorrerPalabras(titulo, [&](std::string_view plegada, std::size_t, std::size_t) { agregar(plegada, true); });
    posicion += kSaltoTrasTitulo;
    recorrerPalabras(cuerpo, [&](std::string_view plegada, std::size_t, std::size_t) { agregar(plegada, false); });
    return doc;
}

} // namespace search

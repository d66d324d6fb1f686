#include "publish/exportacion.h"
#include "publish/formato_html.h"

namespace publish {

void registrarFormatosIncorporados() {
    auto& registro = RegistroDeFormatos::global();
    registro.agregar(std::make_unique<FormatoHtml>());
}

} // namespace publish

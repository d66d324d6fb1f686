#include "publish/exportacion.h"
#include "publish/formato_epub.h"
#include "publish/formato_html.h"
#include "publish/formato_pdf.h"
#include "publish/formato_zim.h"

namespace publish {

void registrarFormatosIncorporados() {
    auto& registro = RegistroDeFormatos::global();
    registro.agregar(std::make_unique<FormatoHtml>());
    registro.agregar(std::make_unique<FormatoEpub>());
    registro.agregar(std::make_unique<FormatoZim>());
    registro.agregar(std::make_unique<FormatoPdf>());
}

} // namespace publish

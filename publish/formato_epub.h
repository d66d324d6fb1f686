#pragma once

#include "publish/exportacion.h"

namespace publish {

// An EPUB 3 book: the title and the author's comment from DESCRIP.DAT, language "es", a title page, a table of
// contents in the order of the complete list, one XHTML page per article with its pictures inside.
class FormatoEpub : public Formato {
public:
    QString nombre() const override;
    QString descripcion() const override;
    QString extension() const override;
    bool escribeDirectorio() const override;
    bool escribir(Trabajo& trabajo, QString* error) override;
};

} // namespace publish

#pragma once

#include "publish/exportacion.h"

namespace publish {

// The whole encyclopaedia as one PDF book on A4: a title page from DESCRIP.DAT (its title and the author's
// comment), a table of contents with the first page of every article, then every article of the complete list
// in its order, each starting on a new page, as the renderer makes its page; every page but the title page
// numbered. An article listed twice is printed once and listed twice in the contents. Needs a graphical
// application object (fonts), which may stand on the offscreen platform.
class FormatoPdf : public Formato {
public:
    QString nombre() const override { return QStringLiteral("pdf"); }
    QString descripcion() const override { return QStringLiteral("libro en PDF"); }
    QString extension() const override { return QStringLiteral(".pdf"); }
    bool escribeDirectorio() const override { return false; }
    bool escribir(Trabajo& trabajo, QString* error) override;
};

} // namespace publish

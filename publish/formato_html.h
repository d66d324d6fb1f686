#pragma once

#include "publish/exportacion.h"

namespace publish {

// A static web site in a directory: index.html with every title in list order and an offline title filter, one
// page per article, per named list and for the dictionary, the pictures and one style sheet.
class FormatoHtml : public Formato {
public:
    QString nombre() const override;
    QString descripcion() const override;
    QString extension() const override;
    bool escribeDirectorio() const override;
    bool escribir(Trabajo& trabajo, QString* error) override;
};

class Escritor;

// The site's files written through `escritor` (a directory on disk, or the entries of a ZIM file), its base
// existing already.
bool escribirSitio(Trabajo& trabajo, Escritor& escritor, QString* error);

} // namespace publish

#pragma once

#include "publish/exportacion.h"

namespace publish {

// A ZIM file for the offline readers (Kiwix and the like, phones included): the same pages as the web site,
// with the title index as the main page, every article in the reader's title index and full-text index
// (language "spa"), and a 48 x 48 illustration made from the encyclopaedia's icon.
class FormatoZim : public Formato {
public:
    QString nombre() const override;
    QString descripcion() const override;
    QString extension() const override;
    bool escribeDirectorio() const override;
    bool escribir(Trabajo& trabajo, QString* error) override;
};

} // namespace publish

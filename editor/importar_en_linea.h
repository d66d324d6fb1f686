#pragma once

// "forja --importar ORIGEN RUTA": imports the texts of ORIGEN into the encyclopaedia RUTA without any window,
// telling on the standard output what it creates and what it cannot keep, then what it imported. Exit status 0
// when every text was imported, 1 when something failed or there was nothing to import. A binary file is refused
// before anything is written. `opciones`: names and values in turn, as ui::Orden::opciones holds them.

#include <QString>
#include <QStringList>

#include <optional>
#include <string>

namespace forja {

int importarSinVentanas(const QString& origen, const QString& ruta, const QStringList& opciones = {});

} // namespace forja

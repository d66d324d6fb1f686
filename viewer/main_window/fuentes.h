#pragma once

#include <QFont>
#include <QString>

// The windows are designed in fonts of another platform. These map them to installed fonts of close
// metrics: Arial and MS Sans Serif to Liberation Sans, Lucida Console to DejaVu Sans Mono.
void instalarSustitucionesDeFuentes();

// A font of the given family and point size (fractional sizes as designed, e.g. 9.75).
QFont fuente(const QString& familia, double puntos, bool negrita = false);

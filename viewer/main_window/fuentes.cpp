#include "main_window/fuentes.h"

#include <QStringList>

void instalarSustitucionesDeFuentes() {
    static bool hecho = false;
    if (hecho) {
        return;
    }
    hecho = true;
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Lucida Console"),
                               QStringList{QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono")});
}

QFont fuente(const QString& familia, double puntos, bool negrita) {
    QFont f(familia);
    f.setPointSizeF(puntos);
    f.setBold(negrita);
    return f;
}

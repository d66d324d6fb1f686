#include "editor/menu_revisar.h"

#include "editor/taller.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace forja {

QMenu* agregarMenuEnciclotomo(Taller* taller, QMenuBar* barra) {
    QMenu* menu = barra->addMenu(QStringLiteral("&Enciclotomo"));
    menu->setObjectName(QStringLiteral("mnuEnciclotomo"));
    QAction* revisar = menu->addAction(QStringLiteral("&Revisar la enciclotomo…"));
    revisar->setObjectName(QStringLiteral("mnuRevisar"));
    revisar->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    QObject::connect(revisar, &QAction::triggered, taller, &Taller::revisarEnciclotomo);
    QAction* historial = menu->addAction(QStringLiteral("&Historial de la enciclotomo…"));
    historial->setObjectName(QStringLiteral("mnuHistorialTomo"));
    QObject::connect(historial, &QAction::triggered, taller, &Taller::abrirHistorialTomo);
    QAction* sincronizar = menu->addAction(QStringLiteral("&Sincronizar…"));
    sincronizar->setObjectName(QStringLiteral("mnuSincronizar"));
    QObject::connect(sincronizar, &QAction::triggered, taller, &Taller::abrirSincronizar);
    QAction* copiar = menu->addAction(QStringLiteral("&Copiar sin historial…"));
    copiar->setObjectName(QStringLiteral("mnuCopiarSinHistorial"));
    QObject::connect(copiar, &QAction::triggered, taller, &Taller::copiarSinHistorial);
    return menu;
}

} // namespace forja

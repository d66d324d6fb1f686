#pragma once

// The menu "Artículos" of the editor's menu bar: "Importar artículos…", which opens the import window on the
// encyclopaedia loaded in the main window, and the switch of the spelling of the article editor.

#include <QObject>
#include <QPointer>

class QAction;
class QMenu;
class QMenuBar;
class Taller;
class VentanaImportar;

class MenuArticulos : public QObject {
    Q_OBJECT
public:
    MenuArticulos(Taller* taller, QMenuBar* barra);

    void mnuImportar_Click();

    QMenu* menu;
    QAction* mnuImportar;
    QAction* mnuOrtografia;

    // The import window while it is open, or null.
    VentanaImportar* ventanaImportar() const;

private:
    Taller* taller_;
    QPointer<VentanaImportar> importar_;
};

#pragma once

// The menu "Artículos" of the editor's menu bar: "Importar artículos…", which opens the import window on the
// encyclopaedia loaded in the main window, and the switch of the spelling of the article editor.

#include <QObject>
#include <QPointer>

#include <optional>
#include <string>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;
class SesionForja;
class VentanaImportar;
class VentanaImportarZim;

class MenuArticulos : public QObject {
    Q_OBJECT
public:
    // Its windows are on `sesion`, with `ventana` (the main window) as their parent.
    MenuArticulos(SesionForja& sesion, QWidget* ventana, QMenuBar* barra);

    void mnuImportar_Click();
    void mnuImportarZim_Click();

    QMenu* menu;
    QAction* mnuImportar;
    QAction* mnuImportarZim;
    QAction* mnuOrtografia;

    // The import window while it is open, or null.
    VentanaImportar* ventanaImportar() const;
    VentanaImportarZim* ventanaImportarZim() const;

private:
    // The encyclopaedia loaded in the main window, as the store spells it, or nothing (and the author is told).
    std::optional<std::string> tomoCargado();
    SesionForja& sesion_;
    QWidget* ventana_;
    QPointer<VentanaImportar> importar_;
    QPointer<VentanaImportarZim> importarZim_;
};

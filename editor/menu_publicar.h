#pragma once

// The editor's menu "Publicar": the encyclopaedia loaded in the main window exported to each format the
// program knows (a web site, an e-book, a ZIM file, a PDF). Each entry asks for the destination, asks before
// replacing one that exists, writes it on a thread of its own with a progress bar and a working "Cancelar"
// (a cancelled export leaves nothing behind), and tells at the end what was written and what was missing.

#include <QObject>
#include <QString>

#include <functional>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;
class SesionForja;

class MenuPublicar : public QObject {
    Q_OBJECT
public:
    // Adds the menu at the end of `barra`, one entry per known format.
    MenuPublicar(SesionForja& sesion, QWidget* ventana, QMenuBar* barra);

    QMenu* menu = nullptr; // "mnuPublicar"
    // The entry of the format `nombre` ("html", "epub", "zim", "pdf"), or null.
    QAction* accion(const QString& nombre) const;

    // Exports the loaded encyclopaedia to the format `nombre`, as its entry does.
    void publicar(const QString& nombre);

private:
    SesionForja& sesion_;
    QWidget* ventana_;
};

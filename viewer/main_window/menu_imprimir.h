#pragma once

// "Imprimir…" (Ctrl+P) and "Exportar a PDF…" in the main window's menu "Enciclotomo": the article shown, as
// the renderer makes its page (title, body, every illustration with its picture, title and caption), on A4
// pages with margins and page numbers; the article's title is the document's title. The pages are made on a
// thread of their own with a progress bar and "Cancelar"; a PDF cancelled or failed leaves no file behind.

#include <QObject>

#include <functional>
#include <string>

class ArticuloMostrado;
class QAction;
class QMainWindow;
class QMenu;
class QPrinter;
class QWidget;

class MenuImprimir : public QObject {
    Q_OBJECT
public:
    // Adds both entries to `menu` (the menu "Enciclotomo") before `antesDe` (the separator above "Salir");
    // what they print is the article of `mostrado`.
    MenuImprimir(QMainWindow* ventana, ArticuloMostrado& mostrado, QMenu* menu, QAction* antesDe);

    // The article shown (full stored path), or none (empty).
    void ponerArticulo(const std::string& ruta) { ruta_ = ruta; }

    QAction* mnuImprimir = nullptr;
    QAction* mnuExportarPdf = nullptr;

    void imprimir();
    void exportarPdf();

    // The platform's print dialog, shown with the printer prepared (A4, margins, the article's title); true
    // prints. Tests put a function of their own here, since no dialog can be answered offscreen.
    using DialogoDeImpresion = std::function<bool(QPrinter& impresora, QWidget* padre)>;
    static void usarDialogoDeImpresion(DialogoDeImpresion dialogo);

private:
    // True when an article is shown; otherwise says so.
    bool hayArticulo();

    QMainWindow* ventana_;
    ArticuloMostrado& mostrado_;
    std::string ruta_; // the stored path of the article shown
};

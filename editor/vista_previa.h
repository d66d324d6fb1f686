#pragma once

// "Vista previa" (F5) of the article editor: the article as the reader will see it (title, body assembled as the
// viewer assembles it, outline, illustrations with their titles and captions, side picture, in the
// encyclopaedia's colours), drawn by the publishing renderer from what the editor holds, saved or not. It follows
// the text as it is typed: a short pause after the last change, then the page is made on a thread of its own and
// shown when ready, so typing never waits for it. Of a very long body only the beginning is shown, which is what
// a page drawn at once can hold; the window says so.

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

class ArticuloEditado;
class QLabel;
class QTextBrowser;
class QTextDocument;
class QThread;

class VistaPrevia : public QWidget {
    Q_OBJECT

public:
    // `tomo` and `nombre` give the encyclopaedia directory and the article's name as they stand when asked.
    VistaPrevia(QWidget* padre, ArticuloEditado* articulo, std::function<QString()> tomo,
                std::function<QString()> nombre);
    ~VistaPrevia() override;

    // Makes the page again now instead of after the pause.
    void actualizar();
    // True while a page is being made or a change waits for its pause.
    bool ocupada() const { return hilo_ != nullptr || pausa_.isActive() || otraVez_; }

    // The page shown (XHTML), as the renderer made it.
    const QString& pagina() const { return pagina_; }

    QLabel* lblAviso; // shown when the body is too long to be shown whole
    QTextBrowser* txtVista;

signals:
    // A new page is shown.
    void actualizada();

private:
    void mostrar(QTextDocument* documento, const QString& titulo, const QString& pagina);

    ArticuloEditado* articulo_;
    std::function<QString()> tomo_;
    std::function<QString()> nombre_;
    QTimer pausa_;
    QThread* hilo_ = nullptr;
    bool otraVez_ = false; // the article changed while a page was being made
    QString pagina_;
};

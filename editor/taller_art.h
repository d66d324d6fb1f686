#pragma once

// The article editor: title, illustrations with their captions, and body of one article, shown from the
// session's article being edited (editor/sesion.h), which the window begins and lets go of when it closes. It
// keeps no file names of its own: each time it reads or writes, it takes the encyclopaedia and the article from
// the encyclopaedia being edited as they stand then. One instance at most; it is destroyed when closed.

#include "editor/acciones_articulos.h"
#include "editor/resultado.h"

#include <QPointer>
#include <QWidget>

#include <array>

class ArticuloEditado;
class QLabel;
class QLineEdit;
class QListView;
class QPlainTextEdit;
class QPushButton;
class SesionForja;
class VistaPrevia;
class QAction;
namespace ortografia {
class Subrayado;
}

class TallerArt : public QWidget {
    Q_OBJECT

public:
    TallerArt(SesionForja& sesion, QWidget* parent);
    ~TallerArt() override;

    // What the window shows.
    ArticuloEditado* articulo() const { return articulo_; }

    // Adds what "Cargar Artículo" read: replaces the title, appends the illustrations and the body (its lines, each
    // followed by a line break). Does not count as a change of the author's.
    void agregarContenido(const QString& titulo, const QStringList& ilustraciones, const QString& cuerpo);

    // True when the title, body, illustration list or caption box was changed by the author since the
    // window was filled or last saved.
    bool hayCambios() const;

    // Writes the article file (and a pending caption of the selected illustration). False, after telling
    // the author why, when nothing could be written; the window then keeps its content.
    bool guardar();
    // Closes without asking, whatever it holds.
    void cerrarSinPreguntar();

    void cmdImgAdd_Click();
    void lstImagenes_Click();
    void cmdSaveSub_Click();
    void cmdSaveArt_Click();
    void cmdCancelar_Click();
    // "Vista previa" (F5): the article as the reader will see it, following what is typed.
    void mnuVistaPrevia_Click();
    VistaPrevia* vistaPrevia() const;
    // "Historial del artículo…" (Ctrl+H): the versions of this article.
    void mnuHistorial_Click();

    QLabel* lblTitulo;
    QLineEdit* txtTitulo;
    QLabel* lblTomos;
    QLineEdit* txtImgNew;
    QPushButton* cmdImgAdd;
    QListView* lstImagenes; // a view over the article's illustrations, its selection the article's
    QPlainTextEdit* txtSub;
    QPushButton* cmdSaveSub;
    std::array<QLabel*, 1> lblRaiz; // a control array of one, as in the main window
    QLabel* Label1;
    QPlainTextEdit* txtArtText;
    QPushButton* cmdSaveArt;
    QPushButton* cmdCancelar;

    QAction* mnuVistaPrevia = nullptr;
    QAction* mnuHistorial = nullptr;

    // The spelling of the title, body and caption boxes.
    ortografia::Subrayado* ortografiaTitulo = nullptr;
    ortografia::Subrayado* ortografiaCuerpo = nullptr;
    ortografia::Subrayado* ortografiaEpigrafe = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    void construir();
    void conectar();
    // The row the list has selected (its current entry, when also selected), or -1.
    int filaDeLaLista() const;

    // The boxes give back the article's documents and the session drops it; once only.
    void soltarArticulo();

    SesionForja& sesion_;
    ArticuloEditado* articulo_ = nullptr;
    // The actions ask the author through this window's dialogs; the window tells what they return.
    forja::AutorEnVentana autor_;
    forja::AccionesArticulos acciones_;
    bool sinPreguntar_ = false;
    QPointer<VistaPrevia> vista_;
    // The illustration that was selected when the mouse was last pressed on the list, or -1.
    int filaAlPulsar_ = -1;
};

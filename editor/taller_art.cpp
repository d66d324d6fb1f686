#include "editor/taller_art.h"

#include "editor/comun.h"
#include "editor/estado.h"
#include "editor/ortografia.h"
#include "editor/sesion.h"
#include "editor/subrayado.h"
#include "editor/vista_previa.h"
#include "ui/anclas.h"
#include "ui/dialogos.h"
#include "ui/texto.h"
#include "ui/twips.h"

#include <QCloseEvent>
#include <QEvent>
#include <QFont>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>

using forja::boton;
using forja::control;
using forja::etiqueta;
using ui::Dialogos;

namespace {

// "Courier New" has a metric twin in Liberation Mono.
QFont monoespaciada(double puntos) {
    QFont f(QStringLiteral("Liberation Mono"));
    f.setStyleHint(QFont::Monospace);
    f.setPointSizeF(puntos);
    return f;
}

} // namespace

TallerArt::TallerArt(SesionForja& sesion, QWidget* parent)
    : QWidget(parent, Qt::Window), sesion_(sesion), autor_(this), acciones_(sesion, autor_) {
    setAttribute(Qt::WA_DeleteOnClose);
    construir();
    conectar();
    auto& o = ortografia::Ortografia::compartida();
    ortografiaTitulo = new ortografia::SubrayadoLinea(txtTitulo, o);
    ortografiaCuerpo = new ortografia::SubrayadoTexto(txtArtText, o, true);
    ortografiaEpigrafe = new ortografia::SubrayadoTexto(txtSub, o, false);
    // F5 from any control of the window, and in the context menu of its boxes.
    mnuVistaPrevia = new QAction(QStringLiteral("Vista previa"), this);
    mnuVistaPrevia->setObjectName(QStringLiteral("mnuVistaPrevia"));
    mnuVistaPrevia->setShortcut(QKeySequence(Qt::Key_F5));
    mnuVistaPrevia->setShortcutContext(Qt::WindowShortcut);
    addAction(mnuVistaPrevia);
    connect(mnuVistaPrevia, &QAction::triggered, this, &TallerArt::mnuVistaPrevia_Click);
    mnuHistorial = new QAction(QStringLiteral("Historial del artículo…"), this);
    mnuHistorial->setObjectName(QStringLiteral("mnuHistorial"));
    mnuHistorial->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    mnuHistorial->setShortcutContext(Qt::WindowShortcut);
    addAction(mnuHistorial);
    connect(mnuHistorial, &QAction::triggered, this, &TallerArt::mnuHistorial_Click);
    for (ortografia::Subrayado* s : {ortografiaTitulo, ortografiaCuerpo, ortografiaEpigrafe}) {
        s->agregarAccion(mnuVistaPrevia);
        s->agregarAccion(mnuHistorial);
    }
}

void TallerArt::mnuHistorial_Click() {
    sesion_.pedirHistorialArticulo();
}

VistaPrevia* TallerArt::vistaPrevia() const {
    return vista_;
}

void TallerArt::mnuVistaPrevia_Click() {
    if (!vista_) {
        vista_ = new VistaPrevia(
            this, articulo_, [this] { return sesion_.tomo()->directorio(); },
            [this] { return sesion_.tomo()->articuloActual(); });
        vista_->setAttribute(Qt::WA_DeleteOnClose);
    }
    vista_->show();
    vista_->raise();
    vista_->activateWindow();
}

TallerArt::~TallerArt() {
    soltarArticulo();
}

void TallerArt::soltarArticulo() {
    if (!articulo_) {
        return;
    }
    // The boxes let go of the body and the caption before the session drops the article they belong to.
    txtArtText->setDocument(nullptr);
    txtSub->setDocument(nullptr);
    if (vista_) {
        vista_->close();
        delete vista_;
    }
    articulo_ = nullptr;
    sesion_.terminarArticulo();
}

bool TallerArt::hayCambios() const {
    return articulo_ && articulo_->hayCambios();
}

void TallerArt::construir() {
    setObjectName(QStringLiteral("TallerArt"));
    setWindowTitle(QStringLiteral("Edición de Artículo"));
    setFont(forja::fuenteDeVentana());
    ui::tamanoCliente(this, 11910, 8625);

    lblTitulo = etiqueta(this, QStringLiteral("lblTitulo"), QStringLiteral("Título del artículo:"));
    ui::colocar(lblTitulo, 120, 120, 3015, 195);
    txtTitulo = control<QLineEdit>(this, QStringLiteral("txtTitulo"), QStringLiteral("Título del artículo"));
    ui::colocar(txtTitulo, 120, 360, 3015, 285);
    lblTitulo->setBuddy(txtTitulo);
    lblTomos = etiqueta(this, QStringLiteral("lblTomos"), QStringLiteral("Imagen (nombre.ext):"));
    ui::colocar(lblTomos, 120, 840, 3015, 195);
    txtImgNew =
        control<QLineEdit>(this, QStringLiteral("txtImgNew"), QStringLiteral("Nombre de la imagen que agregar"));
    ui::colocar(txtImgNew, 120, 1080, 3015, 285);
    lblTomos->setBuddy(txtImgNew);
    cmdImgAdd = boton(this, QStringLiteral("cmdImgAdd"), QStringLiteral("Agregar Imagen"));
    ui::colocar(cmdImgAdd, 120, 1440, 3015, 375);
    lstImagenes = control<QListView>(this, QStringLiteral("lstImagenes"), QStringLiteral("Ilustraciones del artículo"));
    lstImagenes->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui::colocar(lstImagenes, 120, 1920, 3015, 3765);
    txtSub = control<QPlainTextEdit>(this, QStringLiteral("txtSub"), QStringLiteral("Epígrafe de la ilustración"));
    txtSub->setFont(monoespaciada(8.25));
    txtSub->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtSub->setTabChangesFocus(true); // Tab goes on to the next control, as from every other box
    txtSub->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui::colocar(txtSub, 120, 5760, 3015, 1335);
    cmdSaveSub = boton(this, QStringLiteral("cmdSaveSub"), QStringLiteral("Guardar Epígrafe"));
    ui::colocar(cmdSaveSub, 120, 7200, 3015, 375);
    lblRaiz[0] = etiqueta(this, QStringLiteral("lblRaiz(0)"),
                          QStringLiteral("Las imágenes deben estar ubicadas en el directorio de la enciclotomo "
                                         "correspondiente, dentro del subdirectorio IMG"),
                          true);
    ui::colocar(lblRaiz[0], 120, 7680, 3015, 855);
    Label1 = etiqueta(this, QStringLiteral("Label1"), QStringLiteral("Artículo:"));
    ui::colocar(Label1, 3240, 120, 600, 195);
    txtArtText = control<QPlainTextEdit>(this, QStringLiteral("txtArtText"), QStringLiteral("Texto del artículo"));
    txtArtText->setFont(monoespaciada(9.75));
    txtArtText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtArtText->setTabChangesFocus(true);
    txtArtText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui::colocar(txtArtText, 3240, 360, 8535, 7575);
    cmdSaveArt = boton(this, QStringLiteral("cmdSaveArt"), QStringLiteral("Guardar Artículo"));
    cmdSaveArt->setFont(forja::fuenteNegrita(8.25));
    ui::colocar(cmdSaveArt, 3240, 8040, 4695, 495);
    cmdCancelar = boton(this, QStringLiteral("cmdCancelar"), QStringLiteral("Cancelar"));
    cmdCancelar->setFont(forja::fuenteNegrita(8.25));
    ui::colocar(cmdCancelar, 7920, 8040, 3855, 495);
    forja::ajustarEtiquetas(this);

    // The boxes show the session's article being edited.
    articulo_ = sesion_.empezarArticulo();
    for (QPlainTextEdit* caja : {txtSub, txtArtText}) {
        const QFont fuente = caja->font();
        caja->setDocument(caja == txtSub ? articulo_->epigrafe() : articulo_->cuerpo());
        caja->document()->setDefaultFont(fuente);
    }
    lstImagenes->setModel(articulo_->modeloIlustraciones());

    // A larger window gives its room to the article body; its two buttons stay beneath it.
    using ui::Borde;
    ui::anclar(txtArtText, Borde::Izquierdo | Borde::Superior | Borde::Derecho | Borde::Inferior);
    ui::anclar(cmdSaveArt, Borde::Izquierdo | Borde::Inferior);
    ui::anclar(cmdCancelar, Borde::Derecho | Borde::Inferior);
    ui::recordarGeometria(this);
}

void TallerArt::conectar() {
    connect(cmdImgAdd, &QPushButton::clicked, this, &TallerArt::cmdImgAdd_Click);
    connect(cmdSaveSub, &QPushButton::clicked, this, &TallerArt::cmdSaveSub_Click);
    connect(cmdSaveArt, &QPushButton::clicked, this, &TallerArt::cmdSaveArt_Click);
    connect(cmdCancelar, &QPushButton::clicked, this, &TallerArt::cmdCancelar_Click);
    // Escape does what "Cancelar" does, from any control of the window.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &TallerArt::cmdCancelar_Click);
    // The list's click is its change of selection, by mouse or keyboard, and also a click on the entry that
    // is already selected, which shows its caption again (after "Guardar Epígrafe" has cleared the box);
    // text typed into the caption box and not yet saved is not thrown away by such a click.
    // The list's selection is the article's, both ways: what the author picks is what the caption actions
    // read and write.
    QItemSelectionModel* seleccion = lstImagenes->selectionModel();
    connect(seleccion, &QItemSelectionModel::currentChanged, this, [this] { articulo_->seleccionar(filaDeLaLista()); });
    connect(seleccion, &QItemSelectionModel::selectionChanged, this, [this] {
        articulo_->seleccionar(filaDeLaLista());
        lstImagenes_Click();
    });
    connect(articulo_, &ArticuloEditado::seleccionCambiada, lstImagenes, [this](int fila) {
        if (fila != filaDeLaLista()) {
            if (fila < 0) {
                lstImagenes->selectionModel()->clearSelection();
            } else {
                lstImagenes->setCurrentIndex(lstImagenes->model()->index(fila, 0));
            }
        }
    });
    lstImagenes->viewport()->installEventFilter(this);
    connect(lstImagenes, &QListView::clicked, this, [this](const QModelIndex& entrada) {
        if (filaAlPulsar_ >= 0 && entrada.row() == filaAlPulsar_ && filaDeLaLista() == entrada.row() &&
            !articulo_->cambiosEpigrafe()) {
            lstImagenes_Click();
        }
    });
    connect(txtTitulo, &QLineEdit::textChanged, articulo_, &ArticuloEditado::ponerTitulo);
    connect(articulo_, &ArticuloEditado::tituloCambiado, txtTitulo, [this](const QString& titulo) {
        if (txtTitulo->text() != titulo) {
            txtTitulo->setText(titulo);
        }
    });
}

bool TallerArt::eventFilter(QObject* objeto, QEvent* evento) {
    if (evento->type() == QEvent::MouseButtonPress && objeto == lstImagenes->viewport()) {
        filaAlPulsar_ = filaDeLaLista();
    }
    return QWidget::eventFilter(objeto, evento);
}

void TallerArt::agregarContenido(const QString& titulo, const QStringList& ilustraciones, const QString& cuerpo) {
    // The encyclopaedia's own dictionary words count as well spelled.
    if (const auto tomo = ui::haciaStore(sesion_.tomo()->directorio()); tomo && !tomo->empty()) {
        ortografia::Ortografia::compartida().ponerTomo(*tomo);
    }
    articulo_->agregarContenido(titulo, ilustraciones, cuerpo);
}

int TallerArt::filaDeLaLista() const {
    const QModelIndex actual = lstImagenes->currentIndex();
    return actual.isValid() && lstImagenes->selectionModel()->isSelected(actual) ? actual.row() : -1;
}

void TallerArt::cmdImgAdd_Click() {
    forja::mostrar(this, acciones_.agregarImagen(*articulo_, txtImgNew->text()));
}

void TallerArt::lstImagenes_Click() {
    forja::mostrar(this, acciones_.leerEpigrafe(*articulo_));
}

void TallerArt::cmdSaveSub_Click() {
    if (!articulo_->ilustracionSeleccionada()) {
        Dialogos::avisar(this, QStringLiteral("No hay ninguna ilustración seleccionada: elija en la lista la "
                                              "ilustración cuyo epígrafe quiere guardar."));
        return;
    }
    forja::mostrar(this, acciones_.guardarEpigrafe(*articulo_));
}

bool TallerArt::guardar() {
    return articulo_ && forja::mostrar(this, acciones_.guardarArticulo(*articulo_));
}

void TallerArt::cmdSaveArt_Click() {
    if (guardar()) {
        cerrarSinPreguntar();
    }
}

void TallerArt::cmdCancelar_Click() {
    close();
}

void TallerArt::cerrarSinPreguntar() {
    sinPreguntar_ = true;
    close();
}

void TallerArt::closeEvent(QCloseEvent* event) {
    if (!sinPreguntar_ && hayCambios()) {
        // The default keeps the window and its content: Enter never writes nor throws away anything.
        const int respuesta = Dialogos::elegir(
            this, QStringLiteral("El artículo «%1» tiene cambios sin guardar.").arg(sesion_.tomo()->articuloActual()),
            {QStringLiteral("Guardar"), QStringLiteral("Descartar"), QStringLiteral("Seguir editando")}, 2, 2);
        if (respuesta == 2 || (respuesta == 0 && !guardar())) {
            sinPreguntar_ = false;
            event->ignore();
            return;
        }
    }
    event->accept();
    soltarArticulo();
}

#include "editor/taller_art.h"

#include "editor/comun.h"
#include "editor/ortografia.h"
#include "editor/subrayado.h"
#include "editor/taller.h"
#include "store/article.h"
#include "store/encyclopaedia.h"
#include "store/paths.h"
#include "ui/anclas.h"
#include "ui/dialogos.h"
#include "ui/texto.h"
#include "ui/twips.h"

#include <QCloseEvent>
#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
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

TallerArt::TallerArt(Taller* taller) : QWidget(taller, Qt::Window), taller_(taller) {
    setAttribute(Qt::WA_DeleteOnClose);
    construir();
    conectar();
    auto& o = ortografia::Ortografia::compartida();
    ortografiaTitulo = new ortografia::SubrayadoLinea(txtTitulo, o);
    ortografiaCuerpo = new ortografia::SubrayadoTexto(txtArtText, o, true);
    ortografiaEpigrafe = new ortografia::SubrayadoTexto(txtSub, o, false);
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
    lstImagenes =
        control<QListWidget>(this, QStringLiteral("lstImagenes"), QStringLiteral("Ilustraciones del artículo"));
    ui::colocar(lstImagenes, 120, 1920, 3015, 3765);
    txtSub = control<QPlainTextEdit>(this, QStringLiteral("txtSub"), QStringLiteral("Epígrafe de la ilustración"));
    txtSub->setFont(monoespaciada(8.25));
    txtSub->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtSub->setTabChangesFocus(true); // Tab goes on to the next control, as from every other box
    txtSub->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ponerEpigrafe(QStringLiteral("Epígrafe de ilustración\n"));
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
    connect(lstImagenes, &QListWidget::itemSelectionChanged, this, &TallerArt::lstImagenes_Click);
    lstImagenes->viewport()->installEventFilter(this);
    connect(lstImagenes, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (filaAlPulsar_ >= 0 && lstImagenes->row(item) == filaAlPulsar_ && item->isSelected() && !cambiosEpigrafe_) {
            lstImagenes_Click();
        }
    });
    connect(txtTitulo, &QLineEdit::textChanged, this, [this] {
        if (!cargando_) {
            cambiosArticulo_ = true;
        }
    });
    connect(txtArtText, &QPlainTextEdit::textChanged, this, [this] {
        if (!cargando_) {
            cambiosArticulo_ = true;
        }
    });
    // A caption box the author has emptied holds nothing to save.
    connect(txtSub, &QPlainTextEdit::textChanged, this, [this] {
        if (!cargando_) {
            cambiosEpigrafe_ = !txtSub->document()->isEmpty();
        }
    });
}

bool TallerArt::eventFilter(QObject* objeto, QEvent* evento) {
    if (evento->type() == QEvent::MouseButtonPress && objeto == lstImagenes->viewport()) {
        const auto* item = lstImagenes->currentItem();
        filaAlPulsar_ = item && item->isSelected() ? lstImagenes->row(item) : -1;
    }
    return QWidget::eventFilter(objeto, evento);
}

void TallerArt::agregarContenido(const QString& titulo, const QStringList& ilustraciones, const QString& cuerpo) {
    // The encyclopaedia's own dictionary words count as well spelled.
    if (const auto tomo = ui::haciaStore(taller_->txtTomo->text()); tomo && !tomo->empty()) {
        ortografia::Ortografia::compartida().ponerTomo(*tomo);
    }
    cargando_ = true;
    txtTitulo->setText(titulo);
    lstImagenes->addItems(ilustraciones);
    QTextCursor cursor(txtArtText->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(cuerpo);
    cargando_ = false;
}

void TallerArt::ponerEpigrafe(const QString& texto) {
    cargando_ = true;
    txtSub->setPlainText(texto);
    cargando_ = false;
    cambiosEpigrafe_ = false;
}

std::optional<std::string> TallerArt::epigrafeSeleccionado() {
    const auto* item = lstImagenes->currentItem();
    if (!item || !item->isSelected()) {
        return std::nullopt;
    }
    if (taller_->txtTomo->text().isEmpty()) {
        Dialogos::avisar(this, QStringLiteral("No hay ninguna enciclotomo cargada en la ventana principal."));
        return std::nullopt;
    }
    const auto tomo = forja::aAlmacen(this, taller_->txtTomo->text());
    const auto nombre = forja::aAlmacen(this, item->text());
    if (!tomo || !nombre) {
        return std::nullopt;
    }
    auto ruta = store::rutaEpigrafeEditor(*tomo, *nombre);
    if (!ruta) {
        Dialogos::avisar(this, QStringLiteral("La ilustración «%1» no lleva un punto en su nombre: no se puede formar "
                                              "el nombre de su archivo de epígrafe.")
                                   .arg(item->text()));
    }
    return ruta;
}

void TallerArt::cmdImgAdd_Click() {
    const QString texto = txtImgNew->text();
    const auto nombre = forja::aAlmacen(this, texto);
    if (!nombre) {
        return;
    }
    if (nombre->find('.') == std::string::npos) {
        Dialogos::avisar(this, QStringLiteral("El nombre de la imagen debe llevar su extensión, como «mapa.bmp»: "
                                              "el epígrafe se guarda con el nombre que va antes del punto, y sin "
                                              "punto no lo hay."));
        return;
    }
    if (!store::nombreArchivoValido(*nombre)) {
        Dialogos::avisar(this, QStringLiteral("«%1» no es un nombre de archivo válido: no puede llevar \\ / : * ? \" "
                                              "< > |, ni terminar en espacio o punto.")
                                   .arg(texto));
        return;
    }
    lstImagenes->addItem(texto);
    cambiosArticulo_ = true;
    // The name stands in the article either way; the author is only told that the picture is still to come.
    const QString tomoTexto = taller_->txtTomo->text();
    const auto tomo = ui::haciaStore(tomoTexto);
    if (!tomoTexto.isEmpty() && tomo && !store::existeArchivo(store::unir(store::unir(*tomo, store::kImg), *nombre))) {
        Dialogos::avisar(this, QStringLiteral("Se agregó «%1», pero la imagen todavía no está en el directorio IMG de "
                                              "la enciclotomo (%2\\IMG): cópiela allí para que el visor la muestre.")
                                   .arg(texto, tomoTexto));
    }
}

void TallerArt::lstImagenes_Click() {
    ponerEpigrafe(QString());
    const auto ruta = epigrafeSeleccionado();
    if (!ruta) {
        return;
    }
    if (const auto estado = store::tocar(*ruta, store::Enlaces::Rechazar); !estado) {
        Dialogos::error(this, estado.error());
        return;
    }
    const auto lineas = store::leerLineas(*ruta, store::kLimiteEpigrafe);
    if (!lineas) {
        Dialogos::error(this, lineas.error());
        return;
    }
    ponerEpigrafe(forja::textoDeLineas(*lineas));
}

bool TallerArt::guardarEpigrafe() {
    const auto ruta = epigrafeSeleccionado();
    if (!ruta) {
        return false;
    }
    const auto lineas = forja::lineasAlmacen(this, txtSub->toPlainText());
    if (!lineas) {
        return false;
    }
    if (const auto estado = store::escribirLineas(*ruta, *lineas); !estado) {
        Dialogos::error(this, estado.error());
        return false;
    }
    ponerEpigrafe(QString());
    return true;
}

void TallerArt::cmdSaveSub_Click() {
    const auto* item = lstImagenes->currentItem();
    if (!item || !item->isSelected()) {
        Dialogos::avisar(this, QStringLiteral("No hay ninguna ilustración seleccionada: elija en la lista la "
                                              "ilustración cuyo epígrafe quiere guardar."));
        return;
    }
    guardarEpigrafe();
}

bool TallerArt::guardar() {
    const QString tomoTexto = taller_->txtTomo->text();
    const QString articuloTexto = taller_->txtArticulo->text();
    if (tomoTexto.isEmpty() || articuloTexto.isEmpty()) {
        Dialogos::avisar(this, QStringLiteral("Para guardar el artículo, la ventana principal debe tener cargadas la "
                                              "enciclotomo y el artículo."));
        return false;
    }
    const auto tomo = forja::aAlmacen(this, tomoTexto);
    const auto articulo = tomo ? forja::aAlmacen(this, articuloTexto) : std::nullopt;
    if (!articulo) {
        return false;
    }
    if (!store::nombreRelativoSeguro(*articulo)) {
        Dialogos::avisar(this, QStringLiteral("«%1» no es un nombre de artículo válido.").arg(articuloTexto));
        return false;
    }
    const auto titulo = forja::aAlmacen(this, txtTitulo->text());
    if (!titulo) {
        return false;
    }
    std::vector<std::string> ilustraciones;
    for (int i = 0; i < lstImagenes->count(); ++i) {
        const auto nombre = forja::aAlmacen(this, lstImagenes->item(i)->text());
        if (!nombre) {
            return false;
        }
        ilustraciones.push_back(*nombre);
    }
    const auto cuerpo = forja::lineasAlmacen(this, txtArtText->toPlainText());
    if (!cuerpo) {
        return false;
    }
    // Only "Guardar Epígrafe" writes captions unasked. A caption typed and not saved is offered; whether it
    // can be stored or not, the article is saved.
    if (const auto* item = lstImagenes->currentItem(); cambiosEpigrafe_ && item && item->isSelected()) {
        const int respuesta = Dialogos::elegir(
            this,
            QStringLiteral("El epígrafe de «%1» tiene cambios sin guardar. ¿Desea guardarlo también, junto con "
                           "el artículo?")
                .arg(item->text()),
            {QStringLiteral("Guardar también el epígrafe"), QStringLiteral("Guardar sólo el artículo"),
             QStringLiteral("Seguir editando")},
            2, 2);
        if (respuesta == 2) {
            return false;
        }
        if (respuesta == 0) {
            guardarEpigrafe();
        }
    }
    if (const auto estado = store::escribirArticulo(store::unir(*tomo, *articulo), *titulo, ilustraciones, *cuerpo);
        !estado) {
        Dialogos::error(this, estado.error());
        return false;
    }
    cambiosArticulo_ = false;
    return true;
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
            this, QStringLiteral("El artículo «%1» tiene cambios sin guardar.").arg(taller_->txtArticulo->text()),
            {QStringLiteral("Guardar"), QStringLiteral("Descartar"), QStringLiteral("Seguir editando")}, 2, 2);
        if (respuesta == 2 || (respuesta == 0 && !guardar())) {
            sinPreguntar_ = false;
            event->ignore();
            return;
        }
    }
    event->accept();
}

#include "editor/taller.h"

#include "editor/lista_marcable.h"

#include "editor/comun.h"
#include "editor/estado.h"
#include "editor/sesion.h"
#include "editor/taller_art.h"
#include "editor/ventana_historial_articulo.h"
#include "editor/ventana_historial_tomo.h"
#include "editor/ventana_revision.h"
#include "editor/ventana_sincronizar.h"
#include "historial/historial.h"
#include "ui/anclas.h"
#include "ui/aplicacion.h"
#include "ui/dialogos.h"
#include "ui/twips.h"

#include <QCloseEvent>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

using forja::boton;
using forja::control;
using forja::etiqueta;
using ui::Dialogos;

namespace {

QGroupBox* marco(QWidget* padre, const QString& nombre, const QString& titulo) {
    auto* g = control<QGroupBox>(padre, nombre, titulo);
    g->setTitle(titulo);
    return g;
}

// The text of the selected entry of a view, or nothing: the current entry, when it is also selected.
std::optional<QString> seleccionada(const QAbstractItemView* lista) {
    const QModelIndex actual = lista->currentIndex();
    if (!actual.isValid() || !lista->selectionModel()->isSelected(actual)) {
        return std::nullopt;
    }
    return actual.data(Qt::DisplayRole).toString();
}

// A text box showing a text of the editor's state and giving back what the author types into it.
template <class Estado>
void enlazar(QLineEdit* caja, Estado* estado, const QString& (Estado::*leer)() const,
             void (Estado::*poner)(const QString&), void (Estado::*cambiado)(const QString&)) {
    caja->setText((estado->*leer)());
    QObject::connect(caja, &QLineEdit::textChanged, estado, poner);
    QObject::connect(estado, cambiado, caja, [caja](const QString& texto) {
        if (caja->text() != texto) {
            caja->setText(texto);
        }
    });
}

} // namespace

Taller::Taller(SesionForja& sesion, QWidget* parent)
    : QWidget(parent), sesion_(sesion), raiz_(sesion.raiz()), tomo_(sesion.tomo()), autor_(this),
      accionesRaiz_(*raiz_, autor_), accionesTomos_(sesion, autor_), accionesArticulos_(sesion, autor_),
      accionesListas_(sesion, autor_) {
    construir();
    mostrarEstado();
    conectar();
    // What the other windows ask of each other.
    connect(&sesion_, &SesionForja::articuloPedido, this, &Taller::abrirArticulo);
    connect(&sesion_, &SesionForja::listaPedida, this, &Taller::abrirLista);
    connect(&sesion_, &SesionForja::releerArticuloPedido, this, &Taller::volverALeerArticulo);
    connect(&sesion_, &SesionForja::recargaPedida, this, &Taller::recargarTomo);
    connect(&sesion_, &SesionForja::historialArticuloPedido, this, &Taller::abrirHistorialArticulo);
}

Taller::~Taller() {
    // The description box lets go of the description, which goes with the state before the box goes.
    txtMsg->setDocument(nullptr);
}

TallerArt* Taller::tallerArt() const {
    return art_;
}

void Taller::construir() {
    setObjectName(QStringLiteral("Taller"));
    setWindowTitle(QStringLiteral("Generador de Enciclotomos"));
    setFont(forja::fuenteDeVentana());
    ui::tamanoCliente(this, 11910, 8625);
    // It may grow, never shrink; which controls take the extra room is said in crecer().
    ui::fijarTamanoDeDiseno(this, size());
    ui::recordarGeometria(this);

    fraRaiz = marco(this, QStringLiteral("fraRaiz"), QStringLiteral("Raíz"));
    ui::colocar(fraRaiz, 120, 120, 4935, 2415);
    lblRaiz[0] = etiqueta(fraRaiz, QStringLiteral("lblRaiz(0)"),
                          QStringLiteral("Crea el directorio C:\\LUMBRE, y la raíz de las enciclotomos."), true);
    ui::colocar(lblRaiz[0], 240, 360, 4575, 375);
    lblRaiz[1] = etiqueta(fraRaiz, QStringLiteral("lblRaiz(1)"), QStringLiteral("Raíz (U:\\RUTA):"));
    ui::colocar(lblRaiz[1], 240, 960, 1335, 255);
    txtRaiz = control<QLineEdit>(fraRaiz, QStringLiteral("txtRaiz"), QStringLiteral("Ruta de la raíz"));
    ui::colocar(txtRaiz, 240, 1200, 4575, 285);
    lblRaiz[1]->setBuddy(txtRaiz);
    cmdCrearRaiz = boton(fraRaiz, QStringLiteral("cmdCrearRaiz"),
                         QStringLiteral("Crear Directorio de Raíz [sólo la primera vez]"));
    ui::colocar(cmdCrearRaiz, 240, 1560, 4575, 375);
    cmdCargarRaiz = boton(fraRaiz, QStringLiteral("cmdCargarRaiz"),
                          QStringLiteral("Cargar Directorio Existente [veces restantes]"));
    ui::colocar(cmdCargarRaiz, 240, 1920, 4575, 375);

    fraTomos = marco(this, QStringLiteral("fraTomos"), QStringLiteral("Enciclotomos"));
    ui::colocar(fraTomos, 5160, 120, 6495, 2415);
    lblTomos = etiqueta(fraTomos, QStringLiteral("lblTomos"), QStringLiteral("Lista de Enciclotomos:"));
    ui::colocar(lblTomos, 120, 360, 1635, 195);
    lstTomos = control<QListView>(fraTomos, QStringLiteral("lstTomos"), QStringLiteral("Lista de enciclotomos"));
    ui::colocar(lstTomos, 120, 600, 3975, 1620);
    lblTomoNew = etiqueta(fraTomos, QStringLiteral("lblTomoNew"), QStringLiteral("Ruta (U:\\RUTA):"));
    ui::colocar(lblTomoNew, 4320, 360, 1215, 195);
    txtNewTomo =
        control<QLineEdit>(fraTomos, QStringLiteral("txtNewTomo"), QStringLiteral("Ruta de la nueva enciclotomo"));
    ui::colocar(txtNewTomo, 4320, 600, 1695, 285);
    lblTomoNew->setBuddy(txtNewTomo);
    cmdTomoAdd = boton(fraTomos, QStringLiteral("cmdTomoAdd"), QStringLiteral("Agregar Enciclotomo"));
    ui::colocar(cmdTomoAdd, 4320, 960, 1695, 375);
    cmdTomoLoad = boton(fraTomos, QStringLiteral("cmdTomoLoad"), QStringLiteral("Cargar Enciclotomo"));
    ui::colocar(cmdTomoLoad, 4320, 1320, 1695, 375);

    fraTomo = marco(this, QStringLiteral("fraTomo"), QStringLiteral("Enciclotomo"));
    ui::colocar(fraTomo, 120, 2640, 11535, 5775);
    txtTomo = control<QLineEdit>(fraTomo, QStringLiteral("txtTomo"), QStringLiteral("Enciclotomo actual"));
    ui::colocar(txtTomo, 240, 360, 2655, 285);
    txtMsg = control<QPlainTextEdit>(fraTomo, QStringLiteral("txtMsg"), QStringLiteral("Acerca de la enciclotomo"));
    txtMsg->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtMsg->setTabChangesFocus(true); // Tab goes on to the next control, as from every other box
    txtMsg->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui::colocar(txtMsg, 240, 720, 2655, 735);
    cmdSave = boton(fraTomo, QStringLiteral("cmdSave"), QStringLiteral("Guardar Acerca de . . ."));
    ui::colocar(cmdSave, 240, 1560, 2655, 375);
    Label2 = etiqueta(fraTomo, QStringLiteral("Label2"), QStringLiteral("Artículos:"));
    ui::colocar(Label2, 3120, 360, 675, 195);
    lstArticulos =
        control<ListaNombres>(fraTomo, QStringLiteral("lstArticulos"), QStringLiteral("Artículos de la enciclotomo"));
    ui::colocar(lstArticulos, 3120, 600, 2775, 1425);
    lblArtNew = etiqueta(fraTomo, QStringLiteral("lblArtNew"), QStringLiteral("Artículo (NOMBRE.EXT):"));
    ui::colocar(lblArtNew, 6120, 360, 1800, 195);
    txtNewArt = control<QLineEdit>(fraTomo, QStringLiteral("txtNewArt"), QStringLiteral("Nombre del nuevo artículo"));
    ui::colocar(txtNewArt, 6120, 600, 1455, 285);
    lblArtNew->setBuddy(txtNewArt);
    txtArtAdd = boton(fraTomo, QStringLiteral("txtArtAdd"), QStringLiteral("Agregar Artículo"));
    ui::colocar(txtArtAdd, 6120, 960, 1455, 375);
    txtArtLoad = boton(fraTomo, QStringLiteral("txtArtLoad"), QStringLiteral("Cargar Artículo"));
    ui::colocar(txtArtLoad, 6120, 1320, 1455, 375);
    txtArticulo = control<QLineEdit>(fraTomo, QStringLiteral("txtArticulo"), QStringLiteral("Artículo actual"));
    ui::colocar(txtArticulo, 9000, 600, 2295, 285);
    lblListas = etiqueta(fraTomo, QStringLiteral("lblListas"), QStringLiteral("Listas:"));
    ui::colocar(lblListas, 240, 2400, 450, 195);
    lstListas = control<QListView>(fraTomo, QStringLiteral("lstListas"), QStringLiteral("Listas de la enciclotomo"));
    ui::colocar(lstListas, 240, 2640, 2655, 2985);
    Label1 = etiqueta(fraTomo, QStringLiteral("Label1"), QStringLiteral("Lista (NOMBRE):"));
    ui::colocar(Label1, 3120, 2400, 1215, 195);
    txtLstNew = control<QLineEdit>(fraTomo, QStringLiteral("txtLstNew"), QStringLiteral("Nombre de la nueva lista"));
    ui::colocar(txtLstNew, 3120, 2640, 1455, 285);
    Label1->setBuddy(txtLstNew);
    cmdLstAdd = boton(fraTomo, QStringLiteral("cmdLstAdd"), QStringLiteral("Agregar Lista"));
    ui::colocar(cmdLstAdd, 3120, 3000, 1455, 375);
    cmdLstLoad = boton(fraTomo, QStringLiteral("cmdLstLoad"), QStringLiteral("Cargar Lista"));
    ui::colocar(cmdLstLoad, 3120, 3360, 1455, 375);
    lblLstArts = etiqueta(fraTomo, QStringLiteral("lblLstArts"), QStringLiteral("Artículos:"));
    ui::colocar(lblLstArts, 6120, 2400, 675, 195);
    lstLstArts = control<ListaMarcable>(fraTomo, QStringLiteral("lstLstArts"), QStringLiteral("Artículos de la lista"));
    ui::colocar(lstLstArts, 6120, 2640, 2775, 2985);
    // One line of text each: the views need not measure every item of a long encyclopaedia.
    lstArticulos->setUniformItemSizes(true);
    lstLstArts->setUniformItemSizes(true);
    txtLista = control<QLineEdit>(fraTomo, QStringLiteral("txtLista"), QStringLiteral("Archivo de la lista actual"));
    ui::colocar(txtLista, 9000, 2640, 2295, 285);
    cmdLstSave = boton(fraTomo, QStringLiteral("cmdLstSave"), QStringLiteral("Guardar Lista"));
    ui::colocar(cmdLstSave, 9000, 3000, 2295, 375);
    cmdSalir = boton(fraTomo, QStringLiteral("cmdSalir"), QStringLiteral("Salir"));
    cmdSalir->setFont(forja::fuenteNegrita(12));
    ui::colocar(cmdSalir, 9000, 4920, 2415, 735);
    forja::ajustarEtiquetas(this);
    crecer();
}

void Taller::crecer() {
    // A larger window gives its width to the list of encyclopaedias and to the two article lists, and its
    // height to the lower half of the encyclopaedia's frame: the list names and the list's articles. What
    // stands right of a list that widens moves along; "Salir" keeps to the bottom right corner.
    using ui::Borde;
    const ui::Bordes arriba = Borde::Izquierdo | Borde::Superior;
    const ui::Bordes ancho = arriba | Borde::Derecho;
    const ui::Bordes derecha = Borde::Derecho | Borde::Superior;
    ui::anclar(fraRaiz, arriba);
    ui::anclar(fraTomos, ancho);
    ui::anclar(fraTomo, ancho | Borde::Inferior);
    ui::anclar(lstTomos, ancho);
    for (QWidget* w : std::initializer_list<QWidget*>{lblTomoNew, txtNewTomo, cmdTomoAdd, cmdTomoLoad}) {
        ui::anclar(w, derecha);
    }
    // The upper half: the article list widens; what adds and holds articles moves along.
    ui::anclar(lstArticulos, ancho);
    for (QWidget* w : std::initializer_list<QWidget*>{lblArtNew, txtNewArt, txtArtAdd, txtArtLoad, txtArticulo}) {
        ui::anclar(w, derecha);
    }
    // The lower half: both lists grow down, the list's articles widens, the list file and its button move along.
    ui::anclar(lstListas, arriba | Borde::Inferior);
    ui::anclar(lstLstArts, ancho | Borde::Inferior);
    ui::anclar(txtLista, derecha);
    ui::anclar(cmdLstSave, derecha);
    ui::anclar(cmdSalir, Borde::Derecho | Borde::Inferior);
}

void Taller::conectar() {
    connect(cmdCrearRaiz, &QPushButton::clicked, this, &Taller::cmdCrearRaiz_Click);
    connect(cmdCargarRaiz, &QPushButton::clicked, this, &Taller::cmdCargarRaiz_Click);
    connect(cmdTomoAdd, &QPushButton::clicked, this, &Taller::cmdTomoAdd_Click);
    connect(cmdTomoLoad, &QPushButton::clicked, this, &Taller::cmdTomoLoad_Click);
    connect(cmdSave, &QPushButton::clicked, this, &Taller::cmdSave_Click);
    connect(cmdSalir, &QPushButton::clicked, this, &Taller::cmdSalir_Click);
    connect(cmdLstAdd, &QPushButton::clicked, this, &Taller::cmdLstAdd_Click);
    connect(cmdLstLoad, &QPushButton::clicked, this, &Taller::cmdLstLoad_Click);
    connect(cmdLstSave, &QPushButton::clicked, this, &Taller::cmdLstSave_Click);
    connect(txtArtAdd, &QPushButton::clicked, this, &Taller::txtArtAdd_Click);
    connect(txtArtLoad, &QPushButton::clicked, this, &Taller::txtArtLoad_Click);
}

std::string Taller::iconoDeReserva() {
    return ui::iconoPropio().toStdString();
}

void Taller::mostrarEstado() {
    enlazar(txtRaiz, raiz_, &RaizEditada::ruta, &RaizEditada::ponerRuta, &RaizEditada::rutaCambiada);
    // The lists of encyclopaedias and of lists are views over the state's, the names never edited in place.
    lstTomos->setModel(raiz_->modeloTomos());
    lstTomos->setEditTriggers(QAbstractItemView::NoEditTriggers);

    enlazar(txtTomo, tomo_, &TomoEditado::directorio, &TomoEditado::ponerDirectorio, &TomoEditado::directorioCambiado);
    const QFont fuente = txtMsg->font();
    txtMsg->setDocument(tomo_->descripcion());
    tomo_->descripcion()->setDefaultFont(fuente);
    // Both article lists are views over the complete list: the checkable one with its boxes, the other by
    // name alone. Neither holds an item per article.
    lstLstArts->verArticulos(tomo_->articulos());
    lstArticulos->verArticulos(tomo_->articulos());
    enlazar(txtArticulo, tomo_, &TomoEditado::articuloActual, &TomoEditado::ponerArticuloActual,
            &TomoEditado::articuloActualCambiado);
    lstListas->setModel(tomo_->modeloListas());
    lstListas->setEditTriggers(QAbstractItemView::NoEditTriggers);
    enlazar(txtLista, tomo_, &TomoEditado::listaActual, &TomoEditado::ponerListaActual,
            &TomoEditado::listaActualCambiada);
}

void Taller::cmdCrearRaiz_Click() {
    forja::mostrar(this, accionesRaiz_.crearRaiz());
}

void Taller::cmdCargarRaiz_Click() {
    forja::mostrar(this, accionesRaiz_.cargarRaiz());
}

void Taller::cmdTomoAdd_Click() {
    if (forja::mostrar(this, accionesTomos_.agregarTomo(txtNewTomo->text()))) {
        txtNewTomo->clear();
    }
}

void Taller::cmdTomoLoad_Click() {
    if (const auto tomo = seleccionada(lstTomos)) {
        forja::mostrar(this, accionesTomos_.cargarTomo(*tomo));
    }
}

void Taller::cmdSave_Click() {
    forja::mostrar(this, accionesTomos_.guardarDescripcion());
}

void Taller::cmdSalir_Click() {
    window()->close(); // the form, or the window that holds it under the editor's menu bar
}

void Taller::closeEvent(QCloseEvent* event) {
    if (art_ && art_->hayCambios()) {
        // The default keeps the program running with the article as it is.
        const int respuesta = Dialogos::elegir(
            this,
            QStringLiteral("El artículo «%1» tiene cambios sin guardar. ¿Qué desea hacer con ellos antes de salir?")
                .arg(tomo_->articuloActual()),
            {QStringLiteral("Guardar"), QStringLiteral("Descartar"), QStringLiteral("Seguir editando")}, 2, 2);
        if (respuesta == 2 || (respuesta == 0 && !art_->guardar())) {
            event->ignore();
            return;
        }
    }
    if (art_) {
        art_->cerrarSinPreguntar();
    }
    event->accept();
}

void Taller::txtArtAdd_Click() {
    if (forja::mostrar(this, accionesArticulos_.agregarArticulo(txtNewArt->text()))) {
        txtNewArt->clear();
    }
}

TallerArt* Taller::abrirTallerArt() {
    // A window closed a moment ago, not yet gone, has let go of its article: a new one is opened.
    if (!art_ || !art_->articulo()) {
        art_ = new TallerArt(sesion_, this);
    }
    return art_;
}

void Taller::txtArtLoad_Click() {
    if (const auto nombre = seleccionada(lstArticulos)) {
        abrirArticulo(*nombre);
    }
}

void Taller::abrirArticulo(const QString& nombre) {
    forja::Resultado porque;
    const auto leido = accionesArticulos_.leerArticulo(nombre, porque);
    forja::mostrar(this, porque);
    if (!leido) {
        return;
    }
    TallerArt* art = abrirTallerArt();
    art->agregarContenido(leido->titulo, leido->ilustraciones, leido->cuerpo);
    // An editor window the author had minimized comes back; showing alone would leave it minimized.
    art->setWindowState(art->windowState() & ~Qt::WindowMinimized);
    art->show();
    art->raise();
    art->activateWindow();
}

void Taller::abrirLista(const QString& nombre) {
    // The list becomes the selected one, as if the author had picked it.
    if (const qsizetype fila = tomo_->listas().indexOf(nombre); fila >= 0) {
        lstListas->setCurrentIndex(lstListas->model()->index(static_cast<int>(fila), 0));
    }
    forja::mostrar(this, accionesListas_.cargarLista(nombre));
    raise();
    activateWindow();
}

VentanaRevision* Taller::ventanaRevision() const {
    return revision_;
}

void Taller::revisarEnciclotomo() {
    if (!forja::directorioDelTomo(this, *tomo_)) {
        return;
    }
    if (!revision_) {
        revision_ = new VentanaRevision(sesion_, this);
    }
    revision_->revisar();
    revision_->show();
    revision_->raise();
    revision_->activateWindow();
}

void Taller::abrirHistorialArticulo() {
    if (!forja::directorioDelTomo(this, *tomo_)) {
        return;
    }
    if (tomo_->articuloActual().isEmpty()) {
        ui::Dialogos::avisar(this, QStringLiteral("No hay ningún artículo cargado: cárguelo con «Cargar Artículo»."));
        return;
    }
    if (historialArticulo_ && historialArticulo_->articulo() != tomo_->articuloActual()) {
        historialArticulo_->close();
        historialArticulo_.clear();
    }
    if (!historialArticulo_) {
        historialArticulo_ = new VentanaHistorialArticulo(sesion_, this, tomo_->articuloActual());
    }
    historialArticulo_->show();
    historialArticulo_->raise();
    historialArticulo_->activateWindow();
}

void Taller::abrirHistorialTomo() {
    if (!forja::directorioDelTomo(this, *tomo_)) {
        return;
    }
    if (!historialTomo_) {
        historialTomo_ = new VentanaHistorialTomo(sesion_, this);
    }
    historialTomo_->cargar();
    historialTomo_->show();
    historialTomo_->raise();
    historialTomo_->activateWindow();
}

void Taller::abrirSincronizar() {
    if (!forja::directorioDelTomo(this, *tomo_)) {
        return;
    }
    if (!sincronizar_) {
        sincronizar_ = new VentanaSincronizar(sesion_, this);
    }
    sincronizar_->show();
    sincronizar_->raise();
    sincronizar_->activateWindow();
}

void Taller::copiarSinHistorial() {
    const auto directorio = forja::directorioDelTomo(this, *tomo_);
    if (!directorio) {
        return;
    }
    const QString destino = ui::Dialogos::guardarArchivo(this, QStringLiteral("Copiar sin historial"), QString(),
                                                         tomo_->directorio() + QStringLiteral(" (copia)"));
    if (destino.isEmpty()) {
        return;
    }
    const auto nuevo = forja::aAlmacen(this, destino);
    if (!nuevo) {
        return;
    }
    const auto copiados = historial::copiarSinHistorial(*directorio, *nuevo);
    if (!copiados) {
        ui::Dialogos::error(this, copiados.error());
        return;
    }
    ui::Dialogos::informar(this, windowTitle(),
                           QStringLiteral("Se copiaron %1 archivos en «%2», sin el historial: ni borradores, ni textos "
                                          "borrados, ni nombres de autores.")
                               .arg(*copiados)
                               .arg(destino));
}

VentanaSincronizar* Taller::ventanaSincronizar() const {
    return sincronizar_;
}

VentanaHistorialArticulo* Taller::ventanaHistorialArticulo() const {
    return historialArticulo_;
}

VentanaHistorialTomo* Taller::ventanaHistorialTomo() const {
    return historialTomo_;
}

void Taller::volverALeerArticulo(const QString& nombre) {
    if (art_) {
        art_->cerrarSinPreguntar();
        art_.clear();
    }
    abrirArticulo(nombre);
}

void Taller::recargarTomo() {
    if (!tomo_->directorio().isEmpty()) {
        forja::mostrar(this, accionesTomos_.cargarTomo(tomo_->directorio()));
    }
}

void Taller::cmdLstAdd_Click() {
    if (forja::mostrar(this, accionesListas_.agregarLista(txtLstNew->text()))) {
        txtLstNew->clear();
    }
}

void Taller::cmdLstLoad_Click() {
    if (const auto lista = seleccionada(lstListas)) {
        forja::mostrar(this, accionesListas_.cargarLista(*lista));
    }
}

void Taller::cmdLstSave_Click() {
    forja::mostrar(this, accionesListas_.guardarLista());
}

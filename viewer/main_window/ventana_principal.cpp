#include "main_window/ventana_principal.h"

#include "appearance/esquema.h"

#include "main_window/al_frente.h"
#include "main_window/caja_imagen.h"
#include "main_window/enciclopedia_actual.h"
#include "main_window/etiqueta.h"
#include "main_window/fuentes.h"
#include "main_window/menu_imprimir.h"
#include "main_window/menu_ir.h"
#include "main_window/modelo_de_titulos.h"
#include "main_window/teclado.h"
#include "main_window/tira.h"
#include "store/archivo_de_texto.h"
#include "store/archivos_de_lista.h"
#include "store/articulo.h"
#include "store/enciclopedia.h"
#include "store/rutas.h"
#include "ui/anclas.h"
#include "ui/dialogos.h"
#include "ui/texto.h"
#include "ui/twips.h"
#include "windows/caja_articulo.h"
#include "windows/selector.h"
#include "windows/ventana_busqueda.h"
#include "windows/ventana_imagen.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLayout>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>

#include <type_traits>
#include <vector>

namespace {

constexpr qsizetype kPalabraLarga = 64;

// A picture of the encyclopaedia in `directorio`, decoded from the bytes the store read: the toolkit never
// opens the file, which could be a FIFO, and the store follows no symbolic link to it.
QPixmap leerImagen(const std::string& directorio, const std::string& ruta) {
    QPixmap imagen;
    if (const auto bytes = store::leerImagenDentro(directorio, ruta)) {
        imagen.loadFromData(QByteArray::fromRawData(bytes->data(), static_cast<qsizetype>(bytes->size())));
    }
    return imagen;
}

// A body or caption as the text box shows it (see ui::TextoMostrado).
QString textoMostrado(const std::string& cuerpo) {
    return ui::textoMostrado(cuerpo, kPalabraLarga);
}

std::string aStore(const QString& texto) {
    return ui::haciaStore(texto).value_or(std::string());
}

// A label's own text is its name for screen readers; `accesible` then only describes its role.
template <class W> W* nombrar(W* w, const char* nombre, const QString& accesible) {
    w->setObjectName(QString::fromLatin1(nombre));
    if constexpr (std::is_base_of_v<QLabel, W>) {
        w->setAccessibleDescription(accesible);
    } else {
        w->setAccessibleName(accesible);
    }
    return w;
}

template <class T = QPlainTextEdit> T* cajaDeTexto(QWidget* padre) {
    auto* t = new T(padre);
    t->setReadOnly(true);
    t->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    t->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    t->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    return t;
}

} // namespace

VentanaPrincipal::VentanaPrincipal(QWidget* parent) : QMainWindow(parent) {
    instalarSustitucionesDeFuentes();
    setObjectName(QStringLiteral("frmLibro1"));
    setWindowTitle(QStringLiteral("Enciclotomo"));
    setFont(fuente(QStringLiteral("MS Sans Serif"), 8.25));
    crearControles();
    crearMenu();
    // The menus "Ir" and printing are given what they work on, and follow every article the window opens.
    menuIr_ = new MenuIr(this, *this, txtArticulo, txtEpigrafe);
    connect(this, &VentanaPrincipal::articuloAbierto, menuIr_, &MenuIr::registrar);
    auto* imprimir = new MenuImprimir(this, *this, menuFile, mnuSeparar);
    connect(this, &VentanaPrincipal::articuloAbierto, imprimir, &MenuImprimir::ponerArticulo);
    connect(this, &VentanaPrincipal::enciclopediaCambiada, imprimir, [imprimir] { imprimir->ponerArticulo({}); });
    instalarBusquedaEnTexto();
    adjustSize();
    ui::recordarGeometria(this);

    indice_ = new ModeloDeTitulos(this);
    connect(indice_, &ModeloDeTitulos::aviso, this,
            [this](const QString& texto) { ui::Dialogos::avisar(this, texto); });
    connect(indice_, &ModeloDeTitulos::error, this, [this](const store::Error& e) { ui::Dialogos::error(this, e); });
    selector_ = new Selector(indice_, this);
    connect(selector_, &Selector::articuloElegido, this, &VentanaPrincipal::abrirElegido);
    ventanaImagen_ = new VentanaImagen(this);
    // The controls are designed in the built-in colours, so that the configuration window, which reads its
    // slots back from them when it loads, starts from real values even before an encyclopaedia is taken on.
    apariencia::aplicarEsquema(this, ventanaImagen_, store::kEsquemaPredeterminado);
}

VentanaPrincipal::~VentanaPrincipal() = default;

void VentanaPrincipal::crearControles() {
    auto* cliente = new QWidget(this);
    cliente->setObjectName(QStringLiteral("cliente"));
    ui::fijarTamanoDeDiseno(cliente, QSize(ui::pixeles(11880), ui::pixeles(8595)));
    setCentralWidget(cliente);

    txtArticulo = nombrar(cajaDeTexto<CajaArticulo>(cliente), "txtArticulo", QStringLiteral("Texto del artículo"));
    txtArticulo->setFont(fuente(QStringLiteral("Arial"), 9.75));
    ui::colocar(txtArticulo, 6720, 960, 4935, 7455);

    pctTitulo = nombrar(new Tira(cliente), "pctTitulo", QStringLiteral("Franja del título"));
    ui::colocar(pctTitulo, 0, 0, 11880, 495);
    lblTitulo =
        nombrar(new Etiqueta(QStringLiteral("Título"), pctTitulo), "lblTitulo", QStringLiteral("Título del artículo"));
    lblTitulo->setFont(fuente(QStringLiteral("Arial"), 14.25));
    lblTitulo->adjustSize();
    ui::mover(lblTitulo, 240, 120);

    pctEsquema = nombrar(new Tira(cliente), "pctEsquema", QStringLiteral("Panel de imágenes"));
    ui::colocar(pctEsquema, 0, 480, 2895, 8055);
    lstEsquema = nombrar(new QListWidget(pctEsquema), "lstEsquema", QStringLiteral("Imágenes del artículo"));
    lstEsquema->setSelectionMode(QAbstractItemView::SingleSelection);
    ui::colocar(lstEsquema, 120, 360, 2655, 7440);
    txtEsquema = nombrar(new Etiqueta(QStringLiteral("Imágenes"), pctEsquema), "txtEsquema",
                         QStringLiteral("Encabezado de las imágenes"));
    ui::mover(txtEsquema, 120, 0);

    pctContiene = nombrar(new Tira(cliente), "pctContiene", QStringLiteral("Panel de la ilustración"));
    ui::colocar(pctContiene, 3120, 600, 3375, 4935);
    pctImagen =
        nombrar(new CajaImagen(CajaImagen::Modo::Estirar, pctContiene), "pctImagen", QStringLiteral("Ilustración"));
    ui::colocar(pctImagen, 0, 240, 3375, 3135);
    pctEpigrafe = nombrar(new Tira(pctContiene), "pctEpigrafe", QStringLiteral("Botones de la ilustración"));
    ui::colocar(pctEpigrafe, 0, 3360, 3375, 255);
    const QFont chica = fuente(QStringLiteral("Lucida Console"), 6.75);
    // The two buttons under the illustration: a strip with its label in the small font.
    auto boton = [&](Tira*& tira, Etiqueta*& etiqueta, const char* nombreTira, const char* nombreEtiqueta,
                     const QString& texto, const QString& descripcionTira, const QString& descripcion, int x,
                     int ancho) {
        tira = nombrar(new Tira(pctEpigrafe), nombreTira, descripcionTira);
        ui::colocar(tira, x, 0, ancho, 255);
        etiqueta = nombrar(new Etiqueta(texto, tira), nombreEtiqueta, descripcion);
        etiqueta->setFont(chica);
        etiqueta->adjustSize();
        ui::mover(etiqueta, 120, 0);
    };
    boton(pctPie, lblPie, "pctPie", "lblPie", QStringLiteral("Pie de Foto"), QStringLiteral("Botón Pie de Foto"),
          QStringLiteral("Mostrar u ocultar el pie de foto"), 2280, 1095);
    boton(pctAbrir, lblAbrir, "pctAbrir", "lblAbrir", QStringLiteral("Abrir"), QStringLiteral("Botón Abrir"),
          QStringLiteral("Abrir la imagen en su tamaño"), 0, 615);
    txtEpigrafe = nombrar(cajaDeTexto(pctContiene), "txtEpigrafe", QStringLiteral("Pie de foto"));
    txtEpigrafe->setFont(fuente(QStringLiteral("MS Sans Serif"), 9.75, true));
    txtEpigrafe->setPlainText(QStringLiteral("Epigrafe de Ilustración"));
    ui::colocar(txtEpigrafe, 0, 3600, 3375, 1215);
    txtEpigrafe->hide(); // the caption box starts hidden at every start
    pctTitImag = nombrar(new Tira(pctContiene), "pctTitImag", QStringLiteral("Franja del título de la imagen"));
    ui::colocar(pctTitImag, 0, 0, 3375, 255);
    lblTitImag = nombrar(new Etiqueta(QStringLiteral("Imagen"), pctTitImag), "lblTitImag",
                         QStringLiteral("Título de la imagen"));
    ui::mover(lblTitImag, 120, 0);

    pctSubtitulo = nombrar(new Tira(cliente), "pctSubtitulo", QStringLiteral("Franja del nombre de la enciclotomo"));
    ui::colocar(pctSubtitulo, 6720, 600, 4935, 255);
    lblSubtitulo =
        nombrar(new Etiqueta(QString(), pctSubtitulo), "lblSubtitulo", QStringLiteral("Nombre de la enciclotomo"));
    ui::mover(lblSubtitulo, 120, 0);

    imgCostado = nombrar(new Etiqueta(QString(), cliente, false), "imgCostado", QStringLiteral("Imagen de costado"));
    imgCostado->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    imgCostado->setAccessibleName(imgCostado->accessibleDescription()); // a picture, with no text of its own
    ui::colocar(imgCostado, 0, 480, 6615, 8055);
    imgCostado->lower(); // beneath all the boxes

    // A larger window gives its room to the article text; the strips above it follow its width.
    using ui::Borde;
    ui::anclar(txtArticulo, Borde::Izquierdo | Borde::Superior | Borde::Derecho | Borde::Inferior);
    ui::anclar(pctTitulo, Borde::Izquierdo | Borde::Superior | Borde::Derecho);
    ui::anclar(pctSubtitulo, Borde::Izquierdo | Borde::Superior | Borde::Derecho);

    connect(lstEsquema, &QListWidget::itemDoubleClicked, this, [this] { lstEsquema_DblClick(); });
    teclado::enterComoDobleClic(lstEsquema, [this] { lstEsquema_DblClick(); });
    connect(txtArticulo, &CajaArticulo::palabraElegida, this, &VentanaPrincipal::txtArticulo_DblClick);
    connect(lblAbrir, &Etiqueta::pulsado, this, &VentanaPrincipal::lblAbrir_Click);
    connect(pctAbrir, &Tira::pulsado, this, &VentanaPrincipal::pctAbrir_Click);
    connect(lblPie, &Etiqueta::pulsado, this, &VentanaPrincipal::lblPie_Click);
    connect(pctPie, &Tira::pulsado, this, &VentanaPrincipal::pctPie_Click);
}

void VentanaPrincipal::crearMenu() {
    menuFile = menuBar()->addMenu(QStringLiteral("Enciclotomo"));
    menuFile->setObjectName(QStringLiteral("menuFile"));
    mnuFile = menuFile->menuAction();
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuConfig = menuFile->addAction(QStringLiteral("Configuración"));
    mnuConfig->setObjectName(QStringLiteral("mnuConfig"));
    mnuSeleki = menuFile->addAction(QStringLiteral("Seleccionar"));
    mnuSeleki->setObjectName(QStringLiteral("mnuSeleki"));
    mnuSeparar = menuFile->addSeparator();
    mnuSeparar->setObjectName(QStringLiteral("mnuSeparar"));
    mnuSalir = menuFile->addAction(QStringLiteral("Salir"));
    mnuSalir->setObjectName(QStringLiteral("mnuSalir"));
    mnuBuscar = menuBar()->addAction(QStringLiteral("Buscar"));
    mnuBuscar->setObjectName(QStringLiteral("mnuBuscar"));
    mnuDict = menuBar()->addAction(QStringLiteral("Diccionario"));
    mnuDict->setObjectName(QStringLiteral("mnuDict"));
    mnuAbout = menuBar()->addAction(QStringLiteral("Acerca de . . ."));
    mnuAbout->setObjectName(QStringLiteral("mnuAbout"));

    connect(mnuSalir, &QAction::triggered, this, &VentanaPrincipal::mnuSalir_Click);
    connect(mnuBuscar, &QAction::triggered, this, &VentanaPrincipal::mnuBuscar_Click);
    connect(mnuConfig, &QAction::triggered, this, &VentanaPrincipal::mnuConfig_Click);
    connect(mnuSeleki, &QAction::triggered, this, &VentanaPrincipal::mnuSeleki_Click);
    connect(mnuDict, &QAction::triggered, this, &VentanaPrincipal::mnuDict_Click);
    connect(mnuAbout, &QAction::triggered, this, &VentanaPrincipal::mnuAbout_Click);
}

QString VentanaPrincipal::tituloMostrado() const {
    return lblTitulo->text();
}

QString VentanaPrincipal::nombreDeLaEnciclopedia() const {
    return lblSubtitulo->text();
}

std::string VentanaPrincipal::directorio() const {
    return indice_->directorio();
}

bool VentanaPrincipal::Form_Load() {
    QString motivo;
    if (!buscarEnciclopediaActual(&motivo)) {
        ui::Dialogos::informar(this, QStringLiteral("Tomo"),
                               QStringLiteral("No hay ninguna enciclotomo que mostrar. %1\n\nLas enciclotomos se "
                                              "crean con Forja, el editor de enciclotomos.")
                                   .arg(motivo),
                               QMessageBox::Critical);
        return false;
    }

    colocarVentanas();
    Cargar(std::string(store::kNombreCompleta), true);

    // The article read last; without one (no ultimo.dat, an empty one, or one naming an article that is
    // gone) the viewer starts with no article shown.
    const std::string dir = directorio();
    const std::optional<std::string> ultimo = store::leerUltimo(dir);
    const std::string rutaUltimo = ultimo ? store::unir(dir, *ultimo) : std::string();
    // One that exists but cannot be read is reported by abrirArticulo; then too nothing is shown, rather
    // than the empty panels and the placeholder title of the window as designed.
    if (!ultimo || !store::nombreRelativoSeguro(*ultimo) || !store::existeArchivo(rutaUltimo) ||
        !abrirArticulo(rutaUltimo)) {
        vaciarArticulo();
        lblTitulo->ponerTexto(QString());
    }
    lstEsquema_DblClick();

    crearVentanasSecundarias();
    selector_->show();
    selector_->ActuaLbl();
    DarEntorno();
    return true;
}

void VentanaPrincipal::Cargar(const std::string& NOMBRE, bool Actualiza) {
    if (!selector_->cargado()) {
        selector_->Form_Load();
    }
    selector_->show();
    indice_->cargarLista(NOMBRE);
    if (Actualiza) {
        Actualizar();
    }
}

void VentanaPrincipal::Actualizar() {
    indice_->listar();
}

void VentanaPrincipal::abrirElegido(int fila) {
    leerArticulo(std::string(indice_->nombre(fila)));
}

bool VentanaPrincipal::leerArticulo(const std::string& nombre) {
    if (!abrirArticulo(store::unir(directorio(), nombre))) {
        return false; // already said; the last article read stays recorded
    }
    if (const auto escrito = store::escribirUltimo(directorio(), nombre); !escrito) {
        ui::Dialogos::error(selector_, escrito.error());
    }
    return true;
}

void VentanaPrincipal::Abrir(const std::string& archivo) {
    abrirArticulo(archivo);
}

bool VentanaPrincipal::abrirArticulo(const std::string& archivo) {
    // A name read from a store file must not lead out of the encyclopaedia directory, and an article of the
    // encyclopaedia is read through no symbolic link below its directory.
    const std::string dir = directorio();
    const bool dentro = !dir.empty() && archivo.size() > dir.size() && archivo.compare(0, dir.size(), dir) == 0 &&
                        archivo[dir.size()] == '\\';
    if (dentro && !store::nombreRelativoSeguro(archivo.substr(dir.size() + 1))) {
        ui::Dialogos::error(this, store::Error{"abrir el art\xED"
                                               "culo",
                                               archivo,
                                               store::Causa::NombreNoValido,
                                               {}});
        return false;
    }

    // The file is read once and analysed in one pass, its body going straight into the text the box shows.
    const auto bytes = dentro ? store::leerBytesDentro(dir, archivo, store::kLimiteArticulo)
                              : store::leerBytes(archivo, store::kLimiteArticulo);
    if (!bytes) {
        ui::Dialogos::error(this, bytes.error());
        return false;
    }
    ui::TextoMostrado cuerpo(bytes->size(), kPalabraLarga);
    const store::Articulo articulo =
        store::analizarArticulo(*bytes, [&cuerpo](std::string_view pieza) { cuerpo.agregar(pieza); });

    vaciarArticulo();
    QStringList ilustraciones;
    for (const std::string& nombre : articulo.ilustraciones) {
        ilustraciones << ui::desdeStore(nombre);
    }
    lstEsquema->addItems(ilustraciones);
    if (!ilustraciones.isEmpty()) {
        pctEsquema->show();
        pctContiene->show();
        lstEsquema->setCurrentRow(0);
        lstEsquema_DblClick();
    }

    if (!articulo.costados.empty()) {
        const std::string& costado = articulo.costados.back();
        imgCostado->setPixmap(store::nombreRelativoSeguro(costado) ? leerImagen(dir, store::rutaCostado(dir, costado))
                                                                   : QPixmap());
    }

    txtArticulo->setPlainText(cuerpo.terminar());
    lblTitulo->ponerTexto(ui::desdeStore(articulo.titulo));
    emit articuloAbierto(archivo);
    return true;
}

void VentanaPrincipal::vaciarArticulo() {
    txtArticulo->clear();
    lstEsquema->clear();
    imgCostado->setPixmap(QPixmap());
    pctContiene->hide();
    pctEsquema->hide();
}

void VentanaPrincipal::lstEsquema_DblClick() {
    QListWidgetItem* elegido = lstEsquema->currentItem();
    if (!elegido || !elegido->isSelected()) {
        return;
    }
    const std::string nombre = aStore(elegido->text());
    const std::string dir = directorio();
    const bool seguro = store::nombreRelativoSeguro(nombre);

    txtEpigrafe->clear();
    rutaImagen_ = store::rutaIlustracion(dir, nombre);
    const QPixmap imagen = seguro ? leerImagen(dir, rutaImagen_) : QPixmap();
    pctImagen->ponerImagen(imagen);

    // A missing or empty caption file, or a name too short for one, gives an empty title and caption.
    store::Epigrafe epigrafe;
    if (seguro) {
        if (const auto ruta = store::rutaEpigrafeVisor(dir, nombre)) {
            if (const auto lineas = store::leerLineasDentro(dir, *ruta, store::kLimiteEpigrafe)) {
                epigrafe = store::analizarEpigrafe(*lineas);
            }
        }
    }
    const QString titulo = ui::desdeStore(epigrafe.titulo);
    lblTitImag->ponerTexto(imagen.isNull() ? QStringLiteral("Imagen no disponible") : titulo);
    lblTitImag->setToolTip(imagen.isNull() ? titulo : QString());
    txtEpigrafe->setPlainText(textoMostrado(epigrafe.texto));
}

void VentanaPrincipal::lblAbrir_Click() {
    const QPixmap& imagen = pctImagen->imagen();
    if (imagen.isNull()) {
        ui::Dialogos::avisar(this, rutaImagen_.empty()
                                       ? QStringLiteral("No hay ninguna imagen que abrir.")
                                       : QStringLiteral("La imagen «%1» no existe o no se puede leer; no hay nada que "
                                                        "abrir.")
                                             .arg(ui::desdeStore(rutaImagen_)));
        return;
    }
    ventanaImagen_->pctLlena->ponerImagen(imagen);
    ventanaImagen_->pctLlena_Resize();
    ventanaImagen_->txtEpigrafe->setPlainText(txtEpigrafe->toPlainText());
    ventanaImagen_->setWindowTitle(lblTitImag->text());
    ventanaImagen_->setWindowModality(Qt::ApplicationModal);
    mostrarAlFrente(ventanaImagen_);
}

void VentanaPrincipal::pctAbrir_Click() {
    lblAbrir_Click();
}

void VentanaPrincipal::lblPie_Click() {
    txtEpigrafe->setVisible(txtEpigrafe->isHidden());
}

void VentanaPrincipal::pctPie_Click() {
    lblPie_Click();
}

void VentanaPrincipal::mnuSalir_Click() {
    terminar();
}

void VentanaPrincipal::mnuBuscar_Click() {
    mostrarAlFrente(selector_);
}

void VentanaPrincipal::terminar() {
    // Every window disappears and the program ends; nothing is saved.
    for (QWidget* ventana : QApplication::topLevelWidgets()) {
        if (ventana != this) {
            ventana->hide();
        }
    }
    hide();
    QCoreApplication::exit(0);
}

void VentanaPrincipal::closeEvent(QCloseEvent* e) {
    e->accept();
    terminar();
}

void VentanaPrincipal::colocarVentanas() {
    // Placed before either window is first shown, so that the window manager takes these places as they
    // are: a window moved after it has been shown, before its frame is known, lands with its title bar
    // off the screen. The frames are not known yet; these margins stand in for them.
    constexpr int kBorde = 4;  // each side and the bottom
    constexpr int kBarra = 32; // the title bar
    const QScreen* pantalla = screen();
    if (!pantalla) {
        return;
    }
    const QRect disponible = pantalla->availableGeometry();
    const QSize marco(2 * kBorde, kBarra + kBorde);
    const QSize principal = size() + marco;
    const QSize selector = selector_->size() + marco;
    // The pair side by side, centred on the screen; on a screen too narrow for both, the selector keeps
    // to the right edge, over the main window's right margin and below its title bar and close box.
    const int x = disponible.left() + std::max(0, (disponible.width() - principal.width() - selector.width()) / 2);
    const int y = disponible.top() + std::max(0, (disponible.height() - principal.height()) / 2);
    const int xSelector =
        std::max(disponible.left(), std::min(x + principal.width(), disponible.right() + 1 - selector.width()));
    const int ySelector = xSelector < x + principal.width() ? y + kBarra : y;
    move(x, y);
    selector_->move(xSelector, ySelector);
}

void VentanaPrincipal::instalarBusquedaEnTexto() {
    auto* accion = new QAction(QStringLiteral("Buscar en el texto…"), this);
    accion->setObjectName(QStringLiteral("mnuBuscarTexto"));
    accion->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    addAction(accion); // its keys work in the window without opening the menu
    menuIr_->menu->addAction(accion);
    connect(accion, &QAction::triggered, this, [this] {
        auto* ventana = findChild<VentanaBusqueda*>();
        if (!ventana) {
            ventana = new VentanaBusqueda(this, [this] { return directorio(); });
            connect(this, &VentanaPrincipal::enciclopediaCambiada, ventana, &VentanaBusqueda::enciclopediaCambiada);
            connect(ventana, &VentanaBusqueda::articuloElegido, this,
                    [this](const std::string& nombre) { leerArticulo(nombre); });
        }
        ventana->mostrar();
    });
}

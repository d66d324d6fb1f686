#include "editor/taller.h"

#include "editor/lista_marcable.h"

#include "editor/comun.h"
#include "editor/taller_art.h"
#include "store/article.h"
#include "store/encoding.h"
#include "store/encyclopaedia.h"
#include "store/list_files.h"
#include "store/paths.h"
#include "store/registry.h"
#include "ui/anclas.h"
#include "ui/aplicacion.h"
#include "ui/dialogos.h"
#include "ui/texto.h"
#include "ui/twips.h"

#include <QCloseEvent>
#include <QFile>
#include <QFont>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

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

int filaSeleccionada(const QListWidget* lista) {
    const auto* item = lista->currentItem();
    return item && item->isSelected() ? lista->row(item) : -1;
}

// "ningún artículo", "un artículo", "3 artículos".
QString articulos(qsizetype cuantos, const QString& uno = QStringLiteral("un")) {
    if (cuantos == 0) {
        return QStringLiteral("ningún artículo");
    }
    return cuantos == 1 ? uno + QStringLiteral(" artículo") : QStringLiteral("%1 artículos").arg(cuantos);
}

std::string bytesDe(const QListWidgetItem* item) {
    return ui::haciaStore(item->text()).value_or(std::string());
}

} // namespace

Taller::Taller(QWidget* parent) : QWidget(parent) {
    construir();
    conectar();
}

Taller::~Taller() = default;

TallerArt* Taller::tallerArt() const {
    return art_;
}

void Taller::construir() {
    setObjectName(QStringLiteral("Taller"));
    setWindowTitle(QStringLiteral("Generador de Enciclotomos"));
    setFont(forja::fuenteDeVentana());
    ui::tamanoCliente(this, 11910, 8625);
    // It may grow, never shrink; its frames keep their places at the top left.
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
    lstTomos = control<QListWidget>(fraTomos, QStringLiteral("lstTomos"), QStringLiteral("Lista de enciclotomos"));
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
    txtMsg->setPlainText(QStringLiteral("Acerca de . . .\nComentario del autor\n"));
    ui::colocar(txtMsg, 240, 720, 2655, 735);
    cmdSave = boton(fraTomo, QStringLiteral("cmdSave"), QStringLiteral("Guardar Acerca de . . ."));
    ui::colocar(cmdSave, 240, 1560, 2655, 375);
    Label2 = etiqueta(fraTomo, QStringLiteral("Label2"), QStringLiteral("Artículos:"));
    ui::colocar(Label2, 3120, 360, 675, 195);
    lstArticulos =
        control<QListWidget>(fraTomo, QStringLiteral("lstArticulos"), QStringLiteral("Artículos de la enciclotomo"));
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
    lstListas = control<QListWidget>(fraTomo, QStringLiteral("lstListas"), QStringLiteral("Listas de la enciclotomo"));
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

std::optional<std::string> Taller::textoAlmacen(const QString& texto) {
    return forja::aAlmacen(this, texto);
}

bool Taller::rutaCompleta(const std::string& ruta, const QString& texto) {
    if (!forja::esRutaCompleta(ruta)) {
        Dialogos::avisar(this, QStringLiteral("La ruta «%1» no es completa: escríbala con la letra de la unidad, "
                                              "como C:\\ENCICLO (U:\\RUTA).")
                                   .arg(texto));
        return false;
    }
    // The store must be usable on Windows too, wherever it was made.
    if (!store::rutaValidaEnWindows(ruta)) {
        Dialogos::avisar(this, QStringLiteral("La ruta «%1» no es válida: ningún nombre de directorio puede llevar "
                                              "* ? \" < > | ni un «:» fuera del que sigue a la letra de la unidad, "
                                              "terminar en espacio o punto, ni ser un nombre reservado (CON, PRN, "
                                              "AUX, NUL, COM1 a COM9, LPT1 a LPT9).")
                                   .arg(texto));
        return false;
    }
    return true;
}

std::optional<std::string> Taller::tomoActual() {
    if (txtTomo->text().isEmpty()) {
        Dialogos::avisar(this, QStringLiteral("No hay ninguna enciclotomo cargada: selecciónela en la lista de "
                                              "enciclotomos y pulse «Cargar Enciclotomo»."));
        return std::nullopt;
    }
    auto tomo = textoAlmacen(txtTomo->text());
    if (tomo && !store::existeDirectorio(*tomo)) {
        Dialogos::avisar(this, QStringLiteral("El directorio de la enciclotomo «%1» no existe.").arg(txtTomo->text()));
        return std::nullopt;
    }
    return tomo;
}

std::optional<std::string> Taller::raizActual() {
    if (txtRaiz->text().isEmpty()) {
        Dialogos::avisar(this, QStringLiteral("No hay ninguna raíz: escriba su ruta y pulse «Crear Directorio de "
                                              "Raíz», o cárguela con «Cargar Directorio Existente»."));
        return std::nullopt;
    }
    auto raiz = textoAlmacen(txtRaiz->text());
    if (raiz && !store::existeDirectorio(*raiz)) {
        Dialogos::avisar(this, QStringLiteral("El directorio de raíz «%1» no existe: créelo con «Crear Directorio de "
                                              "Raíz» o cargue la raíz existente.")
                                   .arg(txtRaiz->text()));
        return std::nullopt;
    }
    return raiz;
}

void Taller::cmdCrearRaiz_Click() {
    if (txtRaiz->text().isEmpty()) {
        Dialogos::avisar(this, QStringLiteral("Escriba primero la ruta de la raíz (por ejemplo C:\\ENCICLO)."));
        return;
    }
    const auto raiz = textoAlmacen(txtRaiz->text());
    if (!raiz || !rutaCompleta(*raiz, txtRaiz->text())) {
        return;
    }
    bool reemplazar = false;
    if (store::existeRegistro()) {
        QString actual;
        if (const auto registro = store::leerRegistro()) {
            actual = QStringLiteral(" (raíz actual: %1)").arg(ui::desdeStore(store::raizDesdeLinea1(registro->actual)));
        }
        const auto respuesta =
            Dialogos::preguntar(this,
                                QStringLiteral("Ya existe el registro %1%2. ¿Desea reemplazarlo por la raíz «%3»?")
                                    .arg(ui::desdeStore(store::kArchivoRegistro), actual, txtRaiz->text()),
                                QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (respuesta != QMessageBox::Yes) {
            return;
        }
        reemplazar = true;
    }
    if (const auto estado = store::crearRegistro(*raiz, reemplazar); !estado) {
        Dialogos::error(this, estado.error());
    }
}

void Taller::cmdCargarRaiz_Click() {
    const auto registro = store::leerRegistro();
    if (!registro) {
        if (!store::existeRegistro()) {
            // The first run: nothing to load yet, and the author is told what to do instead.
            Dialogos::avisar(this, QStringLiteral("Todavía no hay ninguna raíz: no existe el registro %1. Escriba la "
                                                  "ruta de la raíz en «Raíz (U:\\RUTA):» y pulse «Crear Directorio "
                                                  "de Raíz [sólo la primera vez]».")
                                       .arg(ui::desdeStore(store::kArchivoRegistro)));
        } else {
            Dialogos::error(this, registro.error());
        }
        return;
    }
    const std::string raiz = store::raizDesdeLinea1(registro->actual);
    auto tomos = store::leerEnciclopedias(raiz);
    store::Lineas lineas;
    if (tomos) {
        lineas = std::move(*tomos);
    } else if (tomos.error().causa == store::Causa::NoEncontrado && store::existeDirectorio(raiz)) {
        // A root to which no encyclopaedia has been added yet has no list: it is simply empty.
    } else {
        Dialogos::error(this, tomos.error());
        return;
    }
    txtRaiz->setText(ui::desdeStore(raiz));
    lstTomos->clear();
    lstTomos->addItems(forja::listaDeLineas(lineas));
}

void Taller::cmdTomoAdd_Click() {
    const auto raiz = raizActual();
    if (!raiz) {
        return;
    }
    if (txtNewTomo->text().isEmpty()) {
        Dialogos::avisar(this, QStringLiteral("Escriba la ruta de la nueva enciclotomo (por ejemplo C:\\ENCICLO\\"
                                              "ASTRO) en «Ruta (U:\\RUTA):»."));
        return;
    }
    const auto nuevo = textoAlmacen(txtNewTomo->text());
    if (!nuevo || !rutaCompleta(*nuevo, txtNewTomo->text())) {
        return;
    }
    if (const auto estado = store::verificarNuevaEnciclopedia(*nuevo); !estado) {
        Dialogos::error(this, estado.error());
        return;
    }

    // "All files" is "*": the dialog's "*.*" would hide every file whose name has no dot.
    const QString elegido =
        Dialogos::abrirArchivo(this, QStringLiteral("Seleccionar un Icono"),
                               QStringLiteral("Iconos (*.ico);;Cursores (*.cur);;Todos los archivos (*)"));
    // The chosen icon's bytes are what the encyclopaedia's icon file receives. The store reads them (the file
    // the user chose, links followed): a FIFO or a device is refused at once instead of blocking, a huge file
    // unread, and either is reported.
    std::string icono = iconoDeReserva();
    if (!elegido.isEmpty()) {
        if (auto bytes = store::leerBytesNativos(QFile::encodeName(elegido).toStdString(), store::kLimiteImagen)) {
            icono = std::move(*bytes);
        } else {
            Dialogos::avisar(this, QStringLiteral("No se pudo leer el icono «%1»; la enciclotomo recibe el icono "
                                                  "de Forja.")
                                       .arg(elegido));
        }
    }

    // The directory and its files come first, so that a failure there leaves the data root's lists as they
    // were; the encyclopaedia is registered only once it exists.
    if (const auto estado = store::crearEnciclopedia(*nuevo, std::nullopt, icono); !estado) {
        Dialogos::error(this, estado.error());
        return;
    }
    // An encyclopaedia made anew after its directory was removed is listed once.
    bool registrada = false;
    if (const auto tomos = store::leerEnciclopedias(*raiz)) {
        registrada = std::any_of(tomos->begin(), tomos->end(),
                                 [&](std::string_view tomo) { return store::igualesSinCaso(tomo, *nuevo); });
    }
    if (!registrada) {
        if (const auto estado = store::anexarEnciclopedia(*raiz, *nuevo); !estado) {
            Dialogos::error(this, estado.error());
            return;
        }
        lstTomos->addItem(txtNewTomo->text());
    }
    if (const auto estado = store::escribirActualEnRaiz(*raiz, *nuevo); !estado) {
        Dialogos::error(this, estado.error());
    }
    txtNewTomo->clear();
}

void Taller::cmdTomoLoad_Click() {
    const int fila = filaSeleccionada(lstTomos);
    if (fila < 0) {
        return;
    }
    const QString texto = lstTomos->item(fila)->text();
    const std::string tomo = bytesDe(lstTomos->item(fila));
    auto descripcion = store::leerDescripcion(tomo);
    if (!descripcion) {
        Dialogos::error(this, descripcion.error());
        return;
    }
    auto completa = store::leerCompleta(tomo);
    if (!completa) {
        Dialogos::error(this, completa.error());
        return;
    }
    auto listas = store::leerIndiceListas(tomo);
    if (!listas) {
        Dialogos::error(this, listas.error());
        return;
    }
    txtTomo->setText(texto);
    txtMsg->setPlainText(forja::textoDeLineas(*descripcion));
    const QStringList articulos = forja::listaDeLineas(*completa);
    lstArticulos->clear();
    // The article list is filled in one call and laid out once (items added one at a time made the view lay
    // out every item again for every article); the list's articles share its names, with no item of their own.
    lstArticulos->addItems(articulos);
    lstLstArts->articulos()->poner(articulos);
    lstListas->clear();
    lstListas->addItems(forja::listaDeLineas(*listas));
}

void Taller::cmdSave_Click() {
    const auto tomo = tomoActual();
    if (!tomo) {
        return;
    }
    const auto lineas = forja::lineasAlmacen(this, txtMsg->toPlainText());
    if (!lineas) {
        return;
    }
    if (const auto estado = store::guardarDescripcion(*tomo, *lineas); !estado) {
        Dialogos::error(this, estado.error());
    }
}

void Taller::cmdSalir_Click() {
    close();
}

void Taller::closeEvent(QCloseEvent* event) {
    if (art_ && art_->hayCambios()) {
        // The default keeps the program running with the article as it is.
        const int respuesta = Dialogos::elegir(
            this,
            QStringLiteral("El artículo «%1» tiene cambios sin guardar. ¿Qué desea hacer con ellos antes de salir?")
                .arg(txtArticulo->text()),
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
    const auto tomo = tomoActual();
    if (!tomo) {
        return;
    }
    const QString texto = txtNewArt->text();
    if (texto.isEmpty()) {
        Dialogos::avisar(this, QStringLiteral("Escriba el nombre del nuevo artículo (NOMBRE.EXT) en «Artículo "
                                              "(NOMBRE.EXT):»."));
        return;
    }
    const auto nombre = textoAlmacen(texto);
    if (!nombre) {
        return;
    }
    if (!store::nombreArchivoValido(*nombre)) {
        Dialogos::avisar(this, QStringLiteral("«%1» no es un nombre de archivo válido: no puede llevar \\ / : * ? \" "
                                              "< > |, ni ser «.» o «..», ni terminar en espacio o punto.")
                                   .arg(texto));
        return;
    }
    if (forja::esArchivoFijo(*nombre)) {
        Dialogos::avisar(this, QStringLiteral("«%1» es el nombre de un archivo propio de la enciclotomo; elija otro "
                                              "nombre para el artículo.")
                                   .arg(texto));
        return;
    }
    const std::string ruta = store::unir(*tomo, *nombre);
    const auto completa = store::leerCompleta(*tomo);
    if (!completa) {
        Dialogos::error(this, completa.error());
        return;
    }
    for (const auto& articulo : *completa) {
        if (store::igualesSinCaso(articulo, *nombre)) {
            Dialogos::avisar(
                this,
                QStringLiteral("El artículo «%1» ya está en la lista de artículos.").arg(ui::desdeStore(articulo)));
            return;
        }
    }
    if (store::existeDirectorio(ruta)) {
        Dialogos::avisar(this, QStringLiteral("Ya existe un directorio llamado «%1» en %2 (sin distinguir mayúsculas "
                                              "de minúsculas); elija otro nombre para el artículo.")
                                   .arg(texto, txtTomo->text()));
        return;
    }
    if (const auto listas = store::leerIndiceListas(*tomo)) {
        for (const auto& lista : *listas) {
            if (store::igualesSinCaso(std::string(lista) + ".dat", *nombre)) {
                Dialogos::avisar(this, QStringLiteral("«%1» es el archivo de la lista «%2»; elija otro nombre para "
                                                      "el artículo.")
                                           .arg(texto, ui::desdeStore(lista)));
                return;
            }
        }
    }

    // A file that exists but is missing from the complete list is an article that was dropped from it: it may
    // be listed again as it is, which is how a complete list saved too short is repaired.
    const bool existente = store::existeArchivo(ruta);
    if (existente) {
        const int respuesta = Dialogos::elegir(
            this,
            QStringLiteral("Ya existe un archivo llamado «%1» en %2 (sin distinguir mayúsculas de minúsculas), pero "
                           "no está en la lista de artículos. ¿Desea agregarlo a la lista tal como está? Su contenido "
                           "no se modifica.")
                .arg(texto, txtTomo->text()),
            {QStringLiteral("Agregar el artículo existente"), QStringLiteral("No agregar")}, 1, 1);
        if (respuesta != 0) {
            return;
        }
    }

    if (const auto estado = existente ? store::Estado{} : store::crearArticuloVacio(ruta); !estado) {
        Dialogos::error(this, estado.error());
        return;
    }
    if (const auto estado = store::anexarACompleta(*tomo, *nombre); !estado) {
        Dialogos::error(this, estado.error());
        return;
    }
    lstArticulos->addItem(texto);
    lstLstArts->articulos()->agregar(texto);
    if (const auto estado = store::escribirUltimo(*tomo, *nombre); !estado) {
        Dialogos::error(this, estado.error());
    }
    txtNewArt->clear();
}

TallerArt* Taller::abrirTallerArt() {
    if (!art_) {
        art_ = new TallerArt(this);
    }
    return art_;
}

void Taller::txtArtLoad_Click() {
    const int fila = filaSeleccionada(lstArticulos);
    if (fila < 0) {
        return;
    }
    const auto tomo = tomoActual();
    if (!tomo) {
        return;
    }
    const QString texto = lstArticulos->item(fila)->text();
    const std::string nombre = bytesDe(lstArticulos->item(fila));
    if (!store::nombreRelativoSeguro(nombre)) {
        Dialogos::avisar(this, QStringLiteral("«%1» no es un nombre de artículo que se pueda abrir.").arg(texto));
        return;
    }
    const auto articulo = store::leerArticuloParaEditar(store::unir(*tomo, nombre), nombre);
    if (!articulo) {
        Dialogos::error(this, articulo.error());
        return;
    }
    txtArticulo->setText(texto);
    TallerArt* art = abrirTallerArt();
    QStringList ilustraciones;
    for (const std::string& nombre : articulo->ilustraciones) {
        ilustraciones << ui::desdeStore(nombre);
    }
    art->agregarContenido(ui::desdeStore(articulo->titulo), ilustraciones, forja::textoDeLineas(articulo->cuerpo));
    // An editor window the author had minimized comes back; showing alone would leave it minimized.
    art->setWindowState(art->windowState() & ~Qt::WindowMinimized);
    art->show();
    art->raise();
    art->activateWindow();
}

void Taller::cmdLstAdd_Click() {
    const auto tomo = tomoActual();
    if (!tomo) {
        return;
    }
    const QString texto = txtLstNew->text();
    if (texto.isEmpty()) {
        Dialogos::avisar(this, QStringLiteral("Escriba el nombre de la nueva lista (sin extensión) en «Lista "
                                              "(NOMBRE):»."));
        return;
    }
    const auto nombre = textoAlmacen(texto);
    if (!nombre) {
        return;
    }
    if (const auto error = store::verificarNuevaLista(*tomo, *nombre)) {
        Dialogos::error(this, *error);
        return;
    }
    const std::string archivo = *nombre + ".dat";
    bool repetida = forja::esArchivoFijo(archivo);
    for (int i = 0; i < lstListas->count() && !repetida; ++i) {
        repetida = store::igualesSinCaso(bytesDe(lstListas->item(i)), *nombre);
    }
    for (int i = 0; i < lstArticulos->count() && !repetida; ++i) {
        repetida = store::igualesSinCaso(bytesDe(lstArticulos->item(i)), archivo);
    }
    if (repetida) {
        Dialogos::avisar(this, QStringLiteral("El archivo de la lista, «%1.dat», sería el de otra lista o el de otro "
                                              "archivo de la enciclotomo; elija otro nombre.")
                                   .arg(texto));
        return;
    }
    if (const auto estado = store::agregarLista(*tomo, *nombre); !estado) {
        Dialogos::error(this, estado.error());
        return;
    }
    lstListas->addItem(texto);
    txtLstNew->clear();
}

void Taller::cmdLstLoad_Click() {
    const int fila = filaSeleccionada(lstListas);
    if (fila < 0) {
        return;
    }
    const auto tomo = tomoActual();
    if (!tomo) {
        return;
    }
    const QString texto = lstListas->item(fila)->text();
    const auto lineas = store::leerLista(*tomo, bytesDe(lstListas->item(fila)));
    if (!lineas) {
        Dialogos::error(this, lineas.error());
        return;
    }
    // Each line ticks the first entry of exactly its text; the entries are indexed once, so that loading
    // a long list into thousands of articles does not compare every line with every entry.
    ArticulosMarcables* marcables = lstLstArts->articulos();
    marcables->desmarcarTodos();
    QHash<QString, int> primera;
    primera.reserve(marcables->rowCount());
    for (int i = marcables->rowCount() - 1; i >= 0; --i) { // from the last, so that the first one stays
        primera.insert(marcables->nombre(i), i);
    }
    for (const auto& linea : *lineas) {
        if (const auto encontrada = primera.constFind(ui::desdeStore(linea)); encontrada != primera.cend()) {
            marcables->marcar(*encontrada, true);
        }
    }
    txtLista->setText(texto + QStringLiteral(".dat"));
}

void Taller::cmdLstSave_Click() {
    const auto tomo = tomoActual();
    if (!tomo) {
        return;
    }
    const QString texto = txtLista->text();
    if (texto.isEmpty()) {
        Dialogos::avisar(this, QStringLiteral("No hay ninguna lista cargada: selecciónela en «Listas:» y pulse "
                                              "«Cargar Lista»."));
        return;
    }
    const auto archivo = textoAlmacen(texto);
    if (!archivo) {
        return;
    }
    if (!store::nombreArchivoValido(*archivo)) {
        Dialogos::avisar(this, QStringLiteral("«%1» no es un nombre de archivo válido para una lista.").arg(texto));
        return;
    }
    // The complete list is a list file like the others (the viewer loads it by the list name COMPLETA), so
    // the ticked articles may be saved as it; the other fixed files and the articles are not lists.
    bool ajeno = forja::esArchivoFijo(*archivo) && !store::igualesSinCaso(*archivo, store::kCompleta);
    for (int i = 0; i < lstArticulos->count() && !ajeno; ++i) {
        ajeno = store::igualesSinCaso(bytesDe(lstArticulos->item(i)), *archivo);
    }
    if (ajeno) {
        Dialogos::avisar(this, QStringLiteral("«%1» no es el archivo de una lista sino otro archivo de la "
                                              "enciclotomo; no se sobrescribe.")
                                   .arg(texto));
        return;
    }
    store::Lineas marcados;
    for (int i = 0; i < lstLstArts->count(); ++i) {
        if (lstLstArts->articulos()->marcado(i)) {
            marcados.push_back(ui::haciaStore(lstLstArts->articulos()->nombre(i)).value_or(std::string()));
        }
    }
    // Saving over the complete list drops every article not ticked from the encyclopaedia: asked first.
    if (store::igualesSinCaso(*archivo, store::kCompleta)) {
        const int respuesta = Dialogos::elegir(
            this,
            QStringLiteral("«%1» es la lista completa de la enciclotomo, que hoy tiene %2. Si la guarda, %3: los "
                           "artículos no marcados dejarán de aparecer en el visor. ¿Desea guardarla?")
                .arg(texto, articulos(lstArticulos->count()),
                     marcados.empty()
                         ? QStringLiteral("no tendrá ningún artículo")
                         : QStringLiteral("tendrá %1")
                               .arg(articulos(static_cast<qsizetype>(marcados.size()), QStringLiteral("un solo")))),
            {QStringLiteral("Guardar la lista completa"), QStringLiteral("No guardar")}, 1, 1);
        if (respuesta != 0) {
            return;
        }
    }
    if (const auto estado = store::guardarLista(store::unir(*tomo, *archivo), marcados); !estado) {
        Dialogos::error(this, estado.error());
    }
}

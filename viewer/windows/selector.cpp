#include "windows/selector.h"

#include "main_window/enciclopedia_actual.h"
#include "main_window/fuentes.h"
#include "main_window/modelo_de_titulos.h"
#include "main_window/teclado.h"
#include "store/archivos_de_lista.h"
#include "store/enciclopedia.h"
#include "store/rutas.h"
#include "ui/anclas.h"
#include "ui/dialogos.h"
#include "ui/texto.h"
#include "ui/twips.h"
#include "windows/busqueda_al_teclear.h"
#include "windows/lista_por_tandas.h"

#include <QCloseEvent>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QResizeEvent>
#include <QSignalBlocker>

#include <algorithm>

namespace {
// Rows of the title list laid out per turn of the event loop: about a millisecond's work.
constexpr int kFilasPorTanda = 20000;

std::string aStore(const QString& texto) {
    return ui::haciaStore(texto).value_or(std::string());
}

// 41000 as "41.000".
QString conMiles(int n) {
    QString cifras = QString::number(n);
    for (qsizetype i = cifras.size() - 3; i > 0; i -= 3) {
        cifras.insert(i, QLatin1Char('.'));
    }
    return cifras;
}
} // namespace

Selector::Selector(ModeloDeTitulos* indice, QWidget* parent) : QWidget(parent, Qt::Window), indice_(indice) {
    instalarSustitucionesDeFuentes();
    setObjectName(QStringLiteral("frmLibro2"));
    setWindowTitle(QStringLiteral("S E L E C T O R"));
    setFont(fuente(QStringLiteral("MS Sans Serif"), 8.25));
    setAutoFillBackground(true);
    QPalette fondo = palette();
    fondo.setColor(QPalette::Window, Qt::black);
    setPalette(fondo);

    lstArticulos = new QListView(this);
    lstArticulos->setModel(indice_);
    lstArticulos->setObjectName(QStringLiteral("lstArticulos"));
    lstArticulos->setAccessibleName(QStringLiteral("Títulos de los artículos"));
    lstArticulos->setSelectionMode(QAbstractItemView::SingleSelection);
    lstArticulos->setUniformItemSizes(true);
    // A view lays out every row it holds; a million titles are laid out a batch per turn of the event loop, so
    // that listing them never holds up the windows. A list of up to a batch is laid out at once, as before.
    lstArticulos->setLayoutMode(QListView::Batched);
    lstArticulos->setBatchSize(kFilasPorTanda);
    ui::colocar(lstArticulos, 120, 240, 2535, 3930);

    cmdTamano = new QPushButton(QStringLiteral(">"), this);
    cmdTamano->setObjectName(QStringLiteral("cmdTamano"));
    cmdTamano->setAccessibleName(QStringLiteral("Mostrar los filtros")); // what pressing it does now
    ui::colocar(cmdTamano, 2760, 240, 495, 495);
    cmdTamano->setAutoDefault(true); // Enter on the button that has the focus presses it, as Space does

    lstDats = new QListWidget(this);
    lstDats->setObjectName(QStringLiteral("lstDats"));
    lstDats->setAccessibleName(QStringLiteral("Filtros: listas de artículos"));
    ui::colocar(lstDats, 3360, 240, 2655, 3885);

    lblCantidad = new QLabel(QStringLiteral("artículos en la lista."), this);
    lblCantidad->setObjectName(QStringLiteral("lblCantidad"));
    lblCantidad->setAccessibleDescription(QStringLiteral("Cantidad de artículos")); // its text is its name
    lblCantidad->setFont(fuente(QStringLiteral("Arial"), 8.25, true));
    QPalette blanco = lblCantidad->palette();
    blanco.setColor(QPalette::WindowText, Qt::white);
    lblCantidad->setPalette(blanco);
    lblCantidad->setWordWrap(true);
    lblCantidad->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Wider and taller than designed, so that " Filtros aplicados" is not cut off in the narrow window.
    ui::colocar(lblCantidad, 120, 4170, kAnchoAngosto - 240, kAltoCliente - 4170);

    ui::tamanoCliente(this, kAnchoAngosto, kAltoCliente);
    // A larger window gives its room to the titles; the filters and the button keep to the right edge.
    using ui::Borde;
    ui::anclar(lstArticulos, Borde::Izquierdo | Borde::Superior | Borde::Derecho | Borde::Inferior);
    ui::anclar(cmdTamano, Borde::Superior | Borde::Derecho);
    ui::anclar(lstDats, Borde::Superior | Borde::Derecho | Borde::Inferior);
    ui::anclar(lblCantidad, Borde::Izquierdo | Borde::Derecho | Borde::Inferior);
    ui::recordarGeometria(this);

    connect(cmdTamano, &QPushButton::clicked, this, &Selector::cmdTamano_Click);
    connect(lstArticulos, &QListView::doubleClicked, this, [this] { lstArticulos_DblClick(); });
    connect(indice_, &ModeloDeTitulos::progreso, this, [this](int listados, int total) {
        lblCantidad->setText(QStringLiteral("Leyendo títulos… %1 de %2").arg(conMiles(listados), conMiles(total)));
    });
    // Titles listed from the cache are checked against the files: the count line says so until it is done.
    connect(indice_, &ModeloDeTitulos::progresoComprobacion, this, [this](int comprobados, int total) {
        lblCantidad->setText(QStringLiteral("%1 artículos en la lista. Comprobando títulos… %2 de %3")
                                 .arg(indice_->rowCount())
                                 .arg(conMiles(comprobados), conMiles(total)));
    });
    connect(indice_, &ModeloDeTitulos::listadoTerminado, this, &Selector::mostrarCantidad);
    teclado::enterComoDobleClic(lstArticulos, [this] { lstArticulos_DblClick(); });
    // The arrows, Home, End and the page keys pressed while a long list is still being laid out go where they
    // would once it is.
    lista_por_tandas::moverPorFilas(lstArticulos);
    // Typing a title's first letters goes to it.
    auto* busqueda = new BusquedaAlTeclear(lstArticulos);
    busqueda->leerTextosDe(indice_, [indice = indice_](int fila) { return indice->titulo(fila); });
    teclado::escapeCierra(this);
}

void Selector::Form_Load() {
    cargado_ = true;
    resize(ui::pixeles(kAnchoAngosto), height());

    QString motivo;
    std::string dir;
    if (const auto encontrado = buscarEnciclopediaActual(&motivo)) {
        dir = *encontrado;
    } else {
        ui::Dialogos::avisar(this, motivo);
        return;
    }
    const auto nombres = store::leerIndiceListas(dir);
    if (!nombres) {
        ui::Dialogos::error(this, nombres.error());
        return;
    }
    // The entries are added in one call and made checkable without telling the view of each: added one at a
    // time, each made the view look at every entry again, and a list index of many lines took minutes.
    QStringList entradas;
    entradas.reserve(static_cast<qsizetype>(nombres->size()));
    for (const std::string_view nombre : *nombres) {
        entradas << ui::desdeStore(nombre);
    }
    const int desde = lstDats->count();
    lstDats->addItems(entradas);
    {
        const QSignalBlocker callado(lstDats->model());
        for (int i = desde; i < lstDats->count(); ++i) {
            QListWidgetItem* item = lstDats->item(i);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
    }
    lstDats->viewport()->update();
}

void Selector::recargarFiltros() {
    lstDats->clear();
    Form_Load();
}

void Selector::Aceptar() {
    indice_->vaciar();
    show();
    bool alguno = false;
    for (int i = 0; i < lstDats->count(); ++i) {
        if (lstDats->item(i)->checkState() == Qt::Checked) {
            alguno = true;
            indice_->cargarLista(aStore(lstDats->item(i)->text()));
        }
    }
    if (!alguno) {
        indice_->cargarLista(std::string(store::kNombreCompleta));
    }
    indice_->listar();
}

void Selector::ActuaLbl() {
    filtrada_ = false;
    for (int i = 0; i < lstDats->count() && !filtrada_; ++i) {
        filtrada_ = lstDats->item(i)->checkState() == Qt::Checked;
    }
    mostrarCantidad();
}

void Selector::mostrarCantidad() {
    if (indice_->listando()) {
        return; // the reading's progress shows until it is done
    }
    QString texto = QStringLiteral("%1 artículos en la lista.").arg(indice_->rowCount());
    if (filtrada_) {
        texto += QStringLiteral(" Filtros aplicados");
    }
    lblCantidad->setText(texto);
}

void Selector::cmdTamano_Click() {
    // Widening adds the filters' width to whatever width the reader gave the window; narrowing takes it away.
    const int filtros = ui::pixeles(kAnchoAncho) - ui::pixeles(kAnchoAngosto);
    ancho_ = !ancho_;
    const int nuevo = ancho_ ? width() + filtros : std::max(width() - filtros, ui::pixeles(kAnchoAngosto));
    mostrarAnchura();
    resize(nuevo, height());
    if (!ancho_) {
        Aceptar();
    }
    ActuaLbl();
}

void Selector::recargar() {
    // Form_Load has narrowed the window; it keeps the filters shown if the reader had them shown.
    mostrarAnchura();
    resize(ui::pixeles(ancho_ ? kAnchoAncho : kAnchoAngosto), height());
    Aceptar();
    ActuaLbl();
}

void Selector::mostrarAnchura() {
    ui::fijarTamanoDeDiseno(this, QSize(ui::pixeles(ancho_ ? kAnchoAncho : kAnchoAngosto), ui::pixeles(kAltoCliente)));
    cmdTamano->setText(ancho_ ? QStringLiteral("<") : QStringLiteral(">"));
    cmdTamano->setAccessibleName(ancho_ ? QStringLiteral("Ocultar los filtros")
                                        : QStringLiteral("Mostrar los filtros"));
    lstDats->setVisible(ancho_);
}

void Selector::lstArticulos_DblClick() {
    const QModelIndex elegido = lstArticulos->currentIndex();
    if (!elegido.isValid() || !lstArticulos->selectionModel()->isSelected(elegido) ||
        elegido.row() >= indice_->cantidadNombres()) {
        return;
    }
    emit articuloElegido(elegido.row());
}

void Selector::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    // The narrow width is that of the whole window where it was designed; measured as the client area
    // here, it would leave a sliver of the filter list showing. Only the wide window shows the filters.
    lstDats->setVisible(ancho_);
}

void Selector::closeEvent(QCloseEvent* e) {
    e->ignore();
    hide();
}

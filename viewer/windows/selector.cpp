#include "windows/selector.h"

#include "main_window/enciclopedia_actual.h"
#include "main_window/fuentes.h"
#include "main_window/teclado.h"
#include "main_window/ventana_principal.h"
#include "store/encyclopaedia.h"
#include "store/list_files.h"
#include "store/paths.h"
#include "ui/anclas.h"
#include "ui/dialogos.h"
#include "ui/texto.h"
#include "ui/twips.h"
#include "windows/busqueda_al_teclear.h"

#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QResizeEvent>

#include <algorithm>

namespace {
std::string aStore(const QString& texto) {
    return ui::haciaStore(texto).value_or(std::string());
}
} // namespace

Selector::Selector(VentanaPrincipal* principal) : QWidget(principal, Qt::Window), principal_(principal) {
    instalarSustitucionesDeFuentes();
    setObjectName(QStringLiteral("frmLibro2"));
    setWindowTitle(QStringLiteral("S E L E C T O R"));
    setFont(fuente(QStringLiteral("MS Sans Serif"), 8.25));
    setAutoFillBackground(true);
    QPalette fondo = palette();
    fondo.setColor(QPalette::Window, Qt::black);
    setPalette(fondo);

    lstArticulos = new QListWidget(this);
    lstArticulos->setObjectName(QStringLiteral("lstArticulos"));
    lstArticulos->setAccessibleName(QStringLiteral("Títulos de los artículos"));
    lstArticulos->setSelectionMode(QAbstractItemView::SingleSelection);
    lstArticulos->setUniformItemSizes(true);
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

    lstArticulo2 = new QListWidget(this);
    lstArticulo2->setObjectName(QStringLiteral("lstArticulo2"));
    lstArticulo2->hide();

    ui::tamanoCliente(this, kAnchoAngosto, kAltoCliente);
    // A larger window gives its room to the titles; the filters and the button keep to the right edge.
    using ui::Borde;
    ui::anclar(lstArticulos, Borde::Izquierdo | Borde::Superior | Borde::Derecho | Borde::Inferior);
    ui::anclar(cmdTamano, Borde::Superior | Borde::Derecho);
    ui::anclar(lstDats, Borde::Superior | Borde::Derecho | Borde::Inferior);
    ui::anclar(lblCantidad, Borde::Izquierdo | Borde::Derecho | Borde::Inferior);
    ui::recordarGeometria(this);

    connect(cmdTamano, &QPushButton::clicked, this, &Selector::cmdTamano_Click);
    connect(lstArticulos, &QListWidget::itemDoubleClicked, this, [this] { lstArticulos_DblClick(); });
    teclado::enterComoDobleClic(lstArticulos, [this] { lstArticulos_DblClick(); });
    new BusquedaAlTeclear(lstArticulos); // typing a title's first letters goes to it
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
    for (const std::string& nombre : *nombres) {
        auto* item = new QListWidgetItem(ui::desdeStore(nombre), lstDats);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

void Selector::Aceptar() {
    lstArticulo2->clear();
    lstArticulos->clear();
    bool alguno = false;
    for (int i = 0; i < lstDats->count(); ++i) {
        if (lstDats->item(i)->checkState() == Qt::Checked) {
            alguno = true;
            principal_->Cargar(aStore(lstDats->item(i)->text()), false);
        }
    }
    if (!alguno) {
        principal_->Cargar(std::string(store::kNombreCompleta), false);
    }
    principal_->Actualizar();
}

void Selector::ActuaLbl() {
    QString texto = QStringLiteral("%1 artículos en la lista.").arg(lstArticulos->count());
    for (int i = 0; i < lstDats->count(); ++i) {
        if (lstDats->item(i)->checkState() == Qt::Checked) {
            texto += QStringLiteral(" Filtros aplicados");
            break;
        }
    }
    lblCantidad->setText(texto);
}

void Selector::cmdTamano_Click() {
    // Widening adds the filters' width to whatever width the reader gave the window; narrowing takes it away.
    const int filtros = ui::pixeles(kAnchoAncho) - ui::pixeles(kAnchoAngosto);
    const int alto = ui::pixeles(kAltoCliente);
    ancho_ = !ancho_;
    if (ancho_) {
        const int nuevo = width() + filtros;
        ui::fijarTamanoDeDiseno(this, QSize(ui::pixeles(kAnchoAncho), alto));
        resize(nuevo, height());
        cmdTamano->setText(QStringLiteral("<"));
        cmdTamano->setAccessibleName(QStringLiteral("Ocultar los filtros"));
    } else {
        const int nuevo = std::max(width() - filtros, ui::pixeles(kAnchoAngosto));
        ui::fijarTamanoDeDiseno(this, QSize(ui::pixeles(kAnchoAngosto), alto));
        resize(nuevo, height());
        Aceptar();
        cmdTamano->setText(QStringLiteral(">"));
        cmdTamano->setAccessibleName(QStringLiteral("Mostrar los filtros"));
    }
    lstDats->setVisible(ancho_);
    ActuaLbl();
}

void Selector::lstArticulos_DblClick() {
    const int i = lstArticulos->currentRow();
    if (i < 0 || !lstArticulos->item(i)->isSelected() || i >= lstArticulo2->count()) {
        return;
    }
    const std::string nombre = aStore(lstArticulo2->item(i)->text());
    if (!principal_->abrirArticulo(store::unir(directorio(), nombre))) {
        return; // said by the main window; the last article read stays recorded
    }
    if (const auto escrito = store::escribirUltimo(directorio(), nombre); !escrito) {
        ui::Dialogos::error(this, escrito.error());
    }
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

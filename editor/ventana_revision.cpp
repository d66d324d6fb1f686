#include "editor/ventana_revision.h"

#include "editor/acciones_tomos.h"
#include "editor/comun.h"
#include "editor/estado.h"
#include "editor/revision.h"
#include "editor/sesion.h"
#include "ui/dialogos.h"
#include "ui/texto.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>

using forja::boton;
using forja::control;
using ui::Dialogos;

namespace {

constexpr int kColumnaBoton = 2;
constexpr int kRolArticulo = Qt::UserRole;
constexpr int kRolLista = Qt::UserRole + 1;

// The button drawn in the last column of a problem that has something to open; a click on it opens it.
class BotonDeFila : public QStyledItemDelegate {
public:
    BotonDeFila(VentanaRevision* ventana) : QStyledItemDelegate(ventana), ventana_(ventana) {}

    void paint(QPainter* pintor, const QStyleOptionViewItem& opcion, const QModelIndex& indice) const override {
        const QString texto = indice.data(Qt::DisplayRole).toString();
        if (indice.column() != kColumnaBoton || texto.isEmpty()) {
            QStyledItemDelegate::paint(pintor, opcion, indice);
            return;
        }
        QStyleOptionButton b;
        b.rect = opcion.rect.adjusted(1, 1, -1, -1);
        b.text = texto;
        b.state = QStyle::State_Enabled | QStyle::State_Raised;
        const QWidget* w = opcion.widget;
        (w ? w->style() : QApplication::style())->drawControl(QStyle::CE_PushButton, &b, pintor, w);
    }

    QSize sizeHint(const QStyleOptionViewItem& opcion, const QModelIndex& indice) const override {
        QSize s = QStyledItemDelegate::sizeHint(opcion, indice);
        if (indice.column() == kColumnaBoton) {
            s += QSize(16, 6);
        }
        return s;
    }

    bool editorEvent(QEvent* evento, QAbstractItemModel* modelo, const QStyleOptionViewItem& opcion,
                     const QModelIndex& indice) override {
        if (indice.column() == kColumnaBoton && evento->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(evento)->button() == Qt::LeftButton &&
            !indice.data(Qt::DisplayRole).toString().isEmpty()) {
            ventana_->abrir(indice.row());
            return true;
        }
        return QStyledItemDelegate::editorEvent(evento, modelo, opcion, indice);
    }

private:
    VentanaRevision* ventana_;
};

} // namespace

VentanaRevision::VentanaRevision(SesionForja& sesion, QWidget* parent)
    : QWidget(parent, Qt::Window), sesion_(sesion), revisor_(new forja::Revisor(this)) {
    setObjectName(QStringLiteral("VentanaRevision"));
    setWindowTitle(QStringLiteral("Revisar la enciclotomo"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(760, 480);

    auto* capa = new QVBoxLayout(this);
    lblTomo = forja::etiqueta(this, QStringLiteral("lblTomo"), QString());
    capa->addWidget(lblTomo);
    barProgreso = control<QProgressBar>(this, QStringLiteral("barProgreso"), QStringLiteral("Avance de la revisión"));
    capa->addWidget(barProgreso);
    lblResumen = forja::etiqueta(this, QStringLiteral("lblResumen"), QString());
    capa->addWidget(lblResumen);
    lstProblemas = control<QTreeWidget>(this, QStringLiteral("lstProblemas"), QStringLiteral("Problemas encontrados"));
    lstProblemas->setHeaderLabels({QStringLiteral("Dónde"), QStringLiteral("Problema"), QString()});
    lstProblemas->setRootIsDecorated(false);
    lstProblemas->setUniformRowHeights(true);
    lstProblemas->setItemDelegate(new BotonDeFila(this));
    lstProblemas->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    lstProblemas->header()->setStretchLastSection(false);
    lstProblemas->setColumnWidth(0, 200);
    lstProblemas->setColumnWidth(kColumnaBoton, 130);
    capa->addWidget(lstProblemas, 1);
    auto* botones = new QHBoxLayout;
    cmdAbrir = boton(this, QStringLiteral("cmdAbrir"), QStringLiteral("Abrir"));
    cmdRevisar = boton(this, QStringLiteral("cmdRevisar"), QStringLiteral("Revisar de nuevo"));
    cmdCerrar = boton(this, QStringLiteral("cmdCerrar"), QStringLiteral("Cerrar"));
    botones->addWidget(cmdAbrir);
    botones->addStretch(1);
    botones->addWidget(cmdRevisar);
    botones->addWidget(cmdCerrar);
    capa->addLayout(botones);

    connect(revisor_, &forja::Revisor::avance, this, [this](qulonglong hechos, qulonglong total) {
        barProgreso->setMaximum(static_cast<int>(std::max<qulonglong>(total, 1)));
        barProgreso->setValue(static_cast<int>(hechos));
        lblResumen->setText(QStringLiteral("Revisando: %1 de %2 artículos…").arg(hechos).arg(total));
    });
    connect(revisor_, &forja::Revisor::terminada, this, &VentanaRevision::mostrarResultado);
    connect(cmdAbrir, &QPushButton::clicked, this, [this] { abrir(lstProblemas->currentIndex().row()); });
    connect(cmdRevisar, &QPushButton::clicked, this, &VentanaRevision::revisar);
    connect(cmdCerrar, &QPushButton::clicked, this, &QWidget::close);
    connect(lstProblemas, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { abrir(lstProblemas->indexOfTopLevelItem(item)); });
    connect(lstProblemas, &QTreeWidget::currentItemChanged, this, &VentanaRevision::elegido);
    elegido();
}

bool VentanaRevision::revisando() const {
    return revisor_->trabajando();
}

bool VentanaRevision::revisar() {
    const auto directorio = forja::directorioDelTomo(this, *sesion_.tomo());
    if (!directorio) {
        return false;
    }
    directorio_ = sesion_.tomo()->directorio();
    lblTomo->setText(QStringLiteral("Enciclotomo: %1").arg(directorio_));
    lstProblemas->clear();
    barProgreso->setRange(0, 0); // busy until the first articles are counted
    lblResumen->setText(QStringLiteral("Revisando…"));
    cmdRevisar->setEnabled(false);
    elegido();
    revisor_->empezar(*directorio);
    return true;
}

void VentanaRevision::mostrarResultado() {
    cmdRevisar->setEnabled(true);
    barProgreso->setRange(0, 1);
    barProgreso->setValue(1);
    if (!revisor_->error().isEmpty()) {
        lblResumen->setText(revisor_->error());
        return;
    }
    const auto& problemas = revisor_->problemas();
    QList<QTreeWidgetItem*> filas;
    filas.reserve(static_cast<qsizetype>(problemas.size()));
    for (const store::Problema& p : problemas) {
        QString donde = ui::desdeStore(p.archivo);
        if (p.linea > 0) {
            donde += QStringLiteral(", línea %1").arg(p.linea);
        }
        const QString abrir = !p.articulo.empty() ? QStringLiteral("Abrir el artículo")
                              : !p.lista.empty()  ? QStringLiteral("Cargar la lista")
                                                  : QString();
        auto* fila = new QTreeWidgetItem({donde, ui::desdeStore(p.explicacion), abrir});
        fila->setData(0, kRolArticulo, ui::desdeStore(p.articulo));
        fila->setData(0, kRolLista, ui::desdeStore(p.lista));
        fila->setToolTip(1, ui::desdeStore(p.explicacion));
        filas << fila;
    }
    lstProblemas->addTopLevelItems(filas);
    lblResumen->setText(problemas.empty()       ? QStringLiteral("No se encontró ningún problema.")
                        : problemas.size() == 1 ? QStringLiteral("Se encontró un problema.")
                                                : QStringLiteral("Se encontraron %1 problemas.").arg(problemas.size()));
    elegido();
}

void VentanaRevision::elegido() {
    const QTreeWidgetItem* fila = lstProblemas->currentItem();
    cmdAbrir->setEnabled(fila && !fila->text(kColumnaBoton).isEmpty());
    cmdAbrir->setText(fila && !fila->text(kColumnaBoton).isEmpty() ? fila->text(kColumnaBoton)
                                                                   : QStringLiteral("Abrir"));
}

void VentanaRevision::abrir(int fila) {
    const QTreeWidgetItem* item = lstProblemas->topLevelItem(fila);
    if (!item) {
        return;
    }
    const QString articulo = item->data(0, kRolArticulo).toString();
    const QString lista = item->data(0, kRolLista).toString();
    if (articulo.isEmpty() && lista.isEmpty()) {
        return;
    }
    if (sesion_.tomo()->directorio() != directorio_) {
        Dialogos::avisar(this, QStringLiteral("La enciclotomo cargada en la ventana principal ya no es «%1», la "
                                              "revisada: cárguela de nuevo para abrir lo que se revisó.")
                                   .arg(directorio_));
        return;
    }
    if (!articulo.isEmpty()) {
        sesion_.pedirArticulo(articulo);
    } else {
        sesion_.pedirLista(lista);
    }
}

void VentanaRevision::closeEvent(QCloseEvent* event) {
    revisor_->cancelar();
    event->accept();
}

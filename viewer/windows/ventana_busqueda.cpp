#include "windows/ventana_busqueda.h"

#include "main_window/al_frente.h"
#include "main_window/teclado.h"
#include "ui/texto.h"
#include "windows/busqueda_en_texto.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QProgressBar>
#include <QStyledItemDelegate>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kEsperaAlTeclear = 200; // ms

// Draws each result as its HTML: the title, then the passage with the words found in bold.
class DelegadoHtml : public QStyledItemDelegate {
public:
    explicit DelegadoHtml(QListView* vista) : QStyledItemDelegate(vista), vista_(vista) {}

    void paint(QPainter* pintor, const QStyleOptionViewItem& opcion, const QModelIndex& indice) const override {
        QStyleOptionViewItem o = opcion;
        initStyleOption(&o, indice);
        o.text.clear();
        const QWidget* w = o.widget;
        (w ? w->style() : QApplication::style())->drawControl(QStyle::CE_ItemViewItem, &o, pintor, w);

        QTextDocument doc;
        preparar(doc, indice, o.rect.width());
        QAbstractTextDocumentLayout::PaintContext contexto;
        contexto.palette.setColor(
            QPalette::Text,
            o.palette.color(o.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
        pintor->save();
        pintor->translate(o.rect.topLeft());
        pintor->setClipRect(o.rect.translated(-o.rect.topLeft()));
        doc.documentLayout()->draw(pintor, contexto);
        pintor->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& indice) const override {
        QTextDocument doc;
        const int ancho = vista_->viewport()->width();
        preparar(doc, indice, ancho);
        return {ancho, static_cast<int>(doc.size().height())};
    }

private:
    void preparar(QTextDocument& doc, const QModelIndex& indice, int ancho) const {
        doc.setDefaultFont(vista_->font());
        doc.setDocumentMargin(4);
        doc.setHtml(indice.data(ResultadosDeBusqueda::Html).toString());
        doc.setTextWidth(ancho);
    }

    QListView* vista_;
};

} // namespace

VentanaBusqueda::VentanaBusqueda(QWidget* padre, std::function<std::string()> directorio)
    : QWidget(padre, Qt::Window), directorio_(std::move(directorio)), modelo_(new BusquedaEnTexto(this)),
      espera_(new QTimer(this)) {
    setObjectName(QStringLiteral("frmBuscarTexto"));
    setWindowTitle(QStringLiteral("Buscar en el texto"));
    resize(520, 480);

    txtBuscado = new QLineEdit(this);
    txtBuscado->setObjectName(QStringLiteral("txtBuscado"));
    txtBuscado->setAccessibleName(QStringLiteral("Texto buscado"));
    txtBuscado->setPlaceholderText(QStringLiteral("Palabras, \"frase exacta\" o prefijo*"));
    txtBuscado->setClearButtonEnabled(true);

    lblEncontrados = new QLabel(this);
    lblEncontrados->setObjectName(QStringLiteral("lblEncontrados"));

    lstResultados = new QListView(this);
    lstResultados->setObjectName(QStringLiteral("lstResultados"));
    lstResultados->setAccessibleName(QStringLiteral("Resultados"));
    lstResultados->setModel(modelo_->resultados());
    lstResultados->setItemDelegate(new DelegadoHtml(lstResultados));
    lstResultados->setSelectionMode(QAbstractItemView::SingleSelection);
    lstResultados->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstResultados->setResizeMode(QListView::Adjust);
    lstResultados->setWordWrap(true);
    lstResultados->setAlternatingRowColors(true);

    lblIndice = new QLabel(this);
    lblIndice->setObjectName(QStringLiteral("lblIndice"));
    lblIndice->setWordWrap(true);
    prgIndice = new QProgressBar(this);
    prgIndice->setObjectName(QStringLiteral("prgIndice"));
    prgIndice->setAccessibleName(QStringLiteral("Avance del índice de búsqueda"));
    prgIndice->hide();

    auto* capas = new QVBoxLayout(this);
    capas->addWidget(txtBuscado);
    capas->addWidget(lblEncontrados);
    capas->addWidget(lstResultados, 1);
    capas->addWidget(lblIndice);
    capas->addWidget(prgIndice);

    espera_->setSingleShot(true);
    espera_->setInterval(kEsperaAlTeclear);
    connect(txtBuscado, &QLineEdit::textChanged, espera_, qOverload<>(&QTimer::start));
    connect(espera_, &QTimer::timeout, this, [this] {
        seguirEnciclopedia();
        modelo_->buscar(txtBuscado->text());
    });
    connect(txtBuscado, &QLineEdit::returnPressed, this, &VentanaBusqueda::abrirElegido);
    connect(lstResultados, &QListView::doubleClicked, this, &VentanaBusqueda::abrirElegido);
    teclado::enterComoDobleClic(lstResultados, [this] { abrirElegido(); });
    teclado::escapeCierra(this);

    connect(modelo_, &BusquedaEnTexto::resultadosCambiados, this, &VentanaBusqueda::mostrarResultados);
    connect(modelo_, &BusquedaEnTexto::avance, this, [this](qulonglong hechos, qulonglong total) {
        prgIndice->setRange(0, static_cast<int>(total));
        prgIndice->setValue(static_cast<int>(hechos));
        prgIndice->show();
        lblIndice->setText(QStringLiteral("Preparando el índice de búsqueda: %1 de %2 artículos…")
                               .arg(QLocale().toString(hechos), QLocale().toString(total)));
    });
    connect(modelo_, &BusquedaEnTexto::indiceAlDia, this, [this](const QString& mensaje) {
        prgIndice->hide();
        lblIndice->setText(mensaje);
    });
}

void VentanaBusqueda::enciclopediaCambiada() {
    if (isVisible() && directorio_() != modelo_->directorio()) {
        seguirEnciclopedia();
        modelo_->buscar(txtBuscado->text());
    }
}

void VentanaBusqueda::mostrar() {
    mostrarAlFrente(this);
    txtBuscado->setFocus();
    txtBuscado->selectAll();
    modelo_->abrir(directorio_());
}

void VentanaBusqueda::seguirEnciclopedia() {
    if (isVisible() && directorio_() != modelo_->directorio()) {
        modelo_->abrir(directorio_());
    }
}

void VentanaBusqueda::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) {
        seguirEnciclopedia();
    }
}

void VentanaBusqueda::mostrarResultados() {
    const std::size_t n = modelo_->encontrados();
    if (txtBuscado->text().trimmed().isEmpty()) {
        lblEncontrados->clear();
    } else if (!modelo_->exacto()) {
        lblEncontrados->setText(QStringLiteral("Unos %1 artículos encontrados").arg(QLocale().toString(qulonglong(n))));
    } else {
        lblEncontrados->setText(
            n == 1 ? QStringLiteral("1 artículo encontrado")
                   : QStringLiteral("%1 artículos encontrados").arg(QLocale().toString(qulonglong(n))));
    }
    if (modelo_->resultados()->rowCount() > 0) {
        lstResultados->setCurrentIndex(modelo_->resultados()->index(0));
    }
    if (abrirAlLlegar_) {
        abrirAlLlegar_ = false;
        abrirElegido();
    }
}

void VentanaBusqueda::abrirElegido() {
    if (espera_->isActive()) {
        espera_->stop();
        abrirAlLlegar_ = true;
        seguirEnciclopedia();
        modelo_->buscar(txtBuscado->text());
        return;
    }
    ResultadosDeBusqueda* r = modelo_->resultados();
    if (r->rowCount() == 0) {
        return;
    }
    const QModelIndex elegido = lstResultados->currentIndex().isValid() ? lstResultados->currentIndex() : r->index(0);
    emit articuloElegido(r->acierto(elegido.row()).nombre);
}

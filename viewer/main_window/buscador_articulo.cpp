#include "main_window/buscador_articulo.h"

#include "main_window/plegado.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QToolButton>

BuscadorArticulo::BuscadorArticulo(QPlainTextEdit* caja) : QFrame(caja), caja_(caja) {
    setObjectName(QStringLiteral("buscadorArticulo"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setAccessibleName(QStringLiteral("Buscar en el artículo"));
    setFont(caja->window()->font()); // the window's own, not the article's, which the reader may enlarge

    campo = new QLineEdit(this);
    campo->setObjectName(QStringLiteral("txtBuscarArticulo"));
    campo->setAccessibleName(QStringLiteral("Texto buscado en el artículo"));
    campo->setPlaceholderText(QStringLiteral("Buscar en el artículo"));
    cuenta = new QLabel(this);
    cuenta->setObjectName(QStringLiteral("lblBuscarArticulo"));
    auto* cerrarBoton = new QToolButton(this);
    cerrarBoton->setObjectName(QStringLiteral("cmdCerrarBuscarArticulo"));
    cerrarBoton->setText(QStringLiteral("×"));
    cerrarBoton->setAccessibleName(QStringLiteral("Cerrar la búsqueda en el artículo"));
    cerrarBoton->setAutoRaise(true);

    auto* fila = new QHBoxLayout(this);
    fila->setContentsMargins(4, 2, 2, 2);
    fila->setSpacing(4);
    fila->addWidget(campo, 1);
    fila->addWidget(cuenta);
    fila->addWidget(cerrarBoton);

    connect(campo, &QLineEdit::textChanged, this, &BuscadorArticulo::buscar);
    connect(cerrarBoton, &QToolButton::clicked, this, &BuscadorArticulo::cerrar);
    // Another article in the box: its text is searched afresh.
    connect(caja_->document(), &QTextDocument::contentsChanged, this, [this] {
        if (isVisible()) {
            buscar();
        }
    });
    campo->installEventFilter(this);
    caja_->installEventFilter(this);
    hide();
}

void BuscadorArticulo::abrir() {
    colocar();
    show();
    raise();
    campo->setFocus();
    campo->selectAll();
    buscar();
}

void BuscadorArticulo::cerrar() {
    hide();
    coincidencias_.clear();
    actual_ = -1;
    caja_->setExtraSelections({});
    caja_->setFocus();
}

void BuscadorArticulo::siguiente() {
    if (!coincidencias_.empty()) {
        irA((actual_ + 1) % static_cast<int>(coincidencias_.size()));
    }
}

void BuscadorArticulo::anterior() {
    if (!coincidencias_.empty()) {
        const int n = static_cast<int>(coincidencias_.size());
        irA((actual_ - 1 + n) % n);
    }
}

void BuscadorArticulo::buscar() {
    coincidencias_.clear();
    actual_ = -1;
    const QString buscado = plegado::plegar(campo->text());
    largo_ = static_cast<int>(buscado.size());
    if (!buscado.isEmpty()) {
        // Offsets in the folded text are offsets in the document: folding maps each unit to one.
        const QString texto = plegado::plegar(caja_->document()->toPlainText());
        for (qsizetype p = texto.indexOf(buscado); p >= 0; p = texto.indexOf(buscado, p + largo_)) {
            coincidencias_.push_back(static_cast<int>(p));
        }
    }
    if (coincidencias_.empty()) {
        cuenta->setText(buscado.isEmpty() ? QString() : QStringLiteral("Sin resultados"));
        resaltar();
        return;
    }
    // The first match at or after the reading place, so that typing does not jump back to the top.
    const int desde = caja_->textCursor().selectionStart();
    int primero = 0;
    for (std::size_t i = 0; i < coincidencias_.size(); ++i) {
        if (coincidencias_[i] >= desde) {
            primero = static_cast<int>(i);
            break;
        }
    }
    irA(primero);
}

void BuscadorArticulo::irA(int indice) {
    actual_ = indice;
    QTextCursor c(caja_->document());
    c.setPosition(coincidencias_[static_cast<std::size_t>(indice)]);
    c.setPosition(coincidencias_[static_cast<std::size_t>(indice)] + largo_, QTextCursor::KeepAnchor);
    caja_->setTextCursor(c);
    caja_->ensureCursorVisible();
    cuenta->setText(QStringLiteral("%1 de %2").arg(indice + 1).arg(coincidencias_.size()));
    resaltar();
}

void BuscadorArticulo::resaltar() {
    QList<QTextEdit::ExtraSelection> marcas;
    marcas.reserve(static_cast<qsizetype>(coincidencias_.size()));
    QTextCharFormat todas;
    todas.setBackground(QColor(255, 235, 110));
    todas.setForeground(Qt::black);
    QTextCharFormat actual = todas;
    actual.setBackground(QColor(255, 150, 50));
    for (std::size_t i = 0; i < coincidencias_.size(); ++i) {
        QTextEdit::ExtraSelection marca;
        marca.cursor = QTextCursor(caja_->document());
        marca.cursor.setPosition(coincidencias_[i]);
        marca.cursor.setPosition(coincidencias_[i] + largo_, QTextCursor::KeepAnchor);
        marca.format = static_cast<int>(i) == actual_ ? actual : todas;
        marcas.push_back(marca);
    }
    caja_->setExtraSelections(marcas);
}

void BuscadorArticulo::colocar() {
    // Top right of the text, clear of the vertical scroll bar.
    const int ancho = std::min(caja_->viewport()->width() - 4, 240);
    const QSize tamano(ancho, sizeHint().height());
    const QRect vista = caja_->viewport()->geometry();
    setGeometry(QRect(QPoint(vista.right() - tamano.width() - 1, vista.top() + 2), tamano));
}

bool BuscadorArticulo::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == caja_ && evento->type() == QEvent::Resize) {
        colocar();
    } else if (objeto == caja_ && evento->type() == QEvent::KeyPress && isVisible() &&
               static_cast<const QKeyEvent*>(evento)->key() == Qt::Key_Escape) {
        cerrar();
        return true;
    } else if (objeto == campo && evento->type() == QEvent::KeyPress) {
        const auto* tecla = static_cast<const QKeyEvent*>(evento);
        const bool mayusculas = tecla->modifiers() & Qt::ShiftModifier;
        switch (tecla->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            mayusculas ? anterior() : siguiente();
            return true;
        case Qt::Key_Escape:
            cerrar();
            return true;
        default:
            break;
        }
    }
    return QFrame::eventFilter(objeto, evento);
}

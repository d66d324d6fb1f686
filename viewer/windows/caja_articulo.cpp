#include "windows/caja_articulo.h"

#include <QMouseEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// Spaces, line breaks and tabs: a tab in an article line shows as a gap like a space, so the words on
// either side of it are two runs (as one run the word would hold a tab and never match the dictionary).
bool esBlanco(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QChar::ParagraphSeparator ||
           c == QChar::LineSeparator || c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

} // namespace

CajaArticulo::CajaArticulo(QWidget* parent) : QPlainTextEdit(parent) {}

void CajaArticulo::seleccionarCorrida(const QPoint& punto) {
    const QTextDocument* doc = document();
    const int fin = doc->characterCount() - 1; // the last position holds the closing paragraph separator
    const int p = cursorForPosition(punto).position();
    int desde = p;
    int hasta = p;
    while (desde > 0 && !esBlanco(doc->characterAt(desde - 1))) {
        --desde;
    }
    while (hasta < fin && !esBlanco(doc->characterAt(hasta))) {
        ++hasta;
    }
    QTextCursor c(document());
    c.setPosition(desde);
    c.setPosition(hasta, QTextCursor::KeepAnchor);
    setTextCursor(c);
}

void CajaArticulo::mouseDoubleClickEvent(QMouseEvent* evento) {
    if (evento->button() != Qt::LeftButton) {
        QPlainTextEdit::mouseDoubleClickEvent(evento);
        return;
    }
    seleccionarCorrida(evento->position().toPoint());
    evento->accept();
    emit palabraElegida();
}

#include "print/paginas.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

namespace print {

namespace {

constexpr double kPuntosPie = 9;
constexpr double kPuntosContenido = 11;

} // namespace

void prepararA4(QPagedPaintDevice& destino) {
    destino.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 20, 20, 15),
                                      QPageLayout::Millimeter));
}

Paginas::Paginas(QPagedPaintDevice& destino) : destino_(destino) {
    const QRect util = destino_.pageLayout().paintRectPixels(destino_.logicalDpiX());
    ancho_ = util.width();
    // The foot: a line of small type with half a line above it.
    pie_ = std::ceil(QFontMetricsF(fuente(kPuntosPie), &destino_).height() * 2);
    alto_ = std::max(1.0, util.height() - pie_);
    pintor_.begin(&destino_);
}

Paginas::~Paginas() {
    if (pintor_.isActive()) {
        pintor_.end();
    }
}

bool Paginas::activo() const {
    return pintor_.isActive();
}

bool Paginas::terminar() {
    return pintor_.isActive() && pintor_.end();
}

QSizeF Paginas::area() const {
    return {ancho_, alto_};
}

QFont Paginas::fuente(double puntos, bool negrita) const {
    QFont f(QStringLiteral("Liberation Serif"));
    f.setStyleStrategy(QFont::PreferNoShaping); // no ligatures: "fi" stays two letters for searching and copying
    f.setPointSizeF(puntos);
    f.setBold(negrita);
    return f;
}

void Paginas::preparar(QTextDocument& documento) const {
    documento.documentLayout()->setPaintDevice(&destino_);
    documento.setPageSize(area());
}

int Paginas::paginasDe(QTextDocument& documento) {
    return std::max(1, documento.pageCount());
}

void Paginas::nuevaPagina() {
    if (empezado_) {
        destino_.newPage();
    }
    empezado_ = true;
    ++numero_;
}

void Paginas::pie() {
    pintor_.save();
    pintor_.setFont(fuente(kPuntosPie));
    pintor_.setPen(Qt::black);
    pintor_.drawText(QRectF(0, alto_, ancho_, pie_), Qt::AlignHCenter | Qt::AlignBottom,
                     QStringLiteral("Página %1").arg(numero_));
    pintor_.restore();
}

bool Paginas::pintar(QTextDocument& documento, const std::function<bool()>& seguir) {
    const int total = paginasDe(documento);
    QAbstractTextDocumentLayout* maqueta = documento.documentLayout();
    for (int i = 0; i < total; ++i) {
        if (seguir && !seguir()) {
            return false;
        }
        nuevaPagina();
        pintor_.save();
        pintor_.setClipRect(QRectF(0, 0, ancho_, alto_));
        pintor_.translate(0, -i * alto_);
        QAbstractTextDocumentLayout::PaintContext contexto;
        contexto.clip = QRectF(0, i * alto_, ancho_, alto_);
        contexto.palette.setColor(QPalette::Text, Qt::black);
        maqueta->draw(&pintor_, contexto);
        pintor_.restore();
        pie();
    }
    return true;
}

void Paginas::portada(const QString& titulo, const QString& comentario) {
    nuevaPagina();
    pintor_.save();
    pintor_.setPen(Qt::black);
    pintor_.setFont(fuente(28, true));
    const QRectF arriba(0, alto_ / 4, ancho_, alto_ / 4);
    pintor_.drawText(arriba, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextWordWrap, titulo);
    pintor_.setFont(fuente(14));
    pintor_.drawText(QRectF(0, alto_ / 2 + pie_, ancho_, alto_ / 2 - pie_),
                     Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, comentario);
    pintor_.restore();
}

int Paginas::paginasDeContenido(int cuantos) const {
    const double linea = QFontMetricsF(fuente(kPuntosContenido), &destino_).lineSpacing();
    const double encabezado = QFontMetricsF(fuente(18, true), &destino_).lineSpacing() * 2;
    const int primera = std::max(1, static_cast<int>((alto_ - encabezado) / linea));
    const int otras = std::max(1, static_cast<int>(alto_ / linea));
    if (cuantos <= primera) {
        return 1;
    }
    return 1 + (cuantos - primera + otras - 1) / otras;
}

void Paginas::contenido(const QString& encabezado, const QStringList& titulos, const QList<int>& paginas) {
    const QFont normal = fuente(kPuntosContenido);
    const QFontMetricsF medidas(normal, &destino_);
    const double linea = medidas.lineSpacing();
    const QFont grande = fuente(18, true);
    const double alturaEncabezado = QFontMetricsF(grande, &destino_).lineSpacing() * 2;

    double y = alto_; // past the end: the first line opens a page
    bool primera = true;
    for (qsizetype i = 0; i < titulos.size(); ++i) {
        if (y + linea > alto_) {
            if (!primera) {
                pie();
            }
            nuevaPagina();
            y = 0;
            if (primera) {
                pintor_.setFont(grande);
                pintor_.setPen(Qt::black);
                pintor_.drawText(QRectF(0, 0, ancho_, alturaEncabezado), Qt::AlignLeft | Qt::AlignTop, encabezado);
                y = alturaEncabezado;
                primera = false;
            }
            pintor_.setFont(normal);
        }
        const QString numero = i < paginas.size() ? QString::number(paginas[i]) : QString();
        const double anchoNumero = medidas.horizontalAdvance(QStringLiteral("00000"));
        const QString titulo = medidas.elidedText(titulos[i], Qt::ElideRight, ancho_ - anchoNumero);
        pintor_.drawText(QRectF(0, y, ancho_ - anchoNumero, linea), Qt::AlignLeft | Qt::AlignVCenter, titulo);
        pintor_.drawText(QRectF(ancho_ - anchoNumero, y, anchoNumero, linea), Qt::AlignRight | Qt::AlignVCenter,
                         numero);
        y += linea;
    }
    if (primera) { // no titles: the heading alone
        nuevaPagina();
        pintor_.setFont(grande);
        pintor_.drawText(QRectF(0, 0, ancho_, alturaEncabezado), Qt::AlignLeft | Qt::AlignTop, encabezado);
    }
    pie();
}

} // namespace print

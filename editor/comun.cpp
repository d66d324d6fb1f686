#include "editor/comun.h"

#include <QPushButton>

#include "store/codificacion.h"
#include "store/enciclopedia.h"
#include "ui/dialogos.h"
#include "ui/texto.h"

#include <QLabel>

#include <algorithm>
#include <array>

namespace forja {

std::optional<std::string> aAlmacen(QWidget* padre, const QString& texto) {
    QString malos;
    auto bytes = ui::haciaStore(texto, &malos);
    if (!bytes) {
        ui::Dialogos::avisar(padre, ui::mensajeNoRepresentable(malos));
    }
    return bytes;
}

std::optional<store::Lineas> lineasAlmacen(QWidget* padre, const QString& texto) {
    QString malos;
    auto lineas = ui::lineasDeTexto(texto, &malos);
    if (!lineas) {
        ui::Dialogos::avisar(padre, ui::mensajeNoRepresentable(malos));
    }
    return lineas;
}

QString textoDeLineas(const store::Lineas& lineas) {
    QString texto;
    for (const auto& linea : lineas) {
        texto += ui::desdeStore(linea);
        texto += QLatin1Char('\n');
    }
    return texto;
}

QStringList listaDeLineas(const store::Lineas& lineas) {
    QStringList lista;
    lista.reserve(static_cast<qsizetype>(lineas.size()));
    for (const auto& linea : lineas) {
        lista << ui::desdeStore(linea);
    }
    return lista;
}

bool esRutaCompleta(std::string_view ruta) {
    const auto letra = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (ruta.size() >= 3 && letra(ruta[0]) && ruta[1] == ':' && (ruta[2] == '\\' || ruta[2] == '/')) {
        return true;
    }
    return !ruta.empty() && ruta[0] == '/';
}

QFont fuenteDeVentana() {
    QFont f(QStringLiteral("Liberation Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(8.25);
    return f;
}

QFont fuenteNegrita(double puntos) {
    QFont f = fuenteDeVentana();
    f.setPointSizeF(puntos);
    f.setBold(true);
    return f;
}

void ajustarEtiquetas(QWidget* ventana) {
    for (QLabel* etiqueta : ventana->findChildren<QLabel*>()) {
        const QSize pedido = etiqueta->sizeHint();
        int ancho = etiqueta->width();
        int alto = etiqueta->height();
        if (etiqueta->wordWrap()) {
            alto = std::max(alto, etiqueta->heightForWidth(ancho));
        } else {
            ancho = std::max(ancho, pedido.width());
            alto = std::max(alto, pedido.height());
        }
        etiqueta->resize(ancho, alto);
    }
}

QLabel* etiqueta(QWidget* padre, const QString& nombre, const QString& texto, bool variasLineas) {
    auto* l = control<QLabel>(padre, nombre, texto);
    l->setText(texto);
    l->setWordWrap(variasLineas);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

QPushButton* boton(QWidget* padre, const QString& nombre, const QString& texto) {
    auto* b = control<QPushButton>(padre, nombre, texto);
    b->setText(texto);
    b->setAutoDefault(true); // Enter on the button that has the focus presses it, as Space does
    return b;
}

} // namespace forja

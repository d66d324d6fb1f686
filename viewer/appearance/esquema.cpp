#include "appearance/esquema.h"

#include "ui/twips.h"

#include <QAbstractScrollArea>
#include <QLatin1StringView>
#include <QPalette>
#include <QWidget>

#include <deque>

namespace apariencia {

namespace {

// Floor division, so that -1 / 256 gives -1 rather than 0.
std::int64_t dividirHaciaAbajo(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) {
        --q;
    }
    return q;
}

// List and text boxes paint their content with Base/Text; everything else with Window/WindowText.
bool esCaja(const QWidget* w) {
    return qobject_cast<const QAbstractScrollArea*>(w) != nullptr;
}

QPalette::ColorRole rol(const QWidget* w, Propiedad p) {
    if (p == Propiedad::Fondo) {
        return esCaja(w) ? QPalette::Base : QPalette::Window;
    }
    return esCaja(w) ? QPalette::Text : QPalette::WindowText;
}

QWidget* ventanaDe(QWidget* principal, QWidget* imagen, Ventana v) {
    return v == Ventana::Principal ? principal : imagen;
}

void ponerTop(QWidget* principal, const char* nombre, int twips) {
    if (QWidget* w = buscarControl(principal, nombre)) {
        w->move(w->x(), ui::pixeles(twips));
    }
}

} // namespace

int BGR(int Numero, std::int32_t Kolor) {
    const std::int64_t rojo = Kolor % 256; // the remainder keeps the dividend's sign
    const std::int64_t k1 = dividirHaciaAbajo(Kolor, 256);
    const std::int64_t verde = k1 % 256;
    const std::int64_t k2 = dividirHaciaAbajo(k1, 256);
    const std::int64_t azul = k2 % 256;
    if (Numero == 1) {
        return static_cast<int>(rojo);
    }
    if (Numero == 2) {
        return static_cast<int>(verde);
    }
    return static_cast<int>(azul);
}

int MAM(int Numero) {
    if (Numero > 255) {
        return 255;
    }
    if (Numero < 0) {
        return 0;
    }
    return Numero;
}

QColor colorDe(std::int32_t valor) {
    return QColor(MAM(BGR(1, valor)), MAM(BGR(2, valor)), MAM(BGR(3, valor)));
}

std::int32_t valorDe(const QColor& color) {
    const QColor c = color.toRgb();
    return c.red() + c.green() * 256 + c.blue() * 65536;
}

QWidget* buscarControl(QWidget* ventana, const char* nombre) {
    if (!ventana) {
        return nullptr;
    }
    const QLatin1StringView buscado(nombre);
    // Breadth first, and never into another top-level window: the image window may be a child of the
    // main window and holds a control of the same name.
    std::deque<QWidget*> pendientes{ventana};
    while (!pendientes.empty()) {
        QWidget* w = pendientes.front();
        pendientes.pop_front();
        for (QObject* o : w->children()) {
            auto* hijo = qobject_cast<QWidget*>(o);
            if (!hijo || hijo->isWindow()) {
                continue;
            }
            if (hijo->objectName() == buscado) {
                return hijo;
            }
            pendientes.push_back(hijo);
        }
    }
    return nullptr;
}

void ponerColor(QWidget* control, Propiedad propiedad, const QColor& color) {
    QPalette pal = control->palette();
    pal.setColor(rol(control, propiedad), color);
    control->setPalette(pal);
    if (propiedad == Propiedad::Fondo && !esCaja(control)) {
        control->setAutoFillBackground(true);
    }
}

QColor colorActual(const QWidget* control, Propiedad propiedad) {
    return control->palette().color(rol(control, propiedad));
}

void aplicarRanura(QWidget* principal, QWidget* imagen, int ranura, std::int32_t valor) {
    const QColor color = colorDe(valor);
    for (const Control& c : kTablaControles) {
        if (c.ranura != ranura) {
            continue;
        }
        if (QWidget* w = buscarControl(ventanaDe(principal, imagen, c.ventana), c.nombre)) {
            ponerColor(w, c.propiedad, color);
        }
    }
}

void aplicarEsquema(QWidget* principal, QWidget* imagen, const store::Esquema& esquema) {
    for (int i = 0; i < static_cast<int>(esquema.size()); ++i) {
        aplicarRanura(principal, imagen, i, esquema[static_cast<std::size_t>(i)]);
    }
}

store::Esquema leerEsquema(QWidget* principal) {
    store::Esquema esquema = store::kEsquemaPredeterminado;
    for (std::size_t i = 0; i < kTablaLectura.size(); ++i) {
        if (const QWidget* w = buscarControl(principal, kTablaLectura[i].nombre)) {
            esquema[i] = valorDe(colorActual(w, kTablaLectura[i].propiedad));
        }
    }
    return esquema;
}

void Colorear(QWidget* principal, QWidget* imagen) {
    aplicarEsquema(principal, imagen, store::kEsquemaPredeterminado);
    ponerTop(principal, "lblSubtitulo", kTopSubtitulo);
    ponerTop(principal, "lblAbrir", kTopAbrir);
    ponerTop(principal, "lblPie", kTopPie);
}

} // namespace apariencia

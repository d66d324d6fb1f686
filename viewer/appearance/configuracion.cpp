#include "appearance/configuracion.h"

#include "appearance/esquema.h"
#include "main_window/fuentes.h"
#include "main_window/teclado.h"
#include "ui/dialogos.h"
#include "ui/texto.h"
#include "ui/twips.h"

#include <QCloseEvent>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

namespace {

struct Opcion {
    const char16_t* texto;
    int ancho;
};
constexpr std::array<Opcion, 10> kOpciones = {{
    {u"Fondo del título", 1575},
    {u"Texto del título", 1575},
    {u"Fondo del subtítulo", 1695},
    {u"Texto del subtítulo", 1695},
    {u"Fondo del esquema", 1695},
    {u"Texto del esquema", 1695},
    {u"Fondo del artículo", 1695},
    {u"Texto del artículo", 1695},
    {u"Fondo del epígrafe", 1695},
    {u"Texto del epígrafe", 1695},
}};

struct Componente {
    const char16_t* texto;
    const char16_t* nombreBarra;
    int topEtiqueta;
    int anchoEtiqueta;
    int topBarra;
    QColor color;
};
const std::array<Componente, 3> kComponentes = {{
    {u"Rojo", u"Componente rojo", 480, 435, 840, QColor(192, 0, 0)},
    {u"Verde", u"Componente verde", 1320, 570, 1680, QColor(0, 128, 0)},
    {u"Azul", u"Componente azul", 2280, 420, 2640, QColor(0, 0, 255)},
}};

QPushButton* boton(QWidget* padre, const char* nombre, const char16_t* texto, int left, int top) {
    auto* b = new QPushButton(QString::fromUtf16(texto), padre);
    b->setObjectName(QLatin1StringView(nombre));
    b->setAccessibleName(QString::fromUtf16(texto));
    ui::colocar(b, left, top, 1095, 375);
    b->setAutoDefault(true); // Enter on the button that has the focus presses it, as Space does
    return b;
}

} // namespace

Configuracion::Configuracion(QWidget* principal, QWidget* imagen, QWidget* parent)
    : QWidget(parent, Qt::Window), principal_(principal), imagen_(imagen) {
    setObjectName(QStringLiteral("frmLibro4"));
    setWindowTitle(QStringLiteral("Configuración"));
    instalarSustitucionesDeFuentes();
    setFont(fuente(QStringLiteral("MS Sans Serif"), 8.25)); // the windows' default font
    ui::tamanoCliente(this, 6795, 4290);

    for (std::size_t i = 0; i < optConf.size(); ++i) {
        auto* o = new QRadioButton(QString::fromUtf16(kOpciones[i].texto), this);
        o->setObjectName(QStringLiteral("optConf(%1)").arg(i));
        o->setAccessibleName(QString::fromUtf16(kOpciones[i].texto));
        ui::colocar(o, 360, 240 + 360 * static_cast<int>(i), kOpciones[i].ancho, 195);
        optConf[i] = o;
        connect(o, &QRadioButton::toggled, this, [this, i](bool encendida) {
            if (encendida) {
                optConf_Click(static_cast<int>(i));
            }
        });
        // Picking the slot that is already on shows it again (after DarEntorno, for instance).
        connect(o, &QRadioButton::clicked, this, [this, i] { optConf_Click(static_cast<int>(i)); });
    }

    const QFont fuenteEtiquetas = fuente(QStringLiteral("Arial"), 9.75, true);
    for (std::size_t i = 0; i < scrRGB.size(); ++i) {
        const Componente& c = kComponentes[i];
        auto* l = new QLabel(QString::fromUtf16(c.texto), this);
        l->setObjectName(QStringLiteral("lblRGB(%1)").arg(i));
        l->setAccessibleName(QString::fromUtf16(c.texto));
        l->setFont(fuenteEtiquetas);
        QPalette pal = l->palette();
        pal.setColor(QPalette::WindowText, c.color);
        l->setPalette(pal);
        ui::colocar(l, 3120, c.topEtiqueta, c.anchoEtiqueta, 240);
        l->adjustSize(); // sized to its text
        lblRGB[i] = l;

        auto* s = new QScrollBar(Qt::Horizontal, this);
        s->setObjectName(QStringLiteral("scrRGB(%1)").arg(i));
        s->setAccessibleName(QString::fromUtf16(c.nombreBarra));
        s->setRange(0, 255);
        s->setSingleStep(1);
        s->setPageStep(16);
        // Without tracking, a dragged thumb changes the value only when it is let go; arrow and page
        // clicks change it at once.
        s->setTracking(false);
        s->setFocusPolicy(Qt::StrongFocus);
        s->setInvertedControls(false); // Left and Page Up lower the value, as the arrows show
        ui::colocar(s, 3120, c.topBarra, 3375, 255);
        scrRGB[i] = s;
        connect(s, &QScrollBar::valueChanged, this, [this, i](int) { scrRGB_Change(static_cast<int>(i)); });
    }

    cmdNormal = boton(this, "cmdNormal", u"Normalizar", 3120, 3360);
    cmdRestablecer = boton(this, "cmdRestablecer", u"Restablecer", 4320, 3360);
    cmdAceptar = boton(this, "cmdAceptar", u"Aceptar", 5520, 3360);
    cmdGuardar = boton(this, "cmdGuardar", u"Guardar", 3120, 3840);
    cmdAbrir = boton(this, "cmdAbrir", u"Abrir", 4320, 3840);
    cmdCerrar = boton(this, "cmdCerrar", u"Cerrar", 5520, 3840);
    connect(cmdNormal, &QPushButton::clicked, this, &Configuracion::cmdNormal_Click);
    connect(cmdRestablecer, &QPushButton::clicked, this, &Configuracion::cmdRestablecer_Click);
    connect(cmdAceptar, &QPushButton::clicked, this, &Configuracion::cmdAceptar_Click);
    connect(cmdGuardar, &QPushButton::clicked, this, &Configuracion::cmdGuardar_Click);
    connect(cmdAbrir, &QPushButton::clicked, this, &Configuracion::cmdAbrir_Click);
    connect(cmdCerrar, &QPushButton::clicked, this, &Configuracion::cmdCerrar_Click);
    teclado::escapeCierra(this);

    // Tab order: the three bars, the ten options, then Restablecer, Aceptar, Normalizar, Guardar,
    // Abrir, Cerrar (the labels take no focus).
    std::vector<QWidget*> orden{scrRGB[0], scrRGB[1], scrRGB[2]};
    orden.insert(orden.end(), optConf.begin(), optConf.end());
    orden.insert(orden.end(), {cmdRestablecer, cmdAceptar, cmdNormal, cmdGuardar, cmdAbrir, cmdCerrar});
    for (std::size_t i = 0; i + 1 < orden.size(); ++i) {
        setTabOrder(orden[i], orden[i + 1]);
    }

    for (std::size_t i = 0; i < ranuras_.size(); ++i) {
        setRanura(static_cast<int>(i), ranuras_[i]);
    }
    Normalizar();
}

void Configuracion::setDirectorio(std::function<std::string()> directorio) {
    directorio_ = std::move(directorio);
}

std::int32_t Configuracion::ranura(int i) const {
    return ranuras_.at(static_cast<std::size_t>(i));
}

void Configuracion::setRanura(int i, std::int32_t valor) {
    ranuras_.at(static_cast<std::size_t>(i)) = valor;
    QRadioButton* o = optConf[static_cast<std::size_t>(i)];
    QPalette pal = o->palette();
    const QColor color = apariencia::colorDe(valor);
    pal.setColor(QPalette::WindowText, color);
    pal.setColor(QPalette::ButtonText, color);
    o->setPalette(pal);
}

int Configuracion::ranuraElegida() const {
    for (std::size_t i = 0; i < optConf.size(); ++i) {
        if (optConf[i]->isChecked()) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

int Configuracion::BGR(int Numero, std::int32_t Kolor) {
    return apariencia::BGR(Numero, Kolor);
}

int Configuracion::MAM(int Numero) {
    return apariencia::MAM(Numero);
}

void Configuracion::cmdAceptar_Click() {
    apariencia::aplicarEsquema(principal_, imagen_, ranuras_);
}

void Configuracion::Normalizar() {
    // Turning the option on runs its click handling, which shows slot 0 as it was before the reload.
    if (optConf[0]->isChecked()) {
        optConf_Click(0);
    } else {
        optConf[0]->setChecked(true);
    }
    const store::Esquema leido = apariencia::leerEsquema(principal_);
    for (std::size_t i = 0; i < leido.size(); ++i) {
        setRanura(static_cast<int>(i), leido[i]);
    }
    // Read back from real colours, slot 0 is always 0..16777215 here; the bars hold 0..255 in any case.
    Ajustando = true;
    scrRGB[0]->setValue(BGR(1, ranuras_[0]));
    scrRGB[1]->setValue(BGR(2, ranuras_[0]));
    scrRGB[2]->setValue(BGR(3, ranuras_[0]));
    Ajustando = false;
}

void Configuracion::mostrarRanura(int i) {
    Ajustando = true;
    scrRGB[0]->setValue(MAM(BGR(1, ranura(i))));
    scrRGB[1]->setValue(MAM(BGR(2, ranura(i))));
    scrRGB[2]->setValue(MAM(BGR(3, ranura(i))));
    Ajustando = false;
}

void Configuracion::optConf_Click(int Index) {
    mostrarRanura(Index);
}

void Configuracion::scrRGB_Change(int /*Index*/) {
    if (Ajustando) {
        return;
    }
    setRanura(ranuraElegida(), scrRGB[0]->value() + scrRGB[1]->value() * 256 + scrRGB[2]->value() * 65536);
}

void Configuracion::cmdNormal_Click() {
    apariencia::Colorear(principal_, imagen_);
    Normalizar();
}

void Configuracion::cmdRestablecer_Click() {
    Normalizar();
}

void Configuracion::cmdGuardar_Click() {
    if (!directorio_) {
        return;
    }
    // The colour file is replaced whole or not at all; on failure the old file stays as it was.
    const store::Estado hecho = store::escribirColores(directorio_(), ranuras_);
    if (!hecho) {
        ui::Dialogos::avisar(this, ui::mensajeDe(hecho.error()) +
                                       QStringLiteral("\nEl archivo de colores anterior se conserva."));
    }
}

void Configuracion::cmdAbrir_Click() {
    if (!directorio_) {
        return;
    }
    // Read into a temporary: the slots change only when all ten lines were read.
    const store::LecturaColores lectura = store::leerColores(directorio_());
    if (lectura.leidos < static_cast<int>(ranuras_.size())) {
        const QString porque = lectura.error ? ui::mensajeDe(*lectura.error)
                                             : QStringLiteral("El archivo de colores no tiene diez colores.");
        ui::Dialogos::avisar(this, porque + QStringLiteral("\nLos colores no se han cambiado."));
        return;
    }
    for (std::size_t i = 0; i < ranuras_.size(); ++i) {
        setRanura(static_cast<int>(i), lectura.valores[i]);
    }
}

void Configuracion::cmdCerrar_Click() {
    hide();
}

void Configuracion::closeEvent(QCloseEvent* evento) {
    evento->ignore();
    hide();
}

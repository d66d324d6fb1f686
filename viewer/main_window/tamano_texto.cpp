#include "main_window/tamano_texto.h"

#include "main_window/ajustes.h"

#include <QPlainTextEdit>
#include <QSettings>
#include <QWheelEvent>

#include <algorithm>

namespace {
const QString kClave = QStringLiteral("lectura/tamanoTexto");
constexpr double kPuntosPorPaso = 1.0;
} // namespace

TamanoTexto::TamanoTexto(QList<QPlainTextEdit*> cajas, QObject* parent) : QObject(parent) {
    for (QPlainTextEdit* caja : cajas) {
        cajas_.push_back({caja, caja->font()});
        caja->viewport()->installEventFilter(this);
    }
    const auto ajustes = ajustes::delUsuario();
    poner(ajustes->value(kClave, 0).toInt());
}

void TamanoTexto::agrandar() {
    poner(pasos_ + 1);
}

void TamanoTexto::achicar() {
    poner(pasos_ - 1);
}

void TamanoTexto::restablecer() {
    poner(0);
}

void TamanoTexto::poner(int pasos) {
    const int nuevos = std::clamp(pasos, kMinimo, kMaximo);
    for (const Caja& c : cajas_) {
        QFont f = c.disenada;
        f.setPointSizeF(c.disenada.pointSizeF() + nuevos * kPuntosPorPaso);
        c.caja->setFont(f);
    }
    if (nuevos != pasos_) {
        pasos_ = nuevos;
        ajustes::delUsuario()->setValue(kClave, pasos_);
    }
}

bool TamanoTexto::eventFilter(QObject* objeto, QEvent* evento) {
    if (evento->type() == QEvent::Wheel) {
        const auto* rueda = static_cast<const QWheelEvent*>(evento);
        if (rueda->modifiers() & Qt::ControlModifier) {
            // One step per notch of a mouse wheel (120); a touchpad's small turns add up to one.
            giro_ += rueda->angleDelta().y();
            for (; giro_ >= 120; giro_ -= 120) {
                agrandar();
            }
            for (; giro_ <= -120; giro_ += 120) {
                achicar();
            }
            return true; // the boxes would zoom by themselves, each on its own
        }
    }
    return QObject::eventFilter(objeto, evento);
}

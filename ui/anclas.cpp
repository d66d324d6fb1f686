#include "ui/anclas.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QRect>
#include <QSettings>
#include <QWidget>

#include <vector>

namespace ui {

namespace {

// Lives as a child of the parent whose controls it places; watches the parent's resizes.
class Anclaje : public QObject {
public:
    explicit Anclaje(QWidget* padre) : QObject(padre), padre_(padre) {
        setObjectName(QStringLiteral("ui::Anclaje"));
        padre->installEventFilter(this);
    }

    void fijarDiseno(QSize tamano) {
        diseno_ = tamano;
        padre_->setMinimumSize(tamano);
        colocar();
    }
    QSize diseno() const { return diseno_; }

    void agregar(QWidget* control, Bordes bordes) {
        if (!diseno_.isValid()) {
            fijarDiseno(padre_->size());
        }
        for (Control& c : controles_) {
            if (c.widget == control) {
                c = {control, control->geometry(), bordes};
                return;
            }
        }
        controles_.push_back({control, control->geometry(), bordes});
    }

    bool eventFilter(QObject* objeto, QEvent* e) override {
        if (objeto == padre_ && e->type() == QEvent::Resize) {
            colocar();
        }
        return false;
    }

private:
    struct Control {
        QPointer<QWidget> widget;
        QRect diseno;
        Bordes bordes;
    };

    void colocar() {
        const int dx = padre_->width() - diseno_.width();
        const int dy = padre_->height() - diseno_.height();
        for (const Control& c : controles_) {
            if (!c.widget) {
                continue;
            }
            QRect r = c.diseno;
            if (c.bordes.testFlag(Borde::Derecho)) {
                if (c.bordes.testFlag(Borde::Izquierdo)) {
                    r.setWidth(r.width() + dx);
                } else {
                    r.translate(dx, 0);
                }
            }
            if (c.bordes.testFlag(Borde::Inferior)) {
                if (c.bordes.testFlag(Borde::Superior)) {
                    r.setHeight(r.height() + dy);
                } else {
                    r.translate(0, dy);
                }
            }
            if (c.widget->geometry() != r) {
                c.widget->setGeometry(r);
            }
        }
    }

    QWidget* padre_;
    QSize diseno_;
    std::vector<Control> controles_;
};

Anclaje* anclajeDe(const QWidget* padre) {
    return padre->findChild<Anclaje*>(QStringLiteral("ui::Anclaje"), Qt::FindDirectChildrenOnly);
}

Anclaje* anclajeCreado(QWidget* padre) {
    Anclaje* a = anclajeDe(padre);
    return a ? a : new Anclaje(padre);
}

bool memoriaActiva = false;

QSettings ajustes() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("lumbre"),
                     QCoreApplication::applicationName().toLower());
}

// Restores the window's geometry on its first showing and saves it when it is hidden.
class Memoria : public QObject {
public:
    explicit Memoria(QWidget* ventana) : QObject(ventana), ventana_(ventana) {
        ventana->installEventFilter(this);
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, [this] {
            if (ventana_->isVisible() && ventana_->isWindow()) {
                guardar();
            }
        });
    }

    bool eventFilter(QObject* objeto, QEvent* e) override {
        // A window placed inside another (the editor's form inside the window that adds its menu bar) has
        // no place of its own to remember: the window around it keeps it.
        if (objeto != ventana_ || !ventana_->isWindow()) {
            return false;
        }
        if (e->type() == QEvent::Show && !restaurada_) {
            restaurada_ = true;
            const QByteArray guardada = ajustes().value(clave()).toByteArray();
            if (!guardada.isEmpty()) {
                ventana_->restoreGeometry(guardada);
            }
        } else if ((e->type() == QEvent::Hide || e->type() == QEvent::Close) && restaurada_) {
            guardar();
        }
        return false;
    }

private:
    QString clave() const { return ventana_->objectName() + QStringLiteral("/geometria"); }
    void guardar() {
        QSettings s = ajustes();
        s.setValue(clave(), ventana_->saveGeometry());
    }

    QWidget* ventana_;
    bool restaurada_ = false;
};

} // namespace

void anclar(QWidget* control, Bordes bordes) {
    if (QWidget* padre = control->parentWidget()) {
        anclajeCreado(padre)->agregar(control, bordes);
    }
}

void fijarTamanoDeDiseno(QWidget* padre, QSize tamano) {
    anclajeCreado(padre)->fijarDiseno(tamano);
}

QSize tamanoDeDiseno(const QWidget* padre) {
    const Anclaje* a = anclajeDe(padre);
    return a ? a->diseno() : QSize();
}

void recordarGeometria(QWidget* ventana) {
    if (memoriaActiva && QCoreApplication::instance()) {
        new Memoria(ventana);
    }
}

void activarMemoriaDeVentanas(bool activa) {
    memoriaActiva = activa;
}

} // namespace ui

#include "editor/subrayado.h"

#include "editor/ortografia.h"
#include "ui/dialogos.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>

namespace ortografia {

namespace {

// Pause after the last key before the visible text is looked at.
constexpr int kPausaMs = 150;
// The few suggestions that fit a context menu.
constexpr int kSugerencias = 6;

bool letra(QChar c) {
    return c.isLetter() || c.isMark() || c.isDigit();
}

QTextCharFormat formatoSubrayado() {
    QTextCharFormat f;
    f.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    f.setUnderlineColor(Qt::red);
    return f;
}

// Reacts to a resize of the box's viewport.
class AlCambiarTamano : public QObject {
public:
    AlCambiarTamano(QObject* padre, std::function<void()> f) : QObject(padre), f_(std::move(f)) {}
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Resize || e->type() == QEvent::Show) {
            f_();
        }
        return QObject::eventFilter(o, e);
    }

private:
    std::function<void()> f_;
};

} // namespace

Subrayado::Subrayado(QWidget* caja, Ortografia& ortografia) : QObject(caja), caja_(caja), ortografia_(ortografia) {
    pausa_.setSingleShot(true);
    pausa_.setInterval(kPausaMs);
    connect(&pausa_, &QTimer::timeout, this, &Subrayado::actualizar);
    connect(&ortografia_, &Ortografia::cambiada, this, &Subrayado::programar);
    caja_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(caja_, &QWidget::customContextMenuRequested, this, [this](const QPoint& punto) {
        QMenu* menu = menuPara(punto);
        auto* area = qobject_cast<QAbstractScrollArea*>(caja_);
        menu->exec((area ? area->viewport() : caja_)->mapToGlobal(punto));
        delete menu;
    });
}

void Subrayado::programar() {
    pausa_.start();
}

QStringList Subrayado::subrayadas() const {
    return palabras_;
}

void Subrayado::actualizar() {
    pausa_.stop();
    QList<QPair<int, int>> tramos;
    QStringList palabras;
    if (ortografia_.activa()) {
        for (const Tramo& t : visible()) {
            for (const Palabra& p : palabrasDe(t.texto)) {
                const QString palabra = t.texto.mid(p.inicio, p.largo);
                if (ortografia_.estado(palabra) == Ortografia::Estado::Desconocida) {
                    tramos.append({t.inicio + p.inicio, p.largo});
                    palabras << palabra;
                }
            }
        }
    }
    if (tramos != subrayados_) {
        subrayados_ = tramos;
        mostrar(tramos);
    }
    palabras_ = palabras;
    emit actualizado();
}

QMenu* Subrayado::menuPara(const QPoint& punto) {
    QMenu* menu = menuPropio(punto);
    menu->setObjectName(QStringLiteral("mnuOrtografiaContexto"));
    QAction* primera = menu->actions().value(0);
    const int posicion = posicionEn(punto);
    const Tramo tramo = tramoDe(posicion);
    const int enTramo = posicion - tramo.inicio;
    Palabra bajo{-1, 0};
    for (const Palabra& p : palabrasDe(tramo.texto)) {
        if (enTramo >= p.inicio && enTramo <= p.inicio + p.largo) {
            bajo = p;
            break;
        }
    }
    const QString palabra = bajo.inicio >= 0 ? tramo.texto.mid(bajo.inicio, bajo.largo) : QString();
    if (!palabra.isEmpty() && ortografia_.activa() && ortografia_.estado(palabra) == Ortografia::Estado::Desconocida) {
        const int inicio = tramo.inicio + bajo.inicio;
        const int largo = bajo.largo;
        const QStringList sugerencias = ortografia_.sugerencias(palabra).mid(0, kSugerencias);
        for (const QString& s : sugerencias) {
            QAction* a = new QAction(s, menu);
            a->setObjectName(QStringLiteral("sugerencia"));
            QFont negrita = a->font();
            negrita.setBold(true);
            a->setFont(negrita);
            connect(a, &QAction::triggered, this, [this, inicio, largo, s] { reemplazar(inicio, largo, s); });
            menu->insertAction(primera, a);
        }
        if (sugerencias.isEmpty()) {
            QAction* nada = new QAction(QStringLiteral("(Sin sugerencias)"), menu);
            nada->setEnabled(false);
            menu->insertAction(primera, nada);
        }
        QAction* agregar = new QAction(QStringLiteral("Agregar al diccionario personal"), menu);
        agregar->setObjectName(QStringLiteral("mnuAgregarPalabra"));
        connect(agregar, &QAction::triggered, this, [this, palabra] {
            QString motivo;
            if (!ortografia_.agregarAlDiccionarioPersonal(palabra, &motivo)) {
                ui::Dialogos::avisar(caja_, motivo);
            }
        });
        menu->insertAction(primera, agregar);
        QAction* ignorar = new QAction(QStringLiteral("Ignorar"), menu);
        ignorar->setObjectName(QStringLiteral("mnuIgnorarPalabra"));
        connect(ignorar, &QAction::triggered, this, [this, palabra] { ortografia_.ignorar(palabra); });
        menu->insertAction(primera, ignorar);
        menu->insertSeparator(primera);
    }
    menu->addSeparator();
    QAction* activa = menu->addAction(ortografia_.disponible()
                                          ? QStringLiteral("Revisar la ortografía al escribir")
                                          : QStringLiteral("Revisar la ortografía al escribir (no se encontró el "
                                                           "diccionario español)"));
    activa->setObjectName(QStringLiteral("mnuOrtografia"));
    activa->setCheckable(true);
    activa->setChecked(ortografia_.activa() && ortografia_.disponible());
    activa->setEnabled(ortografia_.disponible());
    connect(activa, &QAction::toggled, &ortografia_, &Ortografia::activar);
    for (QAction* a : acciones_) {
        menu->addAction(a);
    }
    return menu;
}

// ------------------------------------------------------------------ multi-line boxes

SubrayadoTexto::SubrayadoTexto(QPlainTextEdit* caja, Ortografia& ortografia, bool saltarEtiquetas)
    : Subrayado(caja, ortografia), texto_(caja), saltarEtiquetas_(saltarEtiquetas) {
    connect(caja, &QPlainTextEdit::textChanged, this, &Subrayado::programar);
    connect(caja->verticalScrollBar(), &QScrollBar::valueChanged, this, &Subrayado::programar);
    caja->viewport()->installEventFilter(new AlCambiarTamano(this, [this] { programar(); }));
    programar();
}

QList<Subrayado::Tramo> SubrayadoTexto::visible() const {
    QList<Tramo> tramos;
    const QWidget* vista = texto_->viewport();
    const int desde = texto_->cursorForPosition(QPoint(0, 0)).position();
    const int hasta = texto_->cursorForPosition(QPoint(vista->width() - 1, vista->height() - 1)).position();
    for (QTextBlock b = texto_->document()->findBlock(desde); b.isValid() && b.position() <= hasta; b = b.next()) {
        const QString t = b.text();
        if (saltarEtiquetas_) {
            qsizetype i = 0;
            while (i < t.size() && t[i] == QLatin1Char(' ')) {
                ++i;
            }
            if (i < t.size() && t[i] == QLatin1Char('<')) {
                continue;
            }
        }
        // Of a long paragraph only the part in sight, to whole words.
        const int base = b.position();
        int i0 = std::max(0, desde - base - 80);
        int i1 = std::min(static_cast<int>(t.size()), hasta - base + 80);
        while (i0 > 0 && letra(t[i0 - 1])) {
            --i0;
        }
        while (i1 < t.size() && letra(t[i1])) {
            ++i1;
        }
        if (i1 > i0) {
            tramos.append({base + i0, t.mid(i0, i1 - i0)});
        }
    }
    return tramos;
}

void SubrayadoTexto::mostrar(const QList<QPair<int, int>>& tramos) {
    QList<QTextEdit::ExtraSelection> selecciones;
    const QTextCharFormat formato = formatoSubrayado();
    for (const auto& [inicio, largo] : tramos) {
        QTextEdit::ExtraSelection s;
        s.cursor = QTextCursor(texto_->document());
        s.cursor.setPosition(inicio);
        s.cursor.setPosition(inicio + largo, QTextCursor::KeepAnchor);
        s.format = formato;
        selecciones.append(s);
    }
    texto_->setExtraSelections(selecciones);
}

QMenu* SubrayadoTexto::menuPropio(const QPoint& punto) {
    return texto_->createStandardContextMenu(punto);
}

int SubrayadoTexto::posicionEn(const QPoint& punto) const {
    return texto_->cursorForPosition(punto).position();
}

Subrayado::Tramo SubrayadoTexto::tramoDe(int posicion) const {
    const QTextBlock b = texto_->document()->findBlock(posicion);
    return {b.position(), b.text()};
}

void SubrayadoTexto::reemplazar(int inicio, int largo, const QString& por) {
    QTextCursor c(texto_->document());
    c.setPosition(inicio);
    c.setPosition(inicio + largo, QTextCursor::KeepAnchor);
    c.insertText(por);
}

// ------------------------------------------------------------------ one-line box

SubrayadoLinea::SubrayadoLinea(QLineEdit* caja, Ortografia& ortografia) : Subrayado(caja, ortografia), linea_(caja) {
    connect(caja, &QLineEdit::textChanged, this, [this] {
        // Underlines drawn for the old text would stand under the wrong letters until the pause is over.
        if (!subrayados_.isEmpty()) {
            subrayados_.clear();
            mostrar({});
        }
        programar();
    });
    programar();
}

QList<Subrayado::Tramo> SubrayadoLinea::visible() const {
    return {{0, linea_->text()}};
}

void SubrayadoLinea::mostrar(const QList<QPair<int, int>>& tramos) {
    // A line box draws formats only as those of an input method's text, which are given relative to the cursor.
    QList<QInputMethodEvent::Attribute> atributos;
    const QTextCharFormat formato = formatoSubrayado();
    for (const auto& [inicio, largo] : tramos) {
        atributos.append(QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat, inicio - linea_->cursorPosition(),
                                                      largo, formato));
    }
    QInputMethodEvent evento(QString(), atributos);
    QCoreApplication::sendEvent(linea_, &evento);
}

QMenu* SubrayadoLinea::menuPropio(const QPoint&) {
    return linea_->createStandardContextMenu();
}

int SubrayadoLinea::posicionEn(const QPoint& punto) const {
    return linea_->cursorPositionAt(punto);
}

Subrayado::Tramo SubrayadoLinea::tramoDe(int) const {
    return {0, linea_->text()};
}

void SubrayadoLinea::reemplazar(int inicio, int largo, const QString& por) {
    linea_->setSelection(inicio, largo);
    linea_->insert(por);
}

} // namespace ortografia

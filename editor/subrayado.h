#pragma once

// Underlines the words that the spelling does not know in one box of the article editor, and gives the box's
// context menu its suggestions, "Agregar al diccionario personal" and "Ignorar".
//
// Typing costs nothing here: a change only restarts a short timer. When it runs out, only the text that can
// be seen is looked at (a body of ten megabytes is never walked), its words are asked of the spelling, which
// answers from what it knows and checks the rest on its own thread, and the box is underlined again when the
// answers come.

#include <QList>
#include <QObject>
#include <QPoint>
#include <QStringList>
#include <QTimer>

class QAction;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QWidget;

namespace ortografia {

class Ortografia;

class Subrayado : public QObject {
    Q_OBJECT

public:
    // The words underlined now, in the order of the text.
    QStringList subrayadas() const;
    // The context menu for a point of the box: the spelling's entries for the word there, then the box's own.
    // The caller shows it and deletes it.
    QMenu* menuPara(const QPoint& punto);

    // An entry of the window's own that the context menu offers after the spelling's (the article editor's
    // "Vista previa").
    void agregarAccion(QAction* accion) { acciones_.append(accion); }

    // Looks at the visible text now instead of after the pause.
    void actualizar();
    // Looks at it after the pause (restarted by every call).
    void programar();

signals:
    // The box was underlined again.
    void actualizado();

protected:
    Subrayado(QWidget* caja, Ortografia& ortografia);

    struct Tramo {
        int inicio = 0; // position in the box's text
        QString texto;
    };
    // The text that can be seen, in pieces (the visible blocks of a document, with their positions).
    virtual QList<Tramo> visible() const = 0;
    // Shows the given ranges (positions, lengths) underlined.
    virtual void mostrar(const QList<QPair<int, int>>& tramos) = 0;
    virtual QMenu* menuPropio(const QPoint& punto) = 0;
    // The position in the text under a point of the box, and the whole text around it.
    virtual int posicionEn(const QPoint& punto) const = 0;
    virtual Tramo tramoDe(int posicion) const = 0;
    virtual void reemplazar(int inicio, int largo, const QString& por) = 0;

    QWidget* caja_;
    Ortografia& ortografia_;
    QTimer pausa_;
    QList<QPair<int, int>> subrayados_;
    QStringList palabras_;
    QList<QAction*> acciones_;
};

// For the multi-line boxes. `saltarEtiquetas`: lines whose first character after spaces is "<" (the tag lines of
// an article body) are not checked.
class SubrayadoTexto : public Subrayado {
    Q_OBJECT
public:
    SubrayadoTexto(QPlainTextEdit* caja, Ortografia& ortografia, bool saltarEtiquetas);

protected:
    QList<Tramo> visible() const override;
    void mostrar(const QList<QPair<int, int>>& tramos) override;
    QMenu* menuPropio(const QPoint& punto) override;
    int posicionEn(const QPoint& punto) const override;
    Tramo tramoDe(int posicion) const override;
    void reemplazar(int inicio, int largo, const QString& por) override;

private:
    QPlainTextEdit* texto_;
    bool saltarEtiquetas_;
};

// For the one-line title box.
class SubrayadoLinea : public Subrayado {
    Q_OBJECT
public:
    SubrayadoLinea(QLineEdit* caja, Ortografia& ortografia);

protected:
    QList<Tramo> visible() const override;
    void mostrar(const QList<QPair<int, int>>& tramos) override;
    QMenu* menuPropio(const QPoint& punto) override;
    int posicionEn(const QPoint& punto) const override;
    Tramo tramoDe(int posicion) const override;
    void reemplazar(int inicio, int largo, const QString& por) override;

private:
    QLineEdit* linea_;
};

} // namespace ortografia

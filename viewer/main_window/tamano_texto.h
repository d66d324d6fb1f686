#pragma once

// The reader's text size for the article and the caption: a number of steps above or below the size the
// boxes were designed with, changed with Ctrl++ / Ctrl+- / Ctrl+wheel over either box, reset with Ctrl+0,
// and remembered for the user in the user's own configuration (never in an encyclopaedia's directory).

#include <QList>
#include <QObject>

#include <QFont>

class QPlainTextEdit;

class TamanoTexto : public QObject {
    Q_OBJECT
public:
    // The boxes keep their present font as the designed one; the remembered size is applied at once.
    TamanoTexto(QList<QPlainTextEdit*> cajas, QObject* parent);

    static constexpr int kMinimo = -4;
    static constexpr int kMaximo = 12;

    int pasos() const { return pasos_; }
    void agrandar();
    void achicar();
    void restablecer();

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    void poner(int pasos);

    struct Caja {
        QPlainTextEdit* caja;
        QFont disenada;
    };
    QList<Caja> cajas_;
    int pasos_ = 0;
    int giro_ = 0; // wheel turn not yet made into a step
};

#pragma once

#include <QFrame>
#include <QPixmap>

// A picture box holding one picture at its own size. It either draws the picture stretched over
// itself (the illustration panel) or sizes itself to the picture and draws it at its own size (the
// image window).
class CajaImagen : public QFrame {
    Q_OBJECT
public:
    enum class Modo { Estirar, AjustarALaImagen };

    explicit CajaImagen(Modo modo, QWidget* parent = nullptr);

    // An empty pixmap leaves the box empty (and, when it fits itself, of size zero).
    void ponerImagen(const QPixmap& imagen);
    const QPixmap& imagen() const { return imagen_; }

signals:
    void redimensionada();
    void botonPulsado(Qt::MouseButton boton, const QPoint& posicionGlobal);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    Modo modo_;
    QPixmap imagen_;
};

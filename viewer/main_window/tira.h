#pragma once

#include <QFrame>

// A picture box used as a strip or panel: it paints its own background (QPalette::Window), reports a
// click, and keeps every label standing on it sized to the label's text, also when someone else sets
// the text.
class Tira : public QFrame {
    Q_OBJECT
public:
    explicit Tira(QWidget* parent = nullptr);

signals:
    void pulsado();

protected:
    bool event(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
};

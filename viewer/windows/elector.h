#pragma once

// The chooser "Seleccionar enciclotomo": lists the registered encyclopaedias and switches the viewer to
// the chosen one (the selector reloaded, colours, icon and name taken on, the choice kept for the next
// start). Closing it only hides it.

#include <QWidget>

#include <string>

class QListWidget;
class QPushButton;

class Elector : public QWidget {
    Q_OBJECT
public:
    explicit Elector(QWidget* parent);

    QListWidget* lstTomos = nullptr;
    QPushButton* cmdAceptar = nullptr;

    // Fills lstTomos from the encyclopaedia list named by the registry; says so when it cannot be read.
    void Form_Load();
    // Makes the selected encyclopaedia current. Nothing happens when none is selected, and nothing
    // changes (after a message) when the directory lacks its list files or the choice cannot be written.
    void lstTomos_DblClick();
    void cmdAceptar_Click();

signals:
    // `directorio` has been written as the current encyclopaedia; the viewer takes it up.
    void enciclopediaElegida(const std::string& directorio);

protected:
    void closeEvent(QCloseEvent* evento) override;
};

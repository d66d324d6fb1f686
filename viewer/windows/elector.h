#pragma once

// The chooser "Seleccionar enciclotomo": lists the registered encyclopaedias and switches the viewer to
// the chosen one (the selector reloaded, colours, icon and name taken on, the choice kept for the next
// start). Closing it only hides it.

#include <QWidget>

class QListWidget;
class QPushButton;
class VentanaPrincipal;

class Elector : public QWidget {
    Q_OBJECT
public:
    explicit Elector(VentanaPrincipal* principal);

    QListWidget* lstTomos = nullptr;
    QPushButton* cmdAceptar = nullptr;

    // Fills lstTomos from the encyclopaedia list named by the registry; says so when it cannot be read.
    void Form_Load();
    // Makes the selected encyclopaedia current. Nothing happens when none is selected, and nothing
    // changes (after a message) when the directory lacks its list files or the choice cannot be written.
    void lstTomos_DblClick();
    void cmdAceptar_Click();

protected:
    void closeEvent(QCloseEvent* evento) override;

private:
    VentanaPrincipal* principal_;
};

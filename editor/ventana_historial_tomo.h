#pragma once

// "Historial de la enciclotomo…": every version of the encyclopaedia loaded in the main window, newest
// first, with the files it changed; any of those files (an article, a list, a caption, the description...)
// can be brought back as it was, a deleted one as it was just before it was deleted.

#include <QWidget>

#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;
class SesionForja;

namespace historial {
struct Version;
}

class VentanaHistorialTomo : public QWidget {
    Q_OBJECT
public:
    VentanaHistorialTomo(SesionForja& sesion, QWidget* parent);
    ~VentanaHistorialTomo() override;

    void cargar();
    void cmdRecuperar_Click();

    QLabel* lblAviso;
    QListWidget* lstVersiones;
    QListWidget* lstArchivos; // the files the selected version changed
    QPushButton* cmdRecuperar;
    QPushButton* cmdCerrar;

private:
    void mostrarArchivos();

    SesionForja& sesion_;
    std::string directorio_;
    std::vector<historial::Version> versiones_;
};

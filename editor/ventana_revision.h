#pragma once

// "Revisar la enciclotomo…": the check of the encyclopaedia loaded in the main window, run on a thread of its
// own while a bar shows how far it got, then every problem found with where it is; a problem whose article
// or list can be opened has a button that opens it in the editor.

#include <QWidget>

#include <string>

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class SesionForja;

namespace forja {
class Revisor;
}

class VentanaRevision : public QWidget {
    Q_OBJECT
public:
    VentanaRevision(SesionForja& sesion, QWidget* parent);

    // Checks the encyclopaedia loaded in the main window, from the start; false, after saying why, when
    // none is loaded.
    bool revisar();
    bool revisando() const;

    QLabel* lblTomo;
    QProgressBar* barProgreso;
    QLabel* lblResumen;
    QTreeWidget* lstProblemas;
    QPushButton* cmdAbrir;
    QPushButton* cmdRevisar;
    QPushButton* cmdCerrar;

    // Opens what the problem of this row is about, as its button does.
    void abrir(int fila);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void mostrarResultado();
    void elegido();

    SesionForja& sesion_;
    forja::Revisor* revisor_;
    QString directorio_; // the encyclopaedia checked, as the main window named it
};

#pragma once

// "Historial del artículo…": the versions of the article being edited, newest first; two of them side by side
// or as a word-level difference (decoded from Windows-1252); "Restaurar esta versión" writes the chosen one
// back as a new version and reads it into the article editor.

#include <QString>
#include <QWidget>

#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTextBrowser;
class SesionForja;

namespace historial {
struct Version;
}

class VentanaHistorialArticulo : public QWidget {
    Q_OBJECT
public:
    // The history of `articulo` (its file name) in the encyclopaedia of the session.
    VentanaHistorialArticulo(SesionForja& sesion, QWidget* parent, const QString& articulo);
    ~VentanaHistorialArticulo() override;

    const QString& articulo() const { return articulo_; }
    // Reads the versions again.
    void cargar();

    void cmdRestaurar_Click();

    QLabel* lblAviso;
    QListWidget* lstVersiones;    // the version shown "after"
    QComboBox* cmbComparar;       // the version shown "before"
    QRadioButton* optDiferencias; // one text, removed words struck out, added ones marked
    QRadioButton* optLadoALado;
    QStackedWidget* pilaVista;
    QTextBrowser* txtDiferencias;
    QPlainTextEdit* txtAntes;
    QPlainTextEdit* txtDespues;
    QPushButton* cmdRestaurar;
    QPushButton* cmdCerrar;

private:
    void mostrar();
    // The text of the article in a version ("" when it was missing), decoded for showing.
    QString texto(int version) const;

    SesionForja& sesion_;
    QString articulo_;
    std::string directorio_;
    std::vector<historial::Version> versiones_;
};

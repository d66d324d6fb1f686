#pragma once

// "Sincronizar…": brings the encyclopaedia loaded in the main window and another copy of it into step
// through a folder (a USB stick) or a git server's address. Where both copies changed the same lines of an
// article, the author decides conflict by conflict: "la mía", "la otra" or a text of their own; nothing is
// written, and no joining version recorded, until every conflict is decided.

#include <QWidget>

#include <memory>
#include <vector>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class SesionForja;

namespace historial {
class Historial;
class Sincronizacion;
struct Decision;
} // namespace historial

class VentanaSincronizar : public QWidget {
    Q_OBJECT
public:
    VentanaSincronizar(SesionForja& sesion, QWidget* parent);
    ~VentanaSincronizar() override;

    void cmdElegirCarpeta_Click();
    void cmdSincronizar_Click();
    // The current conflict decided; the next one is shown, or the sync is completed after the last.
    void decidir(int eleccion); // 0 la mía, 1 la otra, 2 the edited text

    QStackedWidget* paginas;
    // Page 1: where the other copy is.
    QLineEdit* txtDestino;
    QPushButton* cmdElegirCarpeta;
    QPushButton* cmdSincronizar;
    QLabel* lblEstado;
    // Page 2: one conflict at a time.
    QLabel* lblConflicto;
    QPlainTextEdit* txtMia;
    QPlainTextEdit* txtOtra;
    QPlainTextEdit* txtEditada;
    QPushButton* cmdMia;
    QPushButton* cmdOtra;
    QPushButton* cmdEditada;
    QPushButton* cmdCerrar;

private:
    void mostrarConflicto();
    void completar();

    SesionForja& sesion_;
    std::unique_ptr<historial::Historial> historial_;
    std::unique_ptr<historial::Sincronizacion> sincronizacion_;
    std::vector<std::vector<historial::Decision>> decisiones_;
    std::size_t archivo_ = 0; // the conflict shown: its file, and its conflict within the file
    std::size_t pieza_ = 0;
};

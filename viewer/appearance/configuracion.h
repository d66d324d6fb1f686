#pragma once

// The configuration window "Configuración": edits the ten colour slots with three scroll bars, applies
// them to the main window and the image window, restores the built-in scheme, and saves and reloads
// the current encyclopaedia's colour file.
//
// The slots live here for the whole run: slot i is the text colour of optConf(i). A slot may hold any
// 32-bit value read from the colour file, which no colour can carry, so the exact values are kept in
// ranuras_ and the option shows the colour the value stands for (see appearance/esquema.h).

#include "store/archivo_de_color.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;

class Configuracion : public QWidget {
    Q_OBJECT
public:
    // `principal` and `imagen` are the windows the scheme is applied to and read back from; they are
    // searched by control name, so any widget tree with those names will do.
    Configuracion(QWidget* principal, QWidget* imagen, QWidget* parent = nullptr);

    // Where "Guardar" and "Abrir" find the colour file: the current encyclopaedia directory.
    void setDirectorio(std::function<std::string()> directorio);

    std::array<QRadioButton*, 10> optConf{};
    std::array<QScrollBar*, 3> scrRGB{};
    std::array<QLabel*, 3> lblRGB{};
    QPushButton* cmdNormal = nullptr;
    QPushButton* cmdRestablecer = nullptr;
    QPushButton* cmdAceptar = nullptr;
    QPushButton* cmdGuardar = nullptr;
    QPushButton* cmdAbrir = nullptr;
    QPushButton* cmdCerrar = nullptr;

    // True while the window moves its own scroll bars; their change handling then does nothing.
    bool Ajustando = false;

    // Slot i as held (any 32-bit value) and setting it (the option's caption follows at once).
    std::int32_t ranura(int i) const;
    void setRanura(int i, std::int32_t valor);
    const store::Esquema& ranuras() const { return ranuras_; }
    // The slot the scroll bars edit: the lowest option that is on, or 0 when none is.
    int ranuraElegida() const;

    void cmdAceptar_Click(); // applies every slot to the main window and the image window
    void Normalizar();       // slots read back from the main window; slot 0 selected and shown

    void optConf_Click(int Index);
    void scrRGB_Change(int Index);
    void cmdNormal_Click();
    void cmdRestablecer_Click();
    void cmdGuardar_Click();
    void cmdAbrir_Click();
    void cmdCerrar_Click();

    static int BGR(int Numero, std::int32_t Kolor);
    static int MAM(int Numero);

protected:
    void closeEvent(QCloseEvent* evento) override;

private:
    void mostrarRanura(int i);

    QWidget* principal_;
    QWidget* imagen_;
    std::function<std::string()> directorio_;
    store::Esquema ranuras_ = store::kEsquemaPredeterminado;
};

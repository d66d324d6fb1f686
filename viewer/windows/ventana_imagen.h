#pragma once

#include <QWidget>

class QAction;
class QMenu;
class QPlainTextEdit;
class CajaImagen;

// The image window: the main window's current illustration at its own size with its caption under it.
// The right button on the picture offers "Copiar imagen" and "Cerrar". Closing it only hides it.
class VentanaImagen : public QWidget {
    Q_OBJECT
public:
    explicit VentanaImagen(QWidget* parent = nullptr);

    // Fits the window and the caption box to the picture: window = picture + 100 twips wide and
    // + 1615 twips high, caption box directly under the picture, as wide as it and 1215 twips high.
    void pctLlena_Resize();
    void pctLlena_MouseDown(Qt::MouseButton boton, const QPoint& posicionGlobal);
    // Puts the picture (only the picture) on the clipboard; nothing when there is none.
    void mnuCopiar_Click();
    void mnuCerrar_Click();

    CajaImagen* pctLlena = nullptr;
    QPlainTextEdit* txtEpigrafe = nullptr;
    QMenu* mnuPopup = nullptr;
    QAction* mnuCopiar = nullptr;
    QAction* mnuSeparar = nullptr;
    QAction* mnuCerrar = nullptr;

protected:
    void closeEvent(QCloseEvent* e) override;
};

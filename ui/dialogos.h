#pragma once

// Every message box and file dialog of both programs goes through here, so that a test can answer them in
// advance and no test ever waits on a modal loop.
//
// In normal use each call shows the real dialog. When a test has called Dialogos::modoPrueba(true), nothing
// is shown: the call is recorded (see mostrados()) and answered with the next queued answer, or with the
// dialog's default (OK / the default button / an empty file name).

#include <QMessageBox>
#include <QString>
#include <QStringList>

namespace store {
struct Error;
}

namespace ui {

struct DialogoMostrado {
    QString titulo;
    QString texto;
    QMessageBox::Icon icono = QMessageBox::NoIcon;
};

class Dialogos {
public:
    // A message box with one OK button.
    static void informar(QWidget* padre, const QString& titulo, const QString& texto,
                         QMessageBox::Icon icono = QMessageBox::Information);
    static void avisar(QWidget* padre, const QString& texto); // warning titled with the program's name
    static void error(QWidget* padre, const store::Error& e); // the store error's Spanish message
    // A question with the given buttons; returns the button chosen.
    static QMessageBox::StandardButton preguntar(QWidget* padre, const QString& titulo, const QString& texto,
                                                 QMessageBox::StandardButtons botones,
                                                 QMessageBox::StandardButton porDefecto);
    // An Open dialog; returns the chosen file's full path, or an empty string when cancelled.
    static QString abrirArchivo(QWidget* padre, const QString& titulo, const QString& filtros);

    // --- for tests ---
    static void modoPrueba(bool activo);
    static void siguienteRespuesta(QMessageBox::StandardButton respuesta);
    static void siguienteArchivo(const QString& ruta);
    static const QList<DialogoMostrado>& mostrados();
    static void limpiar(); // forget recorded dialogs and queued answers
};

} // namespace ui

#pragma once

// Every message box and file dialog of both programs goes through here, so that a test can answer them in
// advance and no test ever waits on a modal loop.
//
// In normal use each call shows the real dialog. When a test has called Dialogos::modoPrueba(true), nothing
// is shown: the call is recorded (see mostrados()) and answered with the next queued answer, or with the
// dialog's default (OK / the default button / an empty file name).
//
// Every box but the About box carries the program's name as its title, so that one program's messages all
// look alike.

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
    QStringList botones; // the buttons of a question asked with elegir(), in order
    int porDefecto = -1; // which of them Enter presses
};

class Dialogos {
public:
    // A message box with one OK button.
    static void informar(QWidget* padre, const QString& titulo, const QString& texto,
                         QMessageBox::Icon icono = QMessageBox::Information);
    static void avisar(QWidget* padre, const QString& texto); // warning titled with the program's name
    static void error(QWidget* padre, const store::Error& e); // the store error's Spanish message
    // A question with the given buttons; returns the button chosen.
    static QMessageBox::StandardButton preguntar(QWidget* padre, const QString& texto,
                                                 QMessageBox::StandardButtons botones,
                                                 QMessageBox::StandardButton porDefecto);
    // A question whose buttons say what they do ("Guardar", "Descartar", "Seguir editando"); returns the
    // index of the button chosen. Enter presses `porDefecto`; Escape and the close box choose `alSalir`.
    static int elegir(QWidget* padre, const QString& texto, const QStringList& botones, int porDefecto, int alSalir);
    // An Open dialog; returns the chosen file's full path, or an empty string when cancelled.
    static QString abrirArchivo(QWidget* padre, const QString& titulo, const QString& filtros);
    // A Save dialog starting at `propuesto`; returns the full path typed or chosen, or an empty string when
    // cancelled. It does not ask about an existing file: the caller asks, for files and directories alike.
    // Answered in tests by siguienteArchivo(), like abrirArchivo().
    static QString guardarArchivo(QWidget* padre, const QString& titulo, const QString& filtros,
                                  const QString& propuesto);
    // An Open dialog for any number of files; empty when cancelled. A test's queued answer gives one file.
    static QStringList abrirArchivos(QWidget* padre, const QString& titulo, const QString& filtros);
    // A dialog choosing a directory; its full path, or an empty string when cancelled.
    static QString abrirDirectorio(QWidget* padre, const QString& titulo);
    // A one-line text asked for (the author's name); empty when cancelled. In tests it is answered by
    // siguienteTexto() and counted in textosPedidos(), not recorded among mostrados(), so that a question asked
    // once per user does not change what other tests see.
    static QString pedirTexto(QWidget* padre, const QString& texto, const QString& propuesto = QString());

    // --- for tests ---
    static void modoPrueba(bool activo);
    static void siguienteRespuesta(QMessageBox::StandardButton respuesta);
    static void siguienteArchivo(const QString& ruta);
    // The next elegir() is answered with the button of this text (with its `alSalir` when it has none).
    static void siguienteBoton(const QString& texto);
    static void siguienteTexto(const QString& texto);
    static int textosPedidos();
    static const QList<DialogoMostrado>& mostrados();
    static void limpiar(); // forget recorded dialogs and queued answers
};

} // namespace ui

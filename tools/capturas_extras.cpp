// Renders the viewer's configuration window, dictionary window and chooser, offscreen, on the sample
// encyclopaedias and saves them as PNG files:
//   configuracion.png  "Configuración" with the slot "Fondo del título" selected
//   diccionario.png    "Diccionario" after looking up a word
//   elector.png        "Seleccionar enciclotomo" with the installed encyclopaedias
//
// Usage: capturas-extras <directorio-de-salida>
// The samples are installed into a temporary drive root; the user's own store is never read.

#include "appearance/frm_libro4.h"
#include "main_window/frm_libro1.h"
#include "ui/dialogos.h"
#include "windows/frm_libro5.h"
#include "windows/frm_libro6.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

QTextStream& err() {
    static QTextStream s(stderr);
    return s;
}

bool guardar(QWidget* ventana, const QDir& salida, const QString& nombre) {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
    }
    const QString ruta = salida.filePath(nombre);
    if (!ventana->grab().save(ruta, "PNG")) {
        err() << "No se pudo guardar " << ruta << Qt::endl;
        return false;
    }
    QTextStream(stdout) << ruta << Qt::endl;
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tomo"));

    const QStringList args = QApplication::arguments();
    if (args.size() != 2) {
        err() << "Uso: capturas-extras <directorio-de-salida>" << Qt::endl;
        return 2;
    }
    QDir salida(args[1]);
    if (!QDir().mkpath(salida.path())) {
        err() << "No se pudo crear el directorio " << salida.path() << Qt::endl;
        return 1;
    }

    QTemporaryDir unidades;
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(QStringLiteral("bash"), {QStringLiteral(LUMBRE_SOURCE_DIR "/tools/instalar-muestras.sh"), unidades.path()});
    if (!unidades.isValid() || !p.waitForFinished(60000) || p.exitCode() != 0) {
        err() << "No se pudieron instalar las enciclotomos de muestra." << Qt::endl;
        return 1;
    }
    qputenv("LUMBRE_UNIDADES", unidades.path().toLocal8Bit());
    ui::Dialogos::modoPrueba(true);

    frmLibro1 principal;
    if (!principal.Form_Load()) {
        return 1;
    }
    principal.show();

    principal.mnuConfig_Click();
    principal.libro4()->optConf[0]->click();
    bool ok = guardar(principal.libro4(), salida, QStringLiteral("configuracion.png"));
    principal.libro4()->hide();

    frmLibro5* diccionario = frmLibro5::mostrar(&principal, principal.directorio());
    diccionario->txtPalabra->setText(QStringLiteral("gravedad"));
    diccionario->txtPalabra_KeyDown(13, Qt::NoModifier);
    ok = guardar(diccionario, salida, QStringLiteral("diccionario.png")) && ok;
    diccionario->close();

    principal.mnuSeleki_Click();
    principal.libro6()->lstTomos->setCurrentRow(0);
    ok = guardar(principal.libro6(), salida, QStringLiteral("elector.png")) && ok;

    for (const auto& d : ui::Dialogos::mostrados()) {
        err() << "Aviso: " << d.texto << Qt::endl;
    }
    return ok ? 0 : 1;
}

// Renders the viewer's windows, offscreen, on the sample encyclopaedias and saves them as PNG files:
//   principal.png         the main window right after start-up
//   principal-pie.png     the main window with the caption box shown ("Pie de Foto")
//   selector-angosto.png  the selector as it starts: narrow, complete list
//   selector-ancho.png    the selector widened, with its first filter ticked
//   imagen.png            the image window opened with "Abrir"
//   configuracion.png     "Configuración" with the slot "Fondo del título" selected
//   diccionario.png       "Diccionario" after looking up a word
//   elector.png           "Seleccionar enciclotomo" with the installed encyclopaedias
//   busqueda.png          "Buscar en el texto" with the articles that speak of rings
//
// Usage: capturas <directorio-de-salida>
// The samples are installed into a temporary drive root; the user's own store is never read.

#include "appearance/configuracion.h"
#include "main_window/caja_imagen.h"
#include "main_window/etiqueta.h"
#include "main_window/modelo_de_titulos.h"
#include "main_window/ventana_principal.h"
#include "ui/dialogos.h"
#include "windows/busqueda_en_texto.h"
#include "windows/diccionario.h"
#include "windows/elector.h"
#include "windows/selector.h"
#include "windows/ventana_busqueda.h"
#include "windows/ventana_imagen.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace {

QTextStream& err() {
    static QTextStream s(stderr);
    return s;
}

void asentar() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
    }
}

bool guardar(QWidget* ventana, const QDir& salida, const QString& nombre) {
    asentar();
    const QString ruta = salida.filePath(nombre);
    if (!ventana->grab().save(ruta, "PNG")) {
        err() << "No se pudo guardar " << ruta << Qt::endl;
        return false;
    }
    QTextStream(stdout) << ruta << Qt::endl;
    return true;
}

bool instalarMuestras(const QString& unidades) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(QStringLiteral("bash"), {QStringLiteral(LUMBRE_SOURCE_DIR "/tools/instalar-muestras.sh"), unidades});
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tomo"));

    const QStringList args = QApplication::arguments();
    if (args.size() != 2) {
        err() << "Uso: capturas <directorio-de-salida>" << Qt::endl;
        return 2;
    }
    QDir salida(args[1]);
    if (!QDir().mkpath(salida.path())) {
        err() << "No se pudo crear el directorio " << salida.path() << Qt::endl;
        return 1;
    }

    QTemporaryDir unidades;
    if (!unidades.isValid() || !instalarMuestras(unidades.path())) {
        err() << "No se pudieron instalar las enciclotomos de muestra." << Qt::endl;
        return 1;
    }
    qputenv("LUMBRE_UNIDADES", unidades.path().toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (unidades.path() + QStringLiteral("/cache")).toLocal8Bit()); // the search index

    // No message box may wait for an answer here; whatever would have been said is printed.
    ui::Dialogos::modoPrueba(true);

    VentanaPrincipal principal;
    if (!principal.Form_Load()) {
        for (const auto& d : ui::Dialogos::mostrados()) {
            err() << d.texto << Qt::endl;
        }
        return 1;
    }
    principal.show();
    Selector* selector = principal.selector();
    while (principal.titulos()->listando()) { // the titles are read on worker threads
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }

    bool ok = guardar(&principal, salida, QStringLiteral("principal.png"));
    ok = guardar(selector, salida, QStringLiteral("selector-angosto.png")) && ok;

    selector->cmdTamano_Click();
    if (selector->lstDats->count() > 0) {
        selector->lstDats->item(0)->setCheckState(Qt::Checked);
    }
    ok = guardar(selector, salida, QStringLiteral("selector-ancho.png")) && ok;

    principal.lblPie_Click();
    ok = guardar(&principal, salida, QStringLiteral("principal-pie.png")) && ok;

    principal.lblAbrir_Click();
    ok = guardar(principal.ventanaImagen(), salida, QStringLiteral("imagen.png")) && ok;
    principal.ventanaImagen()->hide();

    principal.mnuConfig_Click();
    principal.configuracion()->optConf[0]->click();
    ok = guardar(principal.configuracion(), salida, QStringLiteral("configuracion.png")) && ok;
    principal.configuracion()->hide();

    Diccionario* diccionario = Diccionario::mostrar(&principal, principal.directorio());
    diccionario->txtPalabra->setText(QStringLiteral("gravedad"));
    diccionario->txtPalabra_KeyDown(13, Qt::NoModifier);
    ok = guardar(diccionario, salida, QStringLiteral("diccionario.png")) && ok;
    diccionario->close();

    principal.mnuSeleki_Click();
    principal.elector()->lstTomos->setCurrentRow(0);
    ok = guardar(principal.elector(), salida, QStringLiteral("elector.png")) && ok;

    principal.elector()->hide();

    principal.findChild<QAction*>(QStringLiteral("mnuBuscarTexto"))->trigger();
    auto* busqueda = principal.findChild<VentanaBusqueda*>();
    busqueda->txtBuscado->setText(QStringLiteral("anillos"));
    while (busqueda->modelo()->indexando() || busqueda->modelo()->resultados()->rowCount() == 0) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    ok = guardar(busqueda, salida, QStringLiteral("busqueda.png")) && ok;

    for (const auto& d : ui::Dialogos::mostrados()) {
        err() << "Aviso: " << d.texto << Qt::endl;
    }
    return ok ? 0 : 1;
}

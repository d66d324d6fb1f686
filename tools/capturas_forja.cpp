// Renders the editor's windows, offscreen, on the sample encyclopaedia El Sistema Solar and saves them as PNG
// files:
//   forja-principal.png     "Generador de Enciclotomos" with the encyclopaedia loaded
//   forja-ortografia.png    "Edición de Artículo" with misspelt words underlined and the suggestions of one open
//   forja-vista-previa.png  "Vista previa" of that article
//   forja-revision.png      "Revisar la enciclotomo" with the problems of a copy that lost a picture and an article
//   importar-zim.png        "Importar desde un archivo ZIM…" with the plan of a topic, its list and a picture
//
// Usage: capturas-forja <directorio-de-salida>
// The samples are installed into a temporary drive root; the user's own store and settings are never read.

#include "editor/ortografia.h"
#include "editor/sesion.h"
#include "editor/subrayado.h"
#include "editor/taller.h"
#include "editor/taller_art.h"
#include "editor/ventana_forja.h"
#include "editor/ventana_importar_zim.h"
#include "editor/ventana_revision.h"
#include "editor/vista_previa.h"
#include "importar/tests/zim_prueba.h"
#include "ui/aplicacion.h"
#include "ui/dialogos.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTreeWidget>

#include <functional>
#include <memory>

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

// Runs the event loop until `listo` holds, for at most `ms` milliseconds.
bool esperar(const std::function<bool()>& listo, int ms = 30000) {
    QElapsedTimer reloj;
    reloj.start();
    while (!listo()) {
        if (reloj.elapsed() > ms) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

bool guardarPixmap(const QPixmap& imagen, const QDir& salida, const QString& nombre) {
    const QString ruta = salida.filePath(nombre);
    if (!imagen.save(ruta, "PNG")) {
        err() << "No se pudo guardar " << ruta << Qt::endl;
        return false;
    }
    QTextStream(stdout) << ruta << Qt::endl;
    return true;
}

bool guardar(QWidget* ventana, const QDir& salida, const QString& nombre) {
    asentar();
    return guardarPixmap(ventana->grab(), salida, nombre);
}

bool instalarMuestras(const QString& unidades) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(QStringLiteral("bash"), {QStringLiteral(LUMBRE_SOURCE_DIR "/tools/instalar-muestras.sh"), unidades});
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// Selects the entry showing `texto` and clicks `boton`, as the author would.
bool elegirYPulsar(QAbstractItemView* lista, const QString& texto, QPushButton* boton) {
    const QAbstractItemModel* modelo = lista->model();
    for (int i = 0; i < modelo->rowCount(); ++i) {
        const QModelIndex entrada = modelo->index(i, 0);
        if (entrada.data(Qt::DisplayRole).toString() == texto) {
            lista->setCurrentIndex(entrada);
            boton->click();
            return true;
        }
    }
    err() << "No está «" << texto << "» en la lista." << Qt::endl;
    return false;
}

// The article window with the menu drawn where it opens over the body, as the author sees it.
QPixmap conMenu(QWidget* ventana, QMenu* menu, const QPoint& enVentana) {
    QPixmap base = ventana->grab();
    menu->adjustSize();
    const QPixmap dibujoMenu = menu->grab();
    QPixmap lienzo(std::max(base.width(), enVentana.x() + dibujoMenu.width()),
                   std::max(base.height(), enVentana.y() + dibujoMenu.height()));
    lienzo.fill(Qt::white);
    QPainter pintor(&lienzo);
    pintor.drawPixmap(0, 0, base);
    pintor.drawPixmap(enVentana, dibujoMenu);
    return lienzo;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const QStringList args = QApplication::arguments();
    if (args.size() != 2) {
        err() << "Uso: capturas-forja <directorio-de-salida>" << Qt::endl;
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
    qputenv("XDG_CONFIG_HOME", (unidades.path() + QStringLiteral("/config")).toLocal8Bit());
    ui::iniciarAplicacion(app, QStringLiteral("Forja")); // its icon and Qt's own words in Spanish
    ui::Dialogos::modoPrueba(true);

    SesionForja sesion;
    auto ventana = std::make_unique<VentanaForja>(sesion);
    ventana->show();
    Taller& t = *ventana->taller();
    t.cmdCargarRaiz->click();
    const QString solar = QStringLiteral("C:\\ENCICLO\\SOLAR");
    if (!elegirYPulsar(t.lstTomos, solar, t.cmdTomoLoad)) {
        return 1;
    }
    bool ok = guardar(ventana.get(), salida, QStringLiteral("forja-principal.png"));

    // The Moon's article with two words Spanish does not know; the first one's suggestions open.
    if (!elegirYPulsar(t.lstArticulos, QStringLiteral("LUNA.TXT"), t.txtArtLoad) || !t.tallerArt()) {
        err() << "No se abrió la ventana del artículo." << Qt::endl;
        return 1;
    }
    TallerArt* art = t.tallerArt();
    art->resize(820, 620);
    QPlainTextEdit* cuerpo = art->txtArtText;
    QTextCursor cursor(cuerpo->document());
    cursor.movePosition(QTextCursor::Start);
    cursor.insertText(QStringLiteral("La Luna es el único satélite natrual de la Tierra y su superfcie está "
                                     "cubierta de cráteres.\n"));
    cuerpo->verticalScrollBar()->setValue(0);
    const auto subrayadas = [art] {
        art->ortografiaCuerpo->actualizar();
        return !ortografia::Ortografia::compartida().ocupada() &&
               art->ortografiaCuerpo->subrayadas().contains(QStringLiteral("natrual"));
    };
    if (!esperar(subrayadas)) {
        err() << "La ortografía no respondió (¿falta hunspell-es?)." << Qt::endl;
        ok = false;
    }
    QTextCursor palabra(cuerpo->document());
    palabra.setPosition(static_cast<int>(cuerpo->toPlainText().indexOf(QStringLiteral("natrual"))) + 2);
    const QPoint punto = cuerpo->cursorRect(palabra).bottomLeft();
    std::unique_ptr<QMenu> menu(art->ortografiaCuerpo->menuPara(punto));
    asentar();
    const QPoint enVentana = cuerpo->viewport()->mapTo(art, punto);
    ok = guardarPixmap(conMenu(art, menu.get(), enVentana), salida, QStringLiteral("forja-ortografia.png")) && ok;
    menu.reset();

    art->mnuVistaPrevia_Click();
    VistaPrevia* vista = art->vistaPrevia();
    if (!vista) {
        err() << "No se abrió la vista previa." << Qt::endl;
        return 1;
    }
    vista->resize(720, 640);
    if (!esperar([vista] { return vista->windowTitle().contains(QStringLiteral("Luna")); })) {
        err() << "La vista previa no se mostró." << Qt::endl;
        ok = false;
    }
    ok = guardar(vista, salida, QStringLiteral("forja-vista-previa.png")) && ok;
    vista->close();
    art->cerrarSinPreguntar();
    asentar();

    // A copy that lost a picture and an article the lists still name, checked whole.
    const QString dir = unidades.path() + QStringLiteral("/c/ENCICLO/SOLAR");
    QFile::remove(dir + QStringLiteral("/IMG/MARTE.JPG"));
    QFile::remove(dir + QStringLiteral("/URANO.TXT"));
    t.revisarEnciclotomo();
    auto* revision = ventana->findChild<VentanaRevision*>();
    if (!revision) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* r = qobject_cast<VentanaRevision*>(w)) {
                revision = r;
            }
        }
    }
    if (!revision || !esperar([revision] { return !revision->revisando(); })) {
        err() << "No se revisó la enciclotomo." << Qt::endl;
        return 1;
    }
    revision->resize(860, 420);
    if (revision->lstProblemas->topLevelItemCount() > 0) {
        revision->lstProblemas->setCurrentItem(revision->lstProblemas->topLevelItem(0));
    }
    ok = guardar(revision, salida, QStringLiteral("forja-revision.png")) && ok;

    // A small ZIM file shaped as the wikis publish theirs: a topic of it planned, with a list of its own.
    QFile::copy(dir + QStringLiteral("/IMG/CIELO.JPG"), unidades.path() + QStringLiteral("/tierra.jpg"));
    QFile foto(unidades.path() + QStringLiteral("/tierra.jpg"));
    foto.open(QIODevice::ReadOnly);
    const std::string jpeg = foto.readAll().toStdString();
    const auto pagina = [](const std::string& titulo, const std::string& cuerpo) {
        return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + titulo + "</title></head><body><h1>" +
               titulo + "</h1><section>" + cuerpo + "</section></body></html>";
    };
    prueba::ArchivoZim zim;
    zim.metadatos = {{"Name", "vikidia_es"},      {"Title", "Vikidia en español"}, {"Language", "spa"},
                     {"License", "CC BY-SA 4.0"}, {"Creator", "Vikidia"},          {"Publisher", "Kiwix"}};
    zim.entradas = {
        {"Sistema_Solar", "Sistema Solar", "text/html",
         pagina("Sistema Solar", "<p>El <a href=\"./Sol\">Sol</a> y los planetas que giran a su alrededor, como la "
                                 "<a href=\"./Tierra\">Tierra</a> y <a href=\"./Marte\">Marte</a>.</p>")},
        {"Sol", "Sol", "text/html", pagina("Sol", "<p>La estrella del Sistema Solar.</p>")},
        {"Tierra", "Tierra", "text/html",
         pagina("Tierra", "<p>El planeta en que vivimos, con su <a href=\"./Luna\">Luna</a>.</p><figure "
                          "typeof=\"mw:File/Thumb\"><img src=\"./I/Tierra.jpg\"><figcaption>La Tierra vista desde "
                          "el espacio</figcaption></figure>")},
        {"Marte", "Marte", "text/html", pagina("Marte", "<p>El planeta rojo.</p>")},
        {"Luna", "Luna", "text/html", pagina("Luna", "<p>El satélite de la Tierra.</p>")},
        {"I/Tierra.jpg", "", "image/jpeg", jpeg},
    };
    const QString archivoZim = unidades.path() + QStringLiteral("/vikidia_es.zim");
    prueba::escribirZim(archivoZim.toStdString(), zim);
    VentanaImportarZim importar(ventana.get(), "C:\\ENCICLO\\SOLAR");
    importar.show();
    if (!importar.abrir(archivoZim)) {
        err() << "No se abrió el archivo ZIM." << Qt::endl;
        return 1;
    }
    importar.txtTema->setText(QStringLiteral("Sistema Solar"));
    importar.spnProfundidad->setValue(2);
    importar.txtListaTema->setText(QStringLiteral("Sistema Solar de Vikidia"));
    QSignalSpy planeado(&importar, &VentanaImportarZim::listo);
    importar.cmdPlanear->click();
    if (!esperar([&planeado] { return !planeado.isEmpty(); })) {
        err() << "No se mostró el plan de la importación." << Qt::endl;
        ok = false;
    }
    importar.resize(760, 820);
    ok = guardar(&importar, salida, QStringLiteral("importar-zim.png")) && ok;

    for (const auto& d : ui::Dialogos::mostrados()) {
        err() << "Aviso: " << d.texto << Qt::endl;
    }
    return ok ? 0 : 1;
}

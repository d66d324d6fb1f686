// Two copies of the sample encyclopaedia, changed on two laptops (one article on both), brought back into step
// through a USB-like folder with the conflict decided in the window, and through a git server started here on
// loopback; the command line stops on the conflict and changes nothing.

#include "editor/orden_historial.h"
#include "editor/sesion.h"
#include "editor/taller.h"
#include "editor/taller_art.h"
#include "editor/tests/ayudas.h"
#include "editor/ventana_forja.h"
#include "editor/ventana_sincronizar.h"
#include "editor/versiones.h"
#include "tests/support/unidades.h"
#include "ui/dialogos.h"

#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace prueba;
using ui::Dialogos;

namespace {

const std::string kA = "C:\\ENCICLO\\SOLAR";
const std::string kB = "C:\\OTRA\\SOLAR";

// Every file of an encyclopaedia but its history and ULTIMO.DAT, by name.
QMap<QString, QByteArray> archivos(const QString& directorio) {
    QMap<QString, QByteArray> todo;
    QDirIterator it(directorio, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString ruta = it.next();
        const QString nombre = QDir(directorio).relativeFilePath(ruta);
        if (nombre.startsWith(QLatin1String(".git/")) || nombre == QLatin1String("ULTIMO.DAT")) {
            continue;
        }
        QFile f(ruta);
        f.open(QIODevice::ReadOnly);
        todo.insert(nombre, f.readAll());
    }
    return todo;
}

// A loopback port nobody listens on (0 when none could be found), and whether someone listens on one.
quint16 puertoLibre() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in d{};
    d.sin_family = AF_INET;
    d.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t largo = sizeof d;
    quint16 puerto = 0;
    if (s >= 0 && ::bind(s, reinterpret_cast<sockaddr*>(&d), sizeof d) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&d), &largo) == 0) {
        puerto = ntohs(d.sin_port);
    }
    if (s >= 0) {
        ::close(s);
    }
    return puerto;
}

bool escucha(quint16 puerto) {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in d{};
    d.sin_family = AF_INET;
    d.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    d.sin_port = htons(puerto);
    const bool si = s >= 0 && ::connect(s, reinterpret_cast<sockaddr*>(&d), sizeof d) == 0;
    if (s >= 0) {
        ::close(s);
    }
    return si;
}

bool copiar(const QString& de, const QString& a) {
    return QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-a"), de, a}) == 0;
}

int orden(const QStringList& argumentos, QString* errores = nullptr) {
    QString salida;
    QString e;
    const auto fin = forja::ejecutarOrdenHistorial(argumentos, salida, e);
    if (errores) {
        *errores = e;
    }
    return fin.value_or(-1);
}

// The encyclopaedia A loaded in the window, and B a copy of its directory (history and all) on "another laptop".
void preparar(Unidades& u, VentanaForja& ventana) {
    QVERIFY(u.instalarMuestras());
    forja::guardarAutor(QStringLiteral("Ana"));
    Taller& t = *ventana.taller();
    pulsar(t.cmdCargarRaiz);
    cargarTomo(t, QString::fromStdString(kA));
    QVERIFY(QDir().mkpath(u.nativa("C:\\OTRA")));
    QVERIFY(copiar(u.nativa(kA), u.nativa(kB)));
    Dialogos::limpiar();
}

void sincronizarEnVentana(VentanaForja& ventana, const QString& destino) {
    QAction* accion = ventana.menuBar()->findChild<QAction*>(QStringLiteral("mnuSincronizar"));
    QVERIFY(accion);
    accion->trigger();
    VentanaSincronizar* s = ventana.taller()->ventanaSincronizar();
    QVERIFY(s);
    escribir(s->txtDestino, destino);
    pulsar(s->cmdSincronizar);
}

void cambiarTitulo(Taller& t, const QString& articulo, const QString& titulo) {
    cargarArticulo(t, articulo);
    escribir(t.tallerArt()->txtTitulo, titulo);
    pulsar(t.tallerArt()->cmdSaveArt);
}

} // namespace

class TstSincronizar : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Dialogos::modoPrueba(true); }
    void init() { Dialogos::limpiar(); }

    void throughAFolder_conflictDecidedInTheWindow();
    void throughAGitServerOnLoopback();
};

void TstSincronizar::throughAFolder_conflictDecidedInTheWindow() {
    Unidades u;
    SesionForja sesion;
    VentanaForja ventana(sesion);
    preparar(u, ventana);
    Taller& t = *ventana.taller();
    const QString usb = u.unidad('e') + QStringLiteral("/SOLAR");

    // The other laptop: MARTE.TXT's title changed by hand, then synced from the command line.
    QByteArray marte = u.bytes(kB + "\\MARTE.TXT");
    marte.replace("<TIT>Marte\r\n", "<TIT>Marte, el planeta rojo\r\n");
    u.escribir(kB + "\\MARTE.TXT", marte);
    QCOMPARE(orden({QStringLiteral("--sincronizar"), QString::fromStdString(kB), usb}), 0);

    // This one: the same line changed in the article editor.
    cambiarTitulo(t, QStringLiteral("MARTE.TXT"), QStringLiteral("Marte, cuarto planeta"));
    t.tallerArt()->cerrarSinPreguntar();
    const QByteArray mio = u.bytes(kA + "\\MARTE.TXT");
    QString errores;
    QCOMPARE(orden({QStringLiteral("--sincronizar"), QString::fromStdString(kA), usb}, &errores), 1);
    QVERIFY2(errores.contains(QStringLiteral("«MARTE.TXT»; no se tocó")), qPrintable(errores));
    QCOMPARE(u.bytes(kA + "\\MARTE.TXT"), mio);

    sincronizarEnVentana(ventana, usb);
    VentanaSincronizar* s = t.ventanaSincronizar();
    QCOMPARE(s->paginas->currentIndex(), 1);
    QVERIFY(s->lblConflicto->text().contains(QStringLiteral("«MARTE.TXT»")));
    QCOMPARE(s->txtMia->toPlainText(), QStringLiteral("<TIT>Marte, cuarto planeta"));
    QCOMPARE(s->txtOtra->toPlainText(), QStringLiteral("<TIT>Marte, el planeta rojo"));
    QCOMPARE(u.bytes(kA + "\\MARTE.TXT"), mio); // nothing written before the author decides
    pulsar(s->cmdOtra);
    QVERIFY2(Dialogos::mostrados().isEmpty(), qPrintable(Dialogos::mostrados().value(0).texto));
    QCOMPARE(s->paginas->currentIndex(), 0);
    // The other title, in the text as the editor here wrote it (the rest merged by itself).
    QByteArray unido = mio;
    unido.replace("<TIT>Marte, cuarto planeta\r\n", "<TIT>Marte, el planeta rojo\r\n");
    QCOMPARE(u.bytes(kA + "\\MARTE.TXT"), unido);

    // The other laptop receives the joined versions: both copies alike, file by file.
    QCOMPARE(orden({QStringLiteral("--sincronizar"), QString::fromStdString(kB), usb}), 0);
    QCOMPARE(archivos(u.nativa(kA)), archivos(u.nativa(kB)));
    QVERIFY(!u.bytes(kA + "\\MARTE.TXT").contains("<<<<"));
    // The author's own title stays in the history.
    QString salida;
    QString e;
    forja::ejecutarOrdenHistorial(
        {QStringLiteral("--historial"), QString::fromStdString(kA), QStringLiteral("MARTE.TXT")}, salida, e);
    QVERIFY2(salida.contains(QStringLiteral("Guardado el artículo «Marte, cuarto planeta»")), qPrintable(salida));
    QVERIFY(salida.contains(QStringLiteral("Sincronizado con ")));
}

void TstSincronizar::throughAGitServerOnLoopback() {
    Unidades u;
    SesionForja sesion;
    VentanaForja ventana(sesion);
    preparar(u, ventana);
    Taller& t = *ventana.taller();
    const QString base = u.unidad('g');
    QCOMPARE(QProcess::execute(QStringLiteral("git"), {QStringLiteral("init"), QStringLiteral("-q"),
                                                       QStringLiteral("--bare"), base + QStringLiteral("/solar.git")}),
             0);
    const quint16 puerto = puertoLibre();
    QVERIFY(puerto != 0);
    QProcess servidor;
    servidor.start(QStringLiteral("git"),
                   {QStringLiteral("daemon"), QStringLiteral("--reuseaddr"), QStringLiteral("--export-all"),
                    QStringLiteral("--enable=receive-pack"), QStringLiteral("--listen=127.0.0.1"),
                    QStringLiteral("--port=%1").arg(puerto), QStringLiteral("--base-path=") + base, base});
    QVERIFY(servidor.waitForStarted());
    bool listo = false;
    for (int i = 0; i < 100 && !listo; ++i) {
        listo = escucha(puerto);
        if (!listo) {
            QTest::qWait(50);
        }
    }
    QVERIFY(listo);
    const QString direccion = QStringLiteral("git://127.0.0.1:%1/solar.git").arg(puerto);

    cambiarTitulo(t, QStringLiteral("SOL.TXT"), QStringLiteral("El Sol, nuestra estrella"));
    t.tallerArt()->cerrarSinPreguntar();
    sincronizarEnVentana(ventana, direccion);
    QVERIFY2(Dialogos::mostrados().isEmpty(), qPrintable(Dialogos::mostrados().value(0).texto));
    QVERIFY(t.ventanaSincronizar()->lblEstado->text().contains(QStringLiteral("Se enviaron")));

    QByteArray luna = u.bytes(kB + "\\LUNA.TXT");
    luna.replace("<TIT>Luna\r\n", "<TIT>La Luna\r\n");
    u.escribir(kB + "\\LUNA.TXT", luna);
    QCOMPARE(orden({QStringLiteral("--sincronizar"), QString::fromStdString(kB), direccion}), 0);
    pulsar(t.ventanaSincronizar()->cmdSincronizar);
    QVERIFY2(Dialogos::mostrados().isEmpty(), qPrintable(Dialogos::mostrados().value(0).texto));
    QCOMPARE(u.bytes(kA + "\\LUNA.TXT"), luna);
    QCOMPARE(archivos(u.nativa(kA)), archivos(u.nativa(kB)));
    servidor.terminate();
    servidor.waitForFinished();
}

QTEST_MAIN(TstSincronizar)
#include "tst_sincronizar.moc"

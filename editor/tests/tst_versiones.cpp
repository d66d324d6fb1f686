// Every change the author makes through the windows is one version of the encyclopaedia's history, signed
// with the author's name (asked once); changes made outside Forja are found when it is loaded; a damaged
// history never stops a save; the command line lists and restores versions.

#include "editor/estado.h"
#include "editor/orden_historial.h"
#include "editor/sesion.h"
#include "editor/taller.h"
#include "editor/taller_art.h"
#include "editor/tests/ayudas.h"
#include "editor/versiones.h"
#include "historial/historial.h"
#include "tests/support/unidades.h"
#include "ui/dialogos.h"

#include <QSignalSpy>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <functional>

using namespace prueba;
using ui::Dialogos;

using Accion = std::function<void(Taller&)>;
Q_DECLARE_METATYPE(Accion)

namespace {

const std::string kTomo = "C:\\ENC\\ASTRO";

// The versions of ASTRO, newest first.
std::vector<historial::Version> versiones(const std::string& articulo = {}) {
    auto h = historial::Historial::abrir(kTomo);
    if (!h) {
        return {};
    }
    auto v = (*h)->versiones(articulo);
    return v ? *v : std::vector<historial::Version>{};
}

QString resumen(const historial::Version& v) {
    return QString::fromStdString(v.resumen);
}

QStringList archivos(const historial::Version& v) {
    QStringList lista;
    for (const auto& a : v.archivos) {
        lista << QString::fromLatin1(a);
    }
    return lista;
}

QStringList lista(std::initializer_list<const char*> nombres) {
    QStringList l;
    for (const char* n : nombres) {
        l << QString::fromLatin1(n);
    }
    return l;
}

void conSolDe(Taller& t) {
    agregarArticulo(t, QStringLiteral("sol.txt"));
}

void agregarImagen(TallerArt& art, const QString& nombre) {
    escribir(art.txtImgNew, nombre);
    pulsar(art.cmdImgAdd);
}

int git(const QString& directorio, const QStringList& argumentos, QByteArray* salida = nullptr) {
    QProcess p;
    p.start(QStringLiteral("git"), QStringList{QStringLiteral("-C"), directorio} + argumentos);
    p.waitForFinished(30000);
    if (salida) {
        *salida = p.readAllStandardOutput();
    }
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

} // namespace

class TstVersiones : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Dialogos::modoPrueba(true); }
    void init() { Dialogos::limpiar(); }

    void authorName_askedOnce_keptInSettings();
    void eachSave_oneVersion_data();
    void eachSave_oneVersion();
    void changesOutside_recordedWhenLoaded();
    void damagedHistory_toldOnce_savingGoesOn();
    void commandLine_listsAndRestoresADeletedArticle();
    void copyWithoutHistory_fromTheMenuAndTheCommandLine();
    void manySaves_packedOffTheAuthorsWay();
};

void TstVersiones::authorName_askedOnce_keptInSettings() {
    Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    Dialogos::siguienteTexto(QStringLiteral("Ana Pérez"));
    crearRaiz(t, QStringLiteral("C:\\ENC"));
    agregarTomo(t, QStringLiteral("C:\\ENC\\ASTRO")); // the encyclopaedia's first version asks
    QCOMPARE(Dialogos::textosPedidos(), 1);
    QCOMPARE(forja::autorGuardado(), QStringLiteral("Ana Pérez"));
    cargarTomo(t, QStringLiteral("C:\\ENC\\ASTRO"));
    agregarArticulo(t, QStringLiteral("sol.txt"));
    QCOMPARE(Dialogos::textosPedidos(), 1);
    const auto v = versiones();
    QVERIFY(!v.empty());
    QCOMPARE(QString::fromStdString(v.front().autor), QStringLiteral("Ana Pérez"));
    QByteArray log;
    QCOMPARE(git(u.nativa(kTomo), {QStringLiteral("log"), QStringLiteral("-1"), QStringLiteral("--format=%an")}, &log),
             0);
    QCOMPARE(QString::fromUtf8(log).trimmed(), QStringLiteral("Ana Pérez"));
}

void TstVersiones::eachSave_oneVersion_data() {
    QTest::addColumn<Accion>("preparar");
    QTest::addColumn<Accion>("guardar");
    QTest::addColumn<QString>("resumen");
    QTest::addColumn<QStringList>("archivos");
    const Accion nada = [](Taller&) {};
    const Accion conSol = [](Taller& t) { agregarArticulo(t, QStringLiteral("sol.txt")); };
    QTest::newRow("description") << Accion([](Taller& t) { teclear(t.txtMsg, QStringLiteral("Astronomía")); })
                                 << Accion([](Taller& t) { pulsar(t.cmdSave); })
                                 << QStringLiteral("Guardada la descripción") << lista({"DESCRIP.DAT"});
    QTest::newRow("new article") << nada << conSol << QStringLiteral("Agregado el artículo «sol.txt»")
                                 << lista({"COMPLETA.DAT", "sol.txt"});
    QTest::newRow("new list") << nada << Accion([](Taller& t) { agregarLista(t, QStringLiteral("Planetas")); })
                              << QStringLiteral("Agregada la lista «Planetas»")
                              << lista({"LISTAS.DAT", "Planetas.dat"});
    QTest::newRow("list saved") << Accion([](Taller& t) {
        conSolDe(t);
        agregarLista(t, QStringLiteral("Planetas"));
        cargarLista(t, QStringLiteral("Planetas"));
        marcar(t.lstLstArts, 0);
    }) << Accion([](Taller& t) { pulsar(t.cmdLstSave); })
                                << QStringLiteral("Guardada la lista «Planetas»") << lista({"Planetas.dat"});
    QTest::newRow("article saved") << Accion([](Taller& t) {
        conSolDe(t);
        cargarArticulo(t, QStringLiteral("sol.txt"));
        escribir(t.tallerArt()->txtTitulo, QStringLiteral("El Sol"));
        teclear(t.tallerArt()->txtArtText, QStringLiteral("Una estrella, año tras año."));
    }) << Accion([](Taller& t) { pulsar(t.tallerArt()->cmdSaveArt); })
                                   << QStringLiteral("Guardado el artículo «El Sol»") << lista({"sol.txt"});
    QTest::newRow("caption file made when selected") << Accion([](Taller& t) {
        conSolDe(t);
        cargarArticulo(t, QStringLiteral("sol.txt"));
        agregarImagen(*t.tallerArt(), QStringLiteral("sol.bmp"));
    }) << Accion([](Taller& t) { elegir(t.tallerArt()->lstImagenes, QStringLiteral("sol.bmp")); })
                                                     << QStringLiteral("Creado el epígrafe de «sol.bmp»")
                                                     << lista({"IMG\\sol.txt"});
    QTest::newRow("caption saved") << Accion([](Taller& t) {
        conSolDe(t);
        cargarArticulo(t, QStringLiteral("sol.txt"));
        agregarImagen(*t.tallerArt(), QStringLiteral("sol.bmp"));
        elegir(t.tallerArt()->lstImagenes, QStringLiteral("sol.bmp"));
        teclear(t.tallerArt()->txtSub, QStringLiteral("El Sol\nNuestra estrella"));
    }) << Accion([](Taller& t) { pulsar(t.tallerArt()->cmdSaveSub); })
                                   << QStringLiteral("Guardado el epígrafe de «sol.bmp»") << lista({"IMG\\sol.txt"});
    QTest::newRow("article with its caption, one version") << Accion([](Taller& t) {
        conSolDe(t);
        cargarArticulo(t, QStringLiteral("sol.txt"));
        agregarImagen(*t.tallerArt(), QStringLiteral("sol.bmp"));
        elegir(t.tallerArt()->lstImagenes, QStringLiteral("sol.bmp"));
        teclear(t.tallerArt()->txtSub, QStringLiteral("El Sol"));
        Dialogos::siguienteBoton(QStringLiteral("Guardar también el epígrafe"));
    }) << Accion([](Taller& t) { pulsar(t.tallerArt()->cmdSaveArt); })
                                                           << QStringLiteral("Guardado el artículo «sol.txt» y el "
                                                                             "epígrafe de «sol.bmp»")
                                                           << lista({"IMG\\sol.txt", "sol.txt"});
}

void TstVersiones::eachSave_oneVersion() {
    QFETCH(Accion, preparar);
    QFETCH(Accion, guardar);
    QFETCH(QString, resumen);
    QFETCH(QStringList, archivos);
    Unidades u;
    forja::guardarAutor(QStringLiteral("Ana"));
    SesionForja sesion;
    Taller t(sesion);
    prepararTomo(t);
    preparar(t);
    const auto antes = versiones().size();
    guardar(t);
    const auto despues = versiones();
    QCOMPARE(despues.size(), antes + 1);
    QCOMPARE(::resumen(despues.front()), resumen);
    QCOMPARE(::archivos(despues.front()), archivos);
    QVERIFY(t.tomo()->avisoHistorial().isEmpty());
    // What the version holds is what the store wrote, byte for byte.
    auto h = historial::Historial::abrir(kTomo);
    for (const QString& a : archivos) {
        const auto guardado = (*h)->leer("HEAD", a.toStdString());
        QVERIFY(guardado && *guardado);
        QCOMPARE(QByteArray::fromStdString(**guardado), u.bytes(kTomo + "\\" + a.toStdString()));
    }
    QCOMPARE(git(u.nativa(kTomo), {QStringLiteral("fsck"), QStringLiteral("--strict")}), 0);
}

void TstVersiones::changesOutside_recordedWhenLoaded() {
    Unidades u;
    forja::guardarAutor(QStringLiteral("Ana"));
    SesionForja sesion;
    Taller t(sesion);
    prepararTomo(t);
    agregarArticulo(t, QStringLiteral("sol.txt"));
    const auto antes = versiones().size();
    // The viewer's colours, a hand edit, and ULTIMO.DAT, which is never versioned.
    u.escribir(kTomo + "\\COLOR.DAT", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n");
    u.escribir(kTomo + "\\sol.txt", "<TIT>Sol\r\nA mano.\r\n");
    u.escribir(kTomo + "\\ULTIMO.DAT", "luna.txt\r\n");
    cargarTomo(t, QString::fromStdString(kTomo));
    auto v = versiones();
    QCOMPARE(v.size(), antes + 1);
    QCOMPARE(resumen(v.front()), QStringLiteral("Cambios hechos fuera de Forja"));
    QCOMPARE(archivos(v.front()), (lista({"COLOR.DAT", "sol.txt"})));
    cargarTomo(t, QString::fromStdString(kTomo)); // nothing new: no version
    QCOMPARE(versiones().size(), antes + 1);
    QVERIFY(Dialogos::mostrados().isEmpty());

    // Loading does not wait for what it records. A change the author makes meanwhile is kept whole whichever
    // version it lands in (its own, or the one of the changes made outside if the scan reached it first), and
    // the window hears of the recording.
    u.escribir(kTomo + "\\sol.txt", "<TIT>Sol\r\nOtra vez a mano.\r\n");
    QSignalSpy registradas(t.tomo(), &TomoEditado::versionRegistrada);
    pulsar(t.cmdTomoLoad);
    agregarArticulo(t, QStringLiteral("luna.txt"));
    forja::esperarHistorial();
    QTRY_VERIFY(!registradas.isEmpty());
    v = versiones();
    QVERIFY(v.size() == antes + 2 || v.size() == antes + 3);
    QVERIFY(resumen(v[0]) == QStringLiteral("Agregado el artículo «luna.txt»") ||
            resumen(v[0]) == QStringLiteral("Cambios hechos fuera de Forja"));
    auto h = historial::Historial::abrir(kTomo);
    QVERIFY(h);
    for (const char* a : {"sol.txt", "luna.txt", "COMPLETA.DAT"}) {
        const auto guardado = (*h)->leer("HEAD", a);
        QVERIFY2(guardado && *guardado, a);
        QCOMPARE(QByteArray::fromStdString(**guardado), u.bytes(kTomo + "\\" + a));
    }
    QCOMPARE(git(u.nativa(kTomo), {QStringLiteral("fsck"), QStringLiteral("--strict")}), 0);
}

void TstVersiones::damagedHistory_toldOnce_savingGoesOn() {
    Unidades u;
    forja::guardarAutor(QStringLiteral("Ana"));
    SesionForja sesion;
    Taller t(sesion);
    prepararTomo(t);
    QDir(u.nativa(kTomo + "\\.git\\objects")).removeRecursively();
    cargarTomo(t, QString::fromStdString(kTomo));
    QCOMPARE(Dialogos::mostrados().size(), 1);
    QVERIFY2(Dialogos::mostrados().front().texto.contains(QStringLiteral("No se están guardando las versiones")),
             qPrintable(Dialogos::mostrados().front().texto));
    Dialogos::limpiar();
    agregarArticulo(t, QStringLiteral("sol.txt"));
    QVERIFY(Dialogos::mostrados().isEmpty()); // told once, below the window from then on
    QCOMPARE(u.bytes(kTomo + "\\COMPLETA.DAT"), QByteArray("sol.txt\r\n"));
    QVERIFY(!t.tomo()->avisoHistorial().isEmpty());
    QVERIFY(!QFileInfo::exists(u.nativa(kTomo + "\\.git\\objects"))); // left as it was found
}

void TstVersiones::commandLine_listsAndRestoresADeletedArticle() {
    Unidades u;
    forja::guardarAutor(QStringLiteral("Ana"));
    {
        SesionForja sesion;
        Taller t(sesion);
        prepararTomo(t);
        agregarArticulo(t, QStringLiteral("marte.txt"));
        cargarArticulo(t, QStringLiteral("marte.txt"));
        escribir(t.tallerArt()->txtTitulo, QStringLiteral("Marte"));
        teclear(t.tallerArt()->txtArtText, QStringLiteral("El planeta rojo, año tras año."));
        pulsar(t.tallerArt()->cmdSaveArt);
        t.tallerArt()->cerrarSinPreguntar();
    }
    const QByteArray guardado = u.bytes(kTomo + "\\marte.txt");
    QVERIFY(QFile::remove(u.nativa(kTomo + "\\marte.txt")));
    const QString ruta = QString::fromStdString(kTomo);

    QString salida;
    QString errores;
    QCOMPARE(forja::ejecutarOrdenHistorial({QStringLiteral("--historial"), ruta, QStringLiteral("marte.txt")}, salida,
                                           errores),
             std::optional<int>(0));
    const QStringList lineas = salida.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lineas.size(), 2);
    QVERIFY2(lineas[0].endsWith(QStringLiteral("Ana  Guardado el artículo «Marte»")), qPrintable(lineas[0]));
    const QString version = lineas[0].section(QLatin1Char(' '), 0, 0);

    salida.clear();
    QCOMPARE(forja::ejecutarOrdenHistorial({QStringLiteral("--restaurar"), ruta, QStringLiteral("marte.txt"), version},
                                           salida, errores),
             std::optional<int>(0));
    QVERIFY2(errores.isEmpty(), qPrintable(errores));
    QCOMPARE(u.bytes(kTomo + "\\marte.txt"), guardado);
    const auto v = versiones();
    QVERIFY(resumen(v[0]).startsWith(QStringLiteral("Restaurado «marte.txt» como estaba el ")));
    QCOMPARE(resumen(v[1]), QStringLiteral("Cambios hechos fuera de Forja")); // the deletion, kept first

    // Mistakes: a version that does not exist, a missing argument.
    errores.clear();
    QCOMPARE(forja::ejecutarOrdenHistorial(
                 {QStringLiteral("--restaurar"), ruta, QStringLiteral("marte.txt"), QStringLiteral("0000000000")},
                 salida, errores),
             std::optional<int>(1));
    QVERIFY(errores.contains(QStringLiteral("0000000000")));
    QCOMPARE(forja::ejecutarOrdenHistorial({QStringLiteral("--restaurar"), ruta}, salida, errores),
             std::optional<int>(2));
    QCOMPARE(forja::ejecutarOrdenHistorial({QStringLiteral("--importar")}, salida, errores), std::nullopt);
}

void TstVersiones::copyWithoutHistory_fromTheMenuAndTheCommandLine() {
    Unidades u;
    forja::guardarAutor(QStringLiteral("Ana"));
    SesionForja sesion;
    Taller t(sesion);
    prepararTomo(t);
    agregarArticulo(t, QStringLiteral("sol.txt"));
    u.escribir(kTomo + "\\IMG\\sol.txt", "El Sol\r\n");
    const auto archivosDe = [&](const std::string& tomo) {
        QMap<QString, QByteArray> todo;
        const QString raiz = u.nativa(tomo);
        QDirIterator it(raiz, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString ruta = it.next();
            QFile f(ruta);
            f.open(QIODevice::ReadOnly);
            todo.insert(QDir(raiz).relativeFilePath(ruta), f.readAll());
        }
        return todo;
    };
    auto esperado = archivosDe(kTomo);
    for (auto it = esperado.begin(); it != esperado.end();) {
        it = it.key().startsWith(QLatin1String(".git/")) ? esperado.erase(it) : std::next(it);
    }
    QVERIFY(esperado.contains(QStringLiteral("IMG/sol.txt")));

    Dialogos::siguienteArchivo(QStringLiteral("C:\\ENC\\REGALO"));
    t.copiarSinHistorial();
    QCOMPARE(Dialogos::mostrados().size(), 2); // the dialog, then what was done
    QVERIFY(Dialogos::mostrados().last().texto.startsWith(QStringLiteral("Se copiaron")));
    QCOMPARE(archivosDe("C:\\ENC\\REGALO"), esperado);

    QString salida;
    QString errores;
    const QString ruta = QString::fromStdString(kTomo);
    QCOMPARE(forja::ejecutarOrdenHistorial(
                 {QStringLiteral("--copiar-sin-historial"), ruta, QStringLiteral("C:\\ENC\\OTRO")}, salida, errores),
             std::optional<int>(0));
    QCOMPARE(archivosDe("C:\\ENC\\OTRO"), esperado);
    // Never over something that exists, nor inside the encyclopaedia itself.
    for (const char* destino : {"C:\\ENC\\OTRO", "C:\\ENC\\ASTRO\\DENTRO"}) {
        QCOMPARE(forja::ejecutarOrdenHistorial(
                     {QStringLiteral("--copiar-sin-historial"), ruta, QString::fromLatin1(destino)}, salida, errores),
                 std::optional<int>(1));
    }
    QVERIFY(!QFileInfo::exists(u.nativa("C:\\ENC\\ASTRO\\DENTRO")));
}

void TstVersiones::manySaves_packedOffTheAuthorsWay() {
    Unidades u;
    forja::guardarAutor(QStringLiteral("Ana"));
    SesionForja sesion;
    Taller t(sesion);
    prepararTomo(t);
    for (int i = 0; i < 55; ++i) {
        t.txtMsg->setPlainText(QStringLiteral("Astronomía, edición %1").arg(i));
        pulsar(t.cmdSave);
    }
    // The packing runs on a thread of its own; saving went on meanwhile.
    std::size_t sueltas = 100;
    for (int i = 0; i < 200 && sueltas >= 50; ++i) {
        QTest::qWait(50);
        auto h = historial::Historial::abrir(kTomo);
        sueltas = h ? (*h)->sinEmpaquetar() : 100;
    }
    QVERIFY(sueltas < 50);
    QCOMPARE(versiones().size(), std::size_t{56}); // its creation and 55 saves
    QCOMPARE(
        git(u.nativa(kTomo), {QStringLiteral("fsck"), QStringLiteral("--strict"), QStringLiteral("--no-dangling")}), 0);
}

QTEST_MAIN(TstVersiones)
#include "tst_versiones.moc"

// The editor's own save actions on a failing disk, through its windows (offscreen): each action meets a
// full disk (a file-size limit) and an I/O error on its first write, fsync, close or rename (the failing-call
// shim, preloaded). The author is told, naming the file; every file holds its bytes from before or after the
// action, whole, with no temporary left; and the editor goes on saving.

#include "editor/lista_marcable.h"
#include "editor/sesion.h"
#include "editor/taller.h"
#include "editor/taller_art.h"
#include "editor/tests/ayudas.h"
#include "tests/support/unidades.h"
#include "ui/anclas.h"
#include "ui/aplicacion.h"
#include "ui/dialogos.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <dlfcn.h>
#include <functional>
#include <sys/resource.h>

using namespace prueba;
using ui::Dialogos;

namespace {

struct Accion {
    const char* nombre;
    std::function<void(Taller&)> preparar; // unarmed: what the author does before saving
    std::function<void(Taller&)> guardar;  // armed: the save itself
};

const QList<Accion>& acciones() {
    static const QList<Accion> a = {
        {"descripción", [](Taller& t) { teclear(t.txtMsg, QStringLiteral("Otra descripción")); },
         [](Taller& t) { pulsar(t.cmdSave); }},
        {"artículo nuevo", [](Taller&) {}, [](Taller& t) { agregarArticulo(t, QStringLiteral("luna.txt")); }},
        {"lista nueva", [](Taller&) {}, [](Taller& t) { agregarLista(t, QStringLiteral("Lunas")); }},
        {"guardar lista",
         [](Taller& t) {
             cargarLista(t, QStringLiteral("Planetas"));
             prueba::marcar(t.lstLstArts, 0);
         },
         [](Taller& t) { pulsar(t.cmdLstSave); }},
        {"guardar artículo",
         [](Taller& t) {
             cargarArticulo(t, QStringLiteral("sol.txt"));
             escribir(t.tallerArt()->txtTitulo, QStringLiteral("El Sol"));
             teclear(t.tallerArt()->txtArtText, QStringLiteral("Una estrella."));
         },
         [](Taller& t) { pulsar(t.tallerArt()->cmdSaveArt); }},
        {"guardar epígrafe",
         [](Taller& t) {
             cargarArticulo(t, QStringLiteral("sol.txt"));
             escribir(t.tallerArt()->txtImgNew, QStringLiteral("sol.bmp"));
             pulsar(t.tallerArt()->cmdImgAdd);
             elegir(t.tallerArt()->lstImagenes, QStringLiteral("sol.bmp"));
             teclear(t.tallerArt()->txtSub, QStringLiteral("El Sol\nNuestra estrella."));
         },
         [](Taller& t) { pulsar(t.tallerArt()->cmdSaveSub); }},
        {"raíz nueva", [](Taller&) { Dialogos::siguienteRespuesta(QMessageBox::Yes); },
         [](Taller& t) { crearRaiz(t, QStringLiteral("C:\\OTRA")); }},
        {"enciclopedia nueva", [](Taller&) {}, [](Taller& t) { agregarTomo(t, QStringLiteral("C:\\ENC\\OTRA")); }},
    };
    return a;
}

// How a failing disk is made: the shim failing one call, or a file-size limit of zero bytes.
enum class Modo { Llamada, Limite };

} // namespace

class TstDiscoForja : public QObject {
    Q_OBJECT

private:
    void (*armar_)(const char*, const char*, long, int) = nullptr;
    long (*disparos_)() = nullptr;

    // A root C:\ENC, the encyclopaedia ASTRO loaded, the article sol.txt, the list Planetas, a picture.
    static void preparar(Unidades& u, Taller& t) {
        prepararTomo(t);
        agregarArticulo(t, QStringLiteral("sol.txt"));
        agregarLista(t, QStringLiteral("Planetas"));
        u.escribir("C:\\ENC\\ASTRO\\IMG\\sol.bmp", QByteArray("BM"));
        Dialogos::limpiar();
    }

    // The snapshot after the action done without any failure.
    QMap<QString, QByteArray> referencia(const Accion& a) {
        Unidades u;
        SesionForja sesion;
        Taller t(sesion);
        t.show();
        preparar(u, t);
        a.preparar(t);
        a.guardar(t);
        if (t.tallerArt())
            t.tallerArt()->cerrarSinPreguntar();
        borrarPendientes();
        return instantanea(u);
    }

private slots:
    void initTestCase() {
        // Set up as the editor sets itself up (SIGXFSZ ignored), but with windows at their designed places.
        ui::iniciarAplicacion(*qobject_cast<QApplication*>(QCoreApplication::instance()), QStringLiteral("Forja"));
        ui::activarMemoriaDeVentanas(false);
        Dialogos::modoPrueba(true);
        armar_ =
            reinterpret_cast<void (*)(const char*, const char*, long, int)>(dlsym(RTLD_DEFAULT, "lumbre_fallo_armar"));
        disparos_ = reinterpret_cast<long (*)()>(dlsym(RTLD_DEFAULT, "lumbre_fallo_disparos"));
        QVERIFY2(armar_ && disparos_, "falta el módulo de fallos (LD_PRELOAD)");
    }

    void accionConDiscoFallido_data() {
        QTest::addColumn<int>("accion");
        QTest::addColumn<int>("modo");
        QTest::addColumn<QString>("llamada");
        for (int i = 0; i < acciones().size(); ++i) {
            for (const char* llamada : {"write", "fsync", "close", "rename"})
                QTest::addRow("%s, %s falla", acciones()[i].nombre, llamada)
                    << i << int(Modo::Llamada) << QString::fromLatin1(llamada);
            QTest::addRow("%s, disco lleno", acciones()[i].nombre) << i << int(Modo::Limite) << QString();
        }
    }

    void accionConDiscoFallido() {
        QFETCH(int, accion);
        QFETCH(int, modo);
        QFETCH(QString, llamada);
        const Accion& a = acciones()[accion];
        const auto despues = referencia(a);

        Unidades u;
        SesionForja sesion;
        Taller t(sesion);
        t.show();
        preparar(u, t);
        a.preparar(t);
        const auto antes = instantanea(u);
        const long previos = disparos_();
        rlimit original{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &original), 0);
        if (modo == int(Modo::Llamada)) {
            armar_(QFileInfo(u.unidad('c')).absolutePath().toLocal8Bit().constData(), llamada.toLatin1().constData(), 1,
                   EIO);
        } else {
            rlimit lleno = original;
            lleno.rlim_cur = 0;
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &lleno), 0);
        }
        a.guardar(t);
        armar_("", "", 0, 0);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &original), 0);
        if (modo == int(Modo::Llamada))
            QCOMPARE(disparos_(), previos + 1);

        // The author is told, in a message naming a file of the store.
        bool avisado = false;
        for (const auto& d : Dialogos::mostrados())
            avisado = avisado || (d.icono == QMessageBox::Critical && d.texto.contains(QLatin1String("\\")));
        QVERIFY2(avisado, "el fallo no se comunicó");

        // Every file whole: as before or as after the action; nothing else (no temporary) is there.
        const auto ahora = instantanea(u);
        for (auto it = ahora.cbegin(); it != ahora.cend(); ++it) {
            const bool entero = (antes.contains(it.key()) && antes.value(it.key()) == it.value()) ||
                                (despues.contains(it.key()) && despues.value(it.key()) == it.value());
            QVERIFY2(entero, qPrintable(it.key() + QStringLiteral(" quedó a medias o sobra")));
        }
        for (auto it = antes.cbegin(); it != antes.cend(); ++it)
            QVERIFY2(ahora.contains(it.key()) || !despues.contains(it.key()), qPrintable(it.key()));

        // And the editor goes on saving.
        if (t.tallerArt())
            t.tallerArt()->cerrarSinPreguntar();
        borrarPendientes();
        Dialogos::limpiar();
        t.txtMsg->clear();
        teclear(t.txtMsg, QStringLiteral("Sigue"));
        pulsar(t.cmdSave);
        QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\DESCRIP.DAT"), QByteArray("Sigue\r\n"));
    }
};

QTEST_MAIN(TstDiscoForja)
#include "tst_disco_forja.moc"

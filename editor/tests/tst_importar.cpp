// "Importar artículos…" through the menu and its window, and "forja --importar", on a folder of real Markdown
// and HTML texts with pictures.

#include "editor/importar_en_linea.h"
#include "editor/menu_articulos.h"
#include "editor/sesion.h"
#include "editor/taller.h"
#include "editor/tests/ayudas.h"
#include "editor/ventana_forja.h"
#include "editor/ventana_importar.h"
#include "store/articulo.h"
#include "tests/support/listas.h"
#include "tests/support/unidades.h"
#include "ui/dialogos.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace prueba;
using ui::Dialogos;

namespace {

void guardar(const QString& ruta, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(ruta).absolutePath());
    QFile f(ruta);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A folder as an author brings it: Markdown and HTML in UTF-8, plain text in Windows-1252, pictures beside.
void textos(const QString& carpeta) {
    QImage foto(24, 16, QImage::Format_RGB32);
    foto.fill(QColor(30, 90, 160));
    QDir().mkpath(carpeta + QStringLiteral("/img"));
    QVERIFY(foto.save(carpeta + QStringLiteral("/img/Júpiter grande.png")));
    QVERIFY(foto.save(carpeta + QStringLiteral("/img/saturno.jpeg")));
    guardar(carpeta + QStringLiteral("/jupiter.md"),
            QStringLiteral(
                "# Júpiter\n\nEl mayor planeta del sistema solar, con 79 lunas conocidas.\n\n"
                "![Júpiter visto por la sonda](img/Júpiter%20grande.png \"Bandas de nubes\")\n\n"
                "| Dato | Valor |\n|---|---|\n| Lunas | 79 |\n\nSu año dura casi 12 años terrestres ≈ 4333 días.\n")
                .toUtf8());
    guardar(carpeta + QStringLiteral("/saturno.html"),
            QStringLiteral("<html><head><meta charset=\"utf-8\"><title>Saturno</title></head><body>"
                           "<h1>Saturno, el de los anillos</h1><p>Es el segundo planeta más grande.</p>"
                           "<figure><img src=\"img/saturno.jpeg\" alt=\"Anillos\"><figcaption>Los anillos de "
                           "Saturno</figcaption></figure><table><tr><td>Lunas</td><td>83</td></tr></table>"
                           "<p>Véase <a href=\"https://es.wikipedia.org/wiki/Saturno\">la enciclopedia</a>.</p>"
                           "</body></html>")
                .toUtf8());
    guardar(carpeta + QStringLiteral("/marte.txt"), QByteArray("El planeta rojo tiene dos sat\xE9"
                                                               "lites,\r\nFobos y "
                                                               "Deimos.\r\n"));
}

} // namespace

class TstImportar : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Dialogos::modoPrueba(true); }
    void init() { Dialogos::limpiar(); }

    void menu_showsThePlanThenWritesTheArticlesAndListsThem();
    void lineaDeOrdenes_importsWithoutWindows();
    void ventanaForja_holdsTheFormAsDesignedUnderItsMenuBar();
};

void TstImportar::menu_showsThePlanThenWritesTheArticlesAndListsThem() {
    Unidades u;
    QTemporaryDir fuentes;
    textos(fuentes.path());
    SesionForja sesion;
    Taller t(sesion);
    QMenuBar barra;
    MenuArticulos menu(sesion, &t, &barra);
    // Without an encyclopaedia there is nothing to import into.
    menu.mnuImportar->trigger();
    QVERIFY(!menu.ventanaImportar());
    QCOMPARE(Dialogos::mostrados().size(), 1);
    prepararTomo(t);

    menu.mnuImportar->trigger();
    VentanaImportar* v = menu.ventanaImportar();
    QVERIFY(v && v->isVisible());
    QVERIFY(!v->cmdImportar->isEnabled());
    const auto antes = instantanea(u);
    Dialogos::siguienteArchivo(fuentes.path());
    QSignalSpy listo(v, &VentanaImportar::listo);
    pulsar(v->cmdCarpeta);
    QVERIFY(listo.wait(10000));
    const QString plan = v->txtPlan->toPlainText();
    for (const QString& debe :
         {QStringLiteral("Se crearán 3 artículos"), QStringLiteral("JUPITER.TXT: «Júpiter»"),
          QStringLiteral("SATURNO.TXT: «Saturno, el de los anillos»"), QStringLiteral("MARTE.TXT: «marte»"),
          QStringLiteral("ilustración Júpiter grande.png"), QStringLiteral("ilustración saturno.jpg: «Anillos»"),
          QStringLiteral("1 tabla"), QStringLiteral("1 enlace"), QStringLiteral("«≈» se cambia por «~»"),
          QStringLiteral("no es UTF-8")}) {
        QVERIFY2(plan.contains(debe), qPrintable(debe + QStringLiteral("\n") + plan));
    }
    // Nothing is written until the author accepts.
    QCOMPARE(instantanea(u), antes);
    QVERIFY(v->cmdImportar->isEnabled());

    Dialogos::limpiar();
    pulsar(v->cmdImportar);
    QVERIFY(listo.wait(10000));
    QVERIFY(Dialogos::mostrados().isEmpty());
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\COMPLETA.DAT"), QByteArray("JUPITER.TXT\r\nMARTE.TXT\r\nSATURNO.TXT\r\n"));
    QCOMPARE(prueba::textos(t.lstArticulos),
             (QStringList{QStringLiteral("JUPITER.TXT"), QStringLiteral("MARTE.TXT"), QStringLiteral("SATURNO.TXT")}));
    QVERIFY(!v->cmdImportar->isEnabled()); // the same plan is not written twice
    // The viewer's reading finds what the texts said, and the pictures load from IMG.
    const auto jupiter = store::leerArticulo("C:\\ENC\\ASTRO\\JUPITER.TXT");
    QVERIFY(jupiter);
    QCOMPARE(jupiter->titulo, std::string("J\xFA"
                                          "piter"));
    QCOMPARE(jupiter->ilustraciones, std::vector<std::string>{"J\xFA"
                                                              "piter grande.png"});
    QCOMPARE(jupiter->cuerpo,
             std::string("El mayor planeta del sistema solar, con 79 lunas conocidas.\r\n"
                         "| Dato | Valor |\r\n| Lunas | 79 |\r\nSu a\xF1o dura casi 12 a\xF1os terrestres ~ "
                         "4333 d\xED"
                         "as."));
    QVERIFY(!QImage(u.nativa("C:\\ENC\\ASTRO\\IMG\\J\xFA"
                             "piter grande.png"))
                 .isNull());
    QVERIFY(!QImage(u.nativa("C:\\ENC\\ASTRO\\IMG\\saturno.jpg")).isNull());
    const auto epigrafe = store::leerEpigrafe("C:\\ENC\\ASTRO\\IMG\\saturno.TXT");
    QVERIFY(epigrafe);
    QCOMPARE(epigrafe->titulo, std::string("Anillos"));
    QCOMPARE(epigrafe->texto, std::string("Los anillos de Saturno"));
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\MARTE.TXT"), QByteArray("<TIT>marte\r\nEl planeta rojo tiene dos sat\xE9"
                                                              "lites, Fobos y Deimos.\r\n"));
}

void TstImportar::lineaDeOrdenes_importsWithoutWindows() {
    Unidades u;
    QTemporaryDir fuentes;
    textos(fuentes.path());
    SesionForja sesion;
    Taller t(sesion);
    prepararTomo(t);
    QCOMPARE(
        forja::importarSinVentanas(fuentes.path() + QStringLiteral("/saturno.html"), QStringLiteral("C:\\ENC\\ASTRO")),
        0);
    // Again: the name is taken, so the second one gets a name of its own, and nothing is replaced.
    QCOMPARE(
        forja::importarSinVentanas(fuentes.path() + QStringLiteral("/saturno.html"), QStringLiteral("C:\\ENC\\ASTRO")),
        0);
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\COMPLETA.DAT"), QByteArray("SATURNO.TXT\r\nSATURNO_2.TXT\r\n"));
    QVERIFY(u.bytes("C:\\ENC\\ASTRO\\SATURNO_2.TXT").contains("<IMG>saturno_2.jpg"));
    QCOMPARE(forja::importarSinVentanas(fuentes.path(), QStringLiteral("C:\\ENC\\NADA")), 1);
}

// The program's window: the form at its designed size under the menu bar, "Importar artículos…" in the menu
// "Artículos", and "Salir" ending the window, not only the form.
void TstImportar::ventanaForja_holdsTheFormAsDesignedUnderItsMenuBar() {
    Unidades u;
    SesionForja sesion;
    VentanaForja v(sesion);
    v.show();
    QVERIFY(QTest::qWaitForWindowExposed(&v));
    QCOMPARE(v.windowTitle(), QStringLiteral("Generador de Enciclotomos"));
    QCOMPARE(v.taller()->size(), QSize(794, 575));
    QCOMPARE(v.taller()->geometry().top(), v.menuBar()->geometry().bottom() + 1);
    QCOMPARE(v.taller()->fraRaiz->geometry(), QRect(8, 8, 329, 161));
    prepararTomo(*v.taller());
    auto* importar = v.findChild<QAction*>(QStringLiteral("mnuImportar"));
    QVERIFY(importar && v.menuBar()->actions().contains(v.menuArticulos()->menu->menuAction()));
    importar->trigger();
    QVERIFY(v.menuArticulos()->ventanaImportar() && v.menuArticulos()->ventanaImportar()->isVisible());
    v.menuArticulos()->ventanaImportar()->close();
    pulsar(v.taller()->cmdSalir);
    QVERIFY(!v.isVisible());
}

QTEST_MAIN(TstImportar)
#include "tst_importar.moc"

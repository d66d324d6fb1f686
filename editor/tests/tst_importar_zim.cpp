// "forja --importar ARCHIVO.zim RUTA": a ZIM file of real HTML that nobody here wrote (Debian's Spanish
// reference manual, packed by zimwriterfs), WebP and SVG pictures that become PNG or JPEG, and the files that are
// no ZIM or are cut short, which leave the encyclopaedia as it was.

#include "editor/importar_en_linea.h"
#include "editor/menu_articulos.h"
#include "editor/revision.h"
#include "editor/sesion.h"
#include "editor/taller.h"
#include "editor/tests/ayudas.h"
#include "editor/ventana_importar_zim.h"
#include "historial/historial.h"
#include "importar/tests/zim_prueba.h"
#include "store/articulo.h"
#include "tests/support/listas.h"
#include "tests/support/unidades.h"
#include "ui/dialogos.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace prueba;
using ui::Dialogos;

namespace {

const char* const kTomo = "C:\\ENC\\ASTRO";

QByteArray codificada(const char* formato) {
    QImage foto(40, 30, QImage::Format_RGB32);
    foto.fill(QColor(200, 120, 40));
    QByteArray b;
    QBuffer buffer(&b);
    buffer.open(QIODevice::WriteOnly);
    foto.save(&buffer, formato);
    return b;
}

// The newest version of the encyclopaedia's history: its summary and the files it touched.
std::pair<QString, std::vector<std::string>> ultimaVersion() {
    const auto h = historial::Historial::abrir(kTomo);
    if (!h) {
        return {};
    }
    const auto versiones = (*h)->versiones();
    if (!versiones || versiones->empty()) {
        return {};
    }
    return {QString::fromStdString(versiones->front().resumen), versiones->front().archivos};
}

int importarZim(const QString& zim, const QStringList& opciones) {
    return forja::importarSinVentanas(zim, QString::fromLatin1(kTomo), opciones);
}

} // namespace

class TstImportarZim : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Dialogos::modoPrueba(true); }
    void init() { Dialogos::limpiar(); }

    void debianReference_aTopicOfRealHtmlImportsAndChecksClean();
    void webpAndSvgPicturesBecomePngOrJpegWithTheirCaptions();
    void filesThatAreNoZimOrAreCutShortLeaveTheEncyclopaediaAsItWas();
    void ventana_suggestsAsOneTypesShowsThePlanThenWrites();
};

void TstImportarZim::debianReference_aTopicOfRealHtmlImportsAndChecksClean() {
    const QDir manual(QStringLiteral("/usr/share/debian-reference"));
    const QStringList paginas = manual.entryList({QStringLiteral("*.es.html")});
    if (paginas.isEmpty()) {
        QSKIP("debian-reference-es is not installed");
    }
    Unidades u;
    QTemporaryDir trabajo;
    const QString html = trabajo.filePath(QStringLiteral("html"));
    QDir().mkpath(html);
    for (const QString& p : paginas) {
        QVERIFY(QFile::copy(manual.filePath(p), html + QLatin1Char('/') + p));
    }
    QImage icono(48, 48, QImage::Format_RGB32);
    icono.fill(Qt::darkRed);
    QVERIFY(icono.save(html + QStringLiteral("/icono.png")));
    const QString zim = trabajo.filePath(QStringLiteral("referencia.zim"));
    QProcess zimwriterfs;
    zimwriterfs.start(QStringLiteral("zimwriterfs"),
                      {QStringLiteral("--welcome=index.es.html"), QStringLiteral("--illustration=icono.png"),
                       QStringLiteral("--language=spa"), QStringLiteral("--title=Referencia de Debian"),
                       QStringLiteral("--description=Manual de referencia de Debian"),
                       QStringLiteral("--creator=Osamu Aoki"), QStringLiteral("--publisher=Debian"),
                       QStringLiteral("--name=debian-reference_es"), html, zim});
    QVERIFY(zimwriterfs.waitForFinished(120000));
    QCOMPARE(zimwriterfs.exitCode(), 0);

    SesionForja sesion;

    Taller t(sesion);
    prepararTomo(t);
    QCOMPARE(importarZim(zim, {QStringLiteral("tema"), QStringLiteral("index.es.html"), QStringLiteral("profundidad"),
                               QStringLiteral("1"), QStringLiteral("maximo"), QStringLiteral("4"),
                               QStringLiteral("excluir"), QStringLiteral("Prefacio")}),
             0);
    const QList<QByteArray> nombres = u.bytes("C:\\ENC\\ASTRO\\COMPLETA.DAT").split('\n');
    QCOMPARE(nombres.size(), 5); // four names and the end of the last line
    QVERIFY(!u.bytes("C:\\ENC\\ASTRO\\COMPLETA.DAT").contains("PREFACIO"));
    const auto capitulo = store::leerArticulo(std::string(kTomo) + "\\" + nombres[1].trimmed().toStdString());
    QVERIFY(capitulo);
    QVERIFY2(capitulo->titulo.rfind("Cap\xEDtulo 1", 0) == 0, capitulo->titulo.c_str());
    QVERIFY(capitulo->cuerpo.find("Tutoriales de GNU/Linux") != std::string::npos);
    QVERIFY(capitulo->cuerpo.size() > 20000);
    const std::string credito = "Fuente: Referencia de Debian, de Osamu Aoki, publicado por Debian, " +
                                QDate::currentDate().toString(Qt::ISODate).toStdString() +
                                " \x97 licencia no indicada en el archivo";
    QVERIFY2(capitulo->cuerpo.size() >= credito.size() &&
                 capitulo->cuerpo.substr(capitulo->cuerpo.size() - credito.size()) == credito,
             capitulo->cuerpo.substr(capitulo->cuerpo.size() - 200).c_str());
    QVERIFY(u.bytes("C:\\ENC\\ASTRO\\DESCRIP.DAT")
                .contains("Contiene art\xED"
                          "culos de Referencia de Debian"));
    // The import is one version of the history, every file it wrote in it.
    const auto [resumen, archivos] = ultimaVersion();
    QCOMPARE(resumen, QStringLiteral("Importados 4 artículos de «debian-reference_es»"));
    QVERIFY(std::find(archivos.begin(), archivos.end(), "COMPLETA.DAT") != archivos.end());
    QVERIFY(std::find(archivos.begin(), archivos.end(), nombres[1].trimmed().toStdString()) != archivos.end());
    QVERIFY(std::find(archivos.begin(), archivos.end(), "ICONO.ICO") == archivos.end()); // only what it wrote
    // The check finds nothing a reader would meet.
    std::FILE* salida = std::tmpfile();
    QCOMPARE(forja::revisarEnConsola(QString::fromLatin1(kTomo), salida, salida), 0);
    std::fclose(salida);
}

void TstImportarZim::webpAndSvgPicturesBecomePngOrJpegWithTheirCaptions() {
    Unidades u;
    QTemporaryDir trabajo;
    const QByteArray webp = codificada("WEBP");
    QVERIFY(!webp.isEmpty());
    const QByteArray svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"64\" height=\"32\"><rect width=\"64\" "
                           "height=\"32\" fill=\"#3060c0\"/></svg>";
    prueba::ArchivoZim z;
    z.metadatos = {{"Name", "prueba_es"}, {"Title", "Prueba"}, {"Language", "spa"}, {"License", "CC0"}};
    z.entradas = {
        {"Nebulosa", "Nebulosa", "text/html",
         "<html><body><p>Una nube de gas.</p><figure typeof=\"mw:File/Thumb\"><img src=\"I/Orión.webp\">"
         "<figcaption>La nebulosa de Orión</figcaption></figure><figure><img src=\"I/Órbita.svg\" alt=\"Órbita\">"
         "<figcaption>Dibujo de la órbita</figcaption></figure></body></html>"},
        {"I/Orión.webp", "", "image/webp", webp.toStdString()},
        {"I/Órbita.svg", "", "image/svg+xml", svg.toStdString()},
    };
    const QString zim = trabajo.filePath(QStringLiteral("prueba.zim"));
    prueba::escribirZim(zim.toStdString(), z);
    SesionForja sesion;
    Taller t(sesion);
    prepararTomo(t);
    QCOMPARE(importarZim(zim, {QStringLiteral("titulo"), QStringLiteral("Nebulosa"), QStringLiteral("lista"),
                               QStringLiteral("Nebulosas"), QStringLiteral("tema"), QStringLiteral("Nebulosa"),
                               QStringLiteral("lista-tema"), QStringLiteral("Gases")}),
             0);
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\LISTAS.DAT"), QByteArray("Nebulosas\r\nGases\r\n"));
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\Gases.dat"), QByteArray("NEBULOSA.TXT\r\n"));
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\Nebulosas.dat"), QByteArray("NEBULOSA.TXT\r\n"));
    const auto a = store::leerArticulo("C:\\ENC\\ASTRO\\NEBULOSA.TXT");
    QVERIFY(a);
    QCOMPARE(a->ilustraciones, (std::vector<std::string>{"Ori\xF3n.jpg", "\xD3rbita.png"}));
    const QImage foto(u.nativa("C:\\ENC\\ASTRO\\IMG\\Ori\xF3n.jpg"));
    QCOMPARE(foto.size(), QSize(40, 30));
    QCOMPARE(QImage(u.nativa("C:\\ENC\\ASTRO\\IMG\\\xD3rbita.png")).size(), QSize(64, 32));
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\IMG\\Ori\xF3n.txt"), QByteArray("La nebulosa de Ori\xF3n\r\n"));
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\IMG\\\xD3rbita.txt"), QByteArray("\xD3rbita\r\nDibujo de la \xF3rbita\r\n"));
    QVERIFY(a->cuerpo.find("Fuente: Prueba \x97 licencia CC0") != std::string::npos);
}

void TstImportarZim::filesThatAreNoZimOrAreCutShortLeaveTheEncyclopaediaAsItWas() {
    Unidades u;
    QTemporaryDir trabajo;
    prueba::ArchivoZim z;
    z.metadatos = {{"Name", "corto_es"}, {"Title", "Corto"}};
    for (int i = 0; i < 40; ++i) {
        const std::string n = "Art\xC3\xAD"
                              "culo " +
                              std::to_string(i);
        z.entradas.push_back({n, n, "text/html",
                              "<p>Texto del art\xC3\xAD"
                              "culo " +
                                  std::to_string(i) + ".</p>"});
    }
    const QString zim = trabajo.filePath(QStringLiteral("bien.zim"));
    prueba::escribirZim(zim.toStdString(), z);
    QFile f(zim);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray todo = f.readAll();
    const auto guardar = [&](const QString& nombre, const QByteArray& bytes) {
        QFile g(trabajo.filePath(nombre));
        if (g.open(QIODevice::WriteOnly)) {
            g.write(bytes);
        }
        return trabajo.filePath(nombre);
    };
    QByteArray binario(3000, '\0');
    for (int i = 0; i < binario.size(); ++i) {
        binario[i] = static_cast<char>((i * 7919) % 251);
    }
    SesionForja sesion;
    Taller t(sesion);
    prepararTomo(t);
    const auto antes = instantanea(u);
    const QStringList elegir = {QStringLiteral("titulo"), QStringLiteral("Artículo 3")};
    QCOMPARE(importarZim(guardar(QStringLiteral("cortado.zim"), todo.left(todo.size() * 2 / 3)), elegir), 1);
    QCOMPARE(importarZim(guardar(QStringLiteral("foto.png"), binario), elegir), 1);
    QCOMPARE(importarZim(guardar(QStringLiteral("falsa.txt"), QByteArray("ZIM\x04", 4) + binario), elegir), 1);
    QCOMPARE(importarZim(zim, {}), 1); // nothing chosen
    QCOMPARE(importarZim(zim, {QStringLiteral("titulo"), QStringLiteral("Nadie")}), 1);
    QCOMPARE(instantanea(u), antes);
    QCOMPARE(importarZim(zim, elegir), 0);
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\COMPLETA.DAT"), QByteArray("ART\xCD"
                                                                 "CULO 3.TXT\r\n"));
}

// The window through its own controls: the file opened, a title typed and taken from the suggestions, a topic,
// the plan shown with nothing written, then the import, whose articles join the main window's list.
void TstImportarZim::ventana_suggestsAsOneTypesShowsThePlanThenWrites() {
    Unidades u;
    QTemporaryDir trabajo;
    prueba::ArchivoZim z;
    z.metadatos = {{"Name", "astros_es"}, {"Title", "Astros"}, {"License", "CC BY-SA 4.0"}, {"Language", "spa"}};
    const auto pagina = [](const std::string& t, const std::string& cuerpo) {
        return "<html><head><title>" + t + "</title></head><body><p>" + cuerpo + "</p></body></html>";
    };
    z.entradas = {
        {"Sol", "Sol", "text/html",
         pagina("Sol", "Ilumina la <a href=\"Tierra\">Tierra</a> y la <a href=\"Luna\">Luna</a>.")},
        {"Tierra", "Tierra", "text/html", pagina("Tierra", "Planeta con océanos.")},
        {"Luna", "Luna", "text/html", pagina("Luna", "Satélite de la Tierra.")},
        {"Lucero", "Lucero", "text/html", pagina("Lucero", "Nombre de Venus al alba.")},
    };
    const QString zim = trabajo.filePath(QStringLiteral("astros.zim"));
    prueba::escribirZim(zim.toStdString(), z);

    SesionForja sesion;

    Taller t(sesion);
    QMenuBar barra;
    MenuArticulos menu(sesion, &t, &barra);
    prepararTomo(t);
    QVERIFY(menu.menu->actions().contains(menu.mnuImportarZim));
    menu.mnuImportarZim->trigger();
    VentanaImportarZim* v = menu.ventanaImportarZim();
    QVERIFY(v && v->isVisible());
    QVERIFY(!v->cmdPlanear->isEnabled() && !v->cmdImportar->isEnabled());
    Dialogos::siguienteArchivo(zim);
    pulsar(v->cmdArchivo);
    QVERIFY2(v->lblDatos->text().contains(QStringLiteral("«Astros» (astros_es): 4 artículos")),
             qPrintable(v->lblDatos->text()));
    QVERIFY(v->lblDatos->text().contains(QStringLiteral("Licencia: CC BY-SA 4.0")));

    QTest::keyClicks(v->txtTitulo, QStringLiteral("Lu"));
    QCOMPARE(prueba::textos(v->lstSugerencias), (QStringList{QStringLiteral("Lucero"), QStringLiteral("Luna")}));
    QTest::keyClick(v->lstSugerencias, Qt::Key_Down);
    pulsar(v->cmdAgregarTitulo);
    QCOMPARE(prueba::textos(v->lstElegidos), QStringList{QStringLiteral("Luna")});
    QTest::keyClicks(v->txtTema, QStringLiteral("Sol"));
    v->spnProfundidad->selectAll();
    QTest::keyClicks(v->spnProfundidad, QStringLiteral("1"));
    QCOMPARE(v->spnProfundidad->value(), 1);
    QTest::keyClicks(v->txtLista, QStringLiteral("Astros"));
    QTest::keyClicks(v->txtListaTema, QStringLiteral("Del Sol"));
    QTest::keyClicks(v->txtListaBusqueda, QStringLiteral("Consulta")); // no query given: no list

    const auto antes = instantanea(u);
    QSignalSpy listo(v, &VentanaImportarZim::listo);
    pulsar(v->cmdPlanear);
    QVERIFY(listo.wait(20000));
    const QString plan = v->txtPlan->toPlainText();
    for (const QString& debe :
         {QStringLiteral("Se van a escribir 3 artículos"), QStringLiteral("LUNA.TXT: «Luna»"),
          QStringLiteral("SOL.TXT: «Sol»"), QStringLiteral("TIERRA.TXT: «Tierra»"),
          QStringLiteral("TIERRA -> TIERRA.TXT"), QStringLiteral("lista nueva «Astros»: 3 artículos"),
          QStringLiteral("lista nueva «Del Sol»: 3 artículos")}) {
        QVERIFY2(plan.contains(debe), qPrintable(debe + QStringLiteral("\n") + plan));
    }
    QCOMPARE(instantanea(u), antes); // nothing is written until the author accepts
    QVERIFY(v->cmdImportar->isEnabled());
    Dialogos::limpiar();
    pulsar(v->cmdImportar);
    QVERIFY(listo.wait(20000));
    QVERIFY(Dialogos::mostrados().isEmpty());
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\COMPLETA.DAT"), QByteArray("LUNA.TXT\r\nSOL.TXT\r\nTIERRA.TXT\r\n"));
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\LISTAS.DAT"), QByteArray("Astros\r\nDel Sol\r\n"));
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\Del Sol.dat"),
             QByteArray("SOL.TXT\r\nTIERRA.TXT\r\nLUNA.TXT\r\n")); // the topic's own order
    QCOMPARE(prueba::textos(t.lstArticulos),
             (QStringList{QStringLiteral("LUNA.TXT"), QStringLiteral("SOL.TXT"), QStringLiteral("TIERRA.TXT")}));
    QVERIFY(!v->cmdImportar->isEnabled()); // the same plan is not written twice
    QVERIFY2(ultimaVersion().first.startsWith(QStringLiteral("Importad")), qPrintable(ultimaVersion().first));
}

QTEST_MAIN(TstImportarZim)
#include "tst_importar_zim.moc"

// The colour scheme: component arithmetic, the control and read-back tables, the built-in scheme and
// taking on an encyclopaedia's look (colours, icon, name).

#include "appearance/configuracion.h"
#include "appearance/entorno.h"
#include "appearance/esquema.h"
#include "tests/support/unidades.h"
#include "ui/dialogos.h"
#include "ui/twips.h"
#include "ventanas_de_prueba.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QLabel>
#include <QtTest>

#include <climits>

using apariencia::Propiedad;

namespace {

const std::string kDir = "C:\\ENCICLO\\PRUEBA";

QByteArray archivoColores(const store::Esquema& e) {
    QByteArray b;
    for (const auto v : e) {
        b += QByteArray::number(v) + "\r\n";
    }
    return b;
}

QByteArray icono(QColor color) {
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(color);
    QBuffer buf;
    buf.open(QIODevice::WriteOnly);
    QImageWriter w(&buf, "ico");
    w.write(img);
    return buf.data();
}

QColor colorDeControl(prueba::Ventanas& v, const apariencia::Control& c) {
    QWidget* w = c.ventana == apariencia::Ventana::Principal ? v.control(c.nombre) : v.controlImagen();
    return apariencia::colorActual(w, c.propiedad);
}

} // namespace

class TstEsquema : public QObject {
    Q_OBJECT
private slots:
    void init() {
        ui::Dialogos::modoPrueba(true);
        ui::Dialogos::limpiar();
    }

    void bgrMam_data() {
        QTest::addColumn<int>("valor");
        QTest::addColumn<int>("rojo");
        QTest::addColumn<int>("verde");
        QTest::addColumn<int>("azul");
        QTest::addColumn<QColor>("mostrado");
        QTest::newRow("predeterminado") << 8427423 << 159 << 151 << 128 << QColor(159, 151, 128);
        QTest::newRow("blanco") << 16777215 << 255 << 255 << 255 << QColor(255, 255, 255);
        QTest::newRow("negro") << 0 << 0 << 0 << 0 << QColor(0, 0, 0);
        QTest::newRow("sobre 24 bits") << 16777216 + 5 + 6 * 256 << 5 << 6 << 0 << QColor(5, 6, 0);
        QTest::newRow("maximo") << INT_MAX << 255 << 255 << 255 << QColor(255, 255, 255);
        QTest::newRow("menos uno") << -1 << -1 << -1 << -1 << QColor(0, 0, 0);
        QTest::newRow("menos 256") << -256 << 0 << -1 << -1 << QColor(0, 0, 0);
        QTest::newRow("menos 65531") << -65531 << -251 << 0 << -1 << QColor(0, 0, 0);
        QTest::newRow("minimo") << INT_MIN << 0 << 0 << 0 << QColor(0, 0, 0);
    }
    void bgrMam() {
        QFETCH(int, valor);
        QFETCH(int, rojo);
        QFETCH(int, verde);
        QFETCH(int, azul);
        QFETCH(QColor, mostrado);
        QCOMPARE(apariencia::BGR(1, valor), rojo);
        QCOMPARE(apariencia::BGR(2, valor), verde);
        QCOMPARE(apariencia::BGR(3, valor), azul);
        QCOMPARE(apariencia::BGR(0, valor), azul); // any other number is blue
        QCOMPARE(apariencia::colorDe(valor), mostrado);
        QCOMPARE(apariencia::MAM(rojo), std::clamp(rojo, 0, 255));
    }

    void mam_limita() {
        QCOMPARE(apariencia::MAM(256), 255);
        QCOMPARE(apariencia::MAM(32767), 255);
        QCOMPARE(apariencia::MAM(-1), 0);
        QCOMPARE(apariencia::MAM(-32768), 0);
        QCOMPARE(apariencia::MAM(200), 200);
    }

    // Every row of the control table takes its slot, and reading back gives every slot unchanged.
    void tablaDeControles_y_lectura() {
        prueba::Ventanas v;
        store::Esquema e{};
        for (int i = 0; i < 10; ++i) {
            e[static_cast<std::size_t>(i)] = (i + 1) * 1000003 % 16777216;
        }
        apariencia::aplicarEsquema(&v.principal, v.imagen, e);
        for (const auto& c : apariencia::kTablaControles) {
            QCOMPARE(colorDeControl(v, c), apariencia::colorDe(e[static_cast<std::size_t>(c.ranura)]));
        }
        QCOMPARE(apariencia::leerEsquema(&v.principal), e);
        // The image window's caption box was painted, not found in place of the main window's one.
        QVERIFY(v.controlImagen() != v.control("txtEpigrafe"));
        QCOMPARE(apariencia::colorActual(v.control("txtEpigrafe"), Propiedad::Fondo), apariencia::colorDe(e[8]));
    }

    void colorear_esquemaYPosiciones() {
        prueba::Ventanas v;
        apariencia::aplicarEsquema(&v.principal, v.imagen, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
        apariencia::Colorear(&v.principal, v.imagen);
        QCOMPARE(apariencia::leerEsquema(&v.principal), store::kEsquemaPredeterminado);
        QCOMPARE(v.control("lblSubtitulo")->y(), ui::pixeles(20));
        QCOMPARE(v.control("lblAbrir")->y(), ui::pixeles(30));
        QCOMPARE(v.control("lblPie")->y(), ui::pixeles(30));
        QCOMPARE(apariencia::colorActual(v.controlImagen(), Propiedad::Texto), QColor(224, 228, 223));
    }

    // A title strip pixel shows slot 0 after the encyclopaedia's look is taken on.
    void darEntorno_pintaLaTira() {
        prueba::Unidades u;
        store::Esquema e = store::kEsquemaPredeterminado;
        e[0] = 10 + 20 * 256 + 30 * 65536;
        QVERIFY(u.escribir(kDir + "\\COLOR.DAT", archivoColores(e)));
        QVERIFY(u.escribir(kDir + "\\ICONO.ICO", icono(Qt::red)));
        QVERIFY(u.escribir(kDir + "\\DESCRIP.DAT", "Sistema solar\r\nDe prueba\r\n"));
        prueba::Ventanas v;
        Configuracion conf(&v.principal, v.imagen);
        bool contado = false;
        const QString problemas = apariencia::DarEntorno(
            kDir, {&v.principal, nullptr, v.imagen, &conf, nullptr, nullptr}, [&] { contado = true; });
        QVERIFY2(problemas.isEmpty(), qPrintable(problemas));
        QVERIFY(ui::Dialogos::mostrados().isEmpty());
        QVERIFY(contado);
        QCOMPARE(conf.ranuras(), e);
        QWidget* tiraTitulo = v.control("pctTitulo");
        const QImage captura = tiraTitulo->grab().toImage();
        QCOMPARE(QColor(captura.pixel(captura.width() - 3, captura.height() - 3)), QColor(10, 20, 30));
        QCOMPARE(v.principal.windowTitle(), QStringLiteral("Sistema solar"));
        QCOMPARE(qobject_cast<QLabel*>(v.control("lblSubtitulo"))->text(), QStringLiteral("Sistema solar"));
        QVERIFY(!v.principal.windowIcon().isNull());
        QCOMPARE(QColor(v.principal.windowIcon().pixmap(16).toImage().pixel(8, 8)), QColor(Qt::red));
        QCOMPARE(QColor(conf.windowIcon().pixmap(16).toImage().pixel(8, 8)), QColor(Qt::red));
        // The hidden image window's caption box takes slots 8 and 9 too.
        QVERIFY(v.imagen->isHidden());
        QCOMPARE(apariencia::colorActual(v.controlImagen(), Propiedad::Fondo), apariencia::colorDe(e[8]));
        QCOMPARE(apariencia::colorActual(v.controlImagen(), Propiedad::Texto), apariencia::colorDe(e[9]));
    }

    // Line 6 = 255 turns exactly the outline's texts red.
    void linea6_soloTextosDelEsquema() {
        prueba::Unidades u;
        store::Esquema e = store::kEsquemaPredeterminado;
        e[5] = 255;
        QVERIFY(u.escribir(kDir + "\\COLOR.DAT", archivoColores(e)));
        QVERIFY(u.escribir(kDir + "\\DESCRIP.DAT", "X\r\n"));
        QVERIFY(u.escribir(kDir + "\\ICONO.ICO", icono(Qt::blue)));
        prueba::Ventanas v;
        Configuracion conf(&v.principal, v.imagen);
        apariencia::aplicarEsquema(&v.principal, v.imagen, store::kEsquemaPredeterminado);
        QList<QColor> antes;
        for (const auto& c : apariencia::kTablaControles) {
            antes << colorDeControl(v, c);
        }
        apariencia::DarEntorno(kDir, {&v.principal, nullptr, v.imagen, &conf, nullptr, nullptr}, {});
        QStringList cambiados;
        for (std::size_t i = 0; i < apariencia::kTablaControles.size(); ++i) {
            const auto& c = apariencia::kTablaControles[i];
            if (colorDeControl(v, c) != antes[static_cast<qsizetype>(i)]) {
                QCOMPARE(colorDeControl(v, c), QColor(255, 0, 0));
                cambiados << QLatin1StringView(c.nombre);
            }
        }
        QCOMPARE(cambiados, (QStringList{QStringLiteral("txtEsquema"), QStringLiteral("lstEsquema"),
                                         QStringLiteral("lblAbrir"), QStringLiteral("lblPie")}));
    }

    // A faulty colour file keeps what was read, fills the rest with the built-in scheme and says so once;
    // the icon and the name are still taken on.
    void darEntorno_archivoDeColoresDefectuoso_data() {
        QTest::addColumn<QByteArray>("contenido"); // empty: no file
        QTest::addColumn<int>("leidos");
        QTest::newRow("falta") << QByteArray() << 0;
        QTest::newRow("corto") << QByteArray("1\r\n2\r\n3\r\n") << 3;
        QTest::newRow("no es numero") << QByteArray("1\r\n2\r\n3\r\n4\r\nazul\r\n6\r\n7\r\n8\r\n9\r\n10\r\n") << 4;
        QTest::newRow("vacio") << QByteArray("") << 0;
    }
    void darEntorno_archivoDeColoresDefectuoso() {
        QFETCH(QByteArray, contenido);
        QFETCH(int, leidos);
        prueba::Unidades u;
        if (!contenido.isNull()) {
            QVERIFY(u.escribir(kDir + "\\COLOR.DAT", contenido));
        }
        QVERIFY(u.escribir(kDir + "\\ICONO.ICO", icono(Qt::green)));
        QVERIFY(u.escribir(kDir + "\\DESCRIP.DAT", "R\xEDos\r\n"));
        prueba::Ventanas v;
        Configuracion conf(&v.principal, v.imagen);
        apariencia::aplicarEsquema(&v.principal, v.imagen, {9, 9, 9, 9, 9, 9, 9, 9, 9, 9});
        apariencia::DarEntorno(kDir, {&v.principal, nullptr, v.imagen, &conf, nullptr, nullptr}, {});
        store::Esquema esperado = store::kEsquemaPredeterminado;
        for (int i = 0; i < leidos; ++i) {
            esperado[static_cast<std::size_t>(i)] = i + 1;
        }
        QCOMPARE(conf.ranuras(), esperado);
        QCOMPARE(apariencia::leerEsquema(&v.principal), esperado);
        QCOMPARE(ui::Dialogos::mostrados().size(), 1);
        QVERIFY(ui::Dialogos::mostrados().front().texto.contains(QStringLiteral("COLOR.DAT"), Qt::CaseInsensitive));
        QCOMPARE(v.principal.windowTitle(), QStringLiteral("Ríos"));
        QCOMPARE(QColor(v.principal.windowIcon().pixmap(16).toImage().pixel(8, 8)), QColor(Qt::green));
    }

    // A missing or unreadable icon keeps the program's own; an empty description gives an empty
    // caption without complaint, a missing one is reported.
    void darEntorno_iconoYDescripcion() {
        prueba::Unidades u;
        QVERIFY(u.escribir(kDir + "\\COLOR.DAT", archivoColores(store::kEsquemaPredeterminado)));
        QVERIFY(u.escribir(kDir + "\\DESCRIP.DAT", ""));
        QPixmap propio(16, 16);
        propio.fill(Qt::yellow);
        QApplication::setWindowIcon(QIcon(propio));
        prueba::Ventanas v;
        v.principal.setWindowTitle(QStringLiteral("Enciclotomo"));
        Configuracion conf(&v.principal, v.imagen);
        QWidget selector;
        apariencia::VentanasVisor vv{&v.principal, &selector, v.imagen, &conf, nullptr, nullptr};

        apariencia::DarEntorno(kDir, vv, {});
        QCOMPARE(v.principal.windowTitle(), QString());
        QCOMPARE(QColor(selector.windowIcon().pixmap(16).toImage().pixel(8, 8)), QColor(Qt::yellow));
        QCOMPARE(ui::Dialogos::mostrados().size(), 1); // the icon only
        QVERIFY(ui::Dialogos::mostrados().front().texto.contains(QStringLiteral("icono")));

        ui::Dialogos::limpiar();
        QVERIFY(u.escribir(kDir + "\\ICONO.ICO", "esto no es un icono"));
        QFile::remove(u.nativa(kDir + "\\DESCRIP.DAT"));
        apariencia::DarEntorno(kDir, vv, {});
        QCOMPARE(QColor(v.principal.windowIcon().pixmap(16).toImage().pixel(8, 8)), QColor(Qt::yellow));
        QCOMPARE(ui::Dialogos::mostrados().size(), 1); // icon and description in one message
        QVERIFY(ui::Dialogos::mostrados().front().texto.contains(QStringLiteral("DESCRIP.DAT"), Qt::CaseInsensitive));
        QCOMPARE(v.principal.windowTitle(), QString());
        QCOMPARE(apariencia::leerEsquema(&v.principal), store::kEsquemaPredeterminado);
        QApplication::setWindowIcon(QIcon());
    }
};

QTEST_MAIN(TstEsquema)
#include "tst_esquema.moc"

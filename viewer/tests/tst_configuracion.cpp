// The configuration window: layout, slot display, the scroll-bar rule, the Ajustando guard and the
// buttons, on stand-in main and image windows.

#include "appearance/configuracion.h"
#include "appearance/esquema.h"
#include "tests/support/unidades.h"
#include "ui/dialogos.h"
#include "ui/twips.h"
#include "ventanas_de_prueba.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QtTest>

#include <memory>

namespace {

const std::string kDir = "C:\\ENCICLO\\PRUEBA";

struct Banco {
    prueba::Ventanas v;
    Configuracion f{&v.principal, v.imagen};
    Banco() {
        apariencia::aplicarEsquema(&v.principal, v.imagen, store::kEsquemaPredeterminado);
        f.Normalizar();
        f.setDirectorio([] { return kDir; });
        f.show();
    }
    std::array<int, 3> barras() const { return {f.scrRGB[0]->value(), f.scrRGB[1]->value(), f.scrRGB[2]->value()}; }
};

void clic(QWidget* w) {
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(5, w->height() / 2));
}

QRect rectDe(QScrollBar* s, QStyle::SubControl parte) {
    QStyleOptionSlider o;
    o.initFrom(s);
    o.subControls = QStyle::SC_All;
    o.orientation = s->orientation();
    o.minimum = s->minimum();
    o.maximum = s->maximum();
    o.sliderPosition = s->sliderPosition();
    o.sliderValue = s->value();
    o.singleStep = s->singleStep();
    o.pageStep = s->pageStep();
    o.upsideDown = false;
    o.state |= QStyle::State_Horizontal;
    return s->style()->subControlRect(QStyle::CC_ScrollBar, &o, parte, s);
}

// One click on the bar's arrow: towards 255 when `mas`, towards 0 otherwise.
void flecha(QScrollBar* s, bool mas) {
    QTest::mouseClick(s, Qt::LeftButton, {},
                      rectDe(s, mas ? QStyle::SC_ScrollBarAddLine : QStyle::SC_ScrollBarSubLine).center());
}

} // namespace

class TstConfiguracion : public QObject {
    Q_OBJECT
private slots:
    void init() {
        ui::Dialogos::modoPrueba(true);
        ui::Dialogos::limpiar();
    }

    void disposicion() {
        Banco b;
        QCOMPARE(b.f.windowTitle(), QStringLiteral("Configuración"));
        QCOMPARE(b.f.optConf[3]->text(), QStringLiteral("Texto del subtítulo"));
        QCOMPARE(b.f.optConf[9]->objectName(), QStringLiteral("optConf(9)"));
        QCOMPARE(ui::pixeles(1440), 96); // pixels written out at 96 dpi, 15 twips to the pixel
        QCOMPARE(b.f.optConf[9]->geometry(), QRect(24, 232, 113, 13));
        QCOMPARE(b.f.scrRGB[1]->geometry(), QRect(208, 112, 225, 17));
        QCOMPARE(b.f.cmdCerrar->geometry(), QRect(368, 256, 73, 25));
        QCOMPARE(b.f.lblRGB[0]->text(), QStringLiteral("Rojo"));
        QVERIFY(b.f.lblRGB[2]->font().bold());
        QCOMPARE(b.f.lblRGB[1]->palette().color(QPalette::WindowText), QColor(0, 128, 0));
        // Tab order: bars, options, then Restablecer, Aceptar, Normalizar, Guardar, Abrir, Cerrar.
        QStringList orden;
        QWidget* w = b.f.scrRGB[0];
        for (int i = 0; i < 19; ++i) {
            orden << w->objectName();
            w = w->nextInFocusChain();
            while (w->focusPolicy() == Qt::NoFocus) {
                w = w->nextInFocusChain();
            }
        }
        QCOMPARE(orden.mid(0, 4), (QStringList{QStringLiteral("scrRGB(0)"), QStringLiteral("scrRGB(1)"),
                                               QStringLiteral("scrRGB(2)"), QStringLiteral("optConf(0)")}));
        QCOMPARE(orden.mid(12),
                 (QStringList{QStringLiteral("optConf(9)"), QStringLiteral("cmdRestablecer"),
                              QStringLiteral("cmdAceptar"), QStringLiteral("cmdNormal"), QStringLiteral("cmdGuardar"),
                              QStringLiteral("cmdAbrir"), QStringLiteral("cmdCerrar")}));
    }

    // Clicking a slot shows its components, clamped; the Ajustando guard keeps the slot as it was while
    // the window moves its own bars.
    void clicEnRanura_data() {
        QTest::addColumn<int>("valor");
        QTest::addColumn<int>("rojo");
        QTest::addColumn<int>("verde");
        QTest::addColumn<int>("azul");
        QTest::newRow("predeterminado") << 8427423 << 159 << 151 << 128;
        QTest::newRow("negativo") << -5 << 0 << 0 << 0;
        QTest::newRow("menos uno") << -1 << 0 << 0 << 0;
        QTest::newRow("sobre 24 bits") << 16777216 * 3 + 0x030201 << 1 << 2 << 3;
    }
    void clicEnRanura() {
        QFETCH(int, valor);
        QFETCH(int, rojo);
        QFETCH(int, verde);
        QFETCH(int, azul);
        Banco b;
        b.f.setRanura(4, valor);
        b.f.show();
        clic(b.f.optConf[4]);
        QVERIFY(b.f.optConf[4]->isChecked());
        QCOMPARE(b.barras(), (std::array<int, 3>{rojo, verde, azul}));
        QCOMPARE(b.f.ranura(4), valor); // untouched by the bars' own change notifications
        QVERIFY(!b.f.Ajustando);
        QCOMPARE(b.f.optConf[4]->palette().color(QPalette::WindowText), apariencia::colorDe(valor));

        // Clicking the slot that is already on shows it again.
        b.f.setRanura(4, 0x102030);
        clic(b.f.optConf[4]);
        QCOMPARE(b.barras(), (std::array<int, 3>{0x30, 0x20, 0x10}));
    }

    // Arrow keys and page clicks change the slot at once; a dragged thumb only when let go.
    void barras_cambianLaRanura() {
        Banco b;
        b.f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&b.f));
        QCOMPARE(b.barras(), (std::array<int, 3>{159, 151, 128}));
        for (int i = 0; i < 151; ++i) {
            flecha(b.f.scrRGB[1], false);
        }
        QCOMPARE(b.f.ranura(0), 8388767);
        QCOMPARE(b.f.optConf[0]->palette().color(QPalette::WindowText), QColor(159, 0, 128));
        QCOMPARE(apariencia::leerEsquema(&b.v.principal)[0], 8427423); // not applied yet
        clic(b.f.cmdAceptar);
        const QImage tira = b.v.control("pctTitulo")->grab().toImage();
        QCOMPARE(QColor(tira.pixel(tira.width() - 2, tira.height() - 2)), QColor(159, 0, 128));

        // The keyboard: Left lowers, Right raises.
        QTest::keyClick(b.f.scrRGB[1], Qt::Key_Right);
        QCOMPARE(b.f.ranura(0), 8388767 + 256);
        QTest::keyClick(b.f.scrRGB[1], Qt::Key_Left);
        QCOMPARE(b.f.ranura(0), 8388767);

        // A page click in the trough, right of the thumb.
        QScrollBar* azul = b.f.scrRGB[2];
        const QRect pagina = rectDe(azul, QStyle::SC_ScrollBarAddPage);
        QTest::mouseClick(azul, Qt::LeftButton, {}, pagina.center());
        QCOMPARE(azul->value(), 128 + azul->pageStep());
        QCOMPARE(b.f.ranura(0), 159 + 0 * 256 + (128 + azul->pageStep()) * 65536);

        // Dragging the red thumb: nothing until it is let go.
        QScrollBar* rojo = b.f.scrRGB[0];
        const std::int32_t antes = b.f.ranura(0);
        const QRect pulgar = rectDe(rojo, QStyle::SC_ScrollBarSlider);
        QTest::mousePress(rojo, Qt::LeftButton, {}, pulgar.center());
        QMouseEvent mover(QEvent::MouseMove, QPointF(pulgar.center() - QPoint(60, 0)),
                          rojo->mapToGlobal(QPointF(pulgar.center() - QPoint(60, 0))), Qt::NoButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(rojo, &mover);
        QVERIFY(rojo->sliderPosition() < 159);
        QCOMPARE(b.f.ranura(0), antes);
        QTest::mouseRelease(rojo, Qt::LeftButton, {}, pulgar.center() - QPoint(60, 0));
        QCOMPARE(rojo->value(), rojo->sliderPosition());
        QCOMPARE(b.f.ranura(0), antes - 159 + rojo->value());
    }

    // After "Abrir" the bars keep what they showed; moving one sets the slot from the bars.
    void guardarYAbrir_idaYVuelta() {
        prueba::Unidades u;
        Banco b;
        const store::Esquema e{8427423, -5, 16777216 + 7, 0, 14673120, 2147483647, -2147483647 - 1, 1, 2, 3};
        for (int i = 0; i < 10; ++i) {
            b.f.setRanura(i, e[static_cast<std::size_t>(i)]);
        }
        QVERIFY(u.escribir(kDir + "\\color.dat", "viejo"));
        clic(b.f.cmdGuardar);
        QVERIFY(ui::Dialogos::mostrados().isEmpty());
        QCOMPARE(u.bytes(kDir + "\\COLOR.DAT"), QByteArray(" 8427423 \r\n-5 \r\n 16777223 \r\n 0 \r\n 14673120 \r\n"
                                                           " 2147483647 \r\n-2147483648 \r\n 1 \r\n 2 \r\n 3 \r\n"));
        for (int i = 0; i < 10; ++i) {
            b.f.setRanura(i, 42);
        }
        const auto barras = b.barras();
        clic(b.f.cmdAbrir);
        QVERIFY(ui::Dialogos::mostrados().isEmpty());
        QCOMPARE(b.f.ranuras(), e);
        QCOMPARE(b.barras(), barras);
        QCOMPARE(b.f.ranuraElegida(), 0);
        flecha(b.f.scrRGB[2], true);
        QCOMPARE(b.f.ranura(0), barras[0] + barras[1] * 256 + (barras[2] + 1) * 65536);
    }

    // "Abrir" on a missing, short or bad file says so and leaves every slot as it was.
    void abrir_archivoDefectuoso_data() {
        QTest::addColumn<QByteArray>("contenido");
        QTest::newRow("falta") << QByteArray();
        QTest::newRow("corto") << QByteArray("1\r\n2\r\n");
        QTest::newRow("no es numero") << QByteArray("1\r\n2\r\n3\r\nrojo\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n");
        QTest::newRow("fuera de 32 bits") << QByteArray("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n4294967296\r\n");
    }
    void abrir_archivoDefectuoso() {
        QFETCH(QByteArray, contenido);
        prueba::Unidades u;
        if (!contenido.isNull()) {
            QVERIFY(u.escribir(kDir + "\\COLOR.DAT", contenido));
        }
        Banco b;
        const store::Esquema antes = b.f.ranuras();
        clic(b.f.cmdAbrir);
        QCOMPARE(b.f.ranuras(), antes);
        QCOMPARE(ui::Dialogos::mostrados().size(), 1);
        QVERIFY(ui::Dialogos::mostrados().front().texto.contains(QStringLiteral("no se han cambiado")));
    }

    void guardar_fallido_loDice() {
        prueba::Unidades u;
        Banco b;
        b.f.setDirectorio([] { return std::string("C:\\NO\\EXISTE"); });
        clic(b.f.cmdGuardar);
        QCOMPARE(ui::Dialogos::mostrados().size(), 1);
        QVERIFY(!QFile::exists(u.nativa("C:\\NO\\EXISTE\\COLOR.DAT")));
    }

    // "Restablecer" throws away edits not applied; "Normalizar" restores the built-in scheme and labels.
    void restablecerYNormalizar() {
        Banco b;
        const store::Esquema propio{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
        apariencia::aplicarEsquema(&b.v.principal, b.v.imagen, propio);
        b.f.Normalizar();
        clic(b.f.optConf[6]);
        flecha(b.f.scrRGB[0], true);
        QCOMPARE(b.f.ranura(6), 8);
        clic(b.f.cmdRestablecer);
        QCOMPARE(b.f.ranuras(), propio);
        QVERIFY(b.f.optConf[0]->isChecked());
        QCOMPARE(b.barras(), (std::array<int, 3>{1, 0, 0}));

        clic(b.f.cmdNormal);
        QCOMPARE(apariencia::leerEsquema(&b.v.principal), store::kEsquemaPredeterminado);
        QCOMPARE(b.f.ranuras(), store::kEsquemaPredeterminado);
        QVERIFY(b.f.optConf[0]->isChecked());
        QCOMPARE(b.barras(), (std::array<int, 3>{159, 151, 128}));
        QCOMPARE(b.v.control("lblSubtitulo")->y(), ui::pixeles(20));
        QCOMPARE(b.v.control("lblPie")->y(), ui::pixeles(30));

        // "Aceptar" twice changes nothing the second time.
        clic(b.f.cmdAceptar);
        const store::Esquema una = apariencia::leerEsquema(&b.v.principal);
        clic(b.f.cmdAceptar);
        QCOMPARE(apariencia::leerEsquema(&b.v.principal), una);
    }

    void cerrar_oculta() {
        Banco b;
        b.f.show();
        b.f.setRanura(3, 77);
        b.f.close();
        QVERIFY(b.f.isHidden());
        b.f.show();
        clic(b.f.cmdCerrar);
        QVERIFY(b.f.isHidden());
        QCOMPARE(b.f.ranura(3), 77);
    }
};

QTEST_MAIN(TstConfiguracion)
#include "tst_configuracion.moc"

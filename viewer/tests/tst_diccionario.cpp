// The dictionary window, the article box's double-click and the word look-up behind it.

#include "tests/support/unidades.h"
#include "ui/dialogos.h"
#include "windows/caja_articulo.h"
#include "windows/consulta_palabra.h"
#include "windows/diccionario.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTextBlock>
#include <QtTest>

namespace {

const std::string kDir = "C:\\ENCICLO\\PRUEBA";

QByteArray cp1252(const char* utf8) {
    return QString::fromUtf8(utf8).toLatin1();
}

const char kDiccionario[] = "Casa  Vivienda.\r\n"
                            "Casar  Unir.\r\n"
                            "Hola  saludo\r\n"
                            "¿qué?  pregunta\r\n"
                            "Sol  /sol.txt\r\n"
                            "Luna  /luna.txt \r\n"
                            "Fuga  /..\\fuera.txt\r\n"
                            "Raiz  /C:\\otro.txt\r\n"
                            "Casa lugar donde se vive\r\n";

// Double-clicks the character at `posicion` of the box's text.
void dobleClic(CajaArticulo& caja, int posicion) {
    QTextCursor c(caja.document());
    c.setPosition(posicion);
    const QRect r = caja.cursorRect(c);
    QTest::mouseDClick(caja.viewport(), Qt::LeftButton, {}, QPoint(r.left() + 3, r.center().y()));
}

// Types the text into the box, one key event per character.
void teclear(QWidget* w, const QString& texto) {
    for (const QChar c : texto) {
        QKeyEvent pulsa(QEvent::KeyPress,
                        c.isLetter() && c.unicode() < 128 ? Qt::Key_A + (c.toUpper().unicode() - 'A') : Qt::Key_unknown,
                        Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &pulsa);
        QKeyEvent suelta(QEvent::KeyRelease, pulsa.key(), Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &suelta);
    }
}

struct Registro {
    QStringList abiertos;
    QString palabra;
    QString texto;
    QStringList avisos;
    consulta::Acciones acciones() {
        return {[this](const std::string& r) { abiertos << QString::fromLatin1(r.c_str()); },
                [this](const QString& p, const QString& t) {
                    palabra = p;
                    texto = t;
                },
                [this](const QString& m) { avisos << m; }};
    }
};

} // namespace

class TstDiccionario : public QObject {
    Q_OBJECT
private slots:
    void init() {
        ui::Dialogos::modoPrueba(true);
        ui::Dialogos::limpiar();
    }

    // The run between white space under the pointer is selected, punctuation and all.
    void dobleClic_seleccionaLaCorrida_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<int>("posicion");
        QTest::addColumn<QString>("seleccion");
        const QString t = QStringLiteral("Dijo (¡Hola!), y luego ¿Qué?\nfin\n  otra");
        QTest::newRow("signos") << t << 8 << QStringLiteral("(¡Hola!),");
        QTest::newRow("primer signo") << t << 5 << QStringLiteral("(¡Hola!),");
        QTest::newRow("pregunta") << t << 24 << QStringLiteral("¿Qué?");
        QTest::newRow("antes del salto") << t << 29 << QStringLiteral("fin");
        QTest::newRow("tras espacios") << t << 36 << QStringLiteral("otra");
        QTest::newRow("primera") << t << 0 << QStringLiteral("Dijo");
        // A tab parts two words as a space does.
        const QString tab = QStringLiteral("Mira\tgravedad,\tluz");
        QTest::newRow("tras tabulador") << tab << 6 << QStringLiteral("gravedad,");
        QTest::newRow("antes de tabulador") << tab << 2 << QStringLiteral("Mira");
    }
    void dobleClic_seleccionaLaCorrida() {
        QFETCH(QString, texto);
        QFETCH(int, posicion);
        QFETCH(QString, seleccion);
        CajaArticulo caja;
        caja.setReadOnly(true);
        caja.resize(400, 200);
        caja.setPlainText(texto);
        caja.show();
        QVERIFY(QTest::qWaitForWindowExposed(&caja));
        QSignalSpy elegida(&caja, &CajaArticulo::palabraElegida);
        dobleClic(caja, posicion);
        QCOMPARE(elegida.count(), 1);
        QCOMPARE(caja.textCursor().selectedText(), seleccion);
    }

    // The look-up of a double-clicked word: stripping, prefix match, references and their refusals.
    void consulta_data() {
        QTest::addColumn<QString>("seleccion");
        QTest::addColumn<QString>("palabra"); // shown in the dictionary window, or empty when it is not shown
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QString>("abierto"); // article opened, or empty
        QTest::addColumn<bool>("aviso");
        QTest::newRow("signos") << QStringLiteral("(¡Hola!),") << QStringLiteral("HOLA") << QStringLiteral("SALUDO")
                                << QString() << false;
        QTest::newRow("pregunta") << QStringLiteral("¿Qué?") << QStringLiteral("¿QUÉ?") << QStringLiteral("PREGUNTA")
                                  << QString() << false;
        QTest::newRow("casa") << QStringLiteral("casa") << QStringLiteral("CASA") << QStringLiteral("VIVIENDA.")
                              << QString() << false;
        QTest::newRow("casar") << QStringLiteral("casar") << QStringLiteral("CASAR") << QStringLiteral("UNIR.")
                               << QString() << false;
        QTest::newRow("prefijo") << QStringLiteral("cas") << QStringLiteral("CAS") << QStringLiteral("A  VIVIENDA.")
                                 << QString() << false;
        QTest::newRow("vacia") << QStringLiteral(".") << QString() << QStringLiteral("CASA  VIVIENDA.") << QString()
                               << false;
        QTest::newRow("no esta") << QStringLiteral("Marte") << QStringLiteral("MARTE")
                                 << QStringLiteral("NO SE ENCUENTRA LA PALABRA BUSCADA") << QString() << false;
        QTest::newRow("no representable") << QStringLiteral("火星") << QStringLiteral("火星")
                                          << QStringLiteral("NO SE ENCUENTRA LA PALABRA BUSCADA") << QString() << false;
        QTest::newRow("referencia") << QStringLiteral("Sol,") << QString() << QString()
                                    << QStringLiteral("C:\\ENCICLO\\PRUEBA\\SOL.TXT") << false;
        QTest::newRow("referencia a nada") << QStringLiteral("luna") << QString() << QString() << QString() << true;
        QTest::newRow("sube con ..") << QStringLiteral("fuga") << QString() << QString() << QString() << true;
        QTest::newRow("absoluta") << QStringLiteral("raiz") << QString() << QString() << QString() << true;
    }
    void consulta() {
        QFETCH(QString, seleccion);
        QFETCH(QString, palabra);
        QFETCH(QString, texto);
        QFETCH(QString, abierto);
        QFETCH(bool, aviso);
        prueba::Unidades u;
        QVERIFY(u.escribir(kDir + "\\DICT.DAT", cp1252(kDiccionario)));
        QVERIFY(u.escribir(kDir + "\\SOL.TXT", "<TIT>Sol\r\n"));
        QVERIFY(u.escribir("C:\\ENCICLO\\fuera.txt", "<TIT>Fuera\r\n"));
        QVERIFY(u.escribir("C:\\otro.txt", "<TIT>Otro\r\n"));
        Registro r;
        consulta::consultarPalabra(seleccion, kDir, r.acciones());
        QCOMPARE(r.palabra, palabra);
        QCOMPARE(r.texto, texto);
        QCOMPARE(r.abiertos, abierto.isEmpty() ? QStringList() : QStringList{abierto});
        QCOMPARE(r.avisos.size(), aviso ? 1 : 0);
    }

    void consulta_sinDiccionario() {
        prueba::Unidades u;
        Registro r;
        consulta::consultarPalabra(QStringLiteral("sol"), kDir, r.acciones());
        QCOMPARE(r.palabra, QStringLiteral("SOL"));
        QVERIFY(r.texto.startsWith(QStringLiteral("ESTA ENCICLOTOMO NO TIENE DICCIONARIO.")));
        QVERIFY(r.texto.contains(QStringLiteral("DICT.DAT"), Qt::CaseInsensitive));
    }

    // Typed look-up: Enter (with any modifiers) puts the word back in capitals and shows its definition.
    void ventana_buscaConEnter_data() {
        QTest::addColumn<QByteArray>("diccionario");
        QTest::addColumn<QString>("escrito");
        QTest::addColumn<int>("tecla");
        QTest::addColumn<int>("modificadores");
        QTest::addColumn<QString>("palabra");
        QTest::addColumn<QString>("definicion");
        const QByteArray d = cp1252("Casa  Vivienda.\r\nCasar  Unir.\r\n¿qué?  pregunta\r\nSol  /sol.txt\r\n");
        QTest::newRow("minusculas") << cp1252("Casa lugar donde se vive\r\n") << QStringLiteral("casa")
                                    << int(Qt::Key_Return) << 0 << QStringLiteral("CASA")
                                    << QStringLiteral("LUGAR DONDE SE VIVE");
        QTest::newRow("con espacio") << cp1252("Casamiento  boda\r\nCasa  lugar\r\n") << QStringLiteral("casa ")
                                     << int(Qt::Key_Return) << 0 << QStringLiteral("CASA ") << QStringLiteral("LUGAR");
        QTest::newRow("teclado numerico")
            << d << QStringLiteral("casar") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << QStringLiteral("CASAR")
            << QStringLiteral("UNIR.");
        QTest::newRow("con mayusculas") << d << QStringLiteral("¿qué?") << int(Qt::Key_Return) << int(Qt::ShiftModifier)
                                        << QStringLiteral("¿QUÉ?") << QStringLiteral("PREGUNTA");
        QTest::newRow("referencia como texto") << d << QStringLiteral("sol") << int(Qt::Key_Return) << 0
                                               << QStringLiteral("SOL") << QStringLiteral("/SOL.TXT");
        QTest::newRow("vacia") << d << QString() << int(Qt::Key_Return) << 0 << QString()
                               << QStringLiteral("CASA  VIVIENDA.");
        QTest::newRow("no esta") << d << QStringLiteral("xyz") << int(Qt::Key_Return) << int(Qt::ControlModifier)
                                 << QStringLiteral("XYZ") << QStringLiteral("NO SE ENCUENTRA LA PALABRA BUSCADA");
        QTest::newRow("diccionario nuevo")
            << QByteArray("\r\n") << QStringLiteral("a") << int(Qt::Key_Return) << 0 << QStringLiteral("A")
            << QStringLiteral("NO SE ENCUENTRA LA PALABRA BUSCADA");
    }
    void ventana_buscaConEnter() {
        QFETCH(QByteArray, diccionario);
        QFETCH(QString, escrito);
        QFETCH(int, tecla);
        QFETCH(int, modificadores);
        QFETCH(QString, palabra);
        QFETCH(QString, definicion);
        prueba::Unidades u;
        QVERIFY(u.escribir(kDir + "\\DICT.DAT", diccionario));
        QPointer<Diccionario> v = Diccionario::mostrar(nullptr, kDir);
        QVERIFY(v->isModal());
        QVERIFY(v->txtPalabra->text().isEmpty());
        QVERIFY(v->txtDescrip->toPlainText().isEmpty());
        QSignalSpy devuelto(v->txtPalabra, &QLineEdit::returnPressed);
        teclear(v->txtPalabra, escrito);
        QTest::keyClick(v->txtPalabra, Qt::Key(tecla), Qt::KeyboardModifiers(modificadores));
        QCOMPARE(v->txtPalabra->text(), palabra);
        QCOMPARE(v->txtDescrip->toPlainText(), definicion);
        QCOMPARE(devuelto.count(), 0); // Enter does nothing else
        v->close();
        QTRY_VERIFY(v.isNull()); // discarded when closed
    }

    void ventana_sinDiccionario_yNuevaVacia() {
        prueba::Unidades u;
        QPointer<Diccionario> v = Diccionario::mostrar(nullptr, kDir, QStringLiteral("X"), QStringLiteral("algo"));
        QCOMPARE(v->txtPalabra->text(), QStringLiteral("X"));
        QTest::keyClick(v->txtPalabra, Qt::Key_Return);
        QVERIFY(v->txtDescrip->toPlainText().startsWith(QStringLiteral("ESTA ENCICLOTOMO NO TIENE DICCIONARIO.")));
        v->close();
        QTRY_VERIFY(v.isNull());
        QPointer<Diccionario> otra = Diccionario::mostrar(nullptr, kDir);
        QVERIFY(otra->txtPalabra->text().isEmpty());
        QVERIFY(otra->txtDescrip->toPlainText().isEmpty());
        QCOMPARE(otra->windowTitle(), QStringLiteral("Diccionario"));
        otra->close();
        QTRY_VERIFY(otra.isNull());
    }
};

QTEST_MAIN(TstDiccionario)
#include "tst_diccionario.moc"

// A whole authoring session through the editor's windows, checked byte for byte against the store's formats.

#include "editor/sesion.h"
#include "editor/taller.h"
#include "editor/tests/ayudas.h"
#include "tests/support/unidades.h"
#include "ui/dialogos.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace prueba;
using ui::Dialogos;

class TstSesion : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Dialogos::modoPrueba(true); }
    void init() { Dialogos::limpiar(); }

    void wholeSession_writesExactlyTheseFiles();
};

void TstSesion::wholeSession_writesExactlyTheseFiles() {
    Unidades u;
    const QDir raiz(QFileInfo(u.unidad('c')).absolutePath());
    const auto clave = [&](const std::string& ruta) { return raiz.relativeFilePath(u.nativa(ruta)); };
    SesionForja sesion;
    Taller t(sesion);
    sesionCompleta(u, t);
    // Two icon dialogs and nothing else: no message, no question.
    QCOMPARE(Dialogos::mostrados().size(), 2);

    const QByteArray colores(
        "8427423\r\n16777215\r\n12636368\r\n0\r\n14673120\r\n0\r\n16777215\r\n0\r\n0\r\n14673120\r\n");
    QMap<QString, QByteArray> esperado;
    const auto archivo = [&](const std::string& ruta, const QByteArray& bytes) { esperado.insert(clave(ruta), bytes); };
    const auto directorio = [&](const std::string& ruta) { esperado.insert(clave(ruta) + QLatin1Char('/'), {}); };
    const auto bytesDe = [&](const std::string& ruta) { return u.bytes(ruta); };

    directorio("C:");
    directorio("C:\\LUMBRE");
    archivo("C:\\LUMBRE\\TOMOS.DAT", "C:\\ENCICLO\\ACTUAL.DAT\r\nC:\\ENCICLO\\TOMOS.DAT\r\n");
    directorio("C:\\ICONOS");
    archivo("C:\\ICONOS\\astro.ico", bytesDe("C:\\ICONOS\\astro.ico"));
    directorio("C:\\ENCICLO");
    archivo("C:\\ENCICLO\\TOMOS.DAT", "C:\\ENCICLO\\ASTRO\r\nC:\\ENCICLO\\RIOS\r\n");
    archivo("C:\\ENCICLO\\ACTUAL.DAT", "C:\\ENCICLO\\RIOS\r\n");

    directorio("C:\\ENCICLO\\RIOS");
    directorio("C:\\ENCICLO\\RIOS\\IMG");
    archivo("C:\\ENCICLO\\RIOS\\COLOR.DAT", colores);
    archivo("C:\\ENCICLO\\RIOS\\DICT.DAT", "\r\n");
    archivo("C:\\ENCICLO\\RIOS\\ICONO.ICO", QByteArray::fromStdString(Taller::iconoDeReserva()));
    archivo("C:\\ENCICLO\\RIOS\\DESCRIP.DAT", "");
    archivo("C:\\ENCICLO\\RIOS\\COMPLETA.DAT", "");
    archivo("C:\\ENCICLO\\RIOS\\LISTAS.DAT", "");

    directorio("C:\\ENCICLO\\ASTRO");
    directorio("C:\\ENCICLO\\ASTRO\\IMG");
    archivo("C:\\ENCICLO\\ASTRO\\COLOR.DAT", colores);
    archivo("C:\\ENCICLO\\ASTRO\\DICT.DAT", "\r\n");
    archivo("C:\\ENCICLO\\ASTRO\\ICONO.ICO", bytesDe("C:\\ICONOS\\astro.ico"));
    archivo("C:\\ENCICLO\\ASTRO\\DESCRIP.DAT", "Astronom\xED"
                                               "a para todos\r\nPor la autora\r\n");
    archivo("C:\\ENCICLO\\ASTRO\\COMPLETA.DAT", "sol.txt\r\nluna.txt\r\nmarte.txt\r\n");
    archivo("C:\\ENCICLO\\ASTRO\\ULTIMO.DAT", "marte.txt\r\n");
    archivo("C:\\ENCICLO\\ASTRO\\LISTAS.DAT", "Cuerpos visibles\r\nSat\xE9"
                                              "lites\r\n");
    archivo("C:\\ENCICLO\\ASTRO\\Cuerpos visibles.dat", "sol.txt\r\nmarte.txt\r\n");
    archivo("C:\\ENCICLO\\ASTRO\\Sat\xE9"
            "lites.dat",
            "luna.txt\r\n");
    archivo("C:\\ENCICLO\\ASTRO\\sol.txt",
            "<TIT>El Sol\r\n<IMG>sol.bmp\r\nEl Sol es una estrella.\r\n/\r\nDa luz.\r\n");
    archivo("C:\\ENCICLO\\ASTRO\\luna.txt",
            "<TIT>La Luna\r\n<IMG>luna.bmp\r\n<IMG>sol.bmp\r\nLa Luna gira alrededor de la Tierra.\r\n");
    archivo("C:\\ENCICLO\\ASTRO\\marte.txt", "<TIT>Marte\r\n<IMG>marte.png\r\nEl planeta rojo.\r\n");
    for (const char* imagen : {"sol.bmp", "luna.bmp", "marte.png"}) {
        const std::string ruta = std::string("C:\\ENCICLO\\ASTRO\\IMG\\") + imagen;
        archivo(ruta, bytesDe(ruta));
    }
    archivo("C:\\ENCICLO\\ASTRO\\IMG\\sol.txt", "El Sol\r\nNuestra estrella.\r\n");
    archivo("C:\\ENCICLO\\ASTRO\\IMG\\luna.txt", "La Luna\r\nSat\xE9"
                                                 "lite natural.\r\n");
    archivo("C:\\ENCICLO\\ASTRO\\IMG\\marte.txt", "Marte\r\nVisto desde la Tierra.\r\n/\r\nColor de \xF3"
                                                  "xido.\r\n");

    const auto real = instantanea(u);
    QCOMPARE(real.keys(), esperado.keys());
    for (auto it = esperado.begin(); it != esperado.end(); ++it) {
        QVERIFY2(!it.key().endsWith(QLatin1Char('/')) || real.value(it.key()).isNull(), qPrintable(it.key()));
        QVERIFY2(real.value(it.key()) == it.value(),
                 qPrintable(it.key() + QStringLiteral(": ") + QString::fromLatin1(real.value(it.key()))));
    }
    QVERIFY(esperado.value(clave("C:\\ENCICLO\\ASTRO\\ICONO.ICO")).size() > 100);
}

QTEST_MAIN(TstSesion)
#include "tst_sesion.moc"

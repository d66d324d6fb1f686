// The e-book's zip read back by an independent reader (Python's zipfile): every entry whole, beyond the
// 65,535 entries a zip without its 64-bit extension can hold, and "mimetype" first, stored, with no extra
// field, as EPUB readers look for it.

#include "publish/zip.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class ZipTest : public QObject {
    Q_OBJECT

private slots:
    void moreThan65535Entries_readBackWhole() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString ruta = dir.filePath(QStringLiteral("libro.epub"));
        constexpr int kEntradas = 70'000;
        {
            publish::EscritorZip zip;
            QVERIFY(zip.abrir(ruta));
            QVERIFY(zip.agregar("mimetype", "application/epub+zip", false));
            for (int i = 0; i < kEntradas; ++i) {
                const std::string texto =
                    "página " + std::to_string(i) + std::string(static_cast<std::size_t>(i % 50), 'x');
                QVERIFY2(zip.agregar("EPUB/p" + std::to_string(i) + ".xhtml", texto, i % 2 == 0),
                         qPrintable(zip.error()));
            }
            QVERIFY(zip.agregar("EPUB/ñandú.xhtml", "Ñ"));
            QVERIFY2(zip.cerrar(), qPrintable(zip.error()));
        }

        // Local header of the first entry: name length at 26, extra field length at 28, name at 30.
        QFile f(ruta);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray cabecera = f.read(38);
        QCOMPARE(cabecera.mid(30, 8), QByteArray("mimetype"));
        QCOMPARE(static_cast<int>(cabecera[8]) | (static_cast<int>(cabecera[9]) << 8), 0); // stored
        QCOMPARE(static_cast<int>(cabecera[28]) | (static_cast<int>(cabecera[29]) << 8), 0);

        const char* lector = R"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    malo = z.testzip()
    if malo is not None:
        sys.exit("dañada: " + malo)
    nombres = z.namelist()
    print(len(nombres), nombres[0], z.getinfo(nombres[0]).compress_type,
          z.read("EPUB/p69999.xhtml").decode("utf-8"), z.read("EPUB/ñandú.xhtml").decode("utf-8"))
)";
        QProcess python;
        python.start(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromUtf8(lector), ruta});
        QVERIFY(python.waitForFinished(120'000));
        QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
        QCOMPARE(QString::fromUtf8(python.readAllStandardOutput()).trimmed(),
                 QStringLiteral("70002 mimetype 0 página 69999") + QString(69999 % 50, u'x') + QStringLiteral(" Ñ"));
    }

    void existingFile_isRefusedAndKept() {
        QTemporaryDir dir;
        const QString ruta = dir.filePath(QStringLiteral("ya.epub"));
        QFile f(ruta);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("no tocar");
        f.close();
        publish::EscritorZip zip;
        QVERIFY(!zip.abrir(ruta));
        QVERIFY(zip.error().contains(ruta));
        QVERIFY(!zip.agregar("a", "b"));
        QVERIFY(!zip.cerrar());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("no tocar"));
    }
};

QTEST_GUILESS_MAIN(ZipTest)
#include "tst_zip.moc"

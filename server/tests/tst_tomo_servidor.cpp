// The program tomo-servidor as a user starts it: its command line, the line it logs for each request, and
// SIGTERM ending it cleanly.

#include "apoyo.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <csignal>

class TstTomoServidor : public QObject {
    Q_OBJECT

private slots:
    void lineaDeOrdenes_data() {
        QTest::addColumn<QStringList>("argumentos");
        QTest::addColumn<int>("salida");
        QTest::addColumn<QString>("dice");
        QTest::newRow("ayuda") << QStringList{u"--help"_qs} << 0 << u"Uso: tomo-servidor"_qs;
        QTest::newRow("versión") << QStringList{u"--version"_qs} << 0 << u"tomo-servidor (Lumbre) "_qs;
        QTest::newRow("opción desconocida") << QStringList{u"--nada"_qs} << 2 << u"opción desconocida"_qs;
        QTest::newRow("puerto no numérico") << QStringList{u"--puerto"_qs, u"ochenta"_qs} << 2 << u"no es un puerto"_qs;
        QTest::newRow("puerto fuera de rango") << QStringList{u"--puerto=70000"_qs} << 2 << u"no es un puerto"_qs;
        QTest::newRow("puerto que falta") << QStringList{u"--puerto"_qs} << 2 << u"no es un puerto"_qs;
        QTest::newRow("dirección") << QStringList{u"--direccion"_qs, u"la-escuela"_qs} << 2
                                   << u"no es una dirección IP"_qs;
        QTest::newRow("conexiones por dirección")
            << QStringList{u"--por-direccion=muchas"_qs} << 2 << u"no es un número de conexiones"_qs;
        QTest::newRow("conexiones en total")
            << QStringList{u"--conexiones"_qs, u"2"_qs} << 2 << u"no es un número de conexiones"_qs;
        QTest::newRow("ruta que no existe")
            << QStringList{u"/no/existe/en/ninguna/parte"_qs} << 2 << u"no existe ese directorio"_qs;
        QTest::newRow("directorio que no es una enciclotomo")
            << QStringList{u"/"_qs} << 2 << u"no es una enciclotomo"_qs;
    }
    void lineaDeOrdenes() {
        QFETCH(QStringList, argumentos);
        QFETCH(int, salida);
        QFETCH(QString, dice);
        QProcess p;
        p.start(QStringLiteral(TOMO_SERVIDOR), argumentos);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), salida);
        const QString texto = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
        QVERIFY2(texto.contains(dice), qPrintable(texto));
    }

    // Started on the registry's encyclopaedias, it answers, logs each request, and ends on SIGTERM with status 0.
    void sirveYTerminaConSigterm() {
        prueba::Almacen almacen;
        QVERIFY(almacen.valido());
        QProcess p;
        p.start(QStringLiteral(TOMO_SERVIDOR), {u"--direccion"_qs, u"127.0.0.1"_qs, u"--puerto"_qs, u"0"_qs});
        QVERIFY(p.waitForStarted());
        QByteArray errores;
        QRegularExpressionMatch m;
        const QRegularExpression anuncio(u"2 enciclotomos en http://127\\.0\\.0\\.1:(\\d+)/"_qs);
        for (int i = 0; i < 100 && !m.hasMatch(); ++i) {
            p.waitForReadyRead(100);
            errores += p.readAllStandardError();
            m = anuncio.match(QString::fromUtf8(errores));
        }
        QVERIFY2(m.hasMatch(), errores.constData());
        const auto puerto = static_cast<quint16>(m.captured(1).toUInt());
        QCOMPARE(prueba::pedir(puerto, "/").estado, 200);
        QCOMPARE(prueba::pedir(puerto, "/e/rios/").estado, 200);
        QCOMPARE(prueba::pedir(puerto, "/e/rios/a/..%2FCOMPLETA.DAT").estado, 404);

        // An encyclopaedia registered while it runs is served within a few seconds, without a restart.
        QCOMPARE(QProcess::execute(u"cp"_qs, {u"-r"_qs, almacen.nativa(u"C:\\ENCICLO\\RIOS"_qs),
                                              almacen.nativa(u"C:\\ENCICLO\\OTRA"_qs)}),
                 0);
        QFile tomos(almacen.nativa(u"C:\\ENCICLO\\TOMOS.DAT"_qs));
        QVERIFY(tomos.open(QIODevice::Append));
        tomos.write("C:\\ENCICLO\\OTRA\r\n");
        tomos.close();
        bool servida = false;
        for (int i = 0; i < 100 && !servida; ++i) {
            servida = prueba::pedir(puerto, "/e/otra/").estado == 200;
            QTest::qWait(100);
        }
        QVERIFY(servida);
        QVERIFY(prueba::pedir(puerto, "/").cuerpo.contains("/e/otra/"));
        ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        errores += p.readAllStandardError();
        QVERIFY2(errores.contains(" GET / 200 "), errores.constData());
        QVERIFY(errores.contains(" GET /e/rios/ 200 "));
        QVERIFY(errores.contains(" GET /e/rios/a/..%2FCOMPLETA.DAT 404 "));
        QVERIFY(errores.contains("terminado"));
    }
};

QTEST_GUILESS_MAIN(TstTomoServidor)
#include "tst_tomo_servidor.moc"

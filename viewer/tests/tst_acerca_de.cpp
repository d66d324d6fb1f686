// The About box: credit line, CR LF, and line 2 of the description.

#include "tests/support/unidades.h"
#include "ui/dialogos.h"
#include "windows/acerca_de.h"

#include <QtTest>

namespace {
const std::string kDir = "C:\\ENCICLO\\PRUEBA";
}

class TstAcercaDe : public QObject {
    Q_OBJECT
private slots:
    void init() {
        ui::Dialogos::modoPrueba(true);
        ui::Dialogos::limpiar();
    }

    void texto_data() {
        QTest::addColumn<QByteArray>("descripcion"); // null: no file
        QTest::addColumn<QString>("comentario");
        QTest::newRow("dos lineas") << QByteArray("Sistema solar\r\nHecho por Ana\r\n")
                                    << QStringLiteral("Hecho por Ana");
        QTest::newRow("tres lineas") << QByteArray("T\r\nSegunda\r\nTercera\r\n") << QStringLiteral("Segunda");
        QTest::newRow("segunda vacia") << QByteArray("T\r\n\r\n") << QString();
        QTest::newRow("sin fin de linea") << QByteArray("T\r\nAcentos: \xE1\xF1") << QStringLiteral("Acentos: áñ");
        QTest::newRow("una linea") << QByteArray("T\r\n") << QString();
        QTest::newRow("vacio") << QByteArray("") << QString();
        QTest::newRow("falta") << QByteArray() << QString();
    }
    void texto() {
        QFETCH(QByteArray, descripcion);
        QFETCH(QString, comentario);
        prueba::Unidades u;
        if (!descripcion.isNull()) {
            QVERIFY(u.escribir(kDir + "\\DESCRIP.DAT", descripcion));
        }
        acerca::mostrarAcercaDe(nullptr, kDir);
        QCOMPARE(ui::Dialogos::mostrados().size(), 1);
        const ui::DialogoMostrado& d = ui::Dialogos::mostrados().front();
        QCOMPARE(d.titulo, QStringLiteral("Acerca de . . ."));
        QCOMPARE(d.icono, QMessageBox::Information);
        QCOMPARE(d.texto, QString::fromUtf16(acerca::kCredito) + QStringLiteral("\r\n") + comentario);
    }
};

QTEST_MAIN(TstAcercaDe)
#include "tst_acerca_de.moc"

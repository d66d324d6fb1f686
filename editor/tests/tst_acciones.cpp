// The editor's actions without any window: they ask the author only through the Autor they are given, open no
// message box of their own, and return what the window is to tell.

#include "editor/acciones_listas.h"
#include "editor/estado.h"
#include "editor/lista_marcable.h"
#include "editor/resultado.h"
#include "editor/sesion.h"
#include "tests/support/unidades.h"
#include "ui/dialogos.h"

#include <QTest>

namespace {

// Answers every question with the same button and counts them.
class AutorDePrueba : public forja::Autor {
public:
    explicit AutorDePrueba(int respuesta) : respuesta_(respuesta) {}
    int elegir(const QString&, const QStringList&, int, int) override {
        ++preguntas;
        return respuesta_;
    }
    bool confirmar(const QString&) override {
        ++preguntas;
        return respuesta_ == 0;
    }
    QString abrirArchivo(const QString&, const QString&) override {
        ++preguntas;
        return {};
    }
    QWidget* ventana() const override { return nullptr; }

    int preguntas = 0;

private:
    int respuesta_;
};

const QByteArray kCompleta("sol.txt\r\nluna.txt\r\n");

} // namespace

class TstAcciones : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ui::Dialogos::modoPrueba(true); }
    void init() { ui::Dialogos::limpiar(); }

    void guardarLista_preguntaPorElAutorYDevuelveElMensaje_data() {
        QTest::addColumn<QString>("lista");
        QTest::addColumn<int>("respuesta");
        QTest::addColumn<bool>("hecho");
        QTest::addColumn<int>("preguntas");
        QTest::addColumn<QString>("enMensaje"); // empty: nothing to tell
        QTest::addColumn<QByteArray>("completa");
        QTest::newRow("complete list, declined")
            << QStringLiteral("COMPLETA.DAT") << 1 << false << 1 << QString() << kCompleta;
        QTest::newRow("complete list, agreed")
            << QStringLiteral("COMPLETA.DAT") << 0 << true << 1 << QString() << QByteArray("luna.txt\r\n");
        QTest::newRow("no list loaded") << QString() << 0 << false << 0 << QStringLiteral("«Cargar Lista»")
                                        << kCompleta;
        QTest::newRow("not a list file") << QStringLiteral("DESCRIP.DAT") << 0 << false << 0
                                         << QStringLiteral("no se sobrescribe") << kCompleta;
    }
    void guardarLista_preguntaPorElAutorYDevuelveElMensaje() {
        QFETCH(QString, lista);
        QFETCH(int, respuesta);
        QFETCH(bool, hecho);
        QFETCH(int, preguntas);
        QFETCH(QString, enMensaje);
        QFETCH(QByteArray, completa);
        prueba::Unidades u;
        QVERIFY(u.escribir("C:\\ENC\\ASTRO\\COMPLETA.DAT", kCompleta));
        QVERIFY(u.escribir("C:\\ENC\\ASTRO\\DESCRIP.DAT", "Astro\r\n"));
        SesionForja sesion;
        sesion.tomo()->ponerDirectorio(QStringLiteral("C:\\ENC\\ASTRO"));
        sesion.tomo()->articulos()->poner({QStringLiteral("sol.txt"), QStringLiteral("luna.txt")});
        sesion.tomo()->articulos()->marcar(1, true);
        sesion.tomo()->ponerListaActual(lista);
        AutorDePrueba autor(respuesta);

        const forja::Resultado r = forja::AccionesListas(sesion, autor).guardarLista();
        QCOMPARE(r.hecho(), hecho);
        QCOMPARE(autor.preguntas, preguntas);
        QVERIFY(ui::Dialogos::mostrados().isEmpty());
        if (enMensaje.isEmpty()) {
            QVERIFY(r.mensajes().empty());
        } else {
            QCOMPARE(r.mensajes().size(), std::size_t{1});
            QVERIFY2(r.mensajes().front().texto.contains(enMensaje), qPrintable(r.mensajes().front().texto));
        }
        QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\COMPLETA.DAT"), completa);
    }
};

QTEST_MAIN(TstAcciones)
#include "tst_acciones.moc"

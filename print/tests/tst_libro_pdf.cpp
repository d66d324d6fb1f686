// The whole encyclopaedia as one PDF book, written by the real `forja --exportar pdf` with no display and read
// back with pdftotext (one page at a time) and pdfinfo: the title page from DESCRIP.DAT, the contents with every
// title in the order of the complete list, and each article beginning on the page the contents give for it.

#include "store/archivos_de_lista.h"
#include "store/codificacion.h"
#include "store/lector_de_titulos.h"
#include "tests/support/teclas_y_huellas.h"
#include "tests/support/unidades.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Salida {
    int estado = -1;
    QString error; // what forja wrote to its error output
};

Salida forja(const QStringList& argumentos, const QString& unidades) {
    QProcess p;
    QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
    entorno.remove(QStringLiteral("DISPLAY"));
    entorno.remove(QStringLiteral("WAYLAND_DISPLAY"));
    entorno.remove(QStringLiteral("QT_QPA_PLATFORM"));
    entorno.insert(QStringLiteral("LUMBRE_UNIDADES"), unidades);
    p.setProcessEnvironment(entorno);
    p.start(QStringLiteral(LUMBRE_FORJA), argumentos);
    if (!p.waitForFinished(120000)) {
        return {};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardError())};
}

// The text of every page, in order, each line as it stands on the page.
QStringList paginas(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"),
            {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        return {};
    }
    QStringList hojas = QString::fromUtf8(p.readAllStandardOutput()).split(u'\f');
    if (!hojas.isEmpty() && hojas.last().trimmed().isEmpty()) {
        hojas.removeLast();
    }
    for (QString& h : hojas) {
        h = h.simplified();
    }
    return hojas;
}

QString titulo(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    p.waitForFinished(60000);
    const QRegularExpression re(QStringLiteral("^Title:\\s*(.*)$"), QRegularExpression::MultilineOption);
    return re.match(QString::fromUtf8(p.readAllStandardOutput())).captured(1).trimmed();
}

QString utf8(const std::string& cp1252) {
    return QString::fromStdString(store::cp1252AUtf8(cp1252));
}

} // namespace

class TstLibroPdf : public QObject {
    Q_OBJECT

private slots:
    void libro_portadaIndiceYCadaArticuloEnSuPagina_data() {
        QTest::addColumn<QString>("enciclopedia");
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QString>("comentario");
        QTest::newRow("El Sistema Solar") << QStringLiteral("C:\\ENCICLO\\SOLAR") << QStringLiteral("El Sistema Solar")
                                          << QStringLiteral("Un paseo por el Sol, los ocho planetas");
        QTest::newRow("Los ríos de España")
            << QStringLiteral("C:\\ENCICLO\\RIOS") << QStringLiteral("Los ríos de España") << QString();
    }
    void libro_portadaIndiceYCadaArticuloEnSuPagina() {
        QFETCH(QString, enciclopedia);
        QFETCH(QString, nombre);
        QFETCH(QString, comentario);
        prueba::Unidades u;
        QVERIFY(u.instalarMuestras());
        const std::string dir = store::utf8ACp1252(enciclopedia.toStdString()).value();
        const auto antes = prueba::huellas(u.nativa(dir));
        QTemporaryDir salida;
        const QString pdf = salida.filePath(QStringLiteral("libro.pdf"));

        const Salida s = forja({QStringLiteral("--exportar"), QStringLiteral("pdf"), enciclopedia, pdf},
                               u.unidad('c').section(u'/', 0, -2));
        QVERIFY2(s.estado == 0, qPrintable(s.error));
        QCOMPARE(titulo(pdf), nombre);
        QCOMPARE(prueba::huellas(u.nativa(dir)), antes); // nothing written into the encyclopaedia

        // The titles of the complete list, in order, as the store reads them.
        const auto lista = store::leerCompleta(dir);
        QVERIFY(lista);
        store::LectorTitulos lector(dir);
        QStringList titulos;
        for (const std::string_view articulo : *lista) {
            const auto t = lector.titulo(articulo);
            QVERIFY(t);
            titulos << utf8(*t);
        }
        QVERIFY(titulos.size() >= 4);

        const QStringList hojas = paginas(pdf);
        QVERIFY(hojas.size() > titulos.size() + 1);
        QVERIFY2(hojas[0].startsWith(nombre), qPrintable(hojas[0]));
        QVERIFY(hojas[0].contains(comentario));
        QVERIFY2(hojas[1].startsWith(QStringLiteral("Índice")), qPrintable(hojas[1]));

        // Each title in the contents, in order, followed by its page; that page begins with the title.
        qsizetype desde = 0;
        for (const QString& t : titulos) {
            const QRegularExpression linea(QRegularExpression::escape(t) + QStringLiteral(" (\\d+)"));
            const QRegularExpressionMatch m = linea.match(hojas[1], desde);
            QVERIFY2(m.hasMatch(), qPrintable(t + QStringLiteral(" | ") + hojas[1]));
            desde = m.capturedEnd();
            const int pagina = m.captured(1).toInt();
            QVERIFY2(pagina >= 3 && pagina <= hojas.size(), qPrintable(t));
            QVERIFY2(hojas[pagina - 1].startsWith(t), qPrintable(t + QStringLiteral(" | ") + hojas[pagina - 1]));
            QVERIFY2(hojas[pagina - 1].contains(QStringLiteral("Página %1").arg(pagina)),
                     qPrintable(hojas[pagina - 1]));
        }
    }

    // A destination that exists is left alone unless --reemplazar is given.
    void destinoExistente_soloConReemplazar() {
        prueba::Unidades u;
        QVERIFY(u.instalarMuestras());
        QTemporaryDir salida;
        const QString pdf = salida.filePath(QStringLiteral("libro.pdf"));
        QFile viejo(pdf);
        QVERIFY(viejo.open(QIODevice::WriteOnly));
        viejo.write("antes");
        viejo.close();
        const QString raiz = u.unidad('c').section(u'/', 0, -2);
        const QStringList orden{QStringLiteral("--exportar"), QStringLiteral("pdf"),
                                QStringLiteral("C:\\ENCICLO\\RIOS"), pdf};
        QCOMPARE(forja(orden, raiz).estado, 1);
        QFile leido(pdf);
        QVERIFY(leido.open(QIODevice::ReadOnly));
        QCOMPARE(leido.readAll(), QByteArray("antes"));
        leido.close();
        QCOMPARE(forja(orden + QStringList{QStringLiteral("--reemplazar")}, raiz).estado, 0);
        QVERIFY(leido.open(QIODevice::ReadOnly));
        QVERIFY(leido.readAll().startsWith("%PDF"));
    }
};

QTEST_MAIN(TstLibroPdf)
#include "tst_libro_pdf.moc"

// Print and PDF of the article shown, through the real entries of the menu "Enciclotomo" on the sample
// encyclopaedia: what lands in the PDF is read back with pdftotext and pdfinfo (poppler-utils).

#include "main_window/menu_imprimir.h"
#include "main_window/ventana_principal.h"
#include "tests/support/controles.h"
#include "tests/support/unidades.h"
#include "ui/dialogos.h"

#include <QAction>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

using ui::Dialogos;

namespace {

QString ejecutar(const QString& programa, const QStringList& argumentos) {
    QProcess p;
    p.start(programa, argumentos);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        qWarning() << programa << argumentos << p.errorString() << p.readAllStandardError();
        return QString();
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The text of a PDF with every run of white space made one space.
QString textoDe(const QString& pdf) {
    return ejecutar(QStringLiteral("pdftotext"),
                    {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")})
        .simplified();
}

// One field of pdfinfo ("Title", "Pages", "Page size").
QString campo(const QString& pdf, const QString& nombre) {
    const QString info = ejecutar(QStringLiteral("pdfinfo"), {pdf});
    const QRegularExpression re(QStringLiteral("^%1:\\s*(.*)$").arg(nombre), QRegularExpression::MultilineOption);
    return re.match(info).captured(1).trimmed();
}

// Clicks "Cancelar" on the progress dialog as soon as it shows.
void cancelarAlAparecer() {
    auto* reloj = new QTimer;
    reloj->setInterval(1);
    QObject::connect(reloj, &QTimer::timeout, reloj, [reloj] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* d = qobject_cast<QProgressDialog*>(w);
            if (d && d->isVisible()) {
                if (auto* boton = d->findChild<QPushButton*>()) {
                    QTest::mouseClick(boton, Qt::LeftButton);
                    reloj->deleteLater();
                    reloj->stop();
                    return;
                }
            }
        }
    });
    reloj->start();
}

} // namespace

class TstImprimir : public QObject {
    Q_OBJECT

    std::unique_ptr<prueba::Unidades> u;
    std::unique_ptr<VentanaPrincipal> w;
    std::unique_ptr<QTemporaryDir> salida; // a new one for every test
    MenuImprimir* menu() const { return w->findChild<MenuImprimir*>(); }

    QString exportar(const QString& nombre) {
        const QString pdf = salida->filePath(nombre);
        Dialogos::siguienteArchivo(pdf);
        menu()->mnuExportarPdf->trigger();
        return pdf;
    }

private slots:
    void init() {
        Dialogos::modoPrueba(true);
        Dialogos::limpiar();
        u = std::make_unique<prueba::Unidades>();
        QVERIFY(u->instalarMuestras());
        salida = std::make_unique<QTemporaryDir>();
        // An article of real Spanish text with a picture that is not there.
        QVERIFY(u->escribir("C:\\ENCICLO\\SOLAR\\NANDU.TXT",
                            QByteArray("<TIT>El \xF1"
                                       "and\xFA"
                                       " y la cig\xFC"
                                       "e\xF1"
                                       "a\r\n<IMG>FALTA.PNG\r\n"
                                       "Primer p\xE1rrafo: \xBFqu\xE9 a\xF1o fue?\r\n/\r\n/\r\n"
                                       "Segundo p\xE1rrafo, con \xE1\xE9\xED\xF3\xFA y \xD1.\r\n")));
        w = std::make_unique<VentanaPrincipal>();
        QVERIFY(w->Form_Load());
        w->show();
        QVERIFY(menu());
    }
    void cleanup() {
        w.reset();
        u.reset();
        MenuImprimir::usarDialogoDeImpresion({});
    }

    void entradas_enElMenuEnciclotomoConSusTeclas() {
        const auto acciones = prueba::control<QMenu>(*w, "menuFile")->actions();
        QCOMPARE(acciones.size(), 7);
        QCOMPARE(acciones[0], prueba::control<QAction>(*w, "mnuConfig"));
        QCOMPARE(acciones[1], prueba::control<QAction>(*w, "mnuSeleki"));
        QVERIFY(acciones[2]->isSeparator());
        QCOMPARE(acciones[3], menu()->mnuImprimir);
        QCOMPARE(acciones[4], menu()->mnuExportarPdf);
        QCOMPARE(acciones[5], prueba::control<QAction>(*w, "mnuSeparar"));
        QCOMPARE(acciones[6], prueba::control<QAction>(*w, "mnuSalir"));
        QCOMPARE(menu()->mnuImprimir->text(), QStringLiteral("Imprimir…"));
        QCOMPARE(menu()->mnuExportarPdf->text(), QStringLiteral("Exportar a PDF…"));
        QCOMPARE(menu()->mnuImprimir->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    }

    // What the article holds comes out in the PDF in reading order: title, body, each illustration's
    // title and caption; a picture that is missing is said to be so and the rest still printed.
    void exportarPdf_llevaElArticuloEnOrden_data() {
        QTest::addColumn<QString>("articulo");
        QTest::addColumn<QString>("titulo");
        QTest::addColumn<QStringList>("enOrden");
        QTest::newRow("dos ilustraciones")
            << QStringLiteral("SOL.TXT") << QStringLiteral("El Sol")
            << QStringList{QStringLiteral("El Sol"), QStringLiteral("El Sol es la estrella del Sistema Solar"),
                           QStringLiteral("¡Nunca hay que mirar el Sol directamente"),
                           QStringLiteral("Las capas del Sol"), QStringLiteral("donde se produce la energía")};
        QTest::newRow("acentos y una imagen que falta")
            << QStringLiteral("NANDU.TXT") << QStringLiteral("El ñandú y la cigüeña")
            << QStringList{QStringLiteral("El ñandú y la cigüeña"), QStringLiteral("Primer párrafo: ¿qué año fue?"),
                           QStringLiteral("Segundo párrafo, con áéíóú y Ñ."), QStringLiteral("Imagen no disponible")};
    }
    void exportarPdf_llevaElArticuloEnOrden() {
        QFETCH(QString, articulo);
        QFETCH(QString, titulo);
        QFETCH(QStringList, enOrden);
        QVERIFY(w->leerArticulo(articulo.toStdString()));
        const QString pdf = exportar(articulo.section(u'.', 0, 0));                                  // ".pdf" is added
        QVERIFY2(Dialogos::mostrados().size() == 1, qPrintable(Dialogos::mostrados().last().texto)); // the file dialog
        const QString texto = textoDe(pdf + QStringLiteral(".pdf"));
        qsizetype desde = 0;
        for (const QString& parte : enOrden) {
            const qsizetype donde = texto.indexOf(parte, desde);
            QVERIFY2(donde >= 0, qPrintable(parte + QStringLiteral(" | ") + texto));
            desde = donde + parte.size();
        }
        QVERIFY(texto.contains(QStringLiteral("Página 1")));
        QCOMPARE(campo(pdf + QStringLiteral(".pdf"), QStringLiteral("Title")), titulo);
        QVERIFY(campo(pdf + QStringLiteral(".pdf"), QStringLiteral("Page size")).contains(QStringLiteral("(A4)")));
        // Nothing beside it: no temporary file left.
        QCOMPARE(QDir(salida->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QFileInfo(pdf).fileName() + QStringLiteral(".pdf")});
    }

    // A destination that exists is replaced only when the reader says so.
    void exportarPdf_destinoExistente_preguntaAntes_data() {
        QTest::addColumn<int>("respuesta");
        QTest::addColumn<bool>("reemplazado");
        QTest::newRow("no") << int(QMessageBox::No) << false;
        QTest::newRow("sí") << int(QMessageBox::Yes) << true;
    }
    void exportarPdf_destinoExistente_preguntaAntes() {
        QFETCH(int, respuesta);
        QFETCH(bool, reemplazado);
        const QString pdf = salida->filePath(QStringLiteral("viejo.pdf"));
        QFile viejo(pdf);
        QVERIFY(viejo.open(QIODevice::WriteOnly));
        viejo.write("antes");
        viejo.close();
        Dialogos::siguienteRespuesta(static_cast<QMessageBox::StandardButton>(respuesta));
        exportar(QStringLiteral("viejo.pdf"));
        QCOMPARE(Dialogos::mostrados().size(), 2);
        QCOMPARE(Dialogos::mostrados()[1].icono, QMessageBox::Question);
        QFile leido(pdf);
        QVERIFY(leido.open(QIODevice::ReadOnly));
        QCOMPARE(leido.readAll().startsWith("%PDF"), reemplazado);
    }

    // Cancelled while the pages are being made: no file, not even a temporary one.
    void exportarPdf_cancelado_noDejaNada() {
        QByteArray largo("<TIT>Largo\r\n");
        for (int i = 0; i < 3000; ++i) {
            largo += "Un p\xE1rrafo de relleno que ocupa su sitio en la p\xE1gina, una y otra vez.\r\n/\r\n/\r\n";
        }
        QVERIFY(u->escribir("C:\\ENCICLO\\SOLAR\\LARGO.TXT", largo));
        QVERIFY(w->leerArticulo("LARGO.TXT"));
        cancelarAlAparecer();
        exportar(QStringLiteral("largo.pdf"));
        QCOMPARE(QDir(salida->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }

    // "Imprimir…" prints what the PDF holds, with the article's title as the document's name; a dialog
    // closed without printing prints nothing.
    void imprimir_conElDialogoDeImpresion_data() {
        QTest::addColumn<bool>("acepta");
        QTest::newRow("imprime") << true;
        QTest::newRow("cancela") << false;
    }
    void imprimir_conElDialogoDeImpresion() {
        QFETCH(bool, acepta);
        const QString pdf = salida->filePath(QStringLiteral("impreso.pdf"));
        QString nombre;
        MenuImprimir::usarDialogoDeImpresion([&](QPrinter& impresora, QWidget*) {
            nombre = impresora.docName();
            impresora.setOutputFormat(QPrinter::PdfFormat);
            impresora.setOutputFileName(pdf);
            return acepta;
        });
        QVERIFY(w->leerArticulo("SOL.TXT"));
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QTest::keyClick(w.get(), Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(nombre, QStringLiteral("El Sol"));
        QCOMPARE(QFile::exists(pdf), acepta);
        if (acepta) {
            QVERIFY(textoDe(pdf).contains(QStringLiteral("Las capas del Sol")));
            QCOMPARE(campo(pdf, QStringLiteral("Title")), QStringLiteral("El Sol"));
        }
        QVERIFY(Dialogos::mostrados().isEmpty());
    }
};

QTEST_MAIN(TstImprimir)
#include "tst_imprimir.moc"

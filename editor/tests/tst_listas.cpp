// Adding, loading and saving lists in the main window.

#include "editor/lista_marcable.h"
#include "editor/sesion.h"
#include "editor/taller.h"
#include "editor/tests/ayudas.h"
#include "tests/support/listas.h"
#include "tests/support/unidades.h"
#include "ui/dialogos.h"

#include <QAccessible>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using namespace prueba;
using ui::Dialogos;

namespace {

QString ultimoMensaje() {
    return Dialogos::mostrados().isEmpty() ? QString() : Dialogos::mostrados().last().texto;
}

// ASTRO with the articles of `completa` (as the complete list holds them) and the list Planetas holding
// `lista`, loaded in the window.
void prepararListas(Unidades& u, Taller& t, const QByteArray& completa, const QByteArray& lista) {
    prepararTomo(t);
    agregarLista(t, QStringLiteral("Planetas"));
    u.escribir("C:\\ENC\\ASTRO\\COMPLETA.DAT", completa);
    u.escribir("C:\\ENC\\ASTRO\\Planetas.dat", lista);
    cargarTomo(t, QStringLiteral("C:\\ENC\\ASTRO"));
}

} // namespace

class TstListas : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Dialogos::modoPrueba(true); }
    void init() { Dialogos::limpiar(); }

    void lstAdd_appendsNameAndWritesOneEmptyLine();
    void lstLoad_ticksExactMatchesOnly_data();
    void lstLoad_ticksExactMatchesOnly();
    void lstSave_writesTickedInOrderOfCompleteList_data();
    void lstSave_writesTickedInOrderOfCompleteList();
    void lstSave_typedFileName_isWrittenButNotRegistered();
    void completeList_savedOnlyWhenConfirmed_andRepairable();
    void lstAdd_keepsTicksAndCurrentList();
    void lstLoad_nothingSelected_changesNothing();
    void listArticles_spaceTicksTheCurrentOneAsAClickDoes();
    void completeList_sharesNamesButNeverTheBoxes();
};

void TstListas::lstAdd_appendsNameAndWritesOneEmptyLine() {
    Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    prepararTomo(t);
    agregarLista(t, QStringLiteral("Planetas"));
    agregarLista(t, QStringLiteral(" Lunas "));
    QVERIFY2(Dialogos::mostrados().isEmpty(), qPrintable(ultimoMensaje()));
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\LISTAS.DAT"), QByteArray("Planetas\r\n Lunas \r\n"));
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\Planetas.dat"), QByteArray("\r\n"));
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\ Lunas .dat"), QByteArray("\r\n"));
    QCOMPARE(t.lstListas->model()->rowCount(), 2);
    QCOMPARE(t.lstListas->model()->index(1, 0).data().toString(), QStringLiteral(" Lunas "));
    QCOMPARE(t.txtLstNew->text(), QString());
}

void TstListas::lstLoad_ticksExactMatchesOnly_data() {
    QTest::addColumn<QByteArray>("completa");
    QTest::addColumn<QByteArray>("lista");
    QTest::addColumn<QList<int>>("filas");
    const QByteArray completa("sol.txt\r\nMapa.txt\r\nluna.txt\r\n");
    QTest::newRow("new list: its empty line ticks nothing") << completa << QByteArray("\r\n") << QList<int>{};
    QTest::newRow("in any order") << completa << QByteArray("luna.txt\r\nsol.txt\r\n") << QList<int>{0, 2};
    QTest::newRow("letter case matters") << completa << QByteArray("MAPA.TXT\r\nmapa.txt\r\n") << QList<int>{};
    QTest::newRow("spaces matter") << completa << QByteArray(" sol.txt\r\nsol.txt \r\n") << QList<int>{};
    QTest::newRow("unknown and repeated names")
        << completa << QByteArray("viejo.txt\r\nluna.txt\r\nluna.txt\r\n") << QList<int>{2};
    QTest::newRow("twice in the complete list: first only")
        << QByteArray("sol.txt\r\nluna.txt\r\nsol.txt\r\n") << QByteArray("sol.txt\r\n") << QList<int>{0};
    QTest::newRow("empty file") << completa << QByteArray("") << QList<int>{};
}

void TstListas::lstLoad_ticksExactMatchesOnly() {
    QFETCH(QByteArray, completa);
    QFETCH(QByteArray, lista);
    QFETCH(QList<int>, filas);
    Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    prepararListas(u, t, completa, lista);
    // Ticks left over from before are cleared by loading.
    marcar(t.lstLstArts, 1);
    cargarLista(t, QStringLiteral("Planetas"));
    QVERIFY2(Dialogos::mostrados().isEmpty(), qPrintable(ultimoMensaje()));
    QCOMPARE(marcados(t.lstLstArts), filas);
    QCOMPARE(t.txtLista->text(), QStringLiteral("Planetas.dat"));
}

void TstListas::lstSave_writesTickedInOrderOfCompleteList_data() {
    QTest::addColumn<QByteArray>("lista");
    QTest::addColumn<QList<int>>("clics");
    QTest::addColumn<QByteArray>("guardada");
    QTest::newRow("order of the complete list, not of the file")
        << QByteArray("luna.txt\r\nsol.txt\r\n") << QList<int>{} << QByteArray("sol.txt\r\nluna.txt\r\n");
    QTest::newRow("ticked in reverse order")
        << QByteArray("\r\n") << QList<int>{2, 1, 0} << QByteArray("sol.txt\r\nMapa.txt\r\nluna.txt\r\n");
    QTest::newRow("nothing ticked: empty file") << QByteArray("\r\n") << QList<int>{} << QByteArray("");
    QTest::newRow("unknown lines dropped")
        << QByteArray("viejo.txt\r\nMapa.txt\r\n\r\n") << QList<int>{} << QByteArray("Mapa.txt\r\n");
    QTest::newRow("untick one") << QByteArray("sol.txt\r\nluna.txt\r\n") << QList<int>{0} << QByteArray("luna.txt\r\n");
}

void TstListas::lstSave_writesTickedInOrderOfCompleteList() {
    QFETCH(QByteArray, lista);
    QFETCH(QList<int>, clics);
    QFETCH(QByteArray, guardada);
    Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    prepararListas(u, t, "sol.txt\r\nMapa.txt\r\nluna.txt\r\n", lista);
    cargarLista(t, QStringLiteral("Planetas"));
    for (const int fila : clics) {
        marcar(t.lstLstArts, fila);
    }
    const QByteArray indice = u.bytes("C:\\ENC\\ASTRO\\LISTAS.DAT");
    pulsar(t.cmdLstSave);
    QVERIFY2(Dialogos::mostrados().isEmpty(), qPrintable(ultimoMensaje()));
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\Planetas.dat"), guardada);
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\LISTAS.DAT"), indice);
}

void TstListas::lstSave_typedFileName_isWrittenButNotRegistered() {
    Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    prepararListas(u, t, "sol.txt\r\nluna.txt\r\n", "sol.txt\r\n");
    cargarLista(t, QStringLiteral("Planetas"));
    escribir(t.txtLista, QStringLiteral("Otra.dat"));
    pulsar(t.cmdLstSave);
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\Otra.dat"), QByteArray("sol.txt\r\n"));
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\LISTAS.DAT"), QByteArray("Planetas\r\n"));
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\Planetas.dat"), QByteArray("sol.txt\r\n"));
}

// The complete list is a list file too, but saving the ticks over it drops the other articles from the
// encyclopaedia: it is asked first, saying how many articles would stay, and Enter changes nothing. An
// article file left out of it can then be listed again as it stands.
void TstListas::completeList_savedOnlyWhenConfirmed_andRepairable() {
    Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    prepararListas(u, t, "sol.txt\r\nluna.txt\r\n", "sol.txt\r\n");
    u.escribir("C:\\ENC\\ASTRO\\sol.txt", "<TIT>Sol\r\n");
    u.escribir("C:\\ENC\\ASTRO\\luna.txt", "<TIT>Luna\r\n");
    escribir(t.txtLista, QStringLiteral("completa.dat"));
    marcar(t.lstLstArts, 0);
    const struct {
        const char* boton; // none: Enter
        const char* cuantos;
        QByteArray completa;
    } pasos[] = {
        {nullptr, "un solo artículo", "sol.txt\r\nluna.txt\r\n"},
        {"No guardar", "un solo artículo", "sol.txt\r\nluna.txt\r\n"},
        {"Guardar la lista completa", "un solo artículo", "sol.txt\r\n"},
    };
    for (const auto& paso : pasos) {
        Dialogos::limpiar();
        if (paso.boton) {
            Dialogos::siguienteBoton(QString::fromUtf8(paso.boton));
        }
        pulsar(t.cmdLstSave);
        QCOMPARE(Dialogos::mostrados().size(), 1);
        QVERIFY2(ultimoMensaje().contains(QString::fromUtf8(paso.cuantos)), qPrintable(ultimoMensaje()));
        QCOMPARE(Dialogos::mostrados().first().botones.value(Dialogos::mostrados().first().porDefecto),
                 QStringLiteral("No guardar"));
        QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\COMPLETA.DAT"), paso.completa);
    }
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\LISTAS.DAT"), QByteArray("Planetas\r\n"));

    // luna.txt is no longer listed; adding it offers to list the existing file, and Enter changes nothing.
    cargarTomo(t, QStringLiteral("C:\\ENC\\ASTRO"));
    Dialogos::limpiar();
    const auto antes = instantanea(u);
    agregarArticulo(t, QStringLiteral("luna.txt"));
    QCOMPARE(Dialogos::mostrados().size(), 1);
    QCOMPARE(Dialogos::mostrados().first().icono, QMessageBox::Question);
    QVERIFY(instantanea(u) == antes);
    Dialogos::limpiar();
    Dialogos::siguienteBoton(QStringLiteral("Agregar el artículo existente"));
    agregarArticulo(t, QStringLiteral("luna.txt"));
    QCOMPARE(Dialogos::mostrados().size(), 1);
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\COMPLETA.DAT"), QByteArray("sol.txt\r\nluna.txt\r\n"));
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\luna.txt"), QByteArray("<TIT>Luna\r\n"));
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\ULTIMO.DAT"), QByteArray("luna.txt\r\n"));
    QCOMPARE(t.lstArticulos->count(), 2);
    QCOMPARE(t.lstLstArts->count(), 2);
}

// The list's boxes are the view's own: the keyboard ticks them as a click does, and a screen reader is told.
void TstListas::listArticles_spaceTicksTheCurrentOneAsAClickDoes() {
    Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    prepararListas(u, t, "sol.txt\r\nluna.txt\r\n", "");
    cargarLista(t, QStringLiteral("Planetas"));
    t.lstLstArts->setFocus();
    t.lstLstArts->setCurrentIndex(t.lstLstArts->model()->index(1, 0));
    QTest::keyClick(t.lstLstArts, Qt::Key_Space);
    QCOMPARE(marcados(t.lstLstArts), QList<int>{1});
    QAccessibleInterface* lista = QAccessible::queryAccessibleInterface(t.lstLstArts);
    QVERIFY(lista && lista->tableInterface());
    QAccessibleInterface* celda = lista->tableInterface()->cellAt(1, 0);
    QVERIFY(celda);
    QVERIFY(celda->state().checkable);
    QVERIFY(celda->state().checked);
    QCOMPARE(celda->text(QAccessible::Name), QStringLiteral("luna.txt"));
    QTest::keyClick(t.lstLstArts, Qt::Key_Space);
    QCOMPARE(marcados(t.lstLstArts), QList<int>{});
}

// The complete list shows the list's very names, without boxes: neither a click at the left of an entry nor
// Space there ticks the list, and a screen reader hears a plain entry.
void TstListas::completeList_sharesNamesButNeverTheBoxes() {
    Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    prepararListas(u, t, "sol.txt\r\nluna.txt\r\n", "luna.txt\r\n");
    cargarLista(t, QStringLiteral("Planetas"));
    QCOMPARE(textos(t.lstArticulos), textos(t.lstLstArts));
    marcar(t.lstArticulos, 0);
    t.lstArticulos->setFocus();
    QTest::keyClick(t.lstArticulos, Qt::Key_Space);
    QCOMPARE(marcados(t.lstLstArts), QList<int>{1});
    QCOMPARE(marcados(t.lstArticulos), QList<int>{});
    QAccessibleInterface* lista = QAccessible::queryAccessibleInterface(t.lstArticulos);
    QVERIFY(lista && lista->tableInterface());
    QAccessibleInterface* celda = lista->tableInterface()->cellAt(0, 0);
    QVERIFY(celda);
    QVERIFY(!celda->state().checkable);
    QCOMPARE(celda->text(QAccessible::Name), QStringLiteral("sol.txt"));
    // What the click selected is what the article button opens.
    u.escribir("C:\\ENC\\ASTRO\\sol.txt", "<TIT>Sol\r\n");
    pulsar(t.txtArtLoad);
    QCOMPARE(t.txtArticulo->text(), QStringLiteral("sol.txt"));
}

void TstListas::lstAdd_keepsTicksAndCurrentList() {
    Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    prepararListas(u, t, "sol.txt\r\nluna.txt\r\n", "luna.txt\r\n");
    cargarLista(t, QStringLiteral("Planetas"));
    agregarLista(t, QStringLiteral("Lunas"));
    QCOMPARE(t.txtLista->text(), QStringLiteral("Planetas.dat"));
    QCOMPARE(marcados(t.lstLstArts), QList<int>{1});
    // So an immediate save writes the list loaded before.
    marcar(t.lstLstArts, 0);
    pulsar(t.cmdLstSave);
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\Planetas.dat"), QByteArray("sol.txt\r\nluna.txt\r\n"));
    QCOMPARE(u.bytes("C:\\ENC\\ASTRO\\Lunas.dat"), QByteArray("\r\n"));
    // Reloading the encyclopaedia drops unsaved ticks but keeps the list's file name.
    marcar(t.lstLstArts, 0);
    cargarTomo(t, QStringLiteral("C:\\ENC\\ASTRO"));
    QCOMPARE(marcados(t.lstLstArts), QList<int>{});
    QCOMPARE(t.txtLista->text(), QStringLiteral("Planetas.dat"));
}

void TstListas::lstLoad_nothingSelected_changesNothing() {
    Unidades u;
    SesionForja sesion;
    Taller t(sesion);
    prepararListas(u, t, "sol.txt\r\n", "sol.txt\r\n");
    marcar(t.lstLstArts, 0);
    t.txtLista->setText(QStringLiteral("x.dat"));
    pulsar(t.cmdLstLoad);
    QCOMPARE(marcados(t.lstLstArts), QList<int>{0});
    QCOMPARE(t.txtLista->text(), QStringLiteral("x.dat"));
    QVERIFY(Dialogos::mostrados().isEmpty());
}

QTEST_MAIN(TstListas)
#include "tst_listas.moc"

// Spelling in the article editor: real Spanish sentences typed into the title, body and caption boxes, the
// context menu's suggestions, personal word list and "Ignorar", the encyclopaedia's dictionary words, the
// switch, and a long body of which only what is in sight is looked at.

#include "editor/ortografia.h"
#include "editor/sesion.h"
#include "editor/subrayado.h"
#include "editor/taller.h"
#include "editor/taller_art.h"
#include "editor/tests/ayudas.h"
#include "lexico/raices_espanolas.h"
#include "tests/support/teclas_y_huellas.h"
#include "tests/support/unidades.h"
#include "ui/dialogos.h"

#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <QTextBlock>

using namespace prueba;
using ortografia::Ortografia;
using ortografia::Subrayado;
using ui::Dialogos;

namespace {

// Waits until the spelling has answered every word in sight, and returns what is underlined.
QStringList subrayadas(Subrayado* s) {
    s->actualizar();
    if (!QTest::qWaitFor([] { return !Ortografia::compartida().ocupada(); }, 20000)) {
        qWarning("la ortografía no respondió");
    }
    s->actualizar();
    return s->subrayadas();
}

QAction* accion(QMenu* menu, const QString& nombre) {
    for (QAction* a : menu->actions()) {
        if (a->objectName() == nombre) {
            return a;
        }
    }
    return nullptr;
}

// The point of the box's viewport over the first letter of `palabra`.
QPoint sobre(QPlainTextEdit* caja, const QString& palabra) {
    QTextCursor c(caja->document());
    c.setPosition(static_cast<int>(caja->toPlainText().indexOf(palabra)) + 1);
    return caja->cursorRect(c).center();
}

} // namespace

class TstOrtografia : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        Dialogos::modoPrueba(true);
        QVERIFY2(Ortografia::compartida().disponible(), "falta el diccionario español de Hunspell (hunspell-es)");
        // Known below only through the encyclopaedia's DICT.DAT.
        Ortografia sola(lexico::rutaDiccionario());
        sola.estado(QStringLiteral("Fontibre"));
        QTRY_VERIFY_WITH_TIMEOUT(!sola.ocupada(), 20000);
        QCOMPARE(sola.estado(QStringLiteral("Fontibre")), Ortografia::Estado::Desconocida);
    }
    void init() {
        Dialogos::limpiar();
        u_ = std::make_unique<Unidades>();
        Ortografia::compartida().activar(true);
        sesion_ = std::make_unique<SesionForja>();
        t_ = std::make_unique<Taller>(*sesion_);
        prepararTomo(*t_);
        u_->escribir("C:\\ENC\\ASTRO\\DICT.DAT", "FONTIBRE  Pueblo de Cantabria\r\nSOL  /SOL.TXT\r\n");
        u_->escribir("C:\\ENC\\ASTRO\\a.txt", "\r\n");
        u_->escribir("C:\\ENC\\ASTRO\\COMPLETA.DAT", "a.txt\r\n");
        cargarTomo(*t_, QStringLiteral("C:\\ENC\\ASTRO"));
        cargarArticulo(*t_, QStringLiteral("a.txt"));
        art_ = t_->tallerArt();
        QVERIFY(art_);
        art_->txtArtText->clear();
        art_->txtSub->clear();
        QVERIFY(QTest::qWaitForWindowExposed(art_));
    }
    void cleanup() {
        if (art_) {
            art_->cerrarSinPreguntar();
        }
        borrarPendientes();
        t_.reset();
        sesion_.reset();
        u_.reset();
    }

    void boxes_underlineWhatSpanishDoesNotKnow_data();
    void boxes_underlineWhatSpanishDoesNotKnow();
    void menu_suggestsReplacesAddsAndIgnores();
    void switch_isRememberedAndClearsTheUnderlines();
    void underlines_areNoChangeOfTheArticle();
    void longBody_onlyWhatIsInSightIsLookedAt();

private:
    std::unique_ptr<Unidades> u_;
    std::unique_ptr<SesionForja> sesion_;
    std::unique_ptr<Taller> t_;
    QPointer<TallerArt> art_;
};

void TstOrtografia::boxes_underlineWhatSpanishDoesNotKnow_data() {
    QTest::addColumn<QString>("caja");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QStringList>("subrayadas");
    QTest::newRow("accents and ñ are words of their own")
        << "txtArtText" << QStringLiteral("Mañana iré a Cádiz; el camión cruzó el río y la cigüeña voló.")
        << QStringList{};
    QTest::newRow("a missing accent and misspellings")
        << "txtArtText" << QStringLiteral("El arbol está ezcrito con herrores.")
        << QStringList{QStringLiteral("arbol"), QStringLiteral("ezcrito"), QStringLiteral("herrores")};
    QTest::newRow("the encyclopaedia's dictionary words are known, numbers are no words")
        << "txtArtText" << QStringLiteral("El Ebro nace en Fontibre, a 880 m, en 1ª línea.") << QStringList{};
    QTest::newRow("tag lines of the body are not checked")
        << "txtArtText" << QStringLiteral("<CST>ladoo.bmp\nEl planeta rrojo.") << QStringList{QStringLiteral("rrojo")};
    QTest::newRow("the caption box, tags and all")
        << "txtSub" << QStringLiteral("<Mapa> de la kosta\nnorte") << QStringList{QStringLiteral("kosta")};
    QTest::newRow("the title box") << "txtTitulo" << QStringLiteral("Historia de Sevila y Córdoba")
                                   << QStringList{QStringLiteral("Sevila")};
}

void TstOrtografia::boxes_underlineWhatSpanishDoesNotKnow() {
    QFETCH(QString, caja);
    QFETCH(QString, texto);
    QFETCH(QStringList, subrayadas);
    QWidget* w = art_->findChild<QWidget*>(caja);
    QVERIFY(w);
    if (auto* l = qobject_cast<QLineEdit*>(w)) {
        l->clear();
    }
    w->setFocus();
    prueba::escribir(w, texto);
    Subrayado* s = caja == QLatin1String("txtTitulo") ? art_->ortografiaTitulo
                   : caja == QLatin1String("txtSub")  ? art_->ortografiaEpigrafe
                                                      : art_->ortografiaCuerpo;
    const QStringList halladas = ::subrayadas(s);
    QVERIFY2(halladas == subrayadas, qPrintable(halladas.join(QLatin1Char(','))));
}

void TstOrtografia::menu_suggestsReplacesAddsAndIgnores() {
    art_->txtArtText->setPlainText(QStringLiteral("El arbol de Zarquinés y el de Plobrintia."));
    QCOMPARE(subrayadas(art_->ortografiaCuerpo),
             (QStringList{QStringLiteral("arbol"), QStringLiteral("Zarquinés"), QStringLiteral("Plobrintia")}));

    // The first suggestion for the missing accent is the word with it, and choosing it replaces the word.
    std::unique_ptr<QMenu> menu(art_->ortografiaCuerpo->menuPara(sobre(art_->txtArtText, QStringLiteral("arbol"))));
    QAction* primera = menu->actions().value(0);
    QVERIFY(primera);
    QCOMPARE(primera->text(), QStringLiteral("árbol"));
    QVERIFY(accion(menu.get(), QStringLiteral("mnuAgregarPalabra")));
    primera->trigger();
    QCOMPARE(art_->txtArtText->toPlainText(), QStringLiteral("El árbol de Zarquinés y el de Plobrintia."));
    QVERIFY(art_->hayCambios());

    // Added to the personal word list: written to the user's configuration, and known from then on.
    menu.reset(art_->ortografiaCuerpo->menuPara(sobre(art_->txtArtText, QStringLiteral("Zarquinés"))));
    accion(menu.get(), QStringLiteral("mnuAgregarPalabra"))->trigger();
    QFile personal(Ortografia::rutaPersonal());
    QVERIFY(personal.fileName().startsWith(u_->configuracion()));
    QVERIFY(personal.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromUtf8(personal.readAll()).split(QLatin1Char('\n')).contains(QStringLiteral("Zarquinés")));
    QCOMPARE(Ortografia(lexico::rutaDiccionario()).estado(QStringLiteral("Zarquinés")), Ortografia::Estado::Conocida);

    // Ignored: known in this run, written nowhere.
    menu.reset(art_->ortografiaCuerpo->menuPara(sobre(art_->txtArtText, QStringLiteral("Plobrintia"))));
    accion(menu.get(), QStringLiteral("mnuIgnorarPalabra"))->trigger();
    QCOMPARE(subrayadas(art_->ortografiaCuerpo), QStringList{});
    QVERIFY(Ortografia(lexico::rutaDiccionario()).estado(QStringLiteral("Plobrintia")) != Ortografia::Estado::Conocida);
    // A well spelled word offers no spelling entries, only the switch.
    menu.reset(art_->ortografiaCuerpo->menuPara(sobre(art_->txtArtText, QStringLiteral("de"))));
    QVERIFY(!accion(menu.get(), QStringLiteral("mnuAgregarPalabra")));
    QVERIFY(accion(menu.get(), QStringLiteral("mnuOrtografia")));
}

void TstOrtografia::switch_isRememberedAndClearsTheUnderlines() {
    art_->txtArtText->setPlainText(QStringLiteral("Un herror."));
    QCOMPARE(subrayadas(art_->ortografiaCuerpo), QStringList{QStringLiteral("herror")});
    std::unique_ptr<QMenu> menu(art_->ortografiaCuerpo->menuPara(QPoint(1, 1)));
    QAction* interruptor = accion(menu.get(), QStringLiteral("mnuOrtografia"));
    QVERIFY(interruptor && interruptor->isChecked());
    interruptor->trigger();
    QCOMPARE(subrayadas(art_->ortografiaCuerpo), QStringList{});
    QVERIFY(art_->txtArtText->extraSelections().isEmpty());
    // The next start of the program remembers it.
    QVERIFY(!Ortografia(lexico::rutaDiccionario()).activa());
    Ortografia::compartida().activar(true);
    QVERIFY(Ortografia(lexico::rutaDiccionario()).activa());
    QCOMPARE(subrayadas(art_->ortografiaCuerpo), QStringList{QStringLiteral("herror")});
    QCOMPARE(art_->txtArtText->extraSelections().size(), 1);
}

// Underlining is no change of the author's: an article loaded with a misspelt title closes without a question.
void TstOrtografia::underlines_areNoChangeOfTheArticle() {
    art_->cerrarSinPreguntar();
    borrarPendientes();
    u_->escribir("C:\\ENC\\ASTRO\\a.txt", "<TIT>Historia de Sevila\r\nUn herror.\r\n");
    cargarArticulo(*t_, QStringLiteral("a.txt"));
    art_ = t_->tallerArt();
    QVERIFY(art_);
    QCOMPARE(subrayadas(art_->ortografiaTitulo), QStringList{QStringLiteral("Sevila")});
    QCOMPARE(subrayadas(art_->ortografiaCuerpo), QStringList{QStringLiteral("herror")});
    QVERIFY(!art_->hayCambios());
    QCOMPARE(art_->txtTitulo->text(), QStringLiteral("Historia de Sevila"));
}

void TstOrtografia::longBody_onlyWhatIsInSightIsLookedAt() {
    QStringList lineas;
    for (int i = 0; i < 5000; ++i) {
        lineas << QStringLiteral("El Sol es la estrella del sistema solar y la Tierra gira a su alrededor.");
    }
    lineas << QStringLiteral("Al final hay un herror.");
    art_->txtArtText->setPlainText(lineas.join(QLatin1Char('\n')));
    QCOMPARE(subrayadas(art_->ortografiaCuerpo), QStringList{});
    art_->txtArtText->verticalScrollBar()->setValue(art_->txtArtText->verticalScrollBar()->maximum());
    QCOMPARE(subrayadas(art_->ortografiaCuerpo), QStringList{QStringLiteral("herror")});
}

QTEST_MAIN(TstOrtografia)
#include "tst_ortografia.moc"

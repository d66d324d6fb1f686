// Measures of the article editor's spelling, offscreen.
//
// spell_10mb   a body of 10 MB of Spanish text in the article editor's body box: the longest time between two
//              turns of the event loop while the author types into it, jumping now and then to another part of
//              the text so that words never seen before come into sight (target 0.05 s). Also reported: how
//              long the spelling takes to check every word of the whole body.

#include "measure.h"

#include "editor/ortografia.h"
#include "editor/subrayado.h"
#include "lexico/raices_espanolas.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QSet>
#include <QTextBlock>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <random>

namespace {

// About 10 MB of paragraphs: real sentences, a few misspelt words, and words made of Spanish syllables so
// that the body holds tens of thousands of different words, as a long real text does.
QString cuerpo10mb() {
    const QStringList frases = {
        QStringLiteral("El río Ebro nace en Fontibre, en Cantabria, y desemboca en el mar Mediterráneo."),
        QStringLiteral("La cigüeña construyó su nido sobre el campanario de la iglesia románica."),
        QStringLiteral("Durante el siglo XVI, los navegantes españoles cruzaron el océano Pacífico."),
        QStringLiteral("El arbol mas alto del parque tiene más de trescientos años de antigüedad."),
        QStringLiteral("Mañana iré a Cádiz para ver cómo los barcos atracan en el puerto."),
        QStringLiteral("La fotosíntesis transforma la energía de la luz en energía química."),
    };
    const QStringList silabas = {QStringLiteral("ca"),  QStringLiteral("ño"), QStringLiteral("tá"),
                                 QStringLiteral("ri"),  QStringLiteral("lo"), QStringLiteral("men"),
                                 QStringLiteral("gu"),  QStringLiteral("sé"), QStringLiteral("pra"),
                                 QStringLiteral("dis"), QStringLiteral("ví"), QStringLiteral("zo")};
    std::mt19937 azar(7);
    QString texto;
    texto.reserve(10 << 20);
    while (texto.size() < (10 << 20)) {
        QString parrafo;
        for (int i = 0; i < 4; ++i) {
            parrafo += frases[static_cast<int>(azar() % frases.size())] + QLatin1Char(' ');
            QString inventada;
            for (int s = 0; s < 4; ++s) {
                inventada += silabas[static_cast<int>(azar() % silabas.size())];
            }
            parrafo += inventada + QLatin1Char(' ');
        }
        texto += parrafo + QLatin1Char('\n');
    }
    return texto;
}

// The longest time between two turns of the event loop: a timer due every millisecond records how late it is.
class Huecos {
public:
    Huecos() {
        temporizador_.setTimerType(Qt::PreciseTimer);
        temporizador_.setInterval(1);
        QObject::connect(&temporizador_, &QTimer::timeout, [this] {
            const qint64 ahora = reloj_.nsecsElapsed();
            peor_ = std::max(peor_, ahora - anterior_);
            anterior_ = ahora;
        });
    }
    void empezar() {
        reloj_.start();
        anterior_ = 0;
        temporizador_.start();
    }
    void parar() {
        temporizador_.stop();
        peor_ = std::max(peor_, reloj_.nsecsElapsed() - anterior_);
    }
    double peorSegundos() const { return static_cast<double>(peor_) / 1e9; }

private:
    QTimer temporizador_;
    QElapsedTimer reloj_;
    qint64 anterior_ = 0;
    qint64 peor_ = 0;
};

void esperar(const std::function<bool()>& hecho) {
    while (!hecho()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
}

bench::Resultado spell10mb() {
    auto& o = ortografia::Ortografia::compartida();
    if (!o.disponible()) {
        std::fprintf(stderr, "spell_10mb: falta el diccionario español de Hunspell\n");
        return bench::Resultado{1e9, 0, "s"};
    }
    o.activar(true);
    const QString texto = cuerpo10mb();

    // Every word of the whole body, checked by the spelling's worker.
    QSet<QString> distintas;
    for (const ortografia::Palabra& p : ortografia::palabrasDe(texto)) {
        distintas.insert(texto.mid(p.inicio, p.largo));
    }
    const double todo = bench::segundos([&] {
        for (const QString& p : distintas) {
            o.estado(p);
        }
        esperar([&] { return !o.ocupada(); });
    });
    std::printf("spell_10mb: revisar todo el cuerpo (%.1f MB, %lld palabras distintas): %.3g s\n",
                static_cast<double>(texto.size()) / (1 << 20), static_cast<long long>(distintas.size()), todo);

    // Typing: the words met are new to the spelling again, as in a fresh run.
    ortografia::Ortografia fresca(lexico::rutaDiccionario());
    QPlainTextEdit caja;
    caja.resize(570, 505);
    caja.setPlainText(texto);
    auto* subrayado = new ortografia::SubrayadoTexto(&caja, fresca, true);
    caja.show();
    esperar([&] { return caja.windowHandle() && caja.windowHandle()->isExposed(); });
    caja.setFocus();
    std::mt19937 azar(11);
    const int bloques = caja.document()->blockCount();
    Huecos h;
    h.empezar();
    bool terminado = false;
    int teclas = 0;
    QTimer teclear;
    teclear.setInterval(25);
    QObject::connect(&teclear, &QTimer::timeout, [&] {
        if (teclas % 40 == 0) {
            // The author goes to another part of the body, never seen before.
            QTextCursor c(caja.document()->findBlockByNumber(static_cast<int>(azar() % bloques)));
            caja.setTextCursor(c);
            caja.ensureCursorVisible();
        }
        const QChar letra = QLatin1Char(static_cast<char>('a' + teclas % 26));
        QKeyEvent pulsada(QEvent::KeyPress, Qt::Key_A + teclas % 26, Qt::NoModifier, QString(letra));
        QCoreApplication::sendEvent(&caja, &pulsada);
        QKeyEvent soltada(QEvent::KeyRelease, Qt::Key_A + teclas % 26, Qt::NoModifier, QString(letra));
        QCoreApplication::sendEvent(&caja, &soltada);
        if (++teclas == 400) {
            teclear.stop();
            terminado = true;
        }
    });
    teclear.start();
    esperar([&] { return terminado; });
    // The underlines of the last part shown come without holding up the loop either.
    subrayado->programar();
    esperar([&] { return !fresca.ocupada(); });
    QElapsedTimer resto;
    resto.start();
    while (resto.elapsed() < 300) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    h.parar();
    subrayado->actualizar();
    esperar([&] { return !fresca.ocupada(); });
    subrayado->actualizar();
    std::printf("spell_10mb: %d teclas, %lld palabras subrayadas a la vista al final\n", teclas,
                static_cast<long long>(subrayado->subrayadas().size()));
    return bench::Resultado{h.peorSegundos(), 0, "s"};
}

LUMBRE_MEDIDA("spell_10mb", bench::Tipo::Absoluto, 0.05, spell10mb);

} // namespace

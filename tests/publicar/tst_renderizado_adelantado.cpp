// Pages rendered ahead on a thread of their own: handed over in order, failures included, never more than a
// bounded number ahead, and stopped at once when the export gives up half-way.

#include "publish/renderizado_adelantado.h"

#include <QTest>

#include <atomic>
#include <chrono>
#include <thread>

using publish::RenderizadoAdelantado;

namespace {

RenderizadoAdelantado::Resultado pagina(std::size_t i) {
    if (i % 3 == 0) {
        return store::Error{"leer el archivo", std::to_string(i), store::Causa::Otro, {}};
    }
    return render::Pagina{std::to_string(i), "<p/>", {}};
}

} // namespace

class PaginasAdelantadasTest : public QObject {
    Q_OBJECT

private slots:
    void pages_comeInTheOrderAsked_failuresIncluded() {
        const std::vector<std::size_t> indices = {1, 3, 4, 9, 10, 12, 40, 41, 42, 99};
        RenderizadoAdelantado adelantadas(indices, pagina);
        for (const std::size_t i : indices) {
            auto hecha = adelantadas.tomar();
            QVERIFY(hecha);
            QCOMPARE(hecha->first, i);
            QCOMPARE(hecha->second.ok(), i % 3 != 0);
            QCOMPARE(hecha->second ? hecha->second->titulo : hecha->second.error().ruta, std::to_string(i));
        }
        QVERIFY(!adelantadas.tomar());
        QVERIFY(!RenderizadoAdelantado({}, pagina).tomar());
    }

    // An export of 100,000 articles must not hold them all in memory, nor keep rendering once it failed.
    void renderingStaysBoundedAhead_andStopsWhenDropped() {
        std::atomic<std::size_t> renderizadas = 0;
        std::vector<std::size_t> indices(10000);
        for (std::size_t i = 0; i < indices.size(); ++i) {
            indices[i] = i;
        }
        {
            RenderizadoAdelantado adelantadas(indices, [&](std::size_t i) {
                ++renderizadas;
                return pagina(i);
            });
            QVERIFY(adelantadas.tomar());
            QTRY_COMPARE(renderizadas.load(), RenderizadoAdelantado::kAdelanto + 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            QCOMPARE(renderizadas.load(), RenderizadoAdelantado::kAdelanto + 1);
        }
        QCOMPARE(renderizadas.load(), RenderizadoAdelantado::kAdelanto + 1);
    }
};

QTEST_GUILESS_MAIN(PaginasAdelantadasTest)
#include "tst_renderizado_adelantado.moc"

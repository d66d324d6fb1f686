#pragma once

// Pages rendered ahead of the export that writes them. Reading, parsing and building a page run on a thread of
// their own while the export's thread writes the pages before it, so that an export of many articles keeps two
// cores busy. Pages are handed over in the order they were asked for; what is done with them (their file names,
// the warnings told, the count) stays on the export's thread, in that order.

#include "render/render.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace publish {

class RenderizadoAdelantado {
public:
    using Resultado = store::Resultado<render::Pagina>;
    using Renderizar = std::function<Resultado(std::size_t i)>;

    // `renderizar(i)` is called on the rendering thread for each i in `indices`, in that order, at most
    // kAdelanto pages ahead of the one taken last. It must touch nothing the export's thread uses meanwhile
    // unguarded.
    RenderizadoAdelantado(std::vector<std::size_t> indices, Renderizar renderizar);
    // Stops the rendering thread; pages not taken are dropped.
    ~RenderizadoAdelantado();
    RenderizadoAdelantado(const RenderizadoAdelantado&) = delete;
    RenderizadoAdelantado& operator=(const RenderizadoAdelantado&) = delete;

    // The next page, in the order of `indices`, waiting for it while it is rendered; nothing once every page was
    // taken.
    std::optional<std::pair<std::size_t, Resultado>> tomar();

    static constexpr std::size_t kAdelanto = 32;

private:
    void renderizarTodas();

    const std::vector<std::size_t> indices_;
    const Renderizar renderizar_;
    std::mutex m_;
    std::condition_variable cambio_;
    std::deque<std::pair<std::size_t, Resultado>> hechas_;
    std::size_t tomadas_ = 0;
    bool parar_ = false;
    std::thread hilo_; // last: started once everything it uses is ready
};

} // namespace publish

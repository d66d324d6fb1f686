#include "publish/renderizado_adelantado.h"

namespace publish {

RenderizadoAdelantado::RenderizadoAdelantado(std::vector<std::size_t> indices, Renderizar renderizar)
    : indices_(std::move(indices)), renderizar_(std::move(renderizar)), hilo_([this] { renderizarTodas(); }) {}

RenderizadoAdelantado::~RenderizadoAdelantado() {
    {
        std::lock_guard bloqueo(m_);
        parar_ = true;
    }
    cambio_.notify_all();
    hilo_.join();
}

std::optional<std::pair<std::size_t, RenderizadoAdelantado::Resultado>> RenderizadoAdelantado::tomar() {
    std::unique_lock bloqueo(m_);
    if (tomadas_ == indices_.size()) {
        return std::nullopt;
    }
    cambio_.wait(bloqueo, [this] { return !hechas_.empty(); });
    auto pagina = std::move(hechas_.front());
    hechas_.pop_front();
    ++tomadas_;
    cambio_.notify_all();
    return pagina;
}

void RenderizadoAdelantado::renderizarTodas() {
    for (const std::size_t i : indices_) {
        {
            std::unique_lock bloqueo(m_);
            cambio_.wait(bloqueo, [this] { return hechas_.size() < kAdelanto || parar_; });
            if (parar_) {
                return;
            }
        }
        Resultado pagina = renderizar_(i);
        std::lock_guard bloqueo(m_);
        hechas_.emplace_back(i, std::move(pagina));
        cambio_.notify_all();
    }
}

} // namespace publish

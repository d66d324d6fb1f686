// The encyclopaedia check of 100,000 articles, as the editor runs it, against reading every article once.

#include "measure.h"
#include "synthetic_store.h"

#include "editor/revision.h"
#include "store/comprobacion.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

LUMBRE_MEDIDA("check_100k", bench::Tipo::Razon, 3.0, [] {
    const bench::AlmacenSintetico& s = bench::almacen(100000);
    std::vector<std::string> rutas;
    rutas.reserve(s.nombres.size());
    for (const std::string& n : s.nombres) {
        rutas.push_back((s.nativo / n).native());
    }
    constexpr std::size_t kBufer = 64 * 1024;
    const auto bufer = std::make_unique<char[]>(kBufer);
    std::size_t problemas = 0;
    std::size_t leidos = 0;
    const bench::Resultado r = bench::intercalar(
        3,
        [&] {
            const auto revision = store::revisarEnciclopedia(s.directorio, forja::opcionesDeRevision());
            problemas += revision ? revision->size() : 0;
        },
        [&] {
            for (const std::string& ruta : rutas) {
                const int fd = ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC);
                if (fd < 0) {
                    continue;
                }
                for (ssize_t n; (n = ::read(fd, bufer.get(), kBufer)) > 0;) {
                    leidos += static_cast<std::size_t>(n);
                }
                ::close(fd);
            }
        });
    // The synthetic articles name pictures that are not there and lists spell names in another case: a
    // check that found nothing did not look.
    return problemas > 0 && leidos > 0 ? r : bench::Resultado{};
});

} // namespace

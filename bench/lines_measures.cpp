// Splitting a file into lines: ten megabytes of nothing but line ends are ten million lines, each of which
// may cost a few bytes and a few steps, no more.

#include "measure.h"

#include "store/archivo_de_texto.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Ten megabytes of `linea` repeated.
std::string repetido(std::string_view linea) {
    std::string bytes;
    bytes.reserve(10u << 20);
    while (bytes.size() + linea.size() <= (10u << 20))
        bytes += linea;
    return bytes;
}

} // namespace

// Memory is checked by the store's tests; here the time: splitting against copying the bytes and counting
// their line ends, which any reading of the lines must at least do. Each line end becomes a 4-byte end, four
// times the bytes the floor writes, so the target is six times the floor.
// Each round splits ten times and copies ten times, so that even on a fast machine the floor takes tens of
// milliseconds.
LUMBRE_MEDIDA("split_line_ends_10mb", bench::Tipo::Razon, 6.0, [] {
    const std::string bytes = repetido("\r");
    constexpr int kVeces = 10;
    std::size_t lineas = 0;
    const bench::Resultado r = bench::intercalar(
        9,
        [&] {
            for (int i = 0; i < kVeces; ++i)
                lineas += store::partirLineas(bytes).size();
        },
        [&] {
            for (int i = 0; i < kVeces; ++i) {
                const std::string copia = bytes;
                lineas += static_cast<std::size_t>(std::count(copia.begin(), copia.end(), '\r'));
            }
        });
    if (lineas == 0) {
        std::fprintf(stderr, "split_line_ends_10mb: no lines\n");
        std::exit(2);
    }
    return r;
});

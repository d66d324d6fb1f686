#include "lineas.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace store {

Lineas::Lineas(std::initializer_list<std::string_view> lineas) {
    std::size_t bytes = 0;
    for (const std::string_view l : lineas)
        bytes += l.size();
    reserve(lineas.size(), bytes);
    for (const std::string_view l : lineas)
        push_back(l);
}

namespace {

// Where the CRs are among the 16 bytes at `p`: bit k is set when p[k] is a CR.
#if defined(__SSE2__)
inline unsigned crsEn16(const char* p) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r'))));
}
#else
inline unsigned crsEn16(const char* p) {
    unsigned m = 0;
    for (unsigned k = 0; k < 16; ++k)
        m |= static_cast<unsigned>(p[k] == '\r') << k;
    return m;
}
#endif

std::size_t contarCRs(std::string_view bytes) {
    const char* p = bytes.data();
    const std::size_t n = bytes.size();
    std::size_t i = 0, total = 0;
#if defined(__SSE2__)
    // Each byte lane counts down by one per CR for at most 255 steps, then the lanes are summed.
    const __m128i cr = _mm_set1_epi8('\r');
    while (i + 16 <= n) {
        __m128i cuenta = _mm_setzero_si128();
        for (int paso = 0; paso < 255 && i + 16 <= n; ++paso, i += 16) {
            const __m128i bloque = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
            cuenta = _mm_sub_epi8(cuenta, _mm_cmpeq_epi8(bloque, cr));
        }
        const __m128i sumas = _mm_sad_epu8(cuenta, _mm_setzero_si128());
        total += static_cast<std::size_t>(_mm_cvtsi128_si32(sumas)) +
                 static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(sumas, sumas)));
    }
#endif
    for (; i < n; ++i)
        total += p[i] == '\r';
    return total;
}

// Where the LFs are among the 16 bytes at `p`, as crsEn16 does for CRs.
inline unsigned lfsEn16(const char* p) {
#if defined(__SSE2__)
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))));
#else
    unsigned m = 0;
    for (unsigned k = 0; k < 16; ++k)
        m |= static_cast<unsigned>(p[k] == '\n') << k;
    return m;
#endif
}

} // namespace

void paginasGrandes([[maybe_unused]] const void* datos, [[maybe_unused]] std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kGrande = 2u << 20;
    if (bytes < 2 * kGrande)
        return;
    const auto inicio = (reinterpret_cast<std::uintptr_t>(datos) + kGrande - 1) & ~(kGrande - 1);
    const auto fin = (reinterpret_cast<std::uintptr_t>(datos) + bytes) & ~(kGrande - 1);
    if (fin > inicio)
        ::madvise(reinterpret_cast<void*>(inicio), fin - inicio, MADV_HUGEPAGE);
#endif
}

Lineas Lineas::partir(std::string_view bytes) {
    if (bytes.size() > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("Lineas: more than 4 GiB of lines");
    // Room is made once for the most there can be: one line per CR and one after the last, holding all bytes
    // but the CRs. The text is written in place, then cut to what was written (its room stays, at most the
    // file's size).
    const std::size_t crs = contarCRs(bytes);
    Lineas l;
    l.texto_.reserve(bytes.size() - crs);
    paginasGrandes(l.texto_.data(), l.texto_.capacity());
    l.texto_.resize(bytes.size() - crs);
    l.fines_.reserve(crs + 1);
    paginasGrandes(l.fines_.data(), l.fines_.capacity() * sizeof(std::uint32_t));
    const char* const p = bytes.data();
    const std::size_t n = bytes.size();
    char* const texto = l.texto_.data();
    std::size_t escrito = 0;
    std::size_t inicio = 0; // where the line being read starts
    // The CRs are found sixteen bytes at a time; each one ends the line before it, whatever its length, so a
    // file of nothing but line ends costs a few steps per line and no byte-by-byte search.
    auto terminarEn = [&](std::size_t cr) {
        if (cr > inicio) {
            std::memcpy(texto + escrito, p + inicio, cr - inicio);
            escrito += cr - inicio;
        }
        l.fines_.push_back(static_cast<std::uint32_t>(escrito));
        inicio = cr + 1;
        if (inicio < n && p[inicio] == '\n')
            ++inicio; // the LF of a CR LF
    };
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const unsigned m = crsEn16(p + i);
        // Sixteen bytes of nothing but line ends, right after a line end, are empty lines all at once: a run of
        // blank lines costs a store per line.
        if (inicio == i && (m == 0xFFFF || (m == 0x5555 && lfsEn16(p + i) == 0xAAAA))) {
            l.fines_.insert(l.fines_.end(), m == 0xFFFF ? 16 : 8, static_cast<std::uint32_t>(escrito));
            inicio = i + 16;
            if (m == 0xFFFF && inicio < n && p[inicio] == '\n')
                ++inicio; // the LF of the last CR
            continue;
        }
        for (unsigned r = m; r != 0; r &= r - 1)
            terminarEn(i + static_cast<std::size_t>(std::countr_zero(r)));
    }
    for (; i < n; ++i) {
        if (p[i] == '\r')
            terminarEn(i);
    }
    if (inicio < n) { // a last line without an ending
        std::memcpy(texto + escrito, p + inicio, n - inicio);
        escrito += n - inicio;
        l.fines_.push_back(static_cast<std::uint32_t>(escrito));
    }
    l.texto_.resize(escrito);
    return l;
}

void Lineas::push_back(std::string_view linea) {
    if (linea.size() > std::numeric_limits<std::uint32_t>::max() - texto_.size())
        throw std::length_error("Lineas: more than 4 GiB of lines");
    texto_.append(linea);
    fines_.push_back(static_cast<std::uint32_t>(texto_.size()));
}

void Lineas::agregar(const Lineas& otras) {
    if (otras.texto_.size() > std::numeric_limits<std::uint32_t>::max() - texto_.size())
        throw std::length_error("Lineas: more than 4 GiB of lines");
    const auto base = static_cast<std::uint32_t>(texto_.size());
    texto_.append(otras.texto_);
    // By index, so that adding a Lineas to itself reads its ends as they were.
    const std::size_t n = otras.fines_.size();
    for (std::size_t i = 0; i < n; ++i)
        fines_.push_back(base + otras.fines_[i]);
}

void Lineas::reserve(std::size_t lineas, std::size_t bytes) {
    fines_.reserve(fines_.size() + lineas);
    texto_.reserve(texto_.size() + bytes);
}

void Lineas::clear() {
    texto_.clear();
    fines_.clear();
}

} // namespace store

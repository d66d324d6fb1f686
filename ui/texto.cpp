#include "ui/texto.h"

#include "store/codificacion.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <bit>

#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ui {

namespace {

// Every Windows-1252 byte's character; all of them lie in the Basic Multilingual Plane.
const std::array<char16_t, 256>& tabla1252() {
    static const std::array<char16_t, 256> tabla = [] {
        std::array<char16_t, 256> t{};
        for (int b = 0; b < 256; ++b) {
            t[static_cast<std::size_t>(b)] = static_cast<char16_t>(store::aUnicode(static_cast<unsigned char>(b)));
        }
        return t;
    }();
    return tabla;
}

// For each Windows-1252 byte, 0 when its character is white space to the toolkit (a long run ends there), else
// all ones: a run's length is kept as (length + 1) & mask, with no branch to mispredict between words.
const std::array<qsizetype, 256>& mascarasDeCorrida() {
    static const std::array<qsizetype, 256> tabla = [] {
        std::array<qsizetype, 256> t{};
        for (int b = 0; b < 256; ++b) {
            t[static_cast<std::size_t>(b)] = QChar(tabla1252()[static_cast<std::size_t>(b)]).isSpace() ? 0 : -1;
        }
        return t;
    }();
    return tabla;
}

} // namespace

TextoMostrado::TextoMostrado(std::size_t bytes, qsizetype palabraLarga)
    : texto_(static_cast<qsizetype>(bytes) + static_cast<qsizetype>(bytes) / palabraLarga + 1, Qt::Uninitialized),
      destino_(reinterpret_cast<char16_t*>(texto_.data())), fin_(destino_ + texto_.size()),
      palabraLarga_(palabraLarga) {
    store::paginasGrandes(destino_, static_cast<std::size_t>(fin_ - destino_) * sizeof(char16_t));
}

void TextoMostrado::agregar(std::string_view cp1252) {
    const auto& tabla = tabla1252();
    const auto& mascaras = mascarasDeCorrida();
    const std::size_t n = cp1252.size();
    // Room for the piece and every break opportunity it can need; more only when the builder was told too few bytes.
    const qsizetype hace = static_cast<qsizetype>(n) + (corrida_ + static_cast<qsizetype>(n)) / palabraLarga_ + 1;
    if (fin_ - destino_ < hace) {
        const qsizetype hecho = destino_ - reinterpret_cast<const char16_t*>(texto_.constData());
        texto_.resize(hecho + hace);
        destino_ = reinterpret_cast<char16_t*>(texto_.data()) + hecho;
        fin_ = reinterpret_cast<char16_t*>(texto_.data()) + texto_.size();
    }
    char16_t* destino = destino_;
    qsizetype corrida = corrida_;
    std::size_t i = 0;
    while (i < n) {
#if defined(__SSE2__)
        // Sixteen bytes without a CR and outside 0x80 to 0x9F, which need no break opportunity, are widened at once
        // (there Windows-1252 is Latin-1, the first 256 characters of UTF-16); the run goes on from the last white
        // space among them (\t to \r, the space and the no-break space).
        if (i + 16 <= n && palabraLarga_ >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cp1252.data() + i));
            auto entre = [&v](char desde, char cuantos) { // bytes from `desde` to `desde` + `cuantos`
                const __m128i d = _mm_sub_epi8(v, _mm_set1_epi8(desde));
                return _mm_cmpeq_epi8(_mm_min_epu8(d, _mm_set1_epi8(cuantos)), d);
            };
            const __m128i cr = _mm_cmpeq_epi8(v, _mm_set1_epi8('\r'));
            if (_mm_movemask_epi8(_mm_or_si128(cr, entre(static_cast<char>(0x80), 0x1F))) == 0) {
                const __m128i espacios = _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(' ')),
                                                      _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0xA0))));
                const auto blancos = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(entre(0x09, 4), espacios)));
                const qsizetype antesDelPrimero = blancos ? std::countr_zero(blancos) : 16;
                if (corrida + antesDelPrimero <= palabraLarga_) {
                    const __m128i cero = _mm_setzero_si128();
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(destino), _mm_unpacklo_epi8(v, cero));
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(destino + 8), _mm_unpackhi_epi8(v, cero));
                    destino += 16;
                    corrida = blancos ? 15 - (31 - std::countl_zero(blancos)) : corrida + 16;
                    i += 16;
                    continue;
                }
            }
        }
#endif
        for (const std::size_t hasta = std::min(n, i + 16); i < hasta; ++i) {
            const auto c = static_cast<unsigned char>(cp1252[i]);
            if (c == '\r' && i + 1 < n && cp1252[i + 1] == '\n') [[unlikely]] {
                continue; // CR LF becomes the LF alone
            }
            corrida = (corrida + 1) & mascaras[c];
            if (corrida > palabraLarga_) [[unlikely]] {
                *destino++ = u'\u200B';
                corrida = 1;
            }
            *destino++ = tabla[c];
        }
    }
    destino_ = destino;
    corrida_ = corrida;
}

QString TextoMostrado::terminar() {
    texto_.truncate(destino_ - reinterpret_cast<const char16_t*>(texto_.constData()));
    destino_ = fin_ = nullptr;
    return std::move(texto_);
}

QString textoMostrado(std::string_view cp1252, qsizetype palabraLarga) {
    TextoMostrado t(cp1252.size(), palabraLarga);
    t.agregar(cp1252);
    return t.terminar();
}

QString desdeStore(std::string_view cp1252) {
    const auto& tabla = tabla1252();
    QString s(static_cast<qsizetype>(cp1252.size()), Qt::Uninitialized);
    char16_t* destino = reinterpret_cast<char16_t*>(s.data());
    for (const char c : cp1252) {
        *destino++ = tabla[static_cast<unsigned char>(c)];
    }
    return s;
}

QString textoDeCuerpo(std::string_view cp1252) {
    const auto& tabla = tabla1252();
    QString s(static_cast<qsizetype>(cp1252.size()), Qt::Uninitialized);
    char16_t* const inicio = reinterpret_cast<char16_t*>(s.data());
    char16_t* destino = inicio;
    const std::size_t n = cp1252.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(cp1252[i]);
        if (c == '\r' && i + 1 < n && cp1252[i + 1] == '\n') {
            continue; // CR LF becomes the LF alone
        }
        *destino++ = tabla[c];
    }
    s.truncate(destino - inicio);
    return s;
}

std::optional<std::string> haciaStore(const QString& texto, QString* noRepresentables) {
    std::string out;
    out.reserve(static_cast<size_t>(texto.size()));
    QString malos;
    for (const char32_t u : texto.toUcs4()) {
        if (const auto b = store::desdeUnicode(u)) {
            out.push_back(static_cast<char>(*b));
        } else {
            const QString c = QString::fromUcs4(&u, 1);
            if (!malos.contains(c)) {
                malos.append(c);
            }
        }
    }
    if (!malos.isEmpty()) {
        if (noRepresentables) {
            *noRepresentables = malos;
        }
        return std::nullopt;
    }
    return out;
}

std::optional<store::Lineas> lineasDeTexto(const QString& texto, QString* noRepresentables) {
    QString t = texto;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QChar(u'\r'), QChar(u'\n'));
    t.replace(QChar(QChar::ParagraphSeparator), QChar(u'\n'));
    t.replace(QChar(QChar::LineSeparator), QChar(u'\n'));
    const auto bytes = haciaStore(t, noRepresentables);
    if (!bytes) {
        return std::nullopt;
    }
    const std::string_view b = *bytes;
    store::Lineas lineas;
    lineas.reserve(static_cast<std::size_t>(std::count(b.begin(), b.end(), '\n')) + 1, b.size());
    std::size_t inicio = 0;
    for (std::size_t salto = b.find('\n'); salto != std::string_view::npos; salto = b.find('\n', inicio)) {
        lineas.push_back(b.substr(inicio, salto - inicio));
        inicio = salto + 1;
    }
    lineas.push_back(b.substr(inicio));
    return lineas;
}

QString mensajeDe(const store::Error& error) {
    return desdeStore(error.mensaje());
}

QString mensajeNoRepresentable(const QString& caracteres) {
    QStringList partes;
    for (const char32_t u : caracteres.toUcs4()) {
        partes << QStringLiteral("«%1» (U+%2)")
                      .arg(QString::fromUcs4(&u, 1),
                           QString::number(static_cast<uint>(u), 16).toUpper().rightJustified(4, QLatin1Char('0')));
    }
    return QStringLiteral("El texto contiene caracteres que no se pueden guardar en los archivos de la "
                          "enciclotomo (Windows-1252): %1. Quítelos o cámbielos e inténtelo de nuevo.")
        .arg(partes.join(QStringLiteral(", ")));
}

} // namespace ui

#pragma once

// The largest file of each kind the programs read. A file beyond its limit is refused with a message naming
// it ("... es demasiado grande") instead of being read: no store file may make a program reserve or read
// without bound. Dictionaries are read as streams, so their limit only bounds how long a look-up may take.

#include <cstdint>

namespace store {

inline constexpr std::uint64_t kLimiteArticulo = 64ull << 20; // an article (a 10 MB one opens)
inline constexpr std::uint64_t kLimiteEpigrafe = 16ull << 20; // a caption file
inline constexpr std::uint64_t kLimiteLista = 64ull << 20;    // COMPLETA.DAT, a list file
// LISTAS.DAT: thousands of list names. Both programs show each of its lines as a list entry with a check box,
// which costs hundreds of bytes, so the index's limit also bounds what its empty lines may cost.
inline constexpr std::uint64_t kLimiteIndiceListas = 256ull << 10;
inline constexpr std::uint64_t kLimiteColores = 64ull << 10; // COLOR.DAT
inline constexpr std::uint64_t kLimitePequeno = 1ull << 20;  // registry, ACTUAL.DAT, TOMOS.DAT, ULTIMO.DAT, DESCRIP.DAT
inline constexpr std::uint64_t kLimiteImagen = 64ull << 20;  // a picture (illustration, side picture, ICONO.ICO)
inline constexpr std::uint64_t kLimiteDiccionario = 1ull << 30; // DICT.DAT, read as a stream

} // namespace store

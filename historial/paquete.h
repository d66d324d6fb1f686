#pragma once

// New objects written straight into packs of a repository, for a scan that finds thousands of files no
// version holds yet (the first version of a large encyclopaedia). As git's own bulk import does, each blob is
// compressed once into the pack being made, and each pack (about 64 MB of compressed entries) is handed to
// libgit2's indexer, which names it, writes its index and syncs both to disk: one sync per pack instead of
// one file and one sync per object. No deltas are sought: that is the later packing's work.

#include "historial/git.h"

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

namespace historial::detalle {

class EscritorDePaquetes {
public:
    explicit EscritorDePaquetes(git_repository* repo) : repo_(repo) {}
    EscritorDePaquetes(const EscritorDePaquetes&) = delete;
    EscritorDePaquetes& operator=(const EscritorDePaquetes&) = delete;

    // Adds the blob of `bytes`, whose id (git_odb_hash) is `id`, unless this writer has it already. False on
    // failure, with libgit2's last error set.
    bool agregarBlob(std::string_view bytes, const git_oid& id);
    // Writes what is pending as a pack. Once it succeeds, every blob added is in the repository, on disk.
    bool terminar();
    // How many blobs were added.
    std::size_t cuantos() const { return vistos_.size(); }

    // Compressed entries held before a pack is written.
    static constexpr std::size_t kBytesPorPaquete = std::size_t{64} << 20;

private:
    bool escribirPaquete();

    git_repository* repo_;
    std::string entradas_; // the pending pack's entries, each a header and its zlib stream
    std::uint32_t pendientes_ = 0;
    std::set<std::array<unsigned char, GIT_OID_RAWSZ>> vistos_;
};

} // namespace historial::detalle

#include "historial/paquete.h"

#include <git2/sys/odb_backend.h>
#include <openssl/evp.h>
#include <zlib.h>

#include <memory>

namespace historial::detalle {

namespace {

constexpr int kTipoBlob = 3; // an object's type in a pack entry's header

void anexarNumero(std::string& a, std::uint32_t n) {
    for (int desplazar = 24; desplazar >= 0; desplazar -= 8) {
        a += static_cast<char>((n >> desplazar) & 0xff);
    }
}

void errorDeLibreria(const char* que) {
    git_error_set_str(GIT_ERROR_ODB, que);
}

} // namespace

bool EscritorDePaquetes::agregarBlob(std::string_view bytes, const git_oid& id) {
    std::array<unsigned char, GIT_OID_RAWSZ> crudo{};
    std::copy(std::begin(id.id), std::end(id.id), crudo.begin());
    if (!vistos_.insert(crudo).second) {
        return true;
    }
    // The entry's header: its type and its size, seven bits a byte after the first four.
    std::size_t tam = bytes.size();
    unsigned char c = static_cast<unsigned char>((kTipoBlob << 4) | (tam & 0x0f));
    tam >>= 4;
    while (tam) {
        entradas_ += static_cast<char>(c | 0x80);
        c = static_cast<unsigned char>(tam & 0x7f);
        tam >>= 7;
    }
    entradas_ += static_cast<char>(c);
    // Then the bytes, compressed for speed as git's loose objects are.
    if (entradas_.capacity() < kBytesPorPaquete) {
        entradas_.reserve(kBytesPorPaquete + (std::size_t{1} << 20));
    }
    uLongf cabe = compressBound(static_cast<uLong>(bytes.size()));
    const std::size_t antes = entradas_.size();
    entradas_.resize(antes + cabe);
    if (compress2(reinterpret_cast<Bytef*>(entradas_.data() + antes), &cabe,
                  reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uLong>(bytes.size()),
                  Z_BEST_SPEED) != Z_OK) {
        entradas_.resize(antes);
        errorDeLibreria("no se pudo comprimir un archivo");
        return false;
    }
    entradas_.resize(antes + cabe);
    ++pendientes_;
    return entradas_.size() < kBytesPorPaquete || escribirPaquete();
}

bool EscritorDePaquetes::terminar() {
    return pendientes_ == 0 || escribirPaquete();
}

bool EscritorDePaquetes::escribirPaquete() {
    std::string cabecera = "PACK";
    anexarNumero(cabecera, 2); // the pack format's version
    anexarNumero(cabecera, pendientes_);
    // The pack ends with the SHA-1 of all that precedes it.
    unsigned char suma[EVP_MAX_MD_SIZE];
    unsigned int largo = 0;
    const std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> sha(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    if (!sha || EVP_DigestInit_ex(sha.get(), EVP_sha1(), nullptr) != 1 ||
        EVP_DigestUpdate(sha.get(), cabecera.data(), cabecera.size()) != 1 ||
        EVP_DigestUpdate(sha.get(), entradas_.data(), entradas_.size()) != 1 ||
        EVP_DigestFinal_ex(sha.get(), suma, &largo) != 1 || largo != GIT_OID_RAWSZ) {
        errorDeLibreria("no se pudo calcular la suma del paquete");
        return false;
    }
    git_odb* odb = nullptr;
    if (git_repository_odb(&odb, repo_) != 0) {
        return false;
    }
    const std::unique_ptr<git_odb, void (*)(git_odb*)> soltarOdb(odb, git_odb_free);
    git_odb_writepack* paquete = nullptr;
    if (git_odb_write_pack(&paquete, odb, nullptr, nullptr) != 0) {
        return false;
    }
    git_indexer_progress progreso{};
    const bool bien = paquete->append(paquete, cabecera.data(), cabecera.size(), &progreso) == 0 &&
                      paquete->append(paquete, entradas_.data(), entradas_.size(), &progreso) == 0 &&
                      paquete->append(paquete, suma, largo, &progreso) == 0 && paquete->commit(paquete, &progreso) == 0;
    paquete->free(paquete);
    if (bien) {
        entradas_.clear();
        pendientes_ = 0;
    }
    return bien;
}

} // namespace historial::detalle

#pragma once

// The few pieces of libgit2 every part of the history uses: owning pointers, the library's start, its last
// error in words, and the making of a new repository.

#include <git2.h>

#include <filesystem>
#include <string>

namespace historial::detalle {

// Owns one libgit2 object and frees it with `Liberar`.
template <class T, void (*Liberar)(T*)> class Puntero {
public:
    Puntero() = default;
    ~Puntero() { reset(); }
    Puntero(const Puntero&) = delete;
    Puntero& operator=(const Puntero&) = delete;
    Puntero(Puntero&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    Puntero& operator=(Puntero&& o) noexcept {
        if (this != &o) {
            reset();
            p_ = o.p_;
            o.p_ = nullptr;
        }
        return *this;
    }
    T* get() const { return p_; }
    T** dir() {
        reset();
        return &p_;
    }
    void reset() {
        if (p_) {
            Liberar(p_);
        }
        p_ = nullptr;
    }
    explicit operator bool() const { return p_ != nullptr; }
    bool operator==(std::nullptr_t) const { return p_ == nullptr; }

private:
    T* p_ = nullptr;
};

// Starts libgit2 once per process: objects and references are synced to disk as they are written, and a
// repository owned by another user (a copy from a stick) may be opened, since nothing of its configuration
// is ever run.
void iniciar();

// libgit2's last error message, or a general one.
std::string ultimoError();

std::string hex(const git_oid& id);

// Makes `.git` in `directorio` with no version: files exact to the byte (no line-end conversion, every file
// binary), ULTIMO.DAT and the store's temporaries excluded in the repository's own exclude file.
bool crearRepositorio(const std::filesystem::path& directorio);

} // namespace historial::detalle

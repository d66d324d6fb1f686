#pragma once

// What the parts of the history share inside the library: the repository of an opened history and the
// building of versions over it. Not for use outside historial/.

#include "historial/git.h"
#include "historial/historial.h"
#include "store/codificacion.h"
#include "store/enciclopedia.h"
#include "store/resultado.h"
#include "store/rutas.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>

#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace historial {

namespace fs = std::filesystem;
using detalle::Puntero;
using store::Causa;
using store::Error;

namespace interno {

inline constexpr std::string_view kClaveArchivo = "Lumbre-Archivo: ";
inline constexpr std::string_view kClaveMuchos = "Lumbre-Archivos: ";
// Beyond this many files a version's message says how many it touched instead of naming them, and an
// article's history compares that version's tree with its parent's.
inline constexpr std::size_t kNombradosComoMucho = 1000;

// What git needs in an author's line; the address is not the author's (Forja never asks for one).
inline constexpr const char* kCorreo = "forja@lumbre.invalid";

inline std::string w(std::string_view utf8) {
    return store::utf8ACp1252(utf8).value_or(std::string(utf8));
}

// A tree path (UTF-8, "/") as the store names it (Windows-1252, "\").
inline std::string nombreDeStore(std::string_view ruta) {
    std::string nombre = store::utf8ACp1252(ruta).value_or(std::string(ruta));
    std::replace(nombre.begin(), nombre.end(), '/', '\\');
    return nombre;
}

// Files that are never versioned: ULTIMO.DAT, the store's temporaries.
inline bool excluido(std::string_view ruta) {
    if (store::igualesSinCaso(ruta, store::kUltimo)) {
        return true;
    }
    const auto barra = ruta.rfind('/');
    const std::string_view nombre = barra == std::string_view::npos ? ruta : ruta.substr(barra + 1);
    return nombre.rfind(".lumbre-", 0) == 0;
}

// The bytes of a regular file, or nothing when it is missing, a link or anything else.
inline std::optional<std::string> leerDeDisco(const fs::path& ruta, bool& ilegible) {
    ilegible = false;
    struct stat st {};
    if (::lstat(ruta.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    std::ifstream f(ruta, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
    if (!f || !f.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        ilegible = true;
        return std::nullopt;
    }
    return bytes;
}

// A repository's own lock for Lumbre's writers: "lumbre.lock" in it, locked with flock while this process
// writes (the system drops it when the process dies). Whoever holds it is the only writer from Lumbre, so a
// git lock file ("….lock") left by a writer that was killed is stale and removed. Held once per process:
// nested holds share it.
class Cerrojo {
public:
    Cerrojo() = default;
    explicit Cerrojo(const fs::path& repositorio) : repositorio_(repositorio) {}
    ~Cerrojo() {
        if (fd_ >= 0) {
            ::close(fd_); // releases the lock
        }
    }
    Cerrojo(const Cerrojo&) = delete;
    Cerrojo& operator=(const Cerrojo&) = delete;

    // Takes the lock (waiting up to ten seconds for another of Lumbre's writers) on first call.
    bool tomar() {
        if (repositorio_.empty()) {
            return true; // nothing to lock: a server keeps its own
        }
        if (++veces_ > 1) {
            return fd_ >= 0;
        }
        fd_ = ::open((repositorio_ / "lumbre.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        bool tomado = false;
        for (int i = 0; fd_ >= 0 && i < 200 && !tomado; ++i) {
            tomado = ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
            if (!tomado) {
                ::usleep(50000);
            }
        }
        if (!tomado) {
            if (fd_ >= 0) {
                ::close(fd_);
            }
            fd_ = -1;
            return false;
        }
        std::error_code e;
        for (const char* suelto : {"HEAD.lock", "packed-refs.lock", "index.lock", "config.lock"}) {
            fs::remove(repositorio_ / suelto, e);
        }
        if (fs::is_directory(repositorio_ / "refs", e)) {
            for (auto it = fs::recursive_directory_iterator(repositorio_ / "refs", e);
                 it != fs::recursive_directory_iterator(); it.increment(e)) {
                if (e) {
                    break;
                }
                if (it->path().extension() == ".lock") {
                    fs::remove(it->path(), e);
                }
            }
        }
        return true;
    }
    void soltar() {
        if (!repositorio_.empty() && veces_ > 0 && --veces_ == 0 && fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }

private:
    fs::path repositorio_;
    int fd_ = -1;
    int veces_ = 0;
};

// Holds a Cerrojo for a scope.
class Bloqueo {
public:
    explicit Bloqueo(Cerrojo& c) : c_(c), tomado_(c.tomar()) {}
    ~Bloqueo() { c_.soltar(); }
    Bloqueo(const Bloqueo&) = delete;
    Bloqueo& operator=(const Bloqueo&) = delete;
    bool tomado() const { return tomado_; }

private:
    Cerrojo& c_;
    bool tomado_;
};

} // namespace interno

using namespace interno;

struct Historial::Impl {
    Puntero<git_repository, git_repository_free> repo;
    fs::path nativa;
    std::string gitTexto; // the repository as the author reads it, Windows-1252
    std::unique_ptr<Cerrojo> cerrojo;

    Error fallo(std::string_view operacion, std::string_view causa = {}) const {
        return Error{w(operacion), gitTexto, Causa::Otro, w(causa.empty() ? detalle::ultimoError() : causa)};
    }

    // The tree of the version HEAD names, or null before the first version.
    Puntero<git_tree, git_tree_free> arbolActual(git_oid* commit = nullptr) const {
        Puntero<git_tree, git_tree_free> arbol;
        git_oid id;
        if (git_reference_name_to_id(&id, repo.get(), "HEAD") != 0) {
            return arbol;
        }
        Puntero<git_commit, git_commit_free> c;
        if (git_commit_lookup(c.dir(), repo.get(), &id) == 0) {
            git_commit_tree(arbol.dir(), c.get());
        }
        if (commit) {
            *commit = id;
        }
        return arbol;
    }

    // The tree path for a store name: the name on disk when the file exists (letter case as there), else the
    // name as given.
    std::optional<std::string> rutaEnArbol(std::string_view nombre, const std::string& directorio) const {
        if (!store::nombreRelativoSeguro(nombre)) {
            return std::nullopt;
        }
        const fs::path completa = store::resolver(store::unir(directorio, nombre));
        const fs::path relativa = completa.lexically_relative(nativa);
        const std::string texto = relativa.generic_string();
        if (texto.empty() || texto.rfind("..", 0) == 0) {
            return std::nullopt;
        }
        return texto;
    }

    // The entry at `ruta` in `arbol`, each component matched without regard to letter case when no exact one
    // exists. Null when missing.
    Puntero<git_tree_entry, git_tree_entry_free> buscar(const git_tree* arbol, std::string_view ruta) const {
        Puntero<git_tree_entry, git_tree_entry_free> hallada;
        if (git_tree_entry_bypath(hallada.dir(), arbol, std::string(ruta).c_str()) == 0) {
            return hallada;
        }
        hallada.reset();
        Puntero<git_tree, git_tree_free> dentro;
        const git_tree* actual = arbol;
        std::string_view resto = ruta;
        while (true) {
            const auto barra = resto.find('/');
            const std::string_view pieza = resto.substr(0, barra);
            const git_tree_entry* elegida = nullptr;
            const std::string piezaStore = nombreDeStore(pieza);
            for (std::size_t i = 0; i < git_tree_entrycount(actual) && !elegida; ++i) {
                const git_tree_entry* e = git_tree_entry_byindex(actual, i);
                if (store::igualesSinCaso(nombreDeStore(git_tree_entry_name(e)), piezaStore)) {
                    elegida = e;
                }
            }
            if (!elegida) {
                return hallada;
            }
            if (barra == std::string_view::npos) {
                git_tree_entry_dup(hallada.dir(), elegida);
                return hallada;
            }
            if (git_tree_entry_type(elegida) != GIT_OBJECT_TREE) {
                return hallada;
            }
            Puntero<git_tree, git_tree_free> siguiente;
            if (git_tree_lookup(siguiente.dir(), repo.get(), git_tree_entry_id(elegida)) != 0) {
                return hallada;
            }
            dentro = std::move(siguiente);
            actual = dentro.get();
            resto = resto.substr(barra + 1);
        }
    }

    // A new tree: `base` (null for none) with the paths of `cambios` replaced (a blob) or removed (nothing).
    // Only the trees on the way to a changed path are rewritten; `cuantas` is how many entries it holds.
    bool construir(const git_tree* base, const std::map<std::string, std::optional<git_oid>>& cambios, git_oid* salida,
                   std::size_t& cuantas) const {
        Puntero<git_treebuilder, git_treebuilder_free> tb;
        if (git_treebuilder_new(tb.dir(), repo.get(), base) != 0) {
            return false;
        }
        std::map<std::string, std::map<std::string, std::optional<git_oid>>> dentro;
        for (const auto& [ruta, blob] : cambios) {
            const auto barra = ruta.find('/');
            if (barra != std::string::npos) {
                dentro[ruta.substr(0, barra)][ruta.substr(barra + 1)] = blob;
            } else if (blob) {
                if (git_treebuilder_insert(nullptr, tb.get(), ruta.c_str(), &*blob, GIT_FILEMODE_BLOB) != 0) {
                    return false;
                }
            } else if (git_treebuilder_get(tb.get(), ruta.c_str())) {
                git_treebuilder_remove(tb.get(), ruta.c_str());
            }
        }
        for (const auto& [carpeta, suyos] : dentro) {
            Puntero<git_tree, git_tree_free> subBase;
            if (const git_tree_entry* e = git_treebuilder_get(tb.get(), carpeta.c_str());
                e && git_tree_entry_type(e) == GIT_OBJECT_TREE) {
                git_tree_lookup(subBase.dir(), repo.get(), git_tree_entry_id(e));
            }
            git_oid sub;
            std::size_t suyas = 0;
            if (!construir(subBase.get(), suyos, &sub, suyas)) {
                return false;
            }
            if (suyas == 0) {
                if (git_treebuilder_get(tb.get(), carpeta.c_str())) {
                    git_treebuilder_remove(tb.get(), carpeta.c_str());
                }
            } else if (git_treebuilder_insert(nullptr, tb.get(), carpeta.c_str(), &sub, GIT_FILEMODE_TREE) != 0) {
                return false;
            }
        }
        cuantas = git_treebuilder_entrycount(tb.get());
        return git_treebuilder_write(salida, tb.get()) == 0;
    }

    // Writes the commit of `cambios` over HEAD. Nothing when the tree is the same as the last version's.
    store::Resultado<std::optional<std::string>> versionar(const std::map<std::string, std::optional<git_oid>>& cambios,
                                                           std::string_view autor, std::string_view resumen) const {
        git_oid padre;
        const auto base = arbolActual(&padre);
        git_oid arbolId;
        std::size_t cuantas = 0;
        if (!construir(base.get(), cambios, &arbolId, cuantas)) {
            return fallo("guardar la versión en el historial");
        }
        if (base && git_oid_equal(&arbolId, git_tree_id(base.get()))) {
            return std::optional<std::string>();
        }
        Puntero<git_tree, git_tree_free> arbol;
        Puntero<git_commit, git_commit_free> anterior;
        if (git_tree_lookup(arbol.dir(), repo.get(), &arbolId) != 0 ||
            (base && git_commit_lookup(anterior.dir(), repo.get(), &padre) != 0)) {
            return fallo("guardar la versión en el historial");
        }
        std::string mensaje(resumen);
        mensaje += "\n\n";
        if (cambios.size() > kNombradosComoMucho) {
            mensaje += kClaveMuchos;
            mensaje += std::to_string(cambios.size());
            mensaje += '\n';
        } else {
            for (const auto& par : cambios) {
                mensaje += kClaveArchivo;
                mensaje += par.first;
                mensaje += '\n';
            }
        }
        const std::string nombre = autor.empty() ? std::string("Autor sin nombre") : std::string(autor);
        Puntero<git_signature, git_signature_free> firma;
        if (git_signature_now(firma.dir(), nombre.c_str(), kCorreo) != 0) {
            return fallo("guardar la versión en el historial");
        }
        const git_commit* padres[] = {anterior.get()};
        git_oid nuevo;
        if (git_commit_create(&nuevo, repo.get(), "HEAD", firma.get(), firma.get(), nullptr, mensaje.c_str(),
                              arbol.get(), base ? 1 : 0, padres) != 0) {
            return fallo("guardar la versión en el historial");
        }
        return std::optional<std::string>(detalle::hex(nuevo));
    }

    // A blob of the file's bytes now, or nothing when the file is missing (or not a regular file).
    store::Resultado<std::optional<git_oid>> blobDe(const std::string& ruta) const {
        bool ilegible = false;
        const auto bytes = leerDeDisco(nativa / ruta, ilegible);
        if (ilegible) {
            return Error{w("leer el archivo"), w(ruta), Causa::Otro, {}};
        }
        if (!bytes) {
            return std::optional<git_oid>();
        }
        git_oid id;
        if (git_blob_create_from_buffer(&id, repo.get(), bytes->data(), bytes->size()) != 0) {
            return fallo("guardar la versión en el historial");
        }
        return std::optional<git_oid>(id);
    }
};

} // namespace historial

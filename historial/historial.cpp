#include "historial/historial.h"

#include "historial/interno.h"
#include "historial/paquete.h"
#include "store/archivo_de_texto.h"
#include "store/archivos_de_lista.h"
#include "store/codificacion.h"
#include "store/enciclopedia.h"
#include "store/rutas.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>

#include <git2/sys/odb_backend.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace historial {

using detalle::Puntero;
using store::Causa;
using store::Error;

using namespace interno;

Historial::Historial(std::string directorio) : directorio_(std::move(directorio)), impl_(std::make_unique<Impl>()) {}
Historial::~Historial() = default;

bool Historial::existe(std::string_view directorio) {
    std::error_code e;
    return fs::exists(fs::symlink_status(store::resolver(directorio) / ".git", e));
}

store::Resultado<std::unique_ptr<Historial>> Historial::abrir(std::string_view directorio) {
    detalle::iniciar();
    std::unique_ptr<Historial> h(new Historial(std::string(directorio)));
    Impl& i = *h->impl_;
    i.nativa = store::resolver(directorio);
    i.gitTexto = store::unir(directorio, ".git");
    const fs::path git = i.nativa / ".git";
    std::error_code e;
    if (!fs::is_directory(i.nativa, e)) {
        return Error{w("abrir el historial de"), std::string(directorio), Causa::RutaNoEncontrada, {}};
    }
    if (!fs::exists(fs::symlink_status(git, e))) {
        if (auto creado = detalle::crearRepositorio(i.nativa); !creado) {
            return i.fallo("crear el historial");
        }
    } else if (fs::is_symlink(fs::symlink_status(git, e)) || !fs::is_directory(git, e)) {
        return i.fallo("abrir el historial", "no es el directorio de un repositorio");
    }
    i.cerrojo = std::make_unique<Cerrojo>(git);
    if (git_repository_open_ext(
            i.repo.dir(), git.c_str(),
            GIT_REPOSITORY_OPEN_NO_SEARCH | GIT_REPOSITORY_OPEN_NO_DOTGIT | GIT_REPOSITORY_OPEN_BARE, nullptr) != 0) {
        return i.fallo("abrir el historial");
    }
    // A HEAD naming a version that cannot be read is a damaged history, told now rather than at the next save.
    git_oid cabeza;
    if (git_reference_name_to_id(&cabeza, i.repo.get(), "HEAD") == 0) {
        Puntero<git_commit, git_commit_free> c;
        Puntero<git_tree, git_tree_free> t;
        if (git_commit_lookup(c.dir(), i.repo.get(), &cabeza) != 0 || git_commit_tree(t.dir(), c.get()) != 0) {
            return i.fallo("abrir el historial", "la última versión no se puede leer");
        }
    } else if (!git_repository_head_unborn(i.repo.get())) {
        return i.fallo("abrir el historial", "no se encuentra la última versión");
    }
    return h;
}

bool Historial::vacio() const {
    return git_repository_head_unborn(impl_->repo.get()) == 1;
}

store::Resultado<std::optional<std::string>> Historial::registrar(const std::vector<std::string>& nombres,
                                                                  std::string_view autor, std::string_view resumen) {
    const Bloqueo bloqueo(*impl_->cerrojo);
    if (!bloqueo.tomado()) {
        return impl_->fallo("guardar la versión en el historial", "otro programa de Lumbre lo está escribiendo");
    }
    std::map<std::string, std::optional<git_oid>> cambios;
    for (const std::string& nombre : nombres) {
        const auto ruta = impl_->rutaEnArbol(nombre, directorio_);
        if (!ruta) {
            return Error{w("guardar la versión de"), nombre, Causa::NombreNoValido, {}};
        }
        if (excluido(*ruta)) {
            continue;
        }
        auto blob = impl_->blobDe(*ruta);
        if (!blob) {
            return blob.error();
        }
        cambios[*ruta] = *blob;
    }
    if (cambios.empty()) {
        return std::optional<std::string>();
    }
    return impl_->versionar(cambios, autor, resumen);
}

store::Resultado<std::optional<std::string>> Historial::registrarTodo(std::string_view autor,
                                                                      std::string_view resumen) {
    const Bloqueo bloqueo(*impl_->cerrojo);
    if (!bloqueo.tomado()) {
        return impl_->fallo("guardar la versión en el historial", "otro programa de Lumbre lo está escribiendo");
    }
    // What the last version holds, path by path.
    std::map<std::string, git_oid> anteriores;
    const auto base = impl_->arbolActual();
    if (base) {
        git_tree_walk(
            base.get(), GIT_TREEWALK_PRE,
            [](const char* raiz, const git_tree_entry* e, void* datos) {
                if (git_tree_entry_type(e) == GIT_OBJECT_BLOB) {
                    (*static_cast<std::map<std::string, git_oid>*>(datos))[std::string(raiz) + git_tree_entry_name(e)] =
                        *git_tree_entry_id(e);
                }
                return 0;
            },
            &anteriores);
    }
    std::map<std::string, std::optional<git_oid>> cambios;
    // The scan may find many files no version holds: their blobs go straight into packs, synced once each,
    // rather than into one file (and one sync) each.
    detalle::EscritorDePaquetes nuevos(impl_->repo.get());
    std::error_code e;
    fs::recursive_directory_iterator it(impl_->nativa, e), fin;
    if (e) {
        return Error{w("leer el directorio"), directorio_, Causa::RutaNoEncontrada, {}};
    }
    std::string bytes;
    for (; it != fin; it.increment(e)) {
        if (e) {
            return Error{w("leer el directorio"), directorio_, Causa::Otro, e.message()};
        }
        const fs::path relativa = it->path().lexically_relative(impl_->nativa);
        const std::string ruta = relativa.generic_string();
        if (it.depth() == 0 && relativa == ".git") {
            it.disable_recursion_pending();
            continue;
        }
        if (!it->is_regular_file(e) || it->is_symlink(e) || excluido(ruta)) {
            continue;
        }
        bool ilegible = false;
        const auto contenido = leerDeDisco(it->path(), ilegible);
        if (!contenido) {
            continue; // gone since it was listed, or unreadable: the next scan sees it
        }
        git_oid id;
        if (git_odb_hash(&id, contenido->data(), contenido->size(), GIT_OBJECT_BLOB) != 0) {
            return impl_->fallo("guardar la versión en el historial");
        }
        const auto antes = anteriores.find(ruta);
        if (antes != anteriores.end()) {
            const bool igual = git_oid_equal(&antes->second, &id);
            anteriores.erase(antes);
            if (igual) {
                continue;
            }
        }
        if (!nuevos.agregarBlob(*contenido, id)) {
            return impl_->fallo("guardar la versión en el historial");
        }
        cambios[ruta] = id;
    }
    if (!nuevos.terminar()) {
        return impl_->fallo("guardar la versión en el historial");
    }
    for (const auto& par : anteriores) {
        cambios[par.first] = std::nullopt; // no longer on disk, or never to be versioned
    }
    if (cambios.empty() && base) {
        return std::optional<std::string>();
    }
    return impl_->versionar(cambios, autor, resumen);
}

namespace {

// The first line and the named files of a version's message; `muchos` when it only counts them.
void leerMensaje(const char* mensaje, Version& v, bool& muchos, bool& nombrados) {
    std::string_view resto = mensaje ? mensaje : "";
    const auto fin = resto.find('\n');
    v.resumen = std::string(resto.substr(0, fin));
    muchos = false;
    nombrados = false;
    while (!resto.empty()) {
        const auto salto = resto.find('\n');
        const std::string_view linea = resto.substr(0, salto);
        if (linea.rfind(kClaveArchivo, 0) == 0) {
            v.archivos.push_back(nombreDeStore(linea.substr(kClaveArchivo.size())));
            nombrados = true;
        } else if (linea.rfind(kClaveMuchos, 0) == 0) {
            muchos = true;
        }
        resto = salto == std::string_view::npos ? std::string_view() : resto.substr(salto + 1);
    }
}

int alDiferir(const git_diff_delta* delta, float, void* datos) {
    auto& archivos = *static_cast<std::vector<std::string>*>(datos);
    archivos.push_back(nombreDeStore(delta->new_file.path ? delta->new_file.path : delta->old_file.path));
    return 0;
}

} // namespace

store::Resultado<std::vector<Version>> Historial::versiones(std::string_view nombre) const {
    std::vector<Version> lista;
    if (vacio()) {
        return lista;
    }
    git_repository* repo = impl_->repo.get();
    Puntero<git_revwalk, git_revwalk_free> paseo;
    if (git_revwalk_new(paseo.dir(), repo) != 0 ||
        git_revwalk_sorting(paseo.get(), GIT_SORT_TOPOLOGICAL | GIT_SORT_TIME) != 0 ||
        git_revwalk_push_head(paseo.get()) != 0) {
        return impl_->fallo("leer el historial");
    }
    const std::optional<std::string> ruta = nombre.empty() ? std::nullopt : impl_->rutaEnArbol(nombre, directorio_);
    const std::string nombreStore = ruta ? nombreDeStore(*ruta) : std::string();
    git_oid id;
    while (git_revwalk_next(&id, paseo.get()) == 0) {
        Puntero<git_commit, git_commit_free> c;
        if (git_commit_lookup(c.dir(), repo, &id) != 0) {
            return impl_->fallo("leer el historial");
        }
        Version v;
        v.id = detalle::hex(id);
        v.corto = v.id.substr(0, 8);
        v.segundos = git_commit_time(c.get());
        v.minutosZona = git_commit_time_offset(c.get());
        if (const git_signature* a = git_commit_author(c.get())) {
            v.autor = a->name ? a->name : "";
        }
        bool muchos = false;
        bool nombrados = false;
        leerMensaje(git_commit_message(c.get()), v, muchos, nombrados);
        // A version that counts its files, or one made by another tool, is compared with its parent: whole
        // for the history of the encyclopaedia, at the one path for an article's.
        if (muchos || !nombrados) {
            Puntero<git_tree, git_tree_free> arbol;
            Puntero<git_tree, git_tree_free> previo;
            Puntero<git_commit, git_commit_free> padre;
            git_commit_tree(arbol.dir(), c.get());
            if (git_commit_parentcount(c.get()) > 0 && git_commit_parent(padre.dir(), c.get(), 0) == 0) {
                git_commit_tree(previo.dir(), padre.get());
            }
            if (ruta) {
                Puntero<git_tree_entry, git_tree_entry_free> ahora;
                Puntero<git_tree_entry, git_tree_entry_free> antes;
                if (arbol) {
                    ahora = impl_->buscar(arbol.get(), *ruta);
                }
                if (previo) {
                    antes = impl_->buscar(previo.get(), *ruta);
                }
                const bool cambio =
                    (ahora == nullptr) != (antes == nullptr) ||
                    (ahora && !git_oid_equal(git_tree_entry_id(ahora.get()), git_tree_entry_id(antes.get())));
                v.archivos.clear();
                if (cambio) {
                    v.archivos.push_back(nombreStore);
                }
            } else if (muchos || !previo) {
                v.archivos.clear(); // kept short: a first version or a large one is not listed file by file
            } else {
                Puntero<git_diff, git_diff_free> diff;
                if (git_diff_tree_to_tree(diff.dir(), repo, previo.get(), arbol.get(), nullptr) == 0) {
                    git_diff_foreach(diff.get(), alDiferir, nullptr, nullptr, nullptr, &v.archivos);
                }
            }
            if (muchos && !ruta && v.archivos.empty()) {
                v.archivos.clear();
            }
        }
        if (ruta && std::none_of(v.archivos.begin(), v.archivos.end(),
                                 [&](const std::string& a) { return store::igualesSinCaso(a, nombreStore); })) {
            continue;
        }
        lista.push_back(std::move(v));
    }
    return lista;
}

store::Resultado<Contenido> Historial::leer(std::string_view version, std::string_view nombre) const {
    git_repository* repo = impl_->repo.get();
    Puntero<git_object, git_object_free> objeto;
    Puntero<git_tree, git_tree_free> arbol;
    if (git_revparse_single(objeto.dir(), repo, std::string(version).c_str()) != 0 ||
        git_object_peel(reinterpret_cast<git_object**>(arbol.dir()), objeto.get(), GIT_OBJECT_TREE) != 0) {
        return Error{w("encontrar la versión"), std::string(version), Causa::NoEncontrado,
                     w("no está en el historial")};
    }
    const auto ruta = impl_->rutaEnArbol(nombre, directorio_);
    if (!ruta) {
        return Error{w("leer"), std::string(nombre), Causa::NombreNoValido, {}};
    }
    const auto entrada = impl_->buscar(arbol.get(), *ruta);
    if (!entrada || git_tree_entry_type(entrada.get()) != GIT_OBJECT_BLOB) {
        return Contenido();
    }
    Puntero<git_blob, git_blob_free> blob;
    if (git_blob_lookup(blob.dir(), repo, git_tree_entry_id(entrada.get())) != 0) {
        return impl_->fallo("leer el historial");
    }
    const auto* datos = static_cast<const char*>(git_blob_rawcontent(blob.get()));
    return Contenido(std::string(datos, static_cast<std::size_t>(git_blob_rawsize(blob.get()))));
}

store::Resultado<std::vector<std::string>> Historial::archivos(std::string_view version) const {
    Puntero<git_object, git_object_free> objeto;
    Puntero<git_tree, git_tree_free> arbol;
    if (git_revparse_single(objeto.dir(), impl_->repo.get(), std::string(version).c_str()) != 0 ||
        git_object_peel(reinterpret_cast<git_object**>(arbol.dir()), objeto.get(), GIT_OBJECT_TREE) != 0) {
        return Error{w("encontrar la versión"), std::string(version), Causa::NoEncontrado,
                     w("no está en el historial")};
    }
    std::vector<std::string> nombres;
    git_tree_walk(
        arbol.get(), GIT_TREEWALK_PRE,
        [](const char* raiz, const git_tree_entry* e, void* datos) {
            if (git_tree_entry_type(e) == GIT_OBJECT_BLOB) {
                static_cast<std::vector<std::string>*>(datos)->push_back(
                    nombreDeStore(std::string(raiz) + git_tree_entry_name(e)));
            }
            return 0;
        },
        &nombres);
    return nombres;
}

store::Resultado<std::optional<std::string>> Historial::restaurar(std::string_view version, std::string_view nombre,
                                                                  std::string_view autor) {
    const Bloqueo bloqueo(*impl_->cerrojo);
    if (!bloqueo.tomado()) {
        return impl_->fallo("restaurar", "otro programa de Lumbre está escribiendo el historial");
    }
    auto contenido = leer(version, nombre);
    if (!contenido) {
        return contenido.error();
    }
    if (!*contenido) {
        return Error{w("restaurar"), std::string(nombre), Causa::NoEncontrado, w("no estaba en esa versión")};
    }
    // What the file holds now is kept first, if no version has it yet: a restore never loses a text.
    if (auto antes = registrar({std::string(nombre)}, autor, "Cambios hechos fuera de Forja"); !antes) {
        return antes.error();
    }
    // A file missing now comes back with the spelling it had then.
    std::string nombreEntonces(nombre);
    if (!store::existeArchivo(store::unir(directorio_, nombre))) {
        Puntero<git_object, git_object_free> objeto;
        Puntero<git_tree, git_tree_free> arbol;
        const auto ruta = impl_->rutaEnArbol(nombre, directorio_);
        if (ruta && git_revparse_single(objeto.dir(), impl_->repo.get(), std::string(version).c_str()) == 0 &&
            git_object_peel(reinterpret_cast<git_object**>(arbol.dir()), objeto.get(), GIT_OBJECT_TREE) == 0) {
            if (const auto entrada = impl_->buscar(arbol.get(), *ruta)) {
                const auto barra = nombreEntonces.rfind('\\');
                nombreEntonces = (barra == std::string::npos ? std::string() : nombreEntonces.substr(0, barra + 1)) +
                                 nombreDeStore(git_tree_entry_name(entrada.get()));
            }
        }
    }
    nombre = nombreEntonces;
    const std::string ruta = store::unir(directorio_, nombre);
    if (const auto escrito = store::escribirBytes(ruta, **contenido); !escrito) {
        return escrito.error();
    }
    std::vector<std::string> tocados{std::string(nombre)};
    // An article dropped from the complete list since then is listed again, and so is a list dropped from
    // the list index.
    const auto listarOtraVez = [&](std::string_view indice, std::string_view entrada) -> store::Estado {
        const auto entonces = leer(version, indice);
        if (!entonces || !*entonces) {
            return {};
        }
        const auto buscada = [&](const store::Lineas& lineas) {
            return std::find_if(lineas.begin(), lineas.end(),
                                [&](std::string_view l) { return store::igualesSinCaso(l, entrada); });
        };
        const std::string ruta = store::unir(directorio_, indice);
        const auto ahora = store::leerLineas(ruta);
        const store::Lineas antes = store::partirLineas(**entonces);
        const auto linea = buscada(antes);
        if (linea == antes.end() || !ahora || buscada(*ahora) != ahora->end()) {
            return {};
        }
        if (auto anexado = store::anexarLinea(ruta, std::string(*linea), store::Enlaces::Rechazar); !anexado) {
            return anexado;
        }
        tocados.emplace_back(indice);
        return {};
    };
    const bool esLista = nombre.size() > 4 && store::igualesSinCaso(nombre.substr(nombre.size() - 4), ".dat");
    if (auto listado = esLista ? listarOtraVez(store::kListas, nombre.substr(0, nombre.size() - 4))
                               : listarOtraVez(store::kCompleta, nombre);
        !listado) {
        return listado.error();
    }
    std::string resumen = "Restaurado «" + store::cp1252AUtf8(nombre) + "»";
    Puntero<git_object, git_object_free> objeto;
    Puntero<git_commit, git_commit_free> commit;
    if (git_revparse_single(objeto.dir(), impl_->repo.get(), std::string(version).c_str()) == 0 &&
        git_object_peel(reinterpret_cast<git_object**>(commit.dir()), objeto.get(), GIT_OBJECT_COMMIT) == 0) {
        Version cual;
        cual.segundos = git_commit_time(commit.get());
        cual.minutosZona = git_commit_time_offset(commit.get());
        resumen += " como estaba el " + fechaLegible(cual);
    }
    return registrar(tocados, autor, resumen);
}

namespace {

constexpr const char* kEmpaquetado = "refs/lumbre/empaquetado"; // the last version packed

} // namespace

std::size_t Historial::sinEmpaquetar(std::size_t hasta) const {
    git_repository* repo = impl_->repo.get();
    Puntero<git_revwalk, git_revwalk_free> paseo;
    if (vacio() || git_revwalk_new(paseo.dir(), repo) != 0 || git_revwalk_push_head(paseo.get()) != 0) {
        return 0;
    }
    git_oid hecho;
    if (git_reference_name_to_id(&hecho, repo, kEmpaquetado) == 0) {
        git_revwalk_hide(paseo.get(), &hecho);
    }
    std::size_t n = 0;
    git_oid id;
    while (n < hasta && git_revwalk_next(&id, paseo.get()) == 0) {
        ++n;
    }
    return n;
}

namespace {

// The ids of the objects kept one per file under objects/.
std::vector<git_oid> objetosSueltos(const fs::path& objetos) {
    std::vector<git_oid> ids;
    std::error_code e;
    for (const auto& carpeta : fs::directory_iterator(objetos, e)) {
        const std::string dos = carpeta.path().filename().string();
        if (dos.size() != 2 || !carpeta.is_directory(e)) {
            continue;
        }
        for (const auto& archivo : fs::directory_iterator(carpeta.path(), e)) {
            git_oid id;
            const std::string hex = dos + archivo.path().filename().string();
            if (hex.size() == GIT_OID_HEXSZ && git_oid_fromstr(&id, hex.c_str()) == 0) {
                ids.push_back(id);
            }
        }
    }
    return ids;
}

// One pack of the repository, read through an object database of its own.
struct Paquete {
    fs::path indice;
    Puntero<git_odb, git_odb_free> odb;
    std::vector<git_oid> objetos;
};

std::optional<Paquete> abrirPaquete(const fs::path& indice) {
    Paquete p;
    p.indice = indice;
    git_odb_backend* solo = nullptr;
    if (git_odb_new(p.odb.dir()) != 0 || git_odb_backend_one_pack(&solo, indice.c_str()) != 0) {
        return std::nullopt;
    }
    if (git_odb_add_backend(p.odb.get(), solo, 1) != 0) {
        solo->free(solo);
        return std::nullopt;
    }
    if (git_odb_foreach(
            p.odb.get(),
            [](const git_oid* id, void* datos) {
                static_cast<std::vector<git_oid>*>(datos)->push_back(*id);
                return 0;
            },
            &p.objetos) != 0) {
        return std::nullopt;
    }
    return p;
}

} // namespace

store::Estado Historial::empaquetar() {
    git_repository* repo = impl_->repo.get();
    const fs::path git = impl_->nativa / ".git";
    const fs::path carpetaPaquetes = git / "objects" / "pack";
    // One packing at a time; it waits for nobody.
    const int cerrojo = ::open((git / "lumbre-empaquetar.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (cerrojo < 0) {
        return impl_->fallo("empaquetar el historial", "no se puede crear su cerrojo");
    }
    struct Cerrar {
        int fd;
        ~Cerrar() { ::close(fd); }
    } cerrar{cerrojo};
    if (::flock(cerrojo, LOCK_EX | LOCK_NB) != 0) {
        return {};
    }
    git_oid cabeza;
    if (vacio() || git_reference_name_to_id(&cabeza, repo, "HEAD") != 0) {
        return {};
    }
    // What is packed: every loose object, with the packs that are small beside it, smallest first, as long as
    // each holds no more objects than those gathered so far. The packs of a history that grows by a few objects
    // a version are so merged as the digits of a binary counter carry: a few packs (each holds one whole tree,
    // 4 MB for 100,000 articles, and the other trees as differences from it), and each object repacked only a
    // few times. The large packs (the first version's files) stay as they are. libgit2 finds every difference
    // afresh, so merging everything each time would grow the work with the square of the history.
    const std::vector<git_oid> sueltos = objetosSueltos(git / "objects");
    std::vector<Paquete> paquetes;
    std::error_code e;
    for (const auto& archivo : fs::directory_iterator(carpetaPaquetes, e)) {
        const fs::path ruta = archivo.path();
        if (ruta.extension() != ".idx" || !fs::exists(fs::path(ruta).replace_extension(".pack"), e)) {
            continue;
        }
        if (auto p = abrirPaquete(ruta)) {
            paquetes.push_back(std::move(*p));
        }
    }
    std::sort(paquetes.begin(), paquetes.end(),
              [](const Paquete& a, const Paquete& b) { return a.objetos.size() < b.objetos.size(); });
    std::size_t juntos = sueltos.size();
    std::size_t unidos = 0;
    while (unidos < paquetes.size() && paquetes[unidos].objetos.size() <= juntos) {
        juntos += paquetes[unidos].objetos.size();
        ++unidos;
    }
    Puntero<git_reference, git_reference_free> marca;
    if (sueltos.empty() && unidos < 2) {
        if (git_reference_create(marca.dir(), repo, kEmpaquetado, &cabeza, 1, "empaquetado") != 0) {
            return impl_->fallo("empaquetar el historial");
        }
        return {};
    }
    Puntero<git_packbuilder, git_packbuilder_free> pb;
    if (git_packbuilder_new(pb.dir(), repo) != 0) {
        return impl_->fallo("empaquetar el historial");
    }
    git_packbuilder_set_threads(pb.get(), 1);
    for (const git_oid& id : sueltos) {
        // A loose file that is not an object that can be read (a writer killed while writing it) is left.
        if (git_packbuilder_insert(pb.get(), &id, nullptr) != 0) {
            git_error_clear();
        }
    }
    for (std::size_t i = 0; i < unidos; ++i) {
        for (const git_oid& id : paquetes[i].objetos) {
            if (git_packbuilder_insert(pb.get(), &id, nullptr) != 0) {
                return impl_->fallo("empaquetar el historial");
            }
        }
    }
    // The new pack and its index are synced to disk by the indexer before anything it holds is removed.
    if (git_packbuilder_write(pb.get(), carpetaPaquetes.c_str(), 0, nullptr, nullptr) != 0) {
        return impl_->fallo("empaquetar el historial");
    }
    const std::string nombre = git_packbuilder_name(pb.get()) ? git_packbuilder_name(pb.get()) : "";
    const auto nuevo = nombre.empty() ? std::nullopt : abrirPaquete(carpetaPaquetes / ("pack-" + nombre + ".idx"));
    if (!nuevo) {
        return {};
    }
    if (git_reference_create(marca.dir(), repo, kEmpaquetado, &cabeza, 1, "empaquetado") != 0) {
        return impl_->fallo("empaquetar el historial");
    }
    // The merged packs go (their index first, so that no reader opens them anew), and so do the loose objects
    // now in the new pack; any other (one written meanwhile) stays.
    for (std::size_t i = 0; i < unidos; ++i) {
        const Paquete& viejo = paquetes[i];
        if (viejo.indice == nuevo->indice ||
            !std::all_of(viejo.objetos.begin(), viejo.objetos.end(),
                         [&](const git_oid& id) { return git_odb_exists(nuevo->odb.get(), &id) == 1; })) {
            continue;
        }
        fs::remove(viejo.indice, e);
        for (const char* otra : {".pack", ".rev", ".keep"}) {
            fs::remove(fs::path(viejo.indice).replace_extension(otra), e);
        }
    }
    for (const git_oid& id : sueltos) {
        if (git_odb_exists(nuevo->odb.get(), &id) == 1) {
            const std::string hex = detalle::hex(id);
            fs::remove(git / "objects" / hex.substr(0, 2) / hex.substr(2), e);
        }
    }
    return {};
}

store::Resultado<std::size_t> copiarSinHistorial(std::string_view directorio, std::string_view destino) {
    const fs::path origen = store::resolver(directorio);
    const fs::path nuevo = store::resolver(destino);
    std::error_code e;
    if (!fs::is_directory(origen, e)) {
        return Error{w("copiar la enciclotomo"), std::string(directorio), Causa::RutaNoEncontrada, {}};
    }
    if (fs::exists(nuevo, e) && !(fs::is_directory(nuevo, e) && fs::is_empty(nuevo, e))) {
        return Error{w("copiar la enciclotomo en"), std::string(destino), Causa::YaExiste,
                     w("elija un directorio nuevo o vacío")};
    }
    const fs::path absolutoOrigen = fs::weakly_canonical(origen, e);
    const fs::path absolutoNuevo = fs::weakly_canonical(nuevo, e);
    const auto [fin, resto] =
        std::mismatch(absolutoOrigen.begin(), absolutoOrigen.end(), absolutoNuevo.begin(), absolutoNuevo.end());
    if (fin == absolutoOrigen.end()) {
        return Error{w("copiar la enciclotomo en"), std::string(destino), Causa::NombreNoValido,
                     w("está dentro de la enciclotomo")};
    }
    if (!fs::exists(nuevo, e)) {
        if (auto hecho = store::crearDirectorio(destino); !hecho) {
            return hecho.error();
        }
    }
    std::size_t copiados = 0;
    for (auto it = fs::recursive_directory_iterator(origen, e); !e && it != fs::recursive_directory_iterator();
         it.increment(e)) {
        const std::string ruta = it->path().lexically_relative(origen).generic_string();
        if (it.depth() == 0 && ruta == ".git") {
            it.disable_recursion_pending();
            continue;
        }
        const std::string nombre = nombreDeStore(ruta);
        if (it->is_symlink(e)) {
            continue;
        }
        if (it->is_directory(e)) {
            if (auto hecho = store::crearDirectorio(store::unir(destino, nombre)); !hecho) {
                return hecho.error();
            }
            continue;
        }
        if (!it->is_regular_file(e) || (ruta.find(".lumbre-") != std::string::npos)) {
            continue;
        }
        if (auto hecho = store::copiarArchivo(store::unir(directorio, nombre), store::unir(destino, nombre),
                                              std::uint64_t{1} << 32);
            !hecho) {
            return hecho.error();
        }
        ++copiados;
    }
    if (e) {
        return Error{w("leer el directorio"), std::string(directorio), Causa::Otro, e.message()};
    }
    return copiados;
}

std::string fechaLegible(const Version& version) {
    static constexpr const char* kMeses[] = {"ene", "feb", "mar", "abr", "may", "jun",
                                             "jul", "ago", "sep", "oct", "nov", "dic"};
    const std::time_t t = static_cast<std::time_t>(version.segundos + std::int64_t{version.minutosZona} * 60);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char texto[64];
    std::snprintf(texto, sizeof texto, "%d %s %d %02d:%02d", tm.tm_mday, kMeses[tm.tm_mon % 12], tm.tm_year + 1900,
                  tm.tm_hour, tm.tm_min);
    return texto;
}

} // namespace historial

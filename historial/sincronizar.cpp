#include "historial/sincronizar.h"

#include "historial/interno.h"
#include "store/archivo_de_texto.h"

#include <atomic>
#include <mutex>
#include <set>
#include <thread>

namespace historial {

using namespace interno;

namespace {

constexpr const char* kRama = "refs/heads/principal";
constexpr const char* kRecibida = "refs/lumbre/otra"; // the other side's last version, as fetched
constexpr std::size_t kMarcador = 40;

using Mapa = std::map<std::string, git_oid>;

Mapa entradas(const git_tree* arbol) {
    Mapa mapa;
    if (!arbol) {
        return mapa;
    }
    git_tree_walk(
        arbol, GIT_TREEWALK_PRE,
        [](const char* raiz, const git_tree_entry* e, void* datos) {
            if (git_tree_entry_type(e) == GIT_OBJECT_BLOB) {
                (*static_cast<Mapa*>(datos))[std::string(raiz) + git_tree_entry_name(e)] = *git_tree_entry_id(e);
            }
            return 0;
        },
        &mapa);
    return mapa;
}

// The paths where two trees differ (`antes` null: every path of `despues`), with the blob each side holds
// there, or nothing where it has none. Subtrees with the same id on both sides are not entered.
struct Lados {
    std::optional<git_oid> antes;
    std::optional<git_oid> despues;
};
using Diferencias = std::map<std::string, Lados>;

bool diferencias(git_repository* repo, const git_tree* antes, const git_tree* despues, Diferencias& salida) {
    git_diff_options opciones = GIT_DIFF_OPTIONS_INIT;
    opciones.flags = GIT_DIFF_SKIP_BINARY_CHECK;
    Puntero<git_diff, git_diff_free> diff;
    if (git_diff_tree_to_tree(diff.dir(), repo, const_cast<git_tree*>(antes), const_cast<git_tree*>(despues),
                              &opciones) != 0) {
        return false;
    }
    const auto blob = [](const git_diff_file& f) {
        return (f.flags & GIT_DIFF_FLAG_EXISTS) && f.mode != GIT_FILEMODE_COMMIT && f.mode != GIT_FILEMODE_TREE
                   ? std::optional<git_oid>(f.id)
                   : std::nullopt;
    };
    for (std::size_t i = 0; i < git_diff_num_deltas(diff.get()); ++i) {
        const git_diff_delta* d = git_diff_get_delta(diff.get(), i);
        Lados lados{blob(d->old_file), blob(d->new_file)};
        if (!lados.antes && !lados.despues) {
            continue;
        }
        salida[d->new_file.path ? d->new_file.path : d->old_file.path] = lados;
    }
    return true;
}

// The blob at `ruta` in `arbol`, if any.
std::optional<git_oid> blobEn(const git_tree* arbol, std::string_view ruta) {
    Puntero<git_tree_entry, git_tree_entry_free> e;
    if (!arbol || git_tree_entry_bypath(e.dir(), arbol, std::string(ruta).c_str()) != 0 ||
        git_tree_entry_type(e.get()) != GIT_OBJECT_BLOB) {
        return std::nullopt;
    }
    return *git_tree_entry_id(e.get());
}

std::optional<git_oid> en(const Mapa& mapa, const std::string& ruta) {
    const auto i = mapa.find(ruta);
    return i == mapa.end() ? std::nullopt : std::optional<git_oid>(i->second);
}

bool iguales(const std::optional<git_oid>& a, const std::optional<git_oid>& b) {
    return a.has_value() == b.has_value() && (!a || git_oid_equal(&*a, &*b));
}

std::string bytesDe(git_repository* repo, const std::optional<git_oid>& id) {
    if (!id) {
        return {};
    }
    Puntero<git_blob, git_blob_free> blob;
    if (git_blob_lookup(blob.dir(), repo, &*id) != 0) {
        return {};
    }
    return std::string(static_cast<const char*>(git_blob_rawcontent(blob.get())),
                       static_cast<std::size_t>(git_blob_rawsize(blob.get())));
}

bool esDireccion(const std::string& destino) {
    for (const char* esquema : {"git://", "http://", "https://", "ssh://", "file://"}) {
        if (destino.rfind(esquema, 0) == 0) {
            return true;
        }
    }
    // user@host:path, as ssh writes it
    const auto arroba = destino.find('@');
    return arroba != std::string::npos && destino.find(':', arroba) != std::string::npos && destino[0] != '/';
}

bool pareceTexto(std::string_view bytes) {
    return bytes.find('\0') == std::string_view::npos;
}

// Merges with git's own three-way file merge; the markers it writes only ever reach the parser below.
struct Unido {
    bool limpio = false;
    std::string texto;
};
Unido mezclar(std::string_view base, std::string_view mia, std::string_view otra, git_merge_file_favor_t favor) {
    detalle::iniciar();
    git_merge_file_input b = GIT_MERGE_FILE_INPUT_INIT;
    git_merge_file_input m = GIT_MERGE_FILE_INPUT_INIT;
    git_merge_file_input o = GIT_MERGE_FILE_INPUT_INIT;
    b.ptr = base.data();
    b.size = base.size();
    m.ptr = mia.data();
    m.size = mia.size();
    o.ptr = otra.data();
    o.size = otra.size();
    git_merge_file_options opciones = GIT_MERGE_FILE_OPTIONS_INIT;
    opciones.favor = favor;
    opciones.marker_size = static_cast<unsigned short>(kMarcador);
    opciones.our_label = "mia";
    opciones.their_label = "otra";
    git_merge_file_result r{};
    Unido u;
    if (git_merge_file(&r, &b, &m, &o, &opciones) != 0) {
        return u;
    }
    u.limpio = r.automergeable != 0;
    u.texto.assign(r.ptr ? r.ptr : "", r.len);
    git_merge_file_result_free(&r);
    return u;
}

bool ordenadas(const store::Lineas& lineas) {
    return std::is_sorted(lineas.begin(), lineas.end(), [](std::string_view a, std::string_view b) {
        return store::aMayusculas(a) < store::aMayusculas(b);
    });
}

} // namespace

std::string unirListas(std::string_view base, std::string_view mia, std::string_view otra, bool ordenar) {
    const store::Lineas lb = store::partirLineas(base);
    const store::Lineas lm = store::partirLineas(mia);
    const store::Lineas lo = store::partirLineas(otra);
    const Unido u =
        mezclar(store::unirLineas(lb), store::unirLineas(lm), store::unirLineas(lo), GIT_MERGE_FILE_FAVOR_UNION);
    std::vector<std::string> resultado;
    std::set<std::string> vistas;
    for (std::string_view linea : store::partirLineas(u.texto)) {
        if (vistas.insert(std::string(linea)).second) {
            resultado.emplace_back(linea);
        }
    }
    if (ordenar && ordenadas(lb) && ordenadas(lm) && ordenadas(lo)) {
        std::stable_sort(resultado.begin(), resultado.end(), [](const std::string& a, const std::string& b) {
            return store::aMayusculas(a) < store::aMayusculas(b);
        });
    }
    std::string bytes;
    for (const std::string& l : resultado) {
        bytes += l;
        bytes += "\r\n";
    }
    return bytes;
}

std::vector<Pieza> unirTexto(std::string_view base, std::string_view mia, std::string_view otra) {
    const Unido u = mezclar(base, mia, otra, GIT_MERGE_FILE_FAVOR_NORMAL);
    if (u.limpio) {
        return {Pieza{false, u.texto, {}, {}}};
    }
    const std::string abre(kMarcador, '<');
    const std::string medio(kMarcador, '=');
    const std::string cierra(kMarcador, '>');
    std::vector<Pieza> piezas;
    enum { Comun, Mia, Otra } donde = Comun;
    Pieza actual;
    std::size_t i = 0;
    while (i < u.texto.size()) {
        const auto fin = u.texto.find('\n', i);
        const std::size_t hasta = fin == std::string::npos ? u.texto.size() : fin + 1;
        const std::string_view linea(u.texto.data() + i, hasta - i);
        i = hasta;
        if (donde == Comun && linea.rfind(abre, 0) == 0) {
            if (!actual.comun.empty()) {
                piezas.push_back(std::move(actual));
            }
            actual = Pieza{true, {}, {}, {}};
            donde = Mia;
        } else if (donde == Mia && linea.rfind(medio, 0) == 0) {
            donde = Otra;
        } else if (donde == Otra && linea.rfind(cierra, 0) == 0) {
            piezas.push_back(std::move(actual));
            actual = Pieza{};
            donde = Comun;
        } else {
            (donde == Comun ? actual.comun : donde == Mia ? actual.mia : actual.otra) += linea;
        }
    }
    if (!actual.comun.empty() || actual.conflicto) {
        piezas.push_back(std::move(actual));
    }
    return piezas;
}

std::string resolver(const std::vector<Pieza>& piezas, const std::vector<Decision>& decisiones) {
    std::string texto;
    std::size_t k = 0;
    for (const Pieza& p : piezas) {
        if (!p.conflicto) {
            texto += p.comun;
            continue;
        }
        const Decision d = k < decisiones.size() ? decisiones[k] : Decision{};
        ++k;
        texto += d.eleccion == Eleccion::Mia ? p.mia : d.eleccion == Eleccion::Otra ? p.otra : d.texto;
    }
    return texto;
}

struct Sincronizacion::Datos {
    Historial* historial = nullptr;
    std::string destino;
    Puntero<git_remote, git_remote_free> remoto;
    git_oid mia{};
    git_oid otra{};
    // The files this side changes, by tree path: new bytes, or nothing for a deletion; and, for the files in
    // conflict (by the same index as conflictos_), their tree paths.
    std::map<std::string, std::optional<std::string>> cambios;
    std::vector<std::string> rutasEnConflicto;
    // The folder's repository, when the other side is a folder: locked like the encyclopaedia's own.
    std::unique_ptr<Cerrojo> cerrojoDestino;
};

Sincronizacion::Sincronizacion() : d_(std::make_unique<Datos>()) {}
Sincronizacion::~Sincronizacion() = default;

store::Resultado<std::unique_ptr<Sincronizacion>>
Sincronizacion::preparar(Historial& historial, const std::string& destino, bool unirSinRelacion) {
    detalle::iniciar();
    Historial::Impl& h = historial.interno();
    git_repository* repo = h.repo.get();
    const auto falla = [&](std::string_view que, std::string_view porque = {}) {
        return Error{w(que), w(destino), Causa::Otro, w(porque.empty() ? detalle::ultimoError() : porque)};
    };
    std::unique_ptr<Sincronizacion> s(new Sincronizacion());
    Datos& d = *s->d_;
    d.historial = &historial;
    d.destino = destino;
    if (historial.vacio()) {
        return falla("sincronizar con", "la enciclotomo no tiene versiones todavía");
    }
    std::string direccion = destino;
    if (!esDireccion(destino)) {
        const fs::path carpeta(destino);
        std::error_code e;
        const bool existe = fs::exists(carpeta, e);
        if (existe && !fs::is_directory(carpeta, e)) {
            return falla("sincronizar con", "no es una carpeta");
        }
        if (!existe || fs::is_empty(carpeta, e)) {
            git_repository_init_options opciones = GIT_REPOSITORY_INIT_OPTIONS_INIT;
            opciones.flags = GIT_REPOSITORY_INIT_BARE | GIT_REPOSITORY_INIT_MKPATH;
            opciones.initial_head = "principal";
            Puntero<git_repository, git_repository_free> nuevo;
            if (git_repository_init_ext(nuevo.dir(), carpeta.c_str(), &opciones) != 0) {
                return falla("preparar la carpeta de sincronización");
            }
        } else {
            Puntero<git_repository, git_repository_free> ajeno;
            if (git_repository_open_ext(ajeno.dir(), carpeta.c_str(),
                                        GIT_REPOSITORY_OPEN_NO_SEARCH | GIT_REPOSITORY_OPEN_NO_DOTGIT |
                                            GIT_REPOSITORY_OPEN_BARE,
                                        nullptr) != 0) {
                return falla("sincronizar con", "la carpeta no está vacía y no guarda un historial de enciclotomo");
            }
        }
        direccion = fs::absolute(carpeta, e).string();
    }
    if (!esDireccion(destino)) {
        d.cerrojoDestino = std::make_unique<Cerrojo>(fs::path(direccion));
    }
    const Bloqueo bloqueo(*h.cerrojo);
    if (!bloqueo.tomado()) {
        return falla("sincronizar con", "otro programa de Lumbre está escribiendo el historial");
    }
    // An anonymous remote, with no rule of the repository's configuration applied to its address: a received
    // copy's "url.*.insteadOf" could send the sync elsewhere.
    git_remote_create_options remoto = GIT_REMOTE_CREATE_OPTIONS_INIT;
    remoto.repository = repo;
    remoto.flags = GIT_REMOTE_CREATE_SKIP_INSTEADOF;
    if (git_remote_create_with_opts(d.remoto.dir(), direccion.c_str(), &remoto) != 0) {
        return falla("sincronizar con");
    }
    if (Puntero<git_reference, git_reference_free> vieja; git_reference_lookup(vieja.dir(), repo, kRecibida) == 0) {
        git_reference_delete(vieja.get());
    }
    const std::string especificacion = std::string("+") + kRama + ":" + kRecibida;
    char* especificaciones[] = {const_cast<char*>(especificacion.c_str())};
    const git_strarray lista{especificaciones, 1};
    git_fetch_options traer = GIT_FETCH_OPTIONS_INIT;
    traer.download_tags = GIT_REMOTE_DOWNLOAD_TAGS_NONE;
    if (git_remote_fetch(d.remoto.get(), &lista, &traer, nullptr) != 0) {
        return falla("traer las versiones de");
    }
    if (git_reference_name_to_id(&d.mia, repo, "HEAD") != 0) {
        return falla("sincronizar con");
    }
    if (git_reference_name_to_id(&d.otra, repo, kRecibida) != 0) {
        s->caso_ = Caso::Enviar; // nothing there yet
        return s;
    }
    if (git_oid_equal(&d.mia, &d.otra)) {
        s->caso_ = Caso::AlDia;
        return s;
    }

    const auto arbolDe = [&](const git_oid& id) {
        Puntero<git_commit, git_commit_free> c;
        Puntero<git_tree, git_tree_free> t;
        if (git_commit_lookup(c.dir(), repo, &id) == 0) {
            git_commit_tree(t.dir(), c.get());
        }
        return t;
    };
    const auto arbolMio = arbolDe(d.mia);
    const auto arbolOtro = arbolDe(d.otra);
    Puntero<git_tree, git_tree_free> arbolBase;
    git_oid comun;
    const int relacion = git_merge_base(&comun, repo, &d.mia, &d.otra);
    if (relacion == GIT_ENOTFOUND) {
        // Copies made before versions existed share most of their files and their title.
        const Mapa mia = entradas(arbolMio.get());
        const Mapa otra = entradas(arbolOtro.get());
        std::size_t compartidos = 0;
        for (const auto& par : mia) {
            compartidos += otra.count(par.first);
        }
        const auto titulo = [&](const Mapa& m) {
            const store::Lineas l = store::partirLineas(bytesDe(repo, en(m, std::string(store::kDescrip))));
            return l.empty() ? std::string() : std::string(l.front());
        };
        const bool misma =
            compartidos * 2 >= std::min(mia.size(), otra.size()) && titulo(mia) == titulo(otra) && !mia.empty();
        if (!misma) {
            return falla("sincronizar con", "guarda el historial de otra enciclotomo; no se escribió nada");
        }
        if (!unirSinRelacion) {
            s->caso_ = Caso::SinRelacion;
            return s;
        }
    } else if (relacion != 0) {
        return falla("sincronizar con");
    } else if (git_oid_equal(&comun, &d.otra)) {
        s->caso_ = Caso::Enviar;
        return s;
    } else {
        arbolBase = arbolDe(comun);
    }
    const bool avanzar = relacion == 0 && git_oid_equal(&comun, &d.mia);
    s->caso_ = avanzar ? Caso::Avanzar : Caso::Unir;

    // Only the paths either side changed since the common version are looked at (all of them when there is
    // none): a version of 100,000 articles is not walked whole.
    Diferencias mias;
    Diferencias otras;
    if (!avanzar && !diferencias(repo, arbolBase.get(), arbolMio.get(), mias)) {
        return falla("sincronizar con");
    }
    if (!diferencias(repo, avanzar ? arbolMio.get() : arbolBase.get(), arbolOtro.get(), otras)) {
        return falla("sincronizar con");
    }

    // Which files are lists: the fixed ones, and each list the index names on either side.
    std::set<std::string> listas = {store::aMayusculas(store::kCompleta), store::aMayusculas(store::kListas)};
    for (const git_tree* arbol : {arbolMio.get(), arbolOtro.get()}) {
        for (std::string_view l : store::partirLineas(bytesDe(repo, blobEn(arbol, store::kListas)))) {
            listas.insert(store::aMayusculas(std::string(l) + ".DAT"));
        }
    }
    std::set<std::string> rutas;
    for (const Diferencias* m : {&mias, &otras}) {
        for (const auto& par : *m) {
            rutas.insert(par.first);
        }
    }
    for (const std::string& ruta : rutas) {
        const auto enMias = mias.find(ruta);
        const auto enOtras = otras.find(ruta);
        const std::optional<git_oid> b = enMias != mias.end() ? enMias->second.antes : enOtras->second.antes;
        const std::optional<git_oid> m = enMias != mias.end() ? enMias->second.despues : b;
        const std::optional<git_oid> o = enOtras != otras.end() ? enOtras->second.despues : b;
        if (iguales(m, o) || iguales(o, b)) {
            continue; // the same on both sides, or only this side changed it
        }
        if (avanzar || iguales(m, b) || !m || !o) {
            // Only the other side changed it, or one side deleted what the other changed: that one is kept.
            if (!o && m && !iguales(m, b)) {
                continue;
            }
            d.cambios[ruta] = o ? std::optional<std::string>(bytesDe(repo, o)) : std::nullopt;
            s->recibidos_.push_back(nombreDeStore(ruta));
            continue;
        }
        const std::string bb = bytesDe(repo, b);
        const std::string bm = bytesDe(repo, m);
        const std::string bo = bytesDe(repo, o);
        const std::string mayus = store::aMayusculas(nombreDeStore(ruta));
        if (listas.count(mayus) || mayus == store::aMayusculas(store::kDict)) {
            d.cambios[ruta] = unirListas(bb, bm, bo, mayus == store::aMayusculas(store::kDict));
            s->recibidos_.push_back(nombreDeStore(ruta));
            continue;
        }
        ArchivoEnConflicto conflicto;
        conflicto.nombre = nombreDeStore(ruta);
        if (!pareceTexto(bb) || !pareceTexto(bm) || !pareceTexto(bo)) {
            conflicto.binario = true;
            conflicto.piezas = {Pieza{true, {}, bm, bo}};
        } else {
            conflicto.piezas = unirTexto(bb, bm, bo);
            if (conflicto.piezas.size() <= 1 && (conflicto.piezas.empty() || !conflicto.piezas.front().conflicto)) {
                d.cambios[ruta] = conflicto.piezas.empty() ? std::string() : conflicto.piezas.front().comun;
                s->recibidos_.push_back(conflicto.nombre);
                continue;
            }
        }
        d.rutasEnConflicto.push_back(ruta);
        s->conflictos_.push_back(std::move(conflicto));
    }
    return s;
}

store::Resultado<std::string> Sincronizacion::completar(const std::vector<std::vector<Decision>>& decisiones,
                                                        std::string_view autor) {
    Datos& d = *d_;
    Historial::Impl& h = d.historial->interno();
    git_repository* repo = h.repo.get();
    const auto falla = [&](std::string_view que, std::string_view porque = {}) {
        return Error{w(que), w(d.destino), Causa::Otro, w(porque.empty() ? detalle::ultimoError() : porque)};
    };
    if (decisiones.size() != conflictos_.size()) {
        return falla("sincronizar con", "quedan conflictos sin decidir");
    }
    const Bloqueo bloqueo(*h.cerrojo);
    if (!bloqueo.tomado()) {
        return falla("sincronizar con", "otro programa de Lumbre está escribiendo el historial");
    }
    for (std::size_t i = 0; i < conflictos_.size(); ++i) {
        d.cambios[d.rutasEnConflicto[i]] = resolver(conflictos_[i].piezas, decisiones[i]);
    }
    std::string relato;
    if (caso_ == Caso::Avanzar || caso_ == Caso::Unir) {
        // The store's files first, each whole through its writer; the version that records them after. Folders
        // are made and deletions done in order, then the files are written several at a time, so that their
        // syncs to disk overlap.
        std::vector<std::pair<std::string, const std::string*>> escribir;
        for (const auto& [ruta, bytes] : d.cambios) {
            const std::string nombre = nombreDeStore(ruta);
            const std::string completo = store::unir(d.historial->directorio(), nombre);
            if (bytes) {
                if (const auto barra = nombre.rfind('\\'); barra != std::string::npos) {
                    const std::string carpeta = store::unir(d.historial->directorio(), nombre.substr(0, barra));
                    if (!store::existeDirectorio(carpeta)) {
                        if (auto hecho = store::crearDirectorio(carpeta); !hecho) {
                            return hecho.error();
                        }
                    }
                }
                escribir.emplace_back(completo, &*bytes);
            } else {
                std::error_code e;
                const fs::path nativa = store::resolver(completo);
                fs::remove(nativa, e);
                store::olvidarDirectorio(nativa.parent_path());
            }
        }
        std::atomic<std::size_t> siguiente{0};
        std::mutex cerrojoFallo;
        std::optional<Error> fallo;
        const auto escritor = [&] {
            for (std::size_t i = siguiente++; i < escribir.size(); i = siguiente++) {
                if (auto escrito = store::escribirBytes(escribir[i].first, *escribir[i].second); !escrito) {
                    const std::lock_guard<std::mutex> c(cerrojoFallo);
                    if (!fallo) {
                        fallo = escrito.error();
                    }
                }
            }
        };
        std::vector<std::thread> hilos;
        for (std::size_t i = 1; i < std::min<std::size_t>(8, escribir.size()); ++i) {
            hilos.emplace_back(escritor);
        }
        escritor();
        for (std::thread& hilo : hilos) {
            hilo.join();
        }
        if (fallo) {
            return *fallo;
        }
        Puntero<git_reference, git_reference_free> cabeza;
        if (git_repository_head(cabeza.dir(), repo) != 0) {
            return falla("sincronizar con");
        }
        git_oid nueva = d.otra;
        if (caso_ == Caso::Unir) {
            std::map<std::string, std::optional<git_oid>> blobs;
            for (const auto& [ruta, bytes] : d.cambios) {
                if (!bytes) {
                    blobs[ruta] = std::nullopt;
                    continue;
                }
                git_oid id;
                if (git_blob_create_from_buffer(&id, repo, bytes->data(), bytes->size()) != 0) {
                    return falla("sincronizar con");
                }
                blobs[ruta] = id;
            }
            Puntero<git_commit, git_commit_free> mia;
            Puntero<git_commit, git_commit_free> otra;
            Puntero<git_tree, git_tree_free> arbolMio;
            if (git_commit_lookup(mia.dir(), repo, &d.mia) != 0 || git_commit_lookup(otra.dir(), repo, &d.otra) != 0 ||
                git_commit_tree(arbolMio.dir(), mia.get()) != 0) {
                return falla("sincronizar con");
            }
            git_oid arbolId;
            std::size_t cuantas = 0;
            Puntero<git_tree, git_tree_free> arbol;
            if (!h.construir(arbolMio.get(), blobs, &arbolId, cuantas) ||
                git_tree_lookup(arbol.dir(), repo, &arbolId) != 0) {
                return falla("sincronizar con");
            }
            std::string mensaje = "Sincronizado con " + store::cp1252AUtf8(d.destino) + "\n\n";
            for (const auto& par : blobs) {
                mensaje += std::string(kClaveArchivo) + par.first + "\n";
            }
            Puntero<git_signature, git_signature_free> firma;
            const std::string nombre = autor.empty() ? std::string("Autor sin nombre") : std::string(autor);
            if (git_signature_now(firma.dir(), nombre.c_str(), kCorreo) != 0) {
                return falla("sincronizar con");
            }
            const git_commit* padres[] = {mia.get(), otra.get()};
            if (git_commit_create(&nueva, repo, nullptr, firma.get(), firma.get(), nullptr, mensaje.c_str(),
                                  arbol.get(), 2, padres) != 0) {
                return falla("sincronizar con");
            }
        }
        Puntero<git_reference, git_reference_free> movida;
        if (git_reference_set_target(movida.dir(), cabeza.get(), &nueva, "sincronizar") != 0) {
            return falla("sincronizar con");
        }
        d.mia = nueva;
        relato += d.cambios.empty() ? std::string()
                                    : "Se recibieron " + std::to_string(d.cambios.size()) +
                                          (d.cambios.size() == 1 ? " archivo. " : " archivos. ");
    }
    if (caso_ == Caso::Enviar || caso_ == Caso::Unir) {
        Puntero<git_reference, git_reference_free> cabeza;
        std::string propia = kRama;
        if (git_repository_head(cabeza.dir(), repo) == 0) {
            propia = git_reference_name(cabeza.get());
        }
        const std::string envio = propia + ":" + kRama;
        char* especificaciones[] = {const_cast<char*>(envio.c_str())};
        const git_strarray lista{especificaciones, 1};
        Cerrojo sinDestino;
        const Bloqueo bloqueoDestino(d.cerrojoDestino ? *d.cerrojoDestino : sinDestino);
        if (d.cerrojoDestino && !bloqueoDestino.tomado()) {
            return falla("enviar las versiones a", "otro programa de Lumbre la está escribiendo");
        }
        git_push_options opciones = GIT_PUSH_OPTIONS_INIT;
        // The differences between the versions' trees (4 MB each for 100,000 articles) are sought on every core.
        opciones.pb_parallelism = 0;
        std::string rechazo;
        opciones.callbacks.payload = &rechazo;
        opciones.callbacks.push_update_reference = [](const char*, const char* estado, void* datos) {
            if (estado) {
                *static_cast<std::string*>(datos) = estado;
            }
            return 0;
        };
        if (git_remote_push(d.remoto.get(), &lista, &opciones) != 0) {
            return falla("enviar las versiones a");
        }
        if (!rechazo.empty()) {
            return falla("enviar las versiones a",
                         "la otra copia cambió mientras tanto (" + rechazo + "); vuelva a sincronizar");
        }
        relato += "Se enviaron las versiones de esta copia.";
    }
    if (caso_ == Caso::AlDia) {
        relato = "Las dos copias ya estaban al día.";
    }
    return relato;
}

} // namespace historial

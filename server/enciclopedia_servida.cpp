#include "server/enciclopedia_servida.h"

#include "search/indice.h"
#include "search/plegado.h"
#include "store/archivo_de_texto.h"
#include "store/archivos_de_lista.h"
#include "store/codificacion.h"
#include "store/enciclopedia.h"
#include "store/lector_de_titulos.h"
#include "store/rutas.h"

#include <QThreadPool>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

namespace server {

namespace {

Firma firmaDeStat(const struct stat& st) {
    return Firma{static_cast<std::int64_t>(st.st_size),
                 static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

// A file of the store by its stored path, not through a link at its end.
Firma firmaDe(const std::string& ruta) {
    struct stat st {};
    if (::lstat(store::resolver(ruta).c_str(), &st) != 0) {
        return {};
    }
    return firmaDeStat(st);
}

std::vector<std::string> noVacias(const store::Lineas& lineas) {
    std::vector<std::string> v;
    v.reserve(lineas.size());
    for (const std::string_view l : lineas) {
        if (!l.empty()) {
            v.emplace_back(l);
        }
    }
    return v;
}

// The articles a list names, its empty lines left out and the editor's history (".git") too, whatever a careless
// list says: the server never serves it.
std::vector<std::string> articulosDe(const store::Lineas& lineas) {
    std::vector<std::string> v = noVacias(lineas);
    std::erase_if(v, [](const std::string& n) { return store::igualesSinCaso(n, store::kHistorial); });
    return v;
}

// The articles of one directory looked at through one open descriptor of it: a name as spelled on disk costs
// one fstatat; any other goes through the store's case-insensitive resolution.
class Mirada {
public:
    explicit Mirada(const std::string& directorio) : directorio_(directorio) {
        dirfd_ = ::open(store::resolver(directorio).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    ~Mirada() {
        if (dirfd_ >= 0) {
            ::close(dirfd_);
        }
    }
    Mirada(const Mirada&) = delete;
    Mirada& operator=(const Mirada&) = delete;

    Firma firma(const std::string& nombre) {
        nativo_ = store::cp1252AUtf8(nombre);
        std::replace(nativo_.begin(), nativo_.end(), '\\', '/');
        struct stat st {};
        if (dirfd_ >= 0 && ::fstatat(dirfd_, nativo_.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
            return firmaDeStat(st);
        }
        return firmaDe(store::unir(directorio_, nombre));
    }

private:
    std::string directorio_;
    int dirfd_ = -1;
    std::string nativo_;
};

} // namespace

std::string idDeDirectorio(const std::string& directorio) {
    std::string_view resto = directorio;
    while (!resto.empty() && (resto.back() == '\\' || resto.back() == '/')) {
        resto.remove_suffix(1);
    }
    const std::size_t barra = resto.find_last_of("\\/:");
    if (barra != std::string_view::npos) {
        resto.remove_prefix(barra + 1);
    }
    std::string id;
    for (const char c : search::plegar(resto)) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u)) {
            id += static_cast<char>(std::tolower(u));
        } else if (!id.empty() && id.back() != '-') {
            id += '-';
        }
    }
    while (!id.empty() && id.back() == '-') {
        id.pop_back();
    }
    return id.empty() ? std::string("enciclotomo") : id;
}

EnciclopediaServida::EnciclopediaServida(std::string directorio, std::string id, std::chrono::milliseconds intervalo,
                                         QThreadPool* revisiones)
    : directorio_(std::move(directorio)), id_(std::move(id)), intervalo_(intervalo), revisiones_(revisiones),
      instantanea_(std::make_shared<Instantanea>()), buscador_(directorio_), diccionario_(directorio_) {}

EnciclopediaServida::~EnciclopediaServida() = default;

std::shared_ptr<const Instantanea> EnciclopediaServida::instantanea() {
    std::shared_ptr<const Instantanea> actual;
    bool toca = false;
    {
        std::lock_guard bloqueo(mutexInstantanea_);
        actual = instantanea_;
        toca = std::chrono::steady_clock::now() - ultimaRevision_ >= intervalo_;
    }
    if (toca) {
        pedirRevision();
    }
    return actual;
}

void EnciclopediaServida::pedirRevision() {
    if (!revisiones_ || cancelar_ || revisando_.exchange(true)) {
        return; // a look is under way: its result is what the next requests see
    }
    revisiones_->start([yo = shared_from_this()] {
        yo->revisar(true);
        yo->revisando_ = false;
    });
}

void EnciclopediaServida::revisar(bool conIndice) {
    std::lock_guard bloqueo(mutexRevision_);
    {
        std::lock_guard b(mutexInstantanea_);
        ultimaRevision_ = std::chrono::steady_clock::now();
    }
    const std::shared_ptr<const Instantanea> anterior = [this] {
        std::lock_guard b(mutexInstantanea_);
        return instantanea_;
    }();

    // The directory itself, its fixed files and its list files first: while none of them changed, none is read
    // again, and only the articles are looked at.
    bool listasCambiaron = anterior->generacion == 0;
    const auto mirar = [&](const std::string& nombre) {
        const Firma f = firmaDe(nombre.empty() ? directorio_ : store::unir(directorio_, nombre));
        const auto visto = firmas_.find(nombre);
        if (visto == firmas_.end() || !(visto->second == f)) {
            listasCambiaron = true;
        }
        firmas_[nombre] = f;
    };
    // The directory's own time changes whenever a file in it is added, removed or replaced (the store and the
    // editor save every file that way).
    mirar(std::string());
    for (const std::string_view fijo : {store::kDescrip, store::kListas, store::kCompleta, store::kColor}) {
        mirar(std::string(fijo));
    }
    for (const std::string& lista : anterior->listas) {
        mirar(lista + ".dat");
    }
    const bool barridoCompleto = listasCambiaron;

    std::shared_ptr<Instantanea> nueva;
    if (listasCambiaron) {
        nueva = std::make_shared<Instantanea>();
        if (const auto descripcion = store::leerDescripcion(directorio_)) {
            if (descripcion->size() > 0) {
                nueva->titulo = std::string((*descripcion)[0]);
            }
            if (descripcion->size() > 1) {
                nueva->comentario = std::string((*descripcion)[1]);
            }
        } else {
            nueva->avisos.push_back(store::cp1252AUtf8(descripcion.error().mensaje()));
        }
        nueva->colores = store::leerColores(directorio_).valores;
        std::vector<std::string> listas;
        if (const auto indice = store::leerIndiceListas(directorio_)) {
            listas = noVacias(*indice);
        } else if (indice.error().causa != store::Causa::NoEncontrado) {
            nueva->avisos.push_back(store::cp1252AUtf8(indice.error().mensaje()));
        }
        if (const auto completa = store::leerCompleta(directorio_)) {
            nueva->completa = articulosDe(*completa);
        } else {
            nueva->avisos.push_back(store::cp1252AUtf8(completa.error().mensaje()));
        }
        for (const std::string& lista : listas) {
            // A list name that would lead out of the directory is no list; one named twice is one list.
            if (!store::nombreArchivoValido(lista + ".dat") || nueva->miembros.count(lista)) {
                continue;
            }
            mirar(lista + ".dat");
            if (const auto miembros = store::leerLista(directorio_, lista)) {
                nueva->miembros[lista] = articulosDe(*miembros);
                nueva->listas.push_back(lista);
            } else {
                nueva->avisos.push_back(store::cp1252AUtf8(miembros.error().mensaje()));
            }
        }
        // Every article any list names, once each, in the order first named.
        std::unordered_set<std::string> vistosYa;
        orden_.clear();
        const auto agregar = [&](const std::vector<std::string>& v) {
            for (const std::string& n : v) {
                if (store::nombreRelativoSeguro(n) && vistosYa.insert(n).second) {
                    orden_.push_back(n);
                }
            }
        };
        agregar(nueva->completa);
        for (const std::string& lista : nueva->listas) {
            agregar(nueva->miembros[lista]);
        }
        for (auto it = vistos_.begin(); it != vistos_.end();) {
            it = vistosYa.count(it->first) ? std::next(it) : vistos_.erase(it);
        }
        cursor_ = 0;
    }

    // The articles: all of them after a change of the directory or its lists, else the next stretch of them, so
    // that a look at a large encyclopaedia stays short and every article is looked at within a few looks.
    Mirada mirada(directorio_);
    std::optional<store::LectorTitulos> lector;
    bool articulosCambiaron = false;
    const std::size_t cuantos = barridoCompleto ? orden_.size() : std::min(orden_.size(), kArticulosPorMirada);
    for (std::size_t k = 0; k < cuantos; ++k) {
        const std::string& nombre = orden_[(cursor_ + k) % orden_.size()];
        const Firma f = mirada.firma(nombre);
        const auto antes = vistos_.find(nombre);
        if (antes != vistos_.end() && antes->second.firma == f) {
            continue;
        }
        articulosCambiaron = true;
        if (!lector) {
            lector.emplace(directorio_);
        }
        TituloVisto visto{f, std::nullopt};
        if (f.tamano >= 0) {
            if (auto t = lector->titulo(nombre)) {
                visto.titulo = std::move(*t);
            }
        }
        vistos_[nombre] = std::move(visto);
    }
    cursor_ = orden_.empty() ? 0 : (cursor_ + cuantos) % orden_.size();

    const bool cambio = listasCambiaron || articulosCambiaron;
    if (cambio) {
        if (!nueva) {
            nueva = std::make_shared<Instantanea>(*anterior);
            nueva->titulos.clear();
            nueva->plegados.clear();
        }
        std::int64_t modificado = 0;
        for (const auto& [nombre, f] : firmas_) {
            modificado = std::max(modificado, f.tiempo);
        }
        nueva->titulos.reserve(vistos_.size());
        for (const auto& [nombre, visto] : vistos_) {
            modificado = std::max(modificado, visto.firma.tiempo);
            nueva->titulos.emplace(nombre, visto.titulo);
            if (visto.titulo) {
                nueva->plegados.emplace(nombre, search::plegar(*visto.titulo));
            }
        }
        nueva->modificado = modificado / 1000000000;
        nueva->generacion = anterior->generacion + 1;
        std::lock_guard b(mutexInstantanea_);
        instantanea_ = std::move(nueva);
    }

    if (conIndice && !cancelar_ && (cambio || !indiceAlDia_)) {
        const search::Informe informe = search::actualizarIndice(
            directorio_,
            [this](std::size_t h, std::size_t t) {
                std::lock_guard b(mutexIndice_);
                indice_.hechos = h;
                indice_.total = t;
            },
            &cancelar_);
        std::lock_guard b(mutexIndice_);
        indice_.error = informe.error;
        if (informe.error.empty() && !informe.cancelado) {
            indice_.listo = true;
            indiceAlDia_ = true;
        }
    }
}

search::Resultados EnciclopediaServida::buscar(const std::string& consulta, std::size_t desde, std::size_t cuantos) {
    std::lock_guard bloqueo(mutexBusqueda_);
    return buscador_.buscar(consulta, desde, cuantos, kCotasDeBusqueda);
}

EstadoIndice EnciclopediaServida::estadoIndice() const {
    std::lock_guard b(mutexIndice_);
    return indice_;
}

} // namespace server

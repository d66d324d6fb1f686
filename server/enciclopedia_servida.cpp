#include "server/enciclopedia_servida.h"

#include "search/indice.h"
#include "search/plegado.h"
#include "store/encoding.h"
#include "store/encyclopaedia.h"
#include "store/list_files.h"
#include "store/paths.h"
#include "store/text_file.h"
#include "store/title_reader.h"

#include <QThreadPool>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

namespace servidor {

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
    for (const char c : busqueda::plegar(resto)) {
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
      instantanea_(std::make_shared<Instantanea>()), buscador_(directorio_) {}

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
    if (!revisiones_ || revisando_.exchange(true)) {
        return; // a look is under way: its result is what the next requests see
    }
    revisiones_->start([this] {
        revisar(true);
        revisando_ = false;
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

    // The fixed files and the list files first: when none of them and no article changed, nothing is read.
    bool cambio = anterior->generacion == 0;
    std::unordered_map<std::string, Firma> firmas;
    const auto mirar = [&](const std::string& nombre) {
        const Firma f = firmaDe(store::unir(directorio_, nombre));
        firmas[nombre] = f;
        const auto visto = firmas_.find(nombre);
        if (visto == firmas_.end() || !(visto->second == f)) {
            cambio = true;
        }
    };
    for (const std::string_view fijo : {store::kDescrip, store::kListas, store::kCompleta, store::kColor}) {
        mirar(std::string(fijo));
    }

    auto nueva = std::make_shared<Instantanea>();
    std::vector<std::string> avisos;
    if (const auto descripcion = store::leerDescripcion(directorio_)) {
        if (descripcion->size() > 0) {
            nueva->titulo = std::string((*descripcion)[0]);
        }
        if (descripcion->size() > 1) {
            nueva->comentario = std::string((*descripcion)[1]);
        }
    } else {
        avisos.push_back(store::cp1252AUtf8(descripcion.error().mensaje()));
    }
    if (const auto indice = store::leerIndiceListas(directorio_)) {
        nueva->listas = noVacias(*indice);
    } else if (indice.error().causa != store::Causa::NoEncontrado) {
        avisos.push_back(store::cp1252AUtf8(indice.error().mensaje()));
    }
    if (const auto completa = store::leerCompleta(directorio_)) {
        nueva->completa = noVacias(*completa);
    } else {
        avisos.push_back(store::cp1252AUtf8(completa.error().mensaje()));
    }
    std::vector<std::string> listasValidas;
    for (const std::string& lista : nueva->listas) {
        // A list name that would lead out of the directory, or name one of its fixed files, is no list.
        if (!store::nombreArchivoValido(lista + ".dat") || nueva->miembros.count(lista)) {
            continue;
        }
        mirar(lista + ".dat");
        if (const auto miembros = store::leerLista(directorio_, lista)) {
            nueva->miembros[lista] = noVacias(*miembros);
            listasValidas.push_back(lista);
        } else {
            avisos.push_back(store::cp1252AUtf8(miembros.error().mensaje()));
        }
    }
    nueva->listas = std::move(listasValidas);

    // Every article any list names, each looked at once.
    std::unordered_set<std::string> nombres;
    const auto agregar = [&](const std::vector<std::string>& v) {
        for (const std::string& n : v) {
            if (store::nombreRelativoSeguro(n)) {
                nombres.insert(n);
            }
        }
    };
    agregar(nueva->completa);
    for (const auto& [lista, miembros] : nueva->miembros) {
        agregar(miembros);
    }
    Mirada mirada(directorio_);
    std::optional<store::LectorTitulos> lector;
    std::unordered_map<std::string, TituloVisto> vistos;
    vistos.reserve(nombres.size());
    std::int64_t modificado = 0;
    for (const std::string& nombre : nombres) {
        const Firma f = mirada.firma(nombre);
        modificado = std::max(modificado, f.tiempo);
        const auto antes = vistos_.find(nombre);
        if (antes != vistos_.end() && antes->second.firma == f) {
            vistos.emplace(nombre, antes->second);
            continue;
        }
        cambio = true;
        if (!lector) {
            lector.emplace(directorio_);
        }
        TituloVisto visto{f, std::nullopt};
        if (f.tamano >= 0) {
            if (auto t = lector->titulo(nombre)) {
                visto.titulo = std::move(*t);
            }
        }
        vistos.emplace(nombre, std::move(visto));
    }
    if (vistos.size() != vistos_.size()) {
        cambio = true;
    }
    for (const auto& [nombre, f] : firmas) {
        modificado = std::max(modificado, f.tiempo);
    }
    firmas_ = std::move(firmas);
    vistos_ = std::move(vistos);

    if (cambio) {
        nueva->titulos.reserve(vistos_.size());
        for (const auto& [nombre, visto] : vistos_) {
            nueva->titulos.emplace(nombre, visto.titulo);
            if (visto.titulo) {
                nueva->plegados.emplace(nombre, busqueda::plegar(*visto.titulo));
            }
        }
        nueva->modificado = modificado / 1000000000;
        nueva->avisos = std::move(avisos);
        nueva->generacion = anterior->generacion + 1;
        std::lock_guard b(mutexInstantanea_);
        instantanea_ = std::move(nueva);
    }

    if (conIndice && (cambio || !indiceAlDia_)) {
        const busqueda::Informe informe = busqueda::actualizarIndice(directorio_, [this](std::size_t h, std::size_t t) {
            std::lock_guard b(mutexIndice_);
            indice_.hechos = h;
            indice_.total = t;
        });
        std::lock_guard b(mutexIndice_);
        indice_.error = informe.error;
        if (informe.error.empty()) {
            indice_.listo = true;
            indiceAlDia_ = true;
        }
    }
}

busqueda::Resultados EnciclopediaServida::buscar(const std::string& consulta, std::size_t maximo) {
    std::lock_guard bloqueo(mutexBusqueda_);
    return buscador_.buscar(consulta, maximo);
}

EstadoIndice EnciclopediaServida::estadoIndice() const {
    std::lock_guard b(mutexIndice_);
    return indice_;
}

} // namespace servidor

#include "main_window/modelo_de_titulos.h"

#include "main_window/enciclopedia_actual.h"
#include "store/archivos_de_lista.h"
#include "store/cache_de_titulos.h"
#include "store/codificacion.h"
#include "store/enciclopedia.h"
#include "store/lector_de_titulos.h"
#include "store/rutas.h"
#include "ui/texto.h"

#include <QStringList>
#include <QTimer>

#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <limits>

namespace {

// Names read by one task of a listing: small enough that the first titles show at once and a cancelled
// listing stops soon, large enough that handing the titles over costs nothing next to reading the files.
constexpr std::size_t kNombresPorTrozo = 256;
// How long a listing waits before its worker threads start: enough for the windows shown with it to be drawn
// (at start-up they are shown and drawn some tens of milliseconds after the listing is asked for), too little
// for anyone to notice. Reading a large list and its cache meanwhile would slow the drawing down.
constexpr int kEsperaAntesDeLeerMs = 100;
// Failures kept to name in the message; the rest are only counted.
constexpr std::size_t kFallosNombrados = 5;

// The index's worker threads give way to the window thread, so that reading or checking a long list never
// delays the windows, even on a machine busy with other work.
void cederAVentanas() {
#ifdef __linux__
    static thread_local bool hecho = false;
    if (!hecho) {
        hecho = true;
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
    }
#endif
}

} // namespace

struct ModeloDeTitulos::Listado {
    struct Trozo {
        store::Lineas titulos;
        std::vector<store::Error> fallos; // the first few
        std::size_t cantidadFallos = 0;
        bool leido = false; // set on the window thread when the task has handed it over
        // Checking the cache: the titles that differ from it, by position, in order.
        std::vector<std::pair<std::size_t, std::string>> correcciones;
    };

    std::string directorio;
    std::vector<ListaPorLeer> listas;       // loaded for this listing, read by it before the titles
    std::vector<store::Error> fallosListas; // of reading them
    std::shared_ptr<const Nombres> nombres; // as they were when the listing started, its lists read
    std::shared_ptr<Nombres> nombresLeidos; // the same once its lists were read: the index takes them up
    std::vector<Trozo> trozos;
    std::atomic<bool> cancelado{false};

    // The title cache: where it is, whether this listing may use it and write it, and what it held.
    std::filesystem::path cacheUsuario;
    bool usarCache = false;
    bool escribirCache = false;
    std::optional<store::IdentidadDirectorio> identidad;
    std::shared_ptr<const store::Lineas> titulosCache; // one per name, when the cache was read
    std::vector<store::Sello> sellos;                  // one per name: the file's as cached, then as found
    std::size_t comprobados = 0;                       // on the window thread
    // The pieces still read or checked by worker threads; the cache is written after the last.
    std::atomic<std::size_t> pendientes{0};

    // On the window thread only.
    std::size_t siguiente = 0; // the next piece to append
    std::size_t listados = 0;
    std::vector<store::Error> fallos;
    std::size_t cantidadFallos = 0;
};

namespace {

void leerTrozo(const std::string& directorio, const ModeloDeTitulos::Nombres& nombres, std::size_t desde,
               std::size_t hasta, const std::atomic<bool>& cancelado, store::Lineas& titulos,
               std::vector<store::Error>& fallos, std::size_t& cantidadFallos, std::vector<store::Sello>* sellos) {
    auto fallo = [&](store::Error e) {
        ++cantidadFallos;
        if (fallos.size() < kFallosNombrados) {
            fallos.push_back(std::move(e));
        }
        titulos.push_back({});
    };
    // One reader per piece, so one per worker thread at a time: it opens the directory once for the piece.
    store::LectorTitulos lector(directorio);
    for (std::size_t i = desde; i < hasta && !cancelado.load(std::memory_order_relaxed); ++i) {
        const std::string_view nombre = nombres[i];
        if (!store::nombreRelativoSeguro(nombre)) {
            fallo({"leer el art\xED"
                   "culo",
                   store::unir(directorio, nombre),
                   store::Causa::NombreNoValido,
                   {}});
            continue;
        }
        auto titulo = lector.titulo(nombre);
        if (titulo) {
            titulos.push_back(*titulo);
            if (sellos) {
                (*sellos)[i] = lector.ultimoSello();
            }
        } else {
            fallo(std::move(titulo.error()));
        }
    }
}

// Checks the articles from `desde` to `hasta` against what the cache said of them: an article whose file is not
// as cached is read again, and its title, when it is not the cached one, is a correction.
void comprobarTrozo(const std::string& directorio, const ModeloDeTitulos::Nombres& nombres,
                    const store::Lineas& cacheados, std::vector<store::Sello>& sellos, std::size_t desde,
                    std::size_t hasta, const std::atomic<bool>& cancelado,
                    std::vector<std::pair<std::size_t, std::string>>& correcciones, std::vector<store::Error>& fallos,
                    std::size_t& cantidadFallos) {
    store::LectorTitulos lector(directorio);
    for (std::size_t i = desde; i < hasta && !cancelado.load(std::memory_order_relaxed); ++i) {
        const std::string_view nombre = nombres[i];
        const store::Sello& cacheado = sellos[i];
        if (cacheado.inodo != 0 && cacheado.modificado >= 0) {
            const auto visto = lector.sello(nombre);
            if (visto && *visto == cacheado) {
                continue;
            }
        }
        auto titulo = lector.titulo(nombre);
        std::string nuevo;
        if (titulo) {
            nuevo = std::move(*titulo);
            sellos[i] = lector.ultimoSello();
        } else {
            sellos[i] = store::Sello{};
            ++cantidadFallos;
            if (fallos.size() < kFallosNombrados) {
                fallos.push_back(std::move(titulo.error()));
            }
        }
        if (nuevo != cacheados[i]) {
            correcciones.emplace_back(i, std::move(nuevo));
        }
    }
}

// The user's cache directory: $XDG_CACHE_HOME/lumbre, or ~/.cache/lumbre.
std::filesystem::path cachePredeterminada() {
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    if (xdg && *xdg == '/') {
        return std::filesystem::path(xdg) / "lumbre";
    }
    const char* home = std::getenv("HOME");
    if (home && *home == '/') {
        return std::filesystem::path(home) / ".cache" / "lumbre";
    }
    return {};
}

// Reads the cache for the names of a listing, in their order: their titles and the files' seals as cached (an
// article the cache does not know has an empty title and no seal). Nothing when the cache is missing or refused.
struct LeidoDeCache {
    store::Lineas titulos;
    std::vector<store::Sello> sellos;
};

std::optional<LeidoDeCache> leerCache(const std::filesystem::path& archivo, const store::IdentidadDirectorio& id,
                                      const ModeloDeTitulos::Nombres& nombres) {
    const std::size_t n = nombres.size();
    LeidoDeCache leido;
    leido.sellos.resize(n);
    // Most often the cache lists the same names in the same order: each entry is the next name's.
    std::size_t k = 0;
    bool enOrden = true;
    const bool bien = store::leerCacheTitulos(
        archivo, id, [&](std::string_view nombre, std::string_view titulo, const store::Sello& sello) {
            if (!enOrden) {
                return;
            }
            if (k < n && nombres[k] == nombre) {
                leido.titulos.push_back(titulo);
                leido.sellos[k++] = sello;
            } else {
                enOrden = false;
            }
        });
    if (!bien) {
        return std::nullopt;
    }
    if (enOrden && k == n) {
        return leido;
    }
    // Otherwise by name: another list, or the complete list changed.
    std::unordered_map<std::string, std::pair<std::string, store::Sello>> porNombre;
    if (!store::leerCacheTitulos(
            archivo, id, [&](std::string_view nombre, std::string_view titulo, const store::Sello& sello) {
                porNombre.emplace(store::aMayusculas(nombre), std::make_pair(std::string(titulo), sello));
            })) {
        return std::nullopt;
    }
    leido = LeidoDeCache{};
    leido.sellos.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const auto e = porNombre.find(store::aMayusculas(nombres[i]));
        if (e == porNombre.end()) {
            leido.titulos.push_back({});
        } else {
            leido.titulos.push_back(e->second.first);
            leido.sellos[i] = e->second.second;
        }
    }
    return leido;
}

} // namespace

ModeloDeTitulos::ModeloDeTitulos(QObject* parent) : QAbstractListModel(parent), cacheUsuario_(cachePredeterminada()) {
    hilos_.setMaxThreadCount(std::max(2, QThread::idealThreadCount()));
}

ModeloDeTitulos::~ModeloDeTitulos() {
    for (const auto& l : listados_) {
        l->cancelado = true;
    }
    hilos_.waitForDone();
}

void ModeloDeTitulos::cargarLista(const std::string& nombre) {
    QString motivo;
    if (const auto dir = buscarEnciclopediaActual(&motivo)) {
        directorio_ = *dir;
    } else if (!directorio_.empty()) {
        emit aviso(QStringLiteral("%1 Se sigue mostrando la enciclotomo %2.").arg(motivo, ui::desdeStore(directorio_)));
    } else {
        emit aviso(motivo);
        return;
    }

    // A list name read from listas.dat must not lead out of the encyclopaedia directory either.
    if (!store::nombreRelativoSeguro(nombre)) {
        emit error(
            store::Error{"leer la lista", store::rutaLista(directorio_, nombre), store::Causa::NombreNoValido, {}});
        return;
    }
    const bool primera = nombres_->size() == 0 && porLeer_.empty();
    porLeer_.push_back({directorio_, nombre});
    soloCompleta_ = primera && store::aMayusculas(nombre) == store::aMayusculas(store::kNombreCompleta);
}

void ModeloDeTitulos::agregarNombres(const store::Lineas& nombres) {
    agregarLista(store::unirLineas(nombres));
    soloCompleta_ = false;
}

bool ModeloDeTitulos::agregarLista(std::string bytes) {
    if (nombres_.use_count() > 1) {
        nombres_ = std::make_shared<Nombres>(*nombres_); // a listing reads the ones before
    }
    return nombres_->agregarLista(std::move(bytes));
}

bool ModeloDeTitulos::Nombres::agregarLista(std::string bytes) {
    const bool terminada = bytes.empty() || bytes.back() == '\r' || bytes.ends_with("\r\n");
    if (bytes.size() + 1 > std::numeric_limits<std::uint32_t>::max() - bytes_.size()) {
        return false;
    }
    if (!terminada) {
        bytes += '\r'; // so that every name ends at a CR
    }
    const auto base = static_cast<std::uint32_t>(bytes_.size());
    if (bytes_.empty()) {
        bytes_ = std::move(bytes); // the list as read, without copying it
    } else {
        bytes_ += bytes;
    }
    const std::string_view todo = std::string_view(bytes_).substr(base);
    store::porCadaLinea(todo, [&](std::string_view linea) {
        if (!linea.empty()) { // an empty line names no article
            inicios_.push_back(base + static_cast<std::uint32_t>(linea.data() - todo.data()));
        }
    });
    return true;
}

std::string_view ModeloDeTitulos::Nombres::operator[](std::size_t i) const {
    const std::string_view desde = std::string_view(bytes_).substr(inicios_[i]);
    return desde.substr(0, desde.find('\r'));
}

void ModeloDeTitulos::listar() {
    auto listado = std::make_shared<Listado>();
    listado->directorio = directorio_;
    listado->listas = std::move(porLeer_);
    porLeer_.clear();
    listado->cacheUsuario = cacheUsuario_;
    listado->escribirCache = soloCompleta_ && !cacheUsuario_.empty();
    listados_.push_back(listado);
    if (listados_.size() == 1) {
        empezarSiguiente();
    }
}

void ModeloDeTitulos::empezarSiguiente() {
    if (listados_.empty()) {
        emit listadoTerminado();
        return;
    }
    const std::shared_ptr<Listado> listado = listados_.front();
    listado->nombres = nombres_;
    if (listado->listas.empty() && nombres_->size() == 0) {
        terminar(listado);
        return;
    }
    // A listing into an empty index starts from the cache, read on a worker thread.
    listado->usarCache = !cacheUsuario_.empty() && cantidadTitulos() == 0;
    if (listado->listas.empty()) {
        emit progreso(0, static_cast<int>(nombres_->size()));
    }
    // The files are read a moment later: windows shown together with the listing are drawn first, not slowed
    // down by the worker threads and the titles they hand over.
    QTimer::singleShot(kEsperaAntesDeLeerMs, this, [this, listado] {
        if (listado->cancelado) {
            return;
        }
        if (listado->listas.empty() && !listado->usarCache && !listado->escribirCache) {
            listado->trozos.resize((listado->nombres->size() + kNombresPorTrozo - 1) / kNombresPorTrozo);
            leerEnHilos(listado);
            return;
        }
        hilos_.start([this, listado] {
            cederAVentanas();
            prepararEnHilo(listado);
            QMetaObject::invokeMethod(
                this, [this, listado] { cacheLeida(listado); }, Qt::QueuedConnection);
        });
    });
}

void ModeloDeTitulos::prepararEnHilo(const std::shared_ptr<Listado>& listado) {
    // The lists loaded for the listing, appended to a copy of the names held before it.
    if (!listado->listas.empty()) {
        auto nombres = std::make_shared<Nombres>(*listado->nombres);
        for (const ListaPorLeer& lista : listado->listas) {
            auto bytes = store::leerBytesDeLista(lista.directorio, lista.nombre);
            if (!bytes) {
                listado->fallosListas.push_back(std::move(bytes.error()));
            } else if (!nombres->agregarLista(std::move(*bytes))) {
                listado->fallosListas.push_back(
                    store::Error{"leer la lista", store::rutaLista(lista.directorio, lista.nombre),
                                 store::Causa::DemasiadoGrande, "las listas pasan de 4 GB"});
            }
        }
        listado->nombres = nombres;
        listado->nombresLeidos = std::move(nombres);
        if (!listado->fallosListas.empty()) {
            listado->escribirCache = false; // a list not read is not the encyclopaedia's listing
        }
    }
    listado->trozos.resize((listado->nombres->size() + kNombresPorTrozo - 1) / kNombresPorTrozo);
    if (!listado->usarCache && !listado->escribirCache) {
        return;
    }
    listado->identidad = store::identidadDe(listado->directorio);
    if (listado->identidad && listado->usarCache) {
        if (auto leido = leerCache(store::archivoCacheTitulos(listado->cacheUsuario, *listado->identidad),
                                   *listado->identidad, *listado->nombres)) {
            listado->titulosCache = std::make_shared<const store::Lineas>(std::move(leido->titulos));
            listado->sellos = std::move(leido->sellos);
        }
    }
    if (!listado->identidad) {
        listado->escribirCache = false;
    }
    if (!listado->titulosCache && listado->escribirCache) {
        listado->sellos.resize(listado->nombres->size());
    }
}

void ModeloDeTitulos::cacheLeida(const std::shared_ptr<Listado>& listado) {
    if (listado->cancelado || listados_.empty() || listados_.front() != listado) {
        return; // emptied meanwhile
    }
    const bool nombresNuevos = listado->nombresLeidos != nullptr;
    if (nombresNuevos) {
        nombres_ = std::move(listado->nombresLeidos); // shared with the listing: copied before a change
        for (const store::Error& e : listado->fallosListas) {
            emit error(e);
        }
    }
    const std::size_t total = listado->nombres->size();
    if (total == 0) {
        terminar(listado);
        return;
    }
    if (!listado->titulosCache) {
        if (nombresNuevos) {
            emit progreso(0, static_cast<int>(total));
        }
        leerEnHilos(listado); // no cache to start from: the files are read
        return;
    }
    // Every title at once, then the check.
    beginInsertRows(QModelIndex(), 0, static_cast<int>(total) - 1);
    deCache_ = listado->titulosCache;
    cantidadDeCache_ = total;
    corregidos_.clear();
    endInsertRows();
    comprobando_ = true;
    emit progresoComprobacion(0, static_cast<int>(total));
    listado->pendientes = listado->trozos.size();
    for (std::size_t k = 0; k < listado->trozos.size(); ++k) {
        hilos_.start([this, listado, k, total] {
            cederAVentanas();
            Listado::Trozo& trozo = listado->trozos[k];
            const std::size_t desde = k * kNombresPorTrozo;
            comprobarTrozo(listado->directorio, *listado->nombres, *listado->titulosCache, listado->sellos, desde,
                           std::min(total, desde + kNombresPorTrozo), listado->cancelado, trozo.correcciones,
                           trozo.fallos, trozo.cantidadFallos);
            if (listado->cancelado) {
                return;
            }
            QMetaObject::invokeMethod(
                this, [this, listado, k] { trozoComprobado(listado, k); }, Qt::QueuedConnection);
        });
    }
}

void ModeloDeTitulos::trozoComprobado(const std::shared_ptr<Listado>& listado, std::size_t k) {
    if (listado->cancelado || listados_.empty() || listados_.front() != listado) {
        return;
    }
    Listado::Trozo& trozo = listado->trozos[k];
    for (const auto& [fila, titulo] : trozo.correcciones) {
        corregidos_[fila] = titulo; // kept in the piece too, for the cache written at the end
        const QModelIndex i = index(static_cast<int>(fila));
        emit dataChanged(i, i, {Qt::DisplayRole});
    }
    listado->cantidadFallos += trozo.cantidadFallos;
    for (store::Error& e : trozo.fallos) {
        if (listado->fallos.size() < kFallosNombrados) {
            listado->fallos.push_back(std::move(e));
        }
    }
    trozo.fallos.clear();
    const std::size_t total = listado->nombres->size();
    listado->comprobados += std::min(kNombresPorTrozo, total - k * kNombresPorTrozo);
    if (--listado->pendientes > 0) {
        emit progresoComprobacion(static_cast<int>(listado->comprobados), static_cast<int>(total));
        return;
    }
    comprobando_ = false;
    terminar(listado);
}

void ModeloDeTitulos::leerEnHilos(const std::shared_ptr<Listado>& listado) {
    const std::size_t total = listado->nombres->size();
    for (std::size_t k = 0; k < listado->trozos.size(); ++k) {
        hilos_.start([this, listado, k, total] {
            cederAVentanas();
            Listado::Trozo& trozo = listado->trozos[k];
            const std::size_t desde = k * kNombresPorTrozo;
            leerTrozo(listado->directorio, *listado->nombres, desde, std::min(total, desde + kNombresPorTrozo),
                      listado->cancelado, trozo.titulos, trozo.fallos, trozo.cantidadFallos,
                      listado->escribirCache ? &listado->sellos : nullptr);
            if (listado->cancelado) {
                return;
            }
            QMetaObject::invokeMethod(
                this,
                [this, listado, k] {
                    listado->trozos[k].leido = true;
                    trozoLeido(listado);
                },
                Qt::QueuedConnection);
        });
    }
}

void ModeloDeTitulos::trozoLeido(const std::shared_ptr<Listado>& listado) {
    if (listado->cancelado || listados_.empty() || listados_.front() != listado) {
        return; // emptied meanwhile
    }
    // Appended in list order: a piece read early waits for the ones before it.
    std::size_t desde = listado->siguiente;
    std::size_t nuevos = 0;
    for (std::size_t k = desde; k < listado->trozos.size() && listado->trozos[k].leido; ++k) {
        nuevos += listado->trozos[k].titulos.size();
    }
    if (nuevos == 0) {
        return;
    }
    const int primera = cantidadTitulos();
    beginInsertRows(QModelIndex(), primera, primera + static_cast<int>(nuevos) - 1);
    for (; listado->siguiente < listado->trozos.size() && listado->trozos[listado->siguiente].leido;
         ++listado->siguiente) {
        Listado::Trozo& trozo = listado->trozos[listado->siguiente];
        titulos_.agregar(trozo.titulos);
        listado->listados += trozo.titulos.size();
        listado->cantidadFallos += trozo.cantidadFallos;
        for (store::Error& e : trozo.fallos) {
            if (listado->fallos.size() < kFallosNombrados) {
                listado->fallos.push_back(std::move(e));
            }
        }
        // The titles stay with the piece when the cache is written from them at the end.
        trozo = Listado::Trozo{listado->escribirCache ? std::move(trozo.titulos) : store::Lineas{}, {}, 0, true, {}};
    }
    endInsertRows();

    if (listado->siguiente < listado->trozos.size()) {
        emit progreso(static_cast<int>(listado->listados), static_cast<int>(listado->nombres->size()));
    } else {
        terminar(listado);
    }
}

void ModeloDeTitulos::terminar(const std::shared_ptr<Listado>& listado) {
    listados_.pop_front();
    if (listado->escribirCache && !listado->cancelado) {
        escribirCache(listado);
    }
    empezarSiguiente();

    // Said once for the whole listing, not once per article.
    if (listado->cantidadFallos == 1) {
        emit error(listado->fallos.front());
    } else if (listado->cantidadFallos > 1) {
        QStringList rutas;
        for (const store::Error& e : listado->fallos) {
            rutas << ui::desdeStore(e.ruta);
        }
        if (listado->cantidadFallos > listado->fallos.size()) {
            rutas << QStringLiteral("…");
        }
        emit aviso(QStringLiteral("No se pudieron leer %1 artículos de la lista; aparecen sin título: %2")
                       .arg(listado->cantidadFallos)
                       .arg(rutas.join(QStringLiteral(", "))));
    }
}

void ModeloDeTitulos::escribirCache(const std::shared_ptr<Listado>& listado) {
    // On a worker thread, from what the listing itself holds: the window thread may go on meanwhile.
    hilos_.start([listado] {
        cederAVentanas();
        const std::size_t total = listado->nombres->size();
        if (total > std::numeric_limits<std::uint32_t>::max() || listado->sellos.size() != total) {
            return;
        }
        // A file changed within the last second may change again without its time moving on: its entry is written
        // so that the next start reads it again.
        const auto ahora =
            std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
                .count();
        store::EscritorCacheTitulos escritor(store::archivoCacheTitulos(listado->cacheUsuario, *listado->identidad),
                                             *listado->identidad, static_cast<std::uint32_t>(total));
        for (std::size_t k = 0; k < listado->trozos.size(); ++k) {
            const Listado::Trozo& trozo = listado->trozos[k];
            auto correccion = trozo.correcciones.begin();
            const std::size_t desde = k * kNombresPorTrozo;
            for (std::size_t i = desde; i < std::min(total, desde + kNombresPorTrozo); ++i) {
                if (listado->cancelado) {
                    return;
                }
                std::string_view titulo;
                if (listado->titulosCache) {
                    titulo = (*listado->titulosCache)[i];
                    if (correccion != trozo.correcciones.end() && correccion->first == i) {
                        titulo = (correccion++)->second;
                    }
                } else {
                    titulo = trozo.titulos[i - desde];
                }
                store::Sello sello = listado->sellos[i];
                if (sello.modificado > ahora - 1000000000) {
                    sello.modificado = -1;
                }
                escritor.agregar(listado->nombres->operator[](i), titulo, sello);
            }
        }
        escritor.terminar();
    });
}

void ModeloDeTitulos::vaciar() {
    for (const auto& l : listados_) {
        l->cancelado = true;
    }
    listados_.clear();
    porLeer_.clear();
    comprobando_ = false;
    beginResetModel();
    // Released, not only emptied: the index of a large encyclopaedia should not stay after a narrowing.
    nombres_ = std::make_shared<Nombres>();
    titulos_ = store::Lineas();
    deCache_.reset();
    cantidadDeCache_ = 0;
    corregidos_.clear();
    soloCompleta_ = false;
    endResetModel();
}

int ModeloDeTitulos::rowCount(const QModelIndex& padre) const {
    return padre.isValid() ? 0 : cantidadTitulos();
}

QVariant ModeloDeTitulos::data(const QModelIndex& indice, int rol) const {
    if (!indice.isValid() || indice.row() >= cantidadTitulos() || rol != Qt::DisplayRole) {
        return {};
    }
    return ui::desdeStore(titulo(indice.row()));
}

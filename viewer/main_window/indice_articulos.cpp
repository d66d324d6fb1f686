#include "main_window/indice_articulos.h"

#include "main_window/enciclopedia_actual.h"
#include "store/list_files.h"
#include "store/paths.h"
#include "store/title_reader.h"
#include "ui/texto.h"

#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <limits>

namespace {

// Names read by one task of a listing: small enough that the first titles show at once and a cancelled
// listing stops soon, large enough that handing the titles over costs nothing next to reading the files.
constexpr std::size_t kNombresPorTrozo = 256;
// How long a listing waits before its worker threads start: enough for the windows shown with it to be drawn
// (a window is drawn a few milliseconds after it is shown), too little for anyone to notice.
constexpr int kEsperaAntesDeLeerMs = 30;
// Failures kept to name in the message; the rest are only counted.
constexpr std::size_t kFallosNombrados = 5;

} // namespace

struct IndiceArticulos::Listado {
    struct Trozo {
        store::Lineas titulos;
        std::vector<store::Error> fallos; // the first few
        std::size_t cantidadFallos = 0;
        bool leido = false; // set on the window thread when the task has handed it over
    };

    std::string directorio;
    std::shared_ptr<const Nombres> nombres; // as they were when the listing was asked for
    std::vector<Trozo> trozos;
    std::atomic<bool> cancelado{false};

    // On the window thread only.
    std::size_t siguiente = 0; // the next piece to append
    std::size_t listados = 0;
    std::vector<store::Error> fallos;
    std::size_t cantidadFallos = 0;
};

namespace {

void leerTrozo(const std::string& directorio, const IndiceArticulos::Nombres& nombres, std::size_t desde,
               std::size_t hasta, const std::atomic<bool>& cancelado, store::Lineas& titulos,
               std::vector<store::Error>& fallos, std::size_t& cantidadFallos) {
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
        } else {
            fallo(std::move(titulo.error()));
        }
    }
}

} // namespace

IndiceArticulos::IndiceArticulos(QObject* parent) : QAbstractListModel(parent) {
    hilos_.setMaxThreadCount(std::max(2, QThread::idealThreadCount()));
}

IndiceArticulos::~IndiceArticulos() {
    for (const auto& l : listados_) {
        l->cancelado = true;
    }
    hilos_.waitForDone();
}

void IndiceArticulos::cargarLista(const std::string& nombre) {
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
    auto bytes = store::leerBytesDeLista(directorio_, nombre);
    if (!bytes) {
        emit error(bytes.error());
        return;
    }
    if (!agregarLista(std::move(*bytes))) {
        emit error(store::Error{"leer la lista", store::rutaLista(directorio_, nombre), store::Causa::DemasiadoGrande,
                                "las listas pasan de 4 GB"});
    }
}

void IndiceArticulos::agregarNombres(const store::Lineas& nombres) {
    agregarLista(store::unirLineas(nombres));
}

bool IndiceArticulos::agregarLista(std::string bytes) {
    if (nombres_.use_count() > 1) {
        nombres_ = std::make_shared<Nombres>(*nombres_); // a listing reads the ones before
    }
    return nombres_->agregarLista(std::move(bytes));
}

bool IndiceArticulos::Nombres::agregarLista(std::string bytes) {
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

std::string_view IndiceArticulos::Nombres::operator[](std::size_t i) const {
    const std::string_view desde = std::string_view(bytes_).substr(inicios_[i]);
    return desde.substr(0, desde.find('\r'));
}

void IndiceArticulos::listar() {
    auto listado = std::make_shared<Listado>();
    listado->directorio = directorio_;
    listado->nombres = nombres_;
    listado->trozos.resize((nombres_->size() + kNombresPorTrozo - 1) / kNombresPorTrozo);
    listados_.push_back(listado);
    if (listados_.size() == 1) {
        empezarSiguiente();
    }
}

void IndiceArticulos::empezarSiguiente() {
    if (listados_.empty()) {
        emit listadoTerminado();
        return;
    }
    const std::shared_ptr<Listado> listado = listados_.front();
    const std::size_t total = listado->nombres->size();
    if (total == 0) {
        terminar(listado);
        return;
    }
    emit progreso(0, static_cast<int>(total));
    // The files are read a moment later: windows shown together with the listing are drawn first, not slowed
    // down by the worker threads and the titles they hand over.
    QTimer::singleShot(kEsperaAntesDeLeerMs, this, [this, listado] {
        if (!listado->cancelado) {
            leerEnHilos(listado);
        }
    });
}

void IndiceArticulos::leerEnHilos(const std::shared_ptr<Listado>& listado) {
    const std::size_t total = listado->nombres->size();
    for (std::size_t k = 0; k < listado->trozos.size(); ++k) {
        hilos_.start([this, listado, k, total] {
            Listado::Trozo& trozo = listado->trozos[k];
            const std::size_t desde = k * kNombresPorTrozo;
            leerTrozo(listado->directorio, *listado->nombres, desde, std::min(total, desde + kNombresPorTrozo),
                      listado->cancelado, trozo.titulos, trozo.fallos, trozo.cantidadFallos);
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

void IndiceArticulos::trozoLeido(const std::shared_ptr<Listado>& listado) {
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
        trozo = Listado::Trozo{store::Lineas{}, {}, 0, true};
    }
    endInsertRows();

    if (listado->siguiente < listado->trozos.size()) {
        emit progreso(static_cast<int>(listado->listados), static_cast<int>(listado->nombres->size()));
    } else {
        terminar(listado);
    }
}

void IndiceArticulos::terminar(const std::shared_ptr<Listado>& listado) {
    listados_.pop_front();
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

void IndiceArticulos::vaciar() {
    for (const auto& l : listados_) {
        l->cancelado = true;
    }
    listados_.clear();
    beginResetModel();
    // Released, not only emptied: the index of a large encyclopaedia should not stay after a narrowing.
    nombres_ = std::make_shared<Nombres>();
    titulos_ = store::Lineas();
    endResetModel();
}

int IndiceArticulos::rowCount(const QModelIndex& padre) const {
    return padre.isValid() ? 0 : cantidadTitulos();
}

QVariant IndiceArticulos::data(const QModelIndex& indice, int rol) const {
    if (!indice.isValid() || indice.row() >= cantidadTitulos() || rol != Qt::DisplayRole) {
        return {};
    }
    return ui::desdeStore(titulo(indice.row()));
}

#include "main_window/indice_articulos.h"

#include "main_window/enciclopedia_actual.h"
#include "store/list_files.h"
#include "store/paths.h"
#include "store/title_reader.h"
#include "ui/texto.h"

#include <QStringList>

#include <algorithm>
#include <atomic>

namespace {

// Names read by one task of a listing: small enough that the first titles show at once and a cancelled
// listing stops soon, large enough that handing the titles over costs nothing next to reading the files.
constexpr std::size_t kNombresPorTrozo = 256;
// Failures kept to name in the message; the rest are only counted.
constexpr std::size_t kFallosNombrados = 5;

} // namespace

void IndiceArticulos::Textos::agregar(std::string_view texto) {
    bytes_.append(texto);
    fines_.push_back(static_cast<std::uint32_t>(bytes_.size()));
}

std::string_view IndiceArticulos::Textos::operator[](std::size_t i) const {
    const std::uint32_t inicio = i == 0 ? 0 : fines_[i - 1];
    return std::string_view(bytes_).substr(inicio, fines_[i] - inicio);
}

void IndiceArticulos::Textos::clear() {
    // Released, not only emptied: the index of a large encyclopaedia should not stay after a narrowing.
    std::string().swap(bytes_);
    std::vector<std::uint32_t>().swap(fines_);
}

struct IndiceArticulos::Listado {
    struct Trozo {
        Textos titulos;
        std::vector<store::Error> fallos; // the first few
        std::size_t cantidadFallos = 0;
        bool leido = false; // set on the window thread when the task has handed it over
    };

    std::string directorio;
    Textos nombres; // as they were when the listing was asked for
    std::vector<Trozo> trozos;
    std::atomic<bool> cancelado{false};

    // On the window thread only.
    std::size_t siguiente = 0; // the next piece to append
    std::size_t listados = 0;
    std::vector<store::Error> fallos;
    std::size_t cantidadFallos = 0;
};

namespace {

void leerTrozo(const std::string& directorio, const IndiceArticulos::Textos& nombres, std::size_t desde,
               std::size_t hasta, const std::atomic<bool>& cancelado, IndiceArticulos::Textos& titulos,
               std::vector<store::Error>& fallos, std::size_t& cantidadFallos) {
    auto fallo = [&](store::Error e) {
        ++cantidadFallos;
        if (fallos.size() < kFallosNombrados) {
            fallos.push_back(std::move(e));
        }
        titulos.agregar({});
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
            titulos.agregar(*titulo);
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
    const auto lineas = store::leerLista(directorio_, nombre);
    if (!lineas) {
        emit error(lineas.error());
        return;
    }
    agregarNombres(*lineas);
}

void IndiceArticulos::agregarNombres(const store::Lineas& nombres) {
    for (const std::string_view n : nombres) {
        if (!n.empty()) { // an empty line names no article
            nombres_.agregar(n);
        }
    }
}

void IndiceArticulos::listar() {
    auto listado = std::make_shared<Listado>();
    listado->directorio = directorio_;
    listado->nombres = nombres_;
    listado->trozos.resize((nombres_.size() + kNombresPorTrozo - 1) / kNombresPorTrozo);
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
    const std::size_t total = listado->nombres.size();
    if (total == 0) {
        terminar(listado);
        return;
    }
    emit progreso(0, static_cast<int>(total));
    for (std::size_t k = 0; k < listado->trozos.size(); ++k) {
        hilos_.start([this, listado, k, total] {
            Listado::Trozo& trozo = listado->trozos[k];
            const std::size_t desde = k * kNombresPorTrozo;
            leerTrozo(listado->directorio, listado->nombres, desde, std::min(total, desde + kNombresPorTrozo),
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
        for (std::size_t i = 0; i < trozo.titulos.size(); ++i) {
            titulos_.agregar(trozo.titulos[i]);
        }
        listado->listados += trozo.titulos.size();
        listado->cantidadFallos += trozo.cantidadFallos;
        for (store::Error& e : trozo.fallos) {
            if (listado->fallos.size() < kFallosNombrados) {
                listado->fallos.push_back(std::move(e));
            }
        }
        trozo = Listado::Trozo{Textos{}, {}, 0, true};
    }
    endInsertRows();

    if (listado->siguiente < listado->trozos.size()) {
        emit progreso(static_cast<int>(listado->listados), static_cast<int>(listado->nombres.size()));
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
    nombres_.clear();
    titulos_.clear();
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

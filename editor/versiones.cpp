#include "editor/versiones.h"

#include "editor/estado.h"
#include "historial/historial.h"
#include "store/rutas.h"
#include "ui/dialogos.h"
#include "ui/texto.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSettings>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace forja {

namespace {

constexpr const char* kClaveAutor = "historial/autor";
const QString kSinNombre = QStringLiteral("Autor sin nombre");
bool noPreguntar = false;

QSettings ajustes() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("lumbre"), QStringLiteral("forja"));
}

QString noSeGuardan(const store::Error& e) {
    return QStringLiteral("No se están guardando las versiones de esta enciclotomo: %1 Forja sigue guardando sus "
                          "cambios en los archivos.")
        .arg(ui::mensajeDe(e));
}

std::string utf8(const QString& texto) {
    return texto.toUtf8().toStdString();
}

// The history of each encyclopaedia saved to in this run, kept open: its object cache holds the last version's
// tree, which the next version is built from (4 MB for 100,000 articles).
std::map<std::string, std::unique_ptr<historial::Historial>>& abiertos() {
    static std::map<std::string, std::unique_ptr<historial::Historial>> m;
    return m;
}

// The recording of what changed while an encyclopaedia was not open in Forja, one at a time on a thread of its
// own. It makes a version with a history object of its own: the ones kept open are opened afresh after it.
class RegistroAlCargar {
public:
    struct Pedido {
        std::string directorio;
        std::string autor;
        QPointer<TomoEditado> tomo;
        QPointer<QWidget> ventana;
    };

    ~RegistroAlCargar() {
        esperar();
        if (hilo_.joinable()) {
            hilo_.join();
        }
    }

    // Starts the recording, or, while one is under way, has it done once more after it (a load that follows
    // another never waits for the first one's recording).
    void lanzar(Pedido pedido) {
        std::lock_guard<std::mutex> cerrojo(mutex_);
        if (ocupado_) {
            pendiente_ = std::move(pedido);
            return;
        }
        if (hilo_.joinable()) {
            hilo_.join(); // the last one is over
        }
        ocupado_ = true;
        hilo_ = std::thread([this, primero = std::move(pedido)]() mutable {
            std::optional<Pedido> pedido = std::move(primero);
            while (pedido) {
                registrar(*pedido);
                std::lock_guard<std::mutex> fin(mutex_);
                ++hechos_;
                pedido = std::exchange(pendiente_, std::nullopt);
                ocupado_ = pedido.has_value();
            }
            listo_.notify_all();
        });
    }

    void esperar() {
        std::unique_lock<std::mutex> cerrojo(mutex_);
        listo_.wait(cerrojo, [this] { return !ocupado_; });
    }

    // How many recordings have ended: a history kept open from before the last one is opened afresh.
    std::size_t hechos() {
        std::lock_guard<std::mutex> cerrojo(mutex_);
        return hechos_;
    }

private:
    static void registrar(const Pedido& pedido) {
        auto h = historial::Historial::abrir(pedido.directorio);
        std::optional<store::Error> error;
        bool hecha = false;
        if (!h) {
            error = h.error();
        } else {
            const bool primera = (*h)->vacio();
            const auto r = (*h)->registrarTodo(pedido.autor, primera ? "Primera versión de la enciclotomo"
                                                                     : "Cambios hechos fuera de Forja");
            if (!r) {
                error = r.error();
            } else {
                hecha = r->has_value();
            }
        }
        // Told on the windows' thread, where the encyclopaedia's state lives (and may be gone by then).
        if (!QCoreApplication::instance()) {
            return;
        }
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [tomo = pedido.tomo, ventana = pedido.ventana, error, hecha] {
                if (!tomo) {
                    return;
                }
                if (error) {
                    const QString aviso = noSeGuardan(*error);
                    tomo->ponerAvisoHistorial(aviso);
                    ui::Dialogos::avisar(ventana.data(), aviso);
                    return;
                }
                tomo->ponerAvisoHistorial(QString());
                if (hecha) {
                    emit tomo->versionRegistrada();
                }
            },
            Qt::QueuedConnection);
    }

    std::mutex mutex_;
    std::condition_variable listo_;
    bool ocupado_ = false;
    std::optional<Pedido> pendiente_;
    std::size_t hechos_ = 0;
    std::thread hilo_;
};
RegistroAlCargar& registroAlCargar() {
    static RegistroAlCargar r;
    return r;
}

// For each history kept open, how many recordings on loading had ended when it was opened.
std::map<std::string, std::size_t>& abiertosTras() {
    static std::map<std::string, std::size_t> m;
    return m;
}

// Opens `directorio`'s history afresh (`deNuevo`) or as kept from an earlier save.
store::Resultado<historial::Historial*> historialDe(const std::string& directorio, bool deNuevo) {
    // By the directory on disk: the same stored path may lead elsewhere once the drives are set otherwise.
    auto& m = abiertos();
    const std::filesystem::path nativa = store::resolver(directorio);
    const std::string clave = nativa.string();
    std::error_code e;
    const std::size_t hechos = registroAlCargar().hechos();
    if (!deNuevo && std::filesystem::is_directory(nativa / ".git", e) && abiertosTras()[clave] == hechos) {
        if (const auto i = m.find(clave); i != m.end() && i->second->directorio() == directorio) {
            return i->second.get();
        }
    }
    m.erase(clave);
    auto h = historial::Historial::abrir(directorio);
    if (!h) {
        return h.error();
    }
    abiertosTras()[clave] = hechos;
    return m.emplace(clave, std::move(*h)).first->second.get();
}

// Every this many versions the history is packed, on a thread of its own, off the author's way.
constexpr std::size_t kEmpaquetarCada = 50;

class Empaquetador {
public:
    ~Empaquetador() {
        if (hilo_.joinable()) {
            hilo_.join(); // a packing under way ends before the program does
        }
    }
    void lanzar(const std::string& directorio) {
        if (ocupado_.exchange(true)) {
            return;
        }
        if (hilo_.joinable()) {
            hilo_.join(); // the last one is over
        }
        hilo_ = std::thread([this, directorio] {
            if (auto h = historial::Historial::abrir(directorio)) {
                (void)(*h)->empaquetar();
            }
            ocupado_ = false;
        });
    }

private:
    std::atomic<bool> ocupado_{false};
    std::thread hilo_;
};

void empaquetarSiConviene(historial::Historial& h, const std::string& directorio) {
    if (h.sinEmpaquetar(kEmpaquetarCada) >= kEmpaquetarCada) {
        static Empaquetador empaquetador;
        empaquetador.lanzar(directorio);
    }
}

} // namespace

QString autorGuardado() {
    return ajustes().value(QLatin1String(kClaveAutor)).toString().trimmed();
}

void guardarAutor(const QString& nombre) {
    QSettings s = ajustes();
    s.setValue(QLatin1String(kClaveAutor), nombre.trimmed());
}

QString autorDeLaVersion(QWidget* ventana) {
    QString nombre = autorGuardado();
    if (!nombre.isEmpty()) {
        return nombre;
    }
    if (!noPreguntar) {
        nombre = ui::Dialogos::pedirTexto(ventana, QStringLiteral("Forja guarda cada cambio como una versión, con el "
                                                                  "nombre de quien lo hizo. ¿Cuál es su nombre?"));
        if (!nombre.isEmpty()) {
            guardarAutor(nombre);
            return nombre;
        }
        noPreguntar = true;
    }
    return kSinNombre;
}

void esperarHistorial() {
    registroAlCargar().esperar();
}

bool registrarVersion(QWidget* ventana, TomoEditado* tomo, const std::string& directorio,
                      const std::vector<std::string>& nombres, const QString& resumen) {
    esperarHistorial();
    auto h = historialDe(directorio, false);
    if (!h) {
        if (tomo) {
            tomo->ponerAvisoHistorial(noSeGuardan(h.error()));
        }
        return false;
    }
    const std::string autor = utf8(autorDeLaVersion(ventana));
    const auto hecha =
        (*h)->vacio() ? (*h)->registrarTodo(autor, utf8(resumen)) : (*h)->registrar(nombres, autor, utf8(resumen));
    if (!hecha) {
        abiertos().erase(
            store::resolver(directorio).string()); // opened afresh next time, in case the repository was replaced
        if (tomo) {
            tomo->ponerAvisoHistorial(noSeGuardan(hecha.error()));
        }
        return false;
    }
    if (tomo) {
        tomo->ponerAvisoHistorial(QString());
        if (*hecha) {
            emit tomo->versionRegistrada();
        }
    }
    if (*hecha) {
        empaquetarSiConviene(**h, directorio);
    }
    return true;
}

void registrarAlCargar(QWidget* ventana, TomoEditado* tomo, const std::string& directorio) {
    // The author's name is asked here, on the window's thread, before the recording starts.
    const std::string autor = utf8(autorDeLaVersion(ventana));
    registroAlCargar().lanzar({directorio, autor, tomo, ventana});
}

QString registrar(const QString& directorio, const QString& resumen) {
    esperarHistorial();
    const auto tomo = ui::haciaStore(directorio);
    if (!tomo) {
        return QStringLiteral("La ruta «%1» no se puede escribir en Windows-1252.").arg(directorio);
    }
    auto h = historial::Historial::abrir(*tomo);
    if (!h) {
        return ui::mensajeDe(h.error());
    }
    QString autor = autorGuardado();
    if (autor.isEmpty()) {
        autor = kSinNombre;
    }
    const auto hecha = (*h)->registrarTodo(utf8(autor), utf8(resumen));
    return hecha ? QString() : ui::mensajeDe(hecha.error());
}

QString registrarAntesDeEscribir(const std::string& directorio) {
    esperarHistorial();
    auto h = historial::Historial::abrir(directorio);
    if (!h) {
        return ui::mensajeDe(h.error());
    }
    const QString autor = autorGuardado().isEmpty() ? kSinNombre : autorGuardado();
    const auto hecha = (*h)->registrarTodo(utf8(autor), (*h)->vacio() ? "Primera versión de la enciclotomo"
                                                                      : "Cambios hechos fuera de Forja");
    return hecha ? QString() : ui::mensajeDe(hecha.error());
}

QString registrarImportacion(const std::string& directorio, std::size_t articulos, const std::string& archivoZim) {
    if (articulos == 0) {
        return {};
    }
    QString resumen = articulos == 1 ? QStringLiteral("Importado 1 artículo")
                                     : QStringLiteral("Importados %1 artículos").arg(articulos);
    if (!archivoZim.empty()) {
        resumen += QStringLiteral(" de ") + entreComillas(QString::fromStdString(archivoZim));
    }
    return registrar(ui::desdeStore(directorio), resumen);
}

QString entreComillas(const QString& nombre) {
    return QStringLiteral("«%1»").arg(nombre);
}

} // namespace forja

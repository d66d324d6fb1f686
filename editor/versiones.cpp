#include "editor/versiones.h"

#include "editor/estado.h"
#include "historial/historial.h"
#include "store/rutas.h"
#include "ui/dialogos.h"
#include "ui/texto.h"

#include <QSettings>

#include <atomic>
#include <filesystem>
#include <map>
#include <memory>
#include <thread>

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

// Opens `directorio`'s history afresh (`deNuevo`) or as kept from an earlier save.
store::Resultado<historial::Historial*> historialDe(const std::string& directorio, bool deNuevo) {
    // By the directory on disk: the same stored path may lead elsewhere once the drives are set otherwise.
    auto& m = abiertos();
    const std::filesystem::path nativa = store::resolver(directorio);
    const std::string clave = nativa.string();
    std::error_code e;
    if (!deNuevo && std::filesystem::is_directory(nativa / ".git", e)) {
        if (const auto i = m.find(clave); i != m.end() && i->second->directorio() == directorio) {
            return i->second.get();
        }
    }
    m.erase(clave);
    auto h = historial::Historial::abrir(directorio);
    if (!h) {
        return h.error();
    }
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

bool registrarVersion(QWidget* ventana, TomoEditado* tomo, const std::string& directorio,
                      const std::vector<std::string>& nombres, const QString& resumen) {
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
    auto h = historialDe(directorio, true);
    if (!h) {
        abiertos().erase(store::resolver(directorio).string());
        const QString aviso = noSeGuardan(h.error());
        tomo->ponerAvisoHistorial(aviso);
        ui::Dialogos::avisar(ventana, aviso);
        return;
    }
    const bool primera = (*h)->vacio();
    const std::string autor = utf8(autorDeLaVersion(ventana));
    const auto hecha =
        (*h)->registrarTodo(autor, primera ? "Primera versión de la enciclotomo" : "Cambios hechos fuera de Forja");
    if (!hecha) {
        const QString aviso = noSeGuardan(hecha.error());
        tomo->ponerAvisoHistorial(aviso);
        ui::Dialogos::avisar(ventana, aviso);
        return;
    }
    tomo->ponerAvisoHistorial(QString());
}

QString registrar(const QString& directorio, const QString& resumen) {
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

#include "publish/escritura.h"

#include "store/codificacion.h"
#include "store/rutas.h"

#include <QDir>

#include <filesystem>
#include <fstream>
#include <system_error>

namespace publish {

namespace fs = std::filesystem;

QString Escritor::ruta(const QString& relativa) const {
    return relativa.isEmpty() ? base_ : base_ + QLatin1Char('/') + relativa;
}

void Escritor::fallo(const QString& relativa, const QString& porque) {
    if (error_.isEmpty()) {
        error_ = QStringLiteral("No se puede escribir «%1»: %2").arg(ruta(relativa), porque);
    }
}

bool Escritor::crearDirectorio(const QString& relativa) {
    if (!QDir().mkdir(ruta(relativa))) {
        fallo(relativa, QStringLiteral("no se puede crear el directorio."));
        return false;
    }
    return true;
}

bool Escritor::escribir(const QString& relativa, std::string_view bytes, const Pieza&) {
    QFile archivo(ruta(relativa));
    if (!archivo.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        fallo(relativa, archivo.errorString());
        return false;
    }
    if (archivo.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()) ||
        !archivo.flush()) {
        fallo(relativa, archivo.errorString());
        return false;
    }
    archivo.close();
    if (archivo.error() != QFileDevice::NoError) {
        fallo(relativa, archivo.errorString());
        return false;
    }
    return true;
}

namespace {

// A file on disk written through a buffer of 64 KB.
class FlujoDeArchivo : public Flujo {
public:
    FlujoDeArchivo(Escritor& escritor, const QString& relativa)
        : escritor_(escritor), relativa_(relativa), archivo_(escritor.ruta(relativa)) {
        if (!archivo_.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            escritor_.fallo(relativa_, archivo_.errorString());
            bien_ = false;
        }
        bufer_.reserve(1 << 16);
    }
    void agregar(std::string_view trozo) override {
        bufer_ += trozo;
        if (bufer_.size() >= (1 << 16)) {
            vaciar();
        }
    }
    bool cerrar() override {
        if (cerrado_) {
            return bien_;
        }
        cerrado_ = true;
        vaciar();
        if (bien_) {
            archivo_.close();
            if (archivo_.error() != QFileDevice::NoError) {
                escritor_.fallo(relativa_, archivo_.errorString());
                bien_ = false;
            }
        }
        return bien_;
    }

private:
    void vaciar() {
        if (bien_ && !bufer_.empty() &&
            archivo_.write(bufer_.data(), static_cast<qint64>(bufer_.size())) != static_cast<qint64>(bufer_.size())) {
            escritor_.fallo(relativa_, archivo_.errorString());
            bien_ = false;
        }
        bufer_.clear();
    }

    Escritor& escritor_;
    QString relativa_;
    QFile archivo_;
    std::string bufer_;
    bool bien_ = true;
    bool cerrado_ = false;
};

} // namespace

std::unique_ptr<Flujo> Escritor::abrir(const QString& relativa, const Pieza&) {
    return std::make_unique<FlujoDeArchivo>(*this, relativa);
}

bool leerLineasPorPartes(const std::string& directorio, const std::string& ruta,
                         const std::function<void(std::string_view)>& porLinea,
                         const std::function<void(const QString&)>& avisar) {
    const QString nombre = QString::fromStdString(store::cp1252AUtf8(ruta));
    const fs::path nativa = store::resolver(ruta);
    std::error_code ec;
    const fs::file_status estado = fs::symlink_status(nativa, ec);
    if (!fs::exists(estado)) {
        return false;
    }
    const fs::path dentro = fs::weakly_canonical(store::resolver(directorio), ec);
    const fs::path real = fs::weakly_canonical(nativa, ec);
    const auto [fin, _] = std::mismatch(dentro.begin(), dentro.end(), real.begin(), real.end());
    if (fs::is_symlink(estado) || !fs::is_regular_file(estado) || fin != dentro.end()) {
        avisar(QStringLiteral("No se lee «%1»: no es un archivo de la enciclotomo (es un enlace simbólico o no es "
                              "un archivo regular).")
                   .arg(nombre));
        return false;
    }
    std::ifstream entrada(nativa, std::ios::binary);
    if (!entrada) {
        avisar(QStringLiteral("No se puede leer «%1».").arg(nombre));
        return false;
    }
    std::string resto;
    std::string trozo(1 << 20, '\0');
    bool crAntes = false;
    while (entrada) {
        entrada.read(trozo.data(), static_cast<std::streamsize>(trozo.size()));
        const auto n = static_cast<std::size_t>(entrada.gcount());
        if (n == 0) {
            break;
        }
        std::size_t i = 0;
        if (crAntes && trozo[0] == '\n') {
            i = 1; // the LF of a CR LF cut between two pieces
        }
        crAntes = false;
        std::size_t desde = i;
        for (; i < n; ++i) {
            if (trozo[i] != '\r') {
                continue;
            }
            resto.append(trozo, desde, i - desde);
            porLinea(resto);
            resto.clear();
            if (i + 1 < n && trozo[i + 1] == '\n') {
                ++i;
            } else if (i + 1 == n) {
                crAntes = true;
            }
            desde = i + 1;
        }
        resto.append(trozo, desde, n - desde);
    }
    if (entrada.bad()) {
        avisar(QStringLiteral("No se puede leer «%1» hasta el final.").arg(nombre));
        return false;
    }
    if (!resto.empty()) {
        porLinea(resto);
    }
    return true;
}

} // namespace publish

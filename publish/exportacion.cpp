#include "publish/exportacion.h"

#include "store/archivos_de_lista.h"
#include "store/articulo.h"
#include "store/codificacion.h"
#include "store/enciclopedia.h"
#include "store/rutas.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <filesystem>
#include <system_error>
#include <unordered_map>

namespace publish {

namespace fs = std::filesystem;

namespace {

QString q(std::string_view cp1252) {
    return QString::fromStdString(store::cp1252AUtf8(cp1252));
}

QString mensaje(const store::Error& e) {
    return q(e.mensaje());
}

fs::path nativa(const QString& ruta) {
    return fs::path(ruta.toStdString());
}

// The path with "." and ".." resolved and links followed as far as it exists.
fs::path canonica(const fs::path& p) {
    std::error_code ec;
    fs::path c = fs::weakly_canonical(fs::absolute(p, ec), ec);
    return ec ? fs::absolute(p).lexically_normal() : c;
}

bool dentroDe(const fs::path& hijo, const fs::path& padre) {
    auto h = hijo.begin();
    for (auto p = padre.begin(); p != padre.end(); ++p, ++h) {
        if (p->empty()) {
            continue; // a trailing separator
        }
        if (h == hijo.end() || *h != *p) {
            return false;
        }
    }
    return true;
}

QString nombreTemporal(const fs::path& destino, const char* clase) {
    const QString base = QString::fromStdString(destino.filename().string());
    for (;;) {
        const QString nombre = QStringLiteral(".%1.%2-%3")
                                   .arg(base, QLatin1String(clase))
                                   .arg(QRandomGenerator::global()->generate() & 0xFFFFFF, 6, 16, QLatin1Char('0'));
        const fs::path p = destino.parent_path() / nombre.toStdString();
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(p, ec))) {
            return QString::fromStdString(p.string());
        }
    }
}

void borrar(const QString& ruta) {
    std::error_code ec;
    fs::remove_all(nativa(ruta), ec);
}

// The temporary result and whatever a format's library left beside it under names that begin with its name
// (libzim writes "NAME.tmp" and its indexes' working files there).
void borrarTemporales(const QString& ruta) {
    borrar(ruta);
    const fs::path p = nativa(ruta);
    const std::string prefijo = p.filename().string();
    std::error_code ec;
    std::vector<fs::path> restos;
    for (fs::directory_iterator it(p.parent_path(), ec), fin; !ec && it != fin; it.increment(ec)) {
        if (it->path().filename().string().rfind(prefijo, 0) == 0) {
            restos.push_back(it->path());
        }
    }
    for (const fs::path& r : restos) {
        fs::remove_all(r, ec);
    }
}

} // namespace

Trabajo::Trabajo(std::string enciclopedia, QString temporal, AlAvanzar alAvanzar, const std::atomic_bool* cancelar)
    : enciclopedia_(std::move(enciclopedia)), temporal_(std::move(temporal)), alAvanzar_(std::move(alAvanzar)),
      cancelar_(cancelar) {}

bool Trabajo::preparar(QString* error) {
    const auto completa = store::leerCompleta(enciclopedia_);
    if (!completa) {
        *error = mensaje(completa.error());
        return false;
    }
    std::unordered_map<std::string, int> vistas;
    for (const std::string_view nombre : *completa) {
        if (nombre.empty()) {
            continue;
        }
        if (!store::nombreRelativoSeguro(nombre)) {
            articuloFallido(QStringLiteral("El artículo «%1» de COMPLETA.DAT tiene un nombre que no se puede usar "
                                           "dentro de la enciclotomo; no se exporta.")
                                .arg(q(nombre)));
            continue;
        }
        const auto [it, nueva] = vistas.emplace(store::aMayusculas(nombre), static_cast<int>(entradas_.size()));
        entradas_.push_back({std::string(nombre), nueva ? -1 : it->second});
    }
    if (const auto descripcion = store::leerDescripcion(enciclopedia_); descripcion && !descripcion->empty()) {
        titulo_ = store::cp1252AUtf8((*descripcion)[0]);
        if (descripcion->size() > 1) {
            comentario_ = store::cp1252AUtf8((*descripcion)[1]);
        }
    }
    if (titulo_.empty()) {
        std::string nombre = enciclopedia_;
        while (!nombre.empty() && (nombre.back() == '\\' || nombre.back() == '/')) {
            nombre.pop_back();
        }
        const auto barra = nombre.find_last_of("\\/");
        titulo_ = store::cp1252AUtf8(barra == std::string::npos ? nombre : nombre.substr(barra + 1));
    }
    const store::LecturaColores colores = store::leerColores(enciclopedia_);
    colores_ = colores.valores;
    if (colores.error) {
        avisar(QStringLiteral("Los colores: %1 Se usan los colores de siempre para lo que falta.")
                   .arg(mensaje(*colores.error)));
    }
    return true;
}

std::vector<Trabajo::Lista> Trabajo::listas() {
    std::vector<Lista> listas;
    const auto indice = store::leerIndiceListas(enciclopedia_);
    if (!indice) {
        avisar(mensaje(indice.error()));
        return listas;
    }
    std::set<std::string> vistas;
    for (const std::string_view nombre : *indice) {
        if (nombre.empty() || !vistas.insert(store::aMayusculas(nombre)).second) {
            continue; // two lines of the index with one name are one list
        }
        if (!store::nombreRelativoSeguro(std::string(nombre) + ".dat")) {
            avisar(QStringLiteral("La lista «%1» tiene un nombre que no se puede usar; no se exporta.").arg(q(nombre)));
            continue;
        }
        const auto items = store::leerLista(enciclopedia_, nombre);
        if (!items) {
            avisar(mensaje(items.error()));
            continue;
        }
        Lista lista{std::string(nombre), {}};
        for (const std::string_view item : *items) {
            if (!item.empty()) {
                lista.articulos.emplace_back(item);
            }
        }
        listas.push_back(std::move(lista));
    }
    return listas;
}

void Trabajo::avanzar(qint64 hecho, qint64 total, const QString& paso) {
    if (alAvanzar_) {
        alAvanzar_({hecho, total, paso});
    }
}

void Trabajo::avisar(const QString& aviso) {
    if (dichos_.insert(qHash(aviso, 16)).second) {
        if (++totalAvisos_ <= kAvisosGuardados) {
            avisos_ << aviso;
        }
    }
}

void Trabajo::avisar(const render::Aviso& aviso) {
    avisar(QString::fromStdString(aviso.mensaje));
}

void Trabajo::avanzarArticulo(std::size_t i, qint64 total) {
    avanzar(static_cast<qint64>(i), total,
            QStringLiteral("Artículo %1 de %2: %3")
                .arg(i + 1)
                .arg(entradas_.size())
                .arg(QString::fromStdString(store::cp1252AUtf8(entradas_[i].nombre))));
}

void Trabajo::articuloFallido(const QString& aviso) {
    ++fallidos_;
    avisar(aviso);
}

std::optional<render::Pagina> Trabajo::renderizar(const std::string& nombre, const render::Opciones& opciones) {
    return recibir(nombre, render::renderizarArticulo(enciclopedia_, nombre, opciones));
}

std::optional<render::Pagina> Trabajo::recibir(const std::string& nombre, store::Resultado<render::Pagina> pagina) {
    if (!pagina) {
        articuloFallido(QStringLiteral("No se exporta el artículo «%1»: %2").arg(q(nombre), mensaje(pagina.error())));
        return std::nullopt;
    }
    for (const render::Aviso& aviso : pagina->avisos) {
        avisar(aviso);
    }
    ++renderizados_;
    return std::move(*pagina);
}

RegistroDeFormatos& RegistroDeFormatos::global() {
    static RegistroDeFormatos registro;
    return registro;
}

void RegistroDeFormatos::agregar(std::unique_ptr<Formato> formato) {
    if (!buscar(formato->nombre())) {
        formatos_.push_back(std::move(formato));
    }
}

Formato* RegistroDeFormatos::buscar(const QString& nombre) const {
    for (const auto& f : formatos_) {
        if (f->nombre().compare(nombre, Qt::CaseInsensitive) == 0) {
            return f.get();
        }
    }
    return nullptr;
}

QStringList RegistroDeFormatos::nombres() const {
    QStringList n;
    for (const auto& f : formatos_) {
        n << f->nombre();
    }
    return n;
}

std::optional<QString> verificarDestino(const std::string& enciclopedia, const QString& destino, bool reemplazar) {
    if (destino.isEmpty()) {
        return QStringLiteral("El destino está vacío.");
    }
    const fs::path d = canonica(nativa(destino));
    const fs::path e = canonica(store::resolver(enciclopedia));
    if (dentroDe(d, e)) {
        return QStringLiteral("El destino «%1» está dentro de la enciclotomo; nada se escribe en su directorio.")
            .arg(destino);
    }
    if (dentroDe(e, d)) {
        return QStringLiteral("El destino «%1» contiene la enciclotomo; elija otro.").arg(destino);
    }
    std::error_code ec;
    if (!fs::is_directory(d.parent_path(), ec)) {
        return QStringLiteral("No existe el directorio «%1» donde se escribiría el destino.")
            .arg(QString::fromStdString(d.parent_path().string()));
    }
    if (fs::exists(fs::symlink_status(nativa(destino), ec)) && !reemplazar) {
        return QStringLiteral("«%1» ya existe; no se reemplaza sin pedirlo (--reemplazar).").arg(destino);
    }
    return std::nullopt;
}

Informe exportar(const Encargo& encargo, const AlAvanzar& alAvanzar, const std::atomic_bool* cancelar) {
    Informe informe;
    Formato* formato = RegistroDeFormatos::global().buscar(encargo.formato);
    if (!formato) {
        informe.error = QStringLiteral("No se conoce el formato «%1»; los formatos son: %2.")
                            .arg(encargo.formato, RegistroDeFormatos::global().nombres().join(QStringLiteral(", ")));
        return informe;
    }
    if (!store::existeDirectorio(encargo.enciclopedia)) {
        informe.error = QStringLiteral("No existe el directorio de la enciclotomo «%1».").arg(q(encargo.enciclopedia));
        return informe;
    }
    if (const auto error = verificarDestino(encargo.enciclopedia, encargo.destino, encargo.reemplazar)) {
        informe.error = *error;
        return informe;
    }
    const fs::path destino = fs::absolute(nativa(encargo.destino)).lexically_normal();
    const QString temporal = nombreTemporal(destino, "parcial");
    Trabajo trabajo(encargo.enciclopedia, temporal, alAvanzar, cancelar);
    QString error;
    bool hecho = trabajo.preparar(&error) && !trabajo.cancelado() && formato->escribir(trabajo, &error);
    informe.avisos = trabajo.avisos();
    informe.totalDeAvisos = trabajo.totalDeAvisos();
    informe.fallidos = trabajo.fallidos();
    if (hecho && trabajo.cancelado()) {
        hecho = false;
    }
    std::error_code ec;
    if (hecho && !fs::exists(fs::symlink_status(nativa(temporal), ec))) {
        hecho = false;
        error = QStringLiteral("El formato no escribió nada.");
    }
    if (hecho) {
        // Into place: an existing destination is moved aside first and removed only once the new one stands.
        QString apartado;
        if (fs::exists(fs::symlink_status(destino, ec))) {
            if (!encargo.reemplazar) {
                hecho = false;
                error = QStringLiteral("«%1» apareció mientras se exportaba; no se reemplaza.").arg(encargo.destino);
            } else {
                apartado = nombreTemporal(destino, "anterior");
                fs::rename(destino, nativa(apartado), ec);
                if (ec) {
                    hecho = false;
                    error = QStringLiteral("No se puede apartar «%1» para reemplazarlo: %2")
                                .arg(encargo.destino, QString::fromStdString(ec.message()));
                    apartado.clear();
                }
            }
        }
        if (hecho) {
            fs::rename(nativa(temporal), destino, ec);
            if (ec) {
                hecho = false;
                error = QStringLiteral("No se puede dar el nombre «%1» al resultado: %2")
                            .arg(encargo.destino, QString::fromStdString(ec.message()));
                if (!apartado.isEmpty()) {
                    std::error_code ec2;
                    fs::rename(nativa(apartado), destino, ec2); // the old destination back in place
                }
            } else if (!apartado.isEmpty()) {
                borrar(apartado);
            }
        }
    }
    if (!hecho) {
        borrarTemporales(temporal);
        if (trabajo.cancelado()) {
            informe.fin = Informe::Fin::Cancelado;
            informe.error = QStringLiteral("Exportación cancelada; no se dejó nada escrito.");
        } else {
            informe.fin = Informe::Fin::Fallido;
            informe.error = error.isEmpty() ? QStringLiteral("La exportación falló.") : error;
        }
        return informe;
    }
    informe.articulos = trabajo.renderizados();
    informe.fin = informe.avisos.isEmpty() ? Informe::Fin::Completo : Informe::Fin::ConAvisos;
    return informe;
}

} // namespace publish

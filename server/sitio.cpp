#include "server/sitio.h"

#include "lexico/por_raiz.h"
#include "render/render.h"
#include "render/sitio.h"
#include "render/sitio_servidor.h"
#include "render/texto_web.h"
#include "search/plegado.h"
#include "store/archivo_de_color.h"
#include "store/archivo_de_texto.h"
#include "store/articulo.h"
#include "store/codificacion.h"
#include "store/detalle.h"
#include "store/diccionario.h"
#include "store/enciclopedia.h"
#include "store/limites.h"
#include "store/registro.h"
#include "store/rutas.h"

#include <QCoreApplication>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <unordered_set>

namespace server {

namespace {

constexpr qsizetype kLargoConsulta = 256; // bytes of a search or a type-ahead query
constexpr qsizetype kLargoPalabra = 128;  // bytes of a word looked up in the dictionary
constexpr int kFiltrosMaximos = 256;      // lists ticked at once
constexpr std::size_t kPorBusqueda = 20;  // results on one page of a search
constexpr std::size_t kBusquedaMaxima = 1000;
constexpr std::size_t kSugerencias = 10;

Respuesta no(int estado, QByteArray nota) {
    Respuesta r;
    r.estado = estado;
    r.cuerpo = render::paginaDeError(estado).c_str();
    r.cache = "no-store";
    r.nota = std::move(nota);
    return r;
}

Respuesta html(const std::string& cuerpo, std::int64_t modificado) {
    Respuesta r;
    r.cuerpo = QByteArray(cuerpo.data(), static_cast<qsizetype>(cuerpo.size()));
    r.modificado = modificado > 0 ? std::optional<std::int64_t>(modificado) : std::nullopt;
    r.modificadoBasta = false;
    r.cabeceras.append(
        qMakePair(QByteArray("Content-Security-Policy"),
                  QByteArray("default-src 'none'; img-src 'self'; style-src 'self' 'unsafe-inline'; script-src 'self'; "
                             "connect-src 'self'; form-action 'self'; base-uri 'none'; frame-ancestors 'none'")));
    return r;
}

std::optional<std::int64_t> segundosDe(const std::string& ruta) {
    struct stat st {};
    if (::lstat(store::resolver(ruta).c_str(), &st) != 0) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(st.st_mtim.tv_sec);
}

// The converter beside the program, when none was named.
std::string convertidorDe(const Opciones& o) {
    if (!o.convertidor.empty() || !QCoreApplication::instance()) {
        return o.convertidor;
    }
    return (QCoreApplication::applicationDirPath() + QStringLiteral("/tomo-servidor-imagen")).toStdString();
}

} // namespace

// A picture of the encyclopaedia, answered from its file: opened through no link below the directory (as the
// store reads every file of an encyclopaedia), only a regular file, and never read into memory here; a BMP,
// an ICO or a TIFF as PNG, converted once and kept.
Respuesta Sitio::desdeArchivo(const std::string& directorio, const std::string& ruta, const std::string& nombre) {
    store::Error error;
    const int fd = store::detail::abrirDentro(directorio, ruta, error);
    if (fd < 0) {
        return no(404, QByteArray::fromStdString(store::cp1252AUtf8(error.mensaje())));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::uint64_t>(st.st_size) > store::kLimiteImagen) {
        ::close(fd);
        return no(404, "no es un archivo de imagen que se pueda servir");
    }
    Respuesta r;
    QByteArray tipo = tipoDeImagen(nombre);
    if (seSirveComoPng(nombre)) {
        if (const auto png = pngs_.png(fd, st)) {
            tipo = "image/png";
            r.cuerpo = *png;
            r.etiqueta = "png-";
        } else {
            r.nota = "no se pudo convertir a PNG: se sirve como está";
        }
    }
    r.tipo = std::move(tipo);
    if (r.cuerpo.isEmpty()) {
        r.archivo = std::make_shared<Archivo>(fd, static_cast<std::int64_t>(st.st_size));
    } else {
        ::close(fd);
    }
    // The file's identity, size and time stand for its bytes: a file saved again gets a new tag.
    r.etiqueta += QByteArray::number(static_cast<qulonglong>(st.st_ino), 16) + '-' +
                  QByteArray::number(static_cast<qlonglong>(st.st_size), 16) + '-' +
                  QByteArray::number(static_cast<qlonglong>(st.st_mtim.tv_sec) * 1000000000ll + st.st_mtim.tv_nsec, 16);
    r.modificado = static_cast<std::int64_t>(st.st_mtim.tv_sec);
    r.cache = "public, max-age=60";
    return r;
}

namespace {

std::size_t numero(const QByteArray& texto, std::size_t maximo) {
    bool ok = false;
    const qulonglong n = texto.toULongLong(&ok);
    return ok ? std::min<std::size_t>(n, maximo) : 0;
}

} // namespace

namespace {

// The registry's encyclopaedias that exist, in its order.
std::vector<std::string> registradas() {
    std::vector<std::string> v;
    if (const auto lineas = store::enciclopediasRegistradas()) {
        for (const std::string_view d : *lineas) {
            if (!d.empty() && store::existeDirectorio(std::string(d))) {
                v.emplace_back(d);
            }
        }
    }
    return v;
}

} // namespace

Sitio::Sitio(const std::vector<std::string>& directorios, Opciones opciones)
    : opciones_(opciones), pngs_(convertidorDe(opciones_)), delRegistro_(false), lista_(std::make_shared<Lista>()) {
    revisiones_.setMaxThreadCount(1);
    tomar(directorios, false);
}

Sitio::Sitio(Opciones opciones)
    : opciones_(opciones), pngs_(convertidorDe(opciones_)), delRegistro_(true), lista_(std::make_shared<Lista>()) {
    revisiones_.setMaxThreadCount(1);
    tomar(registradas(), false);
    ultimaLista_ = std::chrono::steady_clock::now();
}

Sitio::~Sitio() {
    // An index being built is left where it got to; the next start goes on from there.
    for (const auto& e : *lista_) {
        e->cancelar();
    }
    revisiones_.clear();
    revisiones_.waitForDone();
}

void Sitio::tomar(const std::vector<std::string>& directorios, bool revisarNuevas) {
    // Those served already keep their object and their address; the others are new.
    auto nueva = std::make_shared<Lista>();
    std::unordered_set<std::string> usados;
    for (const auto& e : *lista_) {
        usados.insert(e->id());
    }
    for (const std::string& d : directorios) {
        std::shared_ptr<EnciclopediaServida> e;
        for (const auto& vieja : *lista_) {
            if (vieja->directorio() == d) {
                e = vieja;
            }
        }
        const bool repetida = std::any_of(nueva->begin(), nueva->end(), [&](const auto& x) { return x == e; });
        if (!e || repetida) {
            std::string id = idDeDirectorio(d);
            for (int n = 2; usados.count(id); ++n) {
                id = idDeDirectorio(d) + '-' + std::to_string(n);
            }
            usados.insert(id);
            e = std::make_shared<EnciclopediaServida>(d, id, opciones_.intervalo, &revisiones_);
            if (revisarNuevas) {
                e->revisar(false);
                revisiones_.start([e] { e->revisar(true); });
            }
        }
        nueva->push_back(std::move(e));
    }
    directorios_ = directorios;
    lista_ = std::move(nueva);
}

std::shared_ptr<const Sitio::Lista> Sitio::enciclopedias() {
    std::lock_guard bloqueo(mutexLista_);
    if (delRegistro_ && std::chrono::steady_clock::now() - ultimaLista_ >= opciones_.intervalo) {
        ultimaLista_ = std::chrono::steady_clock::now();
        const std::vector<std::string> ahora = registradas();
        if (ahora != directorios_) {
            tomar(ahora, true);
        }
    }
    return lista_;
}

void Sitio::preparar() {
    const auto lista = enciclopedias();
    for (const auto& e : *lista) {
        e->revisar(false);
    }
    // The indexes are brought up to date in the background: a search meanwhile finds what is indexed so far.
    for (const auto& e : *lista) {
        revisiones_.start([e] { e->revisar(true); });
    }
}

bool Sitio::bloquea(const Peticion& p) {
    return server::bloquea(destinoDe(p.ruta));
}

Respuesta Sitio::responder(const Peticion& p) {
    const Destino d = destinoDe(p.ruta);
    switch (d.pagina) {
    case Destino::Pagina::Portada:
        return portada();
    case Destino::Pagina::Estilo:
    case Destino::Pagina::Guion: {
        const bool css = d.pagina == Destino::Pagina::Estilo;
        Respuesta r;
        const std::string_view cuerpo = css ? render::hojaDelServidor() : render::guionDelServidor();
        r.cuerpo = QByteArray(cuerpo.data(), static_cast<qsizetype>(cuerpo.size()));
        r.tipo = css ? "text/css; charset=utf-8" : "text/javascript; charset=utf-8";
        r.cache = "public, max-age=3600";
        return r;
    }
    default:
        break;
    }
    if (d.id.isEmpty()) {
        return no(404, d.nota);
    }
    const auto servidas = enciclopedias();
    EnciclopediaServida* e = nullptr;
    for (const auto& x : *servidas) {
        if (d.id == QByteArray::fromStdString(x->id())) {
            e = x.get();
        }
    }
    if (!e) {
        return no(404, "no existe esa enciclotomo");
    }
    switch (d.pagina) {
    case Destino::Pagina::SinBarra: {
        Respuesta r = no(301, {});
        r.cabeceras.append(qMakePair(QByteArray("Location"), "/e/" + d.id + '/'));
        return r;
    }
    case Destino::Pagina::Lista:
        return lista(*e, p);
    case Destino::Pagina::Buscar:
        return busqueda(*e, p);
    case Destino::Pagina::Titulos:
        return titulos(*e, p);
    case Destino::Pagina::Diccionario:
        return diccionario(*e, p);
    case Destino::Pagina::Icono:
        return icono(*e);
    case Destino::Pagina::Articulo:
        return articulo(*e, d.nombre);
    case Destino::Pagina::Imagen:
        return imagen(*e, d.nombre);
    default:
        return no(404, d.nota);
    }
}

Respuesta Sitio::portada() {
    std::vector<render::FichaEnciclopedia> fichas;
    std::int64_t modificado = 0;
    for (const auto& e : *enciclopedias()) {
        const auto i = e->instantanea();
        fichas.push_back(
            {e->id(), store::cp1252AUtf8(i->titulo), store::cp1252AUtf8(i->comentario), i->completa.size()});
        modificado = std::max(modificado, i->modificado);
    }
    return html(render::paginaPortada(fichas), modificado);
}

Respuesta Sitio::lista(EnciclopediaServida& e, const Peticion& p) {
    const auto i = e.instantanea();
    const QList<QByteArray> pedidas = parametros(p.consulta, "lista");
    if (pedidas.size() > kFiltrosMaximos) {
        return no(400, "demasiados filtros");
    }
    // The ticked lists, one after another in the order of LISTAS.DAT, each in its own order: an article in
    // two of them is listed twice, as in the viewer's selector. No list ticked: the complete list.
    std::vector<std::string> marcadas;
    for (const QByteArray& q : pedidas) {
        if (auto l = store::utf8ACp1252(q.toStdString())) {
            marcadas.push_back(std::move(*l));
        }
    }
    render::PaginaLista pagina;
    pagina.id = e.id();
    pagina.titulo = store::cp1252AUtf8(i->titulo);
    pagina.comentario = store::cp1252AUtf8(i->comentario);
    const std::vector<std::string>* unica = &i->completa;
    std::vector<std::string> filtrados;
    for (const std::string& l : i->listas) {
        const bool marcada = std::find(marcadas.begin(), marcadas.end(), l) != marcadas.end();
        pagina.filtros.push_back({l, store::cp1252AUtf8(l), marcada});
        if (marcada) {
            const auto& m = i->miembros.at(l);
            filtrados.insert(filtrados.end(), m.begin(), m.end());
            pagina.filtrada = true;
        }
    }
    if (pagina.filtrada) {
        unica = &filtrados;
    }
    pagina.total = unica->size();
    pagina.desde = numero(parametro(p.consulta, "desde"), unica->size());
    const std::size_t hasta = std::min(unica->size(), pagina.desde + static_cast<std::size_t>(opciones_.porPagina));
    pagina.porPagina = static_cast<std::size_t>(opciones_.porPagina);
    for (std::size_t k = pagina.desde; k < hasta; ++k) {
        const std::string& nombre = (*unica)[k];
        const auto t = i->titulos.find(nombre);
        render::EntradaTitulo entrada;
        entrada.nombre = nombre;
        entrada.enlazable = t != i->titulos.end() && t->second.has_value();
        entrada.titulo = store::cp1252AUtf8(entrada.enlazable ? *t->second : nombre);
        pagina.entradas.push_back(std::move(entrada));
    }
    return html(render::paginaLista(pagina), i->modificado);
}

Respuesta Sitio::articulo(EnciclopediaServida& e, const std::string& nombre) {
    const auto i = e.instantanea();
    if (!i->esArticulo(nombre)) {
        return no(404, "no es un artículo de la enciclotomo");
    }
    render::Opciones o;
    render::Enlaces enlaces = render::Enlaces::servidor(e.id());
    render::enmarcarArticulo(enlaces, store::cp1252AUtf8(i->titulo), o);
    o.colores = i->colores;
    o.imagen = [&](const render::Imagen& imagen) -> std::optional<std::string> {
        if (!store::nombreArchivoValido(imagen.nombre) || !esImagen(imagen.nombre)) {
            return std::nullopt;
        }
        if (!segundosDe(imagen.ruta)) {
            return std::nullopt;
        }
        return enlaces.url(render::Lugar::Raiz, enlaces.imagen(imagen.nombre, {}));
    };
    auto pagina = render::renderizarArticulo(e.directorio(), nombre, o);
    if (!pagina) {
        return no(404, QByteArray::fromStdString(store::cp1252AUtf8(pagina.error().mensaje())));
    }
    // The time of the very file that was read, not of whatever the name resolves to a moment later.
    const std::int64_t modificado = std::max(pagina->modificado, i->modificado);
    Respuesta r = html(pagina->xhtml, modificado);
    if (!pagina->avisos.empty()) {
        r.nota = QByteArray::number(static_cast<qulonglong>(pagina->avisos.size())) +
                 " avisos: " + QByteArray::fromStdString(pagina->avisos.front().mensaje);
    }
    return r;
}

Respuesta Sitio::imagen(EnciclopediaServida& e, const std::string& nombre) {
    if (!store::nombreArchivoValido(nombre) || !esImagen(nombre)) {
        return no(404, "no es una imagen");
    }
    return desdeArchivo(e.directorio(), store::rutaIlustracion(e.directorio(), nombre), nombre);
}

Respuesta Sitio::icono(EnciclopediaServida& e) {
    return desdeArchivo(e.directorio(), store::unir(e.directorio(), store::kIcono), std::string(store::kIcono));
}

Respuesta Sitio::busqueda(EnciclopediaServida& e, const Peticion& p) {
    const QByteArray q = parametro(p.consulta, "q");
    if (q.size() > kLargoConsulta) {
        return no(400, "consulta demasiado larga");
    }
    const auto i = e.instantanea();
    render::PaginaBusqueda pagina;
    pagina.id = e.id();
    pagina.titulo = store::cp1252AUtf8(i->titulo);
    pagina.consulta = q.toStdString();
    pagina.desde = numero(parametro(p.consulta, "desde"), kBusquedaMaxima);
    pagina.porPagina = kPorBusqueda;
    EstadoIndice indice = e.estadoIndice();
    pagina.indiceListo = indice.listo;
    pagina.indiceHechos = indice.hechos;
    pagina.indiceTotal = indice.total;
    pagina.errorDeIndice = std::move(indice.error);
    if (!q.trimmed().isEmpty()) {
        pagina.buscada = true;
        search::Resultados r = e.buscar(pagina.consulta, pagina.desde, kPorBusqueda);
        for (search::Acierto& a : r.aciertos) {
            pagina.aciertos.push_back({std::move(a.nombre), std::move(a.titulo), std::move(a.pasaje)});
        }
        pagina.encontrados = r.encontrados;
        pagina.exacto = r.exacto;
        pagina.recortada = r.recortada;
    }
    const bool parcial = parametro(p.consulta, "parcial") == "1";
    return html(parcial ? render::fragmentoBusqueda(pagina) : render::paginaBusqueda(pagina), i->modificado);
}

Respuesta Sitio::titulos(EnciclopediaServida& e, const Peticion& p) {
    const QByteArray q = parametro(p.consulta, "q");
    if (q.size() > kLargoConsulta) {
        return no(400, "consulta demasiado larga");
    }
    const auto i = e.instantanea();
    const auto cp = store::utf8ACp1252(q.toStdString());
    const std::string buscado = cp ? search::plegar(std::string(store::sinEspacios(*cp))) : std::string();
    std::vector<std::pair<std::string, std::string>> sugerencias; // name, title
    std::unordered_set<std::string> vistos;
    // Titles that begin with what was typed first, then those with a word that begins with it, in list order.
    for (int vuelta = 0; vuelta < 2 && cp && !buscado.empty() && sugerencias.size() < kSugerencias; ++vuelta) {
        for (const std::string& nombre : i->completa) {
            if (sugerencias.size() >= kSugerencias) {
                break;
            }
            const auto t = i->plegados.find(nombre);
            if (t == i->plegados.end() || vistos.count(nombre)) {
                continue;
            }
            const std::string& plegado = t->second;
            const bool empieza = plegado.compare(0, buscado.size(), buscado) == 0;
            bool palabra = false;
            if (vuelta == 1) {
                for (std::size_t k = plegado.find(buscado); k != std::string::npos; k = plegado.find(buscado, k + 1)) {
                    if (k > 0 && !std::isalnum(static_cast<unsigned char>(plegado[k - 1]))) {
                        palabra = true;
                        break;
                    }
                }
            }
            if ((vuelta == 0 && empieza) || (vuelta == 1 && palabra)) {
                vistos.insert(nombre);
                sugerencias.emplace_back(nombre, store::cp1252AUtf8(*i->titulos.at(nombre)));
            }
        }
    }
    Respuesta r;
    r.tipo = "application/json";
    r.cuerpo = QByteArray::fromStdString(render::sugerenciasJson(e.id(), sugerencias));
    r.modificado = i->modificado > 0 ? std::optional<std::int64_t>(i->modificado) : std::nullopt;
    r.modificadoBasta = false;
    return r;
}

Respuesta Sitio::diccionario(EnciclopediaServida& e, const Peticion& p) {
    const QByteArray escrita = parametro(p.consulta, "p");
    if (escrita.size() > kLargoPalabra) {
        return no(400, "palabra demasiado larga");
    }
    const auto i = e.instantanea();
    render::PaginaDiccionario pagina;
    pagina.id = e.id();
    pagina.titulo = store::cp1252AUtf8(i->titulo);
    pagina.escrita = escrita.toStdString();
    if (!escrita.trimmed().isEmpty()) {
        pagina.buscada = true;
        const auto cp = store::utf8ACp1252(pagina.escrita);
        // The word as the viewer takes a double-clicked one: upper-cased, spaces and surrounding punctuation off.
        const std::string palabra = cp ? store::limpiarPalabra(*cp) : std::string();
        pagina.palabra = cp ? store::cp1252AUtf8(palabra) : QByteArray(escrita).toUpper().toStdString();
        std::optional<std::string> definicion;
        if (cp) {
            const auto hallada = e.diccionario().buscar(palabra);
            if (!hallada) {
                pagina.sinDiccionario = true;
                pagina.error = store::cp1252AUtf8(hallada.error().mensaje());
                pagina.faltaArchivo = hallada.error().causa == store::Causa::NoEncontrado ||
                                      hallada.error().causa == store::Causa::RutaNoEncontrada;
            } else if (hallada->has_value()) {
                definicion = **hallada;
            } else if (const auto porRaiz = lexico::buscarPorRaiz(palabra, [&](const std::string& raiz) {
                           auto entrada = e.diccionario().buscar(raiz);
                           return entrada ? *entrada : std::nullopt;
                       })) {
                // A word without an entry of its own, found under its stem ("PLANETAS" under "PLANETA").
                definicion = porRaiz->definicion;
                pagina.raiz = store::cp1252AUtf8(porRaiz->raiz);
            }
        }
        if (definicion) {
            pagina.encontrada = true;
            if (const auto referencia = store::referenciaDe(*definicion)) {
                // A reference entry names an article: it becomes a link when the encyclopaedia lists it.
                const std::string nombre(store::sinEspaciosDerecha(*referencia));
                pagina.referencia = store::cp1252AUtf8(nombre);
                // The definition comes out upper-cased: the article is found among the listed names by case.
                for (const auto& [n, t] : i->titulos) {
                    if (store::igualesSinCaso(n, nombre) && t) {
                        render::Enlaces enlaces = render::Enlaces::servidor(e.id());
                        pagina.enlace = enlaces.url(render::Lugar::Raiz, enlaces.articulo(n));
                        pagina.tituloReferencia = store::cp1252AUtf8(*t);
                        break;
                    }
                }
            }
            pagina.definicion = store::cp1252AUtf8(*definicion);
        }
    }
    return html(render::paginaDiccionario(pagina), i->modificado);
}

} // namespace server

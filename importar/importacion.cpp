#include "importacion.h"

#include "render/texto_web.h"

#include "diccionario.h"
#include "registro.h"
#include "windows1252.h"
#include "zim.h"

#include "store/archivo_de_texto.h"
#include "store/archivos_de_lista.h"
#include "store/articulo.h"
#include "store/codificacion.h"
#include "store/enciclopedia.h"
#include "store/limites.h"
#include "store/rutas.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <system_error>

namespace importar {

namespace fs = std::filesystem;

namespace {

std::string utf8DeRuta(const fs::path& p) {
    const auto u = p.u8string();
    return std::string(u.begin(), u.end());
}

// A name the store accepts for one file: every character a file name cannot hold becomes "_", and so do the
// dots (the caller adds the one extension); no space or dot at the end; no device name of Windows.
std::string nombreLimpio(std::string_view utf8, std::string_view deReserva) {
    std::string n;
    for (const char c : Conversor()(utf8)) {
        const auto b = static_cast<unsigned char>(c);
        const bool prohibido = b < 0x20 || std::string_view("\\/:*?\"<>|.").find(c) != std::string_view::npos;
        n += prohibido ? '_' : c;
    }
    while (!n.empty() && (n.back() == ' ' || n.back() == '_')) {
        n.pop_back();
    }
    while (!n.empty() && n.front() == ' ') {
        n.erase(0, 1);
    }
    if (n.empty()) {
        n = deReserva;
    }
    static const char* const kDispositivos[] = {"CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4",
                                                "COM5", "COM6", "COM7", "COM8", "COM9", "LPT1", "LPT2", "LPT3",
                                                "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};
    const std::string mayus = store::aMayusculas(n);
    for (const char* d : kDispositivos) {
        if (mayus == d) {
            n += '_';
        }
    }
    return n;
}

// The upper-cased part before the first dot of every entry of a native directory (names that Windows-1252
// can spell); the whole upper-cased names go to `completos` when given.
std::set<std::string> entradas(const fs::path& dir, std::set<std::string>* completos = nullptr) {
    std::set<std::string> bases;
    std::error_code e;
    for (fs::directory_iterator it(dir, e), fin; !e && it != fin; it.increment(e)) {
        const auto n = store::utf8ACp1252(utf8DeRuta(it->path().filename()));
        if (!n) {
            continue;
        }
        const std::string mayus = store::aMayusculas(*n);
        bases.insert(mayus.substr(0, mayus.find('.')));
        if (completos) {
            completos->insert(mayus);
        }
    }
    return bases;
}

std::string minusculas(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string comillas(std::string_view utf8) {
    return "\xC2\xAB" + std::string(utf8) + "\xC2\xBB";
}

std::string veces(int n, const char* uno, const char* varios) {
    return n == 1 ? std::string("1 ") + uno : std::to_string(n) + " " + varios;
}

// The article's body from the document: its paragraphs, then `cierre` (UTF-8) as the last one when given;
// each picture goes to `conImagen`; what cannot be kept is told in its warnings (what its format loses only
// when `perdidas`).
void componer(ArticuloPlaneado& a, const Documento& d, Conversor& texto, bool eraUtf8, bool perdidas,
              const std::function<void(const Imagen&)>& conImagen, const std::string& cierre) {
    int menores = 0;
    int barras = 0;
    for (const Bloque& b : d.bloques) {
        if (b.tipo == Bloque::Tipo::Imagen) {
            conImagen(b.imagen);
            continue;
        }
        std::string linea = texto(b.texto);
        const std::string_view clave = store::sinEspacios(linea);
        if (clave.empty()) {
            continue;
        }
        if (clave.front() == '<') {
            // A line starting with "<" would be taken for a tag and left out of the article.
            linea[linea.find('<')] = '\x8B';
            ++menores;
        } else if (clave == "/") {
            ++barras;
            continue;
        }
        if (a.cuerpo.size() > 0) {
            a.cuerpo.push_back("/");
        }
        a.cuerpo.push_back(linea);
    }
    if (!cierre.empty()) {
        if (a.cuerpo.size() > 0) {
            a.cuerpo.push_back("/");
        }
        a.cuerpo.push_back(texto(cierre));
    }
    if (!eraUtf8) {
        a.avisos.push_back("El texto no es UTF-8: se lee como Windows-1252.");
    }
    for (const auto& [tipo, n] : perdidas ? d.perdidas : std::map<std::string, int>{}) {
        if (tipo == "tablas") {
            a.avisos.push_back(veces(n, "tabla", "tablas") +
                               ": el artículo no tiene tablas; se guarda su texto fila por fila, con "
                               "\xC2\xAB | \xC2\xBB entre las celdas.");
        } else if (tipo == "enlaces") {
            a.avisos.push_back(veces(n, "enlace", "enlaces") +
                               ": el artículo no tiene enlaces; se guarda su texto, sin la dirección.");
        }
    }
    if (menores > 0) {
        a.avisos.push_back(veces(menores, "párrafo empieza", "párrafos empiezan") +
                           " por \xC2\xAB<\xC2\xBB, que el artículo tomaría por una etiqueta: se cambia por "
                           "\xC2\xAB\xE2\x80\xB9\xC2\xBB.");
    }
    if (barras > 0) {
        a.avisos.push_back(veces(barras, "párrafo", "párrafos") +
                           " de solo \xC2\xAB/\xC2\xBB, que el artículo tomaría por un salto de línea: se "
                           "deja fuera.");
    }
    if (texto.huboReemplazos()) {
        std::string frase = "Texto que Windows-1252 no puede guardar: ";
        const auto r = texto.reemplazos();
        for (std::size_t i = 0; i < r.size(); ++i) {
            frase += (i ? "; " : "") + r[i];
        }
        a.avisos.push_back(frase + ".");
    }
}

// Whether `ruta` (made absolute, its links resolved) lies inside the folder `carpeta` (likewise).
bool dentroDe(const fs::path& ruta, const fs::path& carpeta) {
    const auto r = ruta.begin();
    auto it = r;
    for (auto c = carpeta.begin(); c != carpeta.end(); ++c, ++it) {
        if (c->empty() && std::next(c) == carpeta.end()) {
            break; // a folder written with its last slash
        }
        if (it == ruta.end() || *it != *c) {
            return false;
        }
    }
    return true;
}

fs::path canonica(const fs::path& p) {
    std::error_code e;
    fs::path c = fs::weakly_canonical(fs::absolute(p, e), e);
    return e ? p.lexically_normal() : c;
}

class Planificador {
public:
    Planificador(Plan& plan, const Opciones& opciones) : plan_(plan), opciones_(opciones) {
        for (const fs::path& c : opciones.carpetasImagenes) {
            permitidas_.push_back(canonica(c));
        }
    }

    bool preparar() {
        const fs::path dir = store::resolver(plan_.tomo);
        const auto completa = store::leerLineas(store::unir(plan_.tomo, store::kCompleta), store::kLimiteLista);
        if (!completa) {
            error_ = completa.error();
            return false;
        }
        for (const std::string_view n : *completa) {
            nombres_.insert(store::aMayusculas(n));
            listados_.insert(store::aMayusculas(n));
        }
        entradas(dir, &nombres_);
        const fs::path img = store::resolver(store::unir(plan_.tomo, store::kImg));
        basesImagen_ = entradas(img);
        return true;
    }

    // `carpeta`: the folder the author gave, or the folder of the file given; pictures come from inside it.
    void agregar(const fs::path& archivo, Formato formato, const fs::path& carpeta) {
        const auto bytes = store::leerBytesNativos(archivo, store::kLimiteArticulo);
        if (!bytes) {
            plan_.omitidos.push_back(store::cp1252AUtf8(bytes.error().mensaje()));
            return;
        }
        if (!pareceTexto(*bytes)) {
            plan_.omitidos.push_back(comillas(utf8DeRuta(archivo)) +
                                     " no es un texto (tiene bytes de un archivo binario): no se importa.");
            return;
        }
        carpeta_ = canonica(carpeta);
        bool eraUtf8 = true;
        const Documento d = leer(formato, comoUtf8(*bytes, &eraUtf8));
        ArticuloPlaneado a;
        a.origen = archivo;
        a.formato = formato;
        Conversor texto;
        const std::string tallo = utf8DeRuta(archivo.stem());
        a.titulo = texto(d.titulo.empty() ? tallo : d.titulo);
        a.nombre = nombreLibre(store::aMayusculas(nombreLimpio(tallo, "ARTICULO")), ".TXT");
        componer(a, d, texto, eraUtf8, true, [&](const Imagen& im) { imagen(a, im, texto); }, {});
        plan_.articulos.push_back(std::move(a));
    }

    const store::Error& error() const { return error_; }

    // An article of a ZIM file: its HTML read as the wikis write it, its figures' pictures from the same file,
    // and the file's credit at its end.
    void agregarZim(const FuenteZim& fuente, const PaginaZim& pagina, const std::string& cierre,
                    const Registro& registro) {
        registro_ = &registro;
        std::optional<std::string> anterior;
        if (const auto r = registro.articulos.find({plan_.archivoZim, pagina.ruta}); r != registro.articulos.end()) {
            const auto bytes = store::leerBytes(store::unir(plan_.tomo, r->second.nombre), store::kLimiteArticulo);
            if (!bytes || suma(*bytes) != r->second.suma) {
                plan_.seleccion.push_back({pagina.ruta, r->second.nombre});
                plan_.conservados.push_back(
                    store::cp1252AUtf8(r->second.nombre) + ": " + comillas(pagina.titulo) +
                    (bytes ? " cambi\xC3\xB3 desde que se import\xC3\xB3: se conserva como est\xC3\xA1."
                           : " ya no est\xC3\xA1 (o no se puede leer): no se vuelve a crear."));
                return;
            }
            anterior = r->second.nombre;
        }
        const auto html = fuente.contenido(pagina.ruta, store::kLimiteArticulo);
        if (!html) {
            plan_.omitidos.push_back("El art\xC3\xAD"
                                     "culo " +
                                     comillas(pagina.titulo) +
                                     " no se puede leer del archivo o es demasiado grande: no se importa.");
            return;
        }
        OpcionesHtml wiki;
        wiki.soloFiguras = true;
        bool eraUtf8 = true;
        Documento d = leerHtml(comoUtf8(*html, &eraUtf8), wiki);
        ArticuloPlaneado a;
        a.origen = fs::u8path(pagina.ruta);
        a.entrada = pagina.ruta;
        a.formato = Formato::Html;
        Conversor texto;
        a.titulo = texto(pagina.titulo);
        std::string base = store::aMayusculas(nombreLimpio(pagina.titulo, "ARTICULO"));
        if (base.size() > kLargoNombre) {
            base.resize(kLargoNombre);
        }
        if (anterior) {
            a.nombre = *anterior;
            a.reemplazar = true;
            a.agregarACompleta = !listados_.count(store::aMayusculas(*anterior));
        } else if (const auto dejado = dejadoPorUnaImportacion(base + ".TXT", texto(pagina.titulo), texto(cierre))) {
            a.nombre = *dejado;
            a.reemplazar = true;
        } else {
            a.nombre = nombreLibre(base, ".TXT");
        }
        a.enlaces = std::move(d.enlaces);
        componer(
            a, d, texto, eraUtf8, false, [&](const Imagen& im) { imagenZim(fuente, pagina, a, im, texto); }, cierre);
        // The body is made again when it is written, so that a plan of many articles holds only their names,
        // pictures and the links that can become dictionary entries.
        for (const std::string_view l : a.cuerpo) {
            a.bytesCuerpo += l.size() + 2;
        }
        a.cuerpo = store::Lineas();
        a.cuerpoAlEscribir = true;
        a.enlaces.erase(
            std::remove_if(a.enlaces.begin(), a.enlaces.end(),
                           [](const Enlace& e) { return e.texto.empty() || e.texto.find(' ') != std::string::npos; }),
            a.enlaces.end());
        a.enlaces.shrink_to_fit();
        plan_.seleccion.push_back({a.entrada, a.nombre});
        plan_.articulos.push_back(std::move(a));
    }

private:
    // Article names from long titles are cut to this many characters before their extension.
    static constexpr std::size_t kLargoNombre = 60;

    void imagenZim(const FuenteZim& fuente, const PaginaZim& pagina, ArticuloPlaneado& a, const Imagen& im,
                   Conversor& texto) {
        const auto entrada = FuenteZim::resolver(pagina.ruta, im.fuente);
        if (!entrada) {
            a.avisos.push_back("La imagen " + comillas(im.fuente.substr(0, 80)) +
                               " no est\xC3\xA1 en el archivo: no se agrega.");
            return;
        }
        const fs::path clave = fs::u8path("zim:" + *entrada);
        const std::size_t barra = entrada->rfind('/');
        std::string tallo = entrada->substr(barra == std::string::npos ? 0 : barra + 1);
        tallo = tallo.substr(0, tallo.rfind('.'));
        IlustracionPlaneada il;
        il.origen = fs::u8path(*entrada);
        il.entrada = *entrada;
        const auto previa = registro_ ? registro_->imagenes.find({plan_.archivoZim, *entrada})
                                      : std::map<std::pair<std::string, std::string>, std::string>::const_iterator{};
        if (const auto vista = copiadas_.find(clave); vista != copiadas_.end()) {
            il.nombre = vista->second;
            il.copiar = false;
        } else if (registro_ && previa != registro_->imagenes.end() &&
                   store::existeArchivo(store::unir(store::unir(plan_.tomo, store::kImg), previa->second))) {
            // Imported before: the picture stays as it is, under its name.
            il.nombre = previa->second;
            il.copiar = false;
            copiadas_[clave] = il.nombre;
        } else {
            const auto bytes = fuente.contenido(*entrada, store::kLimiteImagen);
            const std::size_t punto = entrada->rfind('.');
            const std::string ext = punto == std::string::npos ? std::string() : minusculas(entrada->substr(punto + 1));
            const auto lista = bytes ? convertir(*bytes, ext) : std::nullopt;
            if (!lista) {
                a.avisos.push_back("La imagen " + comillas(*entrada) +
                                   (bytes ? " no se puede leer como imagen: no se agrega."
                                          : " no est\xC3\xA1 en el archivo o es demasiado grande: no se agrega."));
                return;
            }
            il.nombre = nombreDeImagen(tallo, lista->extension);
            il.bytes = lista->bytes.size();
            copiadas_[clave] = il.nombre;
        }
        completar(a, std::move(il), im, texto, tallo);
    }

    std::string nombreDeImagen(const std::string& tallo, const std::string& ext) {
        std::string base = nombreLimpio(tallo, "imagen");
        if (base.size() > kLargoNombre) {
            base.resize(kLargoNombre);
        }
        std::string libre = base;
        for (int n = 2; basesImagen_.count(store::aMayusculas(libre)); ++n) {
            libre = base + "_" + std::to_string(n);
        }
        basesImagen_.insert(store::aMayusculas(libre));
        return libre + "." + ext;
    }

    // The illustration's title and caption from the picture's alternative text and caption.
    void completar(ArticuloPlaneado& a, IlustracionPlaneada il, const Imagen& im, Conversor& texto,
                   const std::string& tallo) {
        const std::string alternativo = texto(im.alternativo);
        const std::string epigrafe = texto(im.epigrafe);
        il.titulo = !alternativo.empty() ? alternativo : !epigrafe.empty() ? epigrafe : texto(tallo);
        if (!epigrafe.empty() && epigrafe != il.titulo) {
            il.epigrafe.push_back(epigrafe);
        }
        if (std::any_of(a.ilustraciones.begin(), a.ilustraciones.end(),
                        [&](const IlustracionPlaneada& o) { return o.nombre == il.nombre; })) {
            return; // the same picture twice in one text is one illustration
        }
        a.ilustraciones.push_back(std::move(il));
    }

    // `nombre` when it is what an import of this file stopped midway left behind: an article no list names and the
    // record does not know, with this title and this file's credit as its last line. Taken again, it is written
    // over rather than left beside a second copy.
    std::optional<std::string> dejadoPorUnaImportacion(const std::string& nombre, const std::string& titulo,
                                                       const std::string& credito) const {
        const std::string mayus = store::aMayusculas(nombre);
        if (!nombres_.count(mayus) || listados_.count(mayus) || credito.empty()) {
            return std::nullopt;
        }
        if (registro_) {
            for (const auto& [clave, registrado] : registro_->articulos) {
                if (store::igualesSinCaso(registrado.nombre, nombre)) {
                    return std::nullopt;
                }
            }
        }
        const auto lineas = store::leerLineas(store::unir(plan_.tomo, nombre), store::kLimiteArticulo);
        if (!lineas || lineas->empty() || (*lineas)[0] != "<TIT>" + titulo ||
            (*lineas)[lineas->size() - 1] != credito) {
            return std::nullopt;
        }
        return nombre;
    }

    std::string nombreLibre(const std::string& base, std::string_view extension) {
        std::string nombre = base + std::string(extension);
        for (int n = 2; nombres_.count(store::aMayusculas(nombre)); ++n) {
            nombre = base + "_" + std::to_string(n) + std::string(extension);
        }
        nombres_.insert(store::aMayusculas(nombre));
        return nombre;
    }

    void imagen(ArticuloPlaneado& a, const Imagen& im, Conversor& texto) {
        std::string fuente = im.fuente;
        const std::string minus = [&] {
            std::string m = fuente;
            std::transform(m.begin(), m.end(), m.begin(), [](unsigned char c) { return std::tolower(c); });
            return m;
        }();
        if (minus.rfind("http:", 0) == 0 || minus.rfind("https:", 0) == 0 || minus.rfind("//", 0) == 0 ||
            minus.rfind("data:", 0) == 0 || minus.rfind("ftp:", 0) == 0) {
            a.avisos.push_back("La imagen " + comillas(fuente.substr(0, 80)) +
                               " no está en el disco sino en la red: no se copia ni se agrega.");
            return;
        }
        if (minus.rfind("file://", 0) == 0) {
            fuente = fuente.substr(7);
        }
        fuente = render::decodificarUrl(fuente.substr(0, fuente.find_first_of("?#")));
        fs::path ruta = fs::u8path(fuente);
        for (const fs::path& parte : ruta) {
            if (parte == "..") {
                a.avisos.push_back("La imagen " + comillas(im.fuente) +
                                   " sube fuera de la carpeta con \xC2\xAB..\xC2\xBB: no se agrega.");
                return;
            }
        }
        if (ruta.is_relative()) {
            ruta = a.origen.parent_path() / ruta;
        }
        std::error_code e;
        if (!fs::is_regular_file(ruta, e)) {
            a.avisos.push_back("Falta la imagen " + comillas(im.fuente) + ": no se agrega.");
            return;
        }
        const fs::path clave = canonica(ruta);
        if (!dentroDe(clave, carpeta_) && std::none_of(permitidas_.begin(), permitidas_.end(),
                                                       [&](const fs::path& c) { return dentroDe(clave, c); })) {
            a.avisos.push_back("La imagen " + comillas(im.fuente) + " está fuera de la carpeta " +
                               comillas(utf8DeRuta(carpeta_)) +
                               ": no se agrega (otra carpeta se permite con --imagenes-de).");
            return;
        }
        if (fs::file_size(ruta, e) > store::kLimiteImagen) {
            a.avisos.push_back("La imagen " + comillas(im.fuente) + " es demasiado grande: no se agrega.");
            return;
        }
        IlustracionPlaneada il;
        il.origen = ruta;
        if (const auto vista = copiadas_.find(clave); vista != copiadas_.end()) {
            il.nombre = vista->second;
            il.copiar = false;
        } else {
            const auto bytes = store::leerBytesNativos(ruta, store::kLimiteImagen);
            const std::string extOrigen = minusculas(utf8DeRuta(ruta.extension()));
            const auto lista =
                bytes ? convertir(*bytes, extOrigen.empty() ? extOrigen : extOrigen.substr(1)) : std::nullopt;
            if (!lista) {
                a.avisos.push_back(
                    "La imagen " + comillas(im.fuente) +
                    (bytes ? " no se puede leer como imagen: no se agrega."
                           : " no se puede leer (" + store::cp1252AUtf8(bytes.error().mensaje()) + "): no se agrega."));
                return;
            }
            il.nombre = nombreDeImagen(utf8DeRuta(ruta.stem()), lista->extension);
            il.bytes = lista->bytes.size();
            copiadas_[clave] = il.nombre;
        }
        completar(a, std::move(il), im, texto, utf8DeRuta(ruta.stem()));
    }

    std::optional<ImagenLista> convertir(std::string_view bytes, std::string_view extension) const {
        return opciones_.convertir ? opciones_.convertir(bytes, extension) : reconocerImagen(bytes, extension);
    }

    Plan& plan_;
    const Opciones& opciones_;
    const Registro* registro_ = nullptr;
    std::vector<fs::path> permitidas_;
    fs::path carpeta_;
    store::Error error_;
    std::set<std::string> nombres_;     // upper-cased names taken in the encyclopaedia directory
    std::set<std::string> listados_;    // upper-cased names of COMPLETA.DAT
    std::set<std::string> basesImagen_; // upper-cased names before their dot, taken in IMG
    std::map<fs::path, std::string> copiadas_;
};

// The body of an article of a ZIM file, made again from its entry as the plan made it.
std::optional<store::Lineas> cuerpoZim(const Plan& plan, const ArticuloPlaneado& a) {
    const auto html = plan.zim ? plan.zim->contenido(a.entrada, store::kLimiteArticulo) : std::nullopt;
    if (!html) {
        return std::nullopt;
    }
    OpcionesHtml wiki;
    wiki.soloFiguras = true;
    bool eraUtf8 = true;
    const Documento d = leerHtml(comoUtf8(*html, &eraUtf8), wiki);
    ArticuloPlaneado b;
    Conversor texto;
    componer(
        b, d, texto, eraUtf8, false, [](const Imagen&) {}, credito(plan.zim->datos()));
    return std::move(b.cuerpo);
}

store::Resultado<std::string> leerImagen(const Plan& plan, const IlustracionPlaneada& il) {
    if (il.entrada.empty()) {
        return store::leerBytesNativos(il.origen, store::kLimiteImagen);
    }
    if (plan.zim) {
        if (auto bytes = plan.zim->contenido(il.entrada, store::kLimiteImagen)) {
            return std::move(*bytes);
        }
    }
    return store::Error{"leer del archivo ZIM la imagen", Conversor()(il.entrada), store::Causa::NoEncontrado, {}};
}

store::Error yaExiste(const std::string& ruta) {
    return store::Error{"importar el archivo", ruta, store::Causa::YaExiste, {}};
}

void borrar(const std::string& ruta) {
    const fs::path nativa = store::resolver(ruta);
    std::error_code e;
    fs::remove(nativa, e);
    store::olvidarDirectorio(nativa.parent_path());
}

} // namespace

std::optional<ImagenLista> reconocerImagen(std::string_view bytes, std::string_view extension) {
    struct Firma {
        std::string_view bytes;
        const char* extension;
    };
    static constexpr Firma kFirmas[] = {
        {"\x89PNG\r\n\x1a\n", "png"}, {"\xFF\xD8\xFF", "jpg"}, {"GIF87a", "gif"}, {"GIF89a", "gif"}, {"BM", "bmp"}};
    (void)extension;
    for (const Firma& f : kFirmas) {
        if (bytes.size() > f.bytes.size() + 16 && bytes.substr(0, f.bytes.size()) == f.bytes) {
            return ImagenLista{std::string(bytes), f.extension};
        }
    }
    return std::nullopt;
}

bool pareceTexto(std::string_view bytes) {
    std::size_t control = 0;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b == 0) {
            return false;
        }
        if (b < 0x20 && b != '\t' && b != '\n' && b != '\r' && b != '\f' && b != 0x1A) {
            ++control;
        }
    }
    return control * 100 <= bytes.size();
}

store::Resultado<Plan> planear(const std::vector<fs::path>& entradasDadas, std::string_view tomo,
                               const Opciones& opciones) {
    Plan plan;
    plan.tomo = std::string(tomo);
    plan.convertir = opciones.convertir;
    if (!store::existeDirectorio(tomo)) {
        return store::Error{"importar en la enciclotomo", std::string(tomo), store::Causa::NoEncontrado, {}};
    }
    Planificador p(plan, opciones);
    if (!p.preparar()) {
        return p.error();
    }
    for (const fs::path& entrada : entradasDadas) {
        std::error_code e;
        if (fs::is_directory(entrada, e)) {
            std::vector<std::pair<fs::path, Formato>> archivos;
            for (fs::directory_iterator it(entrada, e), fin; !e && it != fin; it.increment(e)) {
                Formato f;
                if (it->is_regular_file(e) && formatoDeNombre(utf8DeRuta(it->path().filename()), f)) {
                    archivos.emplace_back(it->path(), f);
                }
            }
            std::sort(archivos.begin(), archivos.end());
            if (archivos.empty()) {
                plan.omitidos.push_back("En " + comillas(utf8DeRuta(entrada)) +
                                        " no hay textos (.txt, .md, .markdown, .htm, .html) que importar.");
            }
            for (const auto& [archivo, formato] : archivos) {
                p.agregar(archivo, formato, entrada);
            }
        } else if (fs::exists(entrada, e)) {
            Formato f = Formato::Texto;
            formatoDeNombre(utf8DeRuta(entrada.filename()), f);
            p.agregar(entrada, f, entrada.parent_path().empty() ? fs::path(".") : entrada.parent_path());
        } else {
            plan.omitidos.push_back(comillas(utf8DeRuta(entrada)) + " no existe.");
        }
    }
    return plan;
}

store::Resultado<Plan> planearZim(const FuenteZim& fuente, const std::vector<PaginaZim>& paginas, std::string_view tomo,
                                  const Opciones& opciones, const std::function<bool(std::size_t)>& avance) {
    Plan plan;
    plan.tomo = std::string(tomo);
    plan.convertir = opciones.convertir;
    plan.zim = &fuente;
    if (!store::existeDirectorio(tomo)) {
        return store::Error{"importar en la enciclotomo", std::string(tomo), store::Causa::NoEncontrado, {}};
    }
    Planificador p(plan, opciones);
    if (!p.preparar()) {
        return p.error();
    }
    const auto registro = leerRegistro(tomo);
    if (!registro) {
        return registro.error();
    }
    plan.archivoZim = fuente.datos().nombre.empty() ? fuente.datos().titulo : fuente.datos().nombre;
    const std::string cierre = credito(fuente.datos());
    for (std::size_t i = 0; i < paginas.size(); ++i) {
        p.agregarZim(fuente, paginas[i], cierre, *registro);
        if (avance && !avance(i + 1)) {
            break;
        }
    }
    // One-word links to articles of this import become reference entries of the dictionary; when one word leads
    // to several articles, the first in the selection's order wins.
    std::map<std::string, std::string> porEntrada;
    for (const ArticuloPlaneado& a : plan.articulos) {
        porEntrada.emplace(a.entrada, a.nombre);
    }
    std::vector<Referencia> referencias;
    std::set<std::string> palabras;
    for (const ArticuloPlaneado& a : plan.articulos) {
        for (const Enlace& e : a.enlaces) {
            if (e.texto.empty() || e.texto.find(' ') != std::string::npos) {
                continue;
            }
            const auto destino = FuenteZim::resolver(a.entrada, e.destino);
            const auto pagina = destino ? fuente.articulo(*destino) : std::nullopt;
            const auto objetivo = pagina ? porEntrada.find(pagina->ruta) : porEntrada.end();
            if (objetivo == porEntrada.end()) {
                continue;
            }
            Conversor palabra;
            const std::string w = palabra(e.texto);
            if (palabra.huboReemplazos() || !palabras.insert(store::aMayusculas(w)).second) {
                continue;
            }
            referencias.push_back({w, objetivo->second});
        }
    }
    if (!referencias.empty()) {
        const std::string rutaDict = store::unir(tomo, store::kDict);
        store::Lineas dict;
        if (store::existeArchivo(rutaDict)) {
            auto leidas = store::leerLineas(rutaDict, store::kLimiteDiccionario);
            if (!leidas) {
                return leidas.error();
            }
            dict = std::move(*leidas);
        }
        Colocacion c = colocarReferencias(dict, referencias);
        if (!c.puestas.empty()) {
            for (const Referencia& r : c.puestas) {
                plan.referencias.push_back(store::cp1252AUtf8(store::aMayusculas(r.palabra)) + " -> " +
                                           store::cp1252AUtf8(r.articulo));
            }
            plan.diccionario = std::move(c.lineas);
        }
    }
    // The lists that get the selection or part of it: one already there takes what it lacks, and two asked
    // under one name are one list.
    const auto indice = store::leerIndiceListas(tomo);
    for (const ListaPedida& pedida : opciones.listas) {
        Conversor nombre;
        const std::string n = nombre(pedida.nombre);
        std::vector<std::string> articulos;
        if (pedida.entradas.empty()) {
            for (const Plan::Elegido& e : plan.seleccion) {
                articulos.push_back(e.nombre);
            }
        } else {
            std::map<std::string, std::string> nombres;
            for (const Plan::Elegido& e : plan.seleccion) {
                nombres.emplace(e.entrada, e.nombre);
            }
            for (const std::string& entrada : pedida.entradas) {
                if (const auto i = nombres.find(entrada); i != nombres.end()) {
                    articulos.push_back(i->second);
                }
            }
        }
        const auto igual = [&](std::string_view l) { return store::igualesSinCaso(l, n); };
        if (const auto ya = std::find_if(plan.listas.begin(), plan.listas.end(),
                                         [&](const ListaPlaneada& l) { return igual(l.nombre); });
            ya != plan.listas.end()) {
            ya->articulos.insert(ya->articulos.end(), articulos.begin(), articulos.end());
            continue;
        }
        ListaPlaneada lista{n, !(indice && std::any_of(indice->begin(), indice->end(), igual)), std::move(articulos)};
        if (lista.nueva) {
            if (const auto error = store::verificarNuevaLista(tomo, n)) {
                plan.omitidos.push_back("La lista " + comillas(pedida.nombre) +
                                        " no se puede crear: " + store::cp1252AUtf8(error->mensaje()));
                continue;
            }
        }
        plan.listas.push_back(std::move(lista));
    }
    // The description credits the source: DESCRIP.DAT gets the credit on its second line, once.
    Conversor texto;
    const std::string credito1252 = texto("Contiene art\xC3\xAD"
                                          "culos de " +
                                          cierre.substr(cierre.rfind("Fuente: ", 0) == 0 ? 8 : 0) + ".");
    const std::string ruta = store::unir(tomo, store::kDescrip);
    store::Lineas descripcion;
    if (const auto lineas = store::leerLineas(ruta, store::kLimitePequeno)) {
        descripcion = *lineas;
    }
    if (descripcion.size() == 0) {
        descripcion.push_back(texto(fuente.datos().titulo));
    }
    if (descripcion.size() < 2) {
        descripcion.push_back(credito1252);
        plan.descripcion = std::move(descripcion);
    } else if (std::string(descripcion[1]).find(credito1252) == std::string::npos) {
        store::Lineas nueva;
        for (std::size_t i = 0; i < descripcion.size(); ++i) {
            const std::string l(descripcion[i]);
            nueva.push_back(i == 1 ? (store::sinEspacios(l).empty() ? credito1252 : l + " " + credito1252) : l);
        }
        plan.descripcion = std::move(nueva);
    }
    return plan;
}

Informe ejecutar(const Plan& plan, const std::function<bool(std::size_t)>& avance) {
    Informe informe;
    const std::string img = store::unir(plan.tomo, store::kImg);
    for (const ArticuloPlaneado& a : plan.articulos) {
        std::vector<std::string> escritos; // taken back if the article cannot be completed
        const auto fallar = [&](store::Error error) {
            for (auto it = escritos.rbegin(); it != escritos.rend(); ++it) {
                borrar(*it);
            }
            informe.error = std::move(error);
        };
        const auto escribirNuevo = [&](const std::string& ruta, const std::function<store::Estado()>& escribir,
                                       bool reemplazar = false) {
            if (!reemplazar && (store::existeArchivo(ruta) || store::existeDirectorio(ruta))) {
                fallar(yaExiste(ruta));
                return false;
            }
            if (const auto estado = escribir(); !estado) {
                fallar(estado.error());
                return false;
            }
            if (!reemplazar) {
                escritos.push_back(ruta);
            }
            return true;
        };
        bool bien = true;
        for (const IlustracionPlaneada& il : a.ilustraciones) {
            if (!il.copiar) {
                continue;
            }
            if (!store::existeDirectorio(img)) {
                if (const auto estado = store::crearDirectorio(img); !estado) {
                    fallar(estado.error());
                    bien = false;
                    break;
                }
            }
            const auto bytes = leerImagen(plan, il);
            if (!bytes) {
                fallar(bytes.error());
                bien = false;
                break;
            }
            const std::string ext = minusculas(il.nombre.substr(il.nombre.rfind('.') + 1));
            const auto lista = plan.convertir ? plan.convertir(*bytes, ext) : reconocerImagen(*bytes, ext);
            if (!lista) {
                fallar(store::Error{"importar la imagen", Conversor()(utf8DeRuta(il.origen)), store::Causa::Otro,
                                    "no es una imagen"});
                bien = false;
                break;
            }
            const std::string destino = store::unir(img, il.nombre);
            if (!escribirNuevo(destino, [&] { return store::escribirBytes(destino, lista->bytes); })) {
                bien = false;
                break;
            }
            store::Lineas epigrafe;
            epigrafe.push_back(il.titulo);
            for (const std::string& l : il.epigrafe) {
                epigrafe.push_back(l);
            }
            const auto rutaEpigrafe = store::rutaEpigrafeEditor(plan.tomo, il.nombre);
            if (rutaEpigrafe &&
                !escribirNuevo(*rutaEpigrafe, [&] { return store::escribirLineas(*rutaEpigrafe, epigrafe); })) {
                bien = false;
                break;
            }
        }
        if (!bien) {
            return informe;
        }
        std::vector<std::string> nombres;
        for (const IlustracionPlaneada& il : a.ilustraciones) {
            nombres.push_back(il.nombre);
        }
        const std::string ruta = store::unir(plan.tomo, a.nombre);
        std::optional<store::Lineas> hecho;
        if (a.cuerpoAlEscribir) {
            hecho = cuerpoZim(plan, a);
            if (!hecho) {
                fallar(store::Error{"leer del archivo ZIM el art\xED"
                                    "culo",
                                    Conversor()(a.entrada),
                                    store::Causa::NoEncontrado,
                                    {}});
                return informe;
            }
        }
        const store::Lineas& cuerpo = hecho ? *hecho : a.cuerpo;
        if (!escribirNuevo(
                ruta, [&] { return store::escribirArticulo(ruta, a.titulo, nombres, cuerpo); }, a.reemplazar)) {
            return informe;
        }
        // The record before the listing: an import stopped between the two finds the article recorded and unchanged
        // when it is run again, and lists it then.
        if (!a.entrada.empty()) {
            // The record: the pictures this article copied, then the article with the checksum of its file.
            const std::string registro = store::unir(plan.tomo, store::kImportados);
            const auto bytes = store::leerBytes(ruta, store::kLimiteArticulo);
            store::Estado estado = bytes ? store::Estado() : store::Estado(bytes.error());
            for (const IlustracionPlaneada& il : a.ilustraciones) {
                if (estado && il.copiar && !il.entrada.empty()) {
                    estado = store::anexarLinea(registro, lineaDeImagen(il.nombre, plan.archivoZim, il.entrada),
                                                store::Enlaces::Rechazar);
                }
            }
            if (estado) {
                estado =
                    store::anexarLinea(registro, lineaDeArticulo(a.nombre, plan.archivoZim, a.entrada, suma(*bytes)),
                                       store::Enlaces::Rechazar);
            }
            if (!estado) {
                informe.error = estado.error();
                return informe;
            }
        }
        if (a.agregarACompleta) {
            if (const auto estado =
                    store::anexarLinea(store::unir(plan.tomo, store::kCompleta), a.nombre, store::Enlaces::Rechazar);
                !estado) {
                fallar(estado.error());
                return informe;
            }
        }
        informe.importados.push_back(a.nombre);
        if (avance && !avance(informe.importados.size())) {
            return informe;
        }
    }
    if (plan.descripcion) {
        if (const auto estado = store::escribirLineas(store::unir(plan.tomo, store::kDescrip), *plan.descripcion);
            !estado) {
            informe.error = estado.error();
            return informe;
        }
    }
    if (plan.diccionario) {
        if (const auto estado = store::escribirLineas(store::unir(plan.tomo, store::kDict), *plan.diccionario);
            !estado) {
            informe.error = estado.error();
            return informe;
        }
    }
    for (const ListaPlaneada& lista : plan.listas) {
        store::Lineas items;
        std::set<std::string> ya;
        if (!lista.nueva) {
            if (const auto previos = store::leerLista(plan.tomo, lista.nombre)) {
                for (const std::string_view l : *previos) {
                    if (!l.empty()) {
                        items.push_back(l);
                        ya.insert(store::aMayusculas(l));
                    }
                }
            }
        } else if (const auto estado = store::agregarLista(plan.tomo, lista.nombre); !estado) {
            informe.error = estado.error();
            return informe;
        }
        for (const std::string& n : lista.articulos) {
            if (ya.insert(store::aMayusculas(n)).second) {
                items.push_back(n);
            }
        }
        if (const auto estado = store::guardarLista(store::rutaLista(plan.tomo, lista.nombre), items); !estado) {
            informe.error = estado.error();
            return informe;
        }
    }
    return informe;
}

std::string describir(const Plan& plan) {
    std::string t;
    for (const ArticuloPlaneado& a : plan.articulos) {
        t += store::cp1252AUtf8(a.nombre) + ": " + comillas(store::cp1252AUtf8(a.titulo)) + " (de " +
             (a.entrada.empty() ? utf8DeRuta(a.origen.filename()) : "la entrada " + a.entrada) + ")\n";
        for (const IlustracionPlaneada& il : a.ilustraciones) {
            t += "  ilustración " + store::cp1252AUtf8(il.nombre) + ": " + comillas(store::cp1252AUtf8(il.titulo));
            t += !il.copiar           ? std::string(" (la misma de antes)\n")
                 : il.entrada.empty() ? " (de " + utf8DeRuta(il.origen) + ")\n"
                                      : " (de la entrada " + il.entrada + " del archivo)\n";
        }
        if (a.reemplazar) {
            t += "  reemplaza el art\xC3\xAD"
                 "culo que se import\xC3\xB3 antes de la misma entrada (sin cambios del autor)\n";
        }
        for (const std::string& aviso : a.avisos) {
            t += "  aviso: " + aviso + "\n";
        }
    }
    for (const std::string& c : plan.conservados) {
        t += "se conserva: " + c + "\n";
    }
    if (!plan.referencias.empty()) {
        t += "diccionario: " + std::to_string(plan.referencias.size()) +
             " palabras remiten a art\xC3\xAD"
             "culos importados (";
        for (std::size_t i = 0; i < plan.referencias.size() && i < 20; ++i) {
            t += (i ? ", " : "") + plan.referencias[i];
        }
        t += plan.referencias.size() > 20 ? ", ...)\n" : ")\n";
    }
    for (const ListaPlaneada& lista : plan.listas) {
        t += std::string(lista.nueva ? "lista nueva " : "lista ") + comillas(store::cp1252AUtf8(lista.nombre)) + ": " +
             veces(static_cast<int>(lista.articulos.size()),
                   "art\xC3\xAD"
                   "culo",
                   "art\xC3\xAD"
                   "culos") +
             "\n";
    }
    for (const std::string& o : plan.omitidos) {
        t += "se deja fuera: " + o + "\n";
    }
    return t;
}

std::string resumir(const Plan& plan) {
    std::uint64_t bytes = 0;
    std::size_t imagenes = 0;
    for (const ArticuloPlaneado& a : plan.articulos) {
        bytes += 8 + a.titulo.size() + a.bytesCuerpo;
        for (const std::string_view l : a.cuerpo) {
            bytes += l.size() + 2;
        }
        for (const IlustracionPlaneada& il : a.ilustraciones) {
            bytes += il.nombre.size() + 7;
            if (il.copiar) {
                ++imagenes;
                bytes += il.bytes + il.titulo.size() + 2;
                for (const std::string& l : il.epigrafe) {
                    bytes += l.size() + 2;
                }
            }
        }
    }
    const std::size_t n = plan.articulos.size();
    std::string t = "Se van a escribir " +
                    veces(static_cast<int>(n),
                          "art\xC3\xAD"
                          "culo",
                          "art\xC3\xAD"
                          "culos") +
                    " y " + veces(static_cast<int>(imagenes), "imagen", "im\xC3\xA1genes") + ", " +
                    std::to_string((bytes + 1023) / 1024) + " KiB";
    if (!plan.omitidos.empty()) {
        t += "; se deja" + std::string(plan.omitidos.size() == 1 ? " " : "n ") + std::to_string(plan.omitidos.size()) +
             " fuera";
    }
    const auto reemplazos = static_cast<int>(std::count_if(plan.articulos.begin(), plan.articulos.end(),
                                                           [](const ArticuloPlaneado& a) { return a.reemplazar; }));
    if (reemplazos > 0) {
        t += "; " +
             veces(reemplazos, "reemplaza al que se import\xC3\xB3 antes", "reemplazan a los que se importaron antes") +
             " sin cambios del autor";
    }
    if (!plan.conservados.empty()) {
        t += "; se conserva" + std::string(plan.conservados.size() == 1 ? " " : "n ") +
             std::to_string(plan.conservados.size()) + " que el autor cambi\xC3\xB3";
    }
    return t + (reemplazos > 0 ? std::string(".") : std::string(". Nada de lo que ya existe se reemplaza.")) + "\n";
}

std::string describir(const Informe& informe, const Plan& plan) {
    std::string t;
    const std::size_t n = informe.importados.size();
    t += n == 1 ? std::string("Se importó 1 artículo") : "Se importaron " + std::to_string(n) + " artículos";
    t += " de " + std::to_string(plan.articulos.size()) + ".";
    if (n > 0) {
        std::string lista;
        for (const std::string& nombre : informe.importados) {
            lista += (lista.empty() ? "" : ", ") + store::cp1252AUtf8(nombre);
        }
        t += " Importados: " + lista + ".";
    }
    if (informe.error) {
        t += " Se detuvo al fallar: " + store::cp1252AUtf8(informe.error->mensaje());
    }
    return t + "\n";
}

} // namespace importar

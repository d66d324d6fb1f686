// The ZIM file: the site's files (see formato_html.cpp) as its entries, under the same paths, so that the same
// relative links hold; index.html is the main page.

#include "publish/formato_zim.h"

#include "publish/archivos.h"
#include "publish/escritura.h"
#include "publish/formato_html.h"

#include "render/sitio.h"
#include "store/codificacion.h"

#include <QBuffer>
#include <QDate>
#include <QImage>

#include <zim/writer/contentProvider.h>
#include <zim/writer/creator.h>
#include <zim/writer/item.h>

#include <zstd.h>
#include <zstd_errors.h>

#include <dlfcn.h>

#include <atomic>
#include <cstring>
#include <exception>

namespace {

// The zstd level the ZIM export compresses its clusters with, while one runs; 0 otherwise.
std::atomic<int> nivelZstdDeLaExportacion{0};

} // namespace

// libzim compresses every cluster of a ZIM file at zstd's level 19 and has no setting for it. At that level
// compression takes two thirds of an export of 100,000 articles, most of it clearing the encoder's large
// tables again for every cluster; level 9 is over ten times faster for a file about an eighth larger. libzim
// starts each cluster's stream with ZSTD_initCStream, and the dynamic linker binds that call to a definition in
// the program before the one in libzstd: this one only changes the level, while a ZIM export runs, and hands the
// call to libzstd's own function. The level is the whole process's, so the editor's window never runs a ZIM
// export itself: it starts "forja --exportar zim" as a process of its own.
extern "C" __attribute__((visibility("default"))) size_t ZSTD_initCStream(ZSTD_CStream* zcs, int compressionLevel) {
    using Funcion = size_t (*)(ZSTD_CStream*, int);
    static const auto real = reinterpret_cast<Funcion>(dlsym(RTLD_NEXT, "ZSTD_initCStream"));
    const int nivel = nivelZstdDeLaExportacion.load(std::memory_order_relaxed);
    if (!real) {
        return static_cast<size_t>(-ZSTD_error_GENERIC);
    }
    return real(zcs, nivel != 0 ? nivel : compressionLevel);
}

namespace publish {

namespace {

constexpr int kNivelZstd = 9;

// Sets the level for the clusters of one export, and clears it when the export ends however it ends.
class NivelZstd {
public:
    explicit NivelZstd(int nivel) { nivelZstdDeLaExportacion.store(nivel, std::memory_order_relaxed); }
    ~NivelZstd() { nivelZstdDeLaExportacion.store(0, std::memory_order_relaxed); }
    NivelZstd(const NivelZstd&) = delete;
    NivelZstd& operator=(const NivelZstd&) = delete;
};

// The text of a page for the full-text index: what lies inside <article>, without tags, entities decoded.
std::string textoDePagina(const std::string& xhtml, std::uint32_t* palabras) {
    std::string t;
    const std::size_t desde = xhtml.find("<article");
    const std::size_t hasta = xhtml.rfind("</article>");
    if (desde == std::string::npos || hasta == std::string::npos || hasta < desde) {
        *palabras = 0;
        return t;
    }
    t.reserve(hasta - desde);
    bool enEtiqueta = false;
    bool enPalabra = false;
    std::uint32_t n = 0;
    for (std::size_t i = desde; i < hasta; ++i) {
        const char c = xhtml[i];
        if (enEtiqueta) {
            enEtiqueta = c != '>';
            continue;
        }
        if (c == '<') {
            enEtiqueta = true;
            t += ' '; // </p><p> and <br/> part words
            enPalabra = false;
            continue;
        }
        char sale = c;
        if (c == '&') {
            static const struct {
                const char* entidad;
                char caracter;
            } kEntidades[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}};
            for (const auto& e : kEntidades) {
                if (xhtml.compare(i, std::strlen(e.entidad), e.entidad) == 0) {
                    sale = e.caracter;
                    i += std::strlen(e.entidad) - 1;
                    break;
                }
            }
        }
        const bool blanco = sale == ' ' || sale == '\n' || sale == '\t';
        if (!blanco && !enPalabra) {
            ++n;
        }
        enPalabra = !blanco;
        t += sale;
    }
    *palabras = n;
    return t;
}

class DatosDeIndice : public zim::writer::IndexData {
public:
    DatosDeIndice(std::string titulo, const std::string& xhtml) : titulo_(std::move(titulo)) {
        texto_ = textoDePagina(xhtml, &palabras_);
    }
    bool hasIndexData() const override { return true; }
    std::string getTitle() const override { return titulo_; }
    std::string getContent() const override { return texto_; }
    std::string getKeywords() const override { return {}; }
    std::uint32_t getWordCount() const override { return palabras_; }
    GeoPosition getGeoPosition() const override { return {false, 0, 0}; }

private:
    std::string titulo_;
    std::string texto_;
    std::uint32_t palabras_ = 0;
};

// One entry: its bytes, and for an article the text the full-text index is given (so the page is not parsed
// again as HTML).
class Entrada : public zim::writer::BasicItem {
public:
    Entrada(const std::string& ruta, const Pieza& pieza, std::string bytes)
        : BasicItem(ruta, pieza.tipo, pieza.titulo,
                    {{zim::writer::HintKeys::FRONT_ARTICLE, pieza.articulo ? 1u : 0u},
                     {zim::writer::HintKeys::COMPRESS, pieza.tipo.rfind("image/", 0) == 0 ? 0u : 1u}}),
          bytes_(std::make_shared<const std::string>(std::move(bytes))), articulo_(pieza.articulo) {}

    std::unique_ptr<zim::writer::ContentProvider> getContentProvider() const override {
        return std::make_unique<zim::writer::SharedStringProvider>(bytes_);
    }
    std::shared_ptr<zim::writer::IndexData> getIndexData() const override {
        if (!articulo_) {
            return nullptr;
        }
        return std::make_shared<DatosDeIndice>(title, *bytes_);
    }

private:
    std::shared_ptr<const std::string> bytes_;
    bool articulo_;
};

class EscritorZim : public Escritor {
public:
    explicit EscritorZim(zim::writer::Creator& creador) : Escritor(QString()), creador_(creador) {}

    bool crearDirectorio(const QString&) override { return true; }

    bool escribir(const QString& relativa, std::string_view bytes, const Pieza& pieza) override {
        if (!error().isEmpty()) {
            return false;
        }
        try {
            creador_.addItem(std::make_shared<Entrada>(relativa.toStdString(), pieza, std::string(bytes)));
        } catch (const std::exception& e) {
            fallo(relativa, QString::fromStdString(e.what()));
            return false;
        }
        return true;
    }

    std::unique_ptr<Flujo> abrir(const QString& relativa, const Pieza& pieza) override {
        class EnMemoria : public Flujo {
        public:
            EnMemoria(EscritorZim& escritor, QString relativa, Pieza pieza)
                : escritor_(escritor), relativa_(std::move(relativa)), pieza_(std::move(pieza)) {}
            void agregar(std::string_view trozo) override { bytes_ += trozo; }
            bool cerrar() override {
                if (hecho_) {
                    return bien_;
                }
                hecho_ = true;
                bien_ = escritor_.escribir(relativa_, bytes_, pieza_);
                bytes_.clear();
                return bien_;
            }

        private:
            EscritorZim& escritor_;
            QString relativa_;
            Pieza pieza_;
            std::string bytes_;
            bool hecho_ = false;
            bool bien_ = false;
        };
        return std::make_unique<EnMemoria>(*this, relativa, pieza);
    }

private:
    zim::writer::Creator& creador_;
};

// At most `n` characters of UTF-8 text, cut between characters.
std::string corto(const std::string& utf8, int n) {
    const QString s = QString::fromStdString(utf8);
    return s.size() <= n ? utf8 : s.left(n - 1).trimmed().append(QChar(0x2026)).toStdString();
}

} // namespace

QString FormatoZim::nombre() const {
    return QStringLiteral("zim");
}

QString FormatoZim::descripcion() const {
    return QStringLiteral("archivo ZIM con índice de títulos y de texto, para lectores sin conexión como Kiwix");
}

QString FormatoZim::extension() const {
    return QStringLiteral(".zim");
}

bool FormatoZim::escribeDirectorio() const {
    return false;
}

bool FormatoZim::escribir(Trabajo& trabajo, QString* error) {
    const NivelZstd nivel(kNivelZstd);
    try {
        zim::writer::Creator creador;
        creador.configIndexing(true, "spa");
        creador.configNbWorkers(2);
        creador.startZimCreation(trabajo.temporal().toStdString());
        EscritorZim escritor(creador);
        if (!escribirSitio(trabajo, escritor, error)) {
            if (error->isEmpty()) {
                *error = escritor.error();
            }
            return false; // the creator is dropped unfinished; exportar() removes what it left
        }
        creador.setMainPath(render::Enlaces::archivos().listaDeTitulos(render::Lugar::Raiz));

        const std::string titulo = trabajo.titulo();
        const std::string comentario =
            trabajo.comentario().empty() ? "Enciclotomo exportada con Lumbre" : trabajo.comentario();
        creador.addMetadata("Title", corto(titulo, 30));
        creador.addMetadata("Description", corto(comentario, 80));
        if (QString::fromStdString(comentario).size() > 80) {
            creador.addMetadata("LongDescription", corto(comentario, 4000));
        }
        creador.addMetadata("Language", "spa");
        creador.addMetadata("Creator", titulo);
        creador.addMetadata("Publisher", "Lumbre");
        creador.addMetadata("Date", QDate::currentDate().toString(Qt::ISODate).toStdString());
        creador.addMetadata(
            "Name", "lumbre_es_" +
                        QString::fromStdString(render::nombreAscii(store::utf8ACp1252(titulo).value_or("enciclotomo")))
                            .toLower()
                            .toStdString());
        creador.addMetadata("Tags", "_category:other;enciclotomo");
        std::optional<QByteArray> icono = iconoPng(trabajo.enciclopedia(), 48);
        if (!icono) {
            // No icon to show: a square of the title strip's colour stands for the encyclopaedia.
            trabajo.avisar(QStringLiteral("El icono ICONO.ICO no existe o no se puede leer; la ilustración del "
                                          "archivo ZIM es un cuadrado del color del título."));
            QImage cuadrado(48, 48, QImage::Format_RGB32);
            cuadrado.fill(QColor(QString::fromStdString(render::colorCss(trabajo.colores()[0]))));
            QByteArray png;
            QBuffer b(&png);
            b.open(QIODevice::WriteOnly);
            cuadrado.save(&b, "PNG");
            icono = png;
        }
        creador.addIllustration(48, icono->toStdString());
        trabajo.avanzar(1, 1, QStringLiteral("Índices de títulos y de texto"));
        creador.finishZimCreation();
    } catch (const std::exception& e) {
        *error = QStringLiteral("No se puede escribir el archivo ZIM «%1»: %2")
                     .arg(trabajo.temporal(), QString::fromStdString(e.what()));
        return false;
    }
    return !trabajo.cancelado();
}

} // namespace publish

#include "publish/formato_pdf.h"

#include "print/documento.h"
#include "print/imagenes.h"
#include "print/paginas.h"
#include "store/codificacion.h"

#include <QFile>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QTextDocument>

#include <memory>

namespace publish {

namespace {

// One article of the book as a document laid out for the pages, or nothing when it cannot be read (already
// reported by the job).
struct Hoja {
    std::unique_ptr<QTextDocument> documento;
    QString titulo;
};

// The first reading of an article goes through the job, which reports what is missing and counts the article;
// the second, to paint it, reads it again quietly.
enum class Lectura { Primera, Segunda };

std::optional<Hoja> hoja(Trabajo& trabajo, const print::Paginas& paginas, const std::string& nombre, Lectura lectura) {
    print::ImagenesImpresas imagenes(trabajo.enciclopedia());
    render::Opciones opciones;
    opciones.hojaDeEstilo = print::kHojaDeImpresionUrl;
    opciones.costado = false; // a picture behind the text has no place on paper
    opciones.esquema = false; // nor links to the figures below
    opciones.imagen = imagenes.direcciones();
    std::optional<render::Pagina> pagina;
    if (lectura == Lectura::Primera) {
        pagina = trabajo.renderizar(nombre, opciones);
    } else if (auto leida = render::renderizarArticulo(trabajo.enciclopedia(), nombre, opciones)) {
        pagina = std::move(*leida);
    }
    if (!pagina) {
        return std::nullopt;
    }
    Hoja h;
    h.titulo = pagina->titulo.empty() ? QString::fromStdString(store::cp1252AUtf8(nombre))
                                      : QString::fromStdString(pagina->titulo);
    h.documento = print::documentoDePagina(pagina->xhtml, imagenes.imagenes());
    paginas.preparar(*h.documento);
    print::ajustarImagenes(*h.documento, paginas.area().width());
    return h;
}

} // namespace

bool FormatoPdf::escribir(Trabajo& trabajo, QString* error) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        *error = QStringLiteral("un libro en PDF necesita las fuentes del sistema gráfico, que este programa no "
                                "ha iniciado.");
        return false;
    }
    QFile archivo(trabajo.temporal());
    if (!archivo.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("no se pudo crear «%1»: %2").arg(trabajo.temporal(), archivo.errorString());
        return false;
    }
    const std::vector<Entrada>& entradas = trabajo.entradas();
    const auto total = static_cast<qint64>(entradas.size()) * 2;
    bool completo = true;
    {
        QPdfWriter pdf(&archivo);
        pdf.setTitle(QString::fromStdString(trabajo.titulo()));
        pdf.setCreator(QStringLiteral("Forja"));
        print::prepararA4(pdf);
        print::Paginas paginas(pdf);

        // First every article is laid out to learn how many pages it takes, so that the contents, which come
        // before the articles, can give each one's first page; one article is held at a time.
        QStringList titulos;
        QList<int> largos; // pages of each entry; 0 for one not printed (a repetition, or unreadable)
        for (std::size_t i = 0; i < entradas.size() && completo; ++i) {
            completo = !trabajo.cancelado();
            trabajo.avanzar(static_cast<qint64>(i), total,
                            QStringLiteral("Midiendo el artículo %1 de %2").arg(i + 1).arg(entradas.size()));
            if (entradas[i].primera >= 0) {
                titulos << titulos[entradas[i].primera];
                largos << 0;
                continue;
            }
            const auto h = hoja(trabajo, paginas, entradas[i].nombre, Lectura::Primera);
            titulos << (h ? h->titulo : QString::fromStdString(store::cp1252AUtf8(entradas[i].nombre)));
            largos << (h ? print::Paginas::paginasDe(*h->documento) : 0);
        }

        QList<int> primeras; // first page of each entry
        if (completo) {
            int siguiente = 2 + paginas.paginasDeContenido(static_cast<int>(titulos.size()));
            for (qsizetype i = 0; i < largos.size(); ++i) {
                const int primera = entradas[static_cast<std::size_t>(i)].primera;
                if (primera >= 0) {
                    primeras << primeras[primera];
                } else {
                    primeras << (largos[i] > 0 ? siguiente : 0);
                    siguiente += largos[i];
                }
            }
            paginas.portada(QString::fromStdString(trabajo.titulo()), QString::fromStdString(trabajo.comentario()));
            paginas.contenido(QStringLiteral("Índice"), titulos, primeras);
        }

        for (std::size_t i = 0; i < entradas.size() && completo; ++i) {
            trabajo.avanzar(static_cast<qint64>(entradas.size() + i), total,
                            QStringLiteral("Artículo %1 de %2").arg(i + 1).arg(entradas.size()));
            if (entradas[i].primera >= 0 || largos[static_cast<qsizetype>(i)] == 0) {
                continue;
            }
            const auto h = hoja(trabajo, paginas, entradas[i].nombre, Lectura::Segunda);
            if (h) {
                completo = paginas.pintar(*h->documento, [&trabajo] { return !trabajo.cancelado(); });
            }
            completo = completo && !trabajo.cancelado();
        }
        if (!paginas.terminar() && completo) {
            *error = QStringLiteral("no se pudo terminar el PDF.");
            return false;
        }
    }
    if (!completo) {
        return false; // cancelled
    }
    trabajo.avanzar(total, total, QStringLiteral("Terminado"));
    if (!archivo.flush() || archivo.error() != QFileDevice::NoError) {
        *error = QStringLiteral("no se pudo escribir «%1»: %2").arg(trabajo.temporal(), archivo.errorString());
        return false;
    }
    archivo.close();
    return true;
}

} // namespace publish

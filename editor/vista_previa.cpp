#include "editor/vista_previa.h"

#include "editor/estado.h"
#include "render/render.h"
#include "render_qt/documento_de_texto.h"
#include "store/archivo_de_color.h"
#include "store/archivo_de_texto.h"
#include "store/articulo.h"
#include "store/codificacion.h"
#include "store/enciclopedia.h"
#include "ui/anclas.h"
#include "ui/texto.h"

#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QThread>
#include <QUrl>
#include <QVBoxLayout>

#include <map>
#include <memory>

namespace {

// Pause after the last change before the page is made again.
constexpr int kPausaMs = 400;
// The characters of the body a page shows; beyond them drawing the page would hold up the window.
constexpr qsizetype kCaracteres = 128 * 1024;

// The text in Windows-1252; what the code page cannot hold shows as "?" (saving would refuse it and say so).
std::string enAlmacen(const QString& texto) {
    std::string r;
    r.reserve(static_cast<std::size_t>(texto.size()));
    for (const QChar c : texto) {
        const auto b = store::desdeUnicode(c.unicode());
        r += b ? static_cast<char>(*b) : '?';
    }
    return r;
}

} // namespace

VistaPrevia::VistaPrevia(QWidget* padre, ArticuloEditado* articulo, std::function<QString()> tomo,
                         std::function<QString()> nombre)
    : QWidget(padre, Qt::Window), articulo_(articulo), tomo_(std::move(tomo)), nombre_(std::move(nombre)) {
    setObjectName(QStringLiteral("VistaPrevia"));
    setWindowTitle(QStringLiteral("Vista previa"));
    auto* capa = new QVBoxLayout(this);
    capa->setContentsMargins(0, 0, 0, 0);
    lblAviso = new QLabel(QStringLiteral("El artículo es muy largo: la vista previa muestra sólo su comienzo."), this);
    lblAviso->setObjectName(QStringLiteral("lblAviso"));
    lblAviso->setContentsMargins(6, 4, 6, 4);
    lblAviso->hide();
    capa->addWidget(lblAviso);
    txtVista = new QTextBrowser(this);
    txtVista->setObjectName(QStringLiteral("txtVista"));
    txtVista->setAccessibleName(QStringLiteral("Vista previa del artículo"));
    txtVista->setOpenLinks(false);
    capa->addWidget(txtVista);
    resize(720, 560);
    ui::recordarGeometria(this);

    pausa_.setSingleShot(true);
    pausa_.setInterval(kPausaMs);
    connect(&pausa_, &QTimer::timeout, this, &VistaPrevia::actualizar);
    const auto programar = [this] { pausa_.start(); };
    connect(articulo_, &ArticuloEditado::tituloCambiado, this, programar);
    connect(articulo_, &ArticuloEditado::ilustracionesAgregadas, this, programar);
    connect(articulo_->cuerpo(), &QTextDocument::contentsChanged, this, programar);
    actualizar();
}

VistaPrevia::~VistaPrevia() {
    if (hilo_) {
        hilo_->wait();
        delete hilo_;
    }
}

void VistaPrevia::actualizar() {
    pausa_.stop();
    if (hilo_) {
        otraVez_ = true;
        return;
    }
    otraVez_ = false;
    // What the editor holds, as "Guardar Artículo" would write it: the title line, the illustration lines, the body.
    const QString titulo = articulo_->titulo();
    const QStringList ilustraciones = articulo_->ilustraciones();
    QString cuerpo;
    bool cortado = false;
    const QTextDocument* documento = articulo_->cuerpo();
    for (QTextBlock b = documento->begin(); b.isValid(); b = b.next()) {
        if (cuerpo.size() > kCaracteres) {
            cortado = true;
            break;
        }
        if (b != documento->begin()) {
            cuerpo += QLatin1Char('\n');
        }
        cuerpo += b.text();
    }
    lblAviso->setVisible(cortado);
    const QString tomoTexto = tomo_();
    const QString nombreTexto = nombre_();
    hilo_ = QThread::create([this, titulo, ilustraciones, cuerpo, tomoTexto, nombreTexto] {
        std::vector<std::string> nombres;
        for (const QString& i : ilustraciones) {
            nombres.push_back(enAlmacen(i));
        }
        // The body's lines end where the box's paragraphs do.
        std::string texto;
        for (const char c : enAlmacen(cuerpo)) {
            texto += c == '\n' ? '\r' : c;
        }
        texto += '\r';
        const std::string bytes =
            store::unirLineas(store::lineasDeArticulo(enAlmacen(titulo), nombres, store::partirLineas(texto)));
        const std::string tomo = ui::haciaStore(tomoTexto).value_or(std::string());
        const std::string nombre = ui::haciaStore(nombreTexto).value_or(std::string());

        auto* documento = new QTextDocument;
        std::map<std::string, QString> urls; // picture path -> the document's resource
        render::Opciones opciones;
        opciones.colores = tomo.empty() ? store::kEsquemaPredeterminado : store::leerColores(tomo).valores;
        if (!tomo.empty()) {
            if (const auto descripcion = store::leerDescripcion(tomo); descripcion && descripcion->size() > 0) {
                opciones.enciclopedia = store::cp1252AUtf8((*descripcion)[0]);
            }
        }
        opciones.imagen = [&](const render::Imagen& imagen) -> std::optional<std::string> {
            if (const auto it = urls.find(imagen.ruta); it != urls.end()) {
                return it->second.toStdString();
            }
            const auto datos = store::leerImagenDentro(tomo, imagen.ruta);
            QImage cuadro;
            if (!datos || !cuadro.loadFromData(QByteArray::fromStdString(*datos))) {
                return std::nullopt;
            }
            const QString url = QStringLiteral("imagen:%1").arg(urls.size());
            documento->addResource(QTextDocument::ImageResource, QUrl(url), cuadro);
            urls[imagen.ruta] = url;
            return url.toStdString();
        };
        const render::Pagina pagina = render::renderizarBytes(tomo, nombre, bytes, opciones);
        documento->setHtml(render_qt::paraDocumentoDeTexto(pagina.xhtml));
        documento->moveToThread(QCoreApplication::instance()->thread());
        QMetaObject::invokeMethod(
            this,
            [this, documento, t = QString::fromStdString(pagina.titulo), x = QString::fromStdString(pagina.xhtml)] {
                mostrar(documento, t, x);
            },
            Qt::QueuedConnection);
    });
    connect(hilo_, &QThread::finished, this, [this] {
        hilo_->deleteLater();
        hilo_ = nullptr;
        if (otraVez_) {
            actualizar();
        }
    });
    hilo_->start(QThread::LowPriority);
}

void VistaPrevia::mostrar(QTextDocument* documento, const QString& titulo, const QString& pagina) {
    pagina_ = pagina;
    const int arriba = txtVista->verticalScrollBar()->value();
    // A child of the box: the box deletes the page it shows when it is given the next one.
    documento->setParent(txtVista);
    txtVista->setDocument(documento);
    txtVista->verticalScrollBar()->setValue(arriba);
    setWindowTitle(titulo.isEmpty() ? QStringLiteral("Vista previa") : QStringLiteral("Vista previa: %1").arg(titulo));
    emit actualizada();
}

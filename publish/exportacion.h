#pragma once

// Exporting an encyclopaedia to a format readers of other programs open (a web site, an e-book, a ZIM file, a
// PDF). One piece of machinery serves every format:
//
//  - the destination is checked first: it must not lie inside the encyclopaedia directory nor hold it, its
//    parent must exist, and an existing destination is refused unless the request says to replace it;
//  - the format writes everything under a temporary name beside the destination (".NAME.parcial-XXXXXX", a file
//    or a directory as the format needs); only when it has finished is that renamed to the destination (an
//    existing one being moved aside first and removed last), so a failed or cancelled export leaves no
//    half-written result and the old destination whole;
//  - the format reports progress and looks at the cancel flag between articles; warnings (a missing picture, an
//    article that cannot be read) are collected, each once, and never stop the export;
//  - nothing is written into the encyclopaedia directory.
//
// A format is a class derived from Formato, made known in formatos.cpp (registrarFormatosIncorporados). Exports
// may run on any thread: exportar() touches no window and no global state but the registry, which is filled
// once before.

#include "render/render.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

namespace publish {

struct Progreso {
    qint64 hecho = 0;
    qint64 total = 0;
    QString paso; // what is being done, in Spanish ("Artículo 3 de 120: SOL.TXT")
};
using AlAvanzar = std::function<void(const Progreso&)>;

// One article of the complete list, in list order.
struct Entrada {
    std::string nombre; // as listed (Windows-1252)
    int primera = -1;   // index of the first entry naming the same file (case aside), or -1 when this is the first
};

// What a format is given while it writes.
class Trabajo {
public:
    Trabajo(std::string enciclopedia, QString temporal, AlAvanzar alAvanzar, const std::atomic_bool* cancelar);

    // The encyclopaedia directory as the store names it (Windows-1252), and its name from DESCRIP.DAT (UTF-8; the
    // directory's last component when the description has no title).
    const std::string& enciclopedia() const { return enciclopedia_; }
    const std::string& titulo() const { return titulo_; }
    const std::string& comentario() const { return comentario_; } // DESCRIP.DAT line 2, UTF-8
    const store::Esquema& colores() const { return colores_; }

    // Where the format writes: a native path that does not exist yet. A format that writes a directory creates it.
    const QString& temporal() const { return temporal_; }

    // The articles of the complete list, empty items and names that may not be used left out (and reported).
    const std::vector<Entrada>& entradas() const { return entradas_; }
    // The lists of LISTAS.DAT that have a file, each with its items as listed.
    struct Lista {
        std::string nombre;
        std::vector<std::string> articulos;
    };
    std::vector<Lista> listas();

    void avanzar(qint64 hecho, qint64 total, const QString& paso);
    // "Artículo 3 de 120: SOL.TXT" for entry i of entradas(), at step i of `total`.
    void avanzarArticulo(std::size_t i, qint64 total);
    bool cancelado() const { return cancelar_ && cancelar_->load(std::memory_order_relaxed); }

    // A warning for the user, told once however often it comes (a picture missing from many articles). The first
    // kAvisosGuardados different ones are kept word for word, the rest only counted, so that an encyclopaedia of
    // 100,000 articles each missing its pictures costs a bounded amount of memory.
    static constexpr int kAvisosGuardados = 1000;
    void avisar(const QString& aviso);
    void avisar(const render::Aviso& aviso);
    const QStringList& avisos() const { return avisos_; }
    qint64 totalDeAvisos() const { return totalAvisos_; } // different warnings, kept or not
    // An article that could not be written (read error): counted apart, since the export is then incomplete.
    void articuloFallido(const QString& aviso);
    int fallidos() const { return fallidos_; }
    int renderizados() const { return renderizados_; } // pages rendered by renderizar()

    // Renders one article with the given options; a failure to read it is reported (articuloFallido) and
    // gives nothing. Warnings of the page are reported.
    std::optional<render::Pagina> renderizar(const std::string& nombre, const render::Opciones& opciones);
    // The same for a page rendered elsewhere (ahead, on another thread): reported here, in the export's order.
    std::optional<render::Pagina> recibir(const std::string& nombre, store::Resultado<render::Pagina> pagina);

    // Set by exportar() before the format runs.
    bool preparar(QString* error);

private:
    std::string enciclopedia_;
    std::string titulo_;
    std::string comentario_;
    store::Esquema colores_ = store::kEsquemaPredeterminado;
    QString temporal_;
    AlAvanzar alAvanzar_;
    const std::atomic_bool* cancelar_;
    std::vector<Entrada> entradas_;
    QStringList avisos_;
    std::unordered_set<std::size_t> dichos_; // a hash of each warning told
    qint64 totalAvisos_ = 0;
    int fallidos_ = 0;
    int renderizados_ = 0;
};

class Formato {
public:
    virtual ~Formato() = default;
    // The name on the command line ("html") and a Spanish description ("sitio web estático").
    virtual QString nombre() const = 0;
    virtual QString descripcion() const = 0;
    // The extension a destination usually has (".epub"), empty for a directory.
    virtual QString extension() const = 0;
    virtual bool escribeDirectorio() const = 0;
    // Writes the whole export at trabajo.temporal(). Returns false, with `error` in Spanish, when it could not;
    // a cancelled export returns false too (exportar() tells the two apart by the flag).
    virtual bool escribir(Trabajo& trabajo, QString* error) = 0;
};

// The formats known to this program, in the order they were made known.
class RegistroDeFormatos {
public:
    static RegistroDeFormatos& global();
    void agregar(std::unique_ptr<Formato> formato);
    Formato* buscar(const QString& nombre) const;
    QStringList nombres() const;

private:
    std::vector<std::unique_ptr<Formato>> formatos_;
};

// Makes every format this program has known to RegistroDeFormatos::global(); called once, before any export.
void registrarFormatosIncorporados();

// What to export: which format, of which encyclopaedia, to where.
struct Encargo {
    QString formato;
    std::string enciclopedia; // the directory as the store names it (Windows-1252)
    QString destino;          // a native path
    bool reemplazar = false;
};

struct Informe {
    enum class Fin {
        Completo,  // everything was written, nothing to report
        ConAvisos, // written and in place, but something was reported (a missing picture, an unreadable article)
        Cancelado, // nothing was left behind
        Fallido,   // nothing was left behind; `error` says why
    };
    Fin fin = Fin::Fallido;
    QString error;
    QStringList avisos;       // the first Trabajo::kAvisosGuardados different ones
    qint64 totalDeAvisos = 0; // how many different warnings there were
    int articulos = 0;        // articles of the complete list exported
    int fallidos = 0;         // articles that could not be read
};

Informe exportar(const Encargo& encargo, const AlAvanzar& alAvanzar = {}, const std::atomic_bool* cancelar = nullptr);

// Why the destination may not be used for this encyclopaedia, or nothing when it may (checked again by exportar()).
std::optional<QString> verificarDestino(const std::string& enciclopedia, const QString& destino, bool reemplazar);

} // namespace publish

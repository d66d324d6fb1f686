#pragma once

// The viewer's article index: the current encyclopaedia directory, the article file names of the lists
// taken up (in list order, duplicates kept) and the titles listed for them. The selector shows the titles
// through a list view; the main window and the selector fill it and read it; nothing else holds them.
//
// Names and titles are two separate sequences: loading a list appends names, listing appends one title
// for every name there was when the listing was asked for, and only emptying clears both. Title i belongs
// to name i as long as callers empty the index before they load anew.
//
// Titles are read on worker threads, several files at once, and appended in list order as they arrive,
// so the windows stay responsive while a long list is read. Emptying the index, or destroying it, cancels
// the listing under way.
//
// The titles listed are kept for the user in a title cache (store/cache_de_titulos.h) in the user's cache
// directory, one per encyclopaedia directory, written after every listing of the complete list. A listing into
// an empty index reads that cache first on a worker thread and lists every title from it at once; then each
// article is checked against it on the worker threads (its file looked at, not opened), and those that
// changed, appeared or are gone are read again and their titles corrected in place. The listing ends when
// the check does. A cache that is missing or refused is not used: the titles are read from the files.

#include "store/resultado.h"
#ifndef Q_MOC_RUN // the toolkit's header parser does not read the C++20 headers it needs
#include "store/lineas.h"
#endif

#include <QAbstractListModel>
#include <QThreadPool>

#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace store {
class Lineas;
}

class ModeloDeTitulos : public QAbstractListModel {
    Q_OBJECT
public:
    explicit ModeloDeTitulos(QObject* parent = nullptr);
    ~ModeloDeTitulos() override;

    // The article file names of the lists taken up: the lists' bytes as read, each ending its last line, and
    // where each name starts in them; a name ends at the CR that ends its line.
    class Nombres {
    public:
        // Appends the non-empty lines of a list file; false, adding nothing, beyond 4 GiB of lists.
        bool agregarLista(std::string bytes);
        std::size_t size() const { return inicios_.size(); }
        std::string_view operator[](std::size_t i) const;

    private:
        std::string bytes_;
        std::vector<std::uint32_t> inicios_;
    };

    // The current encyclopaedia directory, as stored; every file of the encyclopaedia is it, "\" and a name.
    const std::string& directorio() const { return directorio_; }
    void setDirectorio(const std::string& directorio) { directorio_ = directorio; }

    // Takes up the current encyclopaedia from the registry chain and has the lines of the list file
    // `nombre` + ".dat" appended to the names (empty lines name no article and are skipped) by the next
    // listing, which reads the file on a worker thread before it reads any title: a long list never holds up
    // the windows. A registry chain that is broken keeps the directory held before; a list that cannot be
    // read, or a list name that would lead out of the encyclopaedia directory, adds nothing. Problems are
    // told through aviso() and error().
    void cargarLista(const std::string& nombre);
    // Appends names at once, as if read from a list file (not to be mixed with lists loaded and not yet
    // listed).
    void agregarNombres(const store::Lineas& nombres);

    // Starts listing the titles of every name held when it starts, the lists loaded before it included; they
    // are appended to the titles in list order. A listing asked for while another runs starts when that one
    // ends.
    void listar();
    bool listando() const { return !listados_.empty(); }

    // Empties names and titles and cancels every listing under way or waiting.
    void vaciar();

    // The user's cache directory the title cache goes into (by default $XDG_CACHE_HOME/lumbre, or
    // ~/.cache/lumbre); an empty path keeps no cache.
    void setCacheUsuario(std::filesystem::path directorio) { cacheUsuario_ = std::move(directorio); }
    const std::filesystem::path& cacheUsuario() const { return cacheUsuario_; }

    int cantidadNombres() const { return static_cast<int>(nombres_->size()); }
    std::string_view nombre(int i) const { return (*nombres_)[static_cast<std::size_t>(i)]; }
    int cantidadTitulos() const { return static_cast<int>(cantidadDeCache_ + titulos_.size()); }
    std::string_view titulo(int i) const {
        const auto k = static_cast<std::size_t>(i);
        if (k >= cantidadDeCache_) {
            return titulos_[k - cantidadDeCache_];
        }
        if (!corregidos_.empty()) {
            if (const auto c = corregidos_.find(k); c != corregidos_.end()) {
                return c->second;
            }
        }
        return (*deCache_)[k];
    }
    // While a listing that started from the cache checks the articles: true.
    bool comprobando() const { return comprobando_; }
    // Waits until the worker threads are done, the title cache written (for a program about to end at once).
    void esperarHilos() { hilos_.waitForDone(); }

    // One row per title listed.
    int rowCount(const QModelIndex& padre = QModelIndex()) const override;
    QVariant data(const QModelIndex& indice, int rol = Qt::DisplayRole) const override;

signals:
    // While titles are read: how many of the listing under way are listed, of how many.
    void progreso(int listados, int total);
    // While the titles listed from the cache are checked: how many articles were checked, of how many.
    void progresoComprobacion(int comprobados, int total);
    // Every listing asked for has ended (also right after listar() with nothing to read).
    void listadoTerminado();
    // Problems for the reader, in Spanish.
    void aviso(const QString& texto);
    void error(const store::Error& error);

private:
    struct Listado;
    // A list file loaded for the next listing to read.
    struct ListaPorLeer {
        std::string directorio;
        std::string nombre;
    };
    bool agregarLista(std::string bytes);
    void empezarSiguiente();
    void prepararEnHilo(const std::shared_ptr<Listado>& listado);
    void leerEnHilos(const std::shared_ptr<Listado>& listado);
    void trozoLeido(const std::shared_ptr<Listado>& listado);
    void cacheLeida(const std::shared_ptr<Listado>& listado);
    void trozoComprobado(const std::shared_ptr<Listado>& listado, std::size_t k);
    void terminar(const std::shared_ptr<Listado>& listado);
    void escribirCache(const std::shared_ptr<Listado>& listado);

    std::string directorio_;
    std::filesystem::path cacheUsuario_;
    bool soloCompleta_ = false;         // the names are the complete list's, once: its listing is cached
    std::vector<ListaPorLeer> porLeer_; // loaded, for the next listing
    // The titles listed from the cache: the first rows, some of them corrected by the check. Later listings
    // without emptying the index append to titulos_.
    std::shared_ptr<const store::Lineas> deCache_;
    std::size_t cantidadDeCache_ = 0;
    std::unordered_map<std::size_t, std::string> corregidos_;
    bool comprobando_ = false;
    // Shared with the listing under way, which reads them on its worker threads; copied before a change while
    // it does.
    std::shared_ptr<Nombres> nombres_ = std::make_shared<Nombres>();
    store::Lineas titulos_;
    std::deque<std::shared_ptr<Listado>> listados_; // the first one runs, the others wait
    QThreadPool hilos_;
};

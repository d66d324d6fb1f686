#pragma once

// The state of the full-text search window: the index of the current encyclopaedia, brought up to date
// on a thread of its own with its progress, and the searches, each run off the window's thread, whose
// results it keeps as a list model. A newer search makes the answer of an older one stale: it is dropped.

#include "search/buscador.h"
#include "search/indice.h"

#include <QAbstractListModel>
#include <QThreadPool>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

// The articles found, best first: the title and the passage (HTML) of each.
class ResultadosDeBusqueda : public QAbstractListModel {
    Q_OBJECT
public:
    enum Rol { Html = Qt::UserRole + 1, Nombre };

    using QAbstractListModel::QAbstractListModel;

    void poner(std::vector<search::Acierto> aciertos);
    const search::Acierto& acierto(int fila) const { return aciertos_[static_cast<std::size_t>(fila)]; }

    int rowCount(const QModelIndex& padre = {}) const override;
    // Display: title and passage as plain text, for screen readers; Html: the same as HTML, title first.
    QVariant data(const QModelIndex& indice, int rol) const override;

private:
    std::vector<search::Acierto> aciertos_;
};

class BusquedaEnTexto : public QObject {
    Q_OBJECT
public:
    explicit BusquedaEnTexto(QObject* padre = nullptr);
    ~BusquedaEnTexto() override;

    // Takes up the encyclopaedia `directorio` (as stored, Windows-1252) and brings its index up to date in
    // the background; a search meanwhile finds what is indexed so far. Called at every opening of the
    // window: an index already being brought up to date for that encyclopaedia goes on.
    void abrir(const std::string& directorio);
    const std::string& directorio() const { return directorio_; }

    // Searches in the background; `resultadosCambiados` follows. An empty query empties the results.
    void buscar(const QString& consulta);

    ResultadosDeBusqueda* resultados() { return &resultados_; }
    std::size_t encontrados() const { return encontrados_; }
    bool exacto() const { return exacto_; }
    bool indexando() const { return hilo_.joinable() && !terminado_; }

    // Waits for the index update under way, if any (for tests and for leaving).
    void esperar();

signals:
    void resultadosCambiados();
    // While articles are indexed: how many of `total` are done.
    void avance(qulonglong hechos, qulonglong total);
    // The update ended: `mensaje` says what went wrong, or is empty.
    void indiceAlDia(const QString& mensaje);

private:
    static constexpr std::size_t kListados = 50; // results listed; beyond them only counted

    void actualizarIndice();
    void terminarActualizacion();

    std::string directorio_;
    std::shared_ptr<search::Buscador> buscador_;
    ResultadosDeBusqueda resultados_;
    std::size_t encontrados_ = 0;
    bool exacto_ = true;
    QString consulta_;
    std::atomic<quint64> generacion_{0}; // of the latest search asked for

    std::thread hilo_; // the index update
    std::atomic<bool> cancelar_{false};
    std::atomic<bool> terminado_{true};
    bool otraVez_ = false;  // a damaged index was met while updating: update again when done
    QThreadPool busquedas_; // one search at a time
};

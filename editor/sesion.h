#pragma once

// The editor's session: what the author is editing, above every window. It owns the data root with its
// registered encyclopaedias, the encyclopaedia being edited, and the article in the article editor (with its
// selected illustration) while one is open; every change it records goes through one write path into the
// encyclopaedia's history. Windows take the session and never each other: a window that wants another one
// opened (the article editor, a list, the history) asks the session, and whoever shows that window answers.

#include <QObject>
#include <QString>

#include <string>
#include <vector>

class ArticuloEditado;
class QWidget;
class RaizEditada;
class TomoEditado;

class SesionForja : public QObject {
    Q_OBJECT
public:
    explicit SesionForja(QObject* parent = nullptr);
    ~SesionForja() override;

    RaizEditada* raiz() const { return raiz_; }
    TomoEditado* tomo() const { return tomo_; }

    // The article in the article editor, or null while none is open.
    ArticuloEditado* articulo() const { return articulo_; }
    // The article in the article editor, begun empty when none is open.
    ArticuloEditado* empezarArticulo();
    // The article editor let go of its article: what it held is dropped.
    void terminarArticulo();
    // True while an article is open and the author changed it since it was read or saved.
    bool articuloConCambios() const;

    // Records one version of the encyclopaedia `directorio` (store spelling) with the files `nombres` as they
    // are now; a history that cannot be kept is told through the encyclopaedia's notice, and the save stands.
    // Questions (the author's name, asked once) go to `ventana`.
    bool registrarVersion(QWidget* ventana, const std::string& directorio, const std::vector<std::string>& nombres,
                          const QString& resumen);

    // What a window asks of the others, answered by the editor's main window.
    void pedirArticulo(const QString& nombre) { emit articuloPedido(nombre); }
    void pedirLista(const QString& nombre) { emit listaPedida(nombre); }
    void pedirReleerArticulo(const QString& nombre) { emit releerArticuloPedido(nombre); }
    void pedirRecargarTomo() { emit recargaPedida(); }
    void pedirHistorialArticulo() { emit historialArticuloPedido(); }

signals:
    // The article `nombre` of the encyclopaedia being edited is to be opened in the article editor.
    void articuloPedido(const QString& nombre);
    // The list `nombre` is to be loaded, as "Cargar Lista" does.
    void listaPedida(const QString& nombre);
    // The article `nombre` is to be read anew into a fresh article editor, whatever the old one held.
    void releerArticuloPedido(const QString& nombre);
    // The encyclopaedia being edited is to be loaded again (its files changed under it).
    void recargaPedida();
    // "Historial del artículo…" for the article being edited.
    void historialArticuloPedido();

private:
    RaizEditada* raiz_;
    TomoEditado* tomo_;
    ArticuloEditado* articulo_ = nullptr;
};

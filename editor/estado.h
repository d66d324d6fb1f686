#pragma once

// What the editor is working on, apart from its windows: the data root with its registered encyclopaedias,
// the encyclopaedia being edited (its directory, description, complete list with the ticks of the list being
// edited, named lists, current article and current list file) and the article in the article editor. The
// windows show these objects and put what the author types back into them; the actions read and change them.

#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class ArticulosMarcables;
class QAbstractItemModel;
class QStringListModel;
class QTextDocument;

// The data root as the author typed or loaded it, and the encyclopaedias its list names, in order.
class RaizEditada : public QObject {
    Q_OBJECT
public:
    explicit RaizEditada(QObject* parent = nullptr);

    const QString& ruta() const { return ruta_; }
    void ponerRuta(const QString& ruta);

    QStringList tomos() const;
    void ponerTomos(const QStringList& tomos);
    void agregarTomo(const QString& tomo);
    // The encyclopaedias as a list model, which the list of encyclopaedias shows.
    QAbstractItemModel* modeloTomos() const;

signals:
    void rutaCambiada(const QString& ruta);

private:
    QString ruta_;
    QStringListModel* tomos_;
};

// The encyclopaedia being edited.
class TomoEditado : public QObject {
    Q_OBJECT
public:
    explicit TomoEditado(QObject* parent = nullptr);

    // Its directory as typed or loaded; empty while none is loaded.
    const QString& directorio() const { return directorio_; }
    void ponerDirectorio(const QString& directorio);

    // The description (DESCRIP.DAT) as it is being edited.
    QTextDocument* descripcion() const { return descripcion_; }

    // Every article of the complete list, in order, each with the tick of the list being edited.
    ArticulosMarcables* articulos() const { return articulos_; }
    int cuantosArticulos() const;
    QString articulo(int fila) const;

    // The names of the list index, in order, and as a list model, which the list of lists shows.
    QStringList listas() const;
    void ponerListas(const QStringList& listas);
    void agregarLista(const QString& lista);
    QAbstractItemModel* modeloListas() const;

    // The article file the article editor saves to, and the list file "Guardar Lista" writes.
    const QString& articuloActual() const { return articuloActual_; }
    void ponerArticuloActual(const QString& nombre);
    const QString& listaActual() const { return listaActual_; }
    void ponerListaActual(const QString& archivo);

    // Why versions of this encyclopaedia are not being kept (Spanish), or empty while they are.
    const QString& avisoHistorial() const { return avisoHistorial_; }
    void ponerAvisoHistorial(const QString& aviso);

signals:
    void directorioCambiado(const QString& directorio);
    void articuloActualCambiado(const QString& nombre);
    void listaActualCambiada(const QString& archivo);
    void avisoHistorialCambiado(const QString& aviso);
    // A version of the encyclopaedia was recorded (a save, a restore, a sync).
    void versionRegistrada();

private:
    QString avisoHistorial_;
    QString directorio_;
    QTextDocument* descripcion_;
    ArticulosMarcables* articulos_;
    QStringListModel* listas_;
    QString articuloActual_;
    QString listaActual_;
};

// The article in the article editor: its title, illustrations (with the one selected, whose caption is shown
// and written) and body, and the caption of the selected illustration, with whether the author changed them
// since they were read or saved.
class ArticuloEditado : public QObject {
    Q_OBJECT
public:
    explicit ArticuloEditado(QObject* parent = nullptr);

    const QString& titulo() const { return titulo_; }
    void ponerTitulo(const QString& titulo);

    QStringList ilustraciones() const;
    void agregarIlustraciones(const QStringList& nombres);
    // The illustrations as a list model, which the article editor's list shows.
    QAbstractItemModel* modeloIlustraciones() const;

    // The row of the selected illustration, or -1; its name, or nothing. Selecting a row that does not
    // exist selects none.
    int filaSeleccionada() const { return seleccionada_; }
    std::optional<QString> ilustracionSeleccionada() const;
    void seleccionar(int fila);

    QTextDocument* cuerpo() const { return cuerpo_; }
    QTextDocument* epigrafe() const { return epigrafe_; }

    // Adds what was read from an article file: replaces the title, appends the illustrations and the body.
    // Not a change of the author's.
    void agregarContenido(const QString& titulo, const QStringList& ilustraciones, const QString& cuerpo);
    // Puts a caption into the caption box as read (or cleared), not as a change of the author's.
    void ponerEpigrafe(const QString& texto);

    bool cambiosArticulo() const { return cambiosArticulo_; }
    bool cambiosEpigrafe() const { return cambiosEpigrafe_; }
    bool hayCambios() const { return cambiosArticulo_ || cambiosEpigrafe_; }
    void articuloGuardado() { cambiosArticulo_ = false; }

signals:
    void tituloCambiado(const QString& titulo);
    void ilustracionesAgregadas(const QStringList& nombres);
    void seleccionCambiada(int fila);

private:
    QString titulo_;
    QStringListModel* ilustraciones_;
    int seleccionada_ = -1;
    QTextDocument* cuerpo_;
    QTextDocument* epigrafe_;
    bool cargando_ = false;
    bool cambiosArticulo_ = false;
    bool cambiosEpigrafe_ = false;
};

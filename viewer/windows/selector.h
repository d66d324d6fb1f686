#pragma once

#include <QWidget>

#include <string>

class ModeloDeTitulos;
class QLabel;
class QListView;
class QListWidget;
class QPushButton;

// The article selector, captioned "S E L E C T O R": a view of the article index's titles, narrowed by
// the encyclopaedia's named lists when the window is narrowed again after ticking them. Closing it only
// hides it.
class Selector : public QWidget {
    Q_OBJECT
public:
    Selector(ModeloDeTitulos* indice, QWidget* parent);

    ModeloDeTitulos* titulos() const { return indice_; }

    // Narrows the window and appends the names of the encyclopaedia's lists (listas.dat, found through
    // the registry) to the filter list. Does not clear the filter list.
    void Form_Load();
    bool cargado() const { return cargado_; }
    // Empties the filter list and runs Form_Load again (after switching encyclopaedias).
    void recargarFiltros();

    // Reloads the index from the ticked lists, in filter order, or from the complete list when none is
    // ticked; then lists the titles.
    void Aceptar();
    // "N artículos en la lista." plus " Filtros aplicados" when a filter is ticked now. While titles are
    // being read the line shows how far the reading has got, and the count once it is done.
    void ActuaLbl();
    // Widens the window (showing the filters), or narrows it and applies the filters.
    void cmdTamano_Click();
    // After switching encyclopaedias (and recargarFiltros): the window as wide as the reader left it, the
    // titles of the ticked lists or of the complete list.
    void recargar();
    // Asks for the selected article to be opened (articuloElegido); nothing when none is selected.
    void lstArticulos_DblClick();

    static constexpr int kAnchoAngosto = 3420; // twips
    static constexpr int kAnchoAncho = 6360;
    static constexpr int kAltoCliente = 4560;

    QListView* lstArticulos = nullptr;
    QListWidget* lstDats = nullptr;
    QPushButton* cmdTamano = nullptr;
    QLabel* lblCantidad = nullptr;

signals:
    // The reader chose the article of index row `fila` (its name is the index's name of that row).
    void articuloElegido(int fila);

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void mostrarCantidad();
    // The design size, the button and the filter list for the width the window now has (ancho_).
    void mostrarAnchura();

    ModeloDeTitulos* indice_;
    bool cargado_ = false;
    bool filtrada_ = false; // a filter was ticked when the count line was last refreshed
    bool ancho_ = false;    // widened with ">", showing the filters
};

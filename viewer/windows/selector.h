#pragma once

#include <QWidget>

#include <string>

class QLabel;
class QListWidget;
class QPushButton;
class VentanaPrincipal;

// The article selector, captioned "S E L E C T O R": the titles of the current encyclopaedia's articles,
// narrowed by its named lists when the window is narrowed again after ticking them. It keeps the
// viewer's current encyclopaedia directory. Closing it only hides it.
class Selector : public QWidget {
    Q_OBJECT
public:
    explicit Selector(VentanaPrincipal* principal);

    // The hidden file list: the current encyclopaedia directory (Windows-1252, as stored) and its pattern.
    struct ListaDeArchivos {
        std::string ruta;
        std::string patron = "*.txt";
    };

    std::string directorio() const { return fllArticulos.ruta; }
    void setDirectorio(const std::string& directorio) { fllArticulos.ruta = directorio; }

    // Narrows the window and appends the names of the encyclopaedia's lists (listas.dat, found through
    // the registry) to the filter list. Does not clear the filter list.
    void Form_Load();
    bool cargado() const { return cargado_; }

    // Reloads both name lists from the ticked lists, in filter order, or from the complete list when
    // none is ticked; then lists the titles.
    void Aceptar();
    // "N artículos en la lista." plus " Filtros aplicados" while a filter is ticked.
    void ActuaLbl();
    // Widens the window (showing the filters), or narrows it and applies the filters.
    void cmdTamano_Click();
    // Opens the selected article in the main window and records it in ultimo.dat.
    void lstArticulos_DblClick();

    static constexpr int kAnchoAngosto = 3420; // twips
    static constexpr int kAnchoAncho = 6360;
    static constexpr int kAltoCliente = 4560;

    QListWidget* lstArticulos = nullptr;
    QListWidget* lstArticulo2 = nullptr; // never shown
    QListWidget* lstDats = nullptr;
    QPushButton* cmdTamano = nullptr;
    QLabel* lblCantidad = nullptr;
    ListaDeArchivos fllArticulos;

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    VentanaPrincipal* principal_;
    bool cargado_ = false;
    bool ancho_ = false; // widened with ">", showing the filters
};

#pragma once

// What the main window's menus ask of the window they belong to, so that they need not know the window itself:
// the encyclopaedia and the article it shows, and opening another article.

#include <QString>

#include <string>

class ArticuloMostrado {
public:
    virtual ~ArticuloMostrado() = default;

    // The current encyclopaedia directory (store spelling).
    virtual std::string directorio() const = 0;
    // Reads one article (full stored path) and shows it; true when it was read and is now shown.
    virtual bool abrirArticulo(const std::string& archivo) = 0;
    // The title of the article shown and the name of its encyclopaedia, as the window shows them.
    virtual QString tituloMostrado() const = 0;
    virtual QString nombreDeLaEnciclopedia() const = 0;
};

#pragma once

// The articles read in this run, in the order they were opened, and the reader's place among them, for
// going back and forward. Opening an article drops the entries ahead of the place (as a browser does);
// opening the article already shown adds nothing. Nothing is kept across runs.

#include <string>
#include <vector>

class Historial {
public:
    // An article (full stored path) has just been opened by any route other than going back or forward.
    void registrar(const std::string& ruta);

    // The article one step back (paso -1) or forward (+1), or null when there is none.
    const std::string* vecino(int paso) const;
    // Moves the place one step after the article vecino(paso) named has been opened.
    void mover(int paso);

    const std::vector<std::string>& entradas() const { return entradas_; }
    // Index of the article shown in entradas(); -1 before the first article.
    int lugar() const { return lugar_; }

private:
    std::vector<std::string> entradas_;
    int lugar_ = -1;
};

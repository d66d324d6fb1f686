#pragma once

// Bringing two copies of one encyclopaedia back into step through a third place: a folder holding a bare
// repository (a USB stick: one folder of git's own files, not a copy of the store's, and only what changed
// since the last sync is copied), or a git server (git://, http(s)://, ssh:// as libgit2 offers them).
//
// The other side's versions are fetched; when both sides changed, the versions are joined three ways:
// different files combine by themselves; the list files (COMPLETA.DAT, LISTAS.DAT, each list's file) combine
// as lists, lines added on both sides all kept in an order that keeps each side's; DICT.DAT likewise, sorted
// again when it was sorted; an article changed on both sides is merged line by line (git's own merge), and
// where both changed the same lines the author decides, conflict by conflict. A file changed on one side and
// deleted on the other is kept. Nothing is written to the store, and no version joining the two sides is
// recorded, until every conflict is decided; store files are written through the store's writer, never with
// conflict markers; the other side's text stays in the history either way.

#include "store/resultado.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace historial {

class Historial;

// A stretch of an article merged from both sides: text both agree on, or a conflict.
struct Pieza {
    bool conflicto = false;
    std::string comun; // when not a conflict
    std::string mia;   // this copy's lines, when a conflict
    std::string otra;  // the other copy's lines
};

struct ArchivoEnConflicto {
    std::string nombre;   // as the store names it
    bool binario = false; // a picture or other file that cannot be merged: one conflict, whole
    std::vector<Pieza> piezas;
};

enum class Eleccion { Mia, Otra, Editada };
struct Decision {
    Eleccion eleccion = Eleccion::Mia;
    std::string texto; // Editada: the author's text for that conflict (Windows-1252, CR LF lines)
};

class Sincronizacion {
public:
    enum class Caso {
        AlDia,      // both sides hold the same versions
        Enviar,     // only this side has new versions: they are sent
        Avanzar,    // only the other side has new versions: its files are written here
        Unir,       // both have: the versions are joined
        SinRelacion // the same encyclopaedia, judging by its files, but copied before either had versions
    };

    ~Sincronizacion();

    // Fetches the other side's versions and works out what joining them needs; writes nothing to the store.
    // `destino` is a folder (made, with an empty repository, when missing or empty) or a git address. Refused,
    // before anything is written anywhere, when it holds something else or another encyclopaedia's history.
    // With `unirSinRelacion`, two histories without a common version are joined as if from nothing.
    static store::Resultado<std::unique_ptr<Sincronizacion>> preparar(Historial& historial, const std::string& destino,
                                                                      bool unirSinRelacion = false);

    Caso caso() const { return caso_; }
    // What the author must decide, file by file.
    const std::vector<ArchivoEnConflicto>& conflictos() const { return conflictos_; }
    // The files (store names) this side receives.
    const std::vector<std::string>& recibidos() const { return recibidos_; }

    // With one decision per conflict piece of each file in conflictos(), in order: writes the files through
    // the store, records the version that joins both sides, and sends this side's versions. A short Spanish
    // account (UTF-8) of what was done.
    store::Resultado<std::string> completar(const std::vector<std::vector<Decision>>& decisiones,
                                            std::string_view autor);

    struct Datos;

private:
    Sincronizacion();
    Caso caso_ = Caso::AlDia;
    std::vector<ArchivoEnConflicto> conflictos_;
    std::vector<std::string> recibidos_;
    std::unique_ptr<Datos> d_;
};

// The three-way merges, on the files' bytes.
// Lists: lines added on both sides kept (this side's first where they compete), a line one side removed and
// the other kept removed, each line once; with `ordenar`, a result sorted again when all three were sorted.
std::string unirListas(std::string_view base, std::string_view mia, std::string_view otra, bool ordenar);
// Text line by line: one piece when it merges by itself, else the pieces with their conflicts.
std::vector<Pieza> unirTexto(std::string_view base, std::string_view mia, std::string_view otra);
// The text of merged pieces with one decision per conflict, in order.
std::string resolver(const std::vector<Pieza>& piezas, const std::vector<Decision>& decisiones);

} // namespace historial

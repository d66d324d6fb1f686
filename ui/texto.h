#pragma once

// The store speaks Windows-1252; the windows speak QString. These convert at that edge.

#include "store/lineas.h"
#include "store/resultado.h"

#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace ui {

// Every byte becomes one character; all 256 byte values round-trip through haciaStore().
QString desdeStore(std::string_view cp1252);

// A body as the store keeps it (breaks as CR LF) as a text box holds it (breaks as "\n"), in one pass.
QString textoDeCuerpo(std::string_view cp1252);

// A body as a text box shows it, built from its pieces in one pass into one QString: each piece decoded from
// Windows-1252, CR LF as "\n", and a run of more than `palabraLarga` characters without white space given an
// invisible break opportunity (U+200B) after each `palabraLarga` (the toolkit lays out one unbreakable word of
// a megabyte for minutes). Pieces run on with nothing between, so a run may go on from one piece into the next.
class TextoMostrado {
public:
    // `bytes`: at least as many as all the pieces will hold.
    TextoMostrado(std::size_t bytes, qsizetype palabraLarga);
    void agregar(std::string_view cp1252);
    // The text; the builder is empty afterwards.
    QString terminar();

private:
    QString texto_;
    char16_t* destino_;
    char16_t* fin_;
    qsizetype palabraLarga_;
    qsizetype corrida_ = 0;
};

// The same for a whole body (or caption) held in one string.
QString textoMostrado(std::string_view cp1252, qsizetype palabraLarga);

// Windows-1252 bytes for the text, or nothing when some character has none; then `noRepresentables`
// receives those characters, each once. Line breaks are left as they are ("\n").
std::optional<std::string> haciaStore(const QString& texto, QString* noRepresentables = nullptr);

// The text of a multi-line box as the store's lines: split at line breaks ("\r\n", "\r" or "\n").
// Fails like haciaStore().
std::optional<store::Lineas> lineasDeTexto(const QString& texto, QString* noRepresentables = nullptr);

// The Spanish message of a store error, ready for a message box.
QString mensajeDe(const store::Error& error);

// "El texto contiene caracteres que no se pueden guardar: ..." for the characters given.
QString mensajeNoRepresentable(const QString& caracteres);

} // namespace ui

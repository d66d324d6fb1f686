#pragma once

// What the server makes of a request before any file is looked at: its target decoded, the page it names and
// the store name in it, the framing checked, and what the log may show of it. Nothing here opens a file, so it
// is all fuzzed (tests/fuzz/servidor.cpp).

#include <QByteArray>
#include <QList>
#include <QPair>

#include <optional>
#include <string>
#include <utility>

namespace server {

using Cabeceras = QList<QPair<QByteArray, QByteArray>>;

struct Peticion {
    QByteArray metodo;   // "GET" or "HEAD"
    QByteArray destino;  // as sent: "/e/solar/buscar?q=sol"
    QByteArray ruta;     // the part before "?", still percent-encoded
    QByteArray consulta; // the part after "?", still encoded
    Cabeceras cabeceras; // names in lower case
    QByteArray cabecera(const QByteArray& nombreEnMinusculas) const;
};

// Percent-decoding of a path or a query value; nothing for a malformed escape. With `masEsEspacio`, "+"
// stands for a space (HTML forms).
std::optional<QByteArray> decodificar(const QByteArray& codificado, bool masEsEspacio = false);
// Every value of `nombre` in a query string, decoded, in order; a malformed one is left out.
QList<QByteArray> parametros(const QByteArray& consulta, const QByteArray& nombre);
// The first value of `nombre`, or an empty array.
QByteArray parametro(const QByteArray& consulta, const QByteArray& nombre);
// A strong entity tag made from bytes (64-bit FNV-1a, in hex).
QByteArray etiquetaDe(const QByteArray& bytes);
// What a log line may show of bytes sent by anybody or read from a store: printable ASCII, every other byte
// as %XX, and no more than `largo` of them.
QByteArray paraElRegistro(const QByteArray& texto, qsizetype largo = 300);
// A note for the log line (Spanish, UTF-8, perhaps with names read from a store): its letters kept, every
// control character (C0, DEL, C1) and every byte that is not well-formed UTF-8 as %XX.
QByteArray notaParaElRegistro(const QByteArray& texto, qsizetype largo = 200);
// A request target as the log shows it: the values of a query left out unless `conConsulta`.
QByteArray destinoParaElRegistro(const QByteArray& destino, bool conConsulta);
// The first reason to refuse a request's framing (Content-Length, Transfer-Encoding, Host), with its status;
// nothing when it may be answered. `version` as sent ("HTTP/1.1").
std::optional<std::pair<int, QByteArray>> rechazoDeMarco(const Peticion& p, const QByteArray& version);

// An article or picture name (Windows-1252) as one path segment: UTF-8, percent-encoded.
std::string segmento(const std::string& cp1252);
// A plain name with a picture's extension; the media type of a picture by its extension; and whether it is
// sent as PNG (a format not every browser shows), by the site's picture rule (render/sitio.h).
bool esImagen(const std::string& nombre);
QByteArray tipoDeImagen(const std::string& nombre);
bool seSirveComoPng(const std::string& nombre);

// The page a request's path names (still percent-encoded, as sent).
struct Destino {
    enum class Pagina {
        NoExiste,
        Portada,
        Estilo,
        Guion,
        SinBarra,
        Lista,
        Buscar,
        Titulos,
        Diccionario,
        Icono,
        Articulo,
        Imagen
    };
    Pagina pagina = Pagina::NoExiste;
    QByteArray id;      // the encyclopaedia's address name, as sent ("solar")
    std::string nombre; // for an article or a picture: the store name, Windows-1252, no separator in it
    QByteArray nota;    // why it names nothing
};
Destino destinoDe(const QByteArray& ruta);
// Whether answering it may take long or wait for a lock: a search, a dictionary look-up, a picture that is
// converted first.
bool bloquea(const Destino& d);

} // namespace server

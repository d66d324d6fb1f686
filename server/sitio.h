#pragma once

// The classroom site: every page the server answers, for the encyclopaedias it was given.
//
//   /                          the encyclopaedias: title and comment of DESCRIP.DAT, icon
//   /e/<id>/                   an encyclopaedia's titles in list order; ?lista=NAME (any number) filters by its
//                              named lists as the viewer's selector does, ?desde=N pages through long lists
//   /e/<id>/a/<article>        an article as the publishing renderer makes it
//   /e/<id>/img/<picture>      a picture of its IMG directory
//   /e/<id>/icono              its ICONO.ICO
//   /e/<id>/buscar?q=          full-text search with the viewer's index and rules
//   /e/<id>/titulos?q=         titles that begin with what was typed, as JSON, for type-ahead
//   /e/<id>/diccionario?p=     a dictionary look-up with the viewer's rules
//   /recursos/...              the style sheet and the script
//
// Only what the encyclopaedia lists is an article, and only a plain name with a picture's extension in IMG is a
// picture: any other name, and every path that tries to leave (".." and its encoded forms, backslashes, NUL,
// absolute names), is answered 404 without a file being opened. Files are read through the store, which
// follows no symbolic link below an encyclopaedia's directory. Nothing is ever written.

#include "server/enciclopedia_servida.h"
#include "server/http.h"
#include "server/imagenes_png.h"

#include <QThreadPool>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace server {

struct Opciones {
    std::chrono::milliseconds intervalo{3000}; // the least time between two looks at an encyclopaedia's files
    int porPagina = 200;                       // titles on one page of a title list
    // The helper that converts BMP, ICO and TIFF pictures to PNG; empty: tomo-servidor-imagen beside the
    // program. One that cannot be started leaves those pictures as they are.
    std::string convertidor;
};

class Sitio {
public:
    using Lista = std::vector<std::shared_ptr<EnciclopediaServida>>;

    // `directorios` as the store names them; each gets an address name of its own (see idDeDirectorio).
    Sitio(const std::vector<std::string>& directorios, Opciones opciones = {});
    // Every encyclopaedia of the registry, as it is at each look: one registered while the server runs is
    // served from the next look on, under an address name that stays its own.
    explicit Sitio(Opciones opciones);
    ~Sitio();

    // Looks at every encyclopaedia once, on this thread, and starts building the search indexes.
    void preparar();
    Respuesta responder(const Peticion& peticion);
    // Whether the answer may take long or wait for a lock (a search, a dictionary look-up): such requests are
    // answered on the server's queue of their own.
    static bool bloquea(const Peticion& peticion);

    // The encyclopaedias served now (from the registry, looked at again at most every interval).
    std::shared_ptr<const Lista> enciclopedias();

private:
    void tomar(const std::vector<std::string>& directorios, bool revisarNuevas);
    Respuesta portada();
    Respuesta lista(EnciclopediaServida& e, const Peticion& p);
    Respuesta articulo(EnciclopediaServida& e, const std::string& nombre);
    Respuesta imagen(EnciclopediaServida& e, const std::string& nombre);
    Respuesta icono(EnciclopediaServida& e);
    Respuesta busqueda(EnciclopediaServida& e, const Peticion& p);
    Respuesta titulos(EnciclopediaServida& e, const Peticion& p);
    Respuesta diccionario(EnciclopediaServida& e, const Peticion& p);
    // `nombre`: the file's name, whose extension says its media type and whether it is sent as PNG.
    Respuesta desdeArchivo(const std::string& directorio, const std::string& ruta, const std::string& nombre);

    Opciones opciones_;
    ImagenesPng pngs_;
    QThreadPool revisiones_;
    const bool delRegistro_;
    std::mutex mutexLista_;
    std::shared_ptr<const Lista> lista_;
    std::vector<std::string> directorios_; // as last taken
    std::chrono::steady_clock::time_point ultimaLista_{};
};

} // namespace server

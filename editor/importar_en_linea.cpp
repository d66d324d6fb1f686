#include "editor/importar_en_linea.h"

#include "editor/versiones.h"

#include "importar/importacion.h"
#include "importar/qt/imagenes.h"
#include "importar/zim.h"
#include "store/archivo_de_texto.h"
#include "store/codificacion.h"
#include "store/limites.h"
#include "store/rutas.h"

#include "ui/texto.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace forja {

namespace {

void decir(std::FILE* f, const std::string& utf8) {
    std::fputs(QString::fromStdString(utf8).toLocal8Bit().constData(), f);
}

// The history as loading the encyclopaedia in the editor would leave it, before the import writes.
void antesDeEscribir(const std::string& tomo) {
    if (const QString error = registrarAntesDeEscribir(tomo); !error.isEmpty()) {
        decir(stderr, "forja: aviso: no se guardan versiones de «" + store::cp1252AUtf8(tomo) +
                          "»: " + error.toStdString() + "\n");
    }
}

// What an import wrote, as one version of the encyclopaedia's history; a history that cannot be kept is said,
// and the import stands.
void contarVersion(const std::string& tomo, const importar::Informe& informe, const std::string& archivoZim) {
    if (const QString error = registrarImportacion(tomo, informe.importados.size(), archivoZim); !error.isEmpty()) {
        decir(stderr, "forja: aviso: no se guardó la versión de lo importado: " + error.toStdString() + "\n");
    }
}

// The first bytes of a file (64 KiB at most), or nothing when it cannot be read.
std::string inicioDe(const std::filesystem::path& archivo) {
    std::ifstream f(archivo, std::ios::binary);
    std::string bytes(64 * 1024, '\0');
    f.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(0, f.gcount())));
    return bytes;
}

// The lines of a file of titles (UTF-8, or Windows-1252), without their ends, empty ones left out.
std::optional<std::vector<std::string>> lineasDe(const std::filesystem::path& archivo) {
    const auto bytes = store::leerBytesNativos(archivo, store::kLimiteLista);
    if (!bytes) {
        return std::nullopt;
    }
    std::vector<std::string> r;
    const std::string texto = importar::comoUtf8(*bytes);
    std::size_t i = 0;
    while (i < texto.size()) {
        const std::size_t fin = std::min(texto.find('\n', i), texto.size());
        std::string l = texto.substr(i, fin - i);
        while (!l.empty() && (l.back() == '\r' || l.back() == ' ')) {
            l.pop_back();
        }
        if (!l.empty()) {
            r.push_back(std::move(l));
        }
        i = fin + 1;
    }
    return r;
}

int importarZim(const std::filesystem::path& archivo, const std::string& tomo, const QStringList& opciones) {
    std::string error;
    const auto fuente = importar::FuenteZim::abrir(archivo, error);
    if (!fuente) {
        decir(stderr, "forja: " + error + " No se importa nada.\n");
        return 1;
    }
    decir(stdout, importar::describir(fuente->datos()));
    importar::SeleccionZim s;
    importar::Opciones o;
    o.convertir = importar::convertirConQt;
    // Which part of the selection each list asked for gets.
    enum class Parte { Todo, Busqueda, Tema };
    std::vector<std::pair<std::string, Parte>> listas;
    for (qsizetype i = 0; i + 1 < opciones.size(); i += 2) {
        const QString& n = opciones[i];
        const std::string v = opciones[i + 1].toStdString();
        bool numero = true;
        const int entero = opciones[i + 1].toInt(&numero);
        if ((n == QLatin1String("maximo") || n == QLatin1String("profundidad")) && (!numero || entero < 0)) {
            decir(stderr, "forja: «--" + n.toStdString() + "» lleva un número, no «" + v + "».\n");
            return 1;
        }
        if (n == QLatin1String("titulo")) {
            s.titulos.push_back(v);
        } else if (n == QLatin1String("lista-titulos")) {
            const auto lineas = lineasDe(std::filesystem::path(v));
            if (!lineas) {
                decir(stderr, "forja: no se puede leer la lista de títulos «" + v + "».\n");
                return 1;
            }
            s.titulos.insert(s.titulos.end(), lineas->begin(), lineas->end());
        } else if (n == QLatin1String("buscar")) {
            s.consulta = v;
        } else if (n == QLatin1String("tema")) {
            s.temas.push_back(v);
        } else if (n == QLatin1String("lista")) {
            listas.push_back({v, Parte::Todo});
        } else if (n == QLatin1String("lista-busqueda")) {
            listas.push_back({v, Parte::Busqueda});
        } else if (n == QLatin1String("lista-tema")) {
            listas.push_back({v, Parte::Tema});
        } else if (n == QLatin1String("excluir")) {
            s.excluir.push_back(v);
        } else if (n == QLatin1String("profundidad")) {
            s.profundidad = entero;
        } else if (n == QLatin1String("maximo")) {
            s.maximoConsulta = s.maximoTema = static_cast<std::size_t>(entero);
        }
    }
    if (s.titulos.empty() && s.consulta.empty() && s.temas.empty()) {
        decir(stderr, "forja: diga qué artículos importar del archivo ZIM: --titulo, --lista-titulos, --buscar o "
                      "--tema (véase «forja --help»).\n");
        return 1;
    }
    const importar::Seleccionadas elegidas = importar::seleccionar(*fuente, s, importar::enlacesDeArticuloZim);
    for (const std::string& aviso : elegidas.avisos) {
        decir(stdout, "aviso: " + aviso + "\n");
    }
    if (elegidas.paginas.empty()) {
        decir(stderr, "forja: la selección no alcanza ningún artículo del archivo: no se importa nada.\n");
        return 1;
    }
    for (const auto& [nombre, parte] : listas) {
        o.listas.push_back({nombre, parte == Parte::Todo       ? std::vector<std::string>{}
                                    : parte == Parte::Busqueda ? elegidas.consulta
                                                               : elegidas.tema});
        if (parte != Parte::Todo && o.listas.back().entradas.empty()) {
            decir(stdout, "aviso: " + std::string(parte == Parte::Busqueda ? "la búsqueda" : "el tema") +
                              " no da ningún artículo: la lista «" + nombre + "» no se crea.\n");
            o.listas.pop_back();
        }
    }
    const auto plan = importar::planearZim(*fuente, elegidas.paginas, tomo, o);
    if (!plan) {
        decir(stderr, "forja: " + store::cp1252AUtf8(plan.error().mensaje()) + "\n");
        return 1;
    }
    decir(stdout, importar::describir(*plan));
    decir(stdout, importar::resumir(*plan));
    antesDeEscribir(plan->tomo);
    const importar::Informe informe = importar::ejecutar(*plan);
    decir(informe.error ? stderr : stdout, importar::describir(informe, *plan));
    contarVersion(tomo, informe, plan->archivoZim);
    return informe.error ? 1 : 0;
}

} // namespace

int importarSinVentanas(const QString& origen, const QString& ruta, const QStringList& opciones) {
    const auto tomo = store::rutaDeOrden(ruta.toStdString());
    if (!tomo) {
        decir(stderr,
              "forja: la ruta «" + ruta.toStdString() + "» tiene caracteres que las enciclotomos no admiten.\n");
        return 1;
    }
    const std::filesystem::path entrada(origen.toStdString());
    std::error_code e;
    if (std::filesystem::is_regular_file(entrada, e)) {
        // What a file starts with tells a ZIM file, or a text from anything else, before it is read whole.
        const std::string inicio = inicioDe(entrada);
        if (importar::pareceZim(inicio)) {
            return importarZim(entrada, *tomo, opciones);
        }
        if (!importar::pareceTexto(inicio)) {
            decir(stderr, "forja: «" + origen.toStdString() +
                              "» no es un texto ni un archivo ZIM sino otro archivo binario: no se importa "
                              "nada.\n");
            return 1;
        }
    }
    importar::Opciones o;
    o.convertir = importar::convertirConQt;
    for (qsizetype i = 0; i + 1 < opciones.size(); i += 2) {
        if (opciones[i] == QLatin1String("imagenes-de")) {
            o.carpetasImagenes.emplace_back(opciones[i + 1].toStdString());
        }
    }
    const auto plan = importar::planear({entrada}, *tomo, o);
    if (!plan) {
        decir(stderr, "forja: " + store::cp1252AUtf8(plan.error().mensaje()) + "\n");
        return 1;
    }
    decir(stdout, importar::describir(*plan));
    if (plan->articulos.empty()) {
        decir(stderr, "forja: no hay ningún texto que importar en «" + origen.toStdString() + "».\n");
        return 1;
    }
    antesDeEscribir(plan->tomo);
    const importar::Informe informe = importar::ejecutar(*plan);
    decir(informe.error ? stderr : stdout, importar::describir(informe, *plan));
    contarVersion(*tomo, informe, {});
    return informe.error ? 1 : 0;
}

} // namespace forja

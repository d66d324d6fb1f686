#include "server/rutas.h"

#include "render/sitio.h"
#include "render/texto_web.h"

#include "store/codificacion.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace server {

namespace {

int valorHex(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// A path segment as the client sent it, decoded, as a name of the store: nothing when it cannot be one.
std::optional<std::string> nombreDeSegmento(const QByteArray& codificado, QByteArray* nota) {
    const auto bytes = decodificar(codificado);
    if (!bytes) {
        *nota = "escape mal formado";
        return std::nullopt;
    }
    if (bytes->contains('\0') || bytes->contains('\\') || bytes->contains('/') || *bytes == "." || *bytes == "..") {
        *nota = "ruta que sale de la enciclotomo";
        return std::nullopt;
    }
    auto cp1252 = store::utf8ACp1252(bytes->toStdString());
    if (!cp1252) {
        *nota = "nombre que ninguna enciclotomo puede tener";
        return std::nullopt;
    }
    return cp1252;
}

} // namespace

bool esImagen(const std::string& nombre) {
    return render::formatoPorExtension(nombre) != nullptr;
}

QByteArray tipoDeImagen(const std::string& nombre) {
    const render::FormatoDeImagen* formato = render::formatoPorExtension(nombre);
    return formato ? QByteArray(formato->tipo.data(), static_cast<qsizetype>(formato->tipo.size())) : QByteArray();
}

bool seSirveComoPng(const std::string& nombre) {
    const render::FormatoDeImagen* formato = render::formatoPorExtension(nombre);
    return formato && !formato->pasa;
}

QByteArray Peticion::cabecera(const QByteArray& nombreEnMinusculas) const {
    for (const auto& [nombre, valor] : cabeceras) {
        if (nombre == nombreEnMinusculas) {
            return valor;
        }
    }
    return {};
}

std::optional<QByteArray> decodificar(const QByteArray& codificado, bool masEsEspacio) {
    QByteArray s;
    s.reserve(codificado.size());
    for (qsizetype i = 0; i < codificado.size(); ++i) {
        const char c = codificado[i];
        if (c == '%') {
            if (i + 2 >= codificado.size()) {
                return std::nullopt;
            }
            const int alto = valorHex(codificado[i + 1]);
            const int bajo = valorHex(codificado[i + 2]);
            if (alto < 0 || bajo < 0) {
                return std::nullopt;
            }
            s += static_cast<char>(alto * 16 + bajo);
            i += 2;
        } else if (c == '+' && masEsEspacio) {
            s += ' ';
        } else {
            s += c;
        }
    }
    return s;
}

QList<QByteArray> parametros(const QByteArray& consulta, const QByteArray& nombre) {
    QList<QByteArray> valores;
    for (const QByteArray& par : consulta.split('&')) {
        const qsizetype igual = par.indexOf('=');
        const QByteArray clave = igual < 0 ? par : par.left(igual);
        if (decodificar(clave, true) != nombre) {
            continue;
        }
        if (auto valor = decodificar(igual < 0 ? QByteArray() : par.mid(igual + 1), true)) {
            valores << *valor;
        }
    }
    return valores;
}

QByteArray parametro(const QByteArray& consulta, const QByteArray& nombre) {
    const QList<QByteArray> valores = parametros(consulta, nombre);
    return valores.isEmpty() ? QByteArray() : valores.front();
}

QByteArray etiquetaDe(const QByteArray& bytes) {
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : bytes) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    return QByteArray::number(static_cast<qulonglong>(h), 16).rightJustified(16, '0');
}

QByteArray paraElRegistro(const QByteArray& texto, qsizetype largo) {
    static const char* const hex = "0123456789ABCDEF";
    QByteArray s;
    const qsizetype n = qMin<qsizetype>(texto.size(), largo);
    s.reserve(n);
    for (qsizetype i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(texto[i]);
        if (c < 0x21 || c > 0x7e) {
            s += '%';
            s += hex[c >> 4];
            s += hex[c & 15];
        } else {
            s += static_cast<char>(c);
        }
    }
    if (texto.size() > n) {
        s += "...";
    }
    return s;
}

QByteArray notaParaElRegistro(const QByteArray& texto, qsizetype largo) {
    static const char* const hex = "0123456789ABCDEF";
    QByteArray s;
    const QByteArray parte = texto.left(largo);
    const auto escapar = [&](unsigned char c) {
        s += '%';
        s += hex[c >> 4];
        s += hex[c & 15];
    };
    for (qsizetype i = 0; i < parte.size();) {
        const auto c = static_cast<unsigned char>(parte[i]);
        // The length of a well-formed UTF-8 sequence starting here, 0 when it is not one.
        int n = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
        for (int k = 1; k < n; ++k) {
            if (i + k >= parte.size() || (static_cast<unsigned char>(parte[i + k]) & 0xC0) != 0x80) {
                n = 0;
            }
        }
        const bool control = (n == 1 && (c < 0x20 || c == 0x7F)) ||
                             (n == 2 && c == 0xC2 && static_cast<unsigned char>(parte[i + 1]) < 0xA0);
        if (n == 0 || control) {
            for (int k = 0; k < std::max(n, 1); ++k) {
                escapar(static_cast<unsigned char>(parte[i + k]));
            }
            i += std::max(n, 1);
        } else {
            s += parte.mid(i, n);
            i += n;
        }
    }
    if (texto.size() > largo) {
        s += "...";
    }
    return s;
}

QByteArray destinoParaElRegistro(const QByteArray& destino, bool conConsulta) {
    const qsizetype pregunta = destino.indexOf('?');
    if (conConsulta || pregunta < 0) {
        return paraElRegistro(destino);
    }
    // The names of the query stay (which page was asked for), their values do not (what a pupil searched).
    QByteArray s = destino.left(pregunta + 1);
    const QList<QByteArray> pares = destino.mid(pregunta + 1).split('&');
    for (qsizetype i = 0; i < pares.size(); ++i) {
        const qsizetype igual = pares[i].indexOf('=');
        s += (i ? "&" : "") + (igual < 0 ? pares[i] : pares[i].left(igual) + "=-");
    }
    return paraElRegistro(s);
}

std::optional<std::pair<int, QByteArray>> rechazoDeMarco(const Peticion& p, const QByteArray& version) {
    const bool lectura = p.metodo == "GET" || p.metodo == "HEAD";
    int largos = 0;
    int hosts = 0;
    bool transferencia = false;
    QByteArray largo;
    for (const auto& [nombre, valor] : p.cabeceras) {
        if (nombre == "content-length") {
            ++largos;
            largo = valor;
        } else if (nombre == "transfer-encoding") {
            transferencia = true;
        } else if (nombre == "host") {
            ++hosts;
        }
    }
    // Two lengths, equal or not, or a length beside a transfer coding: where one request ends is not sure, so
    // nothing after it on the connection can be trusted.
    if (largos > 1 || (largos == 1 && transferencia)) {
        return std::pair{400, QByteArray("largo del cuerpo dudoso")};
    }
    if (largos == 1) {
        bool ok = false;
        largo.toULongLong(&ok);
        if (!ok || largo.isEmpty() || largo.startsWith('+')) {
            return std::pair{400, QByteArray("largo del cuerpo mal formado")};
        }
    }
    // A request with a body is not ours to read, and a GET or HEAD never has one.
    if (transferencia || (largos == 1 && largo != "0")) {
        return std::pair{lectura ? 400 : 405, QByteArray("petición con cuerpo")};
    }
    if (hosts > 1 || (hosts == 0 && version == "HTTP/1.1")) {
        return std::pair{400, QByteArray(hosts ? "más de un Host" : "petición HTTP/1.1 sin Host")};
    }
    return std::nullopt;
}

std::string segmento(const std::string& cp1252) {
    return render::codificarUrl(store::cp1252AUtf8(cp1252));
}

Destino destinoDe(const QByteArray& ruta) {
    Destino d;
    if (ruta == "/") {
        d.pagina = Destino::Pagina::Portada;
        return d;
    }
    if (ruta == "/recursos/estilo.css" || ruta == "/recursos/lumbre.js") {
        d.pagina = ruta.endsWith(".css") ? Destino::Pagina::Estilo : Destino::Pagina::Guion;
        return d;
    }
    const QList<QByteArray> partes = ruta.mid(1).split('/');
    if (!ruta.startsWith('/') || partes.size() < 2 || partes[0] != "e") {
        d.nota = "no existe esa página";
        return d;
    }
    d.id = partes[1];
    if (partes.size() == 2) {
        d.pagina = Destino::Pagina::SinBarra;
        return d;
    }
    std::vector<std::string> nombres;
    for (qsizetype i = 2; i < partes.size(); ++i) {
        auto n = nombreDeSegmento(partes[i], &d.nota);
        if (!n) {
            return d;
        }
        nombres.push_back(std::move(*n));
    }
    if (nombres.size() == 1) {
        static const std::pair<const char*, Destino::Pagina> paginas[] = {{"", Destino::Pagina::Lista},
                                                                          {"buscar", Destino::Pagina::Buscar},
                                                                          {"titulos", Destino::Pagina::Titulos},
                                                                          {"diccionario", Destino::Pagina::Diccionario},
                                                                          {"icono", Destino::Pagina::Icono}};
        for (const auto& [nombre, pagina] : paginas) {
            if (nombres[0] == nombre) {
                d.pagina = pagina;
                return d;
            }
        }
    } else if (nombres.size() == 2 && (nombres[0] == "a" || nombres[0] == "img")) {
        d.pagina = nombres[0] == "a" ? Destino::Pagina::Articulo : Destino::Pagina::Imagen;
        d.nombre = std::move(nombres[1]);
        return d;
    }
    d.nota = "no existe esa página";
    return d;
}

bool bloquea(const Destino& d) {
    switch (d.pagina) {
    case Destino::Pagina::Buscar:
    case Destino::Pagina::Diccionario:
    case Destino::Pagina::Icono:
        return true;
    case Destino::Pagina::Imagen:
        return seSirveComoPng(d.nombre);
    default:
        return false;
    }
}

} // namespace server

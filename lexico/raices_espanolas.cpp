#include "lexico/raices_espanolas.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <hunspell/hunspell.hxx>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace lexico {

namespace {

struct Diccionario {
    std::mutex mutex; // one Hunspell object is not to be used by two threads at once
    std::unique_ptr<Hunspell> hunspell;
    QStringConverter::Encoding codificacion = QStringConverter::Utf8;
};

// One per path, read on first use and kept for the run: the first callers wait while it is read, and all see it
// whole.
Diccionario* diccionario(const std::string& base) {
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<Diccionario>> leidos;
    std::lock_guard bloqueo(mutex);
    auto& d = leidos[base];
    if (!d) {
        d = std::make_unique<Diccionario>();
        auto hunspell = std::make_unique<Hunspell>((base + ".aff").c_str(), (base + ".dic").c_str());
        // The dictionary declares its encoding (SET in the .aff); one that Qt cannot convert is not used.
        const auto codificacion = QStringConverter::encodingForName(hunspell->get_dict_encoding().c_str());
        if (codificacion) {
            d->hunspell = std::move(hunspell);
            d->codificacion = *codificacion;
        }
    }
    return d->hunspell ? d.get() : nullptr;
}

} // namespace

bool esDiccionario(const std::string& base) {
    std::error_code e;
    return std::filesystem::is_regular_file(base + ".aff", e) && std::filesystem::is_regular_file(base + ".dic", e);
}

std::string rutaDiccionario() {
    if (const char* propia = std::getenv("LUMBRE_HUNSPELL_ES"); propia && *propia) {
        return esDiccionario(propia) ? std::string(propia) : std::string();
    }
    for (const char* base : {"/usr/share/hunspell/es_ES", "/usr/share/hunspell/es", "/usr/share/myspell/es_ES",
                             "/usr/share/myspell/dicts/es_ES"}) {
        if (esDiccionario(base)) {
            return base;
        }
    }
    return {};
}

QStringList de(const QString& palabra) {
    const std::string base = rutaDiccionario();
    Diccionario* d = base.empty() ? nullptr : diccionario(base);
    if (!d || palabra.isEmpty()) {
        return {};
    }
    QStringEncoder codificar(d->codificacion);
    const QByteArray bytes = codificar(palabra);
    if (codificar.hasError()) {
        return {};
    }
    std::vector<std::string> halladas;
    {
        std::lock_guard bloqueo(d->mutex);
        halladas = d->hunspell->stem(bytes.toStdString());
    }
    QStringList raices;
    for (const std::string& raiz : halladas) {
        QStringDecoder decodificar(d->codificacion);
        const QString texto = decodificar(QByteArray::fromStdString(raiz));
        if (!decodificar.hasError() && !texto.isEmpty() && texto.compare(palabra, Qt::CaseInsensitive) != 0 &&
            !raices.contains(texto)) {
            raices << texto;
        }
    }
    return raices;
}

} // namespace lexico

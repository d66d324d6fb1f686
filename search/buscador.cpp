#include "search/buscador.h"

#include "search/consulta.h"
#include "search/documento.h"
#include "search/formas.h"
#include "search/indice.h"
#include "search/pasaje.h"
#include "store/articulo.h"
#include "store/codificacion.h"
#include "store/rutas.h"

#include <xapian.h>

#include <fstream>
#include <iterator>
#include <optional>

namespace search {

namespace {

// How much more a word weighs in the title than in the body.
constexpr double kPesoTitulo = 4.0;
// Matches are counted one by one up to this many; beyond it the count is an estimate, so that a word
// found in most of a large encyclopaedia is not weighed in every article just to count them.
constexpr Xapian::doccount kContarHasta = 1000;

Xapian::Query alguna(const std::vector<std::string>& terminos) {
    return Xapian::Query(Xapian::Query::OP_OR, terminos.begin(), terminos.end());
}

struct Armada {
    Xapian::Query consulta;
    bool vacia = true;
};

// The query's elements as far as the bounds allow, in the order typed; `recortada` when some were left out.
std::vector<Elemento> acotar(std::vector<Elemento> elementos, const Cotas& cotas, bool* recortada) {
    std::vector<Elemento> dentro;
    std::size_t terminos = 0;
    std::size_t prefijos = 0;
    for (Elemento& e : elementos) {
        const std::size_t cuesta = e.tipo == Elemento::Tipo::Frase ? e.palabras.size() : 1;
        const bool prefijo = e.tipo == Elemento::Tipo::Prefijo;
        if (terminos + cuesta > cotas.terminos || (prefijo && prefijos + 1 > cotas.prefijos)) {
            *recortada = true;
            continue;
        }
        terminos += cuesta;
        prefijos += prefijo ? 1 : 0;
        dentro.push_back(std::move(e));
    }
    return dentro;
}

Armada armar(const std::vector<Elemento>& elementos, Formas& formas, Xapian::termcount expansion) {
    std::vector<Xapian::Query> todas;
    std::vector<std::string> enTitulo;
    auto alTitulo = [&](const std::vector<std::string>& raices) {
        for (const std::string& r : raices) {
            enTitulo.push_back(std::string(kPrefijoTitulo) + r.substr(kPrefijoRaiz.size()));
        }
    };
    for (const Elemento& e : elementos) {
        switch (e.tipo) {
        case Elemento::Tipo::Palabra: {
            const std::vector<std::string> raices = formas.raices(e.palabras.front());
            todas.push_back(alguna(raices));
            alTitulo(raices);
            break;
        }
        case Elemento::Tipo::Frase: {
            std::vector<std::string> propias;
            for (const std::string& p : e.palabras) {
                const std::vector<std::string>& raices = formas.raices(p);
                propias.push_back(raices.front());
                alTitulo(raices);
            }
            todas.emplace_back(Xapian::Query::OP_PHRASE, propias.begin(), propias.end(),
                               static_cast<Xapian::termcount>(propias.size()));
            break;
        }
        case Elemento::Tipo::Prefijo: {
            std::vector<Xapian::Query> comodines;
            for (const std::string& p : prefijosDeRaiz(e.palabras.front(), formas)) {
                comodines.emplace_back(Xapian::Query::OP_WILDCARD, p, expansion,
                                       Xapian::Query::WILDCARD_LIMIT_MOST_FREQUENT);
            }
            todas.emplace_back(Xapian::Query::OP_OR, comodines.begin(), comodines.end());
            break;
        }
        }
    }
    if (todas.empty()) {
        return {};
    }
    Xapian::Query q(Xapian::Query::OP_AND, todas.begin(), todas.end());
    if (!enTitulo.empty()) {
        q = Xapian::Query(Xapian::Query::OP_AND_MAYBE, q,
                          Xapian::Query(Xapian::Query::OP_SCALE_WEIGHT, alguna(enTitulo), kPesoTitulo));
    }
    return {q, false};
}

} // namespace

struct Buscador::Datos {
    std::string directorio;
    std::string ruta;
    std::optional<Xapian::Database> db;
    Formas formas;

    std::string partes; // the index's stub file, naming its parts, when db was opened

    // The index as last committed, or nothing while there is none.
    Xapian::Database* abierta() {
        std::string ahora;
        {
            std::ifstream stub(ruta + "/" + kStub, std::ios::binary);
            ahora.assign(std::istreambuf_iterator<char>(stub), std::istreambuf_iterator<char>());
        }
        if (db && ahora != partes) {
            db.reset(); // parts were added, or the index was made anew: opened afresh
        }
        try {
            if (db) {
                db->reopen();
            } else {
                partes = std::move(ahora);
                db.emplace(ruta);
            }
            if (db->get_metadata(kMetaFormato) != kFormato) {
                db.reset(); // being rebuilt, or not built yet
            }
        } catch (const Xapian::DatabaseNotFoundError&) {
            db.reset();
        } catch (const Xapian::DatabaseOpeningError&) {
            db.reset();
        }
        return db ? &*db : nullptr;
    }

    Resultados buscar(const std::vector<Elemento>& elementos, std::size_t desde, std::size_t maximo, const Cotas& cotas,
                      bool recortada) {
        Resultados r;
        r.recortada = recortada;
        const Armada armada = armar(elementos, formas, static_cast<Xapian::termcount>(std::max(1u, cotas.expansion)));
        if (armada.vacia) {
            return r;
        }
        Xapian::Database* base = abierta();
        if (!base) {
            return r;
        }
        Xapian::Enquire enquire(*base);
        enquire.set_query(armada.consulta);
        if (cotas.segundos > 0) {
            enquire.set_time_limit(cotas.segundos);
        }
        const Xapian::MSet mset =
            enquire.get_mset(static_cast<Xapian::doccount>(desde), static_cast<Xapian::doccount>(maximo),
                             static_cast<Xapian::doccount>(desde) + kContarHasta);
        r.encontrados = mset.get_matches_estimated();
        r.exacto = mset.get_matches_lower_bound() == mset.get_matches_upper_bound();
        for (auto m = mset.begin(); m != mset.end(); ++m) {
            const Xapian::Document doc = m.get_document();
            Acierto a;
            a.nombre = doc.get_value(kValorNombre);
            a.titulo = store::cp1252AUtf8(doc.get_data());
            // The passage comes from the article as it is now; one that cannot be read has none.
            if (const auto articulo = store::leerArticuloDentro(directorio, store::unir(directorio, a.nombre))) {
                a.pasaje = pasaje(articulo->cuerpo, elementos, formas);
            }
            r.aciertos.push_back(std::move(a));
        }
        return r;
    }
};

Buscador::Buscador(std::string directorio) : d_(std::make_unique<Datos>()) {
    d_->ruta = rutaIndice(directorio).string();
    d_->directorio = std::move(directorio);
}

Buscador::~Buscador() = default;

Resultados Buscador::buscar(std::string_view consulta, std::size_t maximo) {
    return buscar(consulta, 0, maximo, Cotas{});
}

Resultados Buscador::buscar(std::string_view consulta, std::size_t desde, std::size_t cuantos, const Cotas& cotas) {
    bool recortada = false;
    const std::vector<Elemento> elementos = acotar(analizarConsulta(consulta), cotas, &recortada);
    for (int intento = 0;; ++intento) {
        try {
            return d_->buscar(elementos, desde, cuantos, cotas, recortada);
        } catch (const Xapian::DatabaseModifiedError&) {
            // Committed over while read: read the newer revision, or give up after a few tries.
            if (intento >= 3) {
                return {};
            }
        } catch (const Xapian::Error&) {
            // Opened afresh once (it may have been rebuilt meanwhile); failing again, it is damaged.
            d_->db.reset();
            if (intento >= 1) {
                Resultados r;
                r.danado = true;
                return r;
            }
        }
    }
}

} // namespace search

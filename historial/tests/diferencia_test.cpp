#include "historial/diferencia.h"

#include <gtest/gtest.h>

using historial::Trozo;

namespace {

// The difference written with [-removed-] and {+added+}, as git's word diff writes it.
std::string marcado(const std::vector<Trozo>& trozos) {
    std::string s;
    for (const Trozo& t : trozos) {
        s += t.tipo == Trozo::Tipo::Igual     ? t.texto
             : t.tipo == Trozo::Tipo::Quitado ? "[-" + t.texto + "-]"
                                              : "{+" + t.texto + "+}";
    }
    return s;
}

TEST(Diferencia, wordsKeepTheirAccents_linesAndEndsToo) {
    struct Caso {
        std::string antes, despues, esperado;
    };
    const std::vector<Caso> casos = {
        {"El planeta rojo, año tras año.", "El planeta rojizo, año tras año y más.",
         "El planeta [-rojo-]{+rojizo+}, año tras año{+ y más+}."},
        {"Canción de cuna", "Canción de cunas", "Canción de [-cuna-]{+cunas+}"},
        {"Una línea\nOtra línea\n", "Una línea\nOtra\n", "Una línea\nOtra[- línea-]\n"},
        {"", "Nuevo", "{+Nuevo+}"},
        {"Viejo", "", "[-Viejo-]"},
        {"Igual", "Igual", "Igual"},
        {"añadido al principio", "Ñandú añadido al principio", "{+Ñandú +}añadido al principio"},
    };
    for (const Caso& c : casos) {
        EXPECT_EQ(marcado(historial::diferenciaPorPalabras(c.antes, c.despues)), c.esperado) << c.antes;
    }
}

} // namespace

#pragma once

// The benchmark's harness: measures register themselves, the runner times them and prints one line each.
//
// A ratio measure compares ours with a floor measured in the same run, interleaved round by round so that
// a busy machine slows both alike; its target is the largest ratio allowed. An absolute measure compares
// ours with a fixed limit in its own unit.

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace bench {

enum class Tipo { Razon, Absoluto };

struct Resultado {
    double nuestro = 0; // ours, in `unidad`
    double suelo = 0;   // the floor, same unit (unused for absolute measures)
    std::string unidad = "s";
    std::string nota = {}; // said after the line, e.g. the peak memory of a long measure
};

struct Medida {
    std::string nombre;
    Tipo tipo = Tipo::Razon;
    double objetivo = 0; // the largest ratio (Razon) or value (Absoluto) that meets the target
    std::function<Resultado()> medir;
    bool millon = false; // run only by lumbre-bench --millon DIR, over the store kept in DIR
};

bool registrar(Medida medida);
const std::vector<Medida>& medidas();

// Seconds taken by one call of `f`.
double segundos(const std::function<void()>& f);
double mediana(std::vector<double> valores);

// Runs one warm-up of each, then `rondas` rounds of ours then floor; returns the medians in seconds.
Resultado intercalar(int rondas, const std::function<void()>& nuestro, const std::function<void()>& suelo);

// A mode in which lumbre-bench, started again as `lumbre-bench --medir <nombre> [argumentos...]`, measures in
// a fresh process of its own (start-up, memory) and prints what it found on standard output instead of
// running the measures. Returns the program's exit code.
using ModoHijo = std::function<int(const std::vector<std::string>& argumentos)>;
bool registrarModoHijo(std::string nombre, ModoHijo modo);
const ModoHijo* modoHijo(const std::string& nombre);

// Peak resident memory of this process so far, in bytes (VmHWM), and a way to reset it (Linux).
double memoriaPico();
void reiniciarMemoriaPico();

// The memory of this process that no file backs (RssAnon: its heap and stacks, not the pages of a file it maps
// and reads, which the system may drop at any time), sampled every 10 ms while it lives; pico() is the largest
// sample, in bytes.
class MemoriaAnonima {
public:
    MemoriaAnonima();
    ~MemoriaAnonima();
    MemoriaAnonima(const MemoriaAnonima&) = delete;
    MemoriaAnonima& operator=(const MemoriaAnonima&) = delete;
    double pico() const;
    static double ahora();

private:
    struct Estado;
    std::unique_ptr<Estado> estado_;
};

} // namespace bench

#define LUMBRE_MEDIDA_CONCAT2(a, b) a##b
#define LUMBRE_MEDIDA_CONCAT(a, b) LUMBRE_MEDIDA_CONCAT2(a, b)
// LUMBRE_MEDIDA("listing_100k", bench::Tipo::Razon, 1.3, [] { ...; return bench::Resultado{...}; });
#define LUMBRE_MEDIDA(nombre, tipo, objetivo, funcion)                                                                 \
    static const bool LUMBRE_MEDIDA_CONCAT(registrada_, __LINE__) =                                                    \
        bench::registrar(bench::Medida{nombre, tipo, objetivo, funcion})
// The same for a measure of the million-article store (lumbre-bench --millon DIR).
#define LUMBRE_MEDIDA_MILLON(nombre, tipo, objetivo, funcion)                                                          \
    static const bool LUMBRE_MEDIDA_CONCAT(registrada_, __LINE__) =                                                    \
        bench::registrar(bench::Medida{nombre, tipo, objetivo, funcion, true})

#include "measure.h"

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <map>
#include <sstream>
#include <string_view>
#include <thread>

namespace bench {

namespace {

std::vector<Medida>& registro() {
    static std::vector<Medida> todas;
    return todas;
}

std::map<std::string, ModoHijo>& modos() {
    static std::map<std::string, ModoHijo> todos;
    return todos;
}

} // namespace

bool registrarModoHijo(std::string nombre, ModoHijo modo) {
    modos()[std::move(nombre)] = std::move(modo);
    return true;
}

const ModoHijo* modoHijo(const std::string& nombre) {
    const auto it = modos().find(nombre);
    return it == modos().end() ? nullptr : &it->second;
}

bool registrar(Medida medida) {
    registro().push_back(std::move(medida));
    return true;
}

const std::vector<Medida>& medidas() {
    return registro();
}

double segundos(const std::function<void()>& f) {
    const auto inicio = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
}

double mediana(std::vector<double> valores) {
    if (valores.empty()) {
        return 0;
    }
    std::sort(valores.begin(), valores.end());
    const std::size_t m = valores.size() / 2;
    return valores.size() % 2 ? valores[m] : (valores[m - 1] + valores[m]) / 2;
}

Resultado intercalar(int rondas, const std::function<void()>& nuestro, const std::function<void()>& suelo) {
    nuestro();
    suelo();
    std::vector<double> a, b;
    for (int i = 0; i < rondas; ++i) {
        a.push_back(segundos(nuestro));
        b.push_back(segundos(suelo));
    }
    return Resultado{mediana(a), mediana(b), "s"};
}

namespace {

// A size of /proc/self/status ("VmHWM:", "RssAnon:"...), in bytes; 0 when missing.
double campoDeEstado(std::string_view campo) {
    std::ifstream status("/proc/self/status");
    std::string linea;
    while (std::getline(status, linea)) {
        if (linea.rfind(campo, 0) == 0) {
            std::istringstream campos(linea.substr(campo.size()));
            double kb = 0;
            campos >> kb;
            return kb * 1024;
        }
    }
    return 0;
}

} // namespace

double memoriaPico() {
    return campoDeEstado("VmHWM:");
}

double MemoriaAnonima::ahora() {
    return campoDeEstado("RssAnon:");
}

struct MemoriaAnonima::Estado {
    std::atomic<bool> parar{false};
    std::atomic<double> pico{0};
    std::thread hilo;
};

MemoriaAnonima::MemoriaAnonima() : estado_(std::make_unique<Estado>()) {
    estado_->pico = ahora();
    estado_->hilo = std::thread([e = estado_.get()] {
        while (!e->parar.load()) {
            const double m = ahora();
            if (m > e->pico.load()) {
                e->pico = m;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
}

MemoriaAnonima::~MemoriaAnonima() {
    estado_->parar = true;
    estado_->hilo.join();
}

double MemoriaAnonima::pico() const {
    return std::max(estado_->pico.load(), ahora());
}

void reiniciarMemoriaPico() {
    // What the process freed before goes back to the system first, so that the peak counts what follows.
    ::malloc_trim(0);
    // Writing 5 to clear_refs resets the peak resident size (Linux 4.0 and later).
    std::ofstream("/proc/self/clear_refs") << "5";
}

} // namespace bench

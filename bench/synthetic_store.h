#pragma once

// Synthetic encyclopaedias for the benchmark, written once per size into a temporary drive root.
//
// Each one has a data root C:\BENCH with its registry, and the encyclopaedia C:\BENCH\T<n> holding n
// articles of about 4 KB of Spanish-like Windows-1252 text (a title line and two illustration lines each),
// COMPLETA.DAT listing them all, and three lists of half the articles each (LISTA1..3.DAT, named in
// LISTAS.DAT), where half of the list entries are spelled in another letter case than the files on disk.
// The registry's current encyclopaedia is the one last asked for.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace bench {

struct AlmacenSintetico {
    std::filesystem::path unidades;   // the drive root ($LUMBRE_UNIDADES), c/ is drive C
    std::string directorio;           // the encyclopaedia as the store names it, "C:\BENCH\T100000"
    std::filesystem::path nativo;     // the same directory on disk
    std::vector<std::string> nombres; // article file names, COMPLETA.DAT's order
    std::vector<std::string> titulos; // their titles, same order
    std::vector<std::string> listas;  // the three list file names; LISTAS.DAT names them without ".DAT"
    std::size_t bytesNombresYTitulos = 0;
};

// The store of `articulos` articles (0 gives an empty encyclopaedia), made on first use, and made the
// current encyclopaedia. Sets LUMBRE_UNIDADES for this process. The temporary root is removed at exit.
const AlmacenSintetico& almacen(int articulos);

// Spanish-like text of about `bytes` bytes in Windows-1252 (accents, ñ, ü), CR LF line ends; the same
// `semilla` gives the same text.
std::string textoEspanol(std::size_t bytes, unsigned semilla);

// Writes `bytes` to a native path, creating the directories; false on failure.
bool escribirArchivo(const std::filesystem::path& ruta, const std::string& bytes);

} // namespace bench

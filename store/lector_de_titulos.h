#pragma once

// Titles of many articles of one encyclopaedia directory, read as fast as the files can be opened.
//
// A listing makes one reader for its directory: the directory is found on disk once and kept open, and each
// article is opened relative to it (one openat, one fstat, one read into a buffer that the reader keeps, one
// close). A name whose exact spelling is not on disk is matched without regard to letter case through the
// directory's case index, taken once per reader at the first such name and looked up first from then on, so
// that later such names cost no failed open; a list that spells every name as it is on disk never lists the directory.
// Each line is classified by its first bytes only; nothing is allocated per line. A reader is used by one thread
// at a time; several threads may each use their own.

#include "cache_de_titulos.h"
#include "resultado.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace store {

namespace detail {
class IndiceDeNombres;
}

class LectorTitulos {
public:
    // `directorio` as the store names it ("C:\ENC\SOLAR"). A directory that is missing is not an error
    // here: each title asked for then fails as its file would.
    explicit LectorTitulos(std::string directorio);
    ~LectorTitulos();
    LectorTitulos(const LectorTitulos&) = delete;
    LectorTitulos& operator=(const LectorTitulos&) = delete;

    // The title of the article `nombre` (as a list gives it) of the directory: the value of its last title
    // line, or empty. Fails, naming directorio + "\" + nombre, when the name may not be used inside the
    // directory, the file is missing, is not a regular file (a FIFO is never waited on) or is larger than
    // an article may be.
    Resultado<std::string> titulo(std::string_view nombre);
    // The size, time and inode of the file the last successful titulo() read.
    const Sello& ultimoSello() const { return sello_; }

    // Looks at the article's file without opening it (fstatat relative to the directory, the name found as
    // titulo() finds it): its size, time and inode, or nothing when it is missing, is not a regular file or
    // cannot be looked at here (titulo() then says why).
    std::optional<Sello> sello(std::string_view nombre);

private:
    Resultado<std::string> tituloPorRuta(std::string_view nombre);
    Resultado<std::string> leerAbierto(int fd, std::string_view nombre);

    std::string directorio_;
    int dirfd_ = -1;
    std::filesystem::path nativoDirectorio_;
    std::shared_ptr<const detail::IndiceDeNombres> indice_; // taken once, at the first name missing as spelled
    std::string nativo_;                                    // the name being opened, UTF-8; kept to reuse its storage
    std::string clave_;                                     // its case-index key
    std::string bufer_;                                     // the file being read
    Sello sello_;
};

} // namespace store

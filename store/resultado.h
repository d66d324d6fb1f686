#pragma once

#include <string>
#include <utility>
#include <variant>

namespace store {

// What went wrong, independent of the operating system's error numbers.
enum class Causa {
    NoEncontrado,     // the file does not exist
    RutaNoEncontrada, // a directory on the way does not exist
    YaExiste,         // the directory or file to create exists already
    AccesoDenegado,   // permissions, or a directory where a file was expected
    DiscoLleno,       // no space left, or the file-size limit was reached
    NoEsNumero,       // a colour line that does not hold a 32-bit integer
    SinLineas,        // a file that must hold a line holds none (or too few)
    NombreNoValido,   // a name that is empty, holds a separator, climbs out with "..", or is absolute
    NoRepresentable,  // text that Windows-1252 cannot hold
    DemasiadoGrande,  // a file beyond the size limit of its kind, refused unread
    Otro,
};

// A failed store operation: the operation, the path as typed (Windows-1252 bytes) and the cause.
// Nothing in the store ends the process; every operation reports its failure through this type.
struct Error {
    std::string operacion; // Spanish verb phrase with its object: "leer el archivo", "crear el directorio"
    std::string ruta;      // as typed, Windows-1252
    Causa causa = Causa::Otro;
    std::string detalle; // optional extra words (Windows-1252), e.g. the offending line or characters

    // A Spanish sentence for a message box, in Windows-1252, naming the file and the cause.
    std::string mensaje() const;
};

// Either a value or an Error. Small on purpose: the store needs no more than this.
template <class T> class [[nodiscard]] Resultado {
public:
    Resultado(T valor) : v_(std::move(valor)) {}
    Resultado(Error error) : v_(std::move(error)) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& valor() & { return std::get<0>(v_); }
    const T& valor() const& { return std::get<0>(v_); }
    T&& valor() && { return std::get<0>(std::move(v_)); }
    T& operator*() & { return valor(); }
    const T& operator*() const& { return valor(); }
    T* operator->() { return &valor(); }
    const T* operator->() const { return &valor(); }
    const Error& error() const { return std::get<1>(v_); }

private:
    std::variant<T, Error> v_;
};

template <> class [[nodiscard]] Resultado<void> {
public:
    Resultado() = default;
    Resultado(Error error) : error_(std::move(error)), ok_(false) {}

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    const Error& error() const { return error_; }

private:
    Error error_;
    bool ok_ = true;
};

using Estado = Resultado<void>;

} // namespace store

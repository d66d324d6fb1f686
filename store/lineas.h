#pragma once

// The lines of a text file, held in one byte buffer with the end of each line beside it: a line costs its
// bytes and four more, so ten million empty lines take forty megabytes, not ten million strings. Lines are
// read as std::string_view into the buffer (valid until the next change); they are added, never changed.

#include <algorithm>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace store {

// Asks the kernel to back a large buffer that nothing has touched yet with huge pages, so that filling it
// takes a fault per two megabytes rather than one per four kilobytes. Only a hint: where huge pages are not
// to be had, or the buffer is small, nothing changes.
void paginasGrandes(const void* datos, std::size_t bytes);

// Calls porLinea(std::string_view) with each line of `bytes`, as views into them: CR ends a line and a following
// LF is dropped (a lone LF is an ordinary byte); a last line without an ending is still a line; zero bytes give
// no line.
template <typename F> void porCadaLinea(std::string_view bytes, F&& porLinea) {
    const char* i = bytes.data();
    const char* const fin = bytes.data() + bytes.size();
    while (i < fin) {
        // A short line's end is found byte by byte, a long one's by memchr.
        const char* hasta = i;
        const char* const corto = std::min(fin, i + 16);
        while (hasta < corto && *hasta != '\r')
            ++hasta;
        if (hasta == corto && hasta < fin) {
            const void* cr = std::memchr(hasta, '\r', static_cast<std::size_t>(fin - hasta));
            hasta = cr ? static_cast<const char*>(cr) : fin;
        }
        porLinea(std::string_view(i, static_cast<std::size_t>(hasta - i)));
        if (hasta == fin)
            return;
        i = hasta + 1;
        if (i < fin && *i == '\n')
            ++i;
    }
}

class Lineas {
public:
    using value_type = std::string_view;
    using size_type = std::size_t;
    using difference_type = std::ptrdiff_t;
    using reference = std::string_view;
    using const_reference = std::string_view;

    class const_iterator {
    public:
        using iterator_concept = std::random_access_iterator_tag;
        using iterator_category = std::random_access_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using reference = std::string_view;
        using pointer = void;

        const_iterator() = default;
        const_iterator(const Lineas* lineas, std::size_t i) : lineas_(lineas), i_(i) {}
        std::string_view operator*() const { return (*lineas_)[i_]; }
        std::string_view operator[](difference_type n) const { return (*lineas_)[desplazado(n)]; }
        const_iterator& operator++() {
            ++i_;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator antes = *this;
            ++i_;
            return antes;
        }
        const_iterator& operator--() {
            --i_;
            return *this;
        }
        const_iterator operator--(int) {
            const_iterator antes = *this;
            --i_;
            return antes;
        }
        const_iterator& operator+=(difference_type n) {
            i_ = desplazado(n);
            return *this;
        }
        const_iterator& operator-=(difference_type n) { return *this += -n; }
        friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
        friend const_iterator operator+(difference_type n, const_iterator it) { return it += n; }
        friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
            return static_cast<difference_type>(a.i_) - static_cast<difference_type>(b.i_);
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.i_ == b.i_; }
        friend std::strong_ordering operator<=>(const const_iterator& a, const const_iterator& b) {
            return a.i_ <=> b.i_;
        }

    private:
        std::size_t desplazado(difference_type n) const {
            return static_cast<std::size_t>(static_cast<difference_type>(i_) + n);
        }
        const Lineas* lineas_ = nullptr;
        std::size_t i_ = 0;
    };
    using iterator = const_iterator;

    Lineas() = default;
    Lineas(std::initializer_list<std::string_view> lineas);
    Lineas(const Lineas&) = default;
    Lineas(Lineas&&) noexcept = default;
    Lineas& operator=(const Lineas&) = default;
    // Takes the other's lines and leaves it this one's, so that `lineas = Lineas()` frees what they held (a
    // string moved from a short one would keep its room).
    Lineas& operator=(Lineas&& otra) noexcept {
        texto_.swap(otra.texto_);
        fines_.swap(otra.fines_);
        return *this;
    }
    // The lines of a file's bytes: CR ends a line and a following LF is dropped (see archivo_de_texto.h).
    static Lineas partir(std::string_view bytes);
    // From any range of lines (std::string, std::string_view, const char*).
    template <typename It> Lineas(It primera, It ultima) {
        for (; primera != ultima; ++primera)
            push_back(std::string_view(*primera));
    }

    std::size_t size() const { return fines_.size(); }
    bool empty() const { return fines_.empty(); }
    std::string_view operator[](std::size_t i) const {
        const std::uint32_t inicio = i == 0 ? 0 : fines_[i - 1];
        return std::string_view(texto_.data() + inicio, fines_[i] - inicio);
    }
    std::string_view front() const { return (*this)[0]; }
    std::string_view back() const { return (*this)[size() - 1]; }
    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, size()); }

    // Adds a line at the end. Lines hold at most 4 GiB in all (std::length_error beyond; every file the
    // store reads is far smaller).
    void push_back(std::string_view linea);
    void emplace_back(std::string_view linea) { push_back(linea); }
    // Adds every line of `otras` at the end.
    void agregar(const Lineas& otras);
    // Room for `lineas` more lines holding `bytes` more bytes, so that building reserves once.
    void reserve(std::size_t lineas, std::size_t bytes = 0);
    void clear();

    // Bytes of all the lines together (line ends are not stored).
    std::size_t bytesDeTexto() const { return texto_.size(); }
    // The memory the object holds, itself included.
    std::size_t memoriaOcupada() const { return sizeof(*this) + texto_.capacity() + fines_.capacity() * 4; }

    friend bool operator==(const Lineas& a, const Lineas& b) { return a.fines_ == b.fines_ && a.texto_ == b.texto_; }

private:
    std::string texto_;                // every line's bytes, one after another
    std::vector<std::uint32_t> fines_; // where each line ends in texto_; it starts where the one before ends
};

} // namespace store

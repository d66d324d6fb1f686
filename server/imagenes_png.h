#pragma once

// BMP, ICO and TIFF pictures as PNG for the browsers, converted as the exports convert them, by the helper
// program tomo-servidor-imagen (the server links no image library of the toolkit): once per file as it is
// (device, inode, size, time), kept up to a bound, the least recently asked for dropped first. A picture that
// cannot be converted is remembered too, and served as it is.

#include <QByteArray>

#include <sys/stat.h>

#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace server {

class ImagenesPng {
public:
    // `convertidor`: the helper's path; empty, none (every picture is served as it is).
    explicit ImagenesPng(std::string convertidor, std::size_t maximo = 64u << 20);

    // The PNG of the picture open at `fd` (`st` its fstat), or nothing when it cannot be converted.
    std::shared_ptr<const QByteArray> png(int fd, const struct stat& st);

private:
    std::shared_ptr<const QByteArray> convertir(int fd, std::int64_t tamano) const;

    std::string convertidor_;
    std::size_t maximo_;
    std::mutex mutex_;     // the cache
    std::mutex convertir_; // one conversion at a time
    std::list<std::string> orden_;
    struct Hecha {
        std::shared_ptr<const QByteArray> png; // null: could not be converted
        std::list<std::string>::iterator lugar;
    };
    std::unordered_map<std::string, Hecha> hechas_;
    std::size_t bytes_ = 0;
};

} // namespace server

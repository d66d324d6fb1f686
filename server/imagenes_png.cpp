#include "server/imagenes_png.h"

#include <QProcess>

#include <unistd.h>

#include <cerrno>

namespace server {

namespace {

std::string claveDe(const struct stat& st) {
    return std::to_string(st.st_dev) + ':' + std::to_string(st.st_ino) + ':' + std::to_string(st.st_size) + ':' +
           std::to_string(st.st_mtim.tv_sec) + '.' + std::to_string(st.st_mtim.tv_nsec);
}

} // namespace

ImagenesPng::ImagenesPng(std::string convertidor, std::size_t maximo)
    : convertidor_(std::move(convertidor)), maximo_(maximo) {}

std::shared_ptr<const QByteArray> ImagenesPng::png(int fd, const struct stat& st) {
    if (convertidor_.empty()) {
        return nullptr;
    }
    const std::string clave = claveDe(st);
    {
        std::lock_guard b(mutex_);
        if (auto it = hechas_.find(clave); it != hechas_.end()) {
            orden_.splice(orden_.begin(), orden_, it->second.lugar);
            return it->second.png;
        }
    }
    std::lock_guard una(convertir_);
    {
        std::lock_guard b(mutex_);
        if (auto it = hechas_.find(clave); it != hechas_.end()) {
            return it->second.png; // converted while this one waited
        }
    }
    auto png = convertir(fd, static_cast<std::int64_t>(st.st_size));
    std::lock_guard b(mutex_);
    orden_.push_front(clave);
    hechas_.emplace(clave, Hecha{png, orden_.begin()});
    bytes_ += static_cast<std::size_t>(png ? png->size() : 0) + clave.size();
    while (bytes_ > maximo_ && orden_.size() > 1) {
        const auto viejo = hechas_.find(orden_.back());
        bytes_ -= static_cast<std::size_t>(viejo->second.png ? viejo->second.png->size() : 0) + viejo->first.size();
        hechas_.erase(viejo);
        orden_.pop_back();
    }
    return png;
}

std::shared_ptr<const QByteArray> ImagenesPng::convertir(int fd, std::int64_t tamano) const {
    QByteArray bytes(static_cast<qsizetype>(tamano), '\0');
    qsizetype leidos = 0;
    while (leidos < bytes.size()) {
        const ssize_t n = ::pread(fd, bytes.data() + leidos, static_cast<size_t>(bytes.size() - leidos), leidos);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return nullptr;
        }
        leidos += n;
    }
    QProcess p;
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(QString::fromStdString(convertidor_), {});
    if (!p.waitForStarted(5000)) {
        return nullptr;
    }
    p.write(bytes);
    p.closeWriteChannel();
    QByteArray salida;
    // Read as it comes, so that a large PNG never fills the pipe while this waits for the end.
    while (p.state() != QProcess::NotRunning && p.waitForReadyRead(10000)) {
        salida += p.readAllStandardOutput();
    }
    if (p.state() != QProcess::NotRunning && !p.waitForFinished(10000)) {
        p.kill();
        p.waitForFinished(1000);
        return nullptr;
    }
    salida += p.readAllStandardOutput();
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0 || !salida.startsWith("\x89PNG")) {
        return nullptr;
    }
    return std::make_shared<const QByteArray>(std::move(salida));
}

} // namespace server

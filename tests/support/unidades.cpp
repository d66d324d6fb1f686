#include "tests/support/unidades.h"

#include "store/rutas.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>

namespace prueba {

Unidades::Unidades() {
    habiaAnterior_ = qEnvironmentVariableIsSet("LUMBRE_UNIDADES");
    anterior_ = qgetenv("LUMBRE_UNIDADES");
    qputenv("LUMBRE_UNIDADES", dir_.path().toLocal8Bit());
    // Nor do the user's caches (the viewer's title cache, the search index).
    habiaCache_ = qEnvironmentVariableIsSet("XDG_CACHE_HOME");
    cacheAnterior_ = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", QDir(dir_.path()).filePath(QStringLiteral("cache")).toLocal8Bit());
    // The user's own settings (text size, window places) neither reach a test nor are changed by one.
    for (const auto formato : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings::setPath(formato, QSettings::UserScope, configuracion());
    }
}

QString Unidades::configuracion() const {
    return QDir(dir_.path()).filePath(QStringLiteral("configuracion"));
}

Unidades::~Unidades() {
    if (habiaCache_) {
        qputenv("XDG_CACHE_HOME", cacheAnterior_);
    } else {
        qunsetenv("XDG_CACHE_HOME");
    }
    if (habiaAnterior_) {
        qputenv("LUMBRE_UNIDADES", anterior_);
    } else {
        qunsetenv("LUMBRE_UNIDADES");
    }
}

QString Unidades::unidad(char letra) const {
    const QString d = QDir(dir_.path()).filePath(QString(QLatin1Char(letra)));
    QDir().mkpath(d);
    return d;
}

QString Unidades::nativa(const std::string& rutaAlmacen) const {
    return QString::fromStdString(store::aNativa(rutaAlmacen).string());
}

bool Unidades::instalarMuestras() {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("bash"), {QStringLiteral(LUMBRE_SOURCE_DIR "/tools/instalar-muestras.sh"), dir_.path()});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning().noquote() << "instalar-muestras.sh failed:" << p.readAll();
        return false;
    }
    return true;
}

QByteArray Unidades::bytes(const std::string& rutaAlmacen) const {
    QFile f(QString::fromStdString(store::resolver(rutaAlmacen).string()));
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    QByteArray b = f.readAll();
    if (b.isNull()) {
        b = QByteArray("");
    }
    return b;
}

bool Unidades::escribir(const std::string& rutaAlmacen, const QByteArray& contenido) const {
    const QString ruta = QString::fromStdString(store::resolver(rutaAlmacen).string());
    QDir().mkpath(QFileInfo(ruta).absolutePath());
    QFile f(ruta);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    const bool ok = f.write(contenido) == contenido.size();
    f.close();
    store::olvidarDirectorio(QFileInfo(ruta).absolutePath().toStdString());
    return ok;
}

} // namespace prueba

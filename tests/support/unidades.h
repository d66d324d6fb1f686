#pragma once

// A private drive root for one test: a temporary directory that LUMBRE_UNIDADES points at while the
// object lives, so "C:\LUMBRE\TOMOS.DAT" and every other stored path resolve inside it and no test ever
// touches the user's own store. The user's settings are redirected into it too.

#include <QString>
#include <QTemporaryDir>

#include <string>

namespace prueba {

class Unidades {
public:
    Unidades();
    ~Unidades();
    Unidades(const Unidades&) = delete;
    Unidades& operator=(const Unidades&) = delete;

    bool valida() const { return dir_.isValid(); }
    // The user's configuration directory while the object lives (QSettings' user scope), beside the drives.
    QString configuracion() const;
    // The native directory standing for drive `letra` (created on demand).
    QString unidad(char letra = 'c') const;
    // The native path of a stored path such as "C:\ENCICLO\ASTRO\COLOR.DAT".
    QString nativa(const std::string& rutaAlmacen) const;

    // Installs the bundled sample encyclopaedias with tools/instalar-muestras.sh: the registry, the data
    // root C:\ENCICLO and its encyclopaedias C:\ENCICLO\SOLAR (current) and C:\ENCICLO\RIOS. Returns false (and logs
    // why) when the script fails.
    bool instalarMuestras();

    // Raw bytes of a file given by its stored path, or a null QByteArray when it cannot be read.
    QByteArray bytes(const std::string& rutaAlmacen) const;
    // Writes raw bytes to a stored path, creating parent directories.
    bool escribir(const std::string& rutaAlmacen, const QByteArray& contenido) const;

private:
    QTemporaryDir dir_;
    QByteArray anterior_;
    bool habiaAnterior_ = false;
    QByteArray cacheAnterior_;
    bool habiaCache_ = false;
};

} // namespace prueba

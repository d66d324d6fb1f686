#pragma once

// What the export tests share: the editor's command line run with no display, a directory's fingerprint, the
// titles of an encyclopaedia's complete list.

#include "store/archivos_de_lista.h"
#include "store/codificacion.h"
#include "store/enciclopedia.h"
#include "store/lector_de_titulos.h"
#include "tests/support/teclas_y_huellas.h"
#include "tests/support/unidades.h"

#include <QDir>
#include <QDirIterator>
#include <QMap>
#include <QProcess>
#include <QStringList>

namespace prueba {

struct SalidaForja {
    int codigo = -1;
    QString errores;
};

// "forja ARGUMENTOS" with no display at all, on the drives of `u`.
inline SalidaForja forja(const QStringList& argumentos, const Unidades& u) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        env.remove(QString::fromLatin1(v));
    }
    env.insert(QStringLiteral("LUMBRE_UNIDADES"), u.unidad('c').section(QLatin1Char('/'), 0, -2));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(LUMBRE_FORJA), argumentos);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardError())};
}

// A program's exit code and everything it printed.
inline SalidaForja ejecutar(const QString& programa, const QStringList& argumentos, int segundos = 60) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(programa, argumentos);
    if (!p.waitForFinished(segundos * 1000)) {
        p.kill();
        p.waitForFinished();
        return {-1, QStringLiteral("%1 no terminó en %2 s").arg(programa).arg(segundos)};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAll())};
}

// Every entry below `raiz` (directories too) with the digest of each file.
inline QMap<QString, QByteArray> huella(const QString& raiz) {
    QMap<QString, QByteArray> h = huellas(raiz);
    QDirIterator it(raiz, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        h.insert(it.next(), h.value(it.filePath()));
    }
    return h;
}

inline QString q(const std::string& cp1252) {
    return QString::fromStdString(store::cp1252AUtf8(cp1252));
}

// The titles of the complete list, in order (an article without a title line, or missing, under its name).
inline QStringList titulosDeLaLista(const std::string& dir) {
    QStringList t;
    store::LectorTitulos lector(dir);
    const auto completa = store::leerCompleta(dir);
    if (!completa.ok()) {
        return t;
    }
    for (const std::string_view nombre : completa.valor()) {
        const auto titulo = lector.titulo(nombre);
        t << (titulo.ok() && !titulo.valor().empty() ? q(titulo.valor()) : q(std::string(nombre)));
    }
    return t;
}

} // namespace prueba

#include "editor/ortografia.h"

#include "lexico/raices_espanolas.h"

#include "store/archivo_de_texto.h"
#include "store/codificacion.h"
#include "store/diccionario.h"
#include "store/limites.h"
#include "store/rutas.h"
#include "ui/texto.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QSaveFile>
#include <QSettings>
#include <QThread>
#include <QTimer>

#include <hunspell/hunspell.hxx>

#include <cstdlib>
#include <filesystem>

namespace ortografia {

namespace {

QSettings ajustes() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("lumbre"),
                     QCoreApplication::applicationName().toLower());
}

bool letra(QChar c) {
    return c.isLetter() || c.isMark();
}

} // namespace

QList<Palabra> palabrasDe(QStringView texto) {
    QList<Palabra> palabras;
    const int n = static_cast<int>(texto.size());
    int i = 0;
    while (i < n) {
        if (!letra(texto[i]) && !texto[i].isDigit()) {
            ++i;
            continue;
        }
        const int inicio = i;
        bool cifra = false;
        while (i < n && (letra(texto[i]) || texto[i].isDigit())) {
            cifra = cifra || texto[i].isDigit();
            ++i;
        }
        // A letter alone is an initial or a unit (m, g, X) when it is not one of the words a, e, o, u, y.
        if (!cifra && i - inicio > 1) {
            palabras.append({inicio, i - inicio});
        }
    }
    return palabras;
}

Ortografia& Ortografia::compartida() {
    static Ortografia* una = [] {
        auto* o = new Ortografia(lexico::rutaDiccionario());
        // Ends with the program, so that its thread is stopped while everything it uses still exists.
        QObject::connect(QCoreApplication::instance(), &QObject::destroyed, [o] { delete o; });
        return o;
    }();
    return *una;
}

Ortografia::Ortografia(const std::string& diccionario, QObject* padre) : QObject(padre) {
    activa_ = ajustes().value(QStringLiteral("ortografia/activa"), true).toBool();
    QFile personal(rutaPersonal());
    if (personal.open(QIODevice::ReadOnly)) {
        for (const QByteArray& linea : personal.readAll().split('\n')) {
            const QString p = QString::fromUtf8(linea).trimmed();
            if (!p.isEmpty()) {
                personales_.insert(p.toLower());
            }
        }
    }
    disponible_ = !diccionario.empty() && lexico::esDiccionario(diccionario);
    hilo_ = new QThread;
    hilo_->setObjectName(QStringLiteral("ortografia"));
    trabajador_ = new QObject;
    trabajador_->moveToThread(hilo_);
    hilo_->start(QThread::LowPriority);
    if (disponible_) {
        // The dictionary takes a moment to read: the worker reads it, and words asked meanwhile wait for it.
        QMetaObject::invokeMethod(trabajador_, [this, diccionario] {
            QMutexLocker candado(&mutex_);
            hunspell_ = std::make_unique<Hunspell>((diccionario + ".aff").c_str(), (diccionario + ".dic").c_str());
            utf8_ = QString::fromStdString(hunspell_->get_dict_encoding())
                        .compare(QStringLiteral("UTF-8"), Qt::CaseInsensitive) == 0;
        });
    }
}

Ortografia::~Ortografia() {
    hilo_->quit();
    hilo_->wait();
    delete trabajador_;
    delete hilo_;
}

void Ortografia::activar(bool si) {
    if (si == activa_) {
        return;
    }
    activa_ = si;
    QSettings s = ajustes();
    s.setValue(QStringLiteral("ortografia/activa"), si);
    emit cambiada();
}

bool Ortografia::enListas(const QString& palabra) const {
    const QString minus = palabra.toLower();
    return personales_.contains(minus) || ignoradas_.contains(minus) || delTomo_.contains(palabra.toUpper());
}

Ortografia::Estado Ortografia::estado(const QString& palabra) {
    if (!disponible_ || enListas(palabra)) {
        return Estado::Conocida;
    }
    if (const auto it = sabidas_.constFind(palabra); it != sabidas_.constEnd()) {
        return *it ? Estado::Conocida : Estado::Desconocida;
    }
    if (!pedidas_.contains(palabra) && !porPedir_.contains(palabra)) {
        if (porPedir_.isEmpty()) {
            QTimer::singleShot(0, this, &Ortografia::enviar);
        }
        porPedir_.insert(palabra);
    }
    return Estado::Pendiente;
}

void Ortografia::enviar() {
    if (porPedir_.isEmpty()) {
        return;
    }
    const QStringList palabras(porPedir_.begin(), porPedir_.end());
    for (const QString& p : palabras) {
        pedidas_.insert(p);
    }
    porPedir_.clear();
    QMetaObject::invokeMethod(trabajador_, [this, palabras] {
        QHash<QString, bool> resultados;
        for (const QString& p : palabras) {
            resultados.insert(p, hunspellConoce(p));
        }
        QMetaObject::invokeMethod(
            this, [this, resultados] { recibir(resultados); }, Qt::QueuedConnection);
    });
}

void Ortografia::recibir(const QHash<QString, bool>& resultados) {
    for (auto it = resultados.begin(); it != resultados.end(); ++it) {
        sabidas_.insert(it.key(), it.value());
        pedidas_.remove(it.key());
    }
    emit cambiada();
}

bool Ortografia::hunspellConoce(const QString& palabra) {
    QMutexLocker candado(&mutex_);
    if (!hunspell_) {
        return true;
    }
    if (utf8_) {
        return hunspell_->spell(palabra.toStdString());
    }
    const QByteArray latin = palabra.toLatin1();
    return QString::fromLatin1(latin) != palabra || hunspell_->spell(latin.toStdString());
}

QStringList Ortografia::sugerencias(const QString& palabra) {
    QMutexLocker candado(&mutex_);
    QStringList r;
    if (!hunspell_) {
        return r;
    }
    for (const std::string& s : hunspell_->suggest(utf8_ ? palabra.toStdString() : palabra.toLatin1().toStdString())) {
        r << (utf8_ ? QString::fromStdString(s) : QString::fromLatin1(s.c_str()));
    }
    return r;
}

QString Ortografia::rutaPersonal() {
    return QFileInfo(ajustes().fileName()).absolutePath() + QStringLiteral("/diccionario-personal.txt");
}

bool Ortografia::agregarAlDiccionarioPersonal(const QString& palabra, QString* motivo) {
    if (palabra.isEmpty()) {
        return false;
    }
    QStringList palabras;
    QFile viejo(rutaPersonal());
    if (viejo.open(QIODevice::ReadOnly)) {
        palabras = QString::fromUtf8(viejo.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        viejo.close();
    }
    palabras << palabra;
    QDir().mkpath(QFileInfo(rutaPersonal()).absolutePath());
    QSaveFile archivo(rutaPersonal());
    if (!archivo.open(QIODevice::WriteOnly) || archivo.write(palabras.join(QLatin1Char('\n')).toUtf8() + '\n') < 0 ||
        !archivo.commit()) {
        if (motivo) {
            *motivo = QStringLiteral("No se pudo guardar el diccionario personal %1: %2")
                          .arg(QDir::toNativeSeparators(rutaPersonal()), archivo.errorString());
        }
        return false;
    }
    personales_.insert(palabra.toLower());
    emit cambiada();
    return true;
}

void Ortografia::ignorar(const QString& palabra) {
    ignoradas_.insert(palabra.toLower());
    emit cambiada();
}

void Ortografia::ponerTomo(const std::string& directorio) {
    if (directorio == tomo_) {
        return;
    }
    tomo_ = directorio;
    delTomo_.clear();
    QMetaObject::invokeMethod(trabajador_, [this, directorio] {
        QSet<QString> entradas;
        const auto lineas =
            store::leerLineasDentro(directorio, store::unir(directorio, "DICT.DAT"), store::kLimiteDiccionario);
        if (lineas) {
            for (const std::string_view linea : *lineas) {
                // The headword runs up to the spaces before its definition.
                std::size_t fin = linea.find("  ");
                if (fin == std::string_view::npos) {
                    fin = linea.find(' ');
                }
                const QString cabeza = ui::desdeStore(linea.substr(0, fin)).toUpper();
                for (const Palabra& p : palabrasDe(cabeza)) {
                    entradas.insert(cabeza.mid(p.inicio, p.largo));
                }
            }
        }
        QMetaObject::invokeMethod(
            this,
            [this, directorio, entradas] {
                if (directorio == tomo_) {
                    delTomo_ = entradas;
                    emit cambiada();
                }
            },
            Qt::QueuedConnection);
    });
}

} // namespace ortografia

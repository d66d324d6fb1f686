#include "publish/exportacion_aparte.h"

#include "store/codificacion.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

namespace publish {

namespace {

constexpr int kEsperaMs = 100;

// What the command line says on its error output, one line at a time (see orden_exportar.cpp).
class LectorDeSalida {
public:
    explicit LectorDeSalida(const AlAvanzar& alAvanzar) : alAvanzar_(alAvanzar) {}

    void leer(const QByteArray& bytes) {
        pendiente_ += bytes;
        qsizetype fin;
        while ((fin = pendiente_.indexOf('\n')) >= 0) {
            linea(QString::fromUtf8(pendiente_.left(fin)));
            pendiente_.remove(0, fin + 1);
        }
    }
    void terminar() {
        if (!pendiente_.isEmpty()) {
            linea(QString::fromUtf8(pendiente_));
            pendiente_.clear();
        }
    }

    Informe informe;
    QString ultimaLinea;

private:
    void linea(QString texto) {
        static const QString prefijo = QStringLiteral("forja: ");
        if (!texto.startsWith(prefijo)) {
            return;
        }
        texto.remove(0, prefijo.size());
        static const QRegularExpression avance(QStringLiteral("^\\[ *(\\d+)%\\] (.*)$"));
        static const QRegularExpression masAvisos(QStringLiteral("^y (\\d+) avisos más\\.$"));
        static const QRegularExpression hechos(QStringLiteral("^(\\d+) artículos exportados a "));
        if (const auto m = avance.match(texto); m.hasMatch()) {
            if (alAvanzar_) {
                alAvanzar_({m.captured(1).toLongLong(), 100, m.captured(2)});
            }
            return;
        }
        if (texto.startsWith(QStringLiteral("aviso: "))) {
            informe.avisos << texto.mid(7);
            informe.totalDeAvisos = std::max<qint64>(informe.totalDeAvisos, informe.avisos.size());
            return;
        }
        if (const auto m = masAvisos.match(texto); m.hasMatch()) {
            informe.totalDeAvisos = informe.avisos.size() + m.captured(1).toLongLong();
            return;
        }
        if (const auto m = hechos.match(texto); m.hasMatch()) {
            informe.articulos = m.captured(1).toInt();
            return;
        }
        ultimaLinea = texto;
    }

    const AlAvanzar& alAvanzar_;
    QByteArray pendiente_;
};

} // namespace

bool exportaEnOtroProceso(const QString& formato) {
    return formato == QLatin1String("zim");
}

QString programaDeExportacion() {
    const QString propio = QCoreApplication::applicationFilePath();
    if (QFileInfo(propio).fileName() == QLatin1String("forja")) {
        return propio;
    }
    const QDir aqui(QCoreApplication::applicationDirPath());
    for (const QString& candidato :
         {aqui.filePath(QStringLiteral("forja")), aqui.filePath(QStringLiteral("../bin/forja"))}) {
        if (QFileInfo(candidato).isExecutable()) {
            return QDir::cleanPath(candidato);
        }
    }
    return {};
}

Informe exportarEnOtroProceso(const QString& programa, const Encargo& encargo, const AlAvanzar& alAvanzar,
                              const std::atomic_bool* cancelar) {
    Informe informe;
    if (programa.isEmpty()) {
        informe.error = QStringLiteral("no se encuentra el programa «forja» que exporta en %1.").arg(encargo.formato);
        return informe;
    }
    QStringList argumentos{QStringLiteral("--exportar"), encargo.formato,
                           QString::fromStdString(store::cp1252AUtf8(encargo.enciclopedia)), encargo.destino};
    if (encargo.reemplazar) {
        argumentos << QStringLiteral("--reemplazar");
    }
    QProcess proceso;
    QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
    entorno.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    proceso.setProcessEnvironment(entorno);
    proceso.setProcessChannelMode(QProcess::SeparateChannels);
    proceso.setStandardOutputFile(QProcess::nullDevice());
    proceso.start(programa, argumentos);
    if (!proceso.waitForStarted()) {
        informe.error = QStringLiteral("no se pudo ejecutar «%1»: %2").arg(programa, proceso.errorString());
        return informe;
    }
    LectorDeSalida lector(alAvanzar);
    bool cancelado = false;
    while (proceso.state() != QProcess::NotRunning) {
        if (cancelar && cancelar->load() && !cancelado) {
            cancelado = true;
            proceso.terminate(); // SIGTERM: the export stops as if cancelled and removes what it began
        }
        proceso.waitForReadyRead(kEsperaMs);
        lector.leer(proceso.readAllStandardError());
    }
    proceso.waitForFinished(-1);
    lector.leer(proceso.readAllStandardError());
    lector.terminar();

    informe = lector.informe;
    if (proceso.exitStatus() != QProcess::NormalExit) {
        informe.fin = cancelado ? Informe::Fin::Cancelado : Informe::Fin::Fallido;
        informe.error = QStringLiteral("«%1» terminó sin acabar la exportación.").arg(programa);
        return informe;
    }
    switch (proceso.exitCode()) {
    case 0:
        informe.fin = Informe::Fin::Completo;
        break;
    case 3:
        informe.fin = Informe::Fin::ConAvisos;
        break;
    default:
        informe.fin = cancelado ? Informe::Fin::Cancelado : Informe::Fin::Fallido;
        informe.error = lector.ultimaLinea.isEmpty()
                            ? QStringLiteral("«%1» terminó con el código %2.").arg(programa).arg(proceso.exitCode())
                            : lector.ultimaLinea;
        break;
    }
    return informe;
}

} // namespace publish

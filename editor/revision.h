#pragma once

// The editor's side of the encyclopaedia check (store/comprobacion.h): the viewer's own picture loader
// as the judge of pictures, the check on a thread of its own for the window, and the check on the command line.

#include "store/comprobacion.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QThread;

namespace forja {

// Whether the toolkit's picture loader, which the viewer uses, can load these bytes as a picture.
bool imagenCargable(std::string_view bytes);

// The checks as the editor runs them: with the viewer's picture loader.
store::OpcionesRevision opcionesDeRevision();

// An encyclopaedia directory given on the command line, as the store names it: a Windows path as typed,
// a native one made absolute. Nothing, with the reason, when it cannot name one.
std::optional<std::string> directorioDeOrden(const QString& ruta, QString* motivo);

// "forja --revisar RUTA": each problem on a line of `salida`, in the user's character set; what keeps the
// check from running on `errores`. Returns the exit status: 0 without problems, 1 with some, 2 when the
// encyclopaedia cannot be checked.
int revisarEnConsola(const QString& ruta, std::FILE* salida, std::FILE* errores);

// The check of one encyclopaedia on a thread of its own. Its signals arrive on the thread that made it.
class Revisor : public QObject {
    Q_OBJECT
public:
    explicit Revisor(QObject* parent = nullptr);
    ~Revisor() override; // stops a check under way and waits for its thread

    // Starts checking `directorio` (as the store names it); a check under way is stopped first.
    void empezar(const std::string& directorio);
    void cancelar();
    bool trabajando() const { return hilo_ != nullptr; }

    // After terminada(): what was found, or the error that kept the check from running.
    const std::vector<store::Problema>& problemas() const { return problemas_; }
    const QString& error() const { return error_; }

signals:
    void avance(qulonglong hechos, qulonglong total);
    void terminada();

private:
    void esperar();

    QThread* hilo_ = nullptr;
    std::atomic<bool> cancelar_{false};
    std::vector<store::Problema> problemas_;
    QString error_;
};

} // namespace forja

#pragma once

// What an action of the editor did, and how it asks the author. The actions are rules: they return whether
// they were done and what the author is to be told (Spanish sentences naming the file), and ask their
// questions through an Autor; they open no dialog of their own. The windows show the messages and answer the
// questions with their dialogs (AutorEnVentana); a test may answer the questions itself.

#include "store/archivo_de_texto.h"
#include "store/resultado.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace forja {

class Resultado {
public:
    struct Mensaje {
        QString texto;                     // a warning, when `error` is empty
        std::optional<store::Error> error; // a failure of the store, told as the store words it
    };

    // Done, with nothing to tell (yet).
    Resultado() = default;

    // Something to tell, whether it was done or not.
    Resultado& avisar(const QString& texto);
    Resultado& avisar(const store::Error& error);
    // What `otro` has to tell, whatever became of it.
    Resultado& avisar(const Resultado& otro);
    // Not done, with the warning that says why, or because of the store's error (after what was told
    // before); or as the author chose, with nothing more to tell.
    Resultado& rechazar(const QString& porque);
    Resultado& fallar(const store::Error& error);
    Resultado& cancelar();

    bool hecho() const { return hecho_; }
    explicit operator bool() const { return hecho_; }
    const std::vector<Mensaje>& mensajes() const { return mensajes_; }

private:
    bool hecho_ = true;
    std::vector<Mensaje> mensajes_;
};

// Tells each message of `resultado`, in order, in a box over `ventana`; whether it was done.
bool mostrar(QWidget* ventana, const Resultado& resultado);

// The text as Windows-1252, or nothing with `porque` refused, saying which characters cannot be stored.
std::optional<std::string> aAlmacen(const QString& texto, Resultado& porque);
// The lines of a multi-line box as store lines, under the same rule.
std::optional<store::Lineas> lineasAlmacen(const QString& texto, Resultado& porque);

// The questions an action asks the author while it works.
class Autor {
public:
    virtual ~Autor() = default;
    // A question whose buttons say what they do; the index of the one chosen. Enter chooses `porDefecto`,
    // Escape and the close box `alSalir`.
    virtual int elegir(const QString& texto, const QStringList& botones, int porDefecto, int alSalir) = 0;
    // A question answered yes or no, no by default.
    virtual bool confirmar(const QString& texto) = 0;
    // A file to open, or empty when the author cancels.
    virtual QString abrirArchivo(const QString& titulo, const QString& filtros) = 0;
    // The window over which the history asks the author's name and tells what it cannot keep.
    virtual QWidget* ventana() const = 0;
};

// The author asked through the program's dialogs, over a window.
class AutorEnVentana : public Autor {
public:
    explicit AutorEnVentana(QWidget* ventana) : ventana_(ventana) {}
    int elegir(const QString& texto, const QStringList& botones, int porDefecto, int alSalir) override;
    bool confirmar(const QString& texto) override;
    QString abrirArchivo(const QString& titulo, const QString& filtros) override;
    QWidget* ventana() const override { return ventana_; }

private:
    QWidget* ventana_;
};

} // namespace forja

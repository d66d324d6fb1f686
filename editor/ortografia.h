#pragma once

// Spelling for the article editor: Spanish Hunspell, the author's personal word list (in the user's
// configuration directory), the words ignored in this run and the headwords of the encyclopaedia's DICT.DAT.
//
// Words are checked on a thread of their own: asking about a word never waits for Hunspell. The answer is
// "pending" until the worker has looked at it; then cambiada() tells the boxes to look again, and the answer
// comes from what is already known. One instance serves the whole program.

#include <QHash>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>

class QThread;
class Hunspell;

namespace ortografia {

// A word of a text: where it starts and how many characters it has.
struct Palabra {
    int inicio = 0;
    int largo = 0;
};

// The words of a text: runs of letters (accents and ñ included); a run holding a digit, or a single letter, is no
// word to check.
QList<Palabra> palabrasDe(QStringView texto);

class Ortografia : public QObject {
    Q_OBJECT

public:
    enum class Estado { Conocida, Desconocida, Pendiente };

    static Ortografia& compartida();

    explicit Ortografia(const std::string& diccionario, QObject* padre = nullptr);
    ~Ortografia() override;

    // Whether the Spanish dictionary was found (without it nothing is ever unknown).
    bool disponible() const { return disponible_; }

    // Whether words are underlined as the author types; remembered for the user.
    bool activa() const { return activa_; }
    void activar(bool si);

    // What is known of the word now; a word not yet checked is sent to the worker and is pending.
    Estado estado(const QString& palabra);
    // True while words sent to the worker have not come back.
    bool ocupada() const { return !pedidas_.isEmpty() || !porPedir_.isEmpty(); }

    // Hunspell's suggestions for the word.
    QStringList sugerencias(const QString& palabra);

    // Adds the word to the personal word list (and its file); false, with the reason, when the file could not
    // be written.
    bool agregarAlDiccionarioPersonal(const QString& palabra, QString* motivo = nullptr);
    // Takes the word as known until the program ends.
    void ignorar(const QString& palabra);
    // The headwords of this encyclopaedia's dictionary (DICT.DAT) count as known; read on the worker.
    void ponerTomo(const std::string& directorio);

    // The personal word list: one word per line, UTF-8.
    static QString rutaPersonal();

signals:
    // Something known changed (words checked, a list or the switch): what is shown should be looked at again.
    void cambiada();

private:
    void enviar();
    void recibir(const QHash<QString, bool>& resultados);
    bool hunspellConoce(const QString& palabra);
    bool enListas(const QString& palabra) const;

    bool disponible_ = false;
    bool activa_ = true;
    QHash<QString, bool> sabidas_; // checked by Hunspell
    QSet<QString> porPedir_;       // to send at the next turn of the event loop
    QSet<QString> pedidas_;        // sent, not yet back
    QSet<QString> personales_;     // lower case
    QSet<QString> ignoradas_;      // lower case
    QSet<QString> delTomo_;        // upper case
    std::string tomo_;

    QThread* hilo_ = nullptr;
    QObject* trabajador_ = nullptr; // lives on hilo_
    QMutex mutex_;                  // Hunspell is used by one thread at a time
    std::unique_ptr<Hunspell> hunspell_;
    bool utf8_ = true; // the dictionary's encoding: UTF-8 or ISO-8859-1
};

} // namespace ortografia

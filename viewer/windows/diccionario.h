#pragma once

// The dictionary window "Diccionario": the reader types a word and presses Enter; the word is put back
// in capitals and its definition (the first dictionary line that begins with it) is shown. The window
// is discarded when closed and made anew, empty, on the next use.

#include <QWidget>

#include <string>

class QLineEdit;
class QPlainTextEdit;

class Diccionario : public QWidget {
    Q_OBJECT
public:
    // `directorio`: the current encyclopaedia directory, whose dict.dat is searched.
    explicit Diccionario(std::string directorio, QWidget* parent = nullptr);

    // A new dictionary window over `padre`, taking its icon, holding the word and text given, shown
    // modally (the call returns at once). It deletes itself when closed.
    static Diccionario* mostrar(QWidget* padre, const std::string& directorio, const QString& palabra = {},
                                const QString& descripcion = {});

    QLineEdit* txtPalabra = nullptr;
    QPlainTextEdit* txtDescrip = nullptr;

    // Key 13 (Enter) runs the look-up, whatever the modifiers; other keys do nothing special.
    void txtPalabra_KeyDown(int KeyCode, Qt::KeyboardModifiers Shift);

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    std::string directorio_;
};

#pragma once

// Typing into window tests, and the fingerprint of a directory to tell that nothing in it changed.

#include <QByteArray>
#include <QMap>
#include <QString>

class QWidget;

namespace prueba {

// Types `texto` key by key, accented letters included (QTest::keyClicks takes only ASCII).
void escribir(QWidget* destino, const QString& texto);

// Every file under `raiz`, hidden ones and those of subdirectories included, with the digest of its bytes.
QMap<QString, QByteArray> huellas(const QString& raiz);

} // namespace prueba

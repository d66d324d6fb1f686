#include "tests/support/teclas_y_huellas.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QTest>

namespace prueba {

void escribir(QWidget* destino, const QString& texto) {
    for (const QChar c : texto) {
        const auto tecla = static_cast<Qt::Key>(c.toUpper().unicode());
        QTest::sendKeyEvent(QTest::Press, destino, tecla, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, destino, tecla, QString(c), Qt::NoModifier);
    }
}

QMap<QString, QByteArray> huellas(const QString& raiz) {
    QMap<QString, QByteArray> h;
    QDirIterator it(raiz, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        if (f.open(QIODevice::ReadOnly)) {
            h.insert(f.fileName(), QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1));
        }
    }
    return h;
}

} // namespace prueba

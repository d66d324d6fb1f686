#include "editor/taller.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Forja"));
    QApplication::setApplicationDisplayName(QStringLiteral("Forja"));
    // The standard buttons of message boxes ("Sí", "No", "Cancelar") in Spanish.
    QTranslator traductor;
    if (traductor.load(QLocale(QLocale::Spanish), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&traductor);
    }
    Taller taller;
    taller.show();
    return QApplication::exec();
}

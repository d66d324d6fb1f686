#include "editor/taller.h"
#include "ui/aplicacion.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    ui::iniciarAplicacion(app, QStringLiteral("Forja"));
    Taller taller;
    taller.show();
    return QApplication::exec();
}

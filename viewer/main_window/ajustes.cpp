#include "main_window/ajustes.h"

namespace ajustes {

std::unique_ptr<QSettings> delUsuario() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("lumbre"),
                                       QStringLiteral("tomo"));
}

} // namespace ajustes

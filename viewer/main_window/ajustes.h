#pragma once

// The viewer's settings for the user (text size and the like): a file in the user's own configuration
// directory (on Linux ~/.config/lumbre/tomo.conf), never in a store or an encyclopaedia's directory.

#include <QSettings>

#include <memory>

namespace ajustes {

std::unique_ptr<QSettings> delUsuario();

} // namespace ajustes

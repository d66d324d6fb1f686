#pragma once

// The editor's menu "Enciclotomo" on the main window's menu bar: "Revisar la enciclotomo…".

class QMenu;
class QMenuBar;
class Taller;

namespace forja {

// Adds the menu to `barra`; its items act on `taller`.
QMenu* agregarMenuEnciclotomo(Taller* taller, QMenuBar* barra);

} // namespace forja

// Orlith — desktop catalogue of removable media.
// Where Help finds the HTML manual; defined in main_window_menus.cpp beside the Help command.
#pragma once

#include <QString>

namespace orlith {

// The manual's path, looked for in this order: beside the program, in the data folder,
// then where `cmake --install` puts it (<prefix>/share/doc/orlith when the program is in
// <prefix>/bin). Empty when none of them holds it.
QString findManual(const QString &programDir, const QString &dataFolder);

} // namespace orlith

// Orlith — desktop catalogue of removable media.
#pragma once

#include <QIcon>
#include <QStyle>

namespace orlith {

// One of the application style's standard icons, made cheaply: the style's own small
// pixmap serves every size it covers, and the full icon is built only when a larger size
// is first asked for (a toolbar on a high-density screen). The full icon decodes each of
// its sizes up front, which for the dozen icons of the main window is a large part of
// the start-up.
QIcon styleIcon(QStyle::StandardPixmap which);

} // namespace orlith

// Orlith — desktop catalogue of removable media.
// Options window, statistics and the archive reminder.
#include "form1_window.h"

namespace orlith {

void Form1::showOptions()
{
}

void Form1::showStatistics()
{
}

void Form1::installArchiveReminder()
{
}

} // namespace orlith

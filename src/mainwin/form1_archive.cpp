// Orlith — desktop catalogue of removable media.
// Archive of disc files to a zip, and restore from one.
#include "form1_window.h"

namespace orlith {

void Form1::archiveDiscs()
{
}

void Form1::restoreDiscs()
{
}

} // namespace orlith

// Orlith — desktop catalogue of removable media.
// The export menu: one modal wizard per format.
#include "form1_window.h"

namespace orlith {

void Form1::exportSql()
{
}

void Form1::exportExcel()
{
}

void Form1::exportHtml()
{
}

void Form1::exportCsv()
{
}

void Form1::exportText()
{
}

} // namespace orlith

// Orlith — desktop catalogue of removable media.
// The Excel 2007+ export: an Office Open XML workbook written through libxlsxwriter.
#pragma once

#include "core/export/export_job.h"
#include "core/export/export_walk.h"

#include <memory>

namespace orlith {

// The most rows one sheet holds, its title row included; a longer export continues on the
// next sheet under a title row of its own.
inline constexpr qint64 kXlsxSheetRows = 1048576;

// A writer of Unicode text cells, sizes as numbers (KB, two decimals) and dates as date cells
// shown as the list shows them.
std::unique_ptr<ExportWriter> makeXlsxWriter();

} // namespace orlith

// Orlith — desktop catalogue of removable media.
// The spreadsheet export: a BIFF2 sheet written through ExcelFile.
#pragma once

#include "core/export/export_job.h"
#include "core/export/export_walk.h"
#include "core/export/line_encoder.h"

#include <memory>

namespace orlith {

// The five columns of both spreadsheet exports: width in characters and title.
struct SheetColumn
{
    qint16 width;
    const char *title;
};
inline constexpr SheetColumn kSheetColumns[] = {
    {30, "File name"}, {80, "File Path"}, {20, "File Size (Kb)"},
    {25, "File Date"}, {20, "CD name"},
};

// The most entries one sheet of the format holds below its title row.
inline constexpr qint64 kMaxXlsEntries = 65535;

// A writer of an ISO-8859-1 sheet (code page 1252) that refuses what the format cannot hold.
std::unique_ptr<ExportWriter> makeXlsWriter(const ExportOptions &options);

} // namespace orlith

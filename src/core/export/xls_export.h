// Orlith — desktop catalogue of removable media.
// The spreadsheet export: a BIFF2 sheet written through ExcelFile.
#pragma once

#include "core/export/export_job.h"
#include "core/export/export_walk.h"
#include "core/export/line_encoder.h"

#include <memory>

namespace orlith {

// The most entries one sheet of the format holds below its title row.
inline constexpr qint64 kMaxXlsEntries = 65535;

// A writer of an ISO-8859-1 sheet (code page 1252) that refuses what the format cannot hold.
std::unique_ptr<ExportWriter> makeXlsWriter(const ExportOptions &options);

} // namespace orlith

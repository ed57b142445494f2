// Orlith — desktop catalogue of removable media.
// The spreadsheet export: a BIFF2 sheet written through ExcelFile.
#pragma once

#include "export/export_job.h"
#include "export/export_walk.h"

#include <memory>

namespace orlith {

std::unique_ptr<ExportWriter> makeXlsWriter(const ExportOptions &options);

} // namespace orlith

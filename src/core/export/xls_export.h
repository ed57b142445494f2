// Orlith — desktop catalogue of removable media.
// The spreadsheet export: a BIFF2 sheet written through ExcelFile.
#pragma once

#include "core/export/export_job.h"
#include "core/export/export_walk.h"
#include "core/export/line_encoder.h"

#include <memory>

namespace orlith {

// A writer whose sheet is all in `encoding`'s code page.
std::unique_ptr<ExportWriter> makeXlsWriter(const ExportOptions &options, ExportEncoding encoding);

} // namespace orlith

// Orlith — desktop catalogue of removable media.
// The writers of the four text exports: CSV, delimited text, HTML and SQL script.
#pragma once

#include "core/export/export_job.h"
#include "core/export/export_walk.h"
#include "core/export/line_encoder.h"

#include <memory>

namespace orlith {

// Writers whose file is all in `encoding`.
std::unique_ptr<ExportWriter> makeCsvWriter(const ExportOptions &options, ExportEncoding encoding);
std::unique_ptr<ExportWriter> makeTextWriter(const ExportOptions &options, ExportEncoding encoding);
std::unique_ptr<ExportWriter> makeHtmlWriter(const ExportOptions &options, ExportEncoding encoding);
std::unique_ptr<ExportWriter> makeSqlWriter(const ExportOptions &options, ExportEncoding encoding);

} // namespace orlith

// Orlith — desktop catalogue of removable media.
// The writers of the four text exports: CSV, delimited text, HTML and SQL script.
#pragma once

#include "export/export_job.h"
#include "export/export_walk.h"

#include <memory>

namespace orlith {

std::unique_ptr<ExportWriter> makeCsvWriter(const ExportOptions &options);
std::unique_ptr<ExportWriter> makeTextWriter(const ExportOptions &options);
std::unique_ptr<ExportWriter> makeHtmlWriter(const ExportOptions &options);
std::unique_ptr<ExportWriter> makeSqlWriter(const ExportOptions &options);

} // namespace orlith

// Orlith — desktop catalogue of removable media.
#include "xls_export.h"

namespace orlith {

namespace {

class XlsWriter final : public ExportWriter
{
public:
    StoreResult open(const QString &) override
    {
        return StoreResult::failure(QStringLiteral("XLS export is not available yet"));
    }
    void head() override {}
    void row(const ExportRow &) override {}
    StoreResult close() override { return StoreResult::success(); }
    void discard() override {}
};

} // namespace

std::unique_ptr<ExportWriter> makeXlsWriter(const ExportOptions &)
{
    return std::make_unique<XlsWriter>();
}

} // namespace orlith

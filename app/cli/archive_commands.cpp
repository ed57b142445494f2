// Orlith — desktop catalogue of removable media.
#include "cli_context.h"

namespace orlith::cli {

int cmdArchive(CliContext &)
{
    return failure(QStringLiteral("not available yet"));
}

int cmdRestore(CliContext &)
{
    return failure(QStringLiteral("not available yet"));
}

} // namespace orlith::cli

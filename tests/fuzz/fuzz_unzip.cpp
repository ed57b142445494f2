// Orlith — desktop catalogue of removable media.
// Fuzzes the restore of a "cds.zip": listing the archive, planning which rows to restore
// and replace, and extracting them into the store folder. Whatever the archive holds, only
// plain files land in cds, and nothing lands beside it.
#include "core/archive/archive_job.h"
#include "core/store/program_folder.h"
#include "core/store/safe_write.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

using namespace orlith;

namespace {

constexpr char kExistingDisc[] = "old.xml";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    if (!dir.isValid())
        std::abort();
    const QString root = dir.path();
    const QString cds = cdsFolder(root);
    QDir(cds).removeRecursively();
    if (!QDir().mkpath(cds))
        std::abort();
    if (!writeFileAtomically(cds + QLatin1Char('/') + QLatin1String(kExistingDisc), "old"))
        std::abort();
    const QString zipPath = root + QStringLiteral("/cds.zip");
    if (!writeFileAtomically(zipPath,
                             QByteArray(reinterpret_cast<const char *>(data), qsizetype(size))))
        std::abort();

    QString error;
    const QStringList rows = archiveRowNames(zipPath, &error);
    QList<bool> selected;
    for (qsizetype i = 0; i < rows.size(); ++i)
        selected.append(i % 3 != 1);
    OverwriteAnswer answer = OverwriteAnswer::None;
    int asked = 0;
    const RestoreChoice choice =
        decideRestore(root, rows, selected, answer, [&](const QString &, OverwriteAnswer) {
            return ++asked % 2 ? OverwriteAnswer::Yes : OverwriteAnswer::No;
        });
    if (choice.selected.size() != rows.size())
        std::abort();
    const RestoreOutcome outcome = restoreFromArchive(root, zipPath, choice);

    // Restore writes plain files straight into cds, and nothing else anywhere.
    for (const QString &written : outcome.report.written) {
        if (written.isEmpty() || written.contains(QLatin1Char('/')) || written == QLatin1String("..")
            || written == QLatin1String("."))
            std::abort();
    }
    const QStringList beside = QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot
                                                    | QDir::Hidden | QDir::System);
    if (beside != QStringList({QStringLiteral("cds"), QStringLiteral("cds.zip")}))
        std::abort();
    const QStringList inside =
        QDir(cds).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    if (!inside.isEmpty())
        std::abort();
    return 0;
}

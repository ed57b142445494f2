// Orlith — desktop catalogue of removable media.
// Fuzzes restoring a "cds.zip" (list, plan, extract): only plain files land, and only in cds.
#include "core/archive/archive_job.h"
#include "core/store/program_folder.h"
#include "fuzz_support.h"

#include <QDir>

using namespace orlith;
using orlith::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString zipPath = fuzz::scratchFile("cds.zip", fuzz::bytesOf(data, size));
    const QString root = QFileInfo(zipPath).path();
    const QString cds = cdsFolder(root);
    QDir(cds).removeRecursively();
    check(QDir().mkpath(cds) && writeFileAtomically(cds + QStringLiteral("/old.xml"), "old"));

    const ArchiveContents contents = readArchiveContents(zipPath).value;
    QList<bool> selected;
    for (qsizetype i = 0; i < contents.rows.size(); ++i)
        selected.append(i % 3 != 1);
    OverwriteAnswer answer = OverwriteAnswer::None;
    int asked = 0;
    const RestoreChoice choice = decideRestore(
        root, contents, selected, answer, [&](const OverwriteCase &, OverwriteAnswer) {
            return ++asked % 2 ? OverwriteAnswer::Yes : OverwriteAnswer::No;
        });
    check(choice.selected.size() == contents.rows.size());
    const RestoreOutcome outcome = restoreFromArchive(root, zipPath, choice);

    // Restore writes plain files straight into cds, the store's own files and pictures beside
    // it, and nothing else anywhere.
    for (const QString &written : outcome.report.written)
        check(!written.isEmpty() && !written.contains(u'/') && written != u".." && written != u".");
    const auto all = QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
    // temp holds the store lock the restore takes; pic the pictures it brings.
    const QStringList allowed{"Data.ini", "cds",  "cds.zip",    "katalog.ini",
                              "pic",      "temp", "usrdisc.usr"};
    for (const QString &name : QDir(root).entryList(QDir::AllEntries | all))
        check(allowed.contains(name));
    check(QDir(cds).entryList(QDir::Dirs | all).isEmpty());
    check(QDir(root + QStringLiteral("/pic")).entryList(QDir::Dirs | all).isEmpty());
    return 0;
}

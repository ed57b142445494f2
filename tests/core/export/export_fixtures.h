// Orlith — desktop catalogue of removable media.
// A small store for the export tests, and running orlith-cli.
#pragma once

#include "core/store/disc_file.h"
#include "support/test_files.h"

#include <QDir>
#include <QProcess>
#include <QString>

namespace orlith::test {

// The entry of the exact-bytes tests: every character the formats treat specially.
inline FileEntry trickyEntry()
{
    return {QStringLiteral("Tom & Jerry <1> \"q\" 'x';y.avi"),
            QStringLiteral("/media/cd/Tom & Jerry <1> \"q\" 'x';y.avi"), 1536,
            QStringLiteral("14.03.2004 22:10:05")};
}

// Two discs: "CD1" (the tricky entry and a Cyrillic one) and "cd2" (a Latin-1 one), so
// list order is CD1, cd2 without regard to case.
inline bool makeStore(const QString &root)
{
    QDir().mkpath(root + QStringLiteral("/cds"));
    const QList<FileEntry> cd1{trickyEntry(),
                               {QStringLiteral("Дом; «сад».txt"),
                                QStringLiteral("/media/cd/Дом; «сад».txt"), 0,
                                QStringLiteral("01.01.2001 00:00:00")}};
    const QList<FileEntry> cd2{{QStringLiteral("déjà vu.mp3"),
                                QStringLiteral("/media/cd2/déjà vu.mp3"), 12345,
                                QStringLiteral("02.02.2002 02:02:02")}};
    return writeDiscFile(root + QStringLiteral("/cds/CD1.xml"), QStringLiteral("Films"), cd1)
               .ok() &&
           writeDiscFile(root + QStringLiteral("/cds/cd2.xml"), QStringLiteral("Music"), cd2).ok();
}

struct CliRun
{
    int exitCode = -1;
    QByteArray err;
};

inline CliRun runCli(const QString &dataDir, const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(ORLITH_CLI), QStringList{QStringLiteral("--data-dir"), dataDir} + args);
    if (!p.waitForFinished(60000))
        return {};
    return {p.exitCode(), p.readAllStandardError()};
}

} // namespace orlith::test

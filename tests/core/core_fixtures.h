// Orlith — desktop catalogue of removable media.
// Shared by the suites: running a program or orlith-cli, store files.
#pragma once

#include "core/store/notes_store.h"
#include "core/store/program_folder.h"
#include "support/test_files.h"

#include <QDir>
#include <QDirIterator>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace orlith::test {

using namespace Qt::StringLiterals;

struct CliRun
{
    int code = -1;
    QString out;
    QString err;
    // Exited with `exitCode`, having printed `text` on either stream.
    bool says(int exitCode, const QString &text = {}) const
    {
        return code == exitCode && (out.contains(text) || err.contains(text));
    }
};

// A program fed `input`, run in `folder` with `env`; code -1 when it crashed or hung.
inline CliRun runProgram(const QString &program, const QStringList &args,
                         const QByteArray &input = {}, const QString &folder = {},
                         const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setWorkingDirectory(folder);
    p.setProcessEnvironment(env);
    p.start(program, args);
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000))
        return {-1, {}, program + u": "_s + p.errorString()};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// Only suites built to run orlith-cli know where it is.
#ifdef ORLITH_CLI
inline CliRun runCli(const QStringList &args)
{
    return runProgram(QStringLiteral(ORLITH_CLI), args);
}

inline CliRun cli(const QString &dataDir, const QStringList &args)
{
    return runCli(QStringList{u"--data-dir"_s, dataDir} + args);
}
#endif

// Every file under `folder`, hidden ones too, by relative path with its bytes.
inline QMap<QString, QByteArray> folderFiles(const QString &folder)
{
    QMap<QString, QByteArray> files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                         QDirIterator::Subdirectories);
         it.hasNext();) {
        const QString path = it.next();
        files.insert(QDir(folder).relativeFilePath(path), readAll(path));
    }
    return files;
}

// What a store holds for the user: every file of the data folder but the caches and work
// files in temp/, which any run may write (the index cache, once disc files are two seconds
// old).
inline QMap<QString, QByteArray> userFiles(const QString &dataFolder)
{
    QMap<QString, QByteArray> files = folderFiles(dataFolder);
    files.removeIf([](const auto &file) { return file.key().startsWith(u"temp/"_s); });
    return files;
}

// A disc's notes in the store at `root`, "(none)" when it has no record.
inline QString storedNotes(const QString &root, const QString &disc)
{
    NotesStore notes;
    (void)notes.open(notesStorePath(root));
    notes.resetSearch();
    return notes.findRecord(disc) == NotesStore::kFound ? notes.notes() : u"(none)"_s;
}

} // namespace orlith::test

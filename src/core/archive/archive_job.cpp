// Orlith — desktop catalogue of removable media.
#include "core/archive/archive_job.h"

#include "core/store/catalogue_index.h"
#include "core/store/disc_file.h"
#include "core/store/program_folder.h"

#include <QDir>
#include <QFile>

namespace orlith {

QStringList storeFileNames(const QString &programFolder)
{
    return QDir(cdsFolder(programFolder)).entryList(QDir::Files, QDir::Name);
}

QString archivePathIn(const QString &folder)
{
    return folder + QLatin1Char('/') + QLatin1String(kArchiveFileName);
}

StoreResult checkArchiveFolder(const QString &programFolder, const QString &targetFolder)
{
    if (isStoreFolder(targetFolder, programFolder))
        return StoreResult::failure(
            QStringLiteral("Cannot archive into %1: it is one of Orlith's own store folders")
                .arg(targetFolder));
    return StoreResult::success();
}

StoreResult archiveStoreFiles(ZipWriter &zip, const QString &programFolder,
                              const QString &targetFolder, const QStringList &fileNames)
{
    if (StoreResult refused = checkArchiveFolder(programFolder, targetFolder); !refused)
        return refused;
    // Folder names kept, with only bare names given, still stores bare names.
    const ZipOptions options{.baseFolder = cdsFolder(programFolder) + QLatin1Char('/'),
                             .keepFolderNames = true,
                             .recurse = true};
    return zip.write(archivePathIn(targetFolder), fileNames, options);
}

QString archivedMessage(const QString &folder)
{
    return QLatin1String(kArchivedTo) + QLatin1Char('\n') + folder;
}

QString driveNotReadyMessage()
{
    return QLatin1String(kDriveNotReady) + QLatin1Char(' ') + QString::number(kDeviceUnavailable);
}

QString answerText(OverwriteAnswer answer)
{
    switch (answer) {
    case OverwriteAnswer::Yes:
        return QStringLiteral("Yes");
    case OverwriteAnswer::No:
        return QStringLiteral("No");
    case OverwriteAnswer::YesAll:
        return QStringLiteral("YesAll");
    case OverwriteAnswer::NoAll:
        return QStringLiteral("NoAll");
    case OverwriteAnswer::None:
        break;
    }
    return {};
}

OverwriteAnswer answerFromText(const QString &text)
{
    for (OverwriteAnswer a : {OverwriteAnswer::Yes, OverwriteAnswer::No, OverwriteAnswer::YesAll,
                              OverwriteAnswer::NoAll}) {
        if (text == answerText(a))
            return a;
    }
    return OverwriteAnswer::None;
}

QString overwriteQuestion(const QString &fileName)
{
    return QStringLiteral("File ") + fileName + QStringLiteral(" already exists.") +
           QLatin1Char('\n') + QStringLiteral(" Do you want to replace it?");
}

namespace {

// The store folder's file names, case-folded.
QSet<QString> storeFileKeys(const QString &programFolder)
{
    QSet<QString> keys;
    const QDir::Filters files = QDir::Files | QDir::Hidden | QDir::System;
    for (const QString &name : QDir(cdsFolder(programFolder)).entryList(files, QDir::NoSort))
        keys.insert(name.toCaseFolded());
    return keys;
}

} // namespace

bool storeFileExists(const QString &programFolder, const QString &fileName)
{
    QFile file(cdsFolder(programFolder) + QLatin1Char('/') + fileName);
    return file.open(QIODevice::ReadOnly) ||
           storeFileKeys(programFolder).contains(fileName.toCaseFolded());
}

StoreValue<QStringList> archiveRowNames(const QString &zipPath)
{
    StoreValue<QStringList> rows;
    static_cast<StoreResult &>(rows) = ZipReader(zipPath).listEntries(rows.value);
    for (QString &name : rows.value)
        name = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
    return rows;
}

RestoreChoice decideRestore(const QString &programFolder, const QStringList &rows,
                            const QList<bool> &selected, OverwriteAnswer &answer,
                            const OverwriteAsk &ask)
{
    RestoreChoice choice;
    const QSet<QString> existing = storeFileKeys(programFolder);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QString &row = rows.at(i);
        bool on = i < selected.size() && selected.at(i);
        const bool asking = answer == OverwriteAnswer::None || answer == OverwriteAnswer::Yes ||
                            answer == OverwriteAnswer::No;
        if (on && asking && existing.contains(row.toCaseFolded())) {
            answer = ask(row, answer);
            if (answer == OverwriteAnswer::Yes || answer == OverwriteAnswer::YesAll) {
                on = true;
                choice.replace.insert(row);
            } else if (answer == OverwriteAnswer::No || answer == OverwriteAnswer::NoAll) {
                on = false;
            }
        } else if (answer == OverwriteAnswer::YesAll) {
            on = true;
            choice.replace.insert(row);
        } else if (answer == OverwriteAnswer::NoAll) {
            on = false;
        }
        choice.selected.append(on);
    }
    return choice;
}

RestoreOutcome restoreFromArchive(const QString &programFolder, const QString &zipPath,
                                  const RestoreChoice &choice, qint64 spaceReserve)
{
    ZipReader unzip(zipPath);
    QStringList entries;
    if (StoreResult listed = unzip.listEntries(entries); !listed)
        return {listed, {}};
    QStringList wanted;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (choice.selected.value(i))
            wanted << entries.at(i);
    }
    // Every row or none: the whole archive, folder entries included (they are skipped).
    if (wanted.size() == entries.size())
        wanted.clear();

    UnzipOptions options;
    options.folder = cdsFolder(programFolder) + QLatin1Char('/');
    options.requiredStart = kXmlDeclaration;
    options.startRefusal = QStringLiteral(
        "not restored: it is not a disc file (it does not start with the XML declaration)");
    options.freeSpaceReserve = spaceReserve;
    // A disc enters the store under the same name rules as one typed in a dialog.
    options.targetCheck = [](const QString &target) {
        const bool xml = target.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive);
        const QString disc = target.chopped(xml ? 4 : 0);
        if (xml && isUsableFileName(disc) && !isReservedKey(disc))
            return QString();
        return QStringLiteral("not a disc file name the store can hold");
    };
    // Yes only for the files the user agreed to replace. The prompt names the file as the
    // store spells it, which may differ in letter case from the row.
    QSet<QString> replace;
    for (const QString &name : choice.replace)
        replace.insert(name.toCaseFolded());
    QObject::connect(&unzip, &ZipReader::overwritePrompt, &unzip,
                     [&replace](const QString &fileName, bool &yes) {
                         yes = replace.contains(fileName.toCaseFolded());
                     });
    StoreResult extracted = unzip.extract(options, wanted);
    return {std::move(extracted), unzip.report()};
}

} // namespace orlith

// Orlith — desktop catalogue of removable media.
#include "core/archive/archive_job.h"

#include "core/store/catalogue_index.h"
#include "core/store/date_text.h"
#include "core/store/disc_file.h"
#include "core/store/notes_store.h"
#include "core/store/program_folder.h"
#include "core/store/store_lock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>

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

namespace {

QString discNameOf(const QString &fileName)
{
    return fileName.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive) ? fileName.chopped(4)
                                                                         : QString();
}

// The store's notes, catalogs, settings and the named discs' pictures, those that exist, as
// (file, entry name).
QList<std::pair<QString, QString>> storeExtras(const QString &programFolder,
                                               const QStringList &fileNames)
{
    QList<std::pair<QString, QString>> extras;
    const auto add = [&](const QString &path, const QString &entry) {
        if (QFileInfo(path).isFile())
            extras.append({path, entry});
    };
    add(notesStorePath(programFolder), QLatin1String(kNotesEntry));
    add(catalogOrderPath(programFolder), QLatin1String(kCatalogsEntry));
    add(settingsPath(programFolder), QLatin1String(kSettingsEntry));
    for (const QString &name : fileNames) {
        const QString disc = discNameOf(name);
        if (!disc.isEmpty())
            add(picturePath(programFolder, disc),
                QLatin1String(kPictureFolderEntry) + disc + QLatin1String(".jpg"));
    }
    return extras;
}

} // namespace

StoreResult archiveStoreFiles(ZipWriter &zip, const QString &programFolder,
                              const QString &targetFolder, const QStringList &fileNames,
                              bool everything)
{
    if (StoreResult refused = checkArchiveFolder(programFolder, targetFolder); !refused)
        return refused;
    // Folder names kept, with only bare names given, still stores bare names.
    ZipOptions options{.baseFolder = cdsFolder(programFolder) + QLatin1Char('/'),
                       .keepFolderNames = true,
                       .recurse = true};
    if (everything)
        options.namedFiles = storeExtras(programFolder, fileNames);
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

// A folder's file names by their case-folded form.
QHash<QString, QString> fileNamesByKey(const QString &folder)
{
    QHash<QString, QString> names;
    const QDir::Filters files = QDir::Files | QDir::Hidden | QDir::System;
    for (const QString &name : QDir(folder).entryList(files, QDir::NoSort))
        names.insert(name.toCaseFolded(), name);
    return names;
}

// "12.03.2024 10:22, 14.2 KB": the locale's short date and numbers; sizes in bytes below a
// kilobyte, else with one decimal in KB, MB or GB of 1024.
QString factsText(const FileFacts &facts)
{
    const QLocale locale = QLocale::system();
    QString size = QStringLiteral("%1 bytes").arg(facts.size);
    double amount = double(facts.size);
    for (const char *unit : {" KB", " MB", " GB"}) {
        if (amount < 1024)
            break;
        amount /= 1024;
        size = locale.toString(amount, 'f', 1) + QLatin1String(unit);
    }
    return facts.modified.toString(shortDateFormat(locale) + QStringLiteral(" HH:mm")) +
           QStringLiteral(", ") + size;
}

QString bareName(const QString &entry)
{
    return entry.mid(entry.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

QString overwriteQuestion(const OverwriteCase &question)
{
    return overwriteQuestion(question.fileName) + QStringLiteral("\n\nExisting: ") +
           factsText(question.existing) + QStringLiteral("\nIn the archive: ") +
           factsText(question.archived);
}

QStringList ArchiveContents::rowNames() const
{
    QStringList names;
    for (const ZipEntryInfo &row : rows)
        names << bareName(row.name);
    return names;
}

StoreValue<ArchiveContents> readArchiveContents(const QString &zipPath)
{
    StoreValue<ArchiveContents> contents;
    QList<ZipEntryInfo> entries;
    static_cast<StoreResult &>(contents) = ZipReader(zipPath).listEntries(entries);
    ArchiveContents &c = contents.value;
    const QString pictures = QLatin1String(kPictureFolderEntry);
    for (const ZipEntryInfo &entry : std::as_const(entries)) {
        const QString &name = entry.name;
        const QString picture = name.startsWith(pictures) ? name.mid(pictures.size()) : QString();
        if (name == QLatin1String(kNotesEntry))
            c.notes = entry;
        else if (name == QLatin1String(kCatalogsEntry))
            c.catalogs = entry;
        else if (name == QLatin1String(kSettingsEntry))
            c.settings = entry;
        else if (picture.endsWith(QLatin1String(".jpg")) && !picture.contains(QLatin1Char('/')) &&
                 isUsableFileName(picture))
            c.pictures.insert(picture.chopped(4).toCaseFolded(), entry);
        else
            c.rows << entry;
    }
    return contents;
}

StoreValue<QStringList> archiveRowNames(const QString &zipPath)
{
    const StoreValue<ArchiveContents> contents = readArchiveContents(zipPath);
    StoreValue<QStringList> rows;
    static_cast<StoreResult &>(rows) = contents;
    rows.value = contents.value.rowNames();
    return rows;
}

namespace {

// Walks the questions of one restore, carrying the answer across them.
class RestoreQuestions
{
public:
    RestoreQuestions(OverwriteAnswer &answer, const OverwriteAsk &ask)
        : m_answer(answer), m_ask(ask)
    {
    }

    // Whether the carried answer leaves the next question to the user.
    bool asking() const
    {
        return m_answer == OverwriteAnswer::None || m_answer == OverwriteAnswer::Yes ||
               m_answer == OverwriteAnswer::No;
    }
    // Asks about `existing` unless the carried answer settles it; true: replace it. The
    // question names the file as the archive does.
    bool replaces(const QString &existing, const ZipEntryInfo &archived)
    {
        if (asking()) {
            const QFileInfo file(existing);
            m_answer = m_ask({bareName(archived.name),
                              {file.lastModified(), file.size()},
                              {archived.modified, archived.size}},
                             m_answer);
        }
        return m_answer == OverwriteAnswer::Yes || m_answer == OverwriteAnswer::YesAll;
    }

private:
    OverwriteAnswer &m_answer;
    const OverwriteAsk &m_ask;
};

} // namespace

RestoreChoice decideRestore(const QString &programFolder, const ArchiveContents &contents,
                            const QList<bool> &selected, OverwriteAnswer &answer,
                            const OverwriteAsk &ask)
{
    RestoreChoice choice;
    RestoreQuestions questions(answer, ask);
    const QString cds = cdsFolder(programFolder), pic = picFolder(programFolder);
    const QHash<QString, QString> discFiles = fileNamesByKey(cds);
    const QHash<QString, QString> pictureFiles = fileNamesByKey(pic);
    for (qsizetype i = 0; i < contents.rows.size(); ++i) {
        const ZipEntryInfo &entry = contents.rows.at(i);
        const QString row = bareName(entry.name);
        bool on = i < selected.size() && selected.at(i);
        const QString existing = discFiles.value(row.toCaseFolded());
        if (on && questions.asking() && !existing.isEmpty()) {
            if (questions.replaces(cds + QLatin1Char('/') + existing, entry)) {
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

        // The disc's picture goes with the disc file, when that is written.
        const bool writes = on && (existing.isEmpty() || choice.replace.contains(row));
        const auto picture = contents.pictures.constFind(discNameOf(row).toCaseFolded());
        if (!writes || discNameOf(row).isEmpty() || picture == contents.pictures.cend())
            continue;
        const QString pictureName = bareName(picture->name);
        const QString oldPicture = pictureFiles.value(pictureName.toCaseFolded());
        if (oldPicture.isEmpty()) {
            choice.pictures.insert(picture->name);
        } else if (questions.replaces(pic + QLatin1Char('/') + oldPicture, *picture)) {
            choice.pictures.insert(picture->name);
            choice.replacePictures.insert(pictureName.toCaseFolded());
        }
    }
    if (contents.settings) {
        // An empty Data.ini holds no choice of the user's (a first start makes one).
        const QFileInfo ini(settingsPath(programFolder));
        choice.settings = !ini.exists() || ini.size() == 0 ||
                          questions.replaces(ini.filePath(), *contents.settings);
    }
    return choice;
}

QString summaryText(const RestoreSummary &summary)
{
    return QStringLiteral("Restored %1 discs, %2 pictures; notes of %3 discs; skipped %4.")
        .arg(summary.discs)
        .arg(summary.pictures)
        .arg(summary.notes)
        .arg(summary.skipped);
}

namespace {

// Answers the reader's overwrite prompts: Yes exactly for these case-folded names. The
// prompt names the file as the folder spells it, which may differ in letter case.
void replaceOnly(ZipReader &unzip, const QSet<QString> &foldedNames)
{
    QObject::connect(&unzip, &ZipReader::overwritePrompt, &unzip,
                     [foldedNames](const QString &fileName, bool &yes) {
                         yes = foldedNames.contains(fileName.toCaseFolded());
                     });
}

// What a full archive holds beside the disc files, put back after them under the same lock.
class ExtrasRestore
{
public:
    ExtrasRestore(const QString &programFolder, const QString &zipPath,
                  const ArchiveContents &contents, qint64 spaceReserve, RestoreOutcome &outcome)
        : m_programFolder(programFolder), m_zipPath(zipPath), m_contents(contents),
          m_spaceReserve(spaceReserve), m_outcome(outcome)
    {
        // The written disc files by their case-folded disc names, with the names the
        // archive gives them (its notes records carry those).
        QHash<QString, QString> archived;
        for (const ZipEntryInfo &row : contents.rows) {
            const QString disc = discNameOf(bareName(row.name));
            archived.insert(disc.toCaseFolded(), disc);
        }
        for (const QString &target : outcome.report.written) {
            const QString disc = discNameOf(target);
            m_written.append({disc, archived.value(disc.toCaseFolded(), disc)});
        }
    }

    void pictures(const RestoreChoice &choice);
    void notesAndCatalogs();
    void settings();
    const QStringList &failures() const { return m_failures; }

private:
    UnzipOptions optionsFor(const QString &folder) const
    {
        UnzipOptions options;
        options.folder = folder;
        options.freeSpaceReserve = m_spaceReserve;
        return options;
    }
    // Extracts the entries into `folder`, keeping what it refuses as failures; the count of
    // files written.
    int extract(ZipReader &unzip, const UnzipOptions &options, const QStringList &entries)
    {
        if (entries.isEmpty())
            return 0;
        if (StoreResult r = unzip.extract(options, entries); !r)
            m_failures << r.error;
        return int(unzip.report().written.size());
    }

    const QString &m_programFolder;
    const QString &m_zipPath;
    const ArchiveContents &m_contents;
    qint64 m_spaceReserve;
    RestoreOutcome &m_outcome;
    QList<std::pair<QString, QString>> m_written; // (disc name in the store, in the archive)
    QStringList m_failures;
};

void ExtrasRestore::pictures(const RestoreChoice &choice)
{
    QStringList entries;
    for (const auto &[disc, archived] : std::as_const(m_written)) {
        const auto picture = m_contents.pictures.constFind(disc.toCaseFolded());
        if (picture != m_contents.pictures.cend() && choice.pictures.contains(picture->name))
            entries << picture->name;
    }
    ZipReader unzip(m_zipPath);
    replaceOnly(unzip, choice.replacePictures);
    m_outcome.summary.pictures = extract(unzip, optionsFor(picFolder(m_programFolder)), entries);
}

void ExtrasRestore::notesAndCatalogs()
{
    QStringList entries;
    if (m_contents.notes && !m_written.isEmpty())
        entries << m_contents.notes->name;
    if (m_contents.catalogs)
        entries << m_contents.catalogs->name;
    if (entries.isEmpty())
        return;
    QTemporaryDir work;
    if (!work.isValid()) {
        m_failures << QStringLiteral("Cannot make a temporary folder:\n%1").arg(work.errorString());
        return;
    }
    ZipReader unzip(m_zipPath);
    if (extract(unzip, optionsFor(work.path()), entries) == 0)
        return;

    const QString archivedNotes = work.filePath(QLatin1String(kNotesEntry));
    NotesStore from, to;
    if (QFileInfo::exists(archivedNotes))
        (void)from.open(archivedNotes); // only read: a failed write-open still reads
    if (from.isOpen()) {
        for (const auto &[disc, archived] : std::as_const(m_written)) {
            from.resetSearch();
            if (from.findRecord(archived) != NotesStore::kFound)
                continue;
            if (!to.isOpen() && !to.open(notesStorePath(m_programFolder))) {
                m_failures << to.lastError();
                break;
            }
            to.resetSearch();
            const bool found = to.findRecord(disc) == NotesStore::kFound;
            to.setRecord(disc, from.notes());
            if (!(found ? to.updateRecord() : to.appendRecord())) {
                m_failures << to.lastError();
                continue;
            }
            ++m_outcome.summary.notes;
        }
    }

    // Catalogs are only added: the store's own keep their order, and the archive's new ones
    // follow in theirs.
    const QString archivedCatalogs = work.filePath(QLatin1String(kCatalogsEntry));
    if (!QFileInfo::exists(archivedCatalogs))
        return;
    CatalogueIndex archived, store, now;
    archived.loadCatalogOrder(archivedCatalogs);
    const QString orderPath = catalogOrderPath(m_programFolder);
    store.loadCatalogOrder(orderPath);
    // A catalog may not take the name of a disc: one of them would vanish from the tree.
    now.load(m_programFolder);
    bool added = false;
    for (const CatalogNode &catalog : archived.catalogs()) {
        if (!isReservedKey(catalog.name) && now.discKey(catalog.name).isEmpty())
            added = store.addCatalog(catalog.name) || added;
    }
    if (added) {
        if (StoreResult r = store.writeCatalogOrder(orderPath); !r)
            m_failures << r.error;
    }
}

void ExtrasRestore::settings()
{
    ZipReader unzip(m_zipPath);
    replaceOnly(unzip, {QString::fromLatin1(kSettingsEntry).toCaseFolded()});
    UnzipOptions options = optionsFor(m_programFolder);
    options.targetCheck = [](const QString &target) {
        return target == QLatin1String(kSettingsEntry) ? QString()
                                                       : QStringLiteral("not the settings file");
    };
    m_outcome.summary.settings = extract(unzip, options, {m_contents.settings->name}) == 1;
}

} // namespace

RestoreOutcome restoreFromArchive(const QString &programFolder, const QString &zipPath,
                                  const RestoreChoice &choice, qint64 spaceReserve)
{
    const StoreValue<ArchiveContents> listed = readArchiveContents(zipPath);
    if (!listed)
        return {listed, {}, {}};
    const ArchiveContents &contents = listed.value;
    StoreLock lock(programFolder);
    if (!lock.locked())
        return {StoreResult::failure(lock.error()), {}, {}};

    ZipReader unzip(zipPath);
    QStringList wanted;
    for (qsizetype i = 0; i < contents.rows.size(); ++i) {
        if (choice.selected.value(i))
            wanted << contents.rows.at(i).name;
    }
    // Every row or none: the whole archive, folder entries included (they are skipped).
    if (wanted.size() == contents.rows.size())
        wanted.clear();

    UnzipOptions options;
    options.folder = cdsFolder(programFolder) + QLatin1Char('/');
    options.requiredStart = kXmlDeclaration;
    options.startRefusal = QStringLiteral(
        "not restored: it is not a disc file (it does not start with the XML declaration)");
    options.freeSpaceReserve = spaceReserve;
    // A disc enters the store under the same name rules as one typed in a dialog.
    options.targetCheck = [](const QString &target) {
        const QString disc = discNameOf(target);
        if (!disc.isEmpty() && isUsableFileName(disc) && !isReservedKey(disc))
            return QString();
        return QStringLiteral("not a disc file name the store can hold");
    };
    // What is restored beside the disc files is not theirs to extract.
    for (const std::optional<ZipEntryInfo> &extra :
         {contents.notes, contents.catalogs, contents.settings}) {
        if (extra)
            options.passOver << extra->name;
    }
    for (const ZipEntryInfo &picture : contents.pictures)
        options.passOver << picture.name;
    // Yes only for the files the user agreed to replace.
    QSet<QString> replace;
    for (const QString &name : choice.replace)
        replace.insert(name.toCaseFolded());
    replaceOnly(unzip, replace);

    RestoreOutcome outcome{unzip.extract(options, wanted), unzip.report(), {}};
    outcome.summary.discs = int(outcome.report.written.size());
    for (const QString &name : std::as_const(outcome.report.skipped))
        outcome.summary.skipped += name.endsWith(QLatin1Char('/')) ? 0 : 1;

    ExtrasRestore extras(programFolder, zipPath, contents, spaceReserve, outcome);
    extras.pictures(choice);
    extras.notesAndCatalogs();
    if (contents.settings && choice.settings)
        extras.settings();
    if (!extras.failures().isEmpty()) {
        QStringList errors = extras.failures();
        if (!outcome.result)
            errors.prepend(outcome.result.error);
        outcome.result = StoreResult::failure(errors.join(QLatin1Char('\n')));
    }
    return outcome;
}

} // namespace orlith

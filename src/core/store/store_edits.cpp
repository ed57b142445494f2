// Orlith — desktop catalogue of removable media.
#include "core/store/store_edits.h"

#include "core/store/safe_write.h"

#include "core/capture/drives.h"
#include "core/store/catalogue_index.h"
#include "core/store/disc_file.h"
#include "core/store/disc_identity.h"
#include "core/store/notes_store.h"
#include "core/store/program_folder.h"
#include "core/store/store_lock.h"
#include "core/store/text_codec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace orlith {

namespace {

bool isBlank(const QString &name)
{
    return name.trimmed().isEmpty();
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

StoreResult failed(const QString &message)
{
    return StoreResult::failure(message);
}

StoreResult failed(const char *message)
{
    return StoreResult::failure(QString::fromLatin1(message));
}

StoreResult made()
{
    return StoreResult::success();
}

} // namespace

bool isNumericName(const QString &name)
{
    const QString s = name.trimmed();
    qsizetype i = 0;
    const qsizetype n = s.size();
    if (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-')))
        ++i;
    qsizetype digits = 0;
    bool point = false;
    for (; i < n; ++i) {
        if (isDigit(s[i]))
            ++digits;
        else if (s[i] == QLatin1Char('.') && !point)
            point = true;
        else
            break;
    }
    if (digits == 0)
        return false;
    if (i < n && (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E'))) {
        ++i;
        if (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-')))
            ++i;
        qsizetype exponentDigits = 0;
        for (; i < n && isDigit(s[i]); ++i)
            ++exponentDigits;
        if (exponentDigits == 0)
            return false;
    }
    return i == n;
}

QByteArray rewriteCatalogLine(const QByteArray &discFile, const QString &catalog)
{
    const QByteArray catalogLine = "<catalog>" + encodeSingleByte(catalog) + "</catalog>";
    QByteArray out;
    out.reserve(discFile.size() + catalogLine.size());
    const char *data = discFile.constData();
    const qsizetype size = discFile.size();
    qsizetype pos = 0;
    while (pos < size) {
        const qsizetype nl = discFile.indexOf('\n', pos);
        qsizetype b = pos;
        qsizetype e = nl < 0 ? size : nl;
        pos = nl < 0 ? size : nl + 1;
        if (e > b && data[e - 1] == '\r')
            --e;
        while (b < e && data[b] == ' ')
            ++b;
        while (e > b && data[e - 1] == ' ')
            --e;
        const QByteArrayView line(data + b, e - b);
        out.append(line.startsWith("<catalog>") ? QByteArrayView(catalogLine) : line);
        out.append("\r\n");
    }
    return out;
}

StoreEdits::StoreEdits(QString programFolder, CatalogueIndex &index, NotesStore &notes)
    : m_programFolder(std::move(programFolder)), m_index(index), m_notes(notes)
{
}

StoreEdits::NodeKind StoreEdits::kindOf(const QString &name) const
{
    if (!m_index.discKey(name).isEmpty())
        return NodeKind::Disc;
    if (m_index.findCatalog(name) >= 0)
        return NodeKind::Catalog;
    return NodeKind::None;
}

bool StoreEdits::discFileExists(const QString &name) const
{
    return orlith::discFileExists(m_programFolder, name);
}

bool discFileExists(const QString &programFolder, const QString &name)
{
    const QString fileName = name + QLatin1String(".xml");
    // A dangling link holds the name too: a new file must not be written through it.
    if (discIdentity(discFilePath(programFolder, name)).exists())
        return true;
    const QStringList files =
        QDir(cdsFolder(programFolder))
            .entryList({QStringLiteral("*.xml")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &f : files) {
        if (f.compare(fileName, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

StoreResult writeNewDiscFile(const QString &programFolder, const QString &disc,
                             const QString &catalog, const QList<FileEntry> &entries,
                             const QStringList &catalogDiscs, QString *filedCatalog,
                             const DiscInfo &info)
{
    StoreLock lock(programFolder);
    if (!lock.locked())
        return StoreResult::failure(lock.error());
    CatalogueIndex now;
    now.load(programFolder);
    if (now.isKeyTaken(disc) || discFileExists(programFolder, disc))
        return StoreResult::failure(
            QStringLiteral("Cannot add the disc \"%1\": the name is already in use").arg(disc));
    QString filed;
    if (const qsizetype c = now.findCatalog(catalog); c >= 0) {
        filed = now.catalogs().at(c).name;
    } else {
        // Renamed meanwhile: its discs are all in one catalog of another name now.
        for (const QString &d : catalogDiscs) {
            const qsizetype held = now.catalogOfDisc(d);
            const QString name = held >= 0 ? now.catalogs().at(held).name : QString();
            if (name.isEmpty() || (!filed.isEmpty() && name != filed)) {
                filed.clear();
                break;
            }
            filed = name;
        }
    }
    if (filed.isEmpty())
        return StoreResult::failure(
            QStringLiteral("Cannot add the disc \"%1\": the catalog \"%2\" was renamed or "
                           "deleted by another program; nothing was written.")
                .arg(disc, catalog));
    if (filedCatalog)
        *filedCatalog = filed;
    return writeDiscFile(discFilePath(programFolder, disc), filed, entries,
                         AtomicFile::Kind::NewStoreFile, info);
}

StoreResult syncCatalogOrder(const QString &programFolder)
{
    StoreLock lock(programFolder);
    if (!lock.locked())
        return StoreResult::failure(lock.error());
    const QString path = catalogOrderPath(programFolder);
    CatalogueIndex listed;
    listed.loadCatalogOrder(path);
    CatalogueIndex now;
    now.load(programFolder);
    if (QFileInfo::exists(path) && now.catalogCount() == listed.catalogCount())
        return {};
    return now.writeCatalogOrder(path);
}

bool StoreEdits::beginEdit(StoreLock &lock, StoreResult &refused)
{
    if (!lock.locked()) {
        refused = failed(lock.error());
        return false;
    }
    // What another process changed since this one last read the store counts.
    m_index.load(m_programFolder);
    // The notes store may have been compacted into a new file, or had records added.
    if (m_notes.isOpen()) {
        m_notes.close();
        (void)m_notes.open(notesStorePath(m_programFolder));
    }
    return true;
}

StoreResult StoreEdits::checkNewDisc(const NewDiscInput &input, const DriveProvider *drives) const
{
    const QString &name = input.name;
    if (!input.virtualMode && drives && !drives->hasMedia(input.drive))
        return failed(kNoMedia);
    const bool blank = isBlank(name);
    if (!blank && (m_index.isKeyTaken(name) || discFileExists(name)))
        return failed(kNameInUse);
    const bool catalogChosen = input.catalog != QLatin1String(kChoseCatalogText) &&
                               m_index.findCatalog(input.catalog) >= 0;
    const bool driveGiven = input.virtualMode || !input.drive.isEmpty();
    const bool numeric = isNumericName(name);
    const bool usable = isUsableFileName(name);
    if (!blank && catalogChosen && driveGiven && !numeric && usable)
        return {};
    if (blank)
        return failed(kEnterDiscName);
    if (!catalogChosen)
        return failed(kChooseCatalog);
    if (driveGiven && numeric)
        return failed(kDiscNameIsNumber);
    if (!usable)
        return failed(kBadFileNameMessage);
    return failed(kNoValidDrive);
}

StoreResult StoreEdits::newCatalog(const QString &name)
{
    if (isBlank(name))
        return failed(kEnterCatalogName);
    if (isNumericName(name))
        return failed(kCatalogNameIsNumber);
    if (!isUsableFileName(name))
        return failed(kBadFileNameMessage);
    StoreLock lock(m_programFolder);
    if (StoreResult refused; !beginEdit(lock, refused))
        return refused;
    if (m_index.isKeyTaken(name))
        return failed(kNameInUse);
    // The index changes only once katalog.ini holds the new catalog.
    CatalogueIndex next = m_index;
    if (!next.addCatalog(name))
        return failed(kNameInUse);
    if (StoreResult r = next.writeCatalogOrder(catalogOrderPath(m_programFolder)); !r)
        return failed(r.error);
    m_index = std::move(next);
    return made();
}

StoreResult StoreEdits::rename(const QString &selected, const QString &newName,
                               std::optional<QString> notesText, const DiscIdentity *expected)
{
    StoreLock lock(m_programFolder);
    if (StoreResult refused; !beginEdit(lock, refused))
        return refused;
    const NodeKind kind = kindOf(selected);
    if (kind == NodeKind::None)
        return failed(QStringLiteral("There is no catalog or disc named \"%1\".").arg(selected));
    const QString current = kind == NodeKind::Disc
                                ? m_index.discKey(selected)
                                : m_index.catalogs().at(m_index.findCatalog(selected)).name;
    if (kind == NodeKind::Disc && expected &&
        !(discIdentity(discFilePath(m_programFolder, current)) == *expected))
        return failed(discChangedMessage(current));

    if (isBlank(newName))
        return failed(kEnterNewName);
    if (isNumericName(newName))
        return failed(kind == NodeKind::Catalog ? kRenameCatalogIsNumber : kRenameDiscIsNumber);
    if (newName.compare(current, Qt::CaseInsensitive) == 0)
        return failed(kNameInUse);
    if (!isUsableFileName(newName))
        return failed(kBadFileNameMessage);
    if (kind == NodeKind::Catalog && isUnfinishedRename(newName))
        return finishCatalogRename(current, newName);
    if (m_index.isKeyTaken(newName) || (kind == NodeKind::Disc && discFileExists(newName)))
        return failed(kNameInUse);
    return kind == NodeKind::Disc ? renameDisc(current, newName, notesText)
                                  : renameCatalog(current, newName);
}

StoreResult StoreEdits::renameDisc(const QString &from, const QString &to,
                                   const std::optional<QString> &notesText)
{
    // Directory entries only: the file keeps its inode, so a hard-linked backup copy or a
    // link's target is never touched, and a crash leaves the disc under one name or the other.
    if (StoreResult r =
            renameStoreFile(discFilePath(m_programFolder, from), discFilePath(m_programFolder, to));
        !r)
        return failed(r.error);
    m_index.renameDisc(from, to);

    StoreResult result = made();
    const QString oldPicture = picturePath(m_programFolder, from);
    if (QFileInfo(oldPicture).size() > 0) {
        if (StoreResult r =
                renameStoreFile(oldPicture, picturePath(m_programFolder, to), /*replace=*/true);
            !r)
            result.warnings.append(r.error);
    }

    if (StoreResult opened = openNotes(); !opened) {
        result.warnings.append(opened.error);
        return result;
    }
    m_notes.resetSearch();
    if (m_notes.findRecord(from) == NotesStore::kFound) {
        m_notes.setRecord(to, notesText.value_or(m_notes.notes()));
        if (!m_notes.updateRecord())
            result.warnings.append(m_notes.lastError());
    }
    return result;
}

StoreResult StoreEdits::renameCatalog(const QString &from, const QString &to)
{
    const QStringList discs = m_index.catalogs().at(m_index.findCatalog(from)).discs;
    // Every disc file must be readable before the first one changes.
    for (const QString &d : discs) {
        QFile f(discFilePath(m_programFolder, d));
        if (!f.open(QIODevice::ReadOnly))
            return failed(QStringLiteral("Cannot read %1:\n%2").arg(f.fileName(), f.errorString()));
    }
    qsizetype done = 0;
    QString error;
    for (const QString &d : discs) {
        const QString path = discFilePath(m_programFolder, d);
        QByteArray bytes;
        StoreResult r = readDiscFileBytes(path, bytes);
        if (r)
            r = writeFileAtomically(path, rewriteCatalogLine(bytes, to));
        if (!r) {
            error = r.error;
            break;
        }
        ++done;
    }

    StoreResult result = made();
    if (error.isEmpty()) {
        m_index.renameCatalog(from, to);
    } else {
        // Mirror the disc files: the rewritten ones now name the new catalog.
        if (done > 0) {
            m_index.addCatalog(to);
            for (qsizetype i = 0; i < done; ++i) {
                m_index.removeDisc(discs[i]);
                m_index.addDisc(to, discs[i]);
            }
        }
        result.error = error + QStringLiteral("\n%1 of %2 disc files now name the catalog \"%3\".")
                                   .arg(done)
                                   .arg(discs.size())
                                   .arg(to);
    }
    if (StoreResult r = m_index.writeCatalogOrder(catalogOrderPath(m_programFolder)); !r)
        result.warnings.append(r.error);
    return result;
}

// A rename that stopped part-way (a crash, a full disk) leaves discs naming the new
// catalog, which katalog.ini does not list yet. Renaming to it again is that rename.
bool StoreEdits::isUnfinishedRename(const QString &to) const
{
    const qsizetype c = m_index.findCatalog(to);
    if (c < 0 || m_index.catalogs().at(c).discs.isEmpty())
        return false;
    CatalogueIndex listed;
    listed.loadCatalogOrder(catalogOrderPath(m_programFolder));
    return listed.findCatalog(to) < 0;
}

StoreResult StoreEdits::finishCatalogRename(const QString &from, const QString &to)
{
    // The discs already moved step aside, the rest are renamed as usual (so the catalog
    // keeps the old one's place in the order), then the moved ones join them.
    const qsizetype c = m_index.findCatalog(to);
    const QString spelled = m_index.catalogs().at(c).name;
    const QStringList moved = m_index.catalogs().at(c).discs;
    for (const QString &d : moved)
        m_index.removeDisc(d);
    m_index.removeCatalog(spelled);
    StoreResult result = renameCatalog(from, spelled);
    if (m_index.findCatalog(spelled) < 0)
        m_index.addCatalog(spelled);
    for (const QString &d : moved)
        m_index.addDisc(spelled, d);
    return result;
}

DeleteAction StoreEdits::deleteActionFor(const QString &name) const
{
    switch (kindOf(name)) {
    case NodeKind::Disc:
        return DeleteAction::AskThenDeleteDisc;
    case NodeKind::Catalog:
        return m_index.catalogs().at(m_index.findCatalog(name)).discs.isEmpty()
                   ? DeleteAction::DeleteCatalog
                   : DeleteAction::Nothing;
    case NodeKind::Root:
    case NodeKind::Folder:
    case NodeKind::None:
        break;
    }
    return DeleteAction::Nothing;
}

StoreResult StoreEdits::deleteDisc(const QString &name, const DiscIdentity *expected)
{
    StoreLock lock(m_programFolder);
    if (StoreResult refused; !beginEdit(lock, refused))
        return refused;
    const QString disc = m_index.discKey(name);
    if (disc.isEmpty())
        return failed(QStringLiteral("There is no disc named \"%1\".").arg(name));
    if (expected) {
        if (const DiscIdentity now = discIdentity(discFilePath(m_programFolder, disc));
            !(now == *expected))
            return failed(discChangedMessage(disc));
    }
    if (StoreResult r = removeStoreFile(discFilePath(m_programFolder, disc)); !r)
        return failed(r.error);
    m_index.removeDisc(disc);

    StoreResult result = made();
    if (StoreResult opened = openNotes(); !opened) {
        result.warnings.append(opened.error);
        return result;
    }
    m_notes.resetSearch();
    if (m_notes.findRecord(disc) == NotesStore::kFound && !m_notes.deleteRecord(0))
        result.warnings.append(m_notes.lastError());
    return result;
}

StoreResult StoreEdits::deleteCatalog(const QString &name)
{
    StoreLock lock(m_programFolder);
    if (StoreResult refused; !beginEdit(lock, refused))
        return refused;
    const qsizetype c = m_index.findCatalog(name);
    if (c < 0)
        return failed(QStringLiteral("There is no catalog named \"%1\".").arg(name));
    if (!m_index.catalogs().at(c).discs.isEmpty())
        return failed(QStringLiteral("The catalog \"%1\" holds discs; only an empty catalog "
                                     "can be deleted.")
                          .arg(m_index.catalogs().at(c).name));
    CatalogueIndex next = m_index;
    next.removeCatalog(name);
    if (StoreResult r = next.writeCatalogOrder(catalogOrderPath(m_programFolder)); !r)
        return failed(r.error);
    m_index = std::move(next);
    return made();
}

StoreResult StoreEdits::openNotes()
{
    if (m_notes.isOpen())
        return StoreResult::success();
    // A read-only store still opens: finding works and a failed write says why.
    (void)m_notes.open(notesStorePath(m_programFolder));
    return m_notes.isOpen() ? StoreResult::success() : StoreResult::failure(m_notes.lastError());
}

} // namespace orlith

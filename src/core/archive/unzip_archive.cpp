// Orlith — desktop catalogue of removable media.
#include "core/archive/zip_archive.h"

#include "core/archive/zip_glue.h"
#include "core/store/safe_write.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <limits>

#include <sys/statvfs.h>

namespace orlith {

using namespace zipglue;

namespace {

QString normalName(const char *raw)
{
    return QString::fromUtf8(raw).replace(QLatin1Char('\\'), QLatin1Char('/'));
}

// The bare file name an entry may be written as, or empty when it must be skipped: a folder
// entry, an absolute name ("/x", "C:\x", "\\server\x"), a ".." part, a control character.
QString safeTarget(const QString &name)
{
    if (name.isEmpty() || name.endsWith(QLatin1Char('/')) || name.startsWith(QLatin1Char('/')))
        return {};
    // "C:x" and "C:/x" name another drive's folder on the system that wrote them.
    if (name.size() >= 2 && name.at(1) == QLatin1Char(':') && name.at(0).isLetter())
        return {};
    QString last;
    for (const QString &part : name.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".."))
            return {};
        if (part == QLatin1String("."))
            continue;
        for (QChar c : part) {
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                return {};
        }
        last = part;
    }
    return last;
}

// The bytes free for one more entry on the folder's file system, less the reserve.
qint64 roomIn(const QString &folder, qint64 reserve)
{
    struct statvfs fs;
    if (reserve < 0 || ::statvfs(QFile::encodeName(folder).constData(), &fs) != 0)
        return std::numeric_limits<qint64>::max();
    return qint64(fs.f_bavail) * qint64(fs.f_frsize) - reserve;
}

// One extraction run: the folder, what is known of its names, and the report being made.
class Extraction
{
public:
    Extraction(ZipReader &reader, const UnzipOptions &options, QString folder, UnzipReport &report)
        : m_reader(reader), m_options(options), m_folder(std::move(folder)), m_report(report),
          m_noRoom(QStringLiteral("not restored: it would leave less than %1 MiB free on the "
                                  "disk of %2")
                       .arg(options.freeSpaceReserve / (1024 * 1024))
                       .arg(m_folder))
    {
    }

    // Extracts entry `index` when `wanted` is empty or holds its name, and the options do
    // not pass it over.
    void entry(zip_t *za, zip_int64_t index, const QSet<QString> &wanted);

private:
    QString chooseTarget(const QString &name);
    QString existingName(const QString &target);
    bool mayWrite(const QString &target);
    QString streamEntry(zip_file_t *zf, const zip_stat_t &st, AtomicFile &out, bool &badEntry);
    void fail(const QString &name, const QString &why)
    {
        m_report.failures << QStringLiteral("%1: %2").arg(name, why);
        emit m_reader.progress(QStringLiteral("error: %1: %2").arg(name, why));
    }

    ZipReader &m_reader;
    const UnzipOptions &m_options;
    QString m_folder;
    UnzipReport &m_report;
    QString m_noRoom;
    // The folder's names by their case-folded form, listed when first needed.
    QHash<QString, QString> m_namesByKey;
    bool m_listed = false;
};

// The target name for an entry, or empty when it is skipped (and reported so).
QString Extraction::chooseTarget(const QString &name)
{
    const QString target = safeTarget(name);
    if (target.isEmpty()) {
        m_report.skipped << name;
        // Folder entries are made by most zip programs and need no word; a name that would
        // leave the folder is worth one.
        if (!name.endsWith(QLatin1Char('/')))
            emit m_reader.progress(QStringLiteral("skipping: %1").arg(name));
        return {};
    }
    if (m_options.targetCheck) {
        if (const QString refusal = m_options.targetCheck(target); !refusal.isEmpty()) {
            m_report.skipped << name;
            emit m_reader.progress(QStringLiteral("skipping: %1: %2").arg(name, refusal));
            return {};
        }
    }
    return existingName(target);
}

// The name of the folder's file that `target` names, whatever its letter case.
QString Extraction::existingName(const QString &target)
{
    if (QFileInfo::exists(m_folder + QLatin1Char('/') + target))
        return target;
    if (!m_listed) {
        const QDir::Filters all =
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
        for (const QString &name : QDir(m_folder).entryList(all, QDir::NoSort))
            m_namesByKey.insert(name.toCaseFolded(), name);
        m_listed = true;
    }
    return m_namesByKey.value(target.toCaseFolded(), target);
}

// Whether the target may be written: not a folder, and not an existing file the prompt
// keeps.
bool Extraction::mayWrite(const QString &target)
{
    const QFileInfo existing(m_folder + QLatin1Char('/') + target);
    if (existing.isDir()) {
        fail(target, QStringLiteral("a folder of that name exists"));
        return false;
    }
    if (!existing.exists())
        return true;
    bool replace = false;
    emit m_reader.overwritePrompt(target, replace);
    if (!replace)
        m_report.kept << target;
    return replace;
}

// Streams the entry into `out`; returns why it was not written, empty when it was. A
// refusal names the target, an unreadable entry (`badEntry`) the entry.
QString Extraction::streamEntry(zip_file_t *zf, const zip_stat_t &st, AtomicFile &out,
                                bool &badEntry)
{
    const QByteArray &start = m_options.requiredStart;
    const qint64 room = roomIn(m_folder, m_options.freeSpaceReserve);
    const qint64 size = qint64(std::min<zip_uint64_t>(st.size, std::numeric_limits<qint64>::max()));
    if (size > room)
        return m_noRoom;
    QByteArray head; // the first bytes, held back until they pass the start check
    bool started = start.isEmpty();
    char buffer[64 * 1024];
    qint64 total = 0;
    for (;;) {
        const zip_int64_t n = zip_fread(zf, buffer, sizeof buffer);
        if (n < 0) {
            badEntry = true;
            return QString::fromUtf8(zip_file_strerror(zf));
        }
        if (n == 0)
            break;
        total += n;
        QByteArrayView bytes(buffer, qsizetype(n));
        if (!started) {
            head.append(bytes);
            if (head.size() < start.size())
                continue;
            if (!head.startsWith(start))
                return m_options.startRefusal;
            started = true;
            bytes = head;
        }
        if (total > room)
            return m_noRoom;
        if (!out.write(bytes))
            return out.error().section(QLatin1Char('\n'), 1);
    }
    if (!started)
        return m_options.startRefusal; // shorter than the required start
    if (total != size) {
        badEntry = true;
        return QStringLiteral("the entry is shorter than its recorded size");
    }
    return {};
}

void Extraction::entry(zip_t *za, zip_int64_t index, const QSet<QString> &wanted)
{
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(za, zip_uint64_t(index), 0, &st) != 0 || !st.name) {
        fail(QStringLiteral("#%1").arg(index + 1), archiveError(za));
        return;
    }
    const QString name = normalName(st.name);
    if ((!wanted.isEmpty() && !wanted.contains(name)) || m_options.passOver.contains(name))
        return;
    const QString target = chooseTarget(name);
    if (target.isEmpty() || !mayWrite(target))
        return;
    if (st.encryption_method != ZIP_EM_NONE) {
        fail(name, QStringLiteral("needs a password"));
        return;
    }
    zip_file_t *zf = zip_fopen_index(za, zip_uint64_t(index), 0);
    if (!zf) {
        fail(name, archiveError(za));
        return;
    }
    // libzip checks the CRC at the entry's end, and only then is the temporary file
    // committed over the old one; an AtomicFile dropped uncommitted removes it.
    const QString path = m_folder + QLatin1Char('/') + target;
    AtomicFile out(path);
    QString why;
    bool badEntry = false;
    if (StoreResult opened = out.open(); !opened)
        why = opened.error.section(QLatin1Char('\n'), 1);
    else
        why = streamEntry(zf, st, out, badEntry);
    zip_fclose(zf);
    if (why.isEmpty()) {
        if (StoreResult committed = out.commit(); !committed)
            why = committed.error.section(QLatin1Char('\n'), 1);
    }
    if (!why.isEmpty()) {
        fail(badEntry ? name : target, why);
        return;
    }
    if (m_listed)
        m_namesByKey.insert(target.toCaseFolded(), target);
    setModificationTime(path, qint64(st.mtime));
    m_report.written << target;
    emit m_reader.progress(QStringLiteral(" inflating: %1").arg(target));
}

} // namespace

ZipReader::ZipReader(QString zipPath, QObject *parent)
    : QObject(parent), m_zipPath(std::move(zipPath))
{
}

StoreResult ZipReader::listEntries(QStringList &names) const
{
    names.clear();
    QList<ZipEntryInfo> entries;
    StoreResult r = listEntries(entries);
    for (const ZipEntryInfo &entry : std::as_const(entries))
        names << entry.name;
    return r;
}

StoreResult ZipReader::listEntries(QList<ZipEntryInfo> &entries) const
{
    entries.clear();
    QString error;
    ZipHandle za = openArchive(m_zipPath, ZIP_RDONLY, error);
    if (!za)
        return StoreResult::failure(error);
    const zip_int64_t count = zip_get_num_entries(za.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(za.get(), zip_uint64_t(i), 0, &st) != 0 || !st.name)
            continue;
        const QString name = normalName(st.name);
        if (name.isEmpty() || name.endsWith(QLatin1Char('/')))
            continue;
        ZipEntryInfo info{name, 0, {}};
        if (st.valid & ZIP_STAT_SIZE)
            info.size = qint64(std::min<zip_uint64_t>(st.size, std::numeric_limits<qint64>::max()));
        if (st.valid & ZIP_STAT_MTIME)
            info.modified = QDateTime::fromSecsSinceEpoch(qint64(st.mtime));
        entries << info;
    }
    return StoreResult::success();
}

StoreResult ZipReader::extract(const UnzipOptions &options, const QStringList &names)
{
    m_report = {};
    QString error;
    ZipHandle za = openArchive(m_zipPath, ZIP_RDONLY, error);
    if (!za)
        return StoreResult::failure(error);
    const QString folder = options.folder.isEmpty() ? QDir::currentPath() : options.folder;
    if (!QFileInfo(folder).isDir())
        return StoreResult::failure(QStringLiteral("The folder %1 does not exist.").arg(folder));

    Extraction extraction(*this, options, folder, m_report);
    const QSet<QString> wanted(names.cbegin(), names.cend());
    const zip_int64_t count = zip_get_num_entries(za.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i)
        extraction.entry(za.get(), i, wanted);
    // No failure joins to an empty error: success.
    return {m_report.failures.join(QLatin1Char('\n'))};
}

} // namespace orlith

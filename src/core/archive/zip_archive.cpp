// Orlith — desktop catalogue of removable media.
#include "core/archive/zip_archive.h"

#include "core/archive/zip_glue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstdlib>
#include <cstring>

namespace orlith {

using namespace zipglue;

namespace {

bool hasWildcard(const QString &text)
{
    return text.contains(QLatin1Char('*')) || text.contains(QLatin1Char('?'));
}

QByteArray crLfToLf(const QByteArray &bytes)
{
    QByteArray out = bytes;
    out.replace("\r\n", "\n");
    return out;
}

// What one zip run adds: the file on disk and its name in the archive.
struct ZipItem
{
    QString source;
    QString entryName;
    bool folder = false;
};

// Turns wanted names into items, as the header of ZipWriter describes.
class SpecExpander
{
public:
    SpecExpander(const QDir &base, const QString &archive, bool junkFolders, bool recurse,
                 bool hidden, bool folderEntries)
        : m_base(base), m_archive(QFileInfo(archive).absoluteFilePath()), m_junk(junkFolders),
          m_recurse(recurse), m_hidden(hidden), m_folderEntries(folderEntries)
    {
    }

    void add(const QString &wanted)
    {
        const QString s = QString(wanted).replace(QLatin1Char('\\'), QLatin1Char('/'));
        const qsizetype before = items.size();
        if (!s.trimmed().isEmpty()) {
            const QString full =
                QDir::cleanPath(QDir::isAbsolutePath(s) ? s : m_base.absoluteFilePath(s));
            const QFileInfo info(full);
            if (hasWildcard(info.fileName()))
                walk(info.path(), {info.fileName()});
            else if (info.isDir())
                addFolder(full, /*walkIt=*/m_recurse);
            else if (info.isFile())
                addFile(full);
        }
        if (items.size() == before)
            unmatched << wanted;
    }

    QList<ZipItem> items;
    QStringList unmatched;

private:
    QString entryNameOf(const QString &path, bool folder) const
    {
        QString name;
        if (m_junk) {
            name = QFileInfo(path).fileName();
        } else {
            name = m_base.relativeFilePath(path);
            // Outside the base the path itself is kept, without its leading "/".
            if (name == QLatin1String("..") || name.startsWith(QLatin1String("../")))
                name = path;
            while (name.startsWith(QLatin1Char('/')))
                name.remove(0, 1);
        }
        return folder ? name + QLatin1Char('/') : name;
    }

    void addFile(const QString &path)
    {
        // Never the archive into itself.
        if (path != m_archive)
            items.append({path, entryNameOf(path, false), false});
    }

    void addFolder(const QString &path, bool walkIt)
    {
        if (!m_junk && m_folderEntries)
            items.append({path, entryNameOf(path, true), true});
        if (walkIt)
            walk(path, {});
    }

    void walk(const QString &folder, const QStringList &patterns)
    {
        const QDir dir(folder);
        const QDir::Filters hidden = m_hidden ? QDir::Hidden | QDir::System : QDir::Filters();
        for (const QFileInfo &f :
             dir.entryInfoList(patterns, QDir::Files | QDir::NoDotAndDotDot | hidden, QDir::Name))
            addFile(f.absoluteFilePath());
        if (!m_recurse)
            return;
        // Links to folders are not followed, so a loop cannot make the walk endless.
        for (const QFileInfo &d : dir.entryInfoList(
                 QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks | hidden, QDir::Name)) {
            if (patterns.isEmpty())
                addFolder(d.absoluteFilePath(), /*walkIt=*/true);
            else
                walk(d.absoluteFilePath(), patterns);
        }
    }

    QDir m_base;
    QString m_archive;
    bool m_junk;
    bool m_recurse;
    bool m_hidden;
    bool m_folderEntries;
};

} // namespace

using ZF = ZipOptionRecord::Field;

ZipWriter::ZipWriter(QObject *parent) : QObject(parent)
{
    setStoreDirectories(false);
    setStoreFolderNames(false);
    setRecurseSubDirs(false);
}

bool ZipWriter::Encrypt() const
{
    return m_options.field(ZF::Encrypt) == 1;
}
void ZipWriter::setEncrypt(bool on)
{
    m_options.setField(ZF::Encrypt, on);
}
bool ZipWriter::AddComment() const
{
    return m_options.field(ZF::Comment) == 1;
}
void ZipWriter::setAddComment(bool on)
{
    m_options.setField(ZF::Comment, on);
}
bool ZipWriter::IncludeSystemAndHiddenFiles() const
{
    return m_options.field(ZF::SystemAndHidden) == 1;
}
void ZipWriter::setIncludeSystemAndHiddenFiles(bool on)
{
    m_options.setField(ZF::SystemAndHidden, on);
}
bool ZipWriter::StoreVolumeLabel() const
{
    return m_options.field(ZF::VolumeLabel) == 1;
}
void ZipWriter::setStoreVolumeLabel(bool on)
{
    m_options.setField(ZF::VolumeLabel, on);
}
bool ZipWriter::StoreDirectories() const
{
    return m_options.field(ZF::NoDirectoryEntries) == 0;
}
void ZipWriter::setStoreDirectories(bool on)
{
    m_options.setField(ZF::NoDirectoryEntries, !on);
}
bool ZipWriter::StoreFolderNames() const
{
    return m_options.field(ZF::JunkFolderNames) == 0;
}
void ZipWriter::setStoreFolderNames(bool on)
{
    m_options.setField(ZF::JunkFolderNames, !on);
}
bool ZipWriter::RecurseSubDirs() const
{
    return m_options.field(ZF::Recurse) == 2;
}
void ZipWriter::setRecurseSubDirs(bool on)
{
    m_options.setField(ZF::Recurse, on ? 2 : 0);
}
bool ZipWriter::UpdateOnlyIfNewer() const
{
    return m_options.field(ZF::Update) == 1;
}
void ZipWriter::setUpdateOnlyIfNewer(bool on)
{
    m_options.setField(ZF::Update, on);
}
bool ZipWriter::FreshenFiles() const
{
    return m_options.field(ZF::Freshen) == 1;
}
void ZipWriter::setFreshenFiles(bool on)
{
    m_options.setField(ZF::Freshen, on);
}
bool ZipWriter::ConvertCRLFToLF() const
{
    return m_options.field(ZF::CrLfToLf) == 1;
}
void ZipWriter::setConvertCRLFToLF(bool on)
{
    m_options.setField(ZF::CrLfToLf, on);
}
bool ZipWriter::ConvertLFToCRLF() const
{
    return m_options.field(ZF::LfToCrLf) == 1;
}
void ZipWriter::setConvertLFToCRLF(bool on)
{
    m_options.setField(ZF::LfToCrLf, on);
}
bool ZipWriter::AllowAppend() const
{
    return m_options.field(ZF::Grow) == 1;
}
void ZipWriter::setAllowAppend(bool on)
{
    m_options.setField(ZF::Grow, on);
}

int ZipWriter::MessageLevel() const
{
    if (m_options.field(ZF::Verbose) != 0)
        return 0;
    return m_options.field(ZF::Quiet) > 0 ? 1 : 2;
}

void ZipWriter::setMessageLevel(int level)
{
    if (level < 0 || level > 2)
        return;
    m_options.setField(ZF::Verbose, level == 0);
    m_options.setField(ZF::Quiet, level == 1);
}

QString ZipWriter::FileSpec(int index) const
{
    return index >= 1 && index <= m_wanted.size() ? m_wanted.at(index - 1) : QString();
}

void ZipWriter::Zip()
{
    m_result = run();
}

int ZipWriter::Delete()
{
    const int kept = m_result;
    m_options.setField(ZF::DeleteEntries, 1);
    const int result = run();
    m_options.setField(ZF::DeleteEntries, 0);
    m_result = kept;
    return result;
}

int ZipWriter::fail(int code, const QString &message)
{
    m_lastError = message;
    return code;
}

int ZipWriter::run()
{
    m_lastError.clear();
    if (m_zipFile.trimmed().isEmpty())
        return fail(kZipBadOptions, QStringLiteral("No archive was named."));
    const bool deleting = m_options.field(ZF::DeleteEntries) != 0;
    const bool quiet = MessageLevel() == 1;
    const QString root = m_options.rootFolder.trimmed();
    const QDir base(root.isEmpty() ? QDir::currentPath() : root);

    SpecExpander expander(base, m_zipFile, !StoreFolderNames(), m_options.field(ZF::Recurse) != 0,
                       IncludeSystemAndHiddenFiles(), StoreDirectories());
    if (!deleting) {
        for (const QString &wanted : m_wanted)
            expander.add(wanted);
        for (const QString &wanted : std::as_const(expander.unmatched))
            emit Progress(QStringLiteral("name not matched: %1").arg(wanted));
        if (expander.items.isEmpty())
            return fail(kZipNothingToDo, QStringLiteral("No file to archive."));
    }

    int result = kZipOk;
    QString error;
    ZipHandle za = openArchive(m_zipFile, deleting ? 0 : ZIP_CREATE, result, error);
    if (!za)
        return fail(result, error);

    if (AddComment()) {
        QString comment;
        bool cancel = false;
        emit CommentRequest(comment, cancel);
        if (cancel || comment.isEmpty())
            return fail(kZipCancelled, QStringLiteral("No comment was given."));
        const QByteArray bytes = comment.toUtf8().left(255);
        zip_set_archive_comment(za.get(), bytes.constData(), zip_uint16_t(bytes.size()));
    }
    QByteArray password;
    if (Encrypt() && !deleting) {
        QString text;
        bool cancel = false;
        emit PasswordRequest(text, cancel);
        if (cancel || text.isEmpty())
            return fail(kZipCancelled, QStringLiteral("No password was given."));
        password = text.toUtf8();
    }
    const zip_uint16_t method = zip_encryption_method_supported(ZIP_EM_TRAD_PKWARE, 1)
                                    ? zip_uint16_t(ZIP_EM_TRAD_PKWARE)
                                    : zip_uint16_t(ZIP_EM_AES_256);

    if (deleting) {
        int removed = 0;
        const zip_int64_t count = zip_get_num_entries(za.get(), 0);
        for (const QString &wanted : m_wanted) {
            const QString pattern = QString(wanted).replace(QLatin1Char('\\'), QLatin1Char('/'));
            const QRegularExpression wildcard(
                QRegularExpression::wildcardToRegularExpression(pattern));
            for (zip_int64_t i = 0; i < count; ++i) {
                const char *raw = zip_get_name(za.get(), zip_uint64_t(i), 0);
                if (!raw)
                    continue;
                const QString name = QString::fromUtf8(raw);
                const bool match =
                    hasWildcard(pattern) ? wildcard.match(name).hasMatch() : name == pattern;
                if (match && zip_delete(za.get(), zip_uint64_t(i)) == 0) {
                    ++removed;
                    if (!quiet)
                        emit Progress(QStringLiteral("deleting: %1").arg(name));
                }
            }
        }
        if (removed == 0)
            return fail(kZipNothingToDo, QStringLiteral("No entry matched."));
    }

    const bool crLfToLfOn = ConvertCRLFToLF();
    const bool lfToCrLfOn = ConvertLFToCRLF();
    for (const ZipItem &item : std::as_const(expander.items)) {
        bool cancel = false;
        emit Cancel(item.entryName, cancel);
        if (cancel)
            return fail(kZipCancelled, QStringLiteral("Archiving was cancelled."));
        const QByteArray name = item.entryName.toUtf8();
        const zip_int64_t existing = zip_name_locate(za.get(), name.constData(), 0);
        const QFileInfo info(item.source);
        const qint64 mtime = info.lastModified().toSecsSinceEpoch();
        if (existing >= 0 && (UpdateOnlyIfNewer() || FreshenFiles())) {
            zip_stat_t st;
            if (zip_stat_index(za.get(), zip_uint64_t(existing), 0, &st) == 0 &&
                qint64(st.mtime) >= mtime)
                continue;
        }
        if (existing < 0 && FreshenFiles())
            continue;
        if (item.folder) {
            if (existing < 0 && zip_dir_add(za.get(), name.constData(), ZIP_FL_ENC_UTF_8) < 0)
                return fail(kZipWriteError, QStringLiteral("Cannot add %1 to %2:\n%3")
                                                .arg(item.source, m_zipFile,
                                                     QString::fromUtf8(zip_strerror(za.get()))));
            continue;
        }

        zip_source_t *source = nullptr;
        if (crLfToLfOn || lfToCrLfOn) {
            QFile file(item.source);
            if (!file.open(QIODevice::ReadOnly))
                return fail(
                    kZipOpenError,
                    QStringLiteral("Cannot read %1:\n%2").arg(item.source, file.errorString()));
            QByteArray bytes = file.readAll();
            bytes = crLfToLfOn ? crLfToLf(bytes) : lfToCrLf(bytes);
            void *copy = std::malloc(size_t(qMax<qsizetype>(bytes.size(), 1)));
            if (copy)
                std::memcpy(copy, bytes.constData(), size_t(bytes.size()));
            source =
                copy ? zip_source_buffer(za.get(), copy, zip_uint64_t(bytes.size()), 1) : nullptr;
            if (!source)
                std::free(copy);
        } else {
            source = zip_source_file(za.get(), QFile::encodeName(item.source).constData(), 0, -1);
        }
        zip_int64_t index = -1;
        if (source) {
            index = zip_file_add(za.get(), name.constData(), source,
                                 ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
            if (index < 0)
                zip_source_free(source);
        }
        if (index < 0)
            return fail(kZipOpenError, QStringLiteral("Cannot add %1 to %2:\n%3")
                                           .arg(item.source, m_zipFile,
                                                QString::fromUtf8(zip_strerror(za.get()))));
        zip_file_set_mtime(za.get(), zip_uint64_t(index), time_t(mtime), 0);
        if (!password.isEmpty())
            zip_file_set_encryption(za.get(), zip_uint64_t(index), method, password.constData());
        if (!quiet)
            emit Progress(
                (existing >= 0 ? QStringLiteral("updating: %1") : QStringLiteral("  adding: %1"))
                    .arg(item.entryName));
    }

    // libzip writes a temporary file beside the archive and renames it at the end.
    if (zip_close(za.get()) != 0)
        return fail(kZipWriteError, QStringLiteral("Cannot write %1:\n%2")
                                        .arg(m_zipFile, QString::fromUtf8(zip_strerror(za.get()))));
    za.release();
    return kZipOk;
}

} // namespace orlith

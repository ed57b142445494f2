// Orlith — desktop catalogue of removable media.
#include "zip_archive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <zip.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>

namespace orlith {

namespace {

struct ZipDiscard
{
    void operator()(zip_t *za) const { zip_discard(za); }
};
using ZipHandle = std::unique_ptr<zip_t, ZipDiscard>;

QString zipErrorText(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

int openFailureResult(int code)
{
    switch (code) {
    case ZIP_ER_NOZIP:
    case ZIP_ER_INCONS:
    case ZIP_ER_MULTIDISK:
    case ZIP_ER_EOF:
        return kZipFormatError;
    default:
        return kZipOpenError;
    }
}

ZipHandle openArchive(const QString &path, int flags, int &result, QString &error)
{
    int code = ZIP_ER_OK;
    ZipHandle za(zip_open(QFile::encodeName(path).constData(), flags, &code));
    if (!za) {
        result = openFailureResult(code);
        error = result == kZipFormatError
                    ? QStringLiteral("%1 is not a zip archive or is damaged:\n%2")
                          .arg(path, zipErrorText(code))
                    : QStringLiteral("Cannot open %1:\n%2").arg(path, zipErrorText(code));
    }
    return za;
}

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

QByteArray lfToCrLf(const QByteArray &bytes)
{
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / 32);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            out += '\r';
        out += bytes[i];
    }
    return out;
}

bool setModificationTime(const QString &path, qint64 seconds)
{
    const timespec times[2] = {{time_t(seconds), 0}, {time_t(seconds), 0}};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

// What one zip run adds: the file on disk and its name in the archive.
struct ZipItem
{
    QString source;
    QString entryName;
    bool folder = false;
};

// Turns file specifications into items, as the header of cZip describes.
class SpecExpander
{
public:
    SpecExpander(const QDir &base, const QString &archive, bool junkFolders, bool recurse,
                 bool hidden, bool folderEntries)
        : m_base(base), m_archive(QFileInfo(archive).absoluteFilePath()), m_junk(junkFolders),
          m_recurse(recurse), m_hidden(hidden), m_folderEntries(folderEntries)
    {
    }

    void add(const QString &spec)
    {
        const QString s = QString(spec).replace(QLatin1Char('\\'), QLatin1Char('/'));
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
            unmatched << spec;
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

QString methodName(zip_uint16_t method)
{
    switch (method) {
    case ZIP_CM_STORE:
        return QStringLiteral("Stored");
    case ZIP_CM_DEFLATE:
        return QStringLiteral("Defl:N");
    case ZIP_CM_DEFLATE64:
        return QStringLiteral("Def64");
    case ZIP_CM_BZIP2:
        return QStringLiteral("BZip2");
    case ZIP_CM_LZMA:
        return QStringLiteral("LZMA");
    case ZIP_CM_XZ:
        return QStringLiteral("XZ");
    default:
        return QStringLiteral("Unk:%1").arg(method, 3, 10, QLatin1Char('0'));
    }
}

} // namespace

// ---- cZip

using ZF = ZipOptionRecord::Field;

cZip::cZip(QObject *parent) : QObject(parent)
{
    setStoreDirectories(false);
    setStoreFolderNames(false);
    setRecurseSubDirs(false);
}

bool cZip::Encrypt() const { return m_options.field(ZF::Encrypt) == 1; }
void cZip::setEncrypt(bool on) { m_options.setField(ZF::Encrypt, on); }
bool cZip::AddComment() const { return m_options.field(ZF::Comment) == 1; }
void cZip::setAddComment(bool on) { m_options.setField(ZF::Comment, on); }
bool cZip::IncludeSystemAndHiddenFiles() const { return m_options.field(ZF::SystemAndHidden) == 1; }
void cZip::setIncludeSystemAndHiddenFiles(bool on) { m_options.setField(ZF::SystemAndHidden, on); }
bool cZip::StoreVolumeLabel() const { return m_options.field(ZF::VolumeLabel) == 1; }
void cZip::setStoreVolumeLabel(bool on) { m_options.setField(ZF::VolumeLabel, on); }
bool cZip::StoreDirectories() const { return m_options.field(ZF::NoDirectoryEntries) == 0; }
void cZip::setStoreDirectories(bool on) { m_options.setField(ZF::NoDirectoryEntries, !on); }
bool cZip::StoreFolderNames() const { return m_options.field(ZF::JunkFolderNames) == 0; }
void cZip::setStoreFolderNames(bool on) { m_options.setField(ZF::JunkFolderNames, !on); }
bool cZip::RecurseSubDirs() const { return m_options.field(ZF::Recurse) == 2; }
void cZip::setRecurseSubDirs(bool on) { m_options.setField(ZF::Recurse, on ? 2 : 0); }
bool cZip::UpdateOnlyIfNewer() const { return m_options.field(ZF::Update) == 1; }
void cZip::setUpdateOnlyIfNewer(bool on) { m_options.setField(ZF::Update, on); }
bool cZip::FreshenFiles() const { return m_options.field(ZF::Freshen) == 1; }
void cZip::setFreshenFiles(bool on) { m_options.setField(ZF::Freshen, on); }
bool cZip::ConvertCRLFToLF() const { return m_options.field(ZF::CrLfToLf) == 1; }
void cZip::setConvertCRLFToLF(bool on) { m_options.setField(ZF::CrLfToLf, on); }
bool cZip::ConvertLFToCRLF() const { return m_options.field(ZF::LfToCrLf) == 1; }
void cZip::setConvertLFToCRLF(bool on) { m_options.setField(ZF::LfToCrLf, on); }
bool cZip::AllowAppend() const { return m_options.field(ZF::Grow) == 1; }
void cZip::setAllowAppend(bool on) { m_options.setField(ZF::Grow, on); }

int cZip::MessageLevel() const
{
    if (m_options.field(ZF::Verbose) != 0)
        return 0;
    return m_options.field(ZF::Quiet) > 0 ? 1 : 2;
}

void cZip::setMessageLevel(int level)
{
    if (level < 0 || level > 2)
        return;
    m_options.setField(ZF::Verbose, level == 0);
    m_options.setField(ZF::Quiet, level == 1);
}

QString cZip::FileSpec(int index) const
{
    return index >= 1 && index <= m_specs.size() ? m_specs.at(index - 1) : QString();
}

void cZip::Zip()
{
    m_result = run();
}

int cZip::Delete()
{
    const int kept = m_result;
    m_options.setField(ZF::DeleteEntries, 1);
    const int result = run();
    m_options.setField(ZF::DeleteEntries, 0);
    m_result = kept;
    return result;
}

int cZip::fail(int code, const QString &message)
{
    m_lastError = message;
    return code;
}

int cZip::run()
{
    m_lastError.clear();
    if (m_zipFile.trimmed().isEmpty())
        return fail(kZipBadOptions, QStringLiteral("No archive was named."));
    const bool deleting = m_options.field(ZF::DeleteEntries) != 0;
    const bool quiet = MessageLevel() == 1;
    const QString root = m_options.rootFolder.trimmed();
    const QDir base(root.isEmpty() ? QDir::currentPath() : root);

    SpecExpander specs(base, m_zipFile, !StoreFolderNames(), m_options.field(ZF::Recurse) != 0,
                       IncludeSystemAndHiddenFiles(), StoreDirectories());
    if (!deleting) {
        for (const QString &spec : m_specs)
            specs.add(spec);
        for (const QString &spec : std::as_const(specs.unmatched))
            emit Progress(QStringLiteral("name not matched: %1").arg(spec));
        if (specs.items.isEmpty())
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
        for (const QString &spec : m_specs) {
            const QString pattern = QString(spec).replace(QLatin1Char('\\'), QLatin1Char('/'));
            const QRegularExpression wildcard(
                QRegularExpression::wildcardToRegularExpression(pattern));
            for (zip_int64_t i = 0; i < count; ++i) {
                const char *raw = zip_get_name(za.get(), zip_uint64_t(i), 0);
                if (!raw)
                    continue;
                const QString name = QString::fromUtf8(raw);
                const bool match = hasWildcard(pattern) ? wildcard.match(name).hasMatch()
                                                        : name == pattern;
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
    for (const ZipItem &item : std::as_const(specs.items)) {
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
            if (zip_stat_index(za.get(), zip_uint64_t(existing), 0, &st) == 0
                && qint64(st.mtime) >= mtime)
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
                return fail(kZipOpenError, QStringLiteral("Cannot read %1:\n%2")
                                               .arg(item.source, file.errorString()));
            QByteArray bytes = file.readAll();
            bytes = crLfToLfOn ? crLfToLf(bytes) : lfToCrLf(bytes);
            void *copy = std::malloc(size_t(qMax<qsizetype>(bytes.size(), 1)));
            if (copy)
                std::memcpy(copy, bytes.constData(), size_t(bytes.size()));
            source = copy ? zip_source_buffer(za.get(), copy, zip_uint64_t(bytes.size()), 1)
                          : nullptr;
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
            return fail(kZipOpenError,
                        QStringLiteral("Cannot add %1 to %2:\n%3")
                            .arg(item.source, m_zipFile, QString::fromUtf8(zip_strerror(za.get()))));
        zip_file_set_mtime(za.get(), zip_uint64_t(index), time_t(mtime), 0);
        if (!password.isEmpty())
            zip_file_set_encryption(za.get(), zip_uint64_t(index), method, password.constData());
        if (!quiet)
            emit Progress((existing >= 0 ? QStringLiteral("updating: %1")
                                         : QStringLiteral("  adding: %1"))
                              .arg(item.entryName));
    }

    // libzip writes a temporary file beside the archive and renames it at the end.
    if (zip_close(za.get()) != 0)
        return fail(kZipWriteError, QStringLiteral("Cannot write %1:\n%2")
                                        .arg(m_zipFile, QString::fromUtf8(zip_strerror(za.get()))));
    za.release();
    return kZipOk;
}

// ---- cUnzip

using UF = UnzipOptionRecord::Field;

cUnzip::cUnzip(QObject *parent) : QObject(parent) {}

void cUnzip::setZipFile(const QString &path)
{
    m_options.zipFile = path;
    m_entries.clear();
}

bool cUnzip::ExtractOnlyNewer() const { return m_options.field(UF::ExtractOnlyNewer) != 0; }
void cUnzip::setExtractOnlyNewer(bool on) { m_options.setField(UF::ExtractOnlyNewer, on); }
bool cUnzip::SpaceToUnderScore() const { return m_options.field(UF::SpaceToUnderScore) != 0; }
void cUnzip::setSpaceToUnderScore(bool on) { m_options.setField(UF::SpaceToUnderScore, on); }
bool cUnzip::PromptToOverwrite() const { return m_options.field(UF::PromptToOverwrite) != 0; }
void cUnzip::setPromptToOverwrite(bool on) { m_options.setField(UF::PromptToOverwrite, on); }
qint32 cUnzip::MessageLevel() const { return m_options.field(UF::MessageLevel); }
void cUnzip::setMessageLevel(qint32 level) { m_options.setField(UF::MessageLevel, level); }
bool cUnzip::TestZip() const { return m_options.field(UF::TestZip) != 0; }
void cUnzip::setTestZip(bool on) { m_options.setField(UF::TestZip, on); }
bool cUnzip::UseFolderNames() const { return m_options.field(UF::UseFolderNames) != 0; }
void cUnzip::setUseFolderNames(bool on) { m_options.setField(UF::UseFolderNames, on); }
bool cUnzip::OverwriteExisting() const { return m_options.field(UF::OverwriteExisting) != 0; }
void cUnzip::setOverwriteExisting(bool on) { m_options.setField(UF::OverwriteExisting, on); }
bool cUnzip::ConvertCRToCRLF() const { return m_options.field(UF::ConvertCRToCRLF) != 0; }
void cUnzip::setConvertCRToCRLF(bool on) { m_options.setField(UF::ConvertCRToCRLF, on); }
bool cUnzip::CaseSensitiveFileNames() const
{
    return m_options.field(UF::CaseSensitiveFileNames) != 0;
}
void cUnzip::setCaseSensitiveFileNames(bool on)
{
    m_options.setField(UF::CaseSensitiveFileNames, on);
}

int cUnzip::fail(int code, const QString &message)
{
    m_lastError = message;
    m_result = code;
    return code;
}

void cUnzip::Directory()
{
    m_options.setField(UF::Listing, 1);
    m_lastError.clear();
    m_result = kZipOk;
    int result = kZipOk;
    QString error;
    ZipHandle za = openArchive(m_options.zipFile, ZIP_RDONLY, result, error);
    if (!za) {
        fail(result, error);
        return;
    }
    const zip_int64_t count = zip_get_num_entries(za.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(za.get(), zip_uint64_t(i), 0, &st) != 0 || !st.name)
            continue;
        const QString name = QString::fromUtf8(st.name);
        const qsizetype cut =
            qMax(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
        UnzipEntry e;
        e.fileName = name.mid(cut + 1);
        if (e.fileName.isEmpty())
            continue;
        e.folder = cut >= 0 ? name.left(cut) : QString();
        e.size = qint64(st.size);
        e.packedSize = qint64(st.comp_size);
        e.compressionRatio = e.size > 0 ? int((e.size - e.packedSize) * 100 / e.size) : 0;
        e.date = QDateTime::fromSecsSinceEpoch(qint64(st.mtime));
        e.crc = st.crc;
        e.method = methodName(st.comp_method);
        e.encrypted = st.encryption_method != ZIP_EM_NONE;
        e.selected = 1;
        m_entries.append(e);
    }
}

const UnzipEntry *cUnzip::entry(int index) const
{
    return index >= 1 && index <= m_entries.size() ? &m_entries[index - 1] : nullptr;
}

QString cUnzip::Filename(int i) const { return entry(i) ? entry(i)->fileName : QString(); }
QString cUnzip::FileDirectory(int i) const { return entry(i) ? entry(i)->folder : QString(); }
qint64 cUnzip::FileSize(int i) const { return entry(i) ? entry(i)->size : 0; }
qint64 cUnzip::FilePackedSize(int i) const { return entry(i) ? entry(i)->packedSize : 0; }
int cUnzip::FileCompressionRatio(int i) const { return entry(i) ? entry(i)->compressionRatio : 0; }
QDateTime cUnzip::FileDate(int i) const { return entry(i) ? entry(i)->date : QDateTime(); }
quint32 cUnzip::FileCRC(int i) const { return entry(i) ? entry(i)->crc : 0; }
QString cUnzip::FileCompressionMethod(int i) const { return entry(i) ? entry(i)->method : QString(); }
bool cUnzip::FileEncrypted(int i) const { return entry(i) && entry(i)->encrypted != 0; }
bool cUnzip::FileSelected(int i) const { return entry(i) && entry(i)->selected != 0; }

void cUnzip::setFileSelected(int index, bool selected)
{
    if (index >= 1 && index <= m_entries.size())
        m_entries[index - 1].selected = selected;
}

bool cUnzip::Unzip()
{
    if (m_options.zipFile.isEmpty())
        return false;
    QStringList include;
    bool all = true;
    for (const UnzipEntry &e : std::as_const(m_entries)) {
        if (!e.selected) {
            all = false;
            continue;
        }
        const bool noFolder = e.folder.isEmpty() || e.folder == QString(QChar(0));
        QString name = noFolder ? e.fileName : e.folder + QLatin1Char('/') + e.fileName;
        include << name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    }
    if (all)
        include.clear();
    return extract(include) != kZipOk;
}

int cUnzip::extract(const QStringList &include)
{
    m_options.setField(UF::Listing, 0);
    m_report = {};
    m_lastError.clear();
    m_result = kZipOk;
    if (m_options.zipFile.isEmpty())
        return fail(kZipBadOptions, QStringLiteral("No archive was named."));
    int result = kZipOk;
    QString error;
    ZipHandle za = openArchive(m_options.zipFile, ZIP_RDONLY, result, error);
    if (!za)
        return fail(result, error);

    QString folder = m_options.extractFolder;
    if (folder.isEmpty() || folder == QString(QChar(0)))
        folder = QDir::currentPath();
    const bool testing = TestZip();
    if (!testing && !QFileInfo(folder).isDir())
        return fail(kZipWriteError, QStringLiteral("The folder %1 does not exist.").arg(folder));

    const Qt::CaseSensitivity cs = CaseSensitiveFileNames() ? Qt::CaseSensitive
                                                            : Qt::CaseInsensitive;
    bool replaceAll = OverwriteExisting();
    bool keepAll = false;
    bool passwordAsked = false;
    QByteArray password;
    int worst = kZipOk;
    auto failure = [&](const QString &name, const QString &why, int code) {
        m_report.failures << QStringLiteral("%1: %2").arg(name, why);
        emit Progress(QStringLiteral("error: %1: %2").arg(name, why));
        worst = qMax(worst, code);
    };

    const zip_int64_t count = zip_get_num_entries(za.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(za.get(), zip_uint64_t(i), 0, &st) != 0 || !st.name) {
            failure(QStringLiteral("#%1").arg(i + 1), QString::fromUtf8(zip_strerror(za.get())),
                    kZipFormatError);
            continue;
        }
        const QString name = QString::fromUtf8(st.name);
        const QString normal = QString(name).replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (!include.isEmpty() && !include.contains(normal, cs))
            continue;
        QString target = safeEntryTarget(name, UseFolderNames());
        if (target.isEmpty()) {
            m_report.skipped << name;
            // Folder entries are made by most zip programs and need no word; a name that
            // would leave the folder is worth one.
            if (!normal.endsWith(QLatin1Char('/'))) {
                emit Progress(QStringLiteral("skipping: %1").arg(name));
                worst = qMax(worst, int(kZipWarning));
            }
            continue;
        }
        if (SpaceToUnderScore())
            target.replace(QLatin1Char(' '), QLatin1Char('_'));
        bool cancel = false;
        emit Cancel(name, cancel);
        if (cancel) {
            worst = kZipCancelled;
            m_lastError = QStringLiteral("Extraction was cancelled.");
            break;
        }

        const QString path = folder + QLatin1Char('/') + target;
        if (!testing) {
            const QFileInfo existing(path);
            if (existing.isDir()) {
                failure(target, QStringLiteral("a folder of that name exists"), kZipWriteError);
                continue;
            }
            if (existing.exists()) {
                bool replace = replaceAll;
                if (ExtractOnlyNewer()
                    && existing.lastModified().toSecsSinceEpoch() >= qint64(st.mtime))
                    replace = false;
                else if (!replace && !keepAll) {
                    int reply = kReplyNo;
                    emit OverwritePrompt(target, reply);
                    replace = reply == kReplyYes || reply == kReplyYesToAll;
                    replaceAll = reply == kReplyYesToAll;
                    keepAll = reply == kReplyNoToAll;
                }
                if (!replace) {
                    m_report.kept << target;
                    continue;
                }
            }
        }

        zip_file_t *zf = nullptr;
        if (st.encryption_method != ZIP_EM_NONE) {
            if (!passwordAsked) {
                QString text;
                bool stop = false;
                emit PasswordRequest(text, stop);
                passwordAsked = true;
                password = stop ? QByteArray() : text.toUtf8();
            }
            if (password.isEmpty()) {
                failure(name, QStringLiteral("needs a password"), kZipWarning);
                continue;
            }
            zf = zip_fopen_index_encrypted(za.get(), zip_uint64_t(i), 0, password.constData());
        } else {
            zf = zip_fopen_index(za.get(), zip_uint64_t(i), 0);
        }
        if (!zf) {
            failure(name, QString::fromUtf8(zip_strerror(za.get())), kZipFormatError);
            continue;
        }

        // The entry is read whole before the file is committed: libzip checks the CRC at
        // the end, and only then is the old file replaced.
        QSaveFile out(path);
        if (!testing) {
            if (UseFolderNames())
                QDir().mkpath(QFileInfo(path).path());
            if (!out.open(QIODevice::WriteOnly)) {
                zip_fclose(zf);
                failure(target, out.errorString(), kZipWriteError);
                continue;
            }
        }
        const bool convert = ConvertCRToCRLF() && !testing;
        QByteArray whole;
        char buffer[64 * 1024];
        qint64 total = 0;
        QString readError;
        bool writeFailed = false;
        for (;;) {
            const zip_int64_t n = zip_fread(zf, buffer, sizeof buffer);
            if (n < 0) {
                readError = QString::fromUtf8(zip_file_strerror(zf));
                break;
            }
            if (n == 0)
                break;
            total += n;
            if (testing)
                continue;
            if (convert)
                whole.append(buffer, qsizetype(n));
            else if (out.write(buffer, n) != n)
                writeFailed = true;
        }
        zip_fclose(zf);
        if (readError.isEmpty() && total != qint64(st.size))
            readError = QStringLiteral("the entry is shorter than its recorded size");
        if (!readError.isEmpty()) {
            failure(name, readError, kZipFormatError);
            continue; // QSaveFile drops its temporary file
        }
        if (testing) {
            emit Progress(QStringLiteral("testing: %1 OK").arg(name));
            continue;
        }
        if (convert) {
            const QByteArray bytes = lfToCrLf(whole);
            writeFailed = out.write(bytes) != bytes.size();
        }
        // The explicit flush matters: commit() alone may rename a file whose last block
        // was never written (full disk).
        if (writeFailed || !out.flush() || !out.commit()) {
            failure(target, out.errorString(), kZipWriteError);
            continue;
        }
        setModificationTime(path, qint64(st.mtime));
        m_report.written << target;
        emit Progress(QStringLiteral(" inflating: %1").arg(target));
    }
    m_result = worst;
    if (m_lastError.isEmpty() && !m_report.failures.isEmpty())
        m_lastError = m_report.failures.join(QLatin1Char('\n'));
    return worst;
}

QString cUnzip::GetVersion()
{
    return QString::fromLatin1(zip_libzip_version());
}

QString safeEntryTarget(const QString &entryName, bool keepFolders)
{
    const QString name = QString(entryName).replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (name.isEmpty() || name.endsWith(QLatin1Char('/')) || name.startsWith(QLatin1Char('/')))
        return {};
    // "C:x" and "C:/x" name another drive's folder on the system that wrote them.
    if (name.size() >= 2 && name.at(1) == QLatin1Char(':') && name.at(0).isLetter())
        return {};
    QStringList parts;
    for (const QString &part : name.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".."))
            return {};
        if (part == QLatin1String("."))
            continue;
        for (QChar c : part) {
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                return {};
        }
        parts << part;
    }
    if (parts.isEmpty())
        return {};
    return keepFolders ? parts.join(QLatin1Char('/')) : parts.last();
}

} // namespace orlith

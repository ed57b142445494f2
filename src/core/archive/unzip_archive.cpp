// Orlith — desktop catalogue of removable media.
#include "core/archive/zip_archive.h"

#include "core/store/safe_write.h"

#include "core/archive/zip_glue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <limits>

#include <sys/statvfs.h>

namespace orlith {

using namespace zipglue;

namespace {

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

// Percent saved. The sizes are the archive's word and may be anything, so the product is
// taken in 128 bits: a damaged archive must not overflow it.
int compressionRatio(qint64 size, qint64 packed)
{
    if (size <= 0)
        return 0;
    const __int128 percent = (__int128(size) - packed) * 100 / size;
    return int(std::clamp<__int128>(percent, std::numeric_limits<int>::min(), 100));
}

} // namespace

using UF = UnzipOptionRecord::Field;

ZipReader::ZipReader(QObject *parent) : QObject(parent) {}

void ZipReader::setZipFile(const QString &path)
{
    m_options.zipFile = path;
    m_entries.clear();
}

bool ZipReader::ExtractOnlyNewer() const
{
    return m_options.field(UF::ExtractOnlyNewer) != 0;
}
void ZipReader::setExtractOnlyNewer(bool on)
{
    m_options.setField(UF::ExtractOnlyNewer, on);
}
bool ZipReader::SpaceToUnderScore() const
{
    return m_options.field(UF::SpaceToUnderScore) != 0;
}
void ZipReader::setSpaceToUnderScore(bool on)
{
    m_options.setField(UF::SpaceToUnderScore, on);
}
bool ZipReader::PromptToOverwrite() const
{
    return m_options.field(UF::PromptToOverwrite) != 0;
}
void ZipReader::setPromptToOverwrite(bool on)
{
    m_options.setField(UF::PromptToOverwrite, on);
}
qint32 ZipReader::MessageLevel() const
{
    return m_options.field(UF::MessageLevel);
}
void ZipReader::setMessageLevel(qint32 level)
{
    m_options.setField(UF::MessageLevel, level);
}
bool ZipReader::TestZip() const
{
    return m_options.field(UF::TestZip) != 0;
}
void ZipReader::setTestZip(bool on)
{
    m_options.setField(UF::TestZip, on);
}
bool ZipReader::UseFolderNames() const
{
    return m_options.field(UF::UseFolderNames) != 0;
}
void ZipReader::setUseFolderNames(bool on)
{
    m_options.setField(UF::UseFolderNames, on);
}
bool ZipReader::OverwriteExisting() const
{
    return m_options.field(UF::OverwriteExisting) != 0;
}
void ZipReader::setOverwriteExisting(bool on)
{
    m_options.setField(UF::OverwriteExisting, on);
}
bool ZipReader::ConvertCRToCRLF() const
{
    return m_options.field(UF::ConvertCRToCRLF) != 0;
}
void ZipReader::setConvertCRToCRLF(bool on)
{
    m_options.setField(UF::ConvertCRToCRLF, on);
}
bool ZipReader::CaseSensitiveFileNames() const
{
    return m_options.field(UF::CaseSensitiveFileNames) != 0;
}
void ZipReader::setCaseSensitiveFileNames(bool on)
{
    m_options.setField(UF::CaseSensitiveFileNames, on);
}

int ZipReader::fail(int code, const QString &message)
{
    m_lastError = message;
    m_result = code;
    return code;
}

void ZipReader::Directory()
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
        e.compressionRatio = compressionRatio(e.size, e.packedSize);
        e.date = QDateTime::fromSecsSinceEpoch(qint64(st.mtime));
        e.crc = st.crc;
        e.method = methodName(st.comp_method);
        e.encrypted = st.encryption_method != ZIP_EM_NONE;
        e.selected = 1;
        m_entries.append(e);
    }
}

const UnzipEntry *ZipReader::entry(int index) const
{
    return index >= 1 && index <= m_entries.size() ? &m_entries[index - 1] : nullptr;
}

QString ZipReader::Filename(int i) const
{
    return entry(i) ? entry(i)->fileName : QString();
}
QString ZipReader::FileDirectory(int i) const
{
    return entry(i) ? entry(i)->folder : QString();
}
qint64 ZipReader::FileSize(int i) const
{
    return entry(i) ? entry(i)->size : 0;
}
qint64 ZipReader::FilePackedSize(int i) const
{
    return entry(i) ? entry(i)->packedSize : 0;
}
int ZipReader::FileCompressionRatio(int i) const
{
    return entry(i) ? entry(i)->compressionRatio : 0;
}
QDateTime ZipReader::FileDate(int i) const
{
    return entry(i) ? entry(i)->date : QDateTime();
}
quint32 ZipReader::FileCRC(int i) const
{
    return entry(i) ? entry(i)->crc : 0;
}
QString ZipReader::FileCompressionMethod(int i) const
{
    return entry(i) ? entry(i)->method : QString();
}
bool ZipReader::FileEncrypted(int i) const
{
    return entry(i) && entry(i)->encrypted != 0;
}
bool ZipReader::FileSelected(int i) const
{
    return entry(i) && entry(i)->selected != 0;
}

void ZipReader::setFileSelected(int index, bool selected)
{
    if (index >= 1 && index <= m_entries.size())
        m_entries[index - 1].selected = selected;
}

bool ZipReader::Unzip()
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

int ZipReader::extract(const QStringList &include)
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

    const Qt::CaseSensitivity cs =
        CaseSensitiveFileNames() ? Qt::CaseSensitive : Qt::CaseInsensitive;
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

    // The folder's names by their case-folded form, listed when first needed.
    QHash<QString, QString> namesByKey;
    bool listed = false;
    auto existingName = [&](const QString &target) {
        if (target.contains(QLatin1Char('/')) ||
            QFileInfo::exists(folder + QLatin1Char('/') + target))
            return target;
        if (!listed) {
            const QDir::Filters all =
                QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
            for (const QString &name : QDir(folder).entryList(all, QDir::NoSort))
                namesByKey.insert(name.toCaseFolded(), name);
            listed = true;
        }
        return namesByKey.value(target.toCaseFolded(), target);
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
        if (!target.isEmpty() && m_targetCheck) {
            if (const QString refusal = m_targetCheck(target); !refusal.isEmpty()) {
                m_report.skipped << name;
                emit Progress(QStringLiteral("skipping: %1: %2").arg(name, refusal));
                worst = qMax(worst, int(kZipWarning));
                continue;
            }
        }
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

        if (!testing && cs == Qt::CaseInsensitive)
            target = existingName(target);
        const QString path = folder + QLatin1Char('/') + target;
        if (!testing) {
            const QFileInfo existing(path);
            if (existing.isDir()) {
                failure(target, QStringLiteral("a folder of that name exists"), kZipWriteError);
                continue;
            }
            if (existing.exists()) {
                bool replace = replaceAll;
                if (ExtractOnlyNewer() &&
                    existing.lastModified().toSecsSinceEpoch() >= qint64(st.mtime))
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

        // Free space less the reserve, measured per entry as earlier ones take their share.
        qint64 room = std::numeric_limits<qint64>::max();
        if (!testing && m_spaceReserve >= 0) {
            struct statvfs fs;
            if (::statvfs(QFile::encodeName(folder).constData(), &fs) == 0)
                room = qint64(fs.f_bavail) * qint64(fs.f_frsize) - m_spaceReserve;
        }
        const QString noRoom =
            QStringLiteral("not restored: it would leave less than %1 MiB free on the disk of %2")
                .arg(m_spaceReserve / (1024 * 1024))
                .arg(folder);
        if (!testing && qint64(std::min<zip_uint64_t>(
                            st.size, zip_uint64_t(std::numeric_limits<qint64>::max()))) > room) {
            zip_fclose(zf);
            failure(target, noRoom, kZipWriteError);
            continue;
        }

        // The entry streams into the temporary file, which is committed only at its end:
        // libzip checks the CRC there, and only then is the old file replaced. Dropping the
        // An AtomicFile dropped uncommitted removes its temporary file.
        AtomicFile out(path);
        if (!testing) {
            if (UseFolderNames())
                QDir().mkpath(QFileInfo(path).path());
            if (StoreResult opened = out.open(); !opened) {
                zip_fclose(zf);
                failure(target, opened.error.section(QLatin1Char('\n'), 1), kZipWriteError);
                continue;
            }
        }
        const bool convert = ConvertCRToCRLF() && !testing;
        QByteArray head; // the first bytes, held back until they pass the start check
        bool started = m_requiredStart.isEmpty() || testing;
        bool lastWasCr = false;
        QByteArray converted;
        char buffer[64 * 1024];
        qint64 total = 0;
        qint64 written = 0;
        QString readError;
        QString refusal;
        bool writeFailed = false;
        // Writes a run of the entry's bytes, or says why not.
        auto put = [&](QByteArrayView bytes) {
            if (convert) {
                converted.clear();
                for (char c : bytes) {
                    if (c == '\n' && !lastWasCr)
                        converted += '\r';
                    converted += c;
                    lastWasCr = c == '\r';
                }
                bytes = converted;
            }
            written += bytes.size();
            if (written > room)
                refusal = noRoom;
            else if (!out.write(bytes))
                writeFailed = true;
        };
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
            QByteArrayView bytes(buffer, qsizetype(n));
            if (!started) {
                head.append(bytes);
                if (head.size() < m_requiredStart.size())
                    continue;
                if (!head.startsWith(m_requiredStart)) {
                    refusal = m_startRefusal;
                    break;
                }
                started = true;
                bytes = head;
            }
            put(bytes);
            if (!refusal.isEmpty() || writeFailed)
                break;
        }
        zip_fclose(zf);
        if (readError.isEmpty() && refusal.isEmpty() && !writeFailed && !started)
            refusal = m_startRefusal; // shorter than the required start
        if (!refusal.isEmpty()) {
            failure(target, refusal, kZipWriteError);
            continue;
        }
        if (readError.isEmpty() && !writeFailed && total != qint64(st.size))
            readError = QStringLiteral("the entry is shorter than its recorded size");
        if (!readError.isEmpty()) {
            failure(name, readError, kZipFormatError);
            continue;
        }
        if (testing) {
            emit Progress(QStringLiteral("testing: %1 OK").arg(name));
            continue;
        }
        if (StoreResult committed = out.commit(); !committed) {
            failure(target, committed.error.section(QLatin1Char('\n'), 1), kZipWriteError);
            continue;
        }
        if (listed)
            namesByKey.insert(target.toCaseFolded(), target);
        setModificationTime(path, qint64(st.mtime));
        m_report.written << target;
        emit Progress(QStringLiteral(" inflating: %1").arg(target));
    }
    m_result = worst;
    if (m_lastError.isEmpty() && !m_report.failures.isEmpty())
        m_lastError = m_report.failures.join(QLatin1Char('\n'));
    return worst;
}

void ZipReader::setRequiredStart(const QByteArray &prefix, const QString &refusal)
{
    m_requiredStart = prefix;
    m_startRefusal = refusal;
}

QString ZipReader::GetVersion()
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

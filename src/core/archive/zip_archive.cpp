// Orlith — desktop catalogue of removable media.
#include "core/archive/zip_archive.h"

#include "core/archive/zip_glue.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace orlith {

using namespace zipglue;

namespace {

bool hasWildcard(const QString &text)
{
    return text.contains(QLatin1Char('*')) || text.contains(QLatin1Char('?'));
}

// What one zip run adds: the file on disk and its name in the archive.
struct ZipItem
{
    QString source;
    QString entryName;
};

// Turns names into items, as the header of ZipWriter describes.
class NameExpander
{
public:
    NameExpander(const ZipOptions &options, const QString &archive)
        : m_base(options.baseFolder.trimmed().isEmpty() ? QDir::currentPath()
                                                        : options.baseFolder.trimmed()),
          m_archive(QFileInfo(archive).absoluteFilePath()), m_keepFolders(options.keepFolderNames),
          m_recurse(options.recurse)
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
            else if (info.isDir() && m_recurse)
                walk(full, {});
            else if (info.isFile())
                addFile(full);
        }
        if (items.size() == before)
            unmatched << wanted;
    }

    QList<ZipItem> items;
    QStringList unmatched;

private:
    QString entryNameOf(const QString &path) const
    {
        if (!m_keepFolders)
            return QFileInfo(path).fileName();
        QString name = m_base.relativeFilePath(path);
        // Outside the base the path itself is kept, without its leading "/".
        if (name == QLatin1String("..") || name.startsWith(QLatin1String("../")))
            name = path;
        while (name.startsWith(QLatin1Char('/')))
            name.remove(0, 1);
        return name;
    }

    void addFile(const QString &path)
    {
        // Never the archive into itself.
        if (path != m_archive)
            items.append({path, entryNameOf(path)});
    }

    void walk(const QString &folder, const QStringList &patterns)
    {
        const QDir dir(folder);
        for (const QFileInfo &f :
             dir.entryInfoList(patterns, QDir::Files | QDir::NoDotAndDotDot, QDir::Name))
            addFile(f.absoluteFilePath());
        if (!m_recurse)
            return;
        // Links to folders are not followed, so a loop cannot make the walk endless.
        for (const QFileInfo &d :
             dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name))
            walk(d.absoluteFilePath(), patterns);
    }

    QDir m_base;
    QString m_archive;
    bool m_keepFolders;
    bool m_recurse;
};

// Adds one file, replacing an entry of the same name; the result says which it did.
StoreResult addItem(zip_t *za, const ZipItem &item, const QString &zipPath, bool &replaced)
{
    const QByteArray name = item.entryName.toUtf8();
    replaced = zip_name_locate(za, name.constData(), 0) >= 0;
    zip_source_t *source = zip_source_file(za, QFile::encodeName(item.source).constData(), 0, -1);
    zip_int64_t index = -1;
    if (source) {
        index = zip_file_add(za, name.constData(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
        if (index < 0)
            zip_source_free(source);
    }
    if (index < 0)
        return StoreResult::failure(
            QStringLiteral("Cannot add %1 to %2:\n%3").arg(item.source, zipPath, archiveError(za)));
    const QDateTime modified = QFileInfo(item.source).lastModified();
    zip_file_set_mtime(za, zip_uint64_t(index), time_t(modified.toSecsSinceEpoch()), 0);
    return StoreResult::success();
}

} // namespace

ZipWriter::ZipWriter(QObject *parent) : QObject(parent) {}

StoreResult ZipWriter::write(const QString &zipPath, const QStringList &names,
                             const ZipOptions &options)
{
    if (zipPath.trimmed().isEmpty())
        return StoreResult::failure(QStringLiteral("No archive was named."));
    NameExpander expander(options, zipPath);
    for (const QString &wanted : names)
        expander.add(wanted);
    for (const QString &wanted : std::as_const(expander.unmatched))
        emit progress(QStringLiteral("name not matched: %1").arg(wanted));
    if (expander.items.isEmpty())
        return StoreResult::failure(QStringLiteral("No file to archive."));
    for (const auto &[source, entryName] : options.namedFiles)
        expander.items.append({source, entryName});

    QString error;
    ZipHandle za = openArchive(zipPath, ZIP_CREATE, error);
    if (!za)
        return StoreResult::failure(error);
    for (const ZipItem &item : std::as_const(expander.items)) {
        bool replaced = false;
        if (StoreResult added = addItem(za.get(), item, zipPath, replaced); !added)
            return added;
        emit progress((replaced ? QStringLiteral("updating: %1") : QStringLiteral("  adding: %1"))
                          .arg(item.entryName));
    }
    // libzip writes a temporary file beside the archive and renames it at the end.
    if (zip_close(za.get()) != 0)
        return StoreResult::failure(
            QStringLiteral("Cannot write %1:\n%2").arg(zipPath, archiveError(za.get())));
    za.release();
    return StoreResult::success();
}

} // namespace orlith
